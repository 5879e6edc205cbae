// Windows only: drive letters and backslashes.
#include "platform/PathStyle.h"

namespace tq::platform {

PathStyle NativePathStyle() {
    return PathStyle::kDos;
}

}  // namespace tq::platform
