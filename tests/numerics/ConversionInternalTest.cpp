#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "NumericsTestSupport.h"
#include "platform/FloatingPoint.h"
#include "support/ReportCapture.h"

namespace {

using numtest::Pack;
using numtest::Unpack;
using tq::platform::RoundingMode;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

template <class D, class S>
D Convert(int32 from, S value, int32 to) {
    D out{};
    EXPECT_EQ(ConvertNum(from, &value, to, &out), kErrNone);
    return out;
}

TEST(NumericTypes, SizesAndClassesUseTheLowFourBits) {
    const int32 sizes[16] = {0, 1, 2, 4, 8, 1, 2, 4, 8, 4, 8, 10, 8, 16, 20, 0};
    const int32 classes[16] = {64, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 3, 3, 3, 64};
    for (int32 c = 0; c < 16; ++c) {
        EXPECT_EQ(NumSize(c), sizes[c]) << c;
        EXPECT_EQ(NumClass(c), classes[c]) << c;
        EXPECT_EQ(NumClass(c + 0x10), classes[c]) << c;
    }
    EXPECT_EQ(NumClass(0x1A), NumClass(10));
    EXPECT_EQ(SetFxSize(16), 10);
    EXPECT_EQ(NumSize(11), 16);
    EXPECT_EQ(NumSize(14), 32);
    EXPECT_EQ(SetFxSize(10), 16);
    EXPECT_EQ(NumSize(14), 20);
}

TEST(NumericTypes, ClassifyRecognisesInfinitiesAndEveryNaNPattern) {
    const double dn = -kInf, dp = kInf, dnan = kNaN, one = 1;
    EXPECT_EQ(ClassifyFloatNumber(&dn, kNumDbl), 1);
    EXPECT_EQ(ClassifyFloatNumber(&dp, kNumDbl), 2);
    EXPECT_EQ(ClassifyFloatNumber(&dnan, kNumDbl), 3);
    EXPECT_EQ(ClassifyFloatNumber(&one, kNumDbl), 0);
    EXPECT_EQ(ClassifyFloatNumber(&dp, kNumU8), 0);
    const float sn = -std::numeric_limits<float>::infinity(),
                snan = std::numeric_limits<float>::signaling_NaN();
    EXPECT_EQ(ClassifyFloatNumber(&sn, kNumSgl), 1);
    EXPECT_EQ(ClassifyFloatNumber(&snan, kNumSgl), 3);
    // Extended: the explicit integer bit decides; with it clear a zero fraction is still NaN.
    float80 x = Pack(std::numeric_limits<long double>::infinity());
    EXPECT_EQ(ClassifyFloatNumber(&x, kNumExt), 2);
    x.bytes[7] = 0;  // clear the integer bit
    EXPECT_EQ(ClassifyFloatNumber(&x, kNumExt), 3);
    x = Pack(-std::numeric_limits<long double>::infinity());
    EXPECT_EQ(ClassifyFloatNumber(&x, kNumExt), 1);
    x = Pack(0x1p-16445L);
    EXPECT_EQ(ClassifyFloatNumber(&x, kNumExt), 0);
    EXPECT_EQ(ClassifyFloatNumber(nullptr, kNumDbl), 0);
}

TEST(ConvertNum, IntegerToIntegerWrapsWithSourceSignedness) {
    EXPECT_EQ((Convert<uInt8, int16>(kNumI16, -1, kNumU8)), 255);
    EXPECT_EQ((Convert<int64, uInt32>(kNumU32, 0xFFFFFFFFu, kNumI64)), 0xFFFFFFFFll);
    EXPECT_EQ((Convert<int64, int32>(kNumI32, -2, kNumI64)), -2);
    EXPECT_EQ((Convert<int8, uInt16>(kNumU16, 0x1280, kNumI8)), int8(0x80));
    EXPECT_EQ((Convert<uInt64, int8>(kNumI8, -128, kNumU64)), 0xFFFFFFFFFFFFFF80ull);
}

TEST(ConvertNum, FloatToIntegerRoundsToEvenAndSaturatesAtEveryWidth) {
    EXPECT_EQ((Convert<uInt8, double>(kNumDbl, 300.7, kNumU8)), 255);
    EXPECT_EQ((Convert<uInt32, double>(kNumDbl, -1, kNumU32)), 0u);
    EXPECT_EQ((Convert<int32, double>(kNumDbl, 2.5, kNumI32)), 2);
    EXPECT_EQ((Convert<int32, double>(kNumDbl, -3.5, kNumI32)), -4);
    EXPECT_EQ((Convert<int8, double>(kNumDbl, 127.5, kNumI8)), 127);
    EXPECT_EQ((Convert<int8, double>(kNumDbl, -128.5, kNumI8)), -128);
    EXPECT_EQ((Convert<int8, double>(kNumDbl, -129, kNumI8)), -128);
    EXPECT_EQ((Convert<int16, float>(kNumSgl, 40000, kNumI16)), 32767);
    EXPECT_EQ((Convert<int16, float>(kNumSgl, -40000, kNumI16)), -32768);
    EXPECT_EQ((Convert<uInt16, double>(kNumDbl, 65535.4, kNumU16)), 65535);
    EXPECT_EQ((Convert<int32, double>(kNumDbl, 2147483647.6, kNumI32)), 2147483647);
    EXPECT_EQ((Convert<int32, double>(kNumDbl, -2147483648.6, kNumI32)), std::numeric_limits<int32>::min());
    EXPECT_EQ((Convert<int64, double>(kNumDbl, 0x1p63, kNumI64)), std::numeric_limits<int64>::max());
    EXPECT_EQ((Convert<int64, double>(kNumDbl, -0x1p63, kNumI64)), std::numeric_limits<int64>::min());
    EXPECT_EQ((Convert<int64, long double>(kNumExt, 0x1p63L - 1, kNumI64)),
              std::numeric_limits<int64>::max());
    EXPECT_EQ((Convert<uInt64, double>(kNumDbl, 0x1p64, kNumU64)), ~0ull);
    EXPECT_EQ((Convert<uInt64, long double>(kNumExt, 0x1p64L - 1, kNumU64)), ~0ull);
    EXPECT_EQ((Convert<uInt64, long double>(kNumExt, 4503599627370496.5L, kNumU64)), 4503599627370496ull);
    EXPECT_EQ((Convert<int64, long double>(kNumExt, -4503599627370497.5L, kNumI64)), -4503599627370498ll);
    EXPECT_EQ((Convert<uInt8, double>(kNumDbl, kNaN, kNumU8)), 255);
    EXPECT_EQ((Convert<int64, double>(kNumDbl, kNaN, kNumI64)), std::numeric_limits<int64>::max());
    EXPECT_EQ((Convert<int32, double>(kNumDbl, -kInf, kNumI32)), std::numeric_limits<int32>::min());
}

TEST(ConvertNum, ComplexAndRealExchangeParts) {
    const cmplx128 z{1.5, -2.5};
    EXPECT_EQ((Convert<double, cmplx128>(kNumCDbl, z, kNumDbl)), 1.5);
    const cmplx64 s = Convert<cmplx64, int32>(kNumI32, 7, kNumCSgl);
    EXPECT_EQ(s.re, 7.0f);
    EXPECT_EQ(s.im, 0.0f);
    const cmplx160 x = Convert<cmplx160, cmplx128>(kNumCDbl, z, kNumCExt);
    EXPECT_EQ(Unpack(x.im), -2.5L);
    EXPECT_EQ((Convert<int16, cmplx160>(kNumCExt, x, kNumI16)), 2);
    const float80 e = Convert<float80, uInt64>(kNumU64, ~0ull, kNumExt);
    EXPECT_EQ(Unpack(e), 18446744073709551615.0L);
    EXPECT_EQ((Convert<float, double>(0x1A, 0.1, 0x19)), 0.1f);
}

TEST(ConvertNum, BadCodesAndNullDataReportAndWriteNothing) {
    ReportCapture capture;
    double src = 1, dst = 5;
    EXPECT_EQ(ConvertNum(0, &src, kNumDbl, &dst), kErrArgument);
    EXPECT_EQ(ConvertNum(kNumDbl, &src, 31, &dst), kErrArgument);
    EXPECT_EQ(ConvertNum(kNumDbl, &src, 15, &dst), kErrArgument);
    EXPECT_EQ(ConvertNum(kNumDbl, nullptr, kNumDbl, &dst), kErrArgument);
    EXPECT_EQ(dst, 5);
    const auto m = ReportCapture::Texts();
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(m[0], "ConvertNum called with non-numeric");
    EXPECT_EQ(m[3], "ConvertNum called with Empty Data");
}

TEST(Float64ToInt, EveryWidthRoundsTiesToEvenAndSaturates) {
    EXPECT_EQ(Float64ToInt8(-0.5), 0);
    EXPECT_EQ(Float64ToInt8(1000), 127);
    EXPECT_EQ(Float64ToInt16(-1e9), -32768);
    EXPECT_EQ(Float64ToInt16(32766.5), 32766);
    EXPECT_EQ(Float64ToInt32(1.5), 2);
    EXPECT_EQ(Float64ToInt32(kNaN), 2147483647);
    EXPECT_EQ(Float64ToInt64(-2.5), -2);
    EXPECT_EQ(Float64ToInt64(1e300), std::numeric_limits<int64>::max());
    EXPECT_EQ(Float64ToUInt8(254.5), 254);
    EXPECT_EQ(Float64ToUInt8(-3), 0);
    EXPECT_EQ(Float64ToUInt16(1e10), 65535);
    EXPECT_EQ(Float64ToUInt32(4294967295.5), 4294967295u);
    EXPECT_EQ(Float64ToUInt64(0x1p63), 0x8000000000000000ull);
    EXPECT_EQ(Float64ToUInt64(kNaN), ~0ull);
    EXPECT_EQ(FloatExtToInt64(-9007199254740993.5L), -9007199254740994ll);
    EXPECT_EQ(FloatExtToInt64(-0x1p70L), std::numeric_limits<int64>::min());
    EXPECT_EQ(FloatExtToInt64(4.5L), 4);
    EXPECT_EQ(FloatExtToUInt64(0x1p64L - 1), ~0ull);
    EXPECT_EQ(FloatExtToUInt64(9007199254740992.5L), 9007199254740992ull);
    EXPECT_EQ(UInt64ToFloat64(~0ull), 0x1p64);
    EXPECT_EQ(UInt64ToFloat64(0x20000000000001ull), 0x20000000000000 * 1.0);
    EXPECT_EQ(UInt64ToFloat64(0x20000000000003ull), 0x20000000000004 * 1.0);
}

TEST(Rounding, NearestFunctionsFollowTheirLimitsInEveryFpuRoundingMode) {
    for (RoundingMode mode :
         {RoundingMode::kNearest, RoundingMode::kDown, RoundingMode::kUp, RoundingMode::kTowardZero}) {
        tq::platform::SetRoundingMode(mode);
        const int m = int(mode);
        EXPECT_EQ(RndToNearest(-2.5), -2) << m;
        EXPECT_EQ(RndToNearest(-3.5), -4) << m;
        EXPECT_EQ(RndToNearest(2.5), 2) << m;
        EXPECT_EQ(RndToNearest(3.5), 4) << m;
        EXPECT_EQ(RndToNearest(0.49), 0) << m;
        EXPECT_EQ(RndToNearest(kNaN), 2147483647) << m;
        EXPECT_EQ(RndToNearest(3e9), 2147483647) << m;
        EXPECT_EQ(RndToNearest(-3e9), std::numeric_limits<int32>::min()) << m;
        EXPECT_EQ(RndToNearestI64(-4.5), -4) << m;
        EXPECT_EQ(RndToNearestI64(kNaN), std::numeric_limits<int64>::max()) << m;
        EXPECT_EQ(RndToNearestI64(-1e19), std::numeric_limits<int64>::min()) << m;
        EXPECT_EQ(RndToNearestU32(-0.7), 0u) << m;
        EXPECT_EQ(RndToNearestU32(5.5), 6u) << m;
        EXPECT_EQ(RndToNearestU32(kNaN), 0xFFFFFFFFu) << m;
        EXPECT_EQ(RndToNearestU64(1e20), ~0ull) << m;
        EXPECT_EQ(RndToNearestU64(6.5), 6u) << m;
        EXPECT_EQ((Convert<int32, double>(kNumDbl, -2.5, kNumI32)), -2) << m;
        EXPECT_EQ(Float64ToInt16(-7.5), -8) << m;
        double r = 0, x = 0.5;
        RTfRoundD(&x, &r);
        EXPECT_EQ(r, 0) << m;
        x = 1.5;
        RTfRoundD(&x, &r);
        EXPECT_EQ(r, 2) << m;
    }
    tq::platform::SetRoundingMode(RoundingMode::kNearest);
    EXPECT_EQ(tq::platform::GetRoundingMode(), RoundingMode::kNearest);
}

TEST(Rounding, IncrementsPinAndModuloHandleSignsAndLimits) {
    EXPECT_EQ(RndToInc(7, 5), 5);
    EXPECT_EQ(RndToInc(8, 5), 10);
    EXPECT_EQ(RndToInc(-7, 5), -5);
    EXPECT_EQ(RndToInc(-8, 5), -10);
    EXPECT_EQ(RndToInc(5, 10), 10);
    EXPECT_EQ(RndToInc(-5, 10), -10);
    EXPECT_EQ(RndToInc(42, 0), 42);
    EXPECT_EQ(RndToInc(2147483647, 10), 2147483640);
    EXPECT_EQ(RndToInc(-2147483647 - 1, 10), -2147483640);
    EXPECT_EQ(Pin(5, 10, 0), 10);
    EXPECT_EQ(Pin(15, 0, 10), 10);
    EXPECT_EQ(Pin(-1, 0, 10), 0);
    EXPECT_EQ(Pin(5, 0, 10), 5);
    EXPECT_EQ(Mod(-7, 3), 2);
    EXPECT_EQ(Mod(7, -3), 1);
    EXPECT_EQ(Mod(-7, -3), 2);
    EXPECT_EQ(Mod(-1, std::numeric_limits<int32>::min()), 2147483647);
    EXPECT_EQ(Mod(std::numeric_limits<int32>::min(), -1), 0);
    EXPECT_EQ(Abs(-5), 5);
    EXPECT_EQ(Max(-5, 3), 3);
    EXPECT_EQ(Min(-5, 3), -5);
    EXPECT_EQ(tq::isinf(-kInf), 1);
    EXPECT_EQ(tq::isnan(kNaN), 1);
    EXPECT_EQ(tq::isnan(kInf), 0);
    double s = 0, c = 0;
    tq::sincos(0, &s, &c);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(c, 1);
}

TEST(StreamForm, ExtendedValuesRoundTripThroughTheSixteenByteForm) {
    const float80 one = Pack(1.0L);
    floatExt std16;
    XToStd(&one, &std16);
    const uInt8 want[16] = {0x3F, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(std16.bytes, want, 16), 0);
    const float80 neg = Pack(-1.75L);
    XToStd(&neg, &std16);
    EXPECT_EQ(std16.bytes[0], 0xBF);
    EXPECT_EQ(std16.bytes[2], 0xC0);  // 0.75 below the integer bit, shifted up one place
    for (long double v :
         {1.0L, -1.75L, 0.0L, -0.0L, 0x1p-16445L, 0x1p-16383L, 3.14159L,
          std::numeric_limits<long double>::infinity(), std::numeric_limits<long double>::max()}) {
        const float80 x = Pack(v);
        float80 back;
        XToStd(&x, &std16);
        StdToT(&std16);
        TToStd(&std16);
        StdToX(&std16, &back);
        EXPECT_EQ(std::memcmp(&x, &back, 10), 0) << double(v);
        for (int i = 10; i < 16; ++i) EXPECT_EQ(std16.bytes[i], 0);
    }
    // A subnormal's fraction is copied unshifted.
    const float80 den = Pack(0x1p-16445L);
    XToStd(&den, &std16);
    EXPECT_EQ(std16.bytes[9], 1);
}

}  // namespace
