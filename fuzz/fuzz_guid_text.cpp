// GUID text parsing: any bytes either fail cleanly or parse to a GUID whose text parses back to itself.
#include <cstring>
#include <string>

#include "platform/Guid.h"
#include "tqcore/core.h"
#include "tqcore/sysinfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    PKGuidType g{};
    if (PKGuidFromCStr(text.c_str(), &g) != kErrNone) return 0;
    char back[kPKGuidTextSize];
    if (PKGuidToCStr(&g, back) != kErrNone) __builtin_trap();
    if (strcasecmp(back, text.c_str()) != 0) __builtin_trap();
    PKGuidType again{};
    if (PKGuidFromCStr(back, &again) != kErrNone || !PKGuidsEqual(&g, &again)) __builtin_trap();
    return 0;
}
