// Formatted output to open files through the library's formatting engine, and the date conversion callers
// need for file times.
#include <cstdarg>
#include <cstring>

#include "tqcore/clocks.h"
#include "tqcore/core.h"
#include "tqcore/files.h"
#include "tqcore/memory.h"
#include "tqcore/strings.h"

namespace {

// The formatted text in a temporary block: its length, or -1 when formatting fails (*block stays null).
int32 Format(ConstCStr fmt, va_list args, UPtr* block) {
    *block = nullptr;
    const uChar* format = reinterpret_cast<const uChar*>(fmt);
    const int32 length = fmt ? int32(std::strlen(fmt)) : 0;
    va_list measure;
    va_copy(measure, args);
    const int32 n = SPrintfv(nullptr, 0xFFFFFFFFu, format, length, measure);
    va_end(measure);
    if (n < 0) return -1;
    *block = DSNewPtr(uInt64(n) + 1);
    if (*block) SPrintfv(*block, uInt32(n), format, length, args);
    return n;
}

// The result of FPrintfWErrv, with the count written for FPrintf.
TqErr PrintTo(File fd, ConstCStr fmt, va_list args, int32* written) {
    *written = -1;
    UPtr block = nullptr;
    const int32 n = Format(fmt, args, &block);
    if (n < 0) return kErrBadFormat;
    if (!block) return kErrMemoryFull;
    int32 actual = 0;
    const TqErr err = fd ? FMWrite(fd, n, &actual, block) : kErrArgument;
    DSDisposePtr(block);
    if (!fd) *written = n;
    if (!err && actual == n) *written = n;
    return err;
}

}  // namespace

int32 FPrintf(File fd, ConstCStr fmt, ...) {
    va_list args;
    va_start(args, fmt);
    int32 written = -1;
    PrintTo(fd, fmt, args, &written);
    va_end(args);
    return written;
}

TqErr FPrintfWErr(File fd, ConstCStr fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const TqErr err = FPrintfWErrv(fd, fmt, args);
    va_end(args);
    return err;
}

TqErr FPrintfWErrv(File fd, ConstCStr fmt, va_list args) {
    if (!fd) return kErrArgument;
    int32 written = -1;
    return PrintTo(fd, fmt, args, &written);
}

void SecsToWin32FileTime(uInt32 secs, TQFileTime* ft) {
    if (ft) *ft = FILETIMEFromATime128(ATime128(int64(secs), 0));
}
