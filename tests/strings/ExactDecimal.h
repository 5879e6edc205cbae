// Exact comparisons between binary floating-point values and decimal texts, made with integer arithmetic
// alone, so that digits and scanning are checked the same way on every target without trusting any
// library's conversions (the library itself uses the standard ones).
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace exact {

using u128 = unsigned __int128;

// Natural numbers of any size, little-endian 64-bit limbs without leading zero limbs.
class Nat {
  public:
    explicit Nat(u128 v) {
        for (; v; v >>= 64) limbs_.push_back(uint64_t(v));
    }
    void MulSmall(uint64_t m) {
        u128 carry = 0;
        for (uint64_t& limb : limbs_) {
            const u128 t = u128(limb) * m + carry;
            limb = uint64_t(t);
            carry = t >> 64;
        }
        if (carry) limbs_.push_back(uint64_t(carry));
    }
    void MulPow5(int e) {
        for (; e >= 27; e -= 27) MulSmall(7450580596923828125ull);  // 5^27, the largest below 2^64
        uint64_t rest = 1;
        while (e-- > 0) rest *= 5;
        MulSmall(rest);
    }
    void ShiftLeft(int bits) {
        if (limbs_.empty() || bits <= 0) return;
        const int rem = bits % 64;
        if (rem) {
            uint64_t carry = 0;
            for (uint64_t& limb : limbs_) {
                const uint64_t next = limb >> (64 - rem);
                limb = limb << rem | carry;
                carry = next;
            }
            if (carry) limbs_.push_back(carry);
        }
        limbs_.insert(limbs_.begin(), size_t(bits / 64), 0);
    }
    friend int Compare(const Nat& a, const Nat& b) {
        if (a.limbs_.size() != b.limbs_.size()) return a.limbs_.size() < b.limbs_.size() ? -1 : 1;
        for (size_t i = a.limbs_.size(); i-- > 0;)
            if (a.limbs_[i] != b.limbs_[i]) return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
        return 0;
    }

  private:
    std::vector<uint64_t> limbs_;
};

// Sign of a x 2^a2 x 5^a5 - b x 2^b2 x 5^b5.
inline int CompareScaled(u128 a, int a2, int a5, u128 b, int b2, int b5) {
    Nat x(a), y(b);
    if (a5 > b5)
        x.MulPow5(a5 - b5);
    else
        y.MulPow5(b5 - a5);
    if (a2 > b2)
        x.ShiftLeft(a2 - b2);
    else
        y.ShiftLeft(b2 - a2);
    return Compare(x, y);
}

// |value| = m x 2^e.
struct Binary {
    bool negative;
    uint64_t m;
    int e;
};

// Significands below 2^precision; e runs from eMin (the subnormals' exponent) to eMax.
struct Format {
    int precision, eMin, eMax;
};
inline constexpr Format kDouble{53, -1074, 971};
inline constexpr Format kExtended{64, -16445, 16320};

inline Binary Decompose(double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    const int biased = int(bits >> 52 & 0x7FF);
    const uint64_t fraction = bits & ((1ull << 52) - 1);
    if (biased == 0) return {bits >> 63 != 0, fraction, kDouble.eMin};
    return {bits >> 63 != 0, fraction | 1ull << 52, biased - 1075};
}

inline Binary Decompose(long double x) {
    uint64_t m;
    uint16_t se;
    std::memcpy(&m, &x, 8);
    std::memcpy(&se, reinterpret_cast<const char*>(&x) + 8, 2);
    const int biased = se & 0x7FFF;
    return {(se & 0x8000) != 0, m, biased == 0 ? kExtended.eMin : biased - 16383 - 63};
}

// A decimal text "[-]ddd[.ddd][e|E[+-]dd]" read exactly: value digits x 10^exp10.
struct Decimal {
    bool negative = false;
    uint64_t digits = 0;
    int count = 0;        // digits written
    int fraction = 0;     // of them after the point
    int exp10 = 0;        // of the last digit
    bool padded = false;  // the integer part has a leading zero before other digits
};

inline std::optional<Decimal> Parse(const std::string& text) {
    Decimal d;
    size_t i = 0;
    d.negative = i < text.size() && text[i] == '-';
    if (d.negative) ++i;
    const size_t first = i;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && !point) {
            point = true;
            d.padded = i - first > 1 && text[first] == '0';
            continue;
        }
        if (c < '0' || c > '9') break;
        if (d.count == 19) return std::nullopt;
        d.digits = d.digits * 10 + uint64_t(c - '0');
        ++d.count;
        if (point) ++d.fraction;
    }
    if (!point) d.padded = i - first > 1 && text[first] == '0';
    int written = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        const bool minus = i < text.size() && text[i] == '-';
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
        if (i == text.size()) return std::nullopt;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            written = written * 10 + (text[i] - '0');
        if (minus) written = -written;
    }
    if (i != text.size() || d.count == 0) return std::nullopt;
    d.exp10 = written - d.fraction;
    return d;
}

// Is digits x 10^k the decimal of its step nearest to |x|, ties going to the even digits? When the digits
// are a power of ten written in full width the steps below are ten times finer, and so is that side's bound.
inline bool NearestDecimal(const Binary& x, uint64_t digits, int k, bool finerBelow) {
    const bool even = digits % 2 == 0;
    const int hi = CompareScaled(x.m, x.e + 1, 0, u128(digits) * 2 + 1, k, k);
    if (hi > 0 || (hi == 0 && !even)) return false;
    if (digits == 0) return true;
    const int lo = finerBelow ? CompareScaled(x.m, x.e + 1, 0, u128(digits) * 20 - 1, k - 1, k - 1)
                              : CompareScaled(x.m, x.e + 1, 0, u128(digits) * 2 - 1, k, k);
    return lo > 0 || (lo == 0 && (even || finerBelow));
}

// Is r (its magnitude; `infinite` when it overflowed) the value of format f nearest to digits x 10^k, ties
// going to the even significand?
inline bool NearestBinary(const Binary& r, bool infinite, uint64_t digits, int k, const Format& f) {
    const u128 top = u128(1) << f.precision;
    if (infinite) return CompareScaled(digits, k, k, 2 * top - 1, f.eMax - 1, 0) >= 0;
    const bool even = r.m % 2 == 0;
    const int hi = CompareScaled(digits, k, k, 2 * u128(r.m) + 1, r.e - 1, 0);
    if (hi > 0 || (hi == 0 && !even)) return false;
    if (r.m == 0) return true;
    // The first significand of a binade has its lower neighbour in the binade below, half a step away.
    const bool binadeStart = r.m == top / 2 && r.e > f.eMin;
    const int lo = binadeStart ? CompareScaled(digits, k, k, 2 * top - 1, r.e - 2, 0)
                               : CompareScaled(digits, k, k, 2 * u128(r.m) - 1, r.e - 1, 0);
    return lo > 0 || (lo == 0 && even);
}

}  // namespace exact
