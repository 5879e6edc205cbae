/* A C11 program outside the project: the plain functions of the installed headers, as any language's
   foreign-function interface binds them. */
#include <stdio.h>
#include <string.h>
#include <tqcore/tqcore.h>

static int gFailures = 0;

static void Expect(int ok, const char* what) {
    if (!ok) {
        fprintf(stderr, "consumer (C): %s\n", what);
        ++gFailures;
    }
}

static int32 CompareDescending(const void* a, const void* b) {
    return CompareInt32s(b, a);
}

static void Handles(void) {
    UHandle h = DSNewHClr(16);
    Expect(h != NULL && DSGetHandleSize(h) == 16, "DSNewHClr gave no 16-byte handle");
    Expect(DSSetHandleSize(h, 40) == kErrNone && DSGetHandleSize(h) == 40, "DSSetHandleSize did not grow it");
    Expect(DSDisposeHandle(h) == kErrNone, "DSDisposeHandle failed");
}

static void Text(void) {
    uChar out[64];
    const int32 n = SNPrintf(out, sizeof out, "%d|%s|%x", -42, "c", 255);
    Expect(n == 8 && strcmp((const char*)out, "-42|c|FF") == 0, "SNPrintf gave other text");
    Expect(StrCaseCmp("TqCore", "tQcORE") == 0, "StrCaseCmp does not ignore case");
}

static void Numbers(void) {
    /* The one-operator operations are inline for C++ callers; C links the exported copies. */
    const double a = 1.5, b = 2.25;
    double sum = 0;
    RTfAddD(&a, &b, &sum);
    Expect(sum == 3.75 && RTfLTD(&a, &b) == 1, "RTfAddD/RTfLTD gave other results");
    int32 values[4] = {3, 9, 1, 5};
    QSort(values, 4, sizeof values[0], CompareDescending);
    Expect(values[0] == 9 && values[3] == 1, "QSort did not sort");
    Expect(NumSize(kNumI64) == 8 && NumClass(kNumCDbl) == kNumClassComplex, "numeric type codes disagree");
}

static void Identity(void) {
    PKGuidType guid, back;
    char text[kPKGuidTextSize];
    PKGuidCreate(&guid);
    Expect(PKGuidToCStr(&guid, text) == kErrNone && PKGuidFromCStr(text, &back) == kErrNone &&
               PKGuidsEqual(&guid, &back),
           "a GUID did not survive its text form");
    const uInt32 now = MilliSecs();
    Expect(MillisecCmp(now + 5u, now) == 5 && MillisecCmp(2u, 0xFFFFFFFEu) == 4,
           "MillisecCmp does not order ticks");
}

static void Services(void) {
    TQServiceRecord records[16];
    Expect(InitTQCoreBase() == kErrNone, "InitTQCoreBase failed");
    Expect(TQCoreBaseServiceRecords(records, 16) == 10, "the base registry does not hold ten services");
    /* A host reaches the services it may start or register itself. */
    Expect(MemoryManagerService() != NULL && PathManagerService() != NULL &&
               ProtectedAtomicOperationsService() != NULL && OccurrenceManagerService() != NULL &&
               HardWaitBehaviorService() != NULL,
           "a service accessor gave null");
    Expect(UninitTQCoreBase() == kErrNone, "UninitTQCoreBase failed");
}

int main(void) {
    Handles();
    Text();
    Numbers();
    Identity();
    Services();
    if (gFailures) return 1;
    printf("C consumer linked and ran\n");
    return 0;
}
