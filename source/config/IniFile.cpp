// Disk access of the INI engine, through the file manager. The temporary file is flushed to the device
// before it replaces the target, and the replace itself is made durable by the platform layer.
#include "config/IniFile.h"

#include <cstdio>

#include "config/ConfigOperations.h"
#include "platform/FileReplace.h"
#include "platform/FileTimes.h"
#include "platform/LastError.h"
#include "tqcore/files.h"

namespace tq::config {

namespace {

constexpr int32 kTempNames = 1000;
constexpr int32 kChunk = 1 << 16;
constexpr int32 kPermissions = 0666;

// Closes on every way out.
class OpenFile {
  public:
    OpenFile() = default;
    ~OpenFile() { (void)Close(); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    File* Out() { return &fd_; }
    File Get() const { return fd_; }
    TqErr Close() {
        const TqErr r = fd_ ? FMClose(fd_) : kErrNone;
        fd_ = 0;
        return r;
    }

  private:
    File fd_ = 0;
};

IniCode OpenFailure(TqErr err) {
    if (err == kErrNotFound) return kIniMissing;
    if (err == kErrTooManyFiles) return kIniTooManyFiles;
    return kIniUnreadable;
}

bool ReadAll(File fd, std::string& bytes) {
    for (;;) {
        const size_t at = bytes.size();
        bytes.resize(at + size_t(kChunk));
        int32 done = 0;
        const TqErr r = FMRead(fd, kChunk, &done, reinterpret_cast<UPtr>(bytes.data() + at));
        bytes.resize(at + size_t(done));
        if (r == kErrEndOfFile) return true;
        if (r != kErrNone) return false;
    }
}

bool WriteAll(File fd, const std::string& bytes) {
    for (size_t at = 0; at < bytes.size();) {
        const int32 n = int32(std::min<size_t>(bytes.size() - at, size_t(kChunk)));
        int32 done = 0;
        if (FMWrite(fd, n, &done, reinterpret_cast<UPtr>(const_cast<char*>(bytes.data() + at))) != kErrNone)
            return false;
        at += size_t(done);
    }
    return true;
}

// An existing file must open for update; a missing one must be creatable (made and removed again).
bool TargetWritable(PathRef& path) {
    OpenFile file;
    const TqErr r = FMOpen(file.Out(), &path, kOpenReadWrite, kDenyNone);
    if (r == kErrNone) return true;
    if (r != kErrNotFound) return false;
    if (FCreate(file.Out(), &path, kPermissions, kOpenWrite, kDenyNone, nullptr) != kErrNone) return false;
    (void)file.Close();
    return FRemove(&path) == kErrNone;
}

// The first free "ini$$N.TMP" beside the target, created exclusively.
IniCode MakeTemp(const PathRef& path, PathRef& temp, OpenFile& file) {
    const PathRef folder = path.GetParentDirectory();
    char name[32];
    for (int32 n = 0; n < kTempNames; ++n) {
        std::snprintf(name, sizeof name, "ini$$%d.%s", int(n), "TMP");
        temp = folder;
        temp.Append(name);
        const TqErr r = FCreate(file.Out(), &temp, kPermissions, kOpenWrite, kDenyNone, nullptr);
        if (r == kErrNone) return kIniOk;
        if (r != kErrDuplicatePath) return kIniTempCreate;
    }
    return kIniTempNamesUsed;
}

// Writes, flushes and closes the temporary file, then moves it over the target.
IniCode FillAndReplace(const PathRef& path, const PathRef& temp, OpenFile& file, const IniDocument& doc) {
    std::string bytes;
    try {
        bytes = doc.Serialize();
    } catch (const std::bad_alloc&) {
        return kIniNoMemory;
    }
    if (!WriteAll(file.Get(), bytes) || FFlush(file.Get()) != kErrNone) return kIniFlush;
    if (file.Close() != kErrNone) return kIniFlush;
    if (!tq::platform::FileReplaceDurably(OsPathText(temp).c_str(), OsPathText(path).c_str()))
        return kIniNotWritable;
    return kIniOk;
}

}  // namespace

IniCode IniReadFile(const PathRef& path, IniDocument& doc) {
    doc.Clear();
    OpenFile file;
    PathRef p(path);
    const TqErr opened = FMOpen(file.Out(), &p, kOpenRead, kDenyNone);
    if (opened != kErrNone) return OpenFailure(opened);
    std::string bytes;
    try {
        if (!ReadAll(file.Get(), bytes)) return kIniUnreadable;
        return doc.Parse(bytes);
    } catch (const std::bad_alloc&) {
        doc.Clear();
        return kIniNoMemory;
    }
}

IniCode IniWriteFile(const PathRef& path, const IniDocument& doc) {
    if (!path.IsValid() || path.ItemCount() == 0) return kIniMissing;
    PathRef target(path);
    if (!TargetWritable(target)) return kIniNotWritable;
    PathRef temp;
    OpenFile file;
    const IniCode made = MakeTemp(target, temp, file);
    if (made != kIniOk) return made;
    const IniCode r = FillAndReplace(target, temp, file, doc);
    if (r != kIniOk) {
        (void)file.Close();
        (void)FRemove(&temp);
    }
    return r;
}

IniStamp IniLastWrite(const std::string& osPath, TQFileTime& time) {
    if (tq::platform::FileLastWriteTime(osPath, time)) return IniStamp::kRead;
    const uInt32 e = tq::platform::GetLastError();
    return e == tq::platform::kWinFileNotFound || e == tq::platform::kWinPathNotFound ? IniStamp::kMissing
                                                                                      : IniStamp::kFailed;
}

}  // namespace tq::config
