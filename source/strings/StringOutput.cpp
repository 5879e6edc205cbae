// String output channels: a text file, the console, the debugger channel, and a fork of two channels.
#include <atomic>
#include <cstring>
#include <new>

#include "platform/Console.h"
#include "platform/Debugger.h"
#include "platform/File.h"
#include "tqcore/files.h"
#include "tqcore/strings.h"
#include "tqcore/threads.h"

namespace {

using tq::platform::NativeFile;

constexpr int32 kWideSize = 4098;

// ANSI text to UTF-16 in a fixed buffer; the result is the unit count without the terminator.
int32 ToWide(const char* ansi, TQWChar* wide) {
    const int32 n = ConvertToUTF16(ansi, wide, kWideSize);
    return n > 0 ? n - 1 : 0;
}

// Shared by every console channel: the count of live ones and whether the library made the console. The mutex
// is made once and kept: a channel being built on another thread may already be waiting on it.
std::atomic<ThMutex> gConsoleMutex{nullptr};
int32 gConsoleChannels = 0;
bool gConsoleAllocated = false;

ThMutex ConsoleMutex() {
    ThMutex m = gConsoleMutex.load(std::memory_order_acquire);
    if (m) return m;
    ThMutex made = nullptr;
    if (ThMutexCreate(&made, "StringOutputWinConsole") != kErrNone) return nullptr;
    if (gConsoleMutex.compare_exchange_strong(m, made, std::memory_order_acq_rel)) return made;
    ThMutexDestroy(made);
    return m;
}

class ConsoleLock {
  public:
    ConsoleLock() : m_(ConsoleMutex()) {
        if (m_) ThMutexAcquire(m_);
    }
    ~ConsoleLock() {
        if (m_) ThMutexRelease(m_);
    }
    ConsoleLock(const ConsoleLock&) = delete;
    ConsoleLock& operator=(const ConsoleLock&) = delete;

  private:
    ThMutex m_;
};

// A location is reached only through its virtual operations: its type information belongs to the files
// subsystem above, which the undefined-behaviour sanitizer's type check would otherwise make this layer need.
__attribute__((no_sanitize("vptr"))) FileLoc* CloneLocation(const FileLoc& location) {
    return location.Clone();
}
__attribute__((no_sanitize("vptr"))) const char* PathOf(const FileLoc* location) {
    return location->GetPath();
}
__attribute__((no_sanitize("vptr"))) void DeleteLocation(FileLoc* location) {
    delete location;
}

}  // namespace

// ---- The abstract channel and the common base.

StringOutput::~StringOutput() = default;

void StringOutput::Open(OpenMode) {}

int32 StringOutputBase::PrintData(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int32 count = PrintDataV(format, args);
    va_end(args);
    return count;
}

int32 StringOutputBase::PrintDataV(const char* format, va_list args) {
    if (busy_) return printCount_;
    busy_ = 1;
    WriteFormatted(format, args);
    ++printCount_;
    busy_ = 0;
    return printCount_;
}

void StringOutputBase::Flush() {}

int32 StringOutputBase::vsnprintf(char* buffer, int32 size, const char* format, va_list args) {
    if (!buffer || size < 0) return 0;
    const int32 formatLen = format ? StrLen(format) : 0;
    int32 n = format ? SPrintfv(reinterpret_cast<uChar*>(buffer), uInt32(size),
                                reinterpret_cast<const uChar*>(format), formatLen, args)
                     : 0;
    if (n > size) n = size;
    buffer[n] = 0;
    return n;
}

// ---- File.

StringOutputFile::StringOutputFile(const FileLoc& location)
    : location_(CloneLocation(location)), file_(tq::platform::kNoFile) {
    text_[0] = 0;
}

StringOutputFile::~StringOutputFile() {
    if (opened_) tq::platform::FileClose(file_);
    DeleteLocation(location_);
}

void StringOutputFile::Open(OpenMode mode) {
    if (opened_ || !location_) return;
    using tq::platform::FileAccess;
    using tq::platform::FileDisposition;
    const bool create = mode == kOpenCreate;
    const NativeFile file =
        tq::platform::FileOpen(PathOf(location_), FileAccess::kWrite,
                               create ? FileDisposition::kCreateAlways : FileDisposition::kOpenAlways);
    if (file == tq::platform::kNoFile) return;
    // Every append mode writes at the end: mode 1 asks for the move, the others get it as appending opens do.
    int64 end = 0;
    if (!create) tq::platform::FileSeek(file, 0, tq::platform::FileOrigin::kEnd, &end);
    file_ = file;
    opened_ = 1;
}

// Prints go straight to the file: there is no buffer of the channel's own to flush.
void StringOutputFile::Flush() {}

void StringOutputFile::WriteFormatted(const char* format, va_list args) {
    if (!opened_) return;
    const int32 n = vsnprintf(text_, kTextSize, format, args);
    uInt32 done = 0;
    for (int32 at = 0; at < n; at += int32(done))
        if (!tq::platform::FileWrite(file_, text_ + at, uInt32(n - at), &done) || done == 0) return;
}

// ---- Console.

StringOutputWinConsole::StringOutputWinConsole() {
    {
        ConsoleLock lock;
        ++gConsoleChannels;
        if (tq::platform::ConsoleAllocate()) gConsoleAllocated = true;
    }
    output_ = tq::platform::ConsoleStandardOutput();
    input_ = tq::platform::ConsoleStandardInput();
    text_[0] = 0;
}

StringOutputWinConsole::~StringOutputWinConsole() {
    ConsoleLock lock;
    if (--gConsoleChannels == 0 && gConsoleAllocated) {
        tq::platform::ConsoleFree();
        gConsoleAllocated = false;
    }
}

void StringOutputWinConsole::WriteFormatted(const char* format, va_list args) {
    vsnprintf(text_, kTextSize, format, args);
    TQWChar wide[kWideSize];
    tq::platform::ConsoleWrite(output_, wide, ToWide(text_, wide));
}

// ---- Debugger channel.

void StringOutputWinDebugStr::WriteFormatted(const char* format, va_list args) {
    vsnprintf(text_, kTextSize, format, args);
    TQWChar wide[kWideSize];
    const int32 units = ToWide(text_, wide);
    char utf8[3 * kWideSize + 1];
    if (StringUtils::ToUTF8FromWideString(wide, units, utf8, int32(sizeof utf8)) != 0) return;
    tq::platform::OutputDebugText(utf8);
}

// ---- Fork.

StringOutputFork::StringOutputFork(StringOutput* first, StringOutput* second, bool owns)
    : first_(first), second_(second), owns_(owns) {}

StringOutputFork::~StringOutputFork() {
    if (!owns_) return;
    delete first_;
    delete second_;
}

void StringOutputFork::Open(OpenMode mode) {
    if (first_) first_->Open(mode);
    if (second_) second_->Open(mode);
}

int32 StringOutputFork::PrintData(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int32 count = PrintDataV(format, args);
    va_end(args);
    return count;
}

int32 StringOutputFork::PrintDataV(const char* format, va_list args) {
    int32 count = 0;
    if (first_) {
        va_list copy;
        va_copy(copy, args);
        count = first_->PrintDataV(format, copy);
        va_end(copy);
    }
    if (second_) {
        va_list copy;
        va_copy(copy, args);
        count = second_->PrintDataV(format, copy);
        va_end(copy);
    }
    return count;
}

void StringOutputFork::Flush() {
    if (first_) first_->Flush();
    if (second_) second_->Flush();
}

// ---- Factory.

StringOutput* StringOutputFactory::CreateConsoleOutput() {
    return new (std::nothrow) StringOutputWinConsole();
}

StringOutput* StringOutputFactory::CreateDebugPrintOutput() {
    return new (std::nothrow) StringOutputWinDebugStr();
}

StringOutput* StringOutputFactory::CreateFileOutput(const FileLoc& location) {
    try {
        return new StringOutputFile(location);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
