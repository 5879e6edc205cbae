// POSIX GUID creation from the system's random source.
#include <cerrno>

#include "platform/Guid.h"
#include "platform/posix/Syscalls.h"

namespace tq::platform {

bool CreateGuid(PKGuidType& guid) {
    uInt8 b[16];
    size_t got = 0;
    while (got < sizeof b) {
        const ssize_t n = sys::getrandom(b + got, sizeof b - got, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        got += size_t(n);
    }
    // Random-based layout: version 4 in the high nibble of data3, variant 10 in data4[0].
    guid.data1 = uInt32(b[0]) << 24 | uInt32(b[1]) << 16 | uInt32(b[2]) << 8 | b[3];
    guid.data2 = uInt16(b[4] << 8 | b[5]);
    guid.data3 = uInt16(((b[6] & 0x0F) | 0x40) << 8 | b[7]);
    guid.data4[0] = uInt8((b[8] & 0x3F) | 0x80);
    for (int i = 1; i < 8; ++i) guid.data4[i] = b[8 + i];
    return true;
}

bool GuidToText(const PKGuidType& guid, char (&text)[kPKGuidTextSize]) {
    FormatGuidText(guid, text);
    return true;
}

bool GuidFromText(const char* text, PKGuidType& guid) {
    return ParseGuidText(text, guid);
}

}  // namespace tq::platform
