// 128-bit absolute time (ATime128): the current time and conversions to FILETIME, split and double forms.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/Clock.h"
#include "tqcore/clocks.h"

namespace {

using U128 = unsigned __int128;

// The FILETIME of 1904-01-01 00:00:00 UTC.
constexpr uInt64 kFileTime1904 = 95616288000000000ull;
constexpr double kFileTimeUnitsPerSecond = 1e7;
constexpr int32 kSecondsPerDay = 86400;
// Days from 0000-03-01 (the civil-date algorithm's origin) to 1970-01-01, and from 1904-01-01 to 1970-01-01.
constexpr int64 kDays0000MarchTo1904 = 719468 - 24107;
constexpr U128 kTopBit = U128(1) << 127;

U128 Bits(const ATime128& t) {
    return U128(uInt64(t.GetInt64Seconds())) << 64 | t.GetUInt64Fraction();
}

ATime128 FromBits(U128 v) {
    return ATime128(int64(uInt64(v >> 64)), uInt64(v));
}

bool IsNegative(U128 v) {
    return (v & kTopBit) != 0;
}

// Rounded 64.64 product of two magnitudes: bits 64..191 of the 256-bit product, plus one unit when bit 63 is
// set. Bits above 191 are lost, as in any wrapping product.
U128 MultiplyMagnitudes(U128 a, U128 b) {
    const uInt64 a0 = uInt64(a), a1 = uInt64(a >> 64), b0 = uInt64(b), b1 = uInt64(b >> 64);
    const U128 p00 = U128(a0) * b0, p01 = U128(a0) * b1, p10 = U128(a1) * b0, p11 = U128(a1) * b1;
    const U128 middle = (p00 >> 64) + uInt64(p01) + uInt64(p10);
    const U128 high = (middle >> 64) + (p01 >> 64) + (p10 >> 64) + uInt64(p11);
    const U128 result = high << 64 | uInt64(middle);
    const bool roundUp = (uInt64(p00) >> 63) != 0;
    return result + (roundUp ? 1 : 0);
}

U128 FromDoubleBits(double v) {
    constexpr U128 kLargestPositive = ~kTopBit;
    if (!std::isfinite(v)) return std::signbit(v) ? kTopBit : kLargestPositive;
    uInt64 raw;
    std::memcpy(&raw, &v, sizeof raw);
    const int32 biased = int32(raw >> 52 & 0x7FF);
    // Subnormals are far below 2^-64 s.
    if (biased == 0) return 0;
    const U128 mantissa = (raw & ((uInt64(1) << 52) - 1)) | uInt64(1) << 52;
    const int32 shift = 1011 - biased;
    U128 magnitude;
    if (shift >= 0) {
        magnitude = shift >= 128 ? 0 : mantissa >> shift;
    } else {
        // Finite values beyond the range saturate like the infinities of their sign.
        if (-shift > 127 - 53) return std::signbit(v) ? kTopBit : kLargestPositive;
        magnitude = mantissa << -shift;
    }
    return std::signbit(v) ? U128(0) - magnitude : magnitude;
}

double ToDoubleBits(U128 v) {
    const bool negative = IsNegative(v);
    const U128 m = negative ? U128(0) - v : v;
    const double sum = double(int32(uInt32(m >> 96))) * 4294967296.0 + double(uInt32(m >> 64)) +
                       double(uInt32(m >> 32)) / 4294967296.0 + double(uInt32(m)) / 18446744073709551616.0;
    return negative ? -sum : sum;
}

ATime128 FromFileTimeValue(uInt64 ft) {
    const double units = ToDoubleBits(U128(__int128(ft) - __int128(kFileTime1904)) << 64);
    return ATime128(units / kFileTimeUnitsPerSecond);
}

struct CivilDate {
    int64 year;
    uInt32 month, day;
};

int64 FloorDiv(int64 a, int64 b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// Proleptic Gregorian date of a day count from 1904-01-01, valid over the whole int64 second range.
CivilDate CivilFromDays(int64 days) {
    const int64 z = days + kDays0000MarchTo1904;
    const int64 era = FloorDiv(z, 146097);
    const int64 doe = z - era * 146097;
    const int64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64 mp = (5 * doy + 2) / 153;
    const uInt32 day = uInt32(doy - (153 * mp + 2) / 5 + 1);
    const uInt32 month = uInt32(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

}  // namespace

ATime128::ATime128(double seconds) : ATime128(FromBits(FromDoubleBits(seconds))) {}

double ATime128::getFraction() const {
    const double f =
        double(uInt32(fraction_ >> 32)) / 4294967296.0 + double(uInt32(fraction_)) / 18446744073709551616.0;
    // Fractions within 2^-54 of one second would round up to 1.0.
    return f < 1.0 ? f : std::nextafter(1.0, 0.0);
}

double ATime128::ToDouble() const {
    return ToDoubleBits(Bits(*this));
}

void ATime128::Get(uInt32* w3, uInt32* w2, uInt32* w1, uInt32* w0) const {
    if (w3) *w3 = uInt32(uInt64(seconds_) >> 32);
    if (w2) *w2 = uInt32(uInt64(seconds_));
    if (w1) *w1 = uInt32(fraction_ >> 32);
    if (w0) *w0 = uInt32(fraction_);
}

void ATime128::IncrementLSB() {
    *this = FromBits(Bits(*this) + 1);
}

ATime128 ATime128::operator+(const ATime128& other) const {
    return FromBits(Bits(*this) + Bits(other));
}

ATime128 ATime128::operator-(const ATime128& other) const {
    return FromBits(Bits(*this) - Bits(other));
}

ATime128 ATime128::operator-() const {
    return FromBits(U128(0) - Bits(*this));
}

ATime128 ATime128::operator*(const ATime128& other) const {
    const U128 a = Bits(*this), b = Bits(other);
    const bool negative = IsNegative(a) != IsNegative(b);
    const U128 product = MultiplyMagnitudes(IsNegative(a) ? U128(0) - a : a, IsNegative(b) ? U128(0) - b : b);
    return FromBits(negative ? U128(0) - product : product);
}

bool ATime128::operator<(const ATime128& other) const {
    return seconds_ != other.seconds_ ? seconds_ < other.seconds_ : fraction_ < other.fraction_;
}

int32 ATime128::ToText(char* out, int32 capacity) const {
    int64 days = seconds_ / kSecondsPerDay, secondOfDay = seconds_ % kSecondsPerDay;
    if (secondOfDay < 0) {
        secondOfDay += kSecondsPerDay;
        --days;
    }
    const CivilDate date = CivilFromDays(days);
    const uInt64 nanos = uInt64((U128(fraction_) * 1000000000u) >> 64);
    char text[kTextSize];
    const int n = std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02u:%02u:%02u.%09lluZ",
                                static_cast<long long>(date.year), date.month, date.day,
                                unsigned(secondOfDay / 3600), unsigned(secondOfDay / 60 % 60),
                                unsigned(secondOfDay % 60), static_cast<unsigned long long>(nanos));
    if (out && capacity > 0) {
        const size_t keep = size_t(n) < size_t(capacity) ? size_t(n) : size_t(capacity) - 1;
        std::memcpy(out, text, keep);
        out[keep] = 0;
    }
    return n;
}

ATime128 GetCurrentATime128() {
    return FromFileTimeValue(tq::platform::SystemTimeAsFileTime());
}

ATime128 ATime128FromFILETIME(const TQFileTime& ft) {
    return FromFileTimeValue(uInt64(ft.dwHighDateTime) << 32 | ft.dwLowDateTime);
}

ATime128 ATime128FromHILOTime(uInt32 high, uInt32 low) {
    return FromFileTimeValue(uInt64(high) << 32 | low);
}

TQFileTime FILETIMEFromATime128(const ATime128& t) {
    const ATime128 units = t * ATime128(kFileTimeUnitsPerSecond);
    const uInt64 ft = uInt64(units.GetInt64Seconds()) + kFileTime1904;
    return TQFileTime{uInt32(ft), uInt32(ft >> 32)};
}
