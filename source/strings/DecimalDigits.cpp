// Decimal digits to binary floating point, correctly rounded, for double and extended.
#include "strings/DecimalDigits.h"

#include "strings/PowersOfFive.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace tq::strings {

namespace {

template <class Real>
bool Special(Real v, Decimal& out) {
    out.negative = std::signbit(v) && !std::isnan(v);
    if (std::isnan(v)) {
        out.kind = Decimal::kNaN;
        out.negative = false;
    } else if (std::isinf(v)) {
        out.kind = Decimal::kInfinite;
    } else {
        return false;
    }
    out.count = 0;
    return true;
}

void SetZero(Decimal& out) {
    out.digits[0] = '0';
    out.count = 1;
    out.exp10 = 0;
    out.negative = false;  // a zero renders without sign whatever its sign bit
}

// Reads "d[.ddd]e[+-]xx" as produced by to_chars in scientific form.
void ParseScientific(const char* p, const char* end, Decimal& out) {
    int32 n = 0;
    for (; p < end && *p != 'e'; ++p)
        if (*p != '.') out.digits[n++] = *p;
    int32 exp = 0;
    std::from_chars(p + 1 + (p[1] == '+'), end, exp);
    out.count = n;
    out.exp10 = exp - (n - 1);
    if (out.digits[0] == '0') SetZero(out);
}

template <class Real>
Decimal RoundSig(Real v, int32 n) {
    Decimal out;
    if (Special(v, out)) return out;
    n = n < 1 ? 1 : (n > kMaxSignificant ? kMaxSignificant : n);
    char text[64];
    const auto r =
        std::to_chars(text, text + sizeof text, std::fabs(v), std::chars_format::scientific, n - 1);
    ParseScientific(text, r.ptr, out);
    return out;
}

template <class Real>
Decimal RoundFix(Real v, int32 d) {
    Decimal out;
    if (Special(v, out)) return out;
    d = d < 0 ? 0 : (d > 63 ? 63 : d);
    const Real mag = std::fabs(v);
    if (mag >= Real(1e17)) return RoundSig(v, kMaxSignificant);
    char text[128];
    const auto r = std::to_chars(text, text + sizeof text, mag, std::chars_format::fixed, d);
    const char* p = text;
    while (p < r.ptr && (*p == '0' || *p == '.')) ++p;
    int32 n = 0;
    for (const char* q = p; q < r.ptr; ++q) {
        if (*q == '.') continue;
        if (n == kMaxSignificant) return RoundSig(v, kMaxSignificant);
        out.digits[n++] = *q;
    }
    if (n == 0) {
        SetZero(out);
        return out;
    }
    out.count = n;
    out.exp10 = -d;
    return out;
}

// Fixed-capacity natural numbers (64-bit limbs, little-endian): enough for 5^5000 times a 19-digit integer
// scaled by 2^70, the largest operand exact decimal-to-binary rounding needs here.
class BigNat {
  public:
    static constexpr int32 kLimbs = 192;

    explicit BigNat(uInt64 v) {
        limbs_[0] = v;
        size_ = v ? 1 : 0;
    }
    void MulSmall(uInt64 m) {
        unsigned __int128 carry = 0;
        for (int32 i = 0; i < size_; ++i) {
            const unsigned __int128 t = (unsigned __int128)(limbs_[i]) * m + carry;
            limbs_[i] = uInt64(t);
            carry = t >> 64;
        }
        if (carry) limbs_[size_++] = uInt64(carry);
    }
    void MulPow5(int32 e) {
        constexpr uInt64 k5to27 = 7450580596923828125ull;
        for (; e >= 27; e -= 27) MulSmall(k5to27);
        uInt64 rest = 1;
        while (e-- > 0) rest *= 5;
        if (rest > 1) MulSmall(rest);
    }
    void ShiftLeft(int32 bits) {
        const int32 words = bits / 64, rem = bits % 64;
        if (size_ == 0 || bits <= 0) return;
        limbs_[size_] = 0;
        for (int32 i = size_; i >= 0; --i) {
            const uInt64 hi = limbs_[i] << rem;
            const uInt64 lo = rem && i > 0 ? limbs_[i - 1] >> (64 - rem) : 0;
            limbs_[i + words] = hi | lo;
        }
        for (int32 i = 0; i < words; ++i) limbs_[i] = 0;
        size_ += words + 1;
        Trim();
    }
    void ShiftRightOne() {
        for (int32 i = 0; i < size_; ++i)
            limbs_[i] = (limbs_[i] >> 1) | (i + 1 < size_ ? limbs_[i + 1] << 63 : 0);
        Trim();
    }
    int32 BitLength() const {
        return size_ ? (size_ - 1) * 64 + (64 - __builtin_clzll(limbs_[size_ - 1])) : 0;
    }
    bool IsZero() const { return size_ == 0; }
    bool Bit(int32 i) const { return i >= 0 && i / 64 < size_ && ((limbs_[i / 64] >> (i % 64)) & 1u); }
    bool AnyBelow(int32 i) const {
        for (int32 w = 0; w < i / 64 && w < size_; ++w)
            if (limbs_[w]) return true;
        return (i % 64) && i / 64 < size_ && (limbs_[i / 64] & ((uInt64(1) << (i % 64)) - 1));
    }
    // Bits [from, from + 128) as a number.
    unsigned __int128 Slice(int32 from) const {
        unsigned __int128 r = 0;
        for (int32 i = 127; i >= 0; --i) r = (r << 1) | unsigned(Bit(from + i));
        return r;
    }
    bool GreaterEqual(const BigNat& o) const {
        if (size_ != o.size_) return size_ > o.size_;
        for (int32 i = size_; i-- > 0;)
            if (limbs_[i] != o.limbs_[i]) return limbs_[i] > o.limbs_[i];
        return true;
    }
    void Subtract(const BigNat& o) {
        uInt64 borrow = 0;
        for (int32 i = 0; i < size_; ++i) {
            const uInt64 b = i < o.size_ ? o.limbs_[i] : 0;
            const uInt64 t = limbs_[i] - b - borrow;
            borrow = (limbs_[i] < b) || (limbs_[i] - b < borrow);
            limbs_[i] = t;
        }
        Trim();
    }

  private:
    void Trim() {
        while (size_ > 0 && limbs_[size_ - 1] == 0) --size_;
    }
    uInt64 limbs_[kLimbs + 2] = {};
    int32 size_ = 0;
};

int32 BitLength128(unsigned __int128 v) {
    int32 n = 0;
    while (v) {
        v >>= 1;
        ++n;
    }
    return n;
}

// The format of a binary result: significand bits and the smallest and largest exponent of its last bit.
struct BinaryFormat {
    int32 precision;
    int32 minExp;  // exponent of the least subnormal
    int32 maxExp;  // exponent of the last bit of the largest finite value
};
constexpr BinaryFormat kDouble{53, -1074, 971};
constexpr BinaryFormat kExtended{64, -16445, 16320};

struct Rounded {
    uInt64 mantissa = 0;
    int32 exp2 = 0;
    bool infinite = false;
};

// Rounds the exact value q x 2^qExp (+ sticky below q's last bit) to the format, ties to even.
Rounded RoundToFormat(unsigned __int128 q, int32 qExp, bool sticky, const BinaryFormat& f) {
    Rounded r;
    const int32 len = BitLength128(q);
    int32 shift = len - f.precision;
    if (qExp + shift < f.minExp) shift = f.minExp - qExp;
    if (shift <= 0) {
        r.mantissa = uInt64(q << -shift);  // exact: no bits are dropped
        r.exp2 = qExp + shift;
        return r;
    }
    if (shift > len + 1) return r;  // far below half the least subnormal
    const unsigned __int128 kept = shift >= 128 ? 0 : q >> shift;
    const bool half = (q >> (shift - 1)) & 1;
    const bool rest = sticky || (shift > 1 && (q & (((unsigned __int128)(1) << (shift - 1)) - 1)) != 0);
    unsigned __int128 m = kept + (half && (rest || (kept & 1)));
    int32 exp = qExp + shift;
    if (BitLength128(m) > f.precision) {
        m >>= 1;
        ++exp;
    }
    if (exp > f.maxExp) {
        r.infinite = true;
        return r;
    }
    r.mantissa = uInt64(m);
    r.exp2 = exp;
    return r;
}

// 10^e = 5^e x 2^e: only the power of five needs big arithmetic.
Rounded DecimalToBinary(uInt64 digits, int32 exp10, const BinaryFormat& f) {
    Rounded r;
    if (digits == 0 || exp10 < -5000) return r;
    if (exp10 > 5000) {
        r.infinite = true;
        return r;
    }
    BigNat n(digits);
    if (exp10 >= 0) {
        n.MulPow5(exp10);
        const int32 from = n.BitLength() > 128 ? n.BitLength() - 128 : 0;
        return RoundToFormat(n.Slice(from), from + exp10, n.AnyBelow(from), f);
    }
    BigNat b(1);
    b.MulPow5(-exp10);
    // Scale so the quotient carries precision + 2 bits at least, then divide bit by bit.
    int32 k = b.BitLength() - n.BitLength() + f.precision + 2;
    if (k < 0) k = 0;
    n.ShiftLeft(k);
    unsigned __int128 q = 0;
    const int32 top = n.BitLength() - b.BitLength();
    if (top >= 0) {
        b.ShiftLeft(top);
        for (int32 i = top; i >= 0; --i) {
            if (n.GreaterEqual(b)) {
                n.Subtract(b);
                q |= (unsigned __int128)(1) << i;
            }
            b.ShiftRightOne();
        }
    }
    return RoundToFormat(q, -k + exp10, !n.IsZero(), f);
}

bool ClingerFastPath(uInt64 digits, int32 exp10, double& out) {
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (digits >> 53 || exp10 < -22 || exp10 > 22) return false;
    out = exp10 >= 0 ? double(digits) * kPow10[exp10] : double(digits) / kPow10[-exp10];
    return true;
}

struct Product {
    uInt64 hi, lo;
};
Product Multiply(uInt64 a, uInt64 b) {
    const unsigned __int128 r = (unsigned __int128)(a)*b;
    return {uInt64(r >> 64), uInt64(r)};
}

// The top bits of digits x 5^exp10 from the 128-bit table decide the rounding to double (exact ties go to
// even); false when the truncated product lies too close to a rounding boundary to tell. digits is not 0.
bool ProductRounding(uInt64 digits, int32 exp10, double& out) {
    if (exp10 < kMinPowerOfFive || exp10 > kMaxPowerOfFive) {
        out = exp10 < 0 ? 0.0 : HUGE_VAL;  // beyond these even 19 digits underflow or overflow
        return true;
    }
    const int32 lz = __builtin_clzll(digits);
    const uInt64 w = digits << lz;
    const uInt64* power = kPowersOfFive[exp10 - kMinPowerOfFive];
    Product p = Multiply(w, power[0]);
    constexpr uInt64 kBelow = 0x1FF;  // product bits under the 53 result bits and the rounding bit
    if ((p.hi & kBelow) == kBelow) {
        const uInt64 more = Multiply(w, power[1]).hi;
        p.lo += more;
        p.hi += p.lo < more;
    }
    // Only where the table is inexact can a rounding boundary hide under an all-ones low word.
    if (p.lo == ~0ull && (exp10 < -27 || exp10 > 55)) return false;
    const int32 upper = int32(p.hi >> 63);
    uInt64 m = p.hi >> (upper + 9);                                // 53 bits and the rounding bit
    int32 e2 = ((217706 * exp10) >> 16) + 63 + upper - lz + 1023;  // floor(exp10 x log2(10)) + biases
    uInt64 bits;
    if (e2 <= 0) {
        // Subnormal: no exact tie can arise this far from 10^0, so the rounding bit alone decides.
        if (1 - e2 >= 64) {
            out = 0.0;
            return true;
        }
        m >>= 1 - e2;
        m = (m + (m & 1)) >> 1;
        bits = m;  // a carry into bit 52 is the smallest normal exponent
    } else {
        const bool exactTie =
            p.lo <= 1 && exp10 >= -4 && exp10 <= 23 && (m & 3) == 1 && m << (upper + 9) == p.hi;
        if (exactTie) m &= ~1ull;
        m = (m + (m & 1)) >> 1;
        if (m >> 53) {
            m >>= 1;
            ++e2;
        }
        if (e2 >= 0x7FF) {
            out = HUGE_VAL;
            return true;
        }
        bits = uInt64(e2) << 52 | (m & ((1ull << 52) - 1));
    }
    std::memcpy(&out, &bits, 8);
    return true;
}

constexpr long double kPow10L[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
                                   1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L,
                                   1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};

// Up to 10^27 a power of ten is exact in the extended format (5^27 < 2^63), so the product or quotient is
// rounded once: correctly rounded at the x87 unit's 64-bit precision.
bool ExtendedFastPath(uInt64 digits, int32 exp10, long double& out) {
    if (exp10 < -27 || exp10 > 27) return false;
    out = exp10 >= 0 ? (long double)(digits)*kPow10L[exp10] : (long double)(digits) / kPow10L[-exp10];
    return true;
}

}  // namespace

Decimal RoundSignificant(double v, int32 n) {
    return RoundSig(v, n);
}
Decimal RoundSignificant(long double v, int32 n) {
    return RoundSig(v, n);
}
Decimal RoundFixed(double v, int32 d) {
    return RoundFix(v, d);
}
Decimal RoundFixed(long double v, int32 d) {
    return RoundFix(v, d);
}

double DecimalToDouble(uInt64 digits, int32 exp10, bool negative) {
    double v = 0.0;
    if (digits && !ClingerFastPath(digits, exp10, v) && !ProductRounding(digits, exp10, v)) {
        // Undecided products (rare) go to the standard correctly rounded scanner, far quicker than the
        // division.
        char text[48];
        char* p = std::to_chars(text, text + 24, digits).ptr;
        *p++ = 'e';
        p = std::to_chars(p, text + sizeof text, exp10).ptr;
        if (std::from_chars(text, p, v).ec != std::errc()) {
            const Rounded r = DecimalToBinary(digits, exp10, kDouble);
            v = r.infinite ? HUGE_VAL : std::ldexp(double(r.mantissa), r.exp2);
        }
    }
    return negative ? -v : v;
}

long double DecimalToExtended(uInt64 digits, int32 exp10, bool negative) {
    long double v;
    if (!ExtendedFastPath(digits, exp10, v)) {
        const Rounded r = DecimalToBinary(digits, exp10, kExtended);
        v = r.infinite ? HUGE_VALL : std::ldexp((long double)(r.mantissa), r.exp2);
    }
    return negative ? -v : v;
}

}  // namespace tq::strings

namespace tq::strings {

namespace {
// Sixteen BCD digits folded in lanes of doubling width; no lane overflows even for nibbles above 9.
uInt64 PackedDigits(const PackedDecimalReal& p) {
    static_assert(std::endian::native == std::endian::little, "the low digit pairs come first");
    uInt64 v;
    std::memcpy(&v, p.digits, 8);
    v = (v & 0x0F0F0F0F0F0F0F0Full) + ((v >> 4) & 0x0F0F0F0F0F0F0F0Full) * 10;
    v = (v & 0x00FF00FF00FF00FFull) + ((v >> 8) & 0x00FF00FF00FF00FFull) * 100;
    v = (v & 0x0000FFFF0000FFFFull) + ((v >> 16) & 0x0000FFFF0000FFFFull) * 10000;
    v = (v & 0xFFFFFFFFull) + (v >> 32) * 100000000;
    return uInt64((p.digits[8] >> 4) * 10 + (p.digits[8] & 15)) * 10000000000000000ull + v;
}

template <class Real>
bool PackedSpecial(const PackedDecimalReal& p, Real& out) {
    const uInt16 e = uInt16(p.exponent);
    if (e == 0x7FFE)
        out = std::numeric_limits<Real>::quiet_NaN();
    else if (e == 0x7FFF)
        out = p.sign ? -std::numeric_limits<Real>::infinity() : std::numeric_limits<Real>::infinity();
    else
        return false;
    return true;
}
}  // namespace

double PackedToDouble(const PackedDecimalReal& p) {
    double v;
    return PackedSpecial(p, v) ? v : DecimalToDouble(PackedDigits(p), p.exponent, p.sign != 0);
}

long double PackedToExtended(const PackedDecimalReal& p) {
    long double v;
    return PackedSpecial(p, v) ? v : DecimalToExtended(PackedDigits(p), p.exponent, p.sign != 0);
}

}  // namespace tq::strings
