// Rounding a float to an integer type: nearest, ties to even, saturating, NaN to the maximum.
#pragma once

#include <cmath>
#include <limits>

#include "numerics/ElementMath.h"

namespace tq::numerics {

// The limits compare as doubles: signed 64-bit tops out at the largest double below 2^63.
template <class I>
I SaturateRound(long double x) {
    constexpr I kMax = std::numeric_limits<I>::max();
    constexpr I kMin = std::numeric_limits<I>::min();
    if (std::isnan(x)) return kMax;
    if constexpr (sizeof(I) == 8) {
        constexpr double kTop = std::numeric_limits<I>::is_signed ? 0x1.fffffffffffffp62 : 0x1p64;
        if (std::numeric_limits<I>::is_signed ? x > kTop : x >= kTop) return kMax;
    } else {
        if (x >= double(kMax)) return kMax;
    }
    if (x <= double(kMin)) return kMin;
    const long double r = RoundTiesEven(x);
    if (r > (long double)kMax) return kMax;
    if (r < (long double)kMin) return kMin;
    return I(r);
}

}  // namespace tq::numerics
