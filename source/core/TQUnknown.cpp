// TQUnknown, the root of the library's reference-counted classes, and its debug-stream form.
#include "tqcore/core.h"

TQUnknown::~TQUnknown() = default;

const PKGuidType& TQUnknown::ClassID() {
    static constexpr PKGuidType kId = {
        0x04c7fa68, 0x5a10, 0x49d3, {0x96, 0x2c, 0xfe, 0x1b, 0x55, 0x47, 0xf5, 0x29}};
    return kId;
}

void ToDebugStream(DebugStream& stream, const TQUnknown* object) {
    if (object)
        object->WriteToDebugStream(stream);
    else
        stream.Append("<invalid TQUnknown object>");
}
