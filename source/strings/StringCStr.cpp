// C strings, character classification and case, and character stepping (ANSI code page and UTF-8).
#include <cstring>

#include "diagnostics/Report.h"
#include "platform/CodePage.h"
#include "strings/LStrHandles.h"

#define TQ_UNIT "source\\StringCStr"

namespace tq::strings {

uChar FoldLower(uChar c) {
    return platform::AnsiCharLower(c);
}

int32 Utf8Width(uChar lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    if ((lead & 0xFC) == 0xF8) return 5;
    if ((lead & 0xFE) == 0xFC) return 6;
    return 0;
}

}  // namespace tq::strings

using namespace tq::strings;

namespace {

const uChar* U(ConstCStr s) {
    return reinterpret_cast<const uChar*>(s);
}

// Walks two C strings for at most `limit` bytes; the first difference (after `fold`) or the length
// difference within the limit decides.
template <class Fold>
int32 WalkCompare(ConstCStr a, ConstCStr b, int64 limit, Fold fold) {
    const uChar* pa = U(a);
    const uChar* pb = U(b);
    int64 i = 0;
    for (; i < limit; ++i) {
        const uChar ca = pa[i], cb = pb[i];
        if (ca == 0 || cb == 0) break;
        if (ca == cb) continue;
        const uChar fa = fold(ca), fb = fold(cb);
        if (fa != fb) return int32(fa) - int32(fb);
    }
    if (i == limit) return 0;
    // One side ended: the order is the difference of what remains of each within the limit.
    int64 ra = 0, rb = 0;
    while (i + ra < limit && pa[i + ra]) ++ra;
    while (i + rb < limit && pb[i + rb]) ++rb;
    return int32(ra - rb);
}

uChar Same(uChar c) {
    return c;
}

constexpr int64 kNoLimit = INT64_MAX;

}  // namespace

int32 StrCmp(ConstCStr a, ConstCStr b) {
    return WalkCompare(a, b, kNoLimit, Same);
}

Bool32 StrEqual(ConstCStr a, ConstCStr b) {
    return std::strcmp(a, b) == 0;
}

int32 StrNCmp(ConstCStr a, ConstCStr b, int32 n) {
    return n <= 0 ? 0 : WalkCompare(a, b, n, Same);
}

Bool32 StrNEqual(ConstCStr a, ConstCStr b, int32 n) {
    return n <= 0 || std::strncmp(a, b, size_t(n)) == 0;
}

int32 StrCaseCmp(ConstCStr a, ConstCStr b) {
    return WalkCompare(a, b, kNoLimit, FoldLower);
}

int32 StrNCaseCmp(ConstCStr a, ConstCStr b, int32 n) {
    return n <= 0 ? 0 : WalkCompare(a, b, n, FoldLower);
}

Bool32 StrNCaseEqual(ConstCStr a, ConstCStr b, int32 n) {
    return StrNCaseCmp(a, b, n) == 0;
}

int32 StrLen(ConstCStr s) {
    return s ? int32(std::strlen(s)) : 0;
}

CStr StrCpy(CStr dst, ConstCStr src) {
    std::memmove(dst, src, std::strlen(src) + 1);
    return dst;
}

CStr StrNCpy(CStr dst, ConstCStr src, int32 n) {
    if (n > 0) std::strncpy(dst, src, size_t(n));
    return dst;
}

int32 StrCat(CStr dst, ConstCStr src) {
    const size_t head = std::strlen(dst), tail = std::strlen(src);
    std::memmove(dst + head, src, tail + 1);
    return int32(head + tail);
}

CStr StrChr(ConstCStr s, int32 c) {
    if (!s || uChar(c) == 0) return nullptr;
    return const_cast<CStr>(std::strchr(s, char(c)));
}

CStr StrRChr(ConstCStr s, int32 c) {
    if (!s || uChar(c) == 0) return nullptr;
    return const_cast<CStr>(std::strrchr(s, char(c)));
}

Bool32 StrIStr(ConstCStr haystack, ConstCStr needle) {
    if (!haystack || !needle || !*haystack) return 0;
    for (const uChar* start = U(haystack); *start; ++start) {
        const uChar* h = start;
        const uChar* n = U(needle);
        for (; *n; ++n, ++h) {
            while (*h == ' ' || *h == '\t') ++h;
            if (!*h || FoldLower(*h) != FoldLower(*n)) break;
        }
        if (!*n) return 1;
    }
    return 0;
}

Bool32 IsAlpha(int32 c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

Bool32 IsDigit(int32 c) {
    return c >= '0' && c <= '9';
}

Bool32 IsPunct(int32 c) {
    return (c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) || (c >= 123 && c <= 126);
}

// Values 256 to 65535 name no ANSI byte, so they come back unchanged like every larger value.
int32 ToLower(int32 c) {
    return (c >= 0 && c <= 0xFF) ? tq::platform::AnsiCharLower(uChar(c)) : c;
}

int32 ToUpper(int32 c) {
    return (c >= 0 && c <= 0xFF) ? tq::platform::AnsiCharUpper(uChar(c)) : c;
}

Bool32 IsLower(int32 c) {
    return ToUpper(c) != c;
}

Bool32 IsUpper(int32 c) {
    return ToLower(c) != c;
}

void StrToLower(CStr s, int32 n) {
    if (s && n > 0) tq::platform::AnsiCharLowerBuff(s, uInt32(n));
}

void StrToUpper(CStr s, int32 n) {
    if (s && n > 0) tq::platform::AnsiCharUpperBuff(s, uInt32(n));
}

uChar HexChar(int32 v) {
    return uChar("0123456789ABCDEF"[v & 0xF]);
}

int32 StrNextChar(ConstCStr s, int32 index) {
    const char* p = s + index;
    if (*p == '\0') return index + 1;
    return index + int32(tq::platform::AnsiCharNext(p) - p);
}

int32 StrPrevChar(ConstCStr s, int32 index) {
    if (index == 0) return 0;
    if (index < 0) {
        TQ_REPORT(kDbgError, "Negative index into string in StrPrevChar");
        return 0;
    }
    return int32(tq::platform::AnsiCharPrev(s, s + index) - s);
}

namespace {
// CharNextA's width, except that a lead byte at the last allowed position is not followed past `end`.
int32 AnsiWidth(ConstCStr p, ConstCStr end) {
    if (*p == '\0' || !tq::platform::AnsiIsLeadByte(uChar(*p))) return 1;
    if (p + 1 >= end) return 2;
    return p[1] != '\0' ? 2 : 1;
}
}  // namespace

int32 StrCharacterEqual(ConstCStr a, ConstCStr endA, ConstCStr b, ConstCStr endB) {
    if (!a || !b || a >= endA || b >= endB) return 0;
    const int32 wa = AnsiWidth(a, endA), wb = AnsiWidth(b, endB);
    if (wa != wb || a + wa > endA || b + wb > endB) return 0;
    return std::memcmp(a, b, size_t(wa)) == 0 ? wa : 0;
}

TqErr StrValidateAndGetNextChar(ConstCStr s, int32 index, int32* next) {
    if (!s || !next || index < 0) return kErrArgument;
    const int32 w = Utf8Width(U(s)[index]);
    if (w == 0) return kErrBadCharEncoding;
    *next = index + w;
    return kErrNone;
}

TqErr StrCharCount(ConstCStr s, int32 start, int32 end, int32* count) {
    if (!count) return kErrArgument;
    *count = 0;
    if (!s || start < 0 || end < 0) return kErrArgument;
    int32 n = 0;
    for (int32 i = start; i < end;) {
        const int32 w = Utf8Width(U(s)[i]);
        if (w == 0) return *count = n, kErrBadCharEncoding;
        if (w > end - i) return *count = n, kErrArgument;
        ++n;
        i += w;
    }
    *count = n;
    return kErrNone;
}
