// The registry of setting groups: the groups currently loaded, under one lock.
#include "config/CfgSettingsRegistry.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "config/Services.h"

namespace tq::config {

namespace {
// Constant-initialised: a group may be entered before the configuration manager starts.
std::mutex gLock;
std::vector<CfgSettings*>* gGroups = nullptr;
}  // namespace

TqErr StartSettingsRegistry() {
    std::lock_guard hold(gLock);
    if (!gGroups) gGroups = new (std::nothrow) std::vector<CfgSettings*>();
    return gGroups ? kErrNone : kErrMemoryFull;
}

void StopSettingsRegistry() {
    std::lock_guard hold(gLock);
    delete gGroups;
    gGroups = nullptr;
}

void SettingsRegistryAdd(CfgSettings* g) {
    std::lock_guard hold(gLock);
    if (!gGroups) return;
    if (std::find(gGroups->begin(), gGroups->end(), g) == gGroups->end()) gGroups->push_back(g);
}

void SettingsRegistryRemove(CfgSettings* g) {
    std::lock_guard hold(gLock);
    if (gGroups) gGroups->erase(std::remove(gGroups->begin(), gGroups->end(), g), gGroups->end());
}

int32 SettingsRegistryCount() {
    std::lock_guard hold(gLock);
    return gGroups ? int32(gGroups->size()) : 0;
}

bool SettingsRegistryHolds(CfgSettings* g) {
    std::lock_guard hold(gLock);
    return gGroups && std::find(gGroups->begin(), gGroups->end(), g) != gGroups->end();
}

}  // namespace tq::config
