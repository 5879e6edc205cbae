// The block comparisons of strings with the widest vectors the processor offers, chosen once at load.
#include "strings/ByteScan.h"

#include <bit>
#include <cstring>

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

// The compare of every vector width: Fold marks the bytes of a kWidth-byte block that may differ, and the
// table judges each marked pair; the last block overlaps bytes already known to pass. Runs shorter than a
// block go to Narrower. Always inlined, so that it takes its caller's instruction set.
template <int32 kWidth, auto Fold, auto Narrower>
__attribute__((always_inline)) inline int32 CaseCompareBlocks(const uChar* lower, const uChar* a,
                                                              int32 lengthA, const uChar* b, int32 lengthB) {
    const int32 n = Common(lengthA, lengthB);
    if (n < kWidth) return Narrower(lower, a, lengthA, b, lengthB);
    for (int32 i = 0; i < n;) {
        int32 block = i;
        decltype(Fold(a, b)) m;
        if (i + kWidth <= n) {
            m = Fold(a + i, b + i);
            if (!m) {
                i += kWidth;
                continue;
            }
        } else {
            block = n - kWidth;
            m = Fold(a + block, b + block) >> (i - block) << (i - block);
            if (!m) break;
        }
        i = block + int32(std::countr_zero(m));
        if (const int32 d = TableDifference(lower, a[i], b[i])) return d;
        ++i;
    }
    return lengthA - lengthB;
}

__attribute__((target("avx2"))) int32 CaseCompareAvx2(const uChar* lower, const uChar* a, int32 lengthA,
                                                      const uChar* b, int32 lengthB) {
    return CaseCompareBlocks<32, FoldMismatch32, CaseCompareNarrow>(lower, a, lengthA, b, lengthB);
}

#if defined(__ELF__)
#define TQ_STRINGS_AVX512 1

// 64 bytes a step with byte masks. ELF only: the Win64 compiler does not align the stack for 64-byte
// vectors it may spill.
__attribute__((target("avx512bw"))) inline uInt64 FoldMismatch64(const uChar* a, const uChar* b) {
    // Plain vector operators: GCC 12's intrinsics for them warn about their own undefined operand.
    const __m512i va = _mm512_loadu_si512(a);
    const __m512i vb = _mm512_loadu_si512(b);
    const __m512i bit = _mm512_set1_epi8(0x20);
    const __mmask64 letter =
        _mm512_cmplt_epu8_mask(_mm512_sub_epi8(va | bit, _mm512_set1_epi8('a')), _mm512_set1_epi8(26));
    const __m512i x = va ^ vb;
    const __m512i rest = _mm512_mask_mov_epi8(x, letter, x & _mm512_set1_epi8(char(~0x20)));
    return _mm512_test_epi8_mask(rest, rest);
}

__attribute__((target("avx512bw"))) int32 CaseCompareAvx512(const uChar* lower, const uChar* a, int32 lengthA,
                                                            const uChar* b, int32 lengthB) {
    return CaseCompareBlocks<64, FoldMismatch64, CaseCompareAvx2>(lower, a, lengthA, b, lengthB);
}
#endif

CaseCompareFn Widest() {
    __builtin_cpu_init();
#if TQ_STRINGS_AVX512
    if (__builtin_cpu_supports("avx512bw")) return CaseCompareAvx512;
#endif
    return __builtin_cpu_supports("avx2") ? CaseCompareAvx2 : CaseCompareNarrow;
}

#else

CaseCompareFn Widest() {
    return CaseCompareNarrow;
}

#endif

int32 CompareShortPlain(const uChar* a, const uChar* b, int32 n) {
    return std::memcmp(a, b, size_t(n));
}

#if TQ_STRINGS_AVX512
// Masked loads read nothing past either run.
__attribute__((target("avx512bw"))) int32 CompareShortAvx512(const uChar* a, const uChar* b, int32 n) {
    const __mmask64 k = n >= 64 ? ~__mmask64(0) : (__mmask64(1) << n) - 1;
    const __mmask64 ne =
        _mm512_mask_cmpneq_epi8_mask(k, _mm512_maskz_loadu_epi8(k, a), _mm512_maskz_loadu_epi8(k, b));
    if (!ne) return 0;
    const int32 i = int32(__builtin_ctzll(ne));
    return int32(a[i]) - int32(b[i]);
}

CompareShortFn ShortestCompare() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512bw") ? CompareShortAvx512 : CompareShortPlain;
}
#else
// Elsewhere the C library's memcmp is the best there is.
CompareShortFn ShortestCompare() {
    return CompareShortPlain;
}
#endif

}  // namespace

int32 CaseCompareNarrow(const uChar* lower, const uChar* a, int32 lengthA, const uChar* b, int32 lengthB) {
    const int32 n = Common(lengthA, lengthB);
    for (int32 i = 0; (i = FirstFoldDifference(a, b, i, n)) < n; ++i)
        if (const int32 d = TableDifference(lower, a[i], b[i])) return d;
    return lengthA - lengthB;
}

// Constant-initialised to the forms every processor has, so comparisons made before this unit's
// initialiser has run still work; the initialiser then picks the widest.
CaseCompareFn gCaseCompareAsciiPlain = CaseCompareNarrow;

CompareShortFn gCompareShort = CompareShortPlain;

namespace {
[[maybe_unused]] const bool gWidestChosen =
    (gCaseCompareAsciiPlain = Widest(), gCompareShort = ShortestCompare(), true);
}  // namespace

}  // namespace tq::strings
