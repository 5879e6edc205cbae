// Debugger and process-exit services of the platform layer.
#pragma once

namespace tq::platform {

// Sends UTF-8 text to the debugger output: the debugger channel on Windows; on POSIX standard error,
// or the file named by TQCORE_DEBUG_OUTPUT when that variable is set.
void OutputDebugText(const char* utf8);
bool IsDebuggerAttached();
// Breaks into an attached debugger; does nothing when none is attached.
void BreakIfDebugged();
[[noreturn]] void TerminateProcess(int exitCode);

}  // namespace tq::platform
