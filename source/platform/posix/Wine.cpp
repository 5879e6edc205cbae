// Wine detection on POSIX, where it never applies.
#include "platform/Wine.h"

namespace tq::platform {

// Wine runs Windows programs only.
bool RunningUnderWine() {
    return false;
}

}  // namespace tq::platform
