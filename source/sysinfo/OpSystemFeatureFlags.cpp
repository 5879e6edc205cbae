// The operating-system feature flag constants.
#include "tqcore/sysinfo.h"

const OpSystemFeatureFlags& OpSystemFeatureFlags::kNone() {
    static const OpSystemFeatureFlags f(0);
    return f;
}

const OpSystemFeatureFlags& OpSystemFeatureFlags::kFirstBit() {
    static const OpSystemFeatureFlags f(uInt64(1) << 0);
    return f;
}

const OpSystemFeatureFlags& OpSystemFeatureFlags::k64Bit() {
    static const OpSystemFeatureFlags f(uInt64(1) << 0);
    return f;
}

const OpSystemFeatureFlags& OpSystemFeatureFlags::kIsNTOS() {
    static const OpSystemFeatureFlags f(uInt64(1) << 16);
    return f;
}
