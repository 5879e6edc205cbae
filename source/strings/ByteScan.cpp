// The case-insensitive comparison over a table that folds ASCII as ASCII does, with the block width the
// processor offers.
#include "strings/ByteScan.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TQ_STRINGS_AVX2 1
#endif

namespace tq::strings {

namespace {

inline int32 Common(int32 lengthA, int32 lengthB) {
    return lengthA < lengthB ? lengthA : lengthB;
}

// The table's verdict on a pair the scan stopped at: 0 when it folds the two bytes equal.
inline int32 TableDifference(const uChar* lower, uChar a, uChar b) {
    return int32(lower[a]) - int32(lower[b]);
}

#if TQ_STRINGS_AVX2

// FoldMismatch16 over 32 bytes.
__attribute__((target("avx2"))) inline uInt32 FoldMismatch32(const uChar* a, const uChar* b) {
    const __m256i va = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a));
    const __m256i vb = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b));
    const __m256i bit = _mm256_set1_epi8(0x20);
    const __m256i shifted = _mm256_add_epi8(_mm256_or_si256(va, bit), _mm256_set1_epi8(char(0x80 - 'a')));
    const __m256i letter = _mm256_cmpgt_epi8(_mm256_set1_epi8(char(-128 + 26)), shifted);
    const __m256i rest = _mm256_andnot_si256(_mm256_and_si256(letter, bit), _mm256_xor_si256(va, vb));
    return ~uInt32(_mm256_movemask_epi8(_mm256_cmpeq_epi8(rest, _mm256_setzero_si256())));
}

// FirstFoldDifference in 32-byte blocks, for runs of at least 32 bytes.
__attribute__((target("avx2"))) inline int32 FirstFoldDifference32(const uChar* a, const uChar* b, int32 from,
                                                                   int32 n) {
    int32 i = from;
    for (; i + 32 <= n; i += 32)
        if (const uInt32 m = FoldMismatch32(a + i, b + i)) return i + __builtin_ctz(m);
    if (i == n) return n;
    // The last block overlaps bytes already known to pass.
    const int32 last = n - 32;
    const uInt32 m = FoldMismatch32(a + last, b + last) >> (i - last) << (i - last);
    return m ? last + __builtin_ctz(m) : n;
}

__attribute__((target("avx2"))) int32 CaseCompareAvx2(const uChar* lower, const uChar* a, int32 lengthA,
                                                      const uChar* b, int32 lengthB) {
    const int32 n = Common(lengthA, lengthB);
    if (n < 32) return CaseCompareNarrow(lower, a, lengthA, b, lengthB);
    for (int32 i = 0; (i = FirstFoldDifference32(a, b, i, n)) < n; ++i)
        if (const int32 d = TableDifference(lower, a[i], b[i])) return d;
    return lengthA - lengthB;
}

CaseCompareFn Widest() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? CaseCompareAvx2 : CaseCompareNarrow;
}

#else

CaseCompareFn Widest() {
    return CaseCompareNarrow;
}

#endif

}  // namespace

int32 CaseCompareNarrow(const uChar* lower, const uChar* a, int32 lengthA, const uChar* b, int32 lengthB) {
    const int32 n = Common(lengthA, lengthB);
    for (int32 i = 0; (i = FirstFoldDifference(a, b, i, n)) < n; ++i)
        if (const int32 d = TableDifference(lower, a[i], b[i])) return d;
    return lengthA - lengthB;
}

// Constant-initialised to the narrow form, so comparisons made before this unit's initialiser has run
// still work; the initialiser then picks the widest.
CaseCompareFn gCaseCompareAsciiPlain = CaseCompareNarrow;

namespace {
[[maybe_unused]] const bool gWidestChosen = (gCaseCompareAsciiPlain = Widest(), true);
}  // namespace

}  // namespace tq::strings
