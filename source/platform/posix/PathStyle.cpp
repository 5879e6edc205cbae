// POSIX only: slash-separated names from the root.
#include "platform/PathStyle.h"

namespace tq::platform {

PathStyle NativePathStyle() {
    return PathStyle::kUnix;
}

}  // namespace tq::platform
