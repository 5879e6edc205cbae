// Real and complex operations on one element type. Single and double use the platform's math functions in
// their own precision; extended uses the library's x87 functions. The operations the families always run
// in extended precision (Log2, Expm1, Pow2, Pow10, Powx, iScale, GetMantExp) go through Ext for every type.
#pragma once

#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

#include "tqcore/numerics.h"

namespace tq::numerics {

template <class T>
struct Fn {
    static T Sin(T x) { return std::sin(x); }
    static T Cos(T x) { return std::cos(x); }
    static T Tan(T x) { return std::tan(x); }
    static T Asin(T x) { return std::asin(x); }
    static T Acos(T x) { return std::acos(x); }
    static T Atan(T x) { return std::atan(x); }
    static T Atan2(T y, T x) { return std::atan2(y, x); }
    static T Sinh(T x) { return std::sinh(x); }
    static T Cosh(T x) { return std::cosh(x); }
    static T Tanh(T x) { return std::tanh(x); }
    static T Asinh(T x) { return std::asinh(x); }
    static T Acosh(T x) { return std::acosh(x); }
    static T Atanh(T x) { return std::atanh(x); }
    static T Exp(T x) { return std::exp(x); }
    static T Log(T x) { return std::log(x); }
    static T Log10(T x) { return std::log10(x); }
    static T Log1p(T x) { return std::log1p(x); }
    static T Hypot(T x, T y) { return std::hypot(x, y); }
};

template <>
struct Fn<long double> {
    using T = long double;
    static T Sin(T x) { return SinX(x); }
    static T Cos(T x) { return CosX(x); }
    static T Tan(T x) { return TanX(x); }
    static T Asin(T x) { return ASinX(x); }
    static T Acos(T x) { return ACosX(x); }
    static T Atan(T x) { return ATanX(x); }
    static T Atan2(T y, T x) { return FATan2X(x, y); }
    static T Sinh(T x) { return ::Sinh(x); }
    static T Cosh(T x) { return ::Cosh(x); }
    static T Tanh(T x) { return ::Tanh(x); }
    static T Asinh(T x) { return ::Asinh(x); }
    static T Acosh(T x) { return ::Acosh(x); }
    static T Atanh(T x) { return ::Atanh(x); }
    static T Exp(T x) { return ExpX(x); }
    static T Log(T x) { return LogN(x); }
    static T Log10(T x) { return ::Log10(x); }
    static T Log1p(T x) { return Lognp1(x); }
    static T Hypot(T x, T y) { return std::hypot(x, y); }
};

// Nearest integer, ties to even, whatever the current rounding mode; zero keeps the operand's sign.
template <class T>
T RoundTiesEven(T x) {
    if (!(std::fabs(x) < T(1) / std::numeric_limits<T>::epsilon())) return x;
    T t = std::floor(x);
    const T d = x - t;
    if (d > T(0.5) || (d == T(0.5) && std::fmod(t, T(2)) != 0)) t += 1;
    return t == 0 ? std::copysign(T(0), x) : t;
}

template <class T>
struct Real {
    using F = Fn<T>;
    static T Add(T a, T b) { return a + b; }
    static T Sub(T a, T b) { return a - b; }
    static T Mul(T a, T b) { return a * b; }
    static T Div(T a, T b) { return a / b; }
    static T Neg(T x) { return -x; }
    static T Abs(T x) { return std::fabs(x); }
    static T Inc(T x) { return x + 1; }
    static T Dec(T x) { return x - 1; }
    static T Recip(T x) { return 1 / x; }
    static T Sqrt(T x) { return std::sqrt(x); }
    static T Floor(T x) { return std::floor(x); }
    static T Ceil(T x) { return std::ceil(x); }
    static T Round(T x) { return RoundTiesEven(x); }
    // The floored remainder from the exact fmod, so large quotients lose nothing.
    static T Mod(T a, T b) {
        T r = std::fmod(a, b);
        if (r != 0 && (r < 0) != (b < 0)) r += b;
        return r;
    }
    static T Rem(T a, T b) { return Mod(a, b); }
    static void QRem(T a, T b, T* q, T* r) {
        const T quotient = std::floor(a / b);
        if (q) *q = quotient;
        if (r) *r = a - quotient * b;
    }
    static void MaxMin(T a, T b, T* max, T* min) {
        constexpr T nan = std::numeric_limits<T>::quiet_NaN();
        if (max) *max = a >= b ? a : (b > a ? b : nan);
        if (min) *min = b >= a ? a : (a > b ? b : nan);
    }
    static int32 Sign(T x, T* r) {
        const int32 s = std::isnan(x) ? 3 : (x > 0 ? 1 : (x < 0 ? -1 : 0));
        if (r) *r = s == 3 ? x : T(s);
        return s;
    }
    static T Sin(T x) { return F::Sin(x); }
    static T Cos(T x) { return F::Cos(x); }
    static T Tan(T x) { return F::Tan(x); }
    static T Asin(T x) { return F::Asin(x); }
    static T Acos(T x) { return F::Acos(x); }
    static T Atan(T x) { return F::Atan(x); }
    static T Sinh(T x) { return F::Sinh(x); }
    static T Cosh(T x) { return F::Cosh(x); }
    static T Tanh(T x) { return F::Tanh(x); }
    static T Exp(T x) { return F::Exp(x); }
    static T Log10(T x) { return F::Log10(x); }
    static T Cot(T x) { return 1 / F::Tan(x); }
    static T Sec(T x) { return 1 / F::Cos(x); }
    static T Csc(T x) { return 1 / F::Sin(x); }
    static T Sinc(T x) { return x == 0 ? T(1) : F::Sin(x) / x; }
    static void SinCos(T x, T* s, T* c) {
        if (s) *s = F::Sin(x);
        if (c) *c = F::Cos(x);
    }
    static T Asinh(T x) { return F::Asinh(x); }
    static T Acosh(T x) { return F::Acosh(x); }
    static T Atanh(T x) { return F::Atanh(x); }
    static T Logn(T x) { return F::Log(x); }
    static T Lognp1(T x) { return F::Log1p(x); }
    static T Log2(T x) { return T(::Log2(x)); }
    static T Expm1(T x) { return T(Expm1X(x)); }
    static T Pow2(T x) { return T(Pow2X(x)); }
    static T Pow10(T x) { return T(Pow10X(x)); }
    static T Powx(T a, T b) { return T(PowerX(a, b)); }
    static T Logx(T a, T b) { return F::Log(b) / F::Log(a); }
    static T Atan2(T a, T b) { return F::Atan2(b, a); }
    static T iScale(T x, T n) { return T(ScaleX(x, n)); }
    static void GetMantExp(T x, T* m, T* e) {
        long double exponent = 0;
        const long double mantissa = FMantExpX(x, &exponent);
        if (m) *m = T(mantissa);
        if (e) *e = T(exponent);
    }
    static int32 IsNan(T x) { return std::isnan(x); }
    static int32 EQ(T a, T b) { return a == b; }
    static int32 NE(T a, T b) { return a != b; }
    static int32 GT(T a, T b) { return a > b; }
    static int32 GE(T a, T b) { return a >= b; }
    static int32 LT(T a, T b) { return a < b; }
    static int32 LE(T a, T b) { return a <= b; }
    static int32 EQ0(T x) { return x == 0; }
    static int32 NE0(T x) { return x != 0; }
    static int32 GT0(T x) { return x > 0; }
    static int32 GE0(T x) { return x >= 0; }
    static int32 LT0(T x) { return x < 0; }
    static int32 LE0(T x) { return x <= 0; }
};

// Unaligned loads and stores of values in byte buffers; extended values take 10 bytes.
template <class T>
T ReadAs(const void* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <class T>
void WriteAs(void* p, T v) {
    std::memcpy(p, &v, sizeof v);
}
inline long double ReadExt(const void* p) {
    long double v = 0;
    std::memcpy(&v, p, sizeof(float80));
    return v;
}
inline void WriteExt(void* p, long double v) {
    std::memcpy(p, &v, sizeof(float80));
}

// Storage <-> computation type. Extended values live in 10 packed bytes.
template <class S>
struct Calc {
    using type = S;
};
template <>
struct Calc<float80> {
    using type = long double;
};
template <class S>
using CalcT = typename Calc<S>::type;

inline float Ld(const float* p) {
    return *p;
}
inline double Ld(const double* p) {
    return *p;
}
inline long double Ld(const float80* p) {
    return ReadExt(p);
}
inline void St(float* p, float v) {
    *p = v;
}
inline void St(double* p, double v) {
    *p = v;
}
inline void St(float80* p, long double v) {
    WriteExt(p, v);
}

// Storing through an optional pointer of a storage type.
template <class S>
class OptOut {
  public:
    explicit OptOut(S* p) : p_(p) {}
    CalcT<S>* get() { return p_ ? &v_ : nullptr; }
    ~OptOut() {
        if (p_) St(p_, v_);
    }

  private:
    S* p_;
    CalcT<S> v_{};
};

// The extended operations this platform does not provide report a fatal diagnostic and write nothing.
bool ReportUnavailable(const char* name);
constexpr bool IsUnavailable(const char* name) {
    constexpr const char* kNames[] = {
        "RTfAddX", "RTfSubX",  "RTfMulX",    "RTfDivX",   "RTfIncX",  "RTfDecX",    "RTfSqrtX", "RTfAtan2X",
        "RTfGEX",  "RTfLEX",   "RTfMaxMinX", "RTfModX",   "RTfRemX",  "RTfQRemX",   "RTcAbsX",  "RTcMulX",
        "RTcDivX", "RTcSqrtX", "RTcPToRX",   "RTcLog10X", "RTcLog2X", "RTcLognp1X", "RTcPow2X", "RTcPow10X"};
    for (const char* n : kNames) {
        int i = 0;
        while (n[i] && n[i] == name[i]) ++i;
        if (n[i] == name[i]) return true;
    }
    return false;
}

}  // namespace tq::numerics

// Leaves the enclosing exported function early, after the report, when its extended variant is missing.
#define TQ_UNAVAILABLE(name, ...)                        \
    if constexpr (::tq::numerics::IsUnavailable(name)) { \
        ::tq::numerics::ReportUnavailable(name);         \
        return __VA_ARGS__;                              \
    }
