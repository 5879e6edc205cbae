// Resource files held in memory.
#include <cstring>
#include <new>

#include "resources/ResfileIO.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

PKResfileIO::~PKResfileIO() = default;

namespace tq::resources {
namespace {

class HandleIO final : public PKResfileIO {
  public:
    explicit HandleIO(UHandle h) : handle_(h) {}
    ~HandleIO() override { Close(); }

    TqErr Read(int64 pos, void* buf, int64 n) override {
        const int64 size = handle_ ? DSGetHandleSize(handle_) : 0;
        if (pos < 0 || n < 0 || pos > size || n > size - pos) return kErrEndOfFile;
        if (n) std::memcpy(buf, *handle_ + pos, size_t(n));
        return kErrNone;
    }
    TqErr Write(int64 pos, const void* buf, int64 n) override {
        if (!handle_ || pos < 0 || n < 0) return kErrArgument;
        const int64 size = DSGetHandleSize(handle_);
        if (pos + n > size)
            if (const TqErr e = DSSetHandleSize(handle_, uInt64(pos + n))) return e;
        if (n) std::memcpy(*handle_ + pos, buf, size_t(n));
        return kErrNone;
    }
    TqErr SetEOF(int64 size) override {
        if (!handle_ || size < 0) return kErrArgument;
        if (size == DSGetHandleSize(handle_)) return kErrNone;
        return DSSetHandleSize(handle_, uInt64(size));
    }
    TqErr GetEOF(int64* size) override {
        *size = handle_ ? DSGetHandleSize(handle_) : 0;
        return kErrNone;
    }
    TqErr Flush() override { return kErrNone; }
    void Close() override {
        DSDisposeHandle(handle_);
        handle_ = nullptr;
    }
    bool IsMemory() const override { return true; }
    TqErr ModDate(const PathRef&, uInt32* date, int32* flag) override {
        *date = 0;
        if (flag) *flag = 0;
        return kErrNone;
    }
    UHandle TakeHandle() override {
        UHandle h = handle_;
        handle_ = nullptr;
        return h;
    }

  private:
    UHandle handle_;
};

class ImageIO final : public PKResfileIO {
  public:
    ImageIO(const uInt8* data, uInt64 size) : data_(data), size_(int64(size)) {}

    TqErr Read(int64 pos, void* buf, int64 n) override {
        if (pos < 0 || n < 0 || pos > size_ || n > size_ - pos) return kErrEndOfFile;
        if (n) std::memcpy(buf, data_ + pos, size_t(n));
        return kErrNone;
    }
    TqErr Write(int64, const void*, int64) override { return kErrPermission; }
    TqErr SetEOF(int64) override { return kErrPermission; }
    TqErr GetEOF(int64* size) override {
        *size = size_;
        return kErrNone;
    }
    TqErr Flush() override { return kErrNone; }
    void Close() override { data_ = nullptr, size_ = 0; }
    bool IsMemory() const override { return true; }
    TqErr ModDate(const PathRef&, uInt32* date, int32* flag) override {
        *date = 0;
        if (flag) *flag = 1;
        return kErrNone;
    }
    const uInt8* Image() const override { return data_; }

  private:
    const uInt8* data_;
    int64 size_;
};

}  // namespace

PKResfileIO* NewHandleIO(UHandle h, int32 permission) {
    auto* io = new (std::nothrow) HandleIO(h);
    if (!io) return nullptr;
    io->permission = permission;
    io->fileSize = h ? DSGetHandleSize(h) : 0;
    return io;
}

PKResfileIO* NewImageIO(const uInt8* data, uInt64 size) {
    auto* io = new (std::nothrow) ImageIO(data, size);
    if (!io) return nullptr;
    io->permission = kResReadOnly;
    io->fileSize = int64(size);
    return io;
}

}  // namespace tq::resources
