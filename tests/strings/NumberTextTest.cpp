#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "support/ReportCapture.h"
#include "tqcore/diagnostics.h"
#include "tqcore/strings.h"

namespace {

class NumberText : public ReportCaptureTest {
  protected:
    template <class T>
    std::string Render(T value, int32 type, int16 code, int32 size = 256, uChar point = '.',
                       int32* exp = nullptr) {
        uChar buf[512];
        const int32 n = NumToAnyString(&value, type, &code, buf, size, point, exp);
        EXPECT_EQ(size_t(n), std::strlen(reinterpret_cast<char*>(buf)));
        return std::string(reinterpret_cast<char*>(buf), size_t(n));
    }
};

std::string IntText(int64 v, int32 base, bool isSigned, int32 type, int32 size = 80) {
    uChar buf[80];
    const int32 n = NumToIntString(&v, buf, size, base, isSigned, type);
    return std::string(reinterpret_cast<char*>(buf), size_t(n));
}

TEST_F(NumberText, IntegerTextBasesSignsAndShortBuffers) {
    EXPECT_EQ(IntText(-255, 16, true, 3), "FFFFFF01");
    EXPECT_EQ(IntText(-255, 10, true, 3), "-255");
    EXPECT_EQ(IntText(-1, 10, false, 3), "4294967295");
    EXPECT_EQ(IntText(-1, 16, true, 4), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(IntText(INT64_MIN, 10, true, 4), "-9223372036854775808");
    EXPECT_EQ(IntText(5, 2, true, 3), "101");
    EXPECT_EQ(IntText(8, 8, true, 3), "10");
    EXPECT_TRUE(ReportCapture::Texts().empty());
    EXPECT_EQ(IntText(12345, 10, true, 3, 3), "45");
    ASSERT_EQ(ReportCapture::Texts().size(), 1u);
    EXPECT_EQ(
        ReportCapture::Texts()[0],
        "Incomplete conversion in NumToStr: buffer provided was not large enough to represent the number in "
        "base 10.");
    EXPECT_EQ(IntText(-45, 10, true, 3, 3), "45");
    EXPECT_EQ(ReportCapture::Texts().back(), "Unable to include sign in NumToStr: buffer too small.");
    EXPECT_EQ(IntText(7, 10, true, 3, 1), "");
    EXPECT_EQ(ReportCapture::Texts().back(), "NumToStr requires at least 2 bytes in the input buffer.");
}

TEST_F(NumberText, IntegerKindsByType) {
    EXPECT_EQ(Render<int8>(-1, 1, 66), "FF");
    EXPECT_EQ(Render<int16>(-2, 2, 66), "FFFE");
    EXPECT_EQ(Render<int8>(-5, 1, 64), "-5");
    EXPECT_EQ(Render<uInt32>(4000000000u, 7, 64), "4000000000");
    EXPECT_EQ(Render<int32>(-1, 3, 65), "4294967295");
    EXPECT_EQ(Render<uInt64>(~0ull, 8, 65), "18446744073709551615");
    EXPECT_EQ(Render<int32>(5, 3, 68), "101");
    EXPECT_EQ(Render<double>(-2.5, 10, 64), "-2");  // saturating conversion, ties to even
    EXPECT_EQ(Render<double>(1e30, 10, 64), "18446744073709551615");
}

TEST_F(NumberText, IntegersUnderRealKinds) {
    EXPECT_EQ(Render<int32>(7, 3, -2), "7.00");
    EXPECT_EQ(Render<int32>(7, 3, -2, 256, ','), "7,00");
    EXPECT_EQ(Render<int32>(12345, 3, 3), "1.23E+4");
    EXPECT_EQ(Render<int32>(99950, 3, 3), "1.00E+5");
    EXPECT_EQ(Render<int32>(-12, 3, 1), "-1E+1");
    EXPECT_EQ(Render<int32>(0, 3, 3), "0.00E+0");
    EXPECT_EQ(Render<int32>(5, 3, 5), "5.0000E+0");
}

TEST_F(NumberText, RealFixedAndScientific) {
    EXPECT_EQ(Render<double>(1.5, 10, -2), "1.50");
    EXPECT_EQ(Render<double>(-0.004, 10, -2), "0.00");  // rounds to zero: no sign
    EXPECT_EQ(Render<double>(0.005, 10, -2), "0.01");   // 0.005 is slightly above the tie in binary
    EXPECT_EQ(Render<double>(0.125, 10, -2), "0.12");   // exact tie goes to even
    EXPECT_EQ(Render<double>(0.0, 10, 0), "0");
    EXPECT_EQ(Render<double>(123.456, 10, 4), "1.235E+2");
    EXPECT_EQ(Render<double>(1e-300, 10, 2), "1.0E-300");
    EXPECT_EQ(Render<double>(1.0 / 3, 10, 20), "3.3333333333333331E-1");  // capped at 17 digits
    EXPECT_EQ(Render<double>(std::nan(""), 10, -2), "NaN");
    EXPECT_EQ(Render<double>(-INFINITY, 10, 3), "-Inf");
    EXPECT_EQ(Render<float>(0.1f, 9, 9), "1.00000001E-1");
    EXPECT_EQ(Render<double>(1e307, 10, -1), "1.0E+307");        // never fixed at 10^307 and above
    EXPECT_EQ(Render<double>(123456.0, 10, -2, 10), "1.23E+5");  // fixed text longer than size - 4
    EXPECT_EQ(Render<long double>(1.0L / 3, 11, 18), "3.3333333333333333E-1");
}

TEST_F(NumberText, EngineeringAndSI) {
    EXPECT_EQ(Render<double>(12346.0, 10, 102), "12.35E+3");
    EXPECT_EQ(Render<double>(12346.0, 10, 133), "12.35k");
    EXPECT_EQ(Render<double>(1e30, 10, 133), "1.00E+30");
    EXPECT_EQ(Render<double>(0.00042, 10, 101), "420.0E-6");
    EXPECT_EQ(Render<double>(0.00042, 10, 132), "420.0u");
    EXPECT_EQ(Render<double>(-1500.0, 10, 100), "-2E+3");
    EXPECT_EQ(Render<double>(1500.0, 10, 131), "2k");
    int32 exp = 0;
    EXPECT_EQ(Render<double>(12346.0, 10, 102, 256, '.', &exp), "12.35");
    EXPECT_EQ(exp, 3);
    exp = 100;  // treated as absent: the SI attempt fails into plain engineering
    EXPECT_EQ(Render<double>(12346.0, 10, 133, 256, '.', &exp), "12.35E+3");
    exp = 40;  // 4 + 40 is outside the prefix range: exponent written, 0 stored
    EXPECT_EQ(Render<double>(12346.0, 10, 102, 256, '.', &exp), "123.46E+42");
    EXPECT_EQ(exp, 0);
}

TEST_F(NumberText, ComplexAndCodesWithoutText) {
    const double c[2] = {1.5, -2.0};
    int16 code = -1;
    uChar buf[64];
    NumToAnyString(c, 13, &code, buf, sizeof buf, '.', nullptr);
    EXPECT_STREQ(reinterpret_cast<char*>(buf), "1.5 -2.0 i");
    const float cp[2] = {3.0f, 4.0f};
    code = -99;  // polar, parameter 1: scientific with one digit
    NumToAnyString(cp, 12, &code, buf, sizeof buf, '.', nullptr);
    EXPECT_STREQ(reinterpret_cast<char*>(buf), "5E+0 arg 9E-1");
    // A missing complex value has one spelling, not a zero under the code.
    for (const int16 absent : {int16(-2), int16(3), int16(64), int16(-99), int16(102)}) {
        code = absent;
        for (const int32 type : {12, 13, 14}) {
            EXPECT_EQ(NumToAnyString(nullptr, type, &code, buf, sizeof buf, '.', nullptr), 6) << code;
            EXPECT_STREQ(reinterpret_cast<char*>(buf), "0 + 0i") << code << " type " << type;
        }
    }
    code = -2;
    EXPECT_EQ(NumToAnyString(nullptr, 10, &code, buf, sizeof buf, '.', nullptr), 0);
    EXPECT_STREQ(reinterpret_cast<char*>(buf), "");
    EXPECT_EQ(Render<double>(1.0, 10, 250), "");
    EXPECT_EQ(Render<double>(1.0, 10, 600), "");
    EXPECT_EQ(Render<double>(1.0, 10, -80), "");
    EXPECT_TRUE(ReportCapture::Texts().empty());
    EXPECT_EQ(Render<double>(1.0, 10, 70), "");
    ASSERT_EQ(ReportCapture::Texts().size(), 1u);
    EXPECT_EQ(ReportCapture::Texts()[0], "Bad k_code: 70");
    const double hex[2] = {300.0, 1.0};
    code = 66;
    NumToAnyString(hex, 13, &code, buf, sizeof buf, '.', nullptr);
    EXPECT_EQ(ReportCapture::Texts().back(), "Complex number can't be shown in bin/hex/oct");
    PackedDecimalReal bad{};
    bad.digits[0] = 0xA1;
    bad.count = 2;
    code = 3;
    EXPECT_EQ(PackedToString(&bad, code, buf, sizeof buf, '.'), 0);
    EXPECT_EQ(ReportCapture::Texts().back(), "bad pdr, exp fmt");
}

}  // namespace
