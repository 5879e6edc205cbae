// Portable code, despite the name: the platform mutex of the Windows design, over platform/Mutex.h.
#include <new>

#include "platform/Mutex.h"
#include "threads/PlatformMutex.h"

namespace tq::threads {

namespace {
class PlatformMutexMSWin final : public PlatformMutex {
  public:
    ~PlatformMutexMSWin() override { platform::DeleteMutex(native_); }
    TqErr Acquire() override {
        platform::LockMutex(native_);
        return kErrNone;
    }
    TqErr Release() override {
        platform::UnlockMutex(native_);
        return kErrNone;
    }
    TqErr Init() override {
        if (!native_) native_ = platform::NewRecursiveMutex();
        return native_ ? kErrNone : kErrMemoryFull;
    }
    TqErr Uninit() override {
        platform::DeleteMutex(native_);
        native_ = nullptr;
        return kErrNone;
    }

  private:
    platform::NativeMutex* native_ = nullptr;
};
}  // namespace

PlatformMutex* CreatePlatformMutex() {
    auto* m = new (std::nothrow) PlatformMutexMSWin;
    if (m && m->Init() != kErrNone) {
        delete m;
        return nullptr;
    }
    return m;
}

TqErr DestroyPlatformMutex(PlatformMutex* m) {
    if (!m) return kErrNone;
    const TqErr err = m->Uninit();
    delete m;
    return err;
}

}  // namespace tq::threads
