#include <atomic>

#include "platform/Debugger.h"
#include "tqcore/diagnostics.h"

namespace {
std::atomic<DebugOutputHandler> gHandler{nullptr};
constexpr int kLevels = 5;
std::atomic<int32> gEvents[kLevels];

bool ValidLevel(DebugOutputLevel level) {
    return level >= 0 && level < kLevels;
}
}  // namespace

void DebugOutputSetHandler(DebugOutputHandler handler) {
    gHandler.store(handler);
}

DebugOutputHandler DebugOutputGetHandler(void) {
    return gHandler.load();
}

void DebugOutputCallHandler(const char* file, int32 line, const char* revision, DebugOutputLevel level,
                            uInt32 siteId, const char* message) {
    if (DebugOutputHandler h = gHandler.load()) {
        h(file, line, revision, level, siteId, message);
        return;
    }
    DebugOutputIncrementEventCount(level);
    if (level >= kDbgBroken) DebugOutputCoreBreak(message);
    if (level >= kDbgFatal) DebugOutputCoreDie();
}

int32 DebugOutputGetNumEvents(DebugOutputLevel level) {
    return ValidLevel(level) ? gEvents[level].load() : 0;
}

void DebugOutputIncrementEventCount(DebugOutputLevel level) {
    if (ValidLevel(level)) gEvents[level].fetch_add(1);
}

void DebugOutputResetNumEvents(void) {
    for (auto& e : gEvents) e.store(0);
}

void DebugOutputCoreBreak(const char* message) {
    tq::platform::OutputDebugText(message);
    tq::platform::BreakIfDebugged();
}

void DebugOutputCoreDie(void) {
    tq::platform::TerminateProcess(1);
}
