// Digits and scanning checked by exact integer arithmetic over many random values of each width.
#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "strings/DecimalDigits.h"
#include "strings/ExactDecimal.h"
#include "tqcore/strings.h"

namespace {

constexpr int kValues = 1000000;
// Extended values with exponents across the whole range cost the reference library tens of microseconds each:
// a million are drawn within 2^+-1000 and a smaller sample across the full range.
constexpr int kFullRangeExtended = 20000;

double RandomDouble(std::mt19937_64& rng) {
    for (;;) {
        const uInt64 bits = rng();
        double d;
        std::memcpy(&d, &bits, 8);
        if (std::isfinite(d)) return d;
    }
}

template <class Real>
bool ReadsAsNearest(Real ours, const exact::Decimal& text, const exact::Format& format) {
    const exact::Binary r = exact::Decompose(ours);
    return r.negative == text.negative &&
           exact::NearestBinary(r, std::isinf(ours), text.digits, text.exp10, format);
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

// Our n-digit scientific text of x is the correctly rounded one.
::testing::AssertionResult NearestDigits(const exact::Binary& x, const std::string& ours, int n) {
    const auto d = exact::Parse(ours);
    if (!d) return ::testing::AssertionFailure() << "unreadable " << ours;
    uInt64 power = 1;
    for (int i = 1; i < n; ++i) power *= 10;
    if (d->count != n || d->fraction != n - 1 || d->digits < power || d->negative != x.negative)
        return ::testing::AssertionFailure() << ours << " is not a signed " << n << "-digit number";
    if (!exact::NearestDecimal(x, d->digits, d->exp10, d->digits == power))
        return ::testing::AssertionFailure() << ours << " is not the nearest " << n << "-digit value";
    return ::testing::AssertionSuccess();
}

// The exact reference itself: it takes the nearest text and the even one of a tie, and refuses the
// neighbours.
TEST(NumberExactness, ReferenceTellsNearestFromNeighbours) {
    EXPECT_TRUE(NearestDigits(exact::Decompose(2.5), "2E+0", 1));
    EXPECT_FALSE(NearestDigits(exact::Decompose(2.5), "3E+0", 1));
    EXPECT_TRUE(NearestDigits(exact::Decompose(3.5), "4E+0", 1));
    EXPECT_TRUE(NearestDigits(exact::Decompose(9.96), "1.0E+1", 2));
    EXPECT_FALSE(NearestDigits(exact::Decompose(9.96), "9.9E+0", 2));
    EXPECT_FALSE(NearestDigits(exact::Decompose(9.96), "10E+0", 2));
    EXPECT_FALSE(NearestDigits(exact::Decompose(9.7), "1E+1", 2));
    EXPECT_TRUE(NearestDigits(exact::Decompose(-0.1), "-1.00000000000000006E-1", 18));
    EXPECT_FALSE(NearestDigits(exact::Decompose(-0.1), "-1.00000000000000005E-1", 18));
    EXPECT_FALSE(NearestDigits(exact::Decompose(0.1), "-1E-1", 1));

    const auto reads = [](double r, const char* text) {
        return ReadsAsNearest(r, *exact::Parse(text), exact::kDouble);
    };
    EXPECT_TRUE(reads(1e23, "1e23"));
    EXPECT_FALSE(reads(std::nextafter(1e23, 2e23), "1e23"));
    EXPECT_TRUE(reads(9007199254740992.0, "9007199254740993"));  // a tie between 2^53 and 2^53 + 2
    EXPECT_FALSE(reads(9007199254740994.0, "9007199254740993"));
    EXPECT_TRUE(reads(DBL_MAX, "1.7976931348623158e308"));
    EXPECT_TRUE(reads(HUGE_VAL, "1.7976931348623159e308"));
    EXPECT_FALSE(reads(HUGE_VAL, "1.7976931348623158e308"));
    EXPECT_TRUE(reads(0.0, "2.4703282292062327e-324"));
    EXPECT_TRUE(reads(4.9406564584124654e-324, "2.4703282292062328e-324"));
    EXPECT_FALSE(reads(-0.0, "0"));
    const auto readsL = [](long double r, const char* text) {
        return ReadsAsNearest(r, *exact::Parse(text), exact::kExtended);
    };
    EXPECT_TRUE(readsL(0.1L, "0.1"));
    EXPECT_FALSE(readsL(std::nextafter(0.1L, 1.0L), "0.1"));
    EXPECT_FALSE(readsL(std::nextafter(0.1L, 0.0L), "0.1"));
    EXPECT_TRUE(readsL(1.0L, "1"));
    EXPECT_FALSE(readsL(std::nextafter(1.0L, 0.0L), "1"));
}

TEST(NumberExactness, DoubleDigitsAreCorrectlyRounded) {
    std::mt19937_64 rng(1);
    char ours[64];
    for (int i = 0; i < kValues; ++i) {
        const double d = RandomDouble(rng);
        const int16 n = int16(1 + i % 17);
        NumToAnyString(&d, 10, &n, reinterpret_cast<uChar*>(ours), sizeof ours, '.', nullptr);
        if (d == 0) continue;  // zero renders unsigned
        ASSERT_TRUE(NearestDigits(exact::Decompose(d), ours, n)) << std::hexfloat << d;
    }
}

TEST(NumberExactness, ExtendedDigitsAreCorrectlyRounded) {
    std::mt19937_64 rng(2);
    char ours[64];
    for (int i = 0; i < kValues + kFullRangeExtended; ++i) {
        const long double x = RandomExtended(rng, i >= kValues);
        const int16 n = int16(1 + i % 17);
        NumToAnyString(&x, 11, &n, reinterpret_cast<uChar*>(ours), sizeof ours, '.', nullptr);
        if (std::fabs(x) < 1e-4915L) continue;  // written as zero on purpose
        ASSERT_TRUE(NearestDigits(exact::Decompose(x), ours, n)) << std::hexfloat << x;
    }
}

TEST(NumberExactness, FixedDigitsAreCorrectlyRounded) {
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> mant(1.0, 10.0);
    char ours[128];
    for (int i = 0; i < kValues / 4; ++i) {
        const int d = i % 8;
        const double v = std::ldexp(RandomDouble(rng) < 0 ? -mant(rng) : mant(rng), int(rng() % 40) - 20);
        const int16 code = int16(-d);
        NumToAnyString(&v, 10, &code, reinterpret_cast<uChar*>(ours), sizeof ours, '.', nullptr);
        const auto text = exact::Parse(ours);
        ASSERT_TRUE(text && text->fraction == d && !text->padded &&
                    (d > 0) == (std::strchr(ours, '.') != nullptr))
            << ours << " is not a plain number with " << d << " decimals";
        // A value that rounds to zero loses its sign.
        ASSERT_EQ(text->negative, v < 0 && text->digits != 0) << ours << " for " << v;
        ASSERT_TRUE(exact::NearestDecimal(exact::Decompose(v), text->digits, -d, false))
            << ours << " for " << v;
    }
}

// The texts are every width's rounding of random values; each must read as the value nearest to it.
TEST(NumberExactness, ScanningRoundsCorrectly) {
    std::mt19937_64 rng(4);
    char text[64];
    PackedDecimalReal p;
    for (int i = 0; i < 2 * kValues + kFullRangeExtended; ++i) {
        const bool extended = i & 1 || i >= 2 * kValues;
        const int n = 1 + int(rng() % 17);
        const auto written =
            extended ? std::to_chars(text, text + sizeof text - 1, RandomExtended(rng, i >= 2 * kValues),
                                     std::chars_format::scientific, n - 1)
                     : std::to_chars(text, text + sizeof text - 1, RandomDouble(rng),
                                     std::chars_format::scientific, n - 1);
        *written.ptr = 0;
        const auto exact = exact::Parse(text);
        ASSERT_TRUE(exact) << text;
        ASSERT_EQ(StringToPacked(reinterpret_cast<const uChar*>(text), int32(std::strlen(text)), &p, '.'), 1);
        const bool nearest = extended
                                 ? ReadsAsNearest(tq::strings::PackedToExtended(p), *exact, exact::kExtended)
                                 : ReadsAsNearest(tq::strings::PackedToDouble(p), *exact, exact::kDouble);
        ASSERT_TRUE(nearest) << text;
    }
}

// Text of the value digits x 10^q: the point after the first `before` digits (0: "0." and `zeros` zeros in
// front of the digits, else `zeros` leading zeros), the exponent that makes it right (left out when 0 and
// `bare`).
std::string DecimalText(const std::string& digits, int q, int before, int zeros, bool negative, bool bare) {
    const int n = int(digits.size());
    std::string t = negative ? "-" : "";
    int written = q + n - before;
    if (before == 0) {
        t += "0." + std::string(size_t(zeros), '0') + digits;
        written += zeros;
    } else {
        t += std::string(size_t(zeros), '0') + digits.substr(0, size_t(before));
        if (before < n) t += "." + digits.substr(size_t(before));
    }
    if (written != 0 || !bare) t += "e" + std::to_string(written);
    return t;
}

std::string RandomDigits(std::mt19937_64& rng, int n) {
    std::string d(1, char('1' + rng() % 9));
    const int style = int(rng() % 4);  // runs of nines and zeros sit next to rounding boundaries
    for (int i = 1; i < n; ++i) d += style == 1 ? '9' : (style == 2 ? '0' : char('0' + rng() % 10));
    if (style == 3 && n > 1) d.back() = '5';
    return d;
}

struct Scanned {
    PackedDecimalReal record;
    Bool32 ok;
    double value;
};

Scanned ScanText(const std::string& text, uChar point = '.') {
    Scanned s{};
    s.ok = StringToPacked(reinterpret_cast<const uChar*>(text.data()), int32(text.size()), &s.record, point);
    s.value = tq::strings::PackedToDouble(s.record);
    return s;
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// glibc's strtod where there is one; elsewhere from_chars, which does not say which way a value left the
// range, so those cases go unchecked there.
::testing::AssertionResult MatchesReference(double ours, const std::string& text) {
    double ref = 0;
#if defined(__GLIBC__)
    ref = std::strtod(text.c_str(), nullptr);
#else
    if (std::from_chars(text.data(), text.data() + text.size(), ref).ec != std::errc())
        return ::testing::AssertionSuccess();
#endif
    if (SameBits(ours, ref)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "reference reads " << text << " differently";
}

// Plain text is read on a quick path; a blank after the sign sends the same text through the general reader.
void ExpectSameAsGeneralReader(const std::string& text, const Scanned& quick) {
    const bool signed_ = text[0] == '-' || text[0] == '+';
    const Scanned general =
        ScanText((signed_ ? text.substr(0, 1) : "+") + " " + text.substr(signed_ ? 1 : 0));
    ASSERT_EQ(general.ok, quick.ok) << text;
    ASSERT_EQ(std::memcmp(&general.record, &quick.record, sizeof quick.record), 0) << text;
}

TEST(NumberExactness, ScanningAtPathBoundaries) {
    std::mt19937_64 rng(5);
    // Decimal exponents where the exact small-power route, the table's exact rows, exact ties and the
    // table itself begin and end, and where doubles overflow and underflow.
    static const int kExponents[] = {0,    1,    -1,   -4,   -5,   15,   22,  23,   -22, -23,  24,   27,
                                     28,   -27,  -28,  55,   56,   -60,  100, -100, 290, 291,  -307, -308,
                                     -323, -324, -325, -340, -342, -343, 307, 308,  309, -360, 330};
    static const int kCounts[] = {1, 2, 9, 15, 16, 17, 18};
    for (int i = 0; i < 150000; ++i) {
        const int n = kCounts[rng() % std::size(kCounts)];
        const int q = kExponents[rng() % std::size(kExponents)] - int(rng() % 3) * (n - 1) / 2;
        const std::string digits = RandomDigits(rng, n);
        const int before = int(rng() % size_t(n + 1));
        const std::string text =
            DecimalText(digits, q, before, int(rng() % 3 ? 0 : rng() % 40), rng() & 1, rng() & 2);
        const Scanned s = ScanText(text);
        ASSERT_EQ(s.ok, 1) << text;
        ASSERT_TRUE(MatchesReference(s.value, text)) << text;
        ExpectSameAsGeneralReader(text, s);
        std::string comma = text;
        for (char& c : comma)
            if (c == '.') c = ',';
        const Scanned c = ScanText(comma, ',');
        ASSERT_TRUE(SameBits(c.value, s.value)) << comma;
    }
}

// More than 18 significant digits: the record keeps the first 18, so the value is theirs.
TEST(NumberExactness, ScanningLongDigitStringsKeepsEighteen) {
    std::mt19937_64 rng(6);
    for (int i = 0; i < 50000; ++i) {
        const int n = 19 + int(rng() % 30);
        const int q = int(rng() % 700) - 360;
        const std::string digits = RandomDigits(rng, n);
        const std::string text =
            DecimalText(digits, q, int(rng() % size_t(n + 1)), int(rng() % 25), rng() & 1, rng() & 2);
        const std::string kept =
            (text[0] == '-' ? "-" : "") + digits.substr(0, 18) + "e" + std::to_string(q + n - 18);
        const Scanned s = ScanText(text);
        ASSERT_EQ(s.ok, 1) << text;
        ASSERT_TRUE(MatchesReference(s.value, kept)) << text;
    }
}

// Values exactly halfway between two doubles round to the even one. A 54-bit odd number times a power of
// two is such a midpoint; written with at most 18 digits it is an integer times 10^k (k up to 23, the
// five-factors taken from the odd number) or has one or two decimals.
TEST(NumberExactness, ScanningExactMidpointsRoundToEven) {
    std::mt19937_64 rng(7);
    for (int i = 0; i < 100000; ++i) {
        const int k = i % 3 == 0 ? 0 : int(rng() % 24);
        uInt64 five = 1;
        for (int j = 0; j < k; ++j) five *= 5;
        const uInt64 lo = ((1ull << 53) + five - 1) / five, hi = ((1ull << 54) - 1) / five;
        uInt64 r = lo + rng() % (hi - lo + 1);
        r |= 1;
        if (r * five >= (1ull << 54)) r -= 2;
        uInt64 digits = r << (rng() % 4);
        int exp10 = k;
        if (k == 0 && rng() % 2) {
            exp10 = -1 - int(rng() % 2);  // (2m+1) / 2^j = (2m+1) x 5^j / 10^j
            digits = r * (exp10 == -1 ? 5 : 25);
        }
        ASSERT_LT(digits, 1000000000000000000ull);
        const std::string text = std::to_string(digits) + "e" + std::to_string(exp10);
        const Scanned s = ScanText(text);
        ASSERT_TRUE(MatchesReference(s.value, text)) << text;
    }
}

TEST(NumberExactness, ScanningSubnormalsZerosAndOverflow) {
    std::mt19937_64 rng(8);
    char text[64];
    for (int i = 0; i < 100000; ++i) {
        const uInt64 bits = (rng() & ((1ull << 52) - 1)) >> (rng() % 52) | (i & 1 ? 1ull << 63 : 0);
        double d;
        std::memcpy(&d, &bits, 8);
        std::snprintf(text, sizeof text, "%.*e", int(rng() % 17), d);
        const Scanned s = ScanText(text);
        ASSERT_TRUE(MatchesReference(s.value, text)) << text;
        ExpectSameAsGeneralReader(text, s);
    }
    for (const char* t :
         {"0", "-0", "0.000", "-0e400", "000000000000000000000000000", "-.0", "0e-9999",
          "2.4703282292062327e-324", "2.4703282292062328e-324", "1e-400", "-1e-400",
          "2.2250738585072011e-308", "2.2250738585072012e-308", "1.7976931348623157e308",
          "1.7976931348623158e308", "1.7976931348623159e308", "-1e309", "999999999999999999e9999"}) {
        const Scanned s = ScanText(t);
        ASSERT_EQ(s.ok, 1) << t;
        ASSERT_TRUE(MatchesReference(s.value, t)) << t;
        ExpectSameAsGeneralReader(t, s);
    }
}

TEST(NumberExactness, ScanningEdgesOfTheRange) {
    using tq::strings::DecimalToDouble;
    using tq::strings::DecimalToExtended;
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
