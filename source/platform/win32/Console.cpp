// Windows console: WriteConsoleW when the output is a console, the text as UTF-8 through WriteFile when it
// is redirected.
#include "platform/Console.h"

#include <windows.h>

#include "platform/Utf8Codec.h"
#include "platform/win32/Syscalls.h"

namespace tq::platform {

intptr_t ConsoleStandardOutput() {
    return reinterpret_cast<intptr_t>(GetStdHandle(STD_OUTPUT_HANDLE));
}

intptr_t ConsoleStandardInput() {
    return reinterpret_cast<intptr_t>(GetStdHandle(STD_INPUT_HANDLE));
}

bool ConsoleAllocate() {
    return AllocConsole() != FALSE;
}

void ConsoleFree() {
    FreeConsole();
}

void ConsoleWrite(intptr_t output, const TQWChar* text, int32 units) {
    if (!text || units <= 0) return;
    HANDLE h = reinterpret_cast<HANDLE>(output);
    DWORD mode = 0;
    if (GetConsoleMode(h, &mode)) {
        DWORD written = 0;
        WriteConsoleW(h, reinterpret_cast<const wchar_t*>(text), DWORD(units), &written, nullptr);
        return;
    }
    char utf8[3 * 4098];
    const int32 capacity = int32(sizeof utf8);
    const int32 n = units * 3 <= capacity ? Utf16ToUtf8(text, units, utf8, capacity, false) : kCodecNoRoom;
    const char* at = utf8;
    DWORD left = n > 0 ? DWORD(n) : 0;
    while (left > 0) {
        DWORD done = 0;
        if (!sys::WriteFile(h, at, left, &done, nullptr) || done == 0) return;
        at += done;
        left -= done;
    }
}

}  // namespace tq::platform
