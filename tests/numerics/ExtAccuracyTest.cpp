// Accuracy of the extended elementary functions against correctly rounded MPFR values, in units in the last
// place of the 64-bit significand, over sweeps of arguments.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "tqcore/numerics.h"

namespace {

using ld = long double;
using MpfrUnary = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

class Mp {
  public:
    Mp() { mpfr_init2(v_, 256); }
    ~Mp() { mpfr_clear(v_); }
    Mp(const Mp&) = delete;
    Mp& operator=(const Mp&) = delete;
    mpfr_ptr get() { return v_; }

  private:
    mpfr_t v_;
};

// |got - exact| in ulps of the exact value's 64-bit binade (the smallest subnormal step at the bottom).
double UlpError(ld got, mpfr_ptr exact) {
    if (mpfr_nan_p(exact)) return std::isnan(got) ? 0 : 1e30;
    if (mpfr_inf_p(exact)) return (std::isinf(got) && (got > 0) == (mpfr_sgn(exact) > 0)) ? 0 : 1e30;
    if (!std::isfinite(got)) {
        // Overflowing by rounding is fine when the exact value sits within half an ulp of the top.
        Mp top;
        mpfr_set_ld(top.get(), LDBL_MAX, MPFR_RNDN);
        mpfr_abs(top.get(), top.get(), MPFR_RNDN);
        return mpfr_cmpabs(exact, top.get()) > 0 && std::isinf(got) ? 0 : 1e30;
    }
    if (mpfr_zero_p(exact)) return got == 0 ? 0 : 1e30;
    Mp diff;
    mpfr_set_ld(diff.get(), got, MPFR_RNDN);
    mpfr_sub(diff.get(), diff.get(), exact, MPFR_RNDN);
    const long e = std::max<long>(mpfr_get_exp(exact), -16445 + 64);
    mpfr_mul_2si(diff.get(), diff.get(), 64 - e, MPFR_RNDN);
    return std::fabs(mpfr_get_d(diff.get(), MPFR_RNDN));
}

// Deterministic arguments: a uniform grid, a logarithmic grid of both signs, and pseudo-random points.
std::vector<ld> Sweep(ld lo, ld hi, int n) {
    std::vector<ld> xs;
    for (int i = 0; i <= n; ++i) xs.push_back(lo + (hi - lo) * ld(i) / n);
    unsigned long long s = 0x9E3779B97F4A7C15ull;
    for (int i = 0; i < n; ++i) {
        s = s * 6364136223846793005ull + 1442695040888963407ull;
        const ld u = ld(s >> 11) / ld(1ull << 53);
        xs.push_back(lo + (hi - lo) * u);
    }
    for (ld m = 1e-30L; m < 1e30L; m *= 1.37L) {
        if (m >= lo && m <= hi) xs.push_back(m);
        if (-m >= lo && -m <= hi) xs.push_back(-m);
    }
    return xs;
}

struct Result {
    double maxUlps = 0;
    ld worst = 0;
};

Result Measure1(ld (*fn)(ld), const std::function<void(mpfr_ptr, mpfr_ptr)>& ref, const std::vector<ld>& xs) {
    Result r;
    Mp x, y;
    for (ld v : xs) {
        mpfr_set_ld(x.get(), v, MPFR_RNDN);
        ref(y.get(), x.get());
        const double e = UlpError(fn(v), y.get());
        if (e > r.maxUlps) r = {e, v};
    }
    return r;
}

std::function<void(mpfr_ptr, mpfr_ptr)> Ref(MpfrUnary f) {
    return [f](mpfr_ptr y, mpfr_ptr x) { f(y, x, MPFR_RNDN); };
}

void Check(const char* name, const Result& r, double bound) {
    std::printf("%-10s max %.3f ulp (at %.21Lg)\n", name, r.maxUlps, r.worst);
    EXPECT_LE(r.maxUlps, bound) << name << " at " << double(r.worst);
}

TEST(ExtAccuracy, LogarithmsStayWithinBound) {
    const auto pos = Sweep(1e-300L, 1e30L, 10000);
    std::vector<ld> near1 = Sweep(0.5L, 2.0L, 10000);
    std::vector<ld> all = pos;
    all.insert(all.end(), near1.begin(), near1.end());
    all.push_back(LDBL_MIN / 1024);
    Check("Log2", Measure1(Log2, Ref(mpfr_log2), all), 0.75);
    Check("Log10", Measure1(Log10, Ref(mpfr_log10), all), 1.5);
    Check("LogN", Measure1(LogN, Ref(mpfr_log), all), 1.0);
    Check("Lognp1", Measure1(Lognp1, Ref(mpfr_log1p), Sweep(-0.99L, 10.0L, 10000)), 1.5);
}

TEST(ExtAccuracy, ExponentialsStayWithinBound) {
    Check("ExpX", Measure1(ExpX, Ref(mpfr_exp), Sweep(-11000.0L, 11000.0L, 10000)), 1.0);
    Check("Expm1X", Measure1(Expm1X, Ref(mpfr_expm1), Sweep(-50.0L, 50.0L, 10000)), 1.5);
    Check("Pow2X", Measure1(Pow2X, Ref(mpfr_exp2), Sweep(-16000.0L, 16000.0L, 10000)), 1.0);
    Check("Pow10X", Measure1(Pow10X, Ref(mpfr_exp10), Sweep(-4900.0L, 4900.0L, 10000)), 1.0);
    const auto twoXm1 = [](mpfr_ptr y, mpfr_ptr x) {
        mpfr_exp2(y, x, MPFR_RNDN);
        mpfr_sub_ui(y, y, 1, MPFR_RNDN);
    };
    Check("F2XM1", Measure1(F2XM1, twoXm1, Sweep(-2.0L, 2.0L, 10000)), 1.25);
}

TEST(ExtAccuracy, TrigonometricStayWithinBound) {
    const auto args = Sweep(-1000.0L, 1000.0L, 10000);
    Check("SinX", Measure1(SinX, Ref(mpfr_sin), args), 1.25);
    Check("CosX", Measure1(CosX, Ref(mpfr_cos), args), 1.25);
    Check("TanX", Measure1(TanX, Ref(mpfr_tan), args), 2.25);
    Check("ATanX", Measure1(ATanX, Ref(mpfr_atan), Sweep(-1e6L, 1e6L, 10000)), 0.75);
    Check("ASinX", Measure1(ASinX, Ref(mpfr_asin), Sweep(-1.0L, 1.0L, 10000)), 1.75);
    Check("ACosX", Measure1(ACosX, Ref(mpfr_acos), Sweep(-1.0L, 1.0L, 10000)), 1.5);
    const auto sinc = [](mpfr_ptr y, mpfr_ptr x) {
        mpfr_sin(y, x, MPFR_RNDN);
        mpfr_div(y, y, x, MPFR_RNDN);
    };
    Check("SincX", Measure1(SincX, sinc, Sweep(1e-10L, 1000.0L, 10000)), 2.0);
}

TEST(ExtAccuracy, HyperbolicStayWithinBound) {
    Check("Sinh", Measure1(Sinh, Ref(mpfr_sinh), Sweep(-11000.0L, 11000.0L, 10000)), 2.0);
    Check("Cosh", Measure1(Cosh, Ref(mpfr_cosh), Sweep(-11000.0L, 11000.0L, 10000)), 1.25);
    Check("Tanh", Measure1(Tanh, Ref(mpfr_tanh), Sweep(-40.0L, 40.0L, 10000)), 2.5);
    Check("Asinh", Measure1(Asinh, Ref(mpfr_asinh), Sweep(-1e30L, 1e30L, 10000)), 1.25);
    Check("Acosh", Measure1(Acosh, Ref(mpfr_acosh), Sweep(1.0L, 1e30L, 10000)), 1.25);
    Check("Atanh", Measure1(Atanh, Ref(mpfr_atanh), Sweep(-0.999999L, 0.999999L, 10000)), 2.0);
}

Result Measure2(ld (*fn)(ld, ld), int (*ref)(mpfr_ptr, mpfr_srcptr, mpfr_srcptr, mpfr_rnd_t),
                const std::vector<ld>& as, const std::vector<ld>& bs, bool swapRef) {
    Result r;
    Mp a, b, y;
    for (size_t i = 0; i < as.size(); ++i) {
        const ld va = as[i], vb = bs[i % bs.size()];
        mpfr_set_ld(a.get(), va, MPFR_RNDN);
        mpfr_set_ld(b.get(), vb, MPFR_RNDN);
        if (swapRef)
            ref(y.get(), b.get(), a.get(), MPFR_RNDN);
        else
            ref(y.get(), a.get(), b.get(), MPFR_RNDN);
        const double e = UlpError(fn(va, vb), y.get());
        if (e > r.maxUlps) r = {e, va};
    }
    return r;
}

TEST(ExtAccuracy, TwoOperandFunctionsStayWithinBound) {
    const auto bases = Sweep(1e-3L, 1e3L, 10000);
    const auto exps = Sweep(-60.0L, 60.0L, 7919);
    Check("PowerX", Measure2(PowerX, mpfr_pow, bases, exps, false), 1.5);
    // Large exponents reach the ends of the range, where the logarithm needs its extra bits.
    Check("PowerX big", Measure2(PowerX, mpfr_pow, bases, Sweep(-1600.0L, 1600.0L, 7919), false), 1.5);
    const auto xs = Sweep(-100.0L, 100.0L, 10000);
    const auto ys = Sweep(-1e5L, 1e5L, 7919);
    Check("FATan2X", Measure2(FATan2X, mpfr_atan2, xs, ys, true), 0.75);
}

}  // namespace
