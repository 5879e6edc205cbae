// A memmove for the short runs that appends and formatted fields mostly copy, without a call into the C
// library.
#pragma once

#include <cstring>

#include "tqcore/types.h"

namespace tq::strings {

inline void CopyBytes(uChar* to, const uChar* from, int32 n) {
    if (n > 16) {
        std::memmove(to, from, size_t(n));
    } else if (n >= 8) {
        // Both words are read before either is written, so overlapping runs move correctly.
        uInt64 head, tail;
        std::memcpy(&head, from, 8);
        std::memcpy(&tail, from + n - 8, 8);
        std::memcpy(to, &head, 8);
        std::memcpy(to + n - 8, &tail, 8);
    } else {
        uChar tmp[8];
        for (int32 i = 0; i < n; ++i) tmp[i] = from[i];
        for (int32 i = 0; i < n; ++i) to[i] = tmp[i];
    }
}

}  // namespace tq::strings
