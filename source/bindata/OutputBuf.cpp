// Byte sinks: caller memory, growable plain and long-string handles, and the sink that only counts.
#define TQ_UNIT "source\\OutputBuf"

#include <cstdint>
#include <new>

#include "bindata/FinalError.h"
#include "tqcore/bindata.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

namespace {

constexpr size_t kGrowthSpare = 4096;
constexpr size_t kCountBytes = sizeof(int32);

// Makes room for n more bytes after position in a handle whose data start `header` bytes in. Growth keeps
// kGrowthSpare bytes to spare; a failed resize leaves its code in error.
bool Reserve(UHandle h, size_t header, size_t& capacity, size_t position, size_t n, int32& error) {
    if (n <= capacity - position) return true;
    if (n > SIZE_MAX - position - kGrowthSpare - header) {
        error = kErrMemoryFull;
        return false;
    }
    const size_t wanted = position + n + kGrowthSpare;
    const TqErr err = AZSetHandleSize(h, wanted + header);
    if (err != 0) {
        error = err;
        return false;
    }
    capacity = wanted;
    return true;
}

// The reservation rule of the growable sinks when the request does not simply fit; null when nothing may be
// written.
[[gnu::noinline]] uChar* ReserveSlowly(UHandle h, size_t header, size_t& capacity, size_t& position, size_t n,
                                       int32& error, int32& err) {
    if (error != 0 || n == 0) return nullptr;
    if (!h) error = kErrArgument;
    if (error == 0 && Reserve(h, header, capacity, position, n, error)) {
        uChar* p = *h + header + position;
        position += n;
        return p;
    }
    err = error;
    return nullptr;
}

// The common case, a request that fits, stays small enough to need no stack frame.
inline uChar* ReserveInHandle(UHandle h, size_t header, size_t& capacity, size_t& position, size_t n,
                              int32& error, int32& err) {
    err = error;
    size_t at;
    if (h && tq::bindata::TakeFitting(capacity, position, error, n, at)) return *h + header + at;
    return ReserveSlowly(h, header, capacity, position, n, error, err);
}

// Trims the handle to what was written; the caller decides what the handle is then.
bool TrimHandle(UHandle h, size_t header, size_t& capacity, size_t position, int32& error) {
    if (error != 0) return false;
    if (!h) {
        error = kErrArgument;
        return false;
    }
    error = AZSetHandleSize(h, position + header);
    if (error != 0) return false;
    capacity = position;
    return true;
}

}  // namespace

OutputBuf::~OutputBuf() = default;

bool OutputBuf::IsOnlyDeterminingSize() const {
    return false;
}

// ---- Caller memory.
StaticOutputBuf::StaticOutputBuf(void* data, size_t capacity)
    : data_(static_cast<uChar*>(data)), capacity_(data ? capacity : 0) {}

StaticOutputBuf::~StaticOutputBuf() {
    TQ_REPORT_FINAL_ERROR("StaticOutputBuf finished with ", error_);
}

void* StaticOutputBuf::GetDataPointer(size_t n, int32& err) {
    err = error_;
    if (uChar * p; Fit(n, p)) return p;
    // Whatever does not fit is past the end.
    if (error_ == 0 && n != 0) {
        error_ = kErrEndOfData;
        err = error_;
    }
    return nullptr;
}

size_t StaticOutputBuf::GetBytesWritten() const {
    return position_;
}

// ---- A growable plain handle.
HandleOutputBuf::HandleOutputBuf(size_t initial) : handle_(AZNewHandle(initial)) {
    if (handle_)
        capacity_ = initial;
    else
        error_ = kErrMemoryFull;
}

HandleOutputBuf::~HandleOutputBuf() {
    TQ_REPORT_FINAL_ERROR("HandleOutputBuf finished with ", error_);
    AZDisposeHandle(handle_);
}

void* HandleOutputBuf::GetDataPointer(size_t n, int32& err) {
    return ReserveInHandle(handle_, 0, capacity_, position_, n, error_, err);
}

size_t HandleOutputBuf::GetBytesWritten() const {
    return position_;
}

UHandle HandleOutputBuf::GetHandle(int32 release) {
    if (error_ != 0) return nullptr;
    UHandle h = handle_;
    if (!TrimHandle(h, 0, capacity_, position_, error_)) return nullptr;
    if (release) {
        handle_ = nullptr;
        capacity_ = 0;
    }
    return h;
}

// ---- A growable long string.
LStrOutputBuf::LStrOutputBuf(size_t capacity) {
    Allocate(capacity);
}

LStrOutputBuf::LStrOutputBuf(LStrHandle h, size_t capacity) {
    if (!h) {
        Allocate(capacity ? capacity : 4096);
        return;
    }
    handle_ = h;
    if (capacity == 0) {
        const int64 size = AZGetHandleSize(reinterpret_cast<UHandle>(h));
        capacity_ = size > int64(kCountBytes) ? size_t(size) - kCountBytes : 0;
        return;
    }
    error_ = AZSetHandleSize(reinterpret_cast<UHandle>(h), capacity + kCountBytes);
    if (error_ == 0) capacity_ = capacity;
}

LStrOutputBuf::~LStrOutputBuf() {
    TQ_REPORT_FINAL_ERROR("LStrOutputBuf finished with ", error_);
    AZDisposeHandle(reinterpret_cast<UHandle>(handle_));
}

void LStrOutputBuf::Allocate(size_t capacity) {
    handle_ = capacity <= SIZE_MAX - kCountBytes
                  ? reinterpret_cast<LStrHandle>(AZNewHandle(capacity + kCountBytes))
                  : nullptr;
    if (!handle_) {
        error_ = kErrMemoryFull;
        return;
    }
    (*handle_)->cnt = 0;
    capacity_ = capacity;
}

void* LStrOutputBuf::GetDataPointer(size_t n, int32& err) {
    return ReserveInHandle(reinterpret_cast<UHandle>(handle_), kCountBytes, capacity_, position_, n, error_,
                           err);
}

size_t LStrOutputBuf::GetBytesWritten() const {
    return position_;
}

LStrHandle LStrOutputBuf::GetHandle(int32 release) {
    if (error_ != 0) return nullptr;
    LStrHandle h = handle_;
    if (!TrimHandle(reinterpret_cast<UHandle>(h), kCountBytes, capacity_, position_, error_)) return nullptr;
    (*h)->cnt = int32(position_);
    if (release) {
        handle_ = nullptr;
        capacity_ = 0;
    }
    return h;
}

// ---- Counting only.
void* PreflightOutputBuf::GetDataPointer(size_t n, int32& err) {
    err = 0;
    count_ += n;
    return nullptr;
}

size_t PreflightOutputBuf::GetBytesWritten() const {
    return count_;
}

bool PreflightOutputBuf::IsOnlyDeterminingSize() const {
    return true;
}

// ---- Factories.
LStrOutputBuf* CreateLStrOutputBuf(size_t capacity) {
    return new (std::nothrow) LStrOutputBuf(capacity);
}

StaticOutputBuf* CreateStaticOutputBuf(void* data, size_t capacity) {
    return new (std::nothrow) StaticOutputBuf(data, capacity);
}

PreflightOutputBuf* CreatePreflightOutputBuf(void) {
    return new (std::nothrow) PreflightOutputBuf();
}
