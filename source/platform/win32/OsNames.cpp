#include "platform/OsNames.h"

namespace tq::platform {

OsNameStyle NativeNameStyle() {
    return OsNameStyle::kDos;
}

}  // namespace tq::platform
