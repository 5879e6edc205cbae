// PKExcept, the library's exception, and the mapping of OS error numbers to its error codes.
#define TQ_UNIT "source\\pkexcept"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <typeinfo>

#include "diagnostics/Report.h"
#include "platform/LastError.h"
#include "tqcore/core.h"

namespace {

void CopyHead(char* to, size_t size, const char* from) {
    const size_t n = from ? strnlen(from, size - 1) : 0;
    std::memcpy(to, from ? from : "", n);
    to[n] = 0;
}

// A long source path keeps its tail: the file name is the useful part.
void CopyTail(char* to, size_t size, const char* from) {
    if (!from) from = "";
    const size_t len = std::strlen(from);
    CopyHead(to, size, len < size ? from : from + (len - (size - 1)));
}

struct Win32Entry {
    uInt32 win;
    TqErr err;
};

constexpr Win32Entry kWin32Table[] = {
    {tq::platform::kWinFileNotFound, kErrNotFound},
    {tq::platform::kWinPathNotFound, kErrNotFound},
    {tq::platform::kWinNotReady, kErrNotFound},
    {tq::platform::kWinBadNetPath, kErrNotFound},
    {tq::platform::kWinDirectory, kErrNotFound},
    {tq::platform::kWinAccessDenied, kErrPermission},
    {tq::platform::kWinLockViolation, kErrPermission},
    {tq::platform::kWinNotEnoughMemory, kErrMemoryFull},
    {tq::platform::kWinSharingViolation, kErrFileBusy},
    {tq::platform::kWinHandleDiskFull, kErrDiskFull},
    {tq::platform::kWinDiskFull, kErrDiskFull},
    {tq::platform::kWinFileExists, kErrDuplicatePath},
    {tq::platform::kWinAlreadyExists, kErrDuplicatePath},
    {tq::platform::kWinInvalidParameter, kErrArgument},
    {tq::platform::kWinInvalidName, kErrArgument},
    {tq::platform::kWinNotLocked, kErrArgument},
    {tq::platform::kWinFilenameExcedRange, kErrPathTooLong},
};

// The run-time library's own numbers, identical on glibc and the Windows C run-time.
constexpr int kCrtNoEnt = 2, kCrtBadF = 9, kCrtNoMem = 12, kCrtAcces = 13, kCrtExist = 17, kCrtInval = 22,
              kCrtNFile = 23, kCrtMFile = 24, kCrtNoSpc = 28, kCrtSPipe = 29;
static_assert(ENOENT == kCrtNoEnt && EBADF == kCrtBadF && ENOMEM == kCrtNoMem && EACCES == kCrtAcces &&
              EEXIST == kCrtExist && EINVAL == kCrtInval && ENFILE == kCrtNFile && EMFILE == kCrtMFile &&
              ENOSPC == kCrtNoSpc && ESPIPE == kCrtSPipe);

}  // namespace

PKExcept::PKExcept(TqErr code, const char* detail, const char* file, int32 line) : code_(code), line_(line) {
    CopyHead(detail_, sizeof detail_, detail);
    CopyTail(file_, sizeof file_, file);
    std::snprintf(description_, sizeof description_, "PKExcept. Err=%d, File=%s, Line=%d, Detail='%s'",
                  int(code_), file_, int(line_), detail_);
    stack_.Record(0);
}

PKExcept::PKExcept(const PKExcept&) = default;
PKExcept& PKExcept::operator=(const PKExcept&) = default;
PKExcept::~PKExcept() = default;

const char* PKExcept::what() const noexcept {
    return description_;
}
TqErr PKExcept::ErrorCode() const {
    return code_;
}
const char* PKExcept::File() const {
    return file_;
}
int32 PKExcept::Line() const {
    return line_;
}
const char* PKExcept::Detail() const {
    return detail_;
}
StackChain& PKExcept::Stack() {
    return stack_;
}
const StackChain& PKExcept::Stack() const {
    return stack_;
}

PKExcept GetExceptionInCatch_FileAndLine(const char* file, int32 line) {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return PKExcept(kErrMemoryFull, "converted from std::bad_alloc", file, line);
    } catch (const std::bad_cast&) {
        return PKExcept(kErrGeneric, "converted from std::bad_cast", file, line);
    } catch (const PKExcept& e) {
        return e;
    } catch (const std::exception&) {
        return PKExcept(kErrGeneric, "converted from std::exception", file, line);
    } catch (...) {
        TQ_REPORT(kDbgBroken, "GetExceptionInCatch() called from inside catch(...) -- ", file ? file : "",
                  " Line ", line);
        throw;
    }
}

TqErr Win32ToPKFileErr(void) {
    const uInt32 win = tq::platform::GetLastError();
    for (const Win32Entry& e : kWin32Table)
        if (e.win == win) return e.err;
    return kErrIO;
}

TqErr ErrnoToPKFileErr(int err, bool enoentIsArgument) {
    switch (err) {
        case 0:
            return kErrNone;
        case kCrtNoEnt:
            return enoentIsArgument ? kErrArgument : kErrNotFound;
        case kCrtBadF:
        case kCrtInval:
            return kErrArgument;
        case kCrtNoMem:
            return kErrMemoryFull;
        case kCrtAcces:
            return kErrPermission;
        case kCrtExist:
            return kErrDuplicatePath;
        case kCrtNFile:
        case kCrtMFile:
            return kErrTooManyFiles;
        case kCrtNoSpc:
            return kErrDiskFull;
        case kCrtSPipe:
            return kErrEndOfFile;
        default:
            return kErrIO;
    }
}
