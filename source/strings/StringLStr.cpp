// Long strings: conversions to and from the other forms, editing in handles, comparisons.
#include <cstring>

#include "diagnostics/Report.h"
#include "platform/CodePage.h"
#include "strings/ByteScan.h"
#include "strings/LStrHandles.h"
#include "strings/ShortCopy.h"

#define TQ_UNIT "source\\StringLStr"

using namespace tq::strings;

namespace {

int32 CStrLength(ConstCStr s) {
    return s ? int32(std::strlen(s)) : 0;
}

// The handle value as a number for reports.
unsigned long long HandleValue(const void* h) {
    return static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(h));
}

// Resizes (or creates) *h to `bytes`, keeping the contents; a source inside the old block is followed.
TqErr EnsureBlock(LStrHandle* h, int64 bytes) {
    if (bytes < 0) return kErrMemoryFull;  // beyond what a signed 32-bit count can describe
    if (!*h) {
        LStrHandle created = NewLStr(bytes);
        if (!created) return kErrMemoryFull;
        (*created)->cnt = 0;
        *h = created;
        return kErrNone;
    }
    return Resize(*h, bytes);
}

bool Inside(LStrHandle h, const void* p) {
    const LStr* s = Deref(h);
    if (!s || !p) return false;
    const uChar* base = reinterpret_cast<const uChar*>(s);
    return p >= base && p < base + BlockSize(h);
}

// Appends n bytes; `exact` sets the block to exactly the new total, else it grows only when too small.
TqErr AppendBytes(LStrHandle* h, const void* src, int32 n, bool exact) {
    const bool aliased = Inside(*h, src);
    const ptrdiff_t offset = aliased ? static_cast<const uChar*>(src) - reinterpret_cast<uChar*>(**h) : 0;
    const int32 count = Count(*h);
    const int64 needed = SizeFor(int64(count) + n);
    TqErr err = kErrNone;
    if (exact || !*h) {
        err = EnsureBlock(h, needed);
    } else if (needed < 0) {
        err = kErrMemoryFull;
    } else if (BlockSize(*h) < needed) {
        // Geometric growth keeps repeated appends linear overall; the slack stays in the block.
        const int64 grown = needed + needed / 2;
        err = Resize(*h, grown <= INT32_MAX ? grown : needed);
    }
    if (err) return err;
    const void* from = aliased ? reinterpret_cast<uChar*>(**h) + offset : src;
    if (n > 0) std::memmove((**h)->str + count, from, size_t(n));
    (**h)->cnt = count + n;
    return kErrNone;
}

TqErr ReportedFromPtr(const char* what, ConstCStr text, const void* bytes, int32 length, LStrHandle* h) {
    const TqErr err = LStrFromPtr(h, length, bytes);
    if (err)
        TQ_REPORT(kDbgNote, what, text ? text : "", ", size ", length, ", ", HandleValue(h ? *h : nullptr));
    return err;
}

}  // namespace

namespace tq::strings {

// Out of line, so LStrCmp's equal-count path stays short.
[[gnu::noinline]] int32 CompareBytes(const uChar* a, int32 lengthA, const uChar* b, int32 lengthB) {
    const int32 common = lengthA < lengthB ? lengthA : lengthB;
    const int r = common > 0 && a != b ? std::memcmp(a, b, size_t(common)) : 0;
    return r != 0 ? r : lengthA - lengthB;
}

// Out of line: the callers' block-scan path stays a bare tail call.
[[gnu::noinline]] int32 CaseCompareBytesByTable(const uChar* a, int32 lengthA, const uChar* b,
                                                int32 lengthB) {
    const int32 common = lengthA < lengthB ? lengthA : lengthB;
    const uChar* lower = platform::AnsiLowerTable().table;
    for (int32 i = 0; i < common; ++i) {
        if (a[i] == b[i]) continue;
        const uChar fa = lower[a[i]], fb = lower[b[i]];
        if (fa != fb) return int32(fa) - int32(fb);
    }
    return lengthA - lengthB;
}

}  // namespace tq::strings

// --- Conversions ---

int32 CToLStr(ConstCStr src, LStr* dst) {
    const int32 n = CStrLength(src);
    if (n) std::memcpy(dst->str, src, size_t(n));
    dst->cnt = n;
    return n;
}

int32 PToLStr(ConstPStr src, LStr* dst) {
    const int32 n = src ? src[0] : 0;
    if (n) std::memcpy(dst->str, src + 1, size_t(n));
    dst->cnt = n;
    return n;
}

int32 LToCStr(const LStr* src, CStr dst) {
    const int32 n = Count(src);
    if (n > 0) std::memcpy(dst, src->str, size_t(n));
    dst[n > 0 ? n : 0] = '\0';
    return n > 0 ? n : 0;
}

int32 LToCStrN(const LStr* src, CStr dst, uInt32 size) {
    if (size == 0 || !dst) return 0;
    const int32 count = Count(src) > 0 ? Count(src) : 0;
    const int32 n = uInt32(count) < size - 1 ? count : int32(size - 1);
    if (n > 0) std::memcpy(dst, src->str, size_t(n));
    dst[n] = '\0';
    return n;
}

TqErr LToCStrNChecked(const LStr* src, CStr dst, uInt32 size, int32* copied) {
    const int32 n = LToCStrN(src, dst, size);
    if (copied) *copied = n;
    return (n > 0 && std::memchr(dst, 0, size_t(n))) ? kErrStringHasNull : kErrNone;
}

int32 LToPStr(const LStr* src, PStr dst) {
    const int32 count = Count(src) > 0 ? Count(src) : 0;
    if (count > 255)
        TQ_REPORT(kDbgError, "LStr truncated when converting to PStr. Original LStr length=", count);
    const int32 n = count > 255 ? 255 : count;
    if (n) std::memmove(dst + 1, src->str, size_t(n));
    dst[0] = uChar(n);
    return n;
}

int32 CToPStr(ConstCStr src, PStr dst) {
    int32 n = 0;
    // Stops at 255 without measuring the rest of a long source.
    while (src && n < 255 && src[n] != '\0') ++n;
    if (n) std::memmove(dst + 1, src, size_t(n));
    dst[0] = uChar(n);
    return n;
}

int32 PToCStr(ConstPStr src, CStr dst) {
    const int32 n = src ? src[0] : 0;
    if (n) std::memmove(dst, src + 1, size_t(n));
    dst[n] = '\0';
    return n;
}

TqErr LStrFromPtr(LStrHandle* h, int32 length, const void* src) {
    // A negative length cannot describe bytes to copy.
    if (!h || length < 0) return kErrArgument;
    if (!src || length == 0) {
        Dispose(*h);
        *h = nullptr;
        return kErrNone;
    }
    if (Inside(*h, src)) {
        // Text taken from the string itself moves into place before the block can shrink under it; text
        // that would run past the block is refused.
        const uChar* base = reinterpret_cast<const uChar*>(**h);
        if (static_cast<const uChar*>(src) + length > base + BlockSize(*h)) return kErrArgument;
        std::memmove((**h)->str, src, size_t(length));
        (**h)->cnt = length;
        return Resize(*h, kLStrHeader + length);
    }
    const TqErr err = EnsureBlock(h, kLStrHeader + length);
    if (err) return err;
    std::memcpy((**h)->str, src, size_t(length));
    (**h)->cnt = length;
    return kErrNone;
}

TqErr CToLHStr(ConstCStr src, LStrHandle* h) {
    return ReportedFromPtr("CToLHStr FAILED:", src, src, CStrLength(src), h);
}

TqErr PToLHStr(ConstPStr src, LStrHandle* h) {
    char text[256];
    PToCStr(src, text);
    return ReportedFromPtr("PToLHStr FAILED:", text, src ? src + 1 : nullptr, src ? src[0] : 0, h);
}

// --- Editing ---

// Appends keep the block exactly 4 + count (no geometric slack); Resize keeps repeated appends linear.
TqErr LStrAppendCStr(LStrHandle* h, ConstCStr s) {
    if (!s) return kErrNone;
    if (!h) return kErrArgument;
    return AppendBytes(h, s, CStrLength(s), true);
}

TqErr LStrAppendPStr(LStrHandle* h, ConstPStr s) {
    if (!s) return kErrNone;
    if (!h) return kErrArgument;
    return AppendBytes(h, s + 1, s[0], true);
}

TqErr LStrPrependCStr(LStrHandle* h, ConstCStr s) {
    if (!h || !*h || !s) return kErrNone;
    const int32 n = CStrLength(s);
    if (n == 0) return kErrNone;
    // A C string inside the block would be overwritten by the move, so it is copied aside first.
    UPtr saved = nullptr;
    if (Inside(*h, s)) {
        saved = DSNewPtr(uInt64(n));
        if (!saved) return kErrMemoryFull;
        std::memcpy(saved, s, size_t(n));
    }
    const int32 count = Count(*h);
    const TqErr err = EnsureBlock(h, SizeFor(int64(count) + n));
    if (!err) {
        std::memmove((**h)->str + n, (**h)->str, size_t(count));
        std::memcpy((**h)->str, saved ? static_cast<const void*>(saved) : s, size_t(n));
        (**h)->cnt = count + n;
    }
    if (saved) DSDisposePtr(saved);
    return err;
}

TqErr LStrAppendChar(LStrHandle h, uChar c) {
    if (!h) return kErrArgument;
    const int32 count = Count(h);
    const int64 needed = SizeFor(int64(count) + 1);
    if (needed < 0) return kErrMemoryFull;
    if (BlockSize(h) < needed) {
        const TqErr err = Resize(h, needed);
        if (err) return err;
    }
    (*h)->str[count] = c;
    (*h)->cnt = count + 1;
    return kErrNone;
}

TqErr LStrCatEfficient(LStrHandle h, const LStr* add) {
    if (!h) return kErrArgument;
    const int32 n = Count(add);
    if (n <= 0) return kErrNone;
    // The common case, the text fits the block: one size query, and no resize can move the source.
    LStr* s = *h;
    const int32 count = Count(s);
    const int64 needed = SizeFor(int64(count) + n);
    if (s && needed >= 0 && needed <= BlockSize(h)) {
        CopyBytes(s->str + count, add->str, n);
        s->cnt = count + n;
        return kErrNone;
    }
    return AppendBytes(&h, add->str, n, false);
}

TqErr LStrCat(LStrHandle h, const LStr* add) {
    if (!h) return kErrArgument;
    // Growing straight to the exact total ends where growing with slack and trimming would, in one resize.
    return AppendBytes(&h, Bytes(add), Count(add), true);
}

TqErr LStrHNullTerminate(LStrHandle h) {
    if (!h) return kErrArgument;
    const int32 count = Count(h);
    if (count == INT32_MAX) return kErrMemoryFull;
    const int64 grown = BlockSize(h) + 1;
    const TqErr err = Resize(h, grown > kLStrHeader + count ? grown : kLStrHeader + count + 1);
    if (err) return err;
    (*h)->str[count] = 0;
    (*h)->cnt = count + 1;
    return kErrNone;
}

void LStrToLower(LStrHandle h) {
    if (Count(h) > 0) tq::platform::AnsiCharLowerBuff(reinterpret_cast<char*>((*h)->str), uInt32((*h)->cnt));
}

void LStrToUpper(LStrHandle h) {
    if (Count(h) > 0) tq::platform::AnsiCharUpperBuff(reinterpret_cast<char*>((*h)->str), uInt32((*h)->cnt));
}

namespace {
void ReverseRange(uChar* p, int32 n) {
    for (int32 i = 0, j = n - 1; i < j; ++i, --j) {
        const uChar t = p[i];
        p[i] = p[j];
        p[j] = t;
    }
}
}  // namespace

TqErr LStrReverse(LStrHandle h) {
    const int32 count = Count(h);
    if (count <= 0) return kErrNone;
    uChar* s = (*h)->str;
    for (int32 i = 0; i < count;) {
        const int32 w = Utf8Width(s[i]);
        // A character announcing more bytes than remain is refused like a bad lead byte.
        if (w == 0 || w > count - i) return kErrBadCharEncoding;
        ReverseRange(s + i, w);
        i += w;
    }
    ReverseRange(s, count);
    return kErrNone;
}

TqErr LStrRotateOneCharacter(LStrHandle h) {
    const int32 count = Count(h);
    if (count <= 0) return kErrNone;  // nothing to move; the string stays as it is
    const int32 w = Utf8Width((*h)->str[0]);
    if (w == 0 || w > count) return kErrBadCharEncoding;
    UPtr saved = DSNewPtr(uInt64(w));
    if (!saved) return kErrMemoryFull;
    uChar* s = (*h)->str;
    std::memcpy(saved, s, size_t(w));
    std::memmove(s, s + w, size_t(count - w));
    std::memcpy(s + count - w, saved, size_t(w));
    DSDisposePtr(saved);
    return kErrNone;
}

// --- Comparisons ---

int32 LStrCmp(const LStr* a, const LStr* b) {
    // Equal positive counts: the block comparison is the whole answer, reached by a tail call. The C
    // library's memcmp beats a scan of our own here, whatever the alignment of the two strings.
    if (a && b && a->cnt == b->cnt && a->cnt > 0)
        return a->cnt <= 64 ? gCompareShort(a->str, b->str, a->cnt)
                            : std::memcmp(a->str, b->str, size_t(a->cnt));
    return CompareBytes(Bytes(a), Count(a), Bytes(b), Count(b));
}

Bool32 LStrEqual(const LStr* a, const LStr* b) {
    if (a == b) return 1;
    const int32 n = Count(a);
    return n == Count(b) && (n == 0 || std::memcmp(a->str, b->str, size_t(n)) == 0);
}

int32 LStrCaseCmp(const LStr* a, const LStr* b) {
    if (a == b) return 0;
    if (!a || !b) return Count(a) - Count(b);
    return CaseCompareBytes(a->str, a->cnt, b->str, b->cnt);
}

int32 LHStrCmp(LStrHandle a, LStrHandle b) {
    return LStrCmp(Deref(a), Deref(b));
}

Bool32 LHStrEqual(LStrHandle a, LStrHandle b) {
    return LStrEqual(Deref(a), Deref(b));
}

int32 LHStrCaseCmp(LStrHandle a, LStrHandle b) {
    const int32 na = Count(a), nb = Count(b);
    if (na == 0 || nb == 0) return na - nb;
    return CaseCompareBytes((*a)->str, na, (*b)->str, nb);
}
