// Digits and scanning checked against the C library over many random values of each width.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "strings/DecimalDigits.h"
#include "tqcore/strings.h"

namespace {

constexpr int kValues = 1000000;
// Extended values with exponents across the whole range cost the reference library tens of microseconds each:
// a million are drawn within 2^+-1000 and a smaller sample across the full range.
constexpr int kFullRangeExtended = 20000;

bool HaveReferenceLibrary() {
#if defined(__GLIBC__)
    return true;
#else
    return false;
#endif
}

// Splits "d.ddde+XX" / "d.dddE+X" into digits and exponent so both spellings compare.
std::string Canonical(const char* text) {
    std::string digits;
    const char* p = text;
    if (*p == '-') digits += *p++;
    for (; *p && *p != 'e' && *p != 'E'; ++p)
        if (*p != '.') digits += *p;
    return digits + "e" + std::to_string(std::atoi(p + 1));
}

double RandomDouble(std::mt19937_64& rng) {
    for (;;) {
        const uInt64 bits = rng();
        double d;
        std::memcpy(&d, &bits, 8);
        if (std::isfinite(d)) return d;
    }
}

long double RandomExtended(std::mt19937_64& rng, bool fullRange) {
    for (;;) {
        long double x = 0;
        const uInt64 mant = rng() | (1ull << 63);  // normal numbers carry the explicit integer bit
        const uInt64 r = rng();
        uInt16 se = fullRange ? uInt16(r) : uInt16((r & 0x8000) | (16383 - 1000 + (r >> 16) % 2001));
        std::memcpy(&x, &mant, 8);
        std::memcpy(reinterpret_cast<char*>(&x) + 8, &se, 2);
        if (std::isfinite(x)) return x;
    }
}

TEST(NumberExactness, DoubleDigitsMatchLibrary) {
    if (!HaveReferenceLibrary()) GTEST_SKIP() << "the reference printf is glibc's";
    std::mt19937_64 rng(1);
    char ours[64], ref[64];
    for (int i = 0; i < kValues; ++i) {
        const double d = RandomDouble(rng);
        const int16 n = int16(1 + i % 17);
        NumToAnyString(&d, 10, &n, reinterpret_cast<uChar*>(ours), sizeof ours, '.', nullptr);
        std::snprintf(ref, sizeof ref, "%.*e", n - 1, d);
        if (d == 0) continue;  // zero renders unsigned
        ASSERT_EQ(Canonical(ours), Canonical(ref)) << "value " << ref << " digits " << n;
    }
}

TEST(NumberExactness, ExtendedDigitsMatchLibrary) {
    if (!HaveReferenceLibrary()) GTEST_SKIP() << "the reference printf is glibc's";
    std::mt19937_64 rng(2);
    char ours[64], ref[64];
    for (int i = 0; i < kValues + kFullRangeExtended; ++i) {
        const long double x = RandomExtended(rng, i >= kValues);
        const int16 n = int16(1 + i % 17);
        NumToAnyString(&x, 11, &n, reinterpret_cast<uChar*>(ours), sizeof ours, '.', nullptr);
        std::snprintf(ref, sizeof ref, "%.*Le", n - 1, x);
        if (std::fabs(x) < 1e-4915L) continue;  // written as zero on purpose
        ASSERT_EQ(Canonical(ours), Canonical(ref)) << "value " << ref << " digits " << n;
    }
}

TEST(NumberExactness, FixedDigitsMatchLibrary) {
    if (!HaveReferenceLibrary()) GTEST_SKIP() << "the reference printf is glibc's";
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> mant(1.0, 10.0);
    char ours[128], ref[128];
    for (int i = 0; i < kValues / 4; ++i) {
        const int d = i % 8;
        const double v = std::ldexp(RandomDouble(rng) < 0 ? -mant(rng) : mant(rng), int(rng() % 40) - 20);
        const int16 code = int16(-d);
        NumToAnyString(&v, 10, &code, reinterpret_cast<uChar*>(ours), sizeof ours, '.', nullptr);
        std::snprintf(ref, sizeof ref, "%.*f", d, v);
        const bool rounded_to_zero = std::strspn(ref, "-0.") == std::strlen(ref);
        ASSERT_STREQ(ours, rounded_to_zero && ref[0] == '-' ? ref + 1 : ref) << v;
    }
}

TEST(NumberExactness, ScanningRoundsCorrectly) {
    if (!HaveReferenceLibrary()) GTEST_SKIP() << "the reference strtod is glibc's";
    std::mt19937_64 rng(4);
    char text[64];
    PackedDecimalReal p;
    for (int i = 0; i < 2 * kValues + kFullRangeExtended; ++i) {
        const bool extended = i & 1 || i >= 2 * kValues;
        const int n = 1 + int(rng() % 17);
        if (extended)
            std::snprintf(text, sizeof text, "%.*Le", n - 1, RandomExtended(rng, i >= 2 * kValues));
        else
            std::snprintf(text, sizeof text, "%.*e", n - 1, RandomDouble(rng));
        ASSERT_EQ(StringToPacked(reinterpret_cast<const uChar*>(text), int32(std::strlen(text)), &p, '.'), 1);
        if (extended) {
            const long double ours = tq::numtext::PackedToExtended(p);
            const long double ref = std::strtold(text, nullptr);
            ASSERT_EQ(std::memcmp(&ours, &ref, 10), 0) << text;
        } else {
            ASSERT_EQ(tq::numtext::PackedToDouble(p), std::strtod(text, nullptr)) << text;
        }
    }
}

TEST(NumberExactness, ScanningEdgesOfTheRange) {
    using tq::numtext::DecimalToDouble;
    using tq::numtext::DecimalToExtended;
    EXPECT_EQ(DecimalToDouble(17976931348623157ull, 292, false), DBL_MAX);
    EXPECT_TRUE(std::isinf(DecimalToDouble(17976931348623159ull, 292, false)));  // rounds past the largest
    EXPECT_EQ(DecimalToDouble(49406564584124654ull, -340, false), 4.9406564584124654e-324);
    EXPECT_EQ(DecimalToDouble(24703282292062327ull, -340, false),
              0.0);  // just under half the least subnormal
    EXPECT_EQ(DecimalToDouble(24703282292062328ull, -340, false), 4.9406564584124654e-324);
    EXPECT_EQ(DecimalToExtended(36451995318824746ull, -4967, false), 3.6451995318824746e-4951L);
    EXPECT_TRUE(std::isinf(DecimalToExtended(11897314953572318ull, 4916, false)));
    EXPECT_EQ(DecimalToExtended(1, -5100, true), -0.0L);
    EXPECT_TRUE(std::signbit(DecimalToExtended(1, -5100, true)));
}

}  // namespace
