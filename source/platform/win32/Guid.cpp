// Win32 GUID creation.
#include <objbase.h>
#include <rpc.h>
#include <windows.h>

#include <cstring>

#include "platform/Guid.h"

namespace tq::platform {

static_assert(sizeof(GUID) == sizeof(PKGuidType));

bool CreateGuid(PKGuidType& guid) {
    GUID g;
    if (FAILED(CoCreateGuid(&g))) return false;
    std::memcpy(&guid, &g, sizeof g);
    return true;
}

bool GuidToText(const PKGuidType& guid, char (&text)[kPKGuidTextSize]) {
    UUID u;
    std::memcpy(&u, &guid, sizeof u);
    RPC_CSTR s = nullptr;
    if (UuidToStringA(&u, &s) != RPC_S_OK || !s) return false;
    const size_t n = std::strlen(reinterpret_cast<const char*>(s));
    const bool fits = n < kPKGuidTextSize;
    if (fits) std::memcpy(text, s, n + 1);
    RpcStringFreeA(&s);
    return fits;
}

bool GuidFromText(const char* text, PKGuidType& guid) {
    UUID u;
    // The RPC parser reads a null string as the nil UUID; callers never pass one.
    if (UuidFromStringA(reinterpret_cast<RPC_CSTR>(const_cast<char*>(text)), &u) != RPC_S_OK) return false;
    std::memcpy(&guid, &u, sizeof u);
    return true;
}

}  // namespace tq::platform
