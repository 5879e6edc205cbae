// Win32 floating-point rounding mode.
#include "platform/FloatingPoint.h"

#include <float.h>

namespace tq::platform {

void SetRoundingMode(RoundingMode mode) {
    static constexpr unsigned kModes[] = {_RC_NEAR, _RC_DOWN, _RC_UP, _RC_CHOP};
    unsigned int current = 0;
    // _controlfp_s sets the SSE unit; the x87 rounding field is bits 10-11 of its control word.
    _controlfp_s(&current, kModes[int(mode)], _MCW_RC);
    static constexpr uInt16 kX87[] = {0x0000, 0x0400, 0x0800, 0x0C00};
    X87SetControlWord(uInt16((X87ControlWord() & ~0x0C00) | kX87[int(mode)]));
}

RoundingMode GetRoundingMode() {
    unsigned int current = 0;
    _controlfp_s(&current, 0, 0);
    switch (current & _MCW_RC) {
        case _RC_DOWN:
            return RoundingMode::kDown;
        case _RC_UP:
            return RoundingMode::kUp;
        case _RC_CHOP:
            return RoundingMode::kTowardZero;
        default:
            return RoundingMode::kNearest;
    }
}

}  // namespace tq::platform
