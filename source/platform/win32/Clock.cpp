// Win32 clocks: tick count, multimedia time, the performance counter and the system time.
#include "platform/Clock.h"

#include <windows.h>
// mmsystem.h needs the types windows.h declares.
#include <mmsystem.h>

namespace tq::platform {

uInt32 TickCount() {
    return ::GetTickCount();
}

// The tick count is the cheap clock here.
uInt32 CoarseTickCount() {
    return ::GetTickCount();
}

uInt32 MultimediaTime() {
    return ::timeGetTime();
}

uInt64 PerformanceCounter() {
    LARGE_INTEGER v;
    ::QueryPerformanceCounter(&v);
    return uInt64(v.QuadPart);
}

uInt64 PerformanceFrequency() {
    LARGE_INTEGER v;
    if (!::QueryPerformanceFrequency(&v) || v.QuadPart <= 0) return 1;
    return uInt64(v.QuadPart);
}

uInt64 SystemTimeAsFileTime() {
    FILETIME ft;
    ::GetSystemTimeAsFileTime(&ft);
    return uInt64(ft.dwHighDateTime) << 32 | ft.dwLowDateTime;
}

}  // namespace tq::platform
