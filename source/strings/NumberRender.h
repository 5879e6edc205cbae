// Shortcuts into number rendering for the formatting engine's common cases.
#pragma once

#include "tqcore/types.h"

namespace tq::strings {

// The text NumToAnyString gives a signed 32-bit (is64 false) or 64-bit value under an integer code (64..68).
int32 SignedIntegerCodeText(int64 v, bool is64, int32 code, uChar* buf, int32 size);
// The same text written to end at `end` (room for 65 bytes before it), without the terminating NUL; returns
// where it starts.
char* IntegerCodeDigits(int64 v, bool is64, int32 code, char* end);

// The text NumToAnyString gives a double under a fixed code (-digits), written into text (kFixedTextRoom
// bytes) without the terminating NUL: returns its length and sets *start, or -1 when the value takes the
// general rendering.
constexpr int32 kFixedTextRoom = 96;
int32 FixedCodeText(double v, int32 digits, uChar point, char* text, const char** start);

}  // namespace tq::strings
