#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "NumericsTestSupport.h"
#include "support/ReportCapture.h"

namespace {

using numtest::Pack;
using numtest::Unpack;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPi = std::numbers::pi;

double D1(void (*fn)(const double*, double*), double x) {
    double r = -12345;
    fn(&x, &r);
    return r;
}
double D2(void (*fn)(const double*, const double*, double*), double a, double b) {
    double r = -12345;
    fn(&a, &b, &r);
    return r;
}

TEST(RealFamily, RoundingGoesToEvenOnTiesAndKeepsZeroSign) {
    EXPECT_EQ(D1(RTfRoundD, 2.5), 2);
    EXPECT_EQ(D1(RTfRoundD, 3.5), 4);
    EXPECT_EQ(D1(RTfRoundD, -2.5), -2);
    EXPECT_EQ(D1(RTfRoundD, 2.5000000000000004), 3);
    EXPECT_TRUE(std::signbit(D1(RTfRoundD, -0.4)));
    EXPECT_EQ(D1(RTfRoundD, 0x1p60), 0x1p60);
    EXPECT_TRUE(std::isnan(D1(RTfRoundD, kNaN)));
    float f = 0.5f, fr = 9;
    RTfRoundS(&f, &fr);
    EXPECT_EQ(fr, 0.0f);
    const float80 x = Pack(-5.5L);
    float80 xr;
    RTfRoundX(&x, &xr);
    EXPECT_EQ(Unpack(xr), -6.0L);
    EXPECT_EQ(D1(RTfFloorD, -0.5), -1);
    EXPECT_EQ(D1(RTfCeilD, -0.5), 0);
}

TEST(RealFamily, FlooredRemainderFollowsDivisorSign) {
    EXPECT_EQ(D2(RTfModD, -7, 3), 2);
    EXPECT_EQ(D2(RTfModD, 7, -3), -2);
    EXPECT_EQ(D2(RTfRemD, -7, 3), 2);
    EXPECT_EQ(D2(RTfModD, 7, 3), 1);
    EXPECT_TRUE(std::isnan(D2(RTfModD, 1, 0)));
    double a = -7, b = 3, q = 0, r = 0;
    RTfQRemD(&a, &b, &q, &r);
    EXPECT_EQ(q, -3);
    EXPECT_EQ(r, 2);
    q = 99;
    RTfQRemD(&a, &b, &q, nullptr);  // one output may be omitted
    EXPECT_EQ(q, -3);
    float fa = 5.5f, fb = -2, fm = 0;
    RTfModS(&fa, &fb, &fm);
    EXPECT_EQ(fm, -0.5f);
}

TEST(RealFamily, MaxMinAndSignHandleNaNAndZero) {
    double a = 1, b = kNaN, mx = 0, mn = 0;
    RTfMaxMinD(&a, &b, &mx, &mn);
    EXPECT_TRUE(std::isnan(mx));
    EXPECT_TRUE(std::isnan(mn));
    b = 4;
    RTfMaxMinD(&a, &b, &mx, &mn);
    EXPECT_EQ(mx, 4);
    EXPECT_EQ(mn, 1);
    double x = -0.0, r = 7;
    EXPECT_EQ(RTfSignD(&x, &r), 0);
    EXPECT_EQ(r, 0);
    x = -3;
    EXPECT_EQ(RTfSignD(&x, &r), -1);
    EXPECT_EQ(r, -1);
    x = kNaN;
    EXPECT_EQ(RTfSignD(&x, &r), 3);
    EXPECT_TRUE(std::isnan(r));
    const float80 e = Pack(2.0L);
    float80 er;
    EXPECT_EQ(RTfSignX(&e, &er), 1);
    EXPECT_EQ(Unpack(er), 1.0L);
}

TEST(RealFamily, ComparisonsFollowIeeeIncludingNaNAndSignedZero) {
    double n = kNaN, z = -0.0, one = 1;
    EXPECT_EQ(RTfEQD(&n, &n), 0);
    EXPECT_EQ(RTfNED(&n, &n), 1);
    EXPECT_EQ(RTfLTD(&n, &one), 0);
    EXPECT_EQ(RTfGED(&n, &one), 0);
    EXPECT_EQ(RTfEQ0D(&z), 1);
    EXPECT_EQ(RTfGE0D(&z), 1);
    EXPECT_EQ(RTfLT0D(&z), 0);
    EXPECT_EQ(RTfNE0D(&n), 1);
    EXPECT_EQ(RTfIsNanD(&n), 1);
    EXPECT_EQ(RTfIsNanD(&one), 0);
    const float80 xn = Pack(std::numeric_limits<long double>::quiet_NaN()), x1 = Pack(1.0L);
    EXPECT_EQ(RTfEQX(&xn, &xn), 0);
    EXPECT_EQ(RTfNEX(&xn, &x1), 1);
    EXPECT_EQ(RTfGTX(&x1, &xn), 0);
    EXPECT_EQ(RTfIsNanX(&xn), 1);
    float s1 = 1, s2 = 2;
    EXPECT_EQ(RTfLES(&s1, &s2), 1);
    EXPECT_EQ(RTfGTS(&s1, &s2), 0);
}

TEST(RealFamily, ElementaryFunctionsMeetTheirEdgeValues) {
    EXPECT_EQ(D2(RTfAtan2D, 0, 1), kPi / 2);  // first operand is x
    EXPECT_EQ(D2(RTfLogxD, 2, 8), 3);
    EXPECT_EQ(D2(RTfPowxD, 2, 3), 8);
    EXPECT_EQ(D2(RTfPowxD, -2, 3), -8);
    EXPECT_EQ(D2(RTfPowxD, -2, 2), 4);
    EXPECT_TRUE(std::isnan(D2(RTfPowxD, -2, 0.5)));
    EXPECT_EQ(D1(RTfLognD, 0), -kInf);
    EXPECT_EQ(D1(RTfLognD, -0.0), -kInf);
    EXPECT_TRUE(std::isnan(D1(RTfLognD, -1)));
    EXPECT_EQ(D1(RTfSincD, 0), 1);
    EXPECT_NEAR(D1(RTfSincD, 1e-5), 1, 1e-10);
    EXPECT_EQ(D1(RTfLog2D, 1024), 10);
    EXPECT_EQ(D1(RTfPow2D, 10), 1024);
    EXPECT_EQ(D1(RTfPow10D, 3), 1000);
    EXPECT_EQ(D1(RTfExpm1D, -kInf), -1);
    EXPECT_EQ(D1(RTfExpm1D, 1e-300), 1e-300);
    EXPECT_TRUE(std::signbit(D1(RTfExpm1D, -0.0)));
    EXPECT_EQ(D1(RTfLognp1D, -1), -kInf);
    EXPECT_EQ(D1(RTfRecipD, -0.0), -kInf);
    EXPECT_EQ(D1(RTfCotD, 0), kInf);
    EXPECT_NEAR(D1(RTfSecD, kPi), -1, 1e-15);
    EXPECT_NEAR(D1(RTfCscD, kPi / 2), 1, 1e-15);
    EXPECT_EQ(D1(RTfAtanhD, 1), kInf);
    EXPECT_TRUE(std::isnan(D1(RTfAcoshD, 0.5)));
    EXPECT_NEAR(D1(RTfAsinhD, -1), -0.88137358701954302, 1e-15);
    double s = 0, c = 0, x = 0.5;
    RTfSinCosD(&x, &s, &c);
    EXPECT_EQ(s, std::sin(0.5));
    EXPECT_EQ(c, std::cos(0.5));
    RTfSinCosD(&x, nullptr, &c);
    EXPECT_EQ(D1(RTfSqrtD, -0.0), -0.0);
    EXPECT_TRUE(std::isnan(D1(RTfSqrtD, -1)));
}

TEST(RealFamily, ScaleAndMantissaExponentTruncateAndSplit) {
    EXPECT_EQ(D2(RTfiScaleD, 3, 2.9), 12);
    EXPECT_EQ(D2(RTfiScaleD, 3, -1.9), 1.5);
    EXPECT_EQ(D2(RTfiScaleD, 1, 2000), kInf);
    double x = -12, m = 0, e = 0;
    RTfGetMantExpD(&x, &m, &e);
    EXPECT_EQ(m, -1.5);
    EXPECT_EQ(e, 3);
    x = 0;
    RTfGetMantExpD(&x, &m, &e);
    EXPECT_EQ(m, 0);
    EXPECT_EQ(e, 0);
    x = 0x1p-1070;  // subnormal
    RTfGetMantExpD(&x, &m, &e);
    EXPECT_EQ(m, 1);
    EXPECT_EQ(e, -1070);
    const float80 big = Pack(0x1.8p16000L);
    float80 bm, be;
    RTfGetMantExpX(&big, &bm, &be);
    EXPECT_EQ(Unpack(bm), 1.5L);
    EXPECT_EQ(Unpack(be), 16000.0L);
}

TEST(RealFamily, DenormalsAndInfinitiesPassThroughArithmetic) {
    const double den = 0x1p-1074;
    EXPECT_EQ(D2(RTfAddD, den, den), 0x1p-1073);
    EXPECT_EQ(D2(RTfMulD, den, 0.5), 0);
    EXPECT_EQ(D2(RTfDivD, 1, -0.0), -kInf);
    EXPECT_TRUE(std::isnan(D2(RTfSubD, kInf, kInf)));
    EXPECT_EQ(D1(RTfIncD, -1), 0);
    EXPECT_EQ(D1(RTfDecD, kInf), kInf);
    EXPECT_TRUE(std::signbit(D1(RTfNegD, 0.0)));
    EXPECT_EQ(D1(RTfAbsD, -kInf), kInf);
    const float80 xd = Pack(0x1p-16445L);  // smallest extended subnormal
    float80 xr;
    RTfNegX(&xd, &xr);
    EXPECT_EQ(Unpack(xr), -0x1p-16445L);
    RTfAbsX(&xr, &xr);
    EXPECT_EQ(Unpack(xr), 0x1p-16445L);
}

TEST(RealFamily, ExtendedVariantsComputeInFullPrecision) {
    const float80 third = Pack(1.0L / 3);
    float80 r;
    RTfRecipX(&third, &r);
    EXPECT_EQ(Unpack(r), 1 / (1.0L / 3));
    const float80 one = Pack(1.0L), eps = Pack(0x1p-63L);
    RTfLognX(&one, &r);
    EXPECT_EQ(Unpack(r), 0.0L);
    RTfExpX(&eps, &r);
    EXPECT_EQ(Unpack(r), 1.0L + 0x1p-63L);
    RTfPowxX(&eps, &one, &r);
    EXPECT_EQ(Unpack(r), 0x1p-63L);
}

TEST(RealFamily, MissingExtendedVariantsReportAndWriteNothing) {
    ReportCapture capture;
    const float80 a = Pack(1.0L), b = Pack(2.0L);
    float80 r = Pack(42.0L), r2 = Pack(43.0L);
    RTfAddX(&a, &b, &r);
    RTfSqrtX(&a, &r);
    RTfMaxMinX(&a, &b, &r, &r2);
    EXPECT_EQ(RTfGEX(&b, &a), 0);
    cmplx160 z{a, b}, w{r, r};
    RTcMulX(&z, &z, &w);
    RTcAbsX(&z, &r);
    EXPECT_EQ(Unpack(r), 42.0L);
    EXPECT_EQ(Unpack(r2), 43.0L);
    EXPECT_EQ(Unpack(w.re), 42.0L);
    const auto m = ReportCapture::Texts();
    ASSERT_EQ(m.size(), 6u);
    EXPECT_EQ(m[0], "RTfAddX not implemented on this platform");
    EXPECT_EQ(m[3], "RTfGEX not implemented on this platform");
    EXPECT_EQ(m[5], "RTcAbsX not implemented on this platform");
    EXPECT_EQ(ReportCapture::All()[0].level, kDbgFatal);
    // The neighbouring operations that do exist stay quiet.
    RTfMulD(nullptr, nullptr, nullptr);
    RTfNegX(&a, &r);
    EXPECT_EQ(ReportCapture::Size(), 6u);
}

TEST(IntegerOps, FlooredDivisionHandlesSignsZeroAndOverflow) {
    int64 q = 0, r = 0;
    EXPECT_EQ(RTQRemiQ(-7, 2, &q, &r), -4);
    EXPECT_EQ(r, 1);
    RTQRemiQ(7, -2, &q, &r);
    EXPECT_EQ(q, -4);
    EXPECT_EQ(r, -1);
    RTQRemiQ(5, 0, &q, &r);
    EXPECT_EQ(q, 0);
    EXPECT_EQ(r, 5);
    const int64 lowest = std::numeric_limits<int64>::min();
    RTQRemiQ(lowest, -1, &q, &r);
    EXPECT_EQ(q, lowest);
    EXPECT_EQ(r, 0);
    uInt64 uq = 1, ur = 1;
    EXPECT_EQ(RTQRemuQ(~0ull, 10, &uq, &ur), ~0ull / 10);
    EXPECT_EQ(ur, 5u);
    RTQRemuQ(9, 0, &uq, &ur);
    EXPECT_EQ(uq, 0u);
    EXPECT_EQ(ur, 9u);
    EXPECT_EQ(RTiDiv(-7, 2), -3);
    EXPECT_EQ(RTuDiv(0xFFFFFFFFu, 2), 0x7FFFFFFFu);
    EXPECT_EQ(RTiMul(0x10000, 0x10000), 0);
    EXPECT_EQ(RTuMul(0xFFFFFFFFu, 2), 0xFFFFFFFEu);
}

TEST(IntegerOpsDeathTest, DivisionByZeroRaisesTheProcessorException) {
    EXPECT_DEATH(RTiDiv(1, 0), "");
    EXPECT_DEATH(RTuDiv(1, 0), "");
    EXPECT_DEATH(Mod(1, 0), "");
}

}  // namespace
