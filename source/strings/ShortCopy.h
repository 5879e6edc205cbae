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
    } else if (n >= 4) {
        uInt32 head, tail;
        std::memcpy(&head, from, 4);
        std::memcpy(&tail, from + n - 4, 4);
        std::memcpy(to, &head, 4);
        std::memcpy(to + n - 4, &tail, 4);
    } else if (n > 0) {
        // First, middle and last byte cover one to three bytes without a loop.
        const uChar first = from[0], middle = from[n >> 1], last = from[n - 1];
        to[0] = first;
        to[n >> 1] = middle;
        to[n - 1] = last;
    }
}

}  // namespace tq::strings
