// POSIX floating-point rounding mode.
#include "platform/FloatingPoint.h"

#include <fenv.h>

namespace tq::platform {

void SetRoundingMode(RoundingMode mode) {
    static constexpr int kModes[] = {FE_TONEAREST, FE_DOWNWARD, FE_UPWARD, FE_TOWARDZERO};
    fesetround(kModes[int(mode)]);
}

RoundingMode GetRoundingMode() {
    switch (fegetround()) {
        case FE_DOWNWARD:
            return RoundingMode::kDown;
        case FE_UPWARD:
            return RoundingMode::kUp;
        case FE_TOWARDZERO:
            return RoundingMode::kTowardZero;
        default:
            return RoundingMode::kNearest;
    }
}

}  // namespace tq::platform
