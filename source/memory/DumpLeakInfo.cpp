// The dumpers of the allocation tracker and the leak report.
#include "memory/DumpLeakInfo.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "diagnostics/Report.h"
#include "platform/File.h"
#include "platform/MemoryProbe.h"
#include "platform/StackTrace.h"
#include "tqcore/core.h"

#define TQ_UNIT "source\\DumpLeakInfo"

namespace tq::memory {

namespace {

constexpr int32 kLineSize = 2048;
constexpr uInt64 kContentBytes = 254;

std::atomic<LeakFileNamer> gNamer{nullptr};

bool ResolveName(const char* name, char* path, size_t size) {
    if (LeakFileNamer namer = gNamer.load()) return namer(name, path, size);
    if (!name || std::strlen(name) >= size) return false;
    std::memcpy(path, name, std::strlen(name) + 1);
    return true;
}

// The item's first bytes as text and as hex, or empty when any of them cannot be read.
std::string Contents(const void* pointer, uInt64 size) {
    const auto* bytes = static_cast<const uInt8*>(pointer);
    const uInt64 n = size < kContentBytes ? size : kContentBytes;
    uInt8 copy[kContentBytes];
    for (uInt64 i = 0; i < n; ++i)
        if (!platform::ReadOwnMemoryByte(bytes + i, &copy[i])) return {};
    std::string text;
    for (uInt64 i = 0; i < n; ++i) text += copy[i] >= 0x20 && copy[i] < 0x7f ? char(copy[i]) : '.';
    text += "\n\t\t";
    for (uInt64 i = 0; i < n; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02x", copy[i]);
        text += hex;
    }
    return text;
}

}  // namespace

void SetLeakFileNamer(LeakFileNamer namer) {
    gNamer.store(namer);
}

void DumpFrames(AllocDumper& dumper, const StackChain& stack) {
    for (int32 i = 0; i < stack.Count(); ++i) {
        const void* address = stack.Frame(i);
        char name[512];
        uInt64 offset = 0;
        platform::DescribeSymbol(address, name, sizeof name, &offset);
        dumper.FormatToOutput("0x%016llX - %s + 0x%x\n",
                              static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(address)), name,
                              static_cast<unsigned>(offset));
    }
}

}  // namespace tq::memory

using namespace tq::memory;

AllocDumper::AllocDumper() = default;
AllocDumper::~AllocDumper() = default;

DefaultDumper::DefaultDumper(const char* name, bool showStackNames)
    : name_(name ? name : ""), showStackNames_(showStackNames) {
    line_[0] = 0;
}

DefaultDumper::~DefaultDumper() {
    if (used_) Deliver();
}

const char* DefaultDumper::ObjBeingTrackedName() {
    return name_;
}

bool DefaultDumper::GetShowStackNames() {
    return showStackNames_;
}

void DefaultDumper::Deliver() {
    line_[used_] = 0;
    TQ_REPORT(kDbgNote, line_);
    used_ = 0;
}

// A line is delivered when its newline comes, so pieces formatted apart arrive as one report.
void DefaultDumper::FormatToOutput(const char* format, ...) {
    char text[kLineSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    for (const char* c = text; *c; ++c) {
        if (*c == '\n') {
            Deliver();
        } else if (used_ < kLineSize - 1) {
            line_[used_++] = *c;
        }
    }
}

void DefaultDumper::DumpItemContents(const void*, uInt64) {}

LeakDumper::LeakDumper(int32 expected, const char* name, const char* fileName)
    : expected_(expected), name_(name ? name : ""), fileName_(fileName ? fileName : "") {}

LeakDumper::~LeakDumper() {
    if (file_ != tq::platform::kNoFile) tq::platform::FileClose(file_);
}

const char* LeakDumper::ObjBeingTrackedName() {
    return name_.c_str();
}

bool LeakDumper::GetShowStackNames() {
    return true;
}

void LeakDumper::FormatToOutput(const char* format, ...) {
    if (file_ == tq::platform::kNoFile) return;
    char text[kLineSize];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n <= 0) return;
    uInt32 done = 0;
    tq::platform::FileWrite(file_, text, uInt32(n < kLineSize ? n : kLineSize - 1), &done);
}

void LeakDumper::DumpItemContents(const void* pointer, uInt64 size) {
    const std::string text = Contents(pointer, size);
    if (!text.empty()) FormatToOutput("Memory Contents: %s\n", text.c_str());
}

void LeakDumper::DumpLeaks(AllocTracker* tracker) {
    if (!tracker) return;
    const int64 count = tracker->Count();
    if (count <= expected_) {
        TQ_REPORT(kDbgNote, "Total ", name_.c_str(), " = ", count, ".\n");
        return;
    }
    char path[1024];
    if (fileName_.empty() || !ResolveName(fileName_.c_str(), path, sizeof path)) path[0] = 0;
    TQ_REPORT(kDbgNote, path, "(1) : ", count, " ", name_.c_str(), " (", expected_, " expected)");
    if (path[0]) {
        file_ = tq::platform::FileOpen(path, tq::platform::FileAccess::kWrite,
                                       tq::platform::FileDisposition::kCreateAlways);
        if (file_ != tq::platform::kNoFile) {
            tracker->Dump(this);
            tq::platform::FileClose(file_);
            file_ = tq::platform::kNoFile;
        }
    }
    TQ_REPORT(kDbgBroken, "We got ", count - expected_, " more ", name_.c_str(),
              " than we see from a basic launch and quit.\n");
}

void DumpLeakInfo(AllocTracker* tracker, int32 expected, const char* name, const char* fileName) {
    LeakDumper(expected, name, fileName).DumpLeaks(tracker);
}
