#include "resources/ResGlobals.h"

namespace tq::resources {
namespace {

ThMutex MakeLock() {
    ThMutex m = nullptr;
    ThMutexCreate(&m, nullptr);
    return m;
}

ResourceSettings gSettings;

}  // namespace

// Both locks live as long as the process: open files may outlive a service stop.
ThMutex ResourceLock() {
    static ThMutex lock = MakeLock();
    return lock;
}

ThMutex SharedFilesLock() {
    static ThMutex lock = MakeLock();
    return lock;
}

const ResourceSettings& Settings() {
    return gSettings;
}

void SetSettings(const ResourceSettings& s) {
    gSettings = s;
}

std::atomic<int32>& UniqueIdCounter() {
    static std::atomic<int32> counter{128};
    return counter;
}

}  // namespace tq::resources
