#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <numbers>

#include "NumericsTestSupport.h"

namespace {

using numtest::Pack;
using numtest::Unpack;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

cmplx128 C1(void (*fn)(const cmplx128*, cmplx128*), cmplx128 z) {
    cmplx128 w{-1, -1};
    fn(&z, &w);
    return w;
}
cmplx128 C2(void (*fn)(const cmplx128*, const cmplx128*, cmplx128*), cmplx128 a, cmplx128 b) {
    cmplx128 w{-1, -1};
    fn(&a, &b, &w);
    return w;
}
void ExpectNear(cmplx128 got, std::complex<double> want, double tol = 1e-13) {
    EXPECT_NEAR(got.re, want.real(), tol * (1 + std::abs(want)));
    EXPECT_NEAR(got.im, want.imag(), tol * (1 + std::abs(want)));
}

TEST(ComplexFamily, MultiplicationOfRealsGivesPositiveZeroImaginary) {
    const cmplx128 w = C2(RTcMulD, {2, -0.0}, {3, 0});
    EXPECT_EQ(w.re, 6);
    EXPECT_EQ(w.im, 0);
    EXPECT_FALSE(std::signbit(w.im));
    ExpectNear(C2(RTcMulD, {1, 2}, {3, -4}), {11, 2});
    ExpectNear(C2(RTcDivD, {11, 2}, {3, -4}), {1, 2});
    ExpectNear(C1(RTcRecipD, {0, 2}), {0, -0.5});
    ExpectNear(C2(RTcSubD, {1, 2}, {3, 5}), {-2, -3});
    const cmplx128 c = C1(RTcConjD, {1, 2});
    EXPECT_EQ(c.im, -2);
    const cmplx128 inc = C1(RTcIncD, {1, 2});
    EXPECT_EQ(inc.re, 2);
    EXPECT_EQ(inc.im, 2);
}

TEST(ComplexFamily, PolarFormsRoundTripAndHandleZeroAndInfinity) {
    const cmplx128 p = C1(RTcRToPD, {0, 0});
    EXPECT_EQ(p.re, 0);
    EXPECT_EQ(p.im, 0);
    const cmplx128 q = C1(RTcRToPD, {-3, 4});
    EXPECT_EQ(q.re, 5);
    EXPECT_NEAR(q.im, std::atan2(4.0, -3.0), 1e-15);
    ExpectNear(C1(RTcPToRD, q), {-3, 4});
    const cmplx128 inf = C1(RTcPToRD, {kInf, 0});
    EXPECT_EQ(inf.re, kInf);
    EXPECT_EQ(inf.im, 0);
    double r = 0, th = 0, two = 2, half = std::numbers::pi / 2;
    cmplx128 z;
    RTfcRThToCD(&two, &half, &z);
    EXPECT_NEAR(z.re, 0, 1e-15);
    EXPECT_EQ(z.im, 2);
    RTcfCToRThD(&z, &r, nullptr);
    EXPECT_EQ(r, 2);
    RTcfCToReImD(&z, nullptr, &th);
    EXPECT_EQ(th, 2);
    double re = 1.5, im = -2.5;
    RTfcReImToCD(&re, &im, &z);
    EXPECT_EQ(z.re, 1.5);
    EXPECT_EQ(z.im, -2.5);
}

TEST(ComplexFamily, TranscendentalFunctionsMatchTheStandardIdentities) {
    const std::complex<double> z(0.7, -1.3);
    const cmplx128 c{z.real(), z.imag()};
    ExpectNear(C1(RTcExpD, c), std::exp(z));
    ExpectNear(C1(RTcExpm1D, c), std::exp(z) - 1.0);
    ExpectNear(C1(RTcLognD, c), std::log(z));
    ExpectNear(C1(RTcLog10D, c), std::log10(z));
    ExpectNear(C1(RTcLog2D, c), std::log(z) / std::log(2.0));
    ExpectNear(C1(RTcLognp1D, c), std::log(z + 1.0));
    ExpectNear(C1(RTcSqrtD, c), std::sqrt(z));
    ExpectNear(C1(RTcPow2D, c), std::pow(2.0, z));
    ExpectNear(C1(RTcPow10D, c), std::pow(10.0, z));
    ExpectNear(C1(RTcSinD, c), std::sin(z));
    ExpectNear(C1(RTcCosD, c), std::cos(z));
    ExpectNear(C1(RTcTanD, c), std::tan(z));
    ExpectNear(C1(RTcCotD, c), 1.0 / std::tan(z));
    ExpectNear(C1(RTcSecD, c), 1.0 / std::cos(z));
    ExpectNear(C1(RTcCscD, c), 1.0 / std::sin(z));
    ExpectNear(C1(RTcSinhD, c), std::sinh(z));
    ExpectNear(C1(RTcCoshD, c), std::cosh(z));
    ExpectNear(C1(RTcTanhD, c), std::tanh(z));
    ExpectNear(C1(RTcSincD, c), std::sin(z) / z);
    ExpectNear(C1(RTcAsinD, c), std::asin(z));
    ExpectNear(C1(RTcAcosD, c), std::acos(z));
    ExpectNear(C1(RTcAtanD, c), std::atan(z));
    ExpectNear(C1(RTcAsinhD, c), std::asinh(z));
    ExpectNear(C1(RTcAcoshD, c), std::acosh(z));
    ExpectNear(C1(RTcAtanhD, c), std::atanh(z));
    const std::complex<double> b(1.5, 0.25);
    ExpectNear(C2(RTcPowxD, c, {b.real(), b.imag()}), std::pow(z, b));
    ExpectNear(C2(RTcLogxD, c, {b.real(), b.imag()}), std::log(b) / std::log(z));
    ExpectNear(C2(RTcAtan2D, c, {b.real(), b.imag()}), std::atan(b / z));
    cmplx128 s, co;
    RTcSinCosD(&c, &s, &co);
    ExpectNear(s, std::sin(z));
    ExpectNear(co, std::cos(z));
}

TEST(ComplexFamily, SpecialPointsFollowTheDefinitions) {
    const cmplx128 sinc = C1(RTcSincD, {0, 0});
    EXPECT_EQ(sinc.re, 1);
    EXPECT_EQ(sinc.im, 0);
    const cmplx128 l0 = C1(RTcLognD, {0, 0});
    EXPECT_EQ(l0.re, -kInf);
    const cmplx128 pw = C2(RTcPowxD, {-2, 0}, {3, 0});
    EXPECT_NEAR(pw.re, -8, 1e-14);
    const cmplx128 realPow = C2(RTcPowxD, {2, 0}, {10, 0});
    EXPECT_EQ(realPow.re, 1024);
    EXPECT_EQ(realPow.im, 0);
    const cmplx128 sg = C1(RTcSignD, {3, -4});
    EXPECT_NEAR(sg.re, 0.6, 1e-15);
    EXPECT_NEAR(sg.im, -0.8, 1e-15);
    const cmplx128 sg0 = C1(RTcSignD, {0, 0});
    EXPECT_EQ(sg0.re, 0);
    EXPECT_TRUE(std::isnan(C1(RTcSignD, {kNaN, 1}).im));
    const cmplx128 rnd = C1(RTcRoundD, {2.5, -3.5});
    EXPECT_EQ(rnd.re, 2);
    EXPECT_EQ(rnd.im, -4);
    const cmplx128 fl = C1(RTcFloorD, {2.5, -3.5});
    EXPECT_EQ(fl.im, -4);
    double abs = 0;
    const cmplx128 big{3e200, 4e200};
    RTcAbsD(&big, &abs);
    EXPECT_NEAR(abs, 5e200, 1e186);
    double n = 3.7;
    cmplx128 w;
    RTciScaleD(&big, &n, &w);
    EXPECT_EQ(w.re, 2.4e201);
}

TEST(ComplexFamily, TestsCompareBothParts) {
    cmplx128 a{1, kNaN}, b{1, 2}, z{-0.0, 0};
    EXPECT_EQ(RTcIsNanD(&a), 1);
    EXPECT_EQ(RTcIsNanD(&b), 0);
    EXPECT_EQ(RTcEQD(&b, &b), 1);
    EXPECT_EQ(RTcEQD(&a, &a), 0);
    EXPECT_EQ(RTcNED(&a, &a), 1);
    EXPECT_EQ(RTcEQ0D(&z), 1);
    EXPECT_EQ(RTcNE0D(&b), 1);
}

TEST(ComplexFamily, SingleAndExtendedAgreeWithDouble) {
    const cmplx64 zs{0.5f, 0.25f};
    cmplx64 ws;
    RTcExpS(&zs, &ws);
    const std::complex<float> es = std::exp(std::complex<float>(0.5f, 0.25f));
    EXPECT_NEAR(ws.re, es.real(), 1e-6);
    EXPECT_NEAR(ws.im, es.imag(), 1e-6);
    const cmplx160 zx{Pack(0.5L), Pack(0.25L)};
    cmplx160 wx;
    RTcExpX(&zx, &wx);
    const std::complex<long double> ex = std::exp(std::complex<long double>(0.5L, 0.25L));
    EXPECT_NEAR(double(Unpack(wx.re)), double(ex.real()), 1e-18);
    EXPECT_NEAR(double(Unpack(wx.im)), double(ex.imag()), 1e-18);
    RTcAddX(&zx, &zx, &wx);
    EXPECT_EQ(Unpack(wx.re), 1.0L);
    const TQComplexExt q = ComplexDivide({1, 2}, {3, -4});
    EXPECT_NEAR(double(q.re), -0.2, 1e-18);
    EXPECT_NEAR(double(q.im), 0.4, 1e-18);
    const TQComplexExt polar = ComplexRToP({0, -2});
    EXPECT_EQ(polar.re, 2);
    EXPECT_EQ(polar.im, -EHalfPi());
    TQExtended r = 0, th = 0;
    FComplexRToPExt(-1, 0, &r, &th);
    EXPECT_EQ(th, EPi());
    cmplx64 p32{2, 0}, z32;
    FComplexPToR32(&p32, &z32);
    EXPECT_EQ(z32.re, 2);
}

}  // namespace
