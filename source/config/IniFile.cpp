// Disk access of the INI engine. Every byte reaches the disk through the platform layer, which flushes the
// temporary file before it replaces the target and makes the replace itself durable.
#include "config/IniFile.h"

#include <cstdio>

#include "platform/FileReplace.h"
#include "platform/FileSystem.h"
#include "platform/FileTimes.h"
#include "platform/LastError.h"

namespace tq::config {

namespace pf = tq::platform;

namespace {

constexpr int32 kTempNames = 1000;
constexpr uInt32 kChunk = 1u << 16;

bool IsMissing(uInt32 error) {
    return error == pf::kWinFileNotFound || error == pf::kWinPathNotFound;
}

IniCode OpenFailure() {
    const uInt32 e = pf::GetLastError();
    if (IsMissing(e)) return kIniMissing;
    if (e == pf::kWinTooManyOpenFiles) return kIniTooManyFiles;
    return kIniUnreadable;
}

// Closes on every way out.
class OpenFile {
  public:
    explicit OpenFile(pf::NativeFile f) : f_(f) {}
    ~OpenFile() { Close(); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    pf::NativeFile Get() const { return f_; }
    bool Close() {
        const bool ok = f_ == pf::kNoFile || pf::FileClose(f_);
        f_ = pf::kNoFile;
        return ok;
    }

  private:
    pf::NativeFile f_;
};

bool ReadAll(pf::NativeFile f, std::string& bytes) {
    for (;;) {
        const size_t at = bytes.size();
        bytes.resize(at + kChunk);
        uInt32 done = 0;
        if (!pf::FileRead(f, bytes.data() + at, kChunk, &done)) return false;
        bytes.resize(at + done);
        if (done == 0) return true;
    }
}

bool WriteAll(pf::NativeFile f, const std::string& bytes) {
    size_t at = 0;
    while (at < bytes.size()) {
        const uInt32 n = uInt32(std::min<size_t>(bytes.size() - at, kChunk));
        uInt32 done = 0;
        if (!pf::FileWrite(f, bytes.data() + at, n, &done) || done == 0) return false;
        at += done;
    }
    return true;
}

// An existing file must open for update; a missing one must be creatable (made and removed again).
bool TargetWritable(const std::string& path) {
    pf::NativeFile f =
        pf::FileOpen(path.c_str(), pf::FileAccess::kReadWrite, pf::FileDisposition::kOpenExisting);
    if (f != pf::kNoFile) return pf::FileClose(f), true;
    if (!IsMissing(pf::GetLastError())) return false;
    f = pf::FileOpen(path.c_str(), pf::FileAccess::kWrite, pf::FileDisposition::kCreateNew);
    if (f == pf::kNoFile) return false;
    pf::FileClose(f);
    return pf::FileDelete(path.c_str());
}

// The folder part of path (with its separator) for the temporary file beside it.
std::string FolderPrefix(const std::string& path) {
    const size_t sep = path.find_last_of("/\\");
    return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

// The first free "ini$$N.TMP" beside the target, created exclusively.
IniCode MakeTemp(const std::string& path, std::string& temp, pf::NativeFile& file) {
    const std::string prefix = FolderPrefix(path);
    char name[32];
    for (int32 n = 0; n < kTempNames; ++n) {
        std::snprintf(name, sizeof name, "ini$$%d.%s", int(n), "TMP");
        temp = prefix + name;
        file = pf::FileOpen(temp.c_str(), pf::FileAccess::kWrite, pf::FileDisposition::kCreateNew);
        if (file != pf::kNoFile) return kIniOk;
        const uInt32 e = pf::GetLastError();
        if (e != pf::kWinFileExists && e != pf::kWinAlreadyExists) return kIniTempCreate;
    }
    return kIniTempNamesUsed;
}

// Writes, flushes and closes the temporary file, then moves it over the target.
IniCode FillAndReplace(const std::string& path, const std::string& temp, pf::NativeFile f,
                       const IniDocument& doc) {
    OpenFile file(f);
    std::string bytes;
    try {
        bytes = doc.Serialize();
    } catch (const std::bad_alloc&) {
        return kIniNoMemory;
    }
    if (!WriteAll(file.Get(), bytes) || !pf::FileFlushToDevice(file.Get())) return kIniFlush;
    if (!file.Close()) return kIniFlush;
    if (!pf::FileReplaceDurably(temp.c_str(), path.c_str())) return kIniNotWritable;
    return kIniOk;
}

}  // namespace

IniCode IniReadFile(const std::string& path, IniDocument& doc) {
    doc.Clear();
    OpenFile file(pf::FileOpen(path.c_str(), pf::FileAccess::kRead, pf::FileDisposition::kOpenExisting));
    if (file.Get() == pf::kNoFile) return OpenFailure();
    std::string bytes;
    try {
        if (!ReadAll(file.Get(), bytes)) return kIniUnreadable;
        return doc.Parse(bytes);
    } catch (const std::bad_alloc&) {
        doc.Clear();
        return kIniNoMemory;
    }
}

IniCode IniWriteFile(const std::string& path, const IniDocument& doc) {
    if (path.empty()) return kIniMissing;
    if (!TargetWritable(path)) return kIniNotWritable;
    std::string temp;
    pf::NativeFile f = pf::kNoFile;
    const IniCode made = MakeTemp(path, temp, f);
    if (made != kIniOk) return made;
    const IniCode r = FillAndReplace(path, temp, f, doc);
    if (r != kIniOk) pf::FileDelete(temp.c_str());
    return r;
}

IniStamp IniLastWrite(const std::string& path, TQFileTime& time) {
    if (pf::FileLastWriteTime(path, time)) return IniStamp::kRead;
    return IsMissing(pf::GetLastError()) ? IniStamp::kMissing : IniStamp::kFailed;
}

}  // namespace tq::config
