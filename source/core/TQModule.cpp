// The host's module and instance handles.
#include "tqcore/core.h"

namespace {
void* gInstance = nullptr;
void* gModule = nullptr;
}  // namespace

void TQModuleSetInstance(void* instance) {
    gInstance = instance;
}

void* TQModuleGetInstance(void) {
    return gInstance;
}

void TQModuleSetModule(void* module) {
    gModule = module;
}

void* TQModuleGetModule(void) {
    return gModule;
}
