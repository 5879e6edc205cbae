// Pascal strings: comparisons, copies and the small utilities built on them.
#include <cstring>

#include "diagnostics/Report.h"
#include "strings/LStrHandles.h"

#define TQ_UNIT "source\\StringPStr"

using namespace tq::strings;

namespace {

// The comparison rule with the actual byte difference as result.
int32 ByteDifference(const uChar* a, int32 lengthA, const uChar* b, int32 lengthB) {
    const int32 common = lengthA < lengthB ? lengthA : lengthB;
    for (int32 i = 0; i < common; ++i)
        if (a[i] != b[i]) return int32(a[i]) - int32(b[i]);
    return lengthA - lengthB;
}

void SetPStr(PStr dst, const uChar* bytes, int32 n) {
    if (n) std::memmove(dst + 1, bytes, size_t(n));
    dst[0] = uChar(n);
}

}  // namespace

int32 PStrCmp(ConstPStr a, ConstPStr b) {
    return ByteDifference(a + 1, a[0], b + 1, b[0]);
}

Bool32 PStrEqual(ConstPStr a, ConstPStr b) {
    return a[0] == b[0] && std::memcmp(a + 1, b + 1, a[0]) == 0;
}

int32 PStrCaseCmp(ConstPStr a, ConstPStr b) {
    return CaseCompareBytes(a + 1, a[0], b + 1, b[0]);
}

Bool32 PStrCaseEqual(ConstPStr a, ConstPStr b) {
    if (a[0] != b[0]) return 0;
    return CaseCompareBytes(a + 1, a[0], b + 1, b[0]) == 0;
}

int32 PPStrCmp(const ConstPStr* a, const ConstPStr* b) {
    return PStrCmp(*a, *b);
}

Bool32 PPStrEqual(const ConstPStr* a, const ConstPStr* b) {
    return PStrEqual(*a, *b);
}

int32 PPStrCaseCmp(const ConstPStr* a, const ConstPStr* b) {
    return PStrCaseCmp(*a, *b);
}

Bool32 PPStrCaseEqual(const ConstPStr* a, const ConstPStr* b) {
    return PStrCaseEqual(*a, *b);
}

int32 PLStrCmp(ConstPStr a, const LStr* b) {
    return ByteDifference(a + 1, a[0], Bytes(b), Count(b));
}

int32 PLStrCaseCmp(ConstPStr a, const LStr* b) {
    return CaseCompareBytes(a + 1, a[0], Bytes(b), Count(b));
}

namespace {
// Null and length rules shared by the pointer-and-length comparisons; true when they decide the result.
bool NullOrder(const uChar* a, int32 lengthA, const uChar* b, int32 lengthB, int32* result) {
    if (a == b) return *result = 0, true;
    if ((!a && lengthB == 0) || (!b && lengthA == 0)) return *result = 0, true;
    if (!a) return *result = -1, true;
    if (!b) return *result = 1, true;
    return false;
}
int32 Positive(int32 n) {
    return n > 0 ? n : 0;
}
}  // namespace

int32 PtrLenStrCmp(const uChar* a, int32 lengthA, const uChar* b, int32 lengthB) {
    int32 r;
    if (NullOrder(a, lengthA, b, lengthB, &r)) return r;
    return ByteDifference(a, Positive(lengthA), b, Positive(lengthB));
}

int32 PtrLenStrCaseCmp(const uChar* a, int32 lengthA, const uChar* b, int32 lengthB) {
    int32 r;
    if (NullOrder(a, lengthA, b, lengthB, &r)) return r;
    return CaseCompareBytes(a, Positive(lengthA), b, Positive(lengthB));
}

PStr PStrCpy(PStr dst, ConstPStr src) {
    std::memmove(dst, src, size_t(src[0]) + 1);
    return dst;
}

PStr PStrNCpy(PStr dst, ConstPStr src, int32 n) {
    // No byte to copy would leave a length without its bytes, so dst stays as it was.
    if (n <= 0) return dst;
    const int32 copied = n < src[0] + 1 ? n : src[0] + 1;
    std::memmove(dst, src, size_t(copied));
    dst[0] = uChar((copied - 1) & 0xFF);
    return dst;
}

int32 PStrCat(PStr dst, ConstPStr src) {
    const int32 room = 255 - dst[0];
    const int32 n = src[0] < room ? src[0] : room;
    std::memmove(dst + 1 + dst[0], src + 1, size_t(n));
    dst[0] = uChar(dst[0] + n);
    return dst[0];
}

PStr PStrDup(ConstPStr s) {
    if (!s) return nullptr;
    const int32 size = s[0] + 1;
    PStr copy = DSNewPtr(uInt64(size));
    if (!copy) {
        char text[256];
        PToCStr(s, text);
        TQ_REPORT(kDbgNote, "PStrDup FAILED:", text, ", size ", size, ", NULL");
        return nullptr;
    }
    std::memcpy(copy, s, size_t(size));
    return copy;
}

Bool32 PStrEndsWith(ConstPStr s, ConstCStr lowerSuffix) {
    const int32 n = lowerSuffix ? int32(std::strlen(lowerSuffix)) : 0;
    if (n > s[0]) return 0;
    const uChar* tail = s + 1 + s[0] - n;
    for (int32 i = 0; i < n; ++i)
        if (FoldLower(tail[i]) != uChar(lowerSuffix[i])) return 0;
    return 1;
}

int32 PStrInPStr(ConstPStr s, int32 start, ConstPStr pattern) {
    const int32 length = s[0], n = pattern[0];
    // A negative start is outside the string like one past its end.
    if (n == 0 || start < 0 || start >= length) return -1;
    for (int32 i = start; i + n <= length; ++i)
        if (CaseCompareBytes(s + 1 + i, n, pattern + 1, n) == 0) return i + n;
    return -1;
}

Bool32 PStrFindReplace(PStr dst, ConstPStr src, ConstCStr find, ConstCStr replace) {
    const int32 length = src ? src[0] : 0;
    const int32 findLength = find ? int32(std::strlen(find)) : 0;
    const int32 replaceLength = replace ? int32(std::strlen(replace)) : 0;
    Str255 out;
    int32 used = 0;
    Bool32 replaced = 0;
    for (int32 i = 0; i < length;) {
        // An empty find string matches nowhere, so the source is copied unchanged.
        if (findLength > 0 && i <= length - findLength &&
            std::memcmp(src + 1 + i, find, size_t(findLength)) == 0) {
            if (used + replaceLength > 255) return dst[0] = 0, 0;
            std::memcpy(out + 1 + used, replace, size_t(replaceLength));
            used += replaceLength, i += findLength, replaced = 1;
        } else {
            if (used + 1 > 255) return dst[0] = 0, 0;
            out[1 + used++] = src[1 + i++];
        }
    }
    SetPStr(dst, out + 1, used);
    return replaced;
}

Bool32 PStrSplitAtChar(ConstPStr src, uChar ch, PStr before, PStr after) {
    const int32 length = src[0];
    Str255 head;
    int32 used = 0;
    for (int32 i = 0; i < length; ++i) {
        const uChar c = src[1 + i];
        if (c != ch) {
            head[1 + used++] = c;
        } else if (i > 0 && src[i] == '\\' && used > 0) {
            head[used] = ch;  // the escaped pair becomes the character alone
        } else {
            SetPStr(after, src + 2 + i, length - (i + 1));
            SetPStr(before, head + 1, used);
            return 1;
        }
    }
    SetPStr(before, head + 1, used);
    after[0] = 0;
    return 0;
}

uInt32 PStrHash32(ConstPStr s, Bool32 ignoreCase) {
    if (!s || s[0] == 0) return 0;
    Str255 buffer;
    if (ignoreCase) {
        std::memcpy(buffer, s, size_t(s[0]) + 1);
        StrToUpper(reinterpret_cast<CStr>(buffer + 1), buffer[0]);
        s = buffer;
    }
    uInt32 h = 0;
    for (int32 i = 1; i <= s[0]; ++i) {
        h = (h << 4) + s[i];
        const uInt32 g = h & 0xF0000000u;
        if (g) h = (h ^ (g >> 24)) & 0x0FFFFFFFu;
    }
    return h;
}

int32 PStrNullTerminate(PStr buffer) {
    const int32 n = buffer[0];
    buffer[n < 255 ? n + 1 : 255] = 0;
    return n;
}

int32 PStrTerminateIfPossible(PStr buffer) {
    const int32 n = buffer[0];
    if (n < 255) buffer[n + 1] = 0;
    return n;
}
