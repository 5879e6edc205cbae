// The installable debug-output handler, its event count and the memory dumps sent through it.
#include <atomic>
#include <cstdint>

#include "diagnostics/Report.h"
#include "platform/Debugger.h"
#include "platform/MemoryProbe.h"
#include "tqcore/diagnostics.h"

#define TQ_UNIT "source\\DebugOutput"

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

void StopHere(const char* message) {
    if (message) tq::platform::OutputDebugText(message);
    tq::platform::BreakIfDebugged();
    TQ_REPORT(kDbgNote, "StopHere: ", message);
}

namespace {
constexpr int32 kDumpBytesPerLine = 16;

void DumpLine(uintptr_t address, int32 count) {
    DebugStream s(TQ_UNIT, __LINE__, tq::diagnostics::kRevision, kDbgNote);
    // The address column shows the low 32 bits, as "%08X" of a 64-bit address does on Windows.
    DbgFmtAppend(s, "%08X  ", uInt64(address));
    char shown[kDumpBytesPerLine];
    for (int32 i = 0; i < kDumpBytesPerLine; ++i) {
        uInt8 byte = 0;
        if (i >= count) {
            // A short last line keeps the character column aligned.
            s.Append("   ");
        } else if (tq::platform::ReadOwnMemoryByte(reinterpret_cast<const void*>(address + uintptr_t(i)),
                                                   &byte)) {
            DbgFmtAppend(s, "%02X ", uInt64(byte));
            shown[i] = byte >= 0x20 && byte <= 0x7E ? char(byte) : '.';
        } else {
            s.Append("?? ");
            shown[i] = '.';
        }
    }
    s.Append("  ");
    s.Append(shown, shown + (count < kDumpBytesPerLine ? count : kDumpBytesPerLine));
    s.Process();
}
}  // namespace

void DumpSomeMemory(const void* address, int32 count) {
    const uintptr_t start = reinterpret_cast<uintptr_t>(address);
    for (int32 offset = 0; offset < count; offset += kDumpBytesPerLine)
        DumpLine(start + uintptr_t(offset), count - offset);
}
