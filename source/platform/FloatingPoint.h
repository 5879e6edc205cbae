// The floating-point unit's per-thread state: the x87 control and status words and the rounding mode.
#pragma once

#include "tqcore/types.h"

namespace tq::platform {

// The state every library thread starts in: all exceptions masked, 64-bit significand, round to nearest.
constexpr uInt16 kX87DefaultControlWord = 0x037F;

// Resets the x87 unit and loads the given control word.
void X87Reset(uInt16 controlWord);
uInt16 X87ControlWord();
void X87SetControlWord(uInt16 controlWord);
uInt16 X87StatusWord();
// Saves the whole x87 state and restores it at once; returns the saved tag word.
uInt16 X87SaveRestore();

enum class RoundingMode { kNearest, kDown, kUp, kTowardZero };
// The rounding mode of both the SSE and the x87 unit of the calling thread.
void SetRoundingMode(RoundingMode mode);
RoundingMode GetRoundingMode();

}  // namespace tq::platform
