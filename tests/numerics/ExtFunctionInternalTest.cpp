#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

#include "NumericsTestSupport.h"
#include "numerics/Services.h"
#include "platform/FloatingPoint.h"

namespace {

using numtest::Pack;
using numtest::Unpack;
using ld = long double;

constexpr ld kInf = std::numeric_limits<ld>::infinity();
constexpr ld kNaN = std::numeric_limits<ld>::quiet_NaN();

TEST(ExtFunctions, PowerAndLogarithmEdgeCases) {
    EXPECT_EQ(FLogX64(2, 8), 3);
    EXPECT_NEAR(double(FLogXExt(10, 1e-3L)), -3, 1e-18);
    EXPECT_EQ(FPowerX64(-2, 3), -8);
    EXPECT_TRUE(std::isnan(FPowerX64(-2, 0.5)));
    EXPECT_EQ(FPowerX64(0, -1), HUGE_VAL);
    EXPECT_EQ(FPowerX64(0, 0), 1);
    EXPECT_EQ(FPowerX64(0, 3), 0);
    EXPECT_EQ(FPowerX32(-3, 2), 9.0f);
    EXPECT_TRUE(std::isnan(PowerX(kNaN, 0)));
    EXPECT_TRUE(std::isnan(PowerX(1, kNaN)));
    EXPECT_EQ(PowerX(-2, -1), -0.5L);
    EXPECT_EQ(PowerX(-kInf, 3), -kInf);
    EXPECT_NEAR(double(PowerX(10, 4000) / 1e4000L), 1, 1e-18);
    EXPECT_EQ(PowerX(2, -16445), 0x1p-16445L);
    EXPECT_EQ(PowerX(2, 20000), kInf);
    EXPECT_EQ(Log2(0), -kInf);
    EXPECT_EQ(LogN(-0.0L), -kInf);
    EXPECT_TRUE(std::isnan(Log10(-1)));
    EXPECT_EQ(Log2(0x1p-16445L), -16445);
    EXPECT_EQ(FLog2_64(0.125), -3);
    EXPECT_EQ(FLog10_32(1000.0f), 3.0f);
    EXPECT_EQ(FLogN64(1), 0);
    EXPECT_EQ(Lognp1(-1), -kInf);
    EXPECT_EQ(Lognp1(0x1p-70L), 0x1p-70L);
    EXPECT_EQ(Lognp1(kInf), kInf);
}

TEST(ExtFunctions, ExponentialsAtInfinitiesZeroAndLimits) {
    EXPECT_EQ(Pow2X(-kInf), 0);
    EXPECT_EQ(Pow2X(kInf), kInf);
    EXPECT_EQ(F2X(-kInf), 0);
    EXPECT_EQ(F2XM1(-kInf), -1);
    EXPECT_EQ(Expm1X(-kInf), -1);
    EXPECT_EQ(Expm1X(kInf), kInf);
    EXPECT_TRUE(std::signbit(Expm1X(-0.0L)));
    EXPECT_EQ(ExpX(0), 1);
    EXPECT_EQ(ExpX(-kInf), 0);
    EXPECT_EQ(ExpX(11357), kInf);
    EXPECT_GT(ExpX(11356), 1e4930L);
    EXPECT_EQ(FExpX64(1), std::numbers::e);
    EXPECT_EQ(FPow10X64(-2), 0.01);
    EXPECT_EQ(FPow2X32(-149), 0x1p-149f);
    EXPECT_EQ(Pow2X(-16445), 0x1p-16445L);
    EXPECT_EQ(FScaleX64(3, -2.9), 0.75);
    EXPECT_EQ(FScaleXExt(1, 16383), 0x1p16383L);
    EXPECT_TRUE(std::isnan(Pow10X(kNaN)));
}

TEST(ExtFunctions, TrigonometryEdgeCases) {
    EXPECT_EQ(FATan2_64(0, 1), std::numbers::pi / 2);
    EXPECT_EQ(FATan2X(-1, 0), EPi());
    EXPECT_TRUE(std::signbit(FATan2X(-1, -0.0L)));
    EXPECT_EQ(FATan2_32(1, 1), float(std::numbers::pi / 4));
    EXPECT_EQ(SincX(0), 1);
    EXPECT_EQ(SincX(-0.0L), 1);
    EXPECT_TRUE(std::isnan(SinX(kInf)));
    EXPECT_TRUE(std::isnan(CosX(kNaN)));
    EXPECT_TRUE(std::signbit(SinX(-0.0L)));
    EXPECT_EQ(CosX(0), 1);
    EXPECT_EQ(ATanX(kInf), EHalfPi());
    EXPECT_EQ(ASinX(1), EHalfPi());
    EXPECT_EQ(ACosX(-1), EPi());
    EXPECT_TRUE(std::isnan(ASinX(1.5)));
    // Beyond 2^31 quarter turns the remainder by 2 pi takes over; the result stays a sine value.
    const ld huge = 0x1p80L;
    EXPECT_LE(std::fabs(SinX(huge)), 1);
    EXPECT_NEAR(double(SinX(huge) * SinX(huge) + CosX(huge) * CosX(huge)), 1, 1e-15);
    EXPECT_NEAR(double(TanX(1e10L)), std::tan(1e10), 1e-6);
}

TEST(ExtFunctions, HyperbolicEdgeCases) {
    EXPECT_EQ(Sinh(-kInf), -kInf);
    EXPECT_TRUE(std::signbit(Sinh(-0.0L)));
    EXPECT_EQ(Cosh(0), 1);
    EXPECT_EQ(Cosh(-kInf), kInf);
    EXPECT_EQ(Tanh(1e5L), 1);
    EXPECT_EQ(Tanh(-kInf), -1);
    EXPECT_NEAR(double(Sinh(11357) / 9.5807e4931L), 1, 1e-4);  // finite although e^11357 overflows
    EXPECT_EQ(Cosh(-11357), Sinh(11357));
    EXPECT_EQ(Asinh(-kInf), -kInf);
    EXPECT_EQ(Acosh(1), 0);
    EXPECT_TRUE(std::isnan(Acosh(0.5)));
    EXPECT_EQ(Atanh(-1), -kInf);
    EXPECT_TRUE(std::isnan(Atanh(1.5)));
}

TEST(ExtFunctions, SmallUtilities) {
    EXPECT_EQ(FPIsInt(-3), 1);
    EXPECT_EQ(FPIsInt(3), 2);
    EXPECT_EQ(FPIsInt(0), 2);
    EXPECT_EQ(FPIsInt(2.5), 0);
    EXPECT_EQ(FPIsInt(kInf), 0);
    EXPECT_EQ(FPIsInt(kNaN), 0);
    ld e = 0;
    EXPECT_EQ(FMantExpX(-0.375L, &e), -1.5L);
    EXPECT_EQ(e, -2);
    EXPECT_EQ(FMantExpX(0, &e), 0);
    EXPECT_EQ(e, 0);
    EXPECT_EQ(FMantExpX(kInf, &e), kInf);
    EXPECT_EQ(RecipX(4), 0.25L);
    EXPECT_EQ(FloorX(-2.5L), -3);
    EXPECT_EQ(CeilX(-2.5L), -2);
    EXPECT_EQ(SignX(-7), -1);
    EXPECT_EQ(SignX(0), 0);
    EXPECT_TRUE(std::isnan(SignX(kNaN)));
    const ld* table = GenPow10Table();
    EXPECT_EQ(table[0], 1);
    EXPECT_EQ(table[1], 10);
    EXPECT_EQ(table[5], 1e16L);
    EXPECT_EQ(table, GenPow10Table());
    EXPECT_NEAR(double(Log10(table[13])), 4096, 1e-12);
}

TEST(ExtFunctions, StridedSumsAccumulateInExtendedPrecision) {
    const double d[6] = {1e17, 1, 2, -1e17, 3, 4};
    double dr = 0;
    Sum1DDoubleArray(d, sizeof(double), 4, &dr);
    EXPECT_EQ(dr, 3);  // a double accumulator would lose the 1 and the 2
    Sum1DDoubleArray(d + 1, 2 * sizeof(double), 3, &dr);
    EXPECT_EQ(dr, double(-1e17L + 5));
    Sum1DDoubleArray(d, 8, 0, &dr);
    EXPECT_EQ(dr, 0);
    Sum1DDoubleArray(nullptr, 8, 3, &dr);
    EXPECT_EQ(dr, 0);
    const float f[3] = {1.5f, 2.5f, 3.0f};
    float fr = 0;
    Sum1DSingleArray(f + 2, -int32(sizeof(float)), 3, &fr);
    EXPECT_EQ(fr, 7.0f);
    const float80 x[2] = {Pack(1.0L), Pack(0x1p-63L)};
    float80 xr;
    Sum1DExtendedArray(x, 10, 2, &xr);
    EXPECT_EQ(Unpack(xr), 1 + 0x1p-63L);
}

TEST(FloatingPointUnit, InitLoadsTheDefaultControlWordAndCheckSeesAnEmptyStack) {
    tq::platform::X87SetControlWord(0x0C7F);  // round toward zero, as a stray caller might leave it
    FPInit();
    EXPECT_EQ(tq::platform::X87ControlWord() & 0x1F3F, 0x033F);
    EXPECT_EQ(FPCheck(), 1);
    FPSave();
    FPPush();
    FPPop();
    EXPECT_EQ(tq::platform::X87ControlWord() & 0x1F3F, 0x033F);
    EXPECT_EQ(CheckFPStat() & 0x3800, 0);  // stack top at 0
}

TEST(Constants, ValuesAndBitPatterns) {
    EXPECT_EQ(DPi(), std::numbers::pi);
    EXPECT_EQ(DHalfPi(), std::numbers::pi / 2);
    EXPECT_EQ(DThreeHalvesPi(), 3 * std::numbers::pi / 2);
    EXPECT_EQ(DTwoPi(), 2 * std::numbers::pi);
    EXPECT_EQ(DTwo(), 2);
    EXPECT_EQ(DRad2Deg(), 57.2957795);
    IServiceObject* service = tq::numerics::FloatingPointConstantsService();
    EXPECT_EQ(service->Init(), kErrNone);
    EXPECT_EQ(std::bit_cast<uInt64>(DInfinity()), 0x7FF0000000000000ull);
    EXPECT_EQ(std::bit_cast<uInt64>(DNegInfinity()), 0xFFF0000000000000ull);
    EXPECT_TRUE(std::isnan(DNaN()));
    EXPECT_EQ(std::bit_cast<uInt32>(SInfinity()), 0x7F800000u);
    EXPECT_EQ(std::bit_cast<uInt32>(SNegInfinity()), 0xFF800000u);
    EXPECT_EQ(service->Uninit(), kErrNone);
    EXPECT_EQ(double(EPi()), std::numbers::pi);
    EXPECT_EQ(double(ETwoPi()), 2 * std::numbers::pi);
    EXPECT_EQ(double(ERecipPi()), std::numbers::inv_pi);
    EXPECT_EQ(double(ELnOfPi()), std::log(std::numbers::pi));
    EXPECT_EQ(double(EE()), std::numbers::e);
    EXPECT_EQ(double(ERecipE()), 1 / std::numbers::e);
    EXPECT_EQ(double(Eln10()), std::numbers::ln10);
    EXPECT_EQ(double(ELnOfTwo()), std::numbers::ln2);
    EXPECT_EQ(double(ELogOfE()), std::numbers::log10e);
    EXPECT_EQ(EOne() + EZero(), 1);
    EXPECT_EQ(EInfinity(), kInf);
    EXPECT_EQ(ENegInfinity(), -kInf);
    const float80 nan = Pack(ENaN());
    const uInt8 want[10] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F};
    EXPECT_EQ(std::memcmp(nan.bytes, want, 10), 0);
    EXPECT_EQ(EEpsilon(), std::numeric_limits<double>::epsilon());
    EXPECT_EQ(EEpsilonSgl(), std::numeric_limits<float>::epsilon());
    EXPECT_EQ(EEpsilonExt(), std::numeric_limits<ld>::epsilon());
    EXPECT_EQ(EMaxW(), 32767);
    EXPECT_EQ(EMaxL(), 2147483647);
    EXPECT_EQ(ESpeedLt(), 299792458);
    EXPECT_EQ(double(EPlanck()), 6.62607015e-34);
    EXPECT_EQ(double(EElemChg()), 1.602176634e-19);
    EXPECT_EQ(double(EAvgdro()), 6.02214076e23);
    EXPECT_EQ(double(EGravity()), 6.6743e-11);
    EXPECT_EQ(double(EMlrGas()), 8.314462618);
    EXPECT_EQ(double(ERydbrg()), 10973731.56816);
}

}  // namespace
