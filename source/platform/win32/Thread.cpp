// Win32 threads: start, join, priorities, CPU time and adoption of foreign threads.
#include "platform/Thread.h"

#include <process.h>
#include <windows.h>

#include <new>

#include "platform/ExceptionFilter.h"
#include "platform/LastError.h"

namespace tq::platform {

struct NativeThread {
    HANDLE h = nullptr;
    DWORD id = 0;
};

namespace {
struct StartArgs {
    NativeThreadProc proc;
    void* arg;
};

unsigned __stdcall Trampoline(void* p) {
    const StartArgs start = *static_cast<StartArgs*>(p);
    delete static_cast<StartArgs*>(p);
    PrepareThreadForExceptionFilter();
    return start.proc(start.arg);
}

bool Fail() {
    SetLastError(::GetLastError());
    return false;
}
}  // namespace

NativeThread* StartThread(NativeThreadProc proc, void* arg) {
    auto* t = new (std::nothrow) NativeThread;
    auto* start = new (std::nothrow) StartArgs{proc, arg};
    if (!t || !start) {
        delete t;
        delete start;
        SetLastError(kWinNotEnoughMemory);
        return nullptr;
    }
    unsigned id = 0;
    t->h = reinterpret_cast<HANDLE>(::_beginthreadex(nullptr, 0, Trampoline, start, 0, &id));
    if (!t->h) {
        SetLastError(::GetLastError());
        delete start;
        delete t;
        return nullptr;
    }
    t->id = id;
    return t;
}

NativeThread* AdoptCurrentThread() {
    auto* t = new (std::nothrow) NativeThread;
    if (!t) {
        SetLastError(kWinNotEnoughMemory);
        return nullptr;
    }
    const HANDLE self = ::GetCurrentProcess();
    if (!::DuplicateHandle(self, ::GetCurrentThread(), self, &t->h, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        SetLastError(::GetLastError());
        delete t;
        return nullptr;
    }
    t->id = ::GetCurrentThreadId();
    return t;
}

bool JoinThread(NativeThread* t, uInt32 timeoutMs) {
    return ::WaitForSingleObject(t->h, timeoutMs) == WAIT_OBJECT_0;
}

bool ThreadEnded(NativeThread* t) {
    return ::WaitForSingleObject(t->h, 0) == WAIT_OBJECT_0;
}

bool GetThreadRunning(NativeThread* t, bool* running) {
    DWORD code = 0;
    if (!::GetExitCodeThread(t->h, &code)) return Fail();
    *running = code == STILL_ACTIVE;
    return true;
}

bool ForceStopThread(NativeThread* t) {
    return ::TerminateThread(t->h, 0) ? true : Fail();
}

bool CloseThread(NativeThread* t) {
    if (!t) {
        SetLastError(kWinInvalidHandle);
        return false;
    }
    const BOOL ok = ::CloseHandle(t->h);
    if (!ok) SetLastError(::GetLastError());
    delete t;
    return ok;
}

uInt32 ThreadId(NativeThread* t) {
    return t->id;
}

uInt32 CurrentThreadId() {
    return ::GetCurrentThreadId();
}

bool SetPriority(NativeThread* t, int32 nativePriority) {
    return ::SetThreadPriority(t->h, nativePriority) ? true : Fail();
}

bool GetPriority(NativeThread* t, int32* nativePriority) {
    const int p = ::GetThreadPriority(t->h);
    if (p == THREAD_PRIORITY_ERROR_RETURN) return Fail();
    *nativePriority = p;
    return true;
}

uInt64 CurrentThreadTime() {
    FILETIME created, exited, kernel, user;
    if (!::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    const uInt64 k = uInt64(kernel.dwHighDateTime) << 32 | kernel.dwLowDateTime;
    const uInt64 u = uInt64(user.dwHighDateTime) << 32 | user.dwLowDateTime;
    return k + u;
}

void SleepMs(uInt32 ms) {
    ::Sleep(ms);
}

void YieldThread() {
    ::Sleep(0);
}

}  // namespace tq::platform
