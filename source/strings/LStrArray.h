// Long-string arrays shared by the list functions and the string utilities.
#pragma once

#include "tqcore/strings.h"

namespace tq::strings {

inline constexpr int64 kLStrArrayHeader = 8;

inline int32 ArrayCount(_LStrArray** a) {
    return a && *a && (*a)->cnt > 0 ? (*a)->cnt : 0;
}
// Disposes every element, then the array itself; null does nothing.
void DisposeLStrArray(_LStrArray** a);

}  // namespace tq::strings
