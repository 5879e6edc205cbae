// POSIX: no COM, so no apartment to enter or be in.
#include "platform/ComApartment.h"

namespace tq::platform {

bool ComEnterApartment(ComApartment) {
    return false;
}

void ComLeaveApartment() {}

ComApartment ComCurrentApartment() {
    return ComApartment::kNone;
}

}  // namespace tq::platform
