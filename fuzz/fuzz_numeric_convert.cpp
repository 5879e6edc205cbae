// Numeric conversion of arbitrary bytes: any pair of codes converts without overrunning the destination,
// and every well-formed extended value survives the trip through its 16-byte stream form.
#include <cstring>

#include "tqcore/core.h"
#include "tqcore/diagnostics.h"
#include "tqcore/numerics.h"

namespace {
void Quiet(const char*, int32, const char*, DebugOutputLevel, uInt32, const char*) {}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DebugOutputSetHandler(Quiet);
    if (size < 2 + 20) return 0;
    const int32 from = int8(data[0]), to = int8(data[1]);
    uInt8 src[20], dst[24];
    std::memcpy(src, data + 2, sizeof src);
    std::memset(dst, 0xA5, sizeof dst);
    const TqErr err = ConvertNum(from, src, to, dst);
    const int32 written = err == kErrNone ? NumSize(to & 15) : 0;
    for (int32 i = written; i < int32(sizeof dst); ++i)
        if (dst[i] != 0xA5) __builtin_trap();

    float80 x;
    std::memcpy(&x, data + 2, sizeof x);
    const bool exponentSet = ((x.bytes[9] & 0x7F) | x.bytes[8]) != 0;
    const bool integerBit = (x.bytes[7] & 0x80) != 0;
    if (exponentSet == integerBit) {
        floatExt form;
        float80 back;
        XToStd(&x, &form);
        StdToX(&form, &back);
        if (std::memcmp(&x, &back, sizeof x) != 0) __builtin_trap();
    }
    ClassifyFloatNumber(src, to & 15);
    return 0;
}
