// Rounding doubles to integers (ties to even, saturating) and integers to multiples.
#include <cmath>
#include <limits>

#include "tqcore/numerics.h"

namespace {

// trunc(x + 0.5), or trunc(x - 0.5) below zero, moved to the even neighbour on an exact tie.
double NearestTiesEven(double x) {
    if (x >= 0) {
        double t = std::trunc(x + 0.5);
        if (t - x == 0.5) t = 2 * std::floor(t / 2);
        return t;
    }
    double t = std::trunc(x - 0.5);
    if (x - t == 0.5) t = 2 * std::floor((t + 1) / 2);
    return t;
}

template <class I>
I RoundSaturating(double x) {
    constexpr I kMax = std::numeric_limits<I>::max();
    constexpr I kMin = std::numeric_limits<I>::min();
    if (std::isnan(x)) return kMax;
    if constexpr (std::numeric_limits<I>::is_signed) {
        if (x >= double(kMax)) return kMax;
        if (x <= double(kMin)) return kMin;
    } else {
        if (x >= double(kMax)) return kMax;
        if (x <= 0) return 0;
    }
    const double t = NearestTiesEven(x);
    // The rounded value may still land one past the top (e.g. 2^63 - 512 rounds to 2^63).
    if (t >= double(kMax)) return kMax;
    if (t < double(kMin)) return kMin;
    return I(t);
}

}  // namespace

TQ_EXTERN_C_BEGIN

TQ_API int32 RndToNearest(double x) {
    return RoundSaturating<int32>(x);
}
TQ_API int64 RndToNearestI64(double x) {
    return RoundSaturating<int64>(x);
}
TQ_API uInt32 RndToNearestU32(double x) {
    return RoundSaturating<uInt32>(x);
}
TQ_API uInt64 RndToNearestU64(double x) {
    return RoundSaturating<uInt64>(x);
}

// Computed in 64 bits and pinned, so no x near the int32 limits overflows.
TQ_API int32 RndToInc(int32 x, int32 inc) {
    if (inc <= 0) return x;
    const int64 half = inc / 2;
    const int64 y = x < 0 ? int64(x) - half : int64(x) + half;
    int64 r = y - y % inc;
    if (r > std::numeric_limits<int32>::max()) r -= inc;
    if (r < std::numeric_limits<int32>::min()) r += inc;
    return int32(r);
}

TQ_EXTERN_C_END
