// The file manager's service: its start quiets critical-error dialogs, makes the mutex and places the leak
// reports among the diagnostic files; its stop undoes that.
#include "files/FileManager.h"

#include <atomic>
#include <cstring>
#include <memory>

#include "files/Services.h"
#include "memory/DumpLeakInfo.h"
#include "platform/ErrorMode.h"
#include "platform/Mutex.h"
#include "tqcore/files.h"
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

// A leak report goes to the temporary folder, as the other dumps do.
bool LeakFileInTempDir(const char* name, char* path, size_t size) {
    const std::unique_ptr<FileLoc> loc(CreateFileLoc(FileLoc::kTempDirDump, name, false));
    if (!loc) return false;
    const size_t length = std::strlen(loc->GetPath());
    if (length >= size) return false;
    std::memcpy(path, loc->GetPath(), length + 1);
    return true;
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
        tq::memory::SetLeakFileNamer(LeakFileInTempDir);
        return kErrNone;
    }
    TqErr UninitService() override {
        tq::memory::SetLeakFileNamer(nullptr);
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
