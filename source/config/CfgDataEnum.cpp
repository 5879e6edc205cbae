// Enumerated settings: their configuration types.
#include "tqcore/config.h"

TqErr CfgEnumTypeInit(int32 type, ConfigFromText fromText, ConfigToText toText, int32 value, int32* out) {
    const TqErr r = RegisterConfigType(type, fromText, toText);
    if (r == kErrNone && out) *out = value;
    return r;
}

TqErr CfgEnumTypeUninit(int32 type, int32* out) {
    const TqErr r = UnregisterConfigType(type);
    if (out) *out = 0;
    return r;
}
