// What every system's open files share: plain opening and whole-file reading.
#include "platform/File.h"
#include "platform/LastError.h"

namespace tq::platform {

namespace {
// Reads to the end; false on a read error or when the text passes the limit.
bool ReadToEnd(NativeFile file, std::string& text, size_t limit) {
    char chunk[4096];
    for (;;) {
        uInt32 done = 0;
        if (!FileRead(file, chunk, sizeof chunk, &done)) return false;
        if (done == 0) return true;
        if (done > limit - text.size()) {
            SetLastError(kWinInsufficientBuffer);
            return false;
        }
        text.append(chunk, done);
    }
}
}  // namespace

NativeFile FileOpen(const char* utf8Path, FileAccess access, FileDisposition disposition) {
    FileOpenRequest request;
    request.access = access;
    request.disposition = disposition;
    return FileOpenShared(utf8Path, request);
}

bool FileReadAll(const char* utf8Path, std::string& text, size_t limit) {
    text.clear();
    const NativeFile file = FileOpen(utf8Path, FileAccess::kRead, FileDisposition::kOpenExisting);
    if (file == kNoFile) return false;
    const bool ok = ReadToEnd(file, text, limit);
    // The read's error, not the close's, says what went wrong.
    const uInt32 error = GetLastError();
    FileClose(file);
    if (!ok) SetLastError(error);
    return ok;
}

}  // namespace tq::platform
