// POSIX clocks: ticks since boot, the performance counter and the system time as a FILETIME.
#include "platform/Clock.h"

#include "platform/posix/Syscalls.h"

namespace tq::platform {

namespace {
constexpr uInt64 kNanosPerSecond = 1000000000;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr uInt64 kUnixEpochIn1601Seconds = 11644473600;

uInt64 Nanoseconds(clockid_t clock) {
    timespec ts{};
    sys::clock_gettime(clock, &ts);
    return uInt64(ts.tv_sec) * kNanosPerSecond + uInt64(ts.tv_nsec);
}

// Boot time counts suspended periods too, as the Windows tick does.
uInt32 MillisecondsSinceBoot() {
    return static_cast<uInt32>(Nanoseconds(CLOCK_BOOTTIME) / 1000000);
}
}  // namespace

// Both Windows ticks differ only in resolution there; here both read the same clock.
uInt32 TickCount() {
    return MillisecondsSinceBoot();
}

uInt32 MultimediaTime() {
    return MillisecondsSinceBoot();
}

// Suspended periods do not count here, which only makes an interval end later.
uInt32 CoarseTickCount() {
    return static_cast<uInt32>(Nanoseconds(CLOCK_MONOTONIC_COARSE) / 1000000);
}

uInt64 PerformanceCounter() {
    return Nanoseconds(CLOCK_MONOTONIC);
}

uInt64 PerformanceFrequency() {
    return kNanosPerSecond;
}

uInt64 SystemTimeAsFileTime() {
    timespec ts{};
    sys::clock_gettime(CLOCK_REALTIME, &ts);
    return (uInt64(ts.tv_sec) + kUnixEpochIn1601Seconds) * 10000000 + uInt64(ts.tv_nsec) / 100;
}

}  // namespace tq::platform
