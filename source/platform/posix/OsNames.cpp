#include "platform/OsNames.h"

namespace tq::platform {

OsNameStyle NativeNameStyle() {
    return OsNameStyle::kUnix;
}

}  // namespace tq::platform
