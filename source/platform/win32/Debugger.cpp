// Win32 debugger support: presence, breaking in, debug text and process termination.
#include "platform/Debugger.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace tq::platform {

namespace {
std::wstring Utf16FromUtf8(const char* utf8) {
    const int len = int(std::strlen(utf8));
    if (len == 0) return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8, len, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(size_t(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8, len, wide.data(), n);
    return wide;
}
}  // namespace

void OutputDebugText(const char* utf8) {
    if (!utf8) return;
    std::wstring wide = Utf16FromUtf8(utf8);
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
