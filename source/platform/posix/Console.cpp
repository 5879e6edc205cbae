// POSIX console: the standard descriptors; text goes out as UTF-8.
#include "platform/Console.h"

#include <cerrno>

#include "platform/Utf8Codec.h"
#include "platform/posix/Syscalls.h"

namespace tq::platform {

intptr_t ConsoleStandardOutput() {
    return STDOUT_FILENO;
}

intptr_t ConsoleStandardInput() {
    return STDIN_FILENO;
}

bool ConsoleAllocate() {
    return false;
}

void ConsoleFree() {}

void ConsoleWrite(intptr_t output, const TQWChar* text, int32 units) {
    if (!text || units <= 0) return;
    char utf8[3 * 4098];
    const int32 capacity = int32(sizeof utf8);
    const int32 n = units * 3 <= capacity ? Utf16ToUtf8(text, units, utf8, capacity, false) : kCodecNoRoom;
    if (n <= 0) return;
    const char* at = utf8;
    size_t left = size_t(n);
    while (left > 0) {
        const ssize_t done = sys::write(int(output), at, left);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return;
        at += done;
        left -= size_t(done);
    }
}

}  // namespace tq::platform
