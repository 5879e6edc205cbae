// Process-wide state of the resource files: the two locks, the settings read at start and the unique-ID
// counter.
#pragma once

#include <atomic>

#include "tqcore/threads.h"

namespace tq::resources {

// The resource-manager lock (made on first use) and the shared read-only table's lock, taken first.
ThMutex ResourceLock();
ThMutex SharedFilesLock();

class LockHold {
  public:
    explicit LockHold(ThMutex m) : m_(m) { ThMutexAcquire(m_); }
    ~LockHold() { ThMutexRelease(m_); }
    LockHold(const LockHold&) = delete;
    LockHold& operator=(const LockHold&) = delete;

  private:
    ThMutex m_;
};

// The settings the configuration layer hands down at start ("UseWeakRsrcFileValidation", default false;
// "ShareReadOnlyResourceFiles", default true).
struct ResourceSettings {
    bool weakValidation = false;
    bool shareReadOnly = true;
};
const ResourceSettings& Settings();
void SetSettings(const ResourceSettings& s);

// The next unique ID, starting at 128.
std::atomic<int32>& UniqueIdCounter();

}  // namespace tq::resources
