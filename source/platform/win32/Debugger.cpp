// Win32 debugger support: presence, breaking in, debug text and process termination.
#include "platform/Debugger.h"

#include <windows.h>

#include <string>

#include "platform/win32/WideText.h"

namespace tq::platform {

void OutputDebugText(const char* utf8) {
    if (!utf8) return;
    std::wstring wide = WideFromUtf8(utf8, false);
    wide += L"\n";
    ::OutputDebugStringW(wide.c_str());
}

bool IsDebuggerAttached() {
    return ::IsDebuggerPresent() != FALSE;
}

void BreakIfDebugged() {
    if (::IsDebuggerPresent()) ::DebugBreak();
}

void TerminateProcess(int exitCode) {
    ::TerminateProcess(::GetCurrentProcess(), UINT(exitCode));
    // TerminateProcess on the own process does not return; this keeps the [[noreturn]] promise regardless.
    ::ExitProcess(UINT(exitCode));
}

}  // namespace tq::platform
