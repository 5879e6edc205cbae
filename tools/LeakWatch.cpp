#include "LeakWatch.h"

#include <cstdarg>

#include "tqcore/core.h"
#include "tqcore/memory.h"

namespace tool {

namespace {

AllocTracker* gTracker = nullptr;
MemEventTraceProc gPrevious = nullptr;

// The handle operations' trace. A handle the memory manager disposes while it stops was leaked: it stays.
void OnMemEvent(int32 event, TqErr err, UHandle h, uInt64 size, uInt64 oldSize) {
    if (gPrevious) gPrevious(event, err, h, size, oldSize);
    if (!gTracker || err != kErrNone || !h) return;
    if (event == kMemEventNewHandle)
        gTracker->Add(h, size, "handle", 0);
    else if (event == kMemEventDisposeHandle && GetMemoryManagerInitialized())
        gTracker->Remove(h);
}

class StreamDumper final : public AllocDumper {
  public:
    explicit StreamDumper(FILE* out) : out_(out) {}
    const char* ObjBeingTrackedName() override { return "handles"; }
    bool GetShowStackNames() override { return true; }
    void FormatToOutput(const char* format, ...) override {
        va_list args;
        va_start(args, format);
        std::vfprintf(out_, format, args);
        va_end(args);
    }
    void DumpItemContents(const void*, uInt64) override {}  // the blocks are gone by now

  private:
    FILE* out_;
};

}  // namespace

LeakWatch::LeakWatch() {
    // Two frames skipped: the tracker's and the trace procedure's, so stacks start in the library.
    gTracker = CreateAllocTrackerSpecifySkip(2);
    if (gTracker) gPrevious = SetMemEventTraceProc(OnMemEvent);
}

LeakWatch::~LeakWatch() {
    Report(nullptr);
}

long long LeakWatch::Report(FILE* out) {
    if (!gTracker) return -1;
    SetMemEventTraceProc(gPrevious);
    const long long leaked = gTracker->Count();
    if (out && leaked == 0) std::fprintf(out, "tqcore --leaks: no leaks.\n");
    if (out && leaked > 0) {
        StreamDumper dumper(out);
        gTracker->Dump(&dumper);
    }
    DestroyAllocTracker(gTracker);
    gTracker = nullptr;
    return leaked;
}

}  // namespace tool
