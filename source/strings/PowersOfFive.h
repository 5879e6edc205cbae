// Powers of five as normalised 128-bit values for rounding decimal products to binary.
#pragma once

#include "tqcore/types.h"

namespace tq::strings {

inline constexpr int32 kMinPowerOfFive = -342;
inline constexpr int32 kMaxPowerOfFive = 308;
inline constexpr int32 kPowersOfFiveCount = kMaxPowerOfFive - kMinPowerOfFive + 1;

// Row q - kMinPowerOfFive: high and low 64 bits of 5^q x 2^k with the top bit set (see the generator).
extern const uInt64 kPowersOfFive[kPowersOfFiveCount][2];

}  // namespace tq::strings
