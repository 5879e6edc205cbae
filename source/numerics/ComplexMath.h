// Complex operations on one element type, built from the real functions of ElementMath.h.
#pragma once

#include "numerics/ElementMath.h"

namespace tq::numerics {

template <class T>
struct Cx {
    T re, im;
};

template <class T>
struct Cplx {
    using F = Fn<T>;
    using C = Cx<T>;
    static constexpr T kNaN = std::numeric_limits<T>::quiet_NaN();
    static constexpr T kInf = std::numeric_limits<T>::infinity();

    static C Add(C a, C b) { return {a.re + b.re, a.im + b.im}; }
    static C Sub(C a, C b) { return {a.re - b.re, a.im - b.im}; }
    static C Neg(C z) { return {-z.re, -z.im}; }
    static C Conj(C z) { return {z.re, -z.im}; }
    static C Inc(C z) { return {z.re + 1, z.im}; }
    static C Dec(C z) { return {z.re - 1, z.im}; }
    static C Mul(C a, C b) {
        if (a.im == 0 && b.im == 0) return {a.re * b.re, T(0)};
        return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
    }
    static C Div(C a, C b) {
        const T den = b.re * b.re + b.im * b.im;
        return {(a.re * b.re + a.im * b.im) / den, (a.im * b.re - a.re * b.im) / den};
    }
    static C Recip(C z) {
        const T den = z.re * z.re + z.im * z.im;
        return {z.re / den, -z.im / den};
    }
    // hypot instead of the plain square root of the sum: no overflow for large parts.
    static T Abs(C z) { return F::Hypot(z.re, z.im); }
    static C Floor(C z) { return {std::floor(z.re), std::floor(z.im)}; }
    static C Ceil(C z) { return {std::ceil(z.re), std::ceil(z.im)}; }
    static C Round(C z) { return {RoundTiesEven(z.re), RoundTiesEven(z.im)}; }
    static C RToP(C z) {
        if (z.re == 0 && z.im == 0) return {T(0), T(0)};
        return {Abs(z), F::Atan2(z.im, z.re)};
    }
    static C PToR(C p) {
        const T c = F::Cos(p.im), s = F::Sin(p.im);
        if (std::isinf(p.re)) return {c == 0 ? T(0) : p.re * c, s == 0 ? T(0) : p.re * s};
        return {p.re * c, p.re * s};
    }
    static C Exp(C z) { return PToR({F::Exp(z.re), z.im}); }
    static C Expm1(C z) {
        C e = Exp(z);
        e.re -= 1;
        return e;
    }
    // Logarithm to a base whose natural log is lnBase (1 for e).
    static C LogBase(C z, T lnBase) {
        const T mag = Abs(z);
        const T re = mag == 0 ? -kInf : F::Log(mag);
        return {re / lnBase, F::Atan2(z.im, z.re) / lnBase};
    }
    static C Logn(C z) { return LogBase(z, T(1)); }
    static C Log10(C z) { return LogBase(z, F::Log(T(10))); }
    static C Log2(C z) { return LogBase(z, F::Log(T(2))); }
    static C Lognp1(C z) { return Logn(Inc(z)); }
    static C Sqrt(C z) {
        const C p = RToP(z);
        return PToR({std::sqrt(p.re), p.im / 2});
    }
    static C Pow2(C z) { return PToR({Real<T>::Pow2(z.re), z.im * F::Log(T(2))}); }
    static C Pow10(C z) { return PToR({Real<T>::Pow10(z.re), z.im * F::Log(T(10))}); }
    static C Powx(C a, C b) {
        const T arg = F::Atan2(a.im, a.re);
        if (b.im == 0 && arg == 0) return {Real<T>::Powx(a.re, b.re), T(0)};
        const T mag = Abs(a);
        const T lnMag = mag == 0 ? -kInf : F::Log(mag);
        return PToR({F::Exp(b.re * lnMag - b.im * arg), b.im * lnMag + b.re * arg});
    }
    static C Logx(C a, C b) { return Div(Logn(b), Logn(a)); }
    static C Sin(C z) { return {F::Sin(z.re) * F::Cosh(z.im), F::Cos(z.re) * F::Sinh(z.im)}; }
    static C Cos(C z) { return {F::Cos(z.re) * F::Cosh(z.im), -(F::Sin(z.re) * F::Sinh(z.im))}; }
    static C Tan(C z) { return Div(Sin(z), Cos(z)); }
    static C Cot(C z) { return Div(Cos(z), Sin(z)); }
    static C Sec(C z) { return Recip(Cos(z)); }
    static C Csc(C z) { return Recip(Sin(z)); }
    static C Sinh(C z) { return {F::Sinh(z.re) * F::Cos(z.im), F::Cosh(z.re) * F::Sin(z.im)}; }
    static C Cosh(C z) { return {F::Cosh(z.re) * F::Cos(z.im), F::Sinh(z.re) * F::Sin(z.im)}; }
    static C Tanh(C z) { return Div(Sinh(z), Cosh(z)); }
    static void SinCos(C z, C* s, C* c) {
        if (s) *s = Sin(z);
        if (c) *c = Cos(z);
    }
    static C Sinc(C z) {
        if (z.re == 0 && z.im == 0) return {T(1), T(0)};
        return Div(Sin(z), z);
    }
    static C MulI(C z) { return {-z.im, z.re}; }
    // asin z = -i ln(iz + sqrt(1 - z^2))
    static C Asin(C z) {
        const C w = Logn(Add(MulI(z), Sqrt(Sub({T(1), T(0)}, Mul(z, z)))));
        return {w.im, -w.re};
    }
    static C Acos(C z) {
        const C a = Asin(z);
        return {F::Atan2(T(1), T(0)) - a.re, -a.im};
    }
    // atan z = (i/2) (ln(1 - iz) - ln(1 + iz))
    static C Atan(C z) {
        const C iz = MulI(z);
        const C d = Sub(Logn(Sub({T(1), T(0)}, iz)), Logn(Add({T(1), T(0)}, iz)));
        return {-d.im / 2, d.re / 2};
    }
    static C Asinh(C z) { return Logn(Add(z, Sqrt(Add(Mul(z, z), {T(1), T(0)})))); }
    static C Acosh(C z) { return Logn(Add(z, Mul(Sqrt(Inc(z)), Sqrt(Dec(z))))); }
    static C Atanh(C z) {
        const C d = Sub(Logn(Inc(z)), Logn(Sub({T(1), T(0)}, z)));
        return {d.re / 2, d.im / 2};
    }
    static C Atan2(C a, C b) { return Atan(Div(b, a)); }
    static C Sign(C z) {
        const T mag = Abs(z);
        if (std::isnan(mag)) return {kNaN, kNaN};
        if (mag == 0) return {T(0), T(0)};
        return {z.re / mag, z.im / mag};
    }
    static int32 IsNan(C z) { return std::isnan(z.re) || std::isnan(z.im); }
    static int32 EQ(C a, C b) { return a.re == b.re && a.im == b.im; }
    static int32 NE(C a, C b) { return !(a.re == b.re && a.im == b.im); }
    static int32 EQ0(C z) { return z.re == 0 && z.im == 0; }
    static int32 NE0(C z) { return !(z.re == 0 && z.im == 0); }
    static C iScale(C z, T n) { return {Real<T>::iScale(z.re, n), Real<T>::iScale(z.im, n)}; }
};

// Complex operations that single and double compute in extended precision.
template <class T>
struct CplxViaExt {
    using W = Cplx<long double>;
    static Cx<long double> Widen(Cx<T> z) { return {z.re, z.im}; }
    static Cx<T> Narrow(Cx<long double> z) { return {T(z.re), T(z.im)}; }
    static Cx<T> Log2(Cx<T> z) { return Narrow(W::Log2(Widen(z))); }
    static Cx<T> Expm1(Cx<T> z) { return Narrow(W::Expm1(Widen(z))); }
    static Cx<T> Pow2(Cx<T> z) { return Narrow(W::Pow2(Widen(z))); }
    static Cx<T> Pow10(Cx<T> z) { return Narrow(W::Pow10(Widen(z))); }
    static Cx<T> Powx(Cx<T> a, Cx<T> b) { return Narrow(W::Powx(Widen(a), Widen(b))); }
};

}  // namespace tq::numerics
