// Clean-up callbacks registered for objects built by placement new, run at shutdown.
#include "tqcore/core.h"

namespace {
TQPlacementDeletor* gDeletors = nullptr;
}  // namespace

TQPlacementDeletor::~TQPlacementDeletor() = default;

void TQPlacementNewRegisterDeletor(TQPlacementDeletor* deletor) {
    if (!deletor) return;
    deletor->next = gDeletors;
    gDeletors = deletor;
}

void TQPlacementNewRunCleanup(void) {
    // Detached first, so a destructor that registers again starts a fresh list instead of looping.
    TQPlacementDeletor* d = gDeletors;
    gDeletors = nullptr;
    while (d) {
        TQPlacementDeletor* next = d->next;
        delete d;
        d = next;
    }
}
