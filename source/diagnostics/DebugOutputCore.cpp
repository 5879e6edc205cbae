// The last resorts of debug output: break into the debugger or end the process.
#include "platform/Debugger.h"
#include "tqcore/diagnostics.h"

void DebugOutputCoreBreak(const char* message) {
    tq::platform::OutputDebugText(message);
    tq::platform::BreakIfDebugged();
}

void DebugOutputCoreDie(void) {
    tq::platform::TerminateProcess(1);
}
