// Byte sources over caller memory and over an owned long string.
#define TQ_UNIT "source\\InputBuf"

#include <new>

#include "bindata/FinalError.h"
#include "tqcore/bindata.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

namespace {

// The one access rule of every source over `size` bytes at `data`, with the source's position and error.
[[gnu::noinline]] const void* TakeSlowly(const uChar* data, size_t size, size_t& position, int32& error,
                                         size_t n, int32& err, size_t* got, int32 peek) {
    err = error;
    if (got) *got = 0;
    if (error != 0 || n == 0) return nullptr;
    const size_t remaining = size - position;
    if (n <= remaining) {
        if (!peek) position += n;
        if (got) *got = n;
        return data + position - (peek ? 0 : n);
    }
    if (!got) {
        error = kErrEndOfData;
        err = error;
        return nullptr;
    }
    if (remaining == 0) return nullptr;
    const uChar* p = data + position;
    if (!peek) position = size;
    *got = remaining;
    return p;
}

// The common case, a plain read that fits, stays small enough to need no stack frame.
inline const void* Take(const uChar* data, size_t size, size_t& position, int32& error, size_t n, int32& err,
                        size_t* got, int32 peek) {
    if (!got && !peek) {
        size_t at;
        if (tq::bindata::TakeFitting(size, position, error, n, at)) {
            err = 0;
            return data + at;
        }
    }
    return TakeSlowly(data, size, position, error, n, err, got, peek);
}

}  // namespace

InputBuf::~InputBuf() = default;

// ---- Caller memory.
MemInputBuf::MemInputBuf(const void* data, size_t size)
    : data_(size ? static_cast<const uChar*>(data) : nullptr), size_(data ? size : 0) {}

MemInputBuf::~MemInputBuf() {
    TQ_REPORT_FINAL_ERROR("MemInputBuf finished with ", error_);
}

const void* MemInputBuf::GetDataPointer(size_t n, int32& err, size_t* got, int32 peek) {
    return Take(data_, size_, position_, error_, n, err, got, peek);
}

size_t MemInputBuf::GetBytesRead() const {
    return position_;
}

size_t MemInputBuf::GetSize() const {
    return error_ ? 0 : size_;
}

// ---- An owned long string.
LStrInputBuf::LStrInputBuf(LStrHandle& h) : handle_(h) {
    h = nullptr;
    if (!handle_) error_ = kErrArgument;
}

LStrInputBuf::~LStrInputBuf() {
    TQ_REPORT_FINAL_ERROR("LStrInputBuf finished with ", error_);
    AZDisposeHandle(reinterpret_cast<UHandle>(handle_));
}

// The count is re-read on every call: the owner of the bytes may have changed them.
const void* LStrInputBuf::GetDataPointer(size_t n, int32& err, size_t* got, int32 peek) {
    // Without a handle the error is already kErrArgument.
    if (!handle_) return Take(nullptr, 0, position_, error_, n, err, got, peek);
    const int32 count = (*handle_)->cnt;
    const size_t size = count > 0 ? size_t(count) : 0;
    // A count that shrank below the position leaves nothing to read.
    if (position_ > size) position_ = size;
    return Take((*handle_)->str, size, position_, error_, n, err, got, peek);
}

size_t LStrInputBuf::GetBytesRead() const {
    return position_;
}

size_t LStrInputBuf::GetSize() const {
    if (error_ || !handle_) return 0;
    const int32 count = (*handle_)->cnt;
    return count > 0 ? size_t(count) : 0;
}

LStrHandle LStrInputBuf::ReleaseOwnership() {
    LStrHandle h = handle_;
    handle_ = nullptr;
    error_ = kErrArgument;
    return h;
}

// ---- Factories.
MemInputBuf* CreateMemInputBuf(const void* data, size_t size) {
    return new (std::nothrow) MemInputBuf(data, size);
}

LStrInputBuf* CreateLStrInputBuf(LStrHandle* h) {
    LStrHandle none = nullptr;
    LStrHandle& variable = h ? *h : none;
    return new (std::nothrow) LStrInputBuf(variable);
}
