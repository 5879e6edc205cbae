// Block scans over two byte runs for the case-insensitive comparisons: the first byte where two runs stop
// being equal once ASCII capitals are folded. SSE2 (the x86-64 baseline) handles 16 bytes a
// step; other processors take the byte loop.
#pragma once

#include "tqcore/types.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace tq::strings {

// Whether two bytes are equal, or are the same ASCII letter in either case.
inline bool AsciiFoldEqual(uChar a, uChar b) {
    const uChar x = a ^ b;
    const uChar y = a | 0x20;
    return x == 0 || (x == 0x20 && y >= 'a' && y <= 'z');
}

#if defined(__SSE2__)

// Lanes where the bytes are not AsciiFoldEqual. y + (0x80 - 'a') wraps 'a'..'z' to the 26 smallest signed
// values, so one signed compare tells letters; a letter lane may then differ in bit 0x20 only.
inline uInt32 FoldMismatch16(const uChar* a, const uChar* b) {
    const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
    const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
    const __m128i bit = _mm_set1_epi8(0x20);
    const __m128i shifted = _mm_add_epi8(_mm_or_si128(va, bit), _mm_set1_epi8(char(0x80 - 'a')));
    const __m128i letter = _mm_cmpgt_epi8(_mm_set1_epi8(char(-128 + 26)), shifted);
    const __m128i rest = _mm_andnot_si128(_mm_and_si128(letter, bit), _mm_xor_si128(va, vb));
    return uInt32(_mm_movemask_epi8(_mm_cmpeq_epi8(rest, _mm_setzero_si128()))) ^ 0xFFFFu;
}

// The first index in [from, n) whose lanes test(a + i, b + i) flags, or n. Every index below from is known
// to pass, so a last block may overlap them.
template <uInt32 (*Test)(const uChar*, const uChar*), bool (*Pass)(uChar, uChar)>
inline int32 FirstFlagged(const uChar* a, const uChar* b, int32 from, int32 n) {
    int32 i = from;
    for (; i + 32 <= n; i += 32) {
        const uInt32 m = Test(a + i, b + i) | (Test(a + i + 16, b + i + 16) << 16);
        if (m) return i + __builtin_ctz(m);
    }
    if (i + 16 <= n) {
        if (const uInt32 m = Test(a + i, b + i)) return i + __builtin_ctz(m);
        i += 16;
    }
    if (i == n) return n;
    if (n >= 16) {
        const int32 last = n - 16;
        const uInt32 m = Test(a + last, b + last) >> (i - last) << (i - last);
        return m ? last + __builtin_ctz(m) : n;
    }
    while (i < n && Pass(a[i], b[i])) ++i;
    return i;
}

inline int32 FirstFoldDifference(const uChar* a, const uChar* b, int32 from, int32 n) {
    return FirstFlagged<FoldMismatch16, AsciiFoldEqual>(a, b, from, n);
}

#else

inline int32 FirstFoldDifference(const uChar* a, const uChar* b, int32 from, int32 n) {
    while (from < n && AsciiFoldEqual(a[from], b[from])) ++from;
    return from;
}

#endif

// Case-insensitive order of two byte runs under a table that folds ASCII letters as ASCII does: runs equal
// once ASCII capitals are folded are skipped in blocks, the widest this processor has; a pair that is not
// goes through the table, and the scan goes on after it when the table folds the pair equal.
using CaseCompareFn = int32 (*)(const uChar* lower, const uChar* a, int32 lengthA, const uChar* b,
                                int32 lengthB);
extern CaseCompareFn gCaseCompareAsciiPlain;
// The form for any x86-64 (or any processor), which gCaseCompareAsciiPlain may be.
int32 CaseCompareNarrow(const uChar* lower, const uChar* a, int32 lengthA, const uChar* b, int32 lengthB);

// Byte order (sign of memcmp) of two runs of n bytes, 0 < n <= 64.
using CompareShortFn = int32 (*)(const uChar* a, const uChar* b, int32 n);
extern CompareShortFn gCompareShort;

}  // namespace tq::strings
