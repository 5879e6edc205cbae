// Exact conversion between binary reals and short decimal digit strings, shared by number rendering and
// scanning.
#pragma once

#include "tqcore/strings.h"
#include "tqcore/types.h"

namespace tq::strings {

// value = (digits read as an integer) x 10^exp10, sign apart.
struct Decimal {
    enum Kind : uInt8 { kFinite, kInfinite, kNaN };
    char digits[20];  // most significant first, no leading zero unless the value is zero ("0")
    int32 count = 0;
    int32 exp10 = 0;
    bool negative = false;
    Kind kind = kFinite;

    // Position of the leading digit: the value lies in [10^Magnitude(), 10^(Magnitude()+1)).
    int32 Magnitude() const { return exp10 + count - 1; }
    bool IsZero() const { return kind == kFinite && count == 1 && digits[0] == '0'; }
};

inline constexpr int32 kMaxSignificant = 17;

// Correctly rounded to n significant digits (1..17); ties of the exact binary value go to even.
Decimal RoundSignificant(double v, int32 n);
Decimal RoundSignificant(long double v, int32 n);
// Correctly rounded at d digits after the point (0..63), or to 17 significant digits when that is coarser.
Decimal RoundFixed(double v, int32 d);
Decimal RoundFixed(long double v, int32 d);

// Nearest binary value of up to 19 decimal digits times a power of ten; ties to even; overflow gives infinity
// and underflow rounds through the subnormals to zero.
double DecimalToDouble(uInt64 digits, int32 exp10, bool negative);
long double DecimalToExtended(uInt64 digits, int32 exp10, bool negative);

// The value of a packed-decimal record (digits x 10^exponent), correctly rounded; infinities and NaN as
// coded.
double PackedToDouble(const PackedDecimalReal& p);
long double PackedToExtended(const PackedDecimalReal& p);

}  // namespace tq::strings
