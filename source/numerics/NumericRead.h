// Reading integer values of any integer type code from memory, shared by the numeric and number-text units.
#pragma once

#include "tqcore/types.h"

namespace tq::numerics {

// The integer at p (type code 1..8) widened to 64 bits with its own signedness.
uInt64 ReadWidened(int32 code, const void* p);

}  // namespace tq::numerics
