// The file manager's service: its start quiets critical-error dialogs and makes the mutex, its stop drops it.
#include "files/FileManager.h"

#include <atomic>

#include "files/Services.h"
#include "platform/ErrorMode.h"
#include "platform/Mutex.h"
#include "tqcore/memory.h"
#include "tqcore/paths.h"

namespace tq::files {

namespace {

std::atomic<platform::NativeMutex*> gMutex{nullptr};

// Never destroyed: a lock may be taken while static objects are being destroyed.
platform::NativeMutex* StandInMutex() {
    static platform::NativeMutex* const mutex = platform::NewRecursiveMutex();
    return mutex;
}

class FileManager_Service final : public RefcountedServiceObject_T<FileManager_Service> {
  public:
    const char* Name() override { return "FileManager"; }
    void Dependencies(IServiceDependencyList& list) override {
        list.Add(PathManagerService());
        list.Add(MemoryManagerService());
    }
    TqErr InitService() override {
        platform::FailCriticalErrorsQuietly();
        platform::NativeMutex* mutex = platform::NewRecursiveMutex();
        if (!mutex) return kErrMemoryFull;
        gMutex.store(mutex, std::memory_order_release);
        return kErrNone;
    }
    TqErr UninitService() override {
        platform::NativeMutex* mutex = gMutex.exchange(nullptr, std::memory_order_acq_rel);
        if (mutex) platform::DeleteMutex(mutex);
        return kErrNone;
    }
};

// The mutex a lock takes; the stand-in when the service is not running.
platform::NativeMutex* CurrentMutex() {
    platform::NativeMutex* mutex = gMutex.load(std::memory_order_acquire);
    return mutex ? mutex : StandInMutex();
}

}  // namespace

FileManagerLock::FileManagerLock() : held_(CurrentMutex()) {
    if (held_) platform::LockMutex(held_);
}

FileManagerLock::~FileManagerLock() {
    if (held_) platform::UnlockMutex(held_);
}

IServiceObject* FileManagerService() {
    return FileManager_Service::Get();
}

}  // namespace tq::files
