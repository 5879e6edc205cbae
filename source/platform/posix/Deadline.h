// POSIX only: absolute CLOCK_MONOTONIC deadlines for timed condition waits.
#pragma once

#include "platform/posix/Syscalls.h"
#include "tqcore/types.h"

namespace tq::platform {

// A condition variable whose timed waits run on the monotonic clock, immune to wall-clock changes.
inline int InitMonotonicCond(pthread_cond_t* c) {
    pthread_condattr_t attr;
    pthread_condattr_init(&attr);
    pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
    const int rc = sys::pthread_cond_init(c, &attr);
    pthread_condattr_destroy(&attr);
    return rc;
}

inline timespec DeadlineAfter(uInt32 ms) {
    timespec t;
    sys::clock_gettime(CLOCK_MONOTONIC, &t);
    t.tv_sec += time_t(ms / 1000);
    t.tv_nsec += long(ms % 1000) * 1000000L;
    if (t.tv_nsec >= 1000000000L) {
        t.tv_nsec -= 1000000000L;
        ++t.tv_sec;
    }
    return t;
}

// Negative timeouts wait for ever; returns ETIMEDOUT when the deadline passed.
inline int WaitCond(pthread_cond_t* c, pthread_mutex_t* m, bool forever, const timespec& deadline) {
    return forever ? pthread_cond_wait(c, m) : pthread_cond_timedwait(c, m, &deadline);
}

}  // namespace tq::platform
