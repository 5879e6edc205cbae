// Resource files on disk, through the file manager; read-only files are read through a memory view, the
// host's cached one when its cache holds the file.
#include <algorithm>
#include <cstring>
#include <new>

#define TQ_UNIT "source\\ResfileIODisk"

#include "diagnostics/Report.h"
#include "files/FileCacheHook.h"
#include "resources/ResfileIO.h"
#include "tqcore/core.h"
#include "tqcore/files.h"

namespace tq::resources {
namespace {

constexpr int64 kLargestCall = 1 << 30;

class DiskIO final : public PKResfileIO {
  public:
    // A host's cached copy is the host's: it is neither unmapped nor closed here.
    DiskIO(File fd, bool owned) : fd_(fd), owned_(owned) {}
    ~DiskIO() override { Close(); }

    TqErr Read(int64 pos, void* buf, int64 n) override {
        if (image_) {
            if (pos < 0 || n < 0 || pos > imageSize_ || n > imageSize_ - pos) return kErrEndOfFile;
            if (n) std::memcpy(buf, image_ + pos, size_t(n));
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
    // A host may hand over a cached copy without an open file.
    TqErr GetEOF(int64* size) override {
        if (fd_) return FGetEOF64(fd_, size);
        *size = imageSize_;
        return kErrNone;
    }
    TqErr Flush() override { return fd_ ? FFlush(fd_) : kErrNone; }
    void Close() override {
        if (owned_) {
            if (view_ && !UnmapFileHelper(view_)) TQ_REPORT(kDbgWarn, "Cannot unmap the resource file");
            if (fd_) FMClose(fd_);
        }
        view_ = image_ = nullptr;
        fd_ = 0;
    }
    bool IsMemory() const override { return false; }
    TqErr ModDate(const PathRef& path, uInt32* date, int32* flag) override {
        PathRef copy(path);
        return FMGetModDate(&copy, fd_, date, flag);
    }
    const uInt8* Image() const override { return image_; }

    // Read-only files are read in place. An empty file has nothing to map (its header read fails later).
    TqErr Map() {
        if (fileSize == 0) return kErrNone;
        int32 low = 0;
        UPtr base = nullptr;
        CreateMemMappedFile(fd_, &view_, &low, &base);
        if (view_) {
            UseImage(base, fileSize);
            return kErrNone;
        }
        const TqErr e = Win32ToPKFileErr();
        TQ_REPORT(kDbgWarn, "Cannot memory map the resource file");
        return e ? e : kErrIO;
    }
    void UseImage(UPtr base, int64 size) {
        image_ = base;
        imageSize_ = size;
    }

  private:
    File fd_;
    bool owned_;
    UPtr view_ = nullptr;   // what unmapping releases
    UPtr image_ = nullptr;  // where the file's bytes start
    int64 imageSize_ = 0;
};

bool IsSpecialItem(const PathRef& path) {
    if (path.StartsWith(kBaseNotAPath) || path.StartsWith(kBaseNull)) return true;
    const int32 n = path.ItemCount();
    return n == 0 ? path.CountUpDir() > 0 : path.ItemAt(n - 1).empty();
}

// The host's mapped copy of path when its cache holds one: 0 with *out set or left null, or the code.
TqErr FromHostCache(const PathRef& path, PKResfileIO** out) {
    const IsFileAlreadyInCacheProc hook = tq::files::FileCacheHook();
    if (!hook) return kErrNone;
    PathRef copy(path);
    File fd = 0;
    UPtr view = nullptr, base = nullptr;
    int32 size = 0;
    if (!hook(&copy, &fd, &view, &base, &size)) return kErrNone;
    if (!base) base = view;
    // An answer without bytes is no copy: the file is opened as usual.
    if (!base || size <= 0) return kErrNone;
    auto* io = new (std::nothrow) DiskIO(fd, false);
    if (!io) return kErrMemoryFull;
    io->permission = kResReadOnly;
    io->fileSize = size;
    io->UseImage(base, size);
    *out = io;
    return kErrNone;
}

}  // namespace

TqErr OpenDiskIO(const PathRef& path, int32 permission, PKResfileIO** out) {
    *out = nullptr;
    if (IsSpecialItem(path)) return kErrIO;
    if (permission == kResReadOnly) {
        if (const TqErr e = FromHostCache(path, out)) return e;
        if (*out) return kErrNone;
    }
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
    auto* io = new (std::nothrow) DiskIO(fd, true);
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
