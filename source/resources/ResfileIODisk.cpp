// Resource files on disk, through the file manager; read-only files are read through a memory view.
#include <algorithm>
#include <cstring>
#include <new>

#define TQ_UNIT "source\\ResfileIODisk"

#include "diagnostics/Report.h"
#include "platform/File.h"
#include "platform/MappedFile.h"
#include "resources/ResfileIO.h"
#include "tqcore/core.h"
#include "tqcore/files.h"

namespace tq::resources {
namespace {

constexpr int64 kLargestCall = 1 << 30;

class DiskIO final : public PKResfileIO {
  public:
    explicit DiskIO(File fd) : fd_(fd) {}
    ~DiskIO() override { Close(); }

    TqErr Read(int64 pos, void* buf, int64 n) override {
        if (view_.base) {
            if (pos < 0 || n < 0 || uInt64(pos) > view_.size || uInt64(n) > view_.size - uInt64(pos))
                return kErrEndOfFile;
            if (n) std::memcpy(buf, view_.base + pos, size_t(n));
            return kErrNone;
        }
        if (const TqErr e = FMSeek64(fd_, pos, kSeekFromStart)) return e;
        for (auto* p = static_cast<uInt8*>(buf); n > 0;) {
            const int32 chunk = int32(std::min(n, kLargestCall));
            int32 done = 0;
            if (const TqErr e = FMRead(fd_, chunk, &done, p)) return e;
            p += done, n -= done;
        }
        return kErrNone;
    }
    TqErr Write(int64 pos, const void* buf, int64 n) override {
        if (permission != kResReadWrite) return kErrPermission;
        if (const TqErr e = FMSeek64(fd_, pos, kSeekFromStart)) return e;
        for (auto* p = static_cast<const uInt8*>(buf); n > 0;) {
            const int32 chunk = int32(std::min(n, kLargestCall));
            int32 done = 0;
            if (const TqErr e = FMWrite(fd_, chunk, &done, const_cast<uInt8*>(p))) return e;
            p += done, n -= done;
        }
        return kErrNone;
    }
    TqErr SetEOF(int64 size) override { return FSetEOF64(fd_, size); }
    TqErr GetEOF(int64* size) override { return FGetEOF64(fd_, size); }
    TqErr Flush() override { return FFlush(fd_); }
    void Close() override {
        tq::platform::UnmapView(&view_);
        if (fd_) FMClose(fd_);
        fd_ = 0;
    }
    bool IsMemory() const override { return false; }
    TqErr ModDate(const PathRef& path, uInt32* date, int32* flag) override {
        PathRef copy(path);
        return FMGetModDate(&copy, fd_, date, flag);
    }
    const uInt8* Image() const override { return view_.base; }

    // Read-only files are read in place. An empty file has nothing to map (its header read fails later).
    TqErr Map() {
        if (fileSize == 0 || tq::platform::MapWholeFile(tq::platform::FileFromToken(fd_), &view_))
            return kErrNone;
        const TqErr e = Win32ToPKFileErr();
        TQ_REPORT(kDbgWarn, "Cannot memory map the resource file");
        return e ? e : kErrIO;
    }

  private:
    File fd_;
    tq::platform::MappedView view_;
};

bool IsSpecialItem(const PathRef& path) {
    if (path.StartsWith(kBaseNotAPath) || path.StartsWith(kBaseNull)) return true;
    const int32 n = path.ItemCount();
    return n == 0 ? path.CountUpDir() > 0 : path.ItemAt(n - 1).empty();
}

}  // namespace

TqErr OpenDiskIO(const PathRef& path, int32 permission, PKResfileIO** out) {
    *out = nullptr;
    if (IsSpecialItem(path)) return kErrIO;
    PathRef copy(path);
    File fd = 0;
    TqErr e = FMOpen(&fd, &copy, permission == kResReadOnly ? kOpenRead : kOpenReadWrite, kDenyNone);
    if (e == kErrArgument && path.StartsWith(kBaseAbsolute)) e = kErrNotFound;
    if (e) return e;
    int64 size = 0;
    if ((e = FGetEOF64(fd, &size))) {
        FMClose(fd);
        return e;
    }
    auto* io = new (std::nothrow) DiskIO(fd);
    if (!io) {
        FMClose(fd);
        return kErrMemoryFull;
    }
    io->permission = permission;
    io->fileSize = size;
    if (permission == kResReadOnly) {
        if (const TqErr mapped = io->Map()) {
            delete io;
            return mapped;
        }
    }
    *out = io;
    return kErrNone;
}

}  // namespace tq::resources
