// Creation and destruction of platform events, the portable face of the native events.
#include "threads/PlatformEvent.h"

namespace tq::threads {

PlatformEvent* CreatePlatformEvent(bool initiallySignalled) {
    PlatformEvent* e = NewNativePlatformEvent();
    if (e && e->Create(initiallySignalled) != kErrNone) {
        delete e;
        return nullptr;
    }
    return e;
}

TqErr DestroyPlatformEvent(PlatformEvent* e) {
    if (!e) return kErrNone;
    const TqErr err = e->Destroy();
    delete e;
    return err;
}

}  // namespace tq::threads
