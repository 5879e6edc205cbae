// POSIX only: file times between timespec and FILETIME (100-ns units since 1601-01-01 UTC).
#pragma once

#include <time.h>

#include "tqcore/clocks.h"

namespace tq::platform {

// The FILETIME epoch is 11644473600 s before the Unix one.
inline constexpr int64 kFileTimeEpochOffset = 11644473600LL;

inline TQFileTime FileTimeFromTimespec(const struct timespec& t) {
    const uInt64 ticks =
        uInt64(int64(t.tv_sec) + kFileTimeEpochOffset) * 10000000ull + uInt64(t.tv_nsec / 100);
    return {uInt32(ticks), uInt32(ticks >> 32)};
}

inline struct timespec TimespecFromFileTime(const TQFileTime& ft) {
    const uInt64 ticks = uInt64(ft.dwHighDateTime) << 32 | ft.dwLowDateTime;
    struct timespec t = {};
    t.tv_sec = time_t(int64(ticks / 10000000ull) - kFileTimeEpochOffset);
    t.tv_nsec = long(ticks % 10000000ull) * 100;
    return t;
}

}  // namespace tq::platform
