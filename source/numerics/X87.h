// The x87 instructions the extended functions are built on, and exact two-part extended arithmetic.
#pragma once

namespace tq::numerics::x87 {

using ld = long double;

// y * log2(x)
inline ld Fyl2x(ld y, ld x) {
    ld r;
    asm("fyl2x" : "=t"(r) : "0"(x), "u"(y) : "st(1)");
    return r;
}
// y * log2(1 + x), accurate for |x| < 1 - sqrt(0.5)
inline ld Fyl2xp1(ld y, ld x) {
    ld r;
    asm("fyl2xp1" : "=t"(r) : "0"(x), "u"(y) : "st(1)");
    return r;
}
// 2^x - 1 for |x| <= 1
inline ld F2xm1(ld x) {
    ld r;
    asm("f2xm1" : "=t"(r) : "0"(x));
    return r;
}
// x * 2^trunc(n)
inline ld Fscale(ld x, ld n) {
    ld r;
    asm("fscale" : "=t"(r) : "0"(x), "u"(n));
    return r;
}
inline ld Fsin(ld x) {
    ld r;
    asm("fsin" : "=t"(r) : "0"(x));
    return r;
}
inline ld Fcos(ld x) {
    ld r;
    asm("fcos" : "=t"(r) : "0"(x));
    return r;
}
inline ld Ftan(ld x) {
    ld one, t;
    asm("fptan" : "=t"(one), "=u"(t) : "0"(x));
    (void)one;
    return t;
}
// atan2(y, x)
inline ld Fpatan(ld y, ld x) {
    ld r;
    asm("fpatan" : "=t"(r) : "0"(x), "u"(y) : "st(1)");
    return r;
}
inline ld Fsqrt(ld x) {
    ld r;
    asm("fsqrt" : "=t"(r) : "0"(x));
    return r;
}
// IEEE remainder of x by m, repeating the partial remainder until it is complete.
inline ld Fprem1(ld x, ld m) {
    ld r;
    asm("1: fprem1\n\tfnstsw %%ax\n\ttestw $0x400, %%ax\n\tjnz 1b" : "=t"(r) : "0"(x), "u"(m) : "ax", "cc");
    return r;
}

// A value held as an unevaluated sum hi + lo.
struct Pair {
    ld hi, lo;
};

inline Pair TwoSum(ld a, ld b) {
    const ld s = a + b;
    const ld bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}
// Splits a into two halves of 32 significant bits; |a| must stay below 2^16350.
inline Pair Split(ld a) {
    const ld t = 4294967297.0L * a;
    const ld hi = t - (t - a);
    return {hi, a - hi};
}
inline Pair TwoProd(ld a, ld b) {
    const ld p = a * b;
    const Pair x = Split(a), y = Split(b);
    return {p, ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
}
// a * (c.hi + c.lo) as a pair.
inline Pair MulPair(ld a, Pair c) {
    Pair p = TwoProd(a, c.hi);
    p.lo += a * c.lo;
    return p;
}

inline constexpr Pair kLog2E = {0xb.8aa3b295c17f0bcp-3L, -0x8.2f0025f2dc582eep-68L};
inline constexpr Pair kLog2Of10 = {0xd.49a784bcd1b8afep-2L, 0x9.257edfe9b5fb69ap-67L};
inline constexpr Pair kLn2 = {0xb.17217f7d1cf79acp-4L, -0xd.871319ff0342543p-70L};
inline constexpr Pair kLog10Of2 = {0x9.a209a84fbcff799p-5L, -0xe.0ed4ca7e906dd1p-70L};
inline constexpr ld kPi = 0xc.90fdaa22168c235p-2L;
inline constexpr ld kTwoPi = 0xc.90fdaa22168c235p-1L;
inline constexpr ld kHalfPi = 0xc.90fdaa22168c235p-3L;
inline constexpr ld kTwoOverPi = 0xa.2f9836e4e44152ap-4L;
// pi/2 in four parts; the first three have 32 significant bits so that k * part is exact for k < 2^32.
inline constexpr ld kPiO2[4] = {0xc.90fdaa2p-3L, 0x8.5a308d3p-37L, 0x9.8cc517p-72L,
                                0xd.c1cd129024e088ap-107L};

}  // namespace tq::numerics::x87
