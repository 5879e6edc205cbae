// Recursive mutex behind an abstract class; every operation returns 0.
#pragma once

#include "tqcore/core.h"

namespace tq::threads {

class PlatformMutex {
  public:
    virtual ~PlatformMutex() = default;
    virtual TqErr Acquire() = 0;
    virtual TqErr Release() = 0;
    virtual TqErr Init() = 0;
    virtual TqErr Uninit() = 0;
};

// A ready mutex, or null when it cannot be made.
PlatformMutex* CreatePlatformMutex();
// Null gives 0; otherwise Uninit's result.
TqErr DestroyPlatformMutex(PlatformMutex* m);

// Holds a platform mutex for one scope.
class PlatformMutexLock {
  public:
    explicit PlatformMutexLock(PlatformMutex* m) : m_(m) { m_->Acquire(); }
    ~PlatformMutexLock() { m_->Release(); }
    PlatformMutexLock(const PlatformMutexLock&) = delete;
    PlatformMutexLock& operator=(const PlatformMutexLock&) = delete;

  private:
    PlatformMutex* m_;
};

}  // namespace tq::threads
