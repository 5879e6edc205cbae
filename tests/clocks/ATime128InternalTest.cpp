#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "platform/Clock.h"
#include "tqcore/clocks.h"

namespace {

constexpr uInt64 kFileTime1904 = 95616288000000000ull;
constexpr int64 kUnixEpochIn1904Seconds = 2082844800;
constexpr uInt64 kAllOnes = ~uInt64(0);

TQFileTime Ft(uInt64 v) {
    return TQFileTime{uInt32(v), uInt32(v >> 32)};
}

uInt64 FtValue(const TQFileTime& ft) {
    return uInt64(ft.dwHighDateTime) << 32 | ft.dwLowDateTime;
}

std::string Text(const ATime128& t) {
    char buf[ATime128::kTextSize];
    t.ToText(buf, sizeof buf);
    return buf;
}

TEST(ATime128Test, FileTimeInAtTheEpochAndAfter) {
    ATime128 t = ATime128FromFILETIME(Ft(kFileTime1904));
    EXPECT_EQ(t.GetInt64Seconds(), 0);
    EXPECT_EQ(t.GetUInt64Fraction(), 0u);
    t = ATime128FromFILETIME(Ft(kFileTime1904 + 10000000));
    EXPECT_EQ(t.GetInt64Seconds(), 1);
    EXPECT_EQ(t.GetUInt64Fraction(), 0u);
    t = ATime128FromHILOTime(uInt32((kFileTime1904 + 5000000) >> 32), uInt32(kFileTime1904 + 5000000));
    EXPECT_EQ(t.GetInt64Seconds(), 0);
    EXPECT_EQ(t.GetUInt64Fraction(), uInt64(1) << 63);
    // Before 1904 the whole seconds are negative and the fraction counts upwards from them.
    t = ATime128FromFILETIME(Ft(kFileTime1904 - 15000000));
    EXPECT_EQ(t.GetInt64Seconds(), -2);
    EXPECT_EQ(t.GetUInt64Fraction(), uInt64(1) << 63);
    t = ATime128FromFILETIME(Ft(0));
    EXPECT_EQ(t.GetInt64Seconds(), -9561628800);
}

TEST(ATime128Test, FileTimeRoundTrips) {
    // Whole seconds survive exactly; other values within the precision of a double.
    for (const int64 s :
         {int64(0), int64(1), int64(-1), kUnixEpochIn1904Seconds, int64(3850000000), int64(-9561628800)}) {
        const uInt64 ft = uInt64(int64(kFileTime1904) + s * 10000000);
        const ATime128 t = ATime128FromFILETIME(Ft(ft));
        EXPECT_EQ(t.GetInt64Seconds(), s);
        EXPECT_EQ(FtValue(FILETIMEFromATime128(t)), ft) << s;
    }
    std::mt19937_64 rng(42);
    for (int i = 0; i < 1000; ++i) {
        const uInt64 ft = kFileTime1904 + rng() % (uInt64(200) * 365 * 86400 * 10000000);
        const uInt64 back = FtValue(FILETIMEFromATime128(ATime128FromFILETIME(Ft(ft))));
        ASSERT_LE(back > ft ? back - ft : ft - back, 16u) << ft;
    }
}

// Read between two readings of the system's clocks, whatever the load.
TEST(ATime128Test, CurrentTimeMatchesTheSystemClock) {
    const auto unixSeconds = [] {
        return std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    };
    const int64 unixBefore = unixSeconds();
    const uInt64 platformBefore = tq::platform::SystemTimeAsFileTime();
    const ATime128 now = GetCurrentATime128();
    const uInt64 platformAfter = tq::platform::SystemTimeAsFileTime();
    const int64 unixAfter = unixSeconds();
    EXPECT_GE(now.GetInt64Seconds(), unixBefore + kUnixEpochIn1904Seconds - 1);
    EXPECT_LE(now.GetInt64Seconds(), unixAfter + kUnixEpochIn1904Seconds + 1);
    // Double precision may move the value by a few units either way.
    const uInt64 ft = FtValue(FILETIMEFromATime128(now));
    EXPECT_GE(ft + 16, platformBefore);
    EXPECT_LE(ft, platformAfter + 16);
    EXPECT_FALSE(GetCurrentATime128() < now);
}

TEST(ATime128Test, DoubleConversions) {
    EXPECT_EQ(ATime128(1.5), ATime128(1, uInt64(1) << 63));
    EXPECT_EQ(ATime128(-1.5), ATime128(-2, uInt64(1) << 63));
    EXPECT_EQ(ATime128(0.0), ATime128());
    EXPECT_EQ(ATime128(-0.0), ATime128());
    EXPECT_EQ(ATime128(std::ldexp(1.0, -64)), ATime128(0, 1));
    EXPECT_EQ(ATime128(std::ldexp(1.0, -65)), ATime128()) << "bits below 2^-64 are truncated";
    EXPECT_EQ(ATime128(std::numeric_limits<double>::denorm_min()), ATime128());
    EXPECT_EQ(ATime128(std::ldexp(1.0, 40) + 0.25), ATime128(int64(1) << 40, uInt64(1) << 62));

    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(ATime128(inf), ATime128(std::numeric_limits<int64>::max(), kAllOnes));
    EXPECT_EQ(ATime128(-inf), ATime128(std::numeric_limits<int64>::min(), 0));
    EXPECT_EQ(ATime128(std::numeric_limits<double>::quiet_NaN()),
              ATime128(std::numeric_limits<int64>::max(), kAllOnes));
    EXPECT_EQ(ATime128(-std::numeric_limits<double>::quiet_NaN()),
              ATime128(std::numeric_limits<int64>::min(), 0));
    EXPECT_EQ(ATime128(1e30), ATime128(inf));
    EXPECT_EQ(ATime128(-1e30), ATime128(-inf));

    for (const double d : {0.0, 1.5, -1.5, 1234567.890625, -98765.4321, 3.85e9, -3.0517578125e-05, 4e18}) {
        EXPECT_EQ(ATime128(d).ToDouble(), d) << d;
    }
    // Bits below 2^-64 go towards zero on both sides.
    EXPECT_LT(ATime128(3e-10).ToDouble(), 3e-10);
    EXPECT_GT(ATime128(-3e-10).ToDouble(), -3e-10);
    EXPECT_EQ(ATime128(7, uInt64(1) << 62).ToDouble(), 7.25);
    EXPECT_EQ(ATime128(-8, uInt64(3) << 62).ToDouble(), -7.25);
}

TEST(ATime128Test, HalvesWordsAndFraction) {
    ATime128 t(-2, 0x0123456789ABCDEFull);
    uInt32 w3 = 0, w2 = 0, w1 = 0, w0 = 0;
    t.Get(&w3, &w2, &w1, &w0);
    EXPECT_EQ(w3, 0xFFFFFFFFu);
    EXPECT_EQ(w2, 0xFFFFFFFEu);
    EXPECT_EQ(w1, 0x01234567u);
    EXPECT_EQ(w0, 0x89ABCDEFu);
    uInt32 onlyLow = 0;
    t.Get(nullptr, nullptr, nullptr, &onlyLow);
    EXPECT_EQ(onlyLow, 0x89ABCDEFu);

    t.SetInt64Seconds(99);
    EXPECT_EQ(t.GetUInt64Fraction(), 0x0123456789ABCDEFull);
    t.SetUInt64Fraction(uInt64(1) << 62);
    EXPECT_EQ(t.GetInt64Seconds(), 99);
    EXPECT_EQ(t.getSeconds(), 99.0);
    EXPECT_EQ(t.getFraction(), 0.25);
    t.SetUInt64Fraction(kAllOnes);
    EXPECT_LT(t.getFraction(), 1.0);
    EXPECT_GT(t.getFraction(), 0.999999);
}

TEST(ATime128Test, ArithmeticAndOrderOver128Bits) {
    const ATime128 a(1, uInt64(3) << 62), b(2, uInt64(1) << 63);  // 1.75 and 2.5
    EXPECT_EQ(a + b, ATime128(4, uInt64(1) << 62));
    EXPECT_EQ(a - b, ATime128(-1, uInt64(1) << 62));
    EXPECT_EQ(-a, ATime128(-2, uInt64(1) << 62));
    EXPECT_EQ(-ATime128(), ATime128());
    EXPECT_EQ(a * b, ATime128(4.375));
    EXPECT_EQ(-a * b, ATime128(-4.375));
    EXPECT_EQ(-a * -b, ATime128(4.375));
    EXPECT_EQ(ATime128(0.5) * ATime128(0.5), ATime128(0.25));
    EXPECT_EQ(ATime128(3850000000.0) * ATime128(1e7), ATime128(3.85e16));
    // Half a unit of the last place rounds up; less than half is dropped.
    EXPECT_EQ(ATime128(0, 1) * ATime128(0.5), ATime128(0, 1));
    EXPECT_EQ(ATime128(0, 1) * ATime128(0.25), ATime128());
    EXPECT_EQ(ATime128(0, 3) * ATime128(-0.5), ATime128(-1, kAllOnes - 1));

    EXPECT_TRUE(ATime128(-1, kAllOnes) < ATime128());
    EXPECT_TRUE(ATime128(3, 5) < ATime128(3, 6));
    EXPECT_TRUE(ATime128(std::numeric_limits<int64>::min(), 0) < ATime128(-1, 0));
    EXPECT_FALSE(ATime128(3, 6) < ATime128(3, 6));
    const ATime128 max(std::numeric_limits<int64>::max(), kAllOnes);
    EXPECT_EQ(max + ATime128(0, 1), ATime128(std::numeric_limits<int64>::min(), 0)) << "wraps";
    // Incrementing the last place carries into the seconds.
    ATime128 t(7, kAllOnes);
    t.IncrementLSB();
    EXPECT_EQ(t, ATime128(8, 0));
    t.IncrementLSB();
    EXPECT_EQ(t, ATime128(8, 1));
    ATime128 minusTiny(-1, kAllOnes);
    minusTiny.IncrementLSB();
    EXPECT_EQ(minusTiny, ATime128());
}

TEST(ATime128Test, TextIsUtcCalendarDate) {
    EXPECT_EQ(Text(ATime128()), "1904-01-01T00:00:00.000000000Z");
    EXPECT_EQ(Text(ATime128(kUnixEpochIn1904Seconds, 0)), "1970-01-01T00:00:00.000000000Z");
    EXPECT_EQ(Text(ATime128(3034672496, uInt64(1) << 63)), "2000-02-29T12:34:56.500000000Z");
    EXPECT_EQ(Text(ATime128(-1, kAllOnes)), "1903-12-31T23:59:59.999999999Z");
    EXPECT_EQ(Text(ATime128(-9588067200, 0)), "1600-03-01T00:00:00.000000000Z");
    EXPECT_EQ(Text(ATime128(0, 0x000000044B82FA0Aull)), "1904-01-01T00:00:00.000000001Z");

    // Every day over four centuries and beyond agrees with the standard library's calendar.
    using namespace std::chrono;
    const sys_days epoch1904 = sys_days(year(1904) / January / 1);
    for (int64 day = -200000; day < 200000; day += 7) {
        const year_month_day ymd{epoch1904 + days(day)};
        char want[64];
        std::snprintf(want, sizeof want, "%04d-%02u-%02uT00:00:07.000000000Z", int(ymd.year()),
                      unsigned(ymd.month()), unsigned(ymd.day()));
        ASSERT_EQ(Text(ATime128(day * 86400 + 7, 0)), want) << day;
    }
}

TEST(ATime128Test, TextAtTheExtremesAndIntoSmallBuffers) {
    const ATime128 max(std::numeric_limits<int64>::max(), kAllOnes);
    const ATime128 min(std::numeric_limits<int64>::min(), 0);
    char buf[ATime128::kTextSize];
    EXPECT_LT(max.ToText(buf, sizeof buf), ATime128::kTextSize);
    EXPECT_LT(min.ToText(buf, sizeof buf), ATime128::kTextSize);
    EXPECT_EQ(Text(min).front(), '-');

    char small[11];
    EXPECT_EQ(ATime128().ToText(small, sizeof small), 30);
    EXPECT_EQ(std::string(small), "1904-01-01");
    EXPECT_EQ(ATime128().ToText(nullptr, 0), 30);
}

}  // namespace
