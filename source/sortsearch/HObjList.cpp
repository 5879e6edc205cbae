// Handle object lists: insertion, search, deletion and compaction of object pointers in a handle.
#define TQ_UNIT "source\\HObjList"

#include <cstring>

#include "diagnostics/Report.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"
#include "tqcore/sortsearch.h"

namespace {

constexpr int64 kHeaderBytes = 8;
constexpr int64 kStepBytes = 16;

int32& CountOf(UHandle list) {
    return *reinterpret_cast<int32*>(*list);
}

void** Entries(UHandle list) {
    return reinterpret_cast<void**>(*list + kHeaderBytes);
}

// A null handle is fatal misuse; with a debug-output handler installed the call goes on and does nothing.
bool Usable(UHandle list, const char* function) {
    if (list && *list) return true;
    TQ_REPORT(kDbgFatal, function, ": null object list");
    return false;
}

int32 Pin(int32 position, int32 high) {
    if (position == kHObjListEnd || position > high) return high;
    return position < 0 ? 0 : position;
}

// Deleting leaves at most two spare slots: shrink when three or more would remain empty.
void ShrinkAfterDelete(UHandle list) {
    const int64 size = DSGetHandleSize(list);
    const int64 needed = kHeaderBytes + 8 * int64(CountOf(list));
    if (size - needed >= kStepBytes + 8) DSSetHandleSize(list, uInt64(size - kStepBytes));
}

void RemoveAt(UHandle list, int32 position) {
    const int32 count = CountOf(list);
    void** e = Entries(list);
    std::memmove(e + position, e + position + 1, sizeof(void*) * size_t(count - position - 1));
    e[count - 1] = nullptr;
    CountOf(list) = count - 1;
}

}  // namespace

TqErr HObjListInsert(UHandle list, void* object, int32 position) {
    if (!Usable(list, "HObjListInsert")) return kErrArgument;
    const int64 size = DSGetHandleSize(list);
    const int32 count = size >= kHeaderBytes ? CountOf(list) : 0;
    if (kHeaderBytes + 8 * int64(count + 1) > size) {
        // A handle too small even for the count is grown to one step past the header.
        const int64 grown = size < kHeaderBytes ? kHeaderBytes + kStepBytes : size + kStepBytes;
        if (const TqErr err = DSSetHSzClr(list, uInt64(grown))) return err;
    }
    const int32 at = Pin(position, count);
    void** e = Entries(list);
    std::memmove(e + at + 1, e + at, sizeof(void*) * size_t(count - at));
    e[at] = object;
    CountOf(list) = count + 1;
    return kErrNone;
}

void* HObjListDelete(UHandle list, int32 position) {
    if (!Usable(list, "HObjListDelete") || DSGetHandleSize(list) < kHeaderBytes) return nullptr;
    const int32 count = CountOf(list);
    if (count <= 0) return nullptr;
    const int32 at = Pin(position, count - 1);
    void* object = Entries(list)[at];
    RemoveAt(list, at);
    ShrinkAfterDelete(list);
    return object;
}

int32 HObjListSearch(UHandle list, const void* object) {
    if (!Usable(list, "HObjListSearch") || DSGetHandleSize(list) < kHeaderBytes) return -1;
    void** e = Entries(list);
    for (int32 i = CountOf(list) - 1; i >= 0; --i)
        if (e[i] == object) return i;
    return -1;
}

int32 HObjListSearchDelete(UHandle list, const void* object) {
    const int32 at = HObjListSearch(list, object);
    if (at < 0) return 0;
    HObjListDelete(list, at);
    return 1;
}

int32 HObjListBringToFront(UHandle list, const void* object) {
    if (!Usable(list, "HObjListBringToFront")) return 0;
    const int32 at = HObjListSearch(list, object);
    if (at < 0) {
        TQ_REPORT(kDbgNote, "HObjListBringToFront: object not found!!!");
        return 0;
    }
    if (at == 0) return 0;
    void** e = Entries(list);
    void* moving = e[at];
    std::memmove(e + 1, e, sizeof(void*) * size_t(at));
    e[0] = moving;
    return 1;
}

void HObjListSwap(UHandle list, int32 i, int32 j) {
    if (!Usable(list, "HObjListSwap")) return;
    const int32 count = DSGetHandleSize(list) >= kHeaderBytes ? CountOf(list) : 0;
    if (i < 0 || j < 0 || i >= count || j >= count) {
        TQ_REPORT(kDbgFatal, "HObjListSwap: pos out of range");
        return;
    }
    void** e = Entries(list);
    void* t = e[i];
    e[i] = e[j];
    e[j] = t;
}

void HCompactObjList(UHandle list) {
    if (!Usable(list, "HCompactObjList") || DSGetHandleSize(list) < kHeaderBytes) return;
    void** e = Entries(list);
    const int32 count = CountOf(list);
    int32 kept = 0;
    for (int32 i = 0; i < count; ++i)
        if (e[i]) e[kept++] = e[i];
    for (int32 i = kept; i < count; ++i) e[i] = nullptr;
    CountOf(list) = kept;
    const int64 target = (int64(kept) * 8 + 19) & ~int64(15);
    if (DSGetHandleSize(list) > target) DSSetHandleSize(list, uInt64(target));
}
