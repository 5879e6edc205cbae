// POSIX threads: start, join, priorities, CPU time and adoption of foreign threads.
#include "platform/Thread.h"

#include <sched.h>
#include <sys/syscall.h>

#include <atomic>
#include <cerrno>
#include <new>

#include "platform/ExceptionFilter.h"
#include "platform/LastError.h"
#include "platform/posix/Deadline.h"
#include "platform/posix/ErrnoMap.h"
#include "platform/posix/Syscalls.h"

namespace tq::platform {

// Shared by every handle on one thread and by the thread itself, so the thread may outlive its handles.
struct NativeThread {
    std::atomic<int32> refs{1};
    uInt32 tid = 0;
    pthread_mutex_t m = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t ended;
    bool done = false;
    NativeThreadProc proc = nullptr;
    void* arg = nullptr;
};

namespace {
void Retain(NativeThread* t) {
    t->refs.fetch_add(1);
}

void Release(NativeThread* t) {
    if (t->refs.fetch_sub(1) != 1) return;
    pthread_cond_destroy(&t->ended);
    pthread_mutex_destroy(&t->m);
    delete t;
}

NativeThread* NewControl() {
    auto* t = new (std::nothrow) NativeThread;
    if (!t) {
        SetLastError(kWinNotEnoughMemory);
        return nullptr;
    }
    if (InitMonotonicCond(&t->ended) != 0) {
        delete t;
        SetLastError(kWinNotEnoughMemory);
        return nullptr;
    }
    return t;
}

void MarkEnded(NativeThread* t) {
    pthread_mutex_lock(&t->m);
    t->done = true;
    pthread_cond_broadcast(&t->ended);
    pthread_mutex_unlock(&t->m);
}

// The calling thread's own control block; its end (thread-local destruction) marks the thread ended.
struct CurrentThreadSlot {
    NativeThread* control = nullptr;
    ~CurrentThreadSlot() {
        if (!control) return;
        MarkEnded(control);
        Release(control);
    }
};
thread_local CurrentThreadSlot tCurrent;

uInt32 OwnTid() {
    thread_local uInt32 tid = uInt32(sys::syscall(SYS_gettid, 0, 0, 0));
    return tid;
}

void* Trampoline(void* p) {
    auto* t = static_cast<NativeThread*>(p);
    tCurrent.control = t;
    PrepareThreadForExceptionFilter();
    pthread_mutex_lock(&t->m);
    t->tid = OwnTid();
    pthread_cond_broadcast(&t->ended);
    pthread_mutex_unlock(&t->m);
    t->proc(t->arg);
    return nullptr;
}

bool IsDone(NativeThread* t) {
    pthread_mutex_lock(&t->m);
    const bool d = t->done;
    pthread_mutex_unlock(&t->m);
    return d;
}
}  // namespace

NativeThread* StartThread(NativeThreadProc proc, void* arg) {
    NativeThread* t = NewControl();
    if (!t) return nullptr;
    t->proc = proc;
    t->arg = arg;
    Retain(t);  // the thread's own reference
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    pthread_t id;
    const int rc = sys::pthread_create(&id, &attr, Trampoline, t);
    pthread_attr_destroy(&attr);
    if (rc == 0) {
        // The creator learns the thread id before it goes on.
        pthread_mutex_lock(&t->m);
        while (t->tid == 0) pthread_cond_wait(&t->ended, &t->m);
        pthread_mutex_unlock(&t->m);
        return t;
    }
    SetLastErrorFromErrno(rc);
    Release(t);
    Release(t);
    return nullptr;
}

NativeThread* AdoptCurrentThread() {
    if (!tCurrent.control) {
        NativeThread* t = NewControl();
        if (!t) return nullptr;
        t->tid = OwnTid();
        tCurrent.control = t;
    }
    Retain(tCurrent.control);
    return tCurrent.control;
}

bool JoinThread(NativeThread* t, uInt32 timeoutMs) {
    const timespec deadline = DeadlineAfter(timeoutMs);
    pthread_mutex_lock(&t->m);
    int rc = 0;
    while (!t->done && rc != ETIMEDOUT) rc = WaitCond(&t->ended, &t->m, false, deadline);
    const bool d = t->done;
    pthread_mutex_unlock(&t->m);
    return d;
}

bool ThreadEnded(NativeThread* t) {
    return IsDone(t);
}

bool GetThreadRunning(NativeThread* t, bool* running) {
    *running = !IsDone(t);
    return true;
}

// One thread of a process cannot be stopped safely here: the request fails and the thread runs on,
// keeping its control block alive through its own reference.
bool ForceStopThread(NativeThread*) {
    SetLastError(kWinNotSupported);
    return false;
}

bool CloseThread(NativeThread* t) {
    if (!t) {
        SetLastError(kWinInvalidHandle);
        return false;
    }
    Release(t);
    return true;
}

uInt32 ThreadId(NativeThread* t) {
    return t->tid;
}

uInt32 CurrentThreadId() {
    return OwnTid();
}

// Linux gives each thread a nice value (19 lowest to -20 highest) under the normal scheduler. Win32
// priorities map as idle (-15 and below) -> 19, -2 -> 10, -1 -> 5, 0 -> 0, 1 -> -5, 2 -> -10,
// time critical (15 and above) -> -20; raising a thread above nice 0 needs CAP_SYS_NICE or RLIMIT_NICE.
namespace {
int NiceFromNative(int32 p) {
    if (p <= -3) return 19;
    if (p >= 3) return -20;
    return -5 * p;
}

int32 NativeFromNice(int nice) {
    if (nice >= 15) return -15;
    if (nice <= -15) return 15;
    return int32(nice > 0 ? -(nice + 2) / 5 : (-nice + 2) / 5);
}
}  // namespace

bool SetPriority(NativeThread* t, int32 nativePriority) {
    if (IsDone(t)) {
        SetLastError(kWinInvalidHandle);
        return false;
    }
    if (sys::setpriority(PRIO_PROCESS, id_t(t->tid), NiceFromNative(nativePriority)) == 0) return true;
    SetLastErrorFromErrno(errno);
    return false;
}

bool GetPriority(NativeThread* t, int32* nativePriority) {
    if (IsDone(t)) {
        SetLastError(kWinInvalidHandle);
        return false;
    }
    errno = 0;
    const int nice = sys::getpriority(PRIO_PROCESS, id_t(t->tid));
    if (nice == -1 && errno != 0) {
        SetLastErrorFromErrno(errno);
        return false;
    }
    *nativePriority = NativeFromNice(nice);
    return true;
}

uInt64 CurrentThreadTime() {
    timespec ts;
    sys::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return uInt64(ts.tv_sec) * 10000000u + uInt64(ts.tv_nsec) / 100u;
}

void SleepMs(uInt32 ms) {
    timespec req{time_t(ms / 1000), long(ms % 1000) * 1000000L};
    while (sys::nanosleep(&req, &req) != 0 && errno == EINTR) {
    }
}

void YieldThread() {
    sched_yield();
}

}  // namespace tq::platform
