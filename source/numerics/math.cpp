// Extended-precision elementary functions on the x87 unit, and their single and double wrappers.
#include <cmath>
#include <cstring>
#include <limits>

#include "numerics/ElementMath.h"
#include "numerics/X87.h"
#include "tqcore/numerics.h"

using namespace tq::numerics::x87;

namespace {

constexpr ld kInf = std::numeric_limits<ld>::infinity();
constexpr ld kNaN = std::numeric_limits<ld>::quiet_NaN();

// Nearest integer of a value below 2^62 in magnitude, independent of the rounding mode.
ld NearestInt(ld x) {
    const ld t = std::floor(x);
    return x - t >= 0.5L ? t + 1 : t;
}

// 2^(yh + yl) with |yl| tiny beside yh.
ld Exp2Pair(ld yh, ld yl) {
    if (std::isnan(yh)) return yh;
    if (yh > 16400) return kInf;
    if (yh < -16500) return 0;
    const Pair y = TwoSum(yh, yl);
    const ld n = NearestInt(y.hi);
    const ld f = (y.hi - n) + y.lo;
    return Fscale(1.0L + F2xm1(f), n);
}

// 2^(y.hi + y.lo) - 1 as 2^n (2^f - 1) + (2^n - 1): subtracting 1 from 2^y afterwards would cancel bits.
ld Exp2m1Pair(Pair y) {
    if (y.hi > 16400) return kInf;
    if (y.hi < -100) return -1;
    const ld n = NearestInt(y.hi);
    if (n == 0) {
        const ld p = F2xm1(y.hi);
        return p + y.lo * kLn2.hi * (1 + p);
    }
    const ld p = F2xm1((y.hi - n) + y.lo);
    return Fscale(p, n) + (Fscale(1.0L, n) - 1);
}

constexpr Pair kTwoThirds = {0xa.aaaaaaaaaaaaaabp-4L, -0xa.aaaaaaaaaaaaaabp-69L};

// log2 x for finite x > 0 as a pair, from ln m = 2 atanh((m - 1) / (m + 1)) on the reduced mantissa.
Pair Log2Pair(ld x) {
    int k = 0;
    ld m = std::frexp(x, &k);
    if (m < 0.70710678118654752440L) {
        m *= 2;
        --k;
    }
    const ld num = m - 1;
    const Pair den = TwoSum(m, 1.0L);
    const ld s = num / den.hi;
    const Pair p = TwoProd(s, den.hi);
    const ld sl = (((num - p.hi) - p.lo) - s * den.lo) / den.hi;
    // ln m = 2s + 2s^3/3 + s^5 (2/5 + 2s^2/7 + ...); the first two terms carry extra bits.
    const Pair sq = TwoProd(s, s);
    Pair cube = TwoProd(sq.hi, s);
    cube.lo += sq.lo * s;
    Pair t1 = MulPair(cube.hi, kTwoThirds);
    t1.lo += cube.lo * kTwoThirds.hi + 2 * sq.hi * sl;
    const ld s2 = sq.hi;
    ld poly = 2.0L / 27;
    for (int j = 12; j >= 2; --j) poly = poly * s2 + 2.0L / (2 * j + 1);
    const Pair a = TwoSum(2 * s, t1.hi);
    const Pair b = TwoSum(a.hi, cube.hi * s2 * poly);
    const Pair ln = TwoSum(b.hi, b.lo + a.lo + t1.lo + 2 * sl);
    Pair l2 = MulPair(ln.hi, kLog2E);
    l2.lo += ln.lo * kLog2E.hi;
    const Pair whole = TwoSum(ld(k), l2.hi);
    return TwoSum(whole.hi, whole.lo + l2.lo);
}

// Reduces x to r + rl in [-pi/4, pi/4] and the quadrant k mod 4.
int ReduceHalfPi(ld x, ld& r, ld& rl) {
    if (std::fabs(x) <= kHalfPi / 2) {
        r = x;
        rl = 0;
        return 0;
    }
    if (!(std::fabs(x) < 0x1p31L * kHalfPi)) {
        // Beyond the exact reduction: take the remainder by 2 pi first, as the x87 itself would.
        x = Fprem1(x, kTwoPi);
    }
    const ld q = NearestInt(x * kTwoOverPi);
    const ld t = x - q * kPiO2[0];
    const Pair u = TwoSum(t, -(q * kPiO2[1]));
    const Pair v = TwoSum(u.hi, -(q * kPiO2[2]));
    r = v.hi;
    rl = (v.lo + u.lo) - q * kPiO2[3];
    const Pair w = TwoSum(r, rl);
    r = w.hi;
    rl = w.lo;
    return int(static_cast<long long>(q) & 3);
}

ld SinReduced(ld r, ld rl) {
    return Fsin(r) + rl * (1 - r * r / 2);
}
ld CosReduced(ld r, ld rl) {
    return Fcos(r) - rl * r;
}

ld Sign1(ld x) {
    return std::signbit(x) ? -1.0L : 1.0L;
}

// e^|x| / 2 near the overflow threshold, where e^|x| alone would overflow.
ld HalfExpLarge(ld a) {
    Pair y = MulPair(a, kLog2E);
    const Pair s = TwoSum(y.hi, -1.0L);
    return Exp2Pair(s.hi, s.lo + y.lo);
}

ld SqrtOneMinusSquare(ld x) {
    return Fsqrt((1 - x) * (1 + x));
}

}  // namespace

TQ_EXTERN_C_BEGIN

TQ_API TQExtended Log2(TQExtended x) {
    return Fyl2x(1.0L, x);
}
TQ_API TQExtended Log10(TQExtended x) {
    return Fyl2x(kLog10Of2.hi, x);
}
TQ_API TQExtended LogN(TQExtended x) {
    return Fyl2x(kLn2.hi, x);
}
TQ_API TQExtended LogX(TQExtended a, TQExtended b) {
    return Log2(b) / Log2(a);
}

TQ_API TQExtended Lognp1(TQExtended x) {
    if (std::fabs(x) <= 0.29289L) return Fyl2xp1(kLn2.hi, x);
    if (!std::isfinite(x)) return LogN(1 + x);
    // ln(1 + x) = ln u + (error of u) / u, so that rounding 1 + x costs nothing.
    const Pair u = TwoSum(1.0L, x);
    return u.lo == 0 ? LogN(u.hi) : LogN(u.hi) + u.lo / u.hi;
}

TQ_API TQExtended F2X(TQExtended y) {
    return Exp2Pair(y, 0);
}

TQ_API TQExtended F2XM1(TQExtended y) {
    if (std::isnan(y)) return y;
    if (y == -kInf) return -1;
    return Exp2m1Pair({y, 0});
}

// x log2(e) is carried in two parts: one rounded product would cost up to 2^13 ulps near the range ends.
TQ_API TQExtended ExpX(TQExtended x) {
    if (!(std::fabs(x) < 12000)) return std::isnan(x) ? x : (x > 0 ? kInf : 0);
    const Pair y = MulPair(x, kLog2E);
    return Exp2Pair(y.hi, y.lo);
}

TQ_API TQExtended Expm1X(TQExtended x) {
    if (x == 0 || std::isnan(x) || x == kInf) return x;
    if (x == -kInf) return -1;
    if (x > 12000) return kInf;
    if (x < -100) return -1;
    return Exp2m1Pair(MulPair(x, kLog2E));
}

TQ_API TQExtended Pow10X(TQExtended x) {
    if (!(std::fabs(x) < 5000)) return std::isnan(x) ? x : (x > 0 ? kInf : 0);
    const Pair y = MulPair(x, kLog2Of10);
    return Exp2Pair(y.hi, y.lo);
}

TQ_API TQExtended Pow2X(TQExtended x) {
    return F2X(x);
}

TQ_API int32 FPIsInt(TQExtended x) {
    if (!std::isfinite(x) || std::floor(x) != x) return 0;
    return x < 0 ? 1 : 2;
}

TQ_API TQExtended PowerX(TQExtended base, TQExtended exponent) {
    if (std::isnan(base) || std::isnan(exponent)) return kNaN;
    if (exponent == 0) return 1;
    if (base == 0) return exponent < 0 ? kInf : 0;
    if (base < 0) {
        const int32 kind = FPIsInt(exponent);
        if (kind == 0) return kNaN;
        const ld magnitude = PowerX(-base, exponent);
        const bool odd = std::fabs(exponent) < 0x1p64L && FPIsInt(exponent / 2) == 0;
        return odd ? -magnitude : magnitude;
    }
    if (std::isinf(base)) return exponent > 0 ? kInf : 0;
    const Pair l = Log2Pair(base);
    if (l.hi == 0) return 1;
    if (std::fabs(exponent) > 0x1p40L) return F2X(exponent * l.hi);
    Pair y = MulPair(exponent, l);
    return Exp2Pair(y.hi, y.lo);
}

TQ_API TQExtended ScaleX(TQExtended x, TQExtended n) {
    return Fscale(x, n);
}

TQ_API TQExtended FMantExpX(TQExtended x, TQExtended* e) {
    ld exponent = 0, mantissa = 0;
    if (std::isnan(x) || std::isinf(x)) {
        mantissa = x;
        exponent = std::isnan(x) ? x : kInf;
    } else if (x != 0) {
        int k = 0;
        mantissa = 2 * std::frexp(x, &k);
        exponent = k - 1;
    }
    if (e) *e = exponent;
    return mantissa;
}

TQ_API TQExtended RecipX(TQExtended x) {
    return 1 / x;
}
// floor and ceil are exact and independent of the rounding mode, so the control word is left alone.
TQ_API TQExtended FloorX(TQExtended x) {
    return std::floor(x);
}
TQ_API TQExtended CeilX(TQExtended x) {
    return std::ceil(x);
}
TQ_API TQExtended SignX(TQExtended x) {
    if (std::isnan(x)) return x;
    return x > 0 ? 1 : (x < 0 ? -1 : 0);
}

TQ_API TQExtended SinX(TQExtended x) {
    if (!std::isfinite(x) || x == 0) return x == 0 ? x : x - x;
    ld r = 0, rl = 0;
    switch (ReduceHalfPi(x, r, rl)) {
        case 0:
            return SinReduced(r, rl);
        case 1:
            return CosReduced(r, rl);
        case 2:
            return -SinReduced(r, rl);
        default:
            return -CosReduced(r, rl);
    }
}

TQ_API TQExtended CosX(TQExtended x) {
    if (!std::isfinite(x)) return x - x;
    ld r = 0, rl = 0;
    switch (ReduceHalfPi(x, r, rl)) {
        case 0:
            return CosReduced(r, rl);
        case 1:
            return -SinReduced(r, rl);
        case 2:
            return -CosReduced(r, rl);
        default:
            return SinReduced(r, rl);
    }
}

TQ_API TQExtended TanX(TQExtended x) {
    if (!std::isfinite(x)) return x - x;
    ld r = 0, rl = 0;
    const int k = ReduceHalfPi(x, r, rl);
    const ld t0 = Ftan(r);
    const ld t = t0 + rl * (1 + t0 * t0);
    return (k & 1) ? -1 / t : t;
}

TQ_API TQExtended ATanX(TQExtended x) {
    return Fpatan(x, 1.0L);
}
TQ_API TQExtended FATan2X(TQExtended a, TQExtended b) {
    return Fpatan(b, a);
}
TQ_API TQExtended SincX(TQExtended x) {
    return x == 0 ? 1.0L : SinX(x) / x;
}

TQ_API TQExtended Sinh(TQExtended x) {
    if (std::isinf(x) || std::isnan(x) || x == 0) return x;
    const ld a = std::fabs(x);
    if (a > 11350) return Sign1(x) * HalfExpLarge(a);
    const ld u = Expm1X(a);
    return Sign1(x) * (u + u / (u + 1)) / 2;
}

TQ_API TQExtended Cosh(TQExtended x) {
    if (std::isnan(x)) return x;
    const ld a = std::fabs(x);
    if (a > 11350) return HalfExpLarge(a);
    const ld v = ExpX(a);
    return (v + 1 / v) / 2;
}

TQ_API TQExtended Tanh(TQExtended x) {
    if (std::isnan(x) || x == 0) return x;
    const ld u = Expm1X(2 * std::fabs(x));
    if (std::isinf(u)) return Sign1(x);
    return Sign1(x) * (u / (u + 2));
}

TQ_API TQExtended ASinX(TQExtended x) {
    return Fpatan(x, SqrtOneMinusSquare(x));
}

TQ_API TQExtended ACosX(TQExtended x) {
    return Fpatan(SqrtOneMinusSquare(x), x);
}

TQ_API TQExtended Asinh(TQExtended x) {
    if (std::isnan(x) || std::isinf(x) || x == 0) return x;
    const ld a = std::fabs(x);
    ld r;
    if (a > 0x1p32L) {
        r = LogN(a) + kLn2.hi;
    } else {
        const ld a2 = a * a;
        r = Lognp1(a + a2 / (1 + Fsqrt(1 + a2)));
    }
    return Sign1(x) * r;
}

TQ_API TQExtended Acosh(TQExtended x) {
    if (!(x >= 1)) return kNaN;
    if (std::isinf(x)) return x;
    if (x > 0x1p32L) return LogN(x) + kLn2.hi;
    if (x >= 2) return LogN(2 * x - 1 / (x + Fsqrt(x * x - 1)));
    const ld t = x - 1;
    return Lognp1(t + Fsqrt(2 * t + t * t));
}

TQ_API TQExtended Atanh(TQExtended x) {
    if (std::isnan(x) || x == 0) return x;
    const ld a = std::fabs(x);
    if (a > 1) return kNaN;
    if (a == 1) return Sign1(x) * kInf;
    return Sign1(x) * Lognp1(2 * a / (1 - a)) / 2;
}

TQ_API const TQExtended* GenPow10Table(void) {
    struct Table {
        ld v[14];
        Table() {
            v[0] = 1;
            v[1] = 10;
            for (int i = 2; i < 14; ++i) v[i] = v[i - 1] * v[i - 1];
        }
    };
    static const Table table;
    return table.v;
}

TQ_EXTERN_C_END

namespace {

template <class Load>
ld SumStrided(const void* base, int32 strideBytes, int32 count, Load load) {
    ld sum = 0;
    if (!base) return sum;
    const auto* p = static_cast<const uInt8*>(base);
    for (int32 i = 0; i < count; ++i) sum += load(p + ptrdiff_t(i) * strideBytes);
    return sum;
}

}  // namespace

TQ_EXTERN_C_BEGIN

TQ_API void Sum1DDoubleArray(const void* base, int32 strideBytes, int32 count, double* result) {
    if (result) *result = double(SumStrided(base, strideBytes, count, tq::numerics::ReadAs<double>));
}
TQ_API void Sum1DSingleArray(const void* base, int32 strideBytes, int32 count, float* result) {
    if (result) *result = float(SumStrided(base, strideBytes, count, tq::numerics::ReadAs<float>));
}
TQ_API void Sum1DExtendedArray(const void* base, int32 strideBytes, int32 count, float80* result) {
    if (!result) return;
    const ld sum = SumStrided(base, strideBytes, count, tq::numerics::ReadExt);
    tq::numerics::WriteExt(result, sum);
}

// Typed wrappers: compute in extended precision, round once when returning.
#define TQ_WRAP1(name32, name64, nameExt, fn) \
    TQ_API float name32(float x) {            \
        return float(fn(x));                  \
    }                                         \
    TQ_API double name64(double x) {          \
        return double(fn(x));                 \
    }                                         \
    TQ_API TQExtended nameExt(TQExtended x) { \
        return fn(x);                         \
    }
#define TQ_WRAP2(name32, name64, nameExt, fn)               \
    TQ_API float name32(float a, float b) {                 \
        return float(fn(a, b));                             \
    }                                                       \
    TQ_API double name64(double a, double b) {              \
        return double(fn(a, b));                            \
    }                                                       \
    TQ_API TQExtended nameExt(TQExtended a, TQExtended b) { \
        return fn(a, b);                                    \
    }
TQ_WRAP1(FLog2_32, FLog2_64, FLog2_Ext, Log2)
TQ_WRAP1(FLog10_32, FLog10_64, FLog10_Ext, Log10)
TQ_WRAP1(FLogN32, FLogN64, FLogNExt, LogN)
TQ_WRAP1(FExpX32, FExpX64, FExpXExt, ExpX)
TQ_WRAP1(FPow10X32, FPow10X64, FPow10XExt, Pow10X)
TQ_WRAP1(FPow2X32, FPow2X64, FPow2XExt, Pow2X)
TQ_WRAP2(FLogX32, FLogX64, FLogXExt, LogX)
TQ_WRAP2(FScaleX32, FScaleX64, FScaleXExt, ScaleX)
TQ_WRAP2(FATan2_32, FATan2_64, FATan2_Ext, FATan2X)
TQ_WRAP2(FPowerX32, FPowerX64, FPowerXExt, PowerX)
#undef TQ_WRAP1
#undef TQ_WRAP2

TQ_EXTERN_C_END
