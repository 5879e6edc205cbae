// Windows: the thread's apartment as COM reports it.
#include "platform/ComApartment.h"

#include <objbase.h>
#include <windows.h>

namespace tq::platform {

bool ComEnterApartment(ComApartment kind) {
    DWORD model = 0;
    if (kind == ComApartment::kSingleThreaded)
        model = COINIT_APARTMENTTHREADED;
    else if (kind == ComApartment::kMultithreaded)
        model = COINIT_MULTITHREADED;
    else
        return false;
    // S_FALSE (already in that kind) counts too, and needs its own CoUninitialize like S_OK.
    return SUCCEEDED(CoInitializeEx(nullptr, model));
}

void ComLeaveApartment() {
    CoUninitialize();
}

ComApartment ComCurrentApartment() {
    APTTYPE type = APTTYPE_CURRENT;
    APTTYPEQUALIFIER qualifier = APTTYPEQUALIFIER_NONE;
    if (FAILED(CoGetApartmentType(&type, &qualifier))) return ComApartment::kNone;
    switch (type) {
        case APTTYPE_STA:
        case APTTYPE_MAINSTA:
            return ComApartment::kSingleThreaded;
        case APTTYPE_MTA:
            // A thread that never initialised COM shares the process's multithreaded apartment implicitly.
            return qualifier == APTTYPEQUALIFIER_IMPLICIT_MTA ? ComApartment::kNone
                                                              : ComApartment::kMultithreaded;
        default:
            return ComApartment::kOther;
    }
}

}  // namespace tq::platform
