// The typed reader: one buffer call per value, converted in place through the endianizer. The fixed-width
// reads are inline in the header; this is where they go when the buffer or the converter is not one they
// know.
#include <cstring>
#include <new>

#include "bindata/ByteOrder.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"
#include "tqcore/paths.h"

using tq::bindata::ToHost;

namespace {

// Counts above this are believed only when that many bytes remain.
constexpr int32 kTrustedCount = 0x200000;

// Null when the reader is or becomes in error; a buffer failure lands in the reader's error at once. Kept
// out of the class so that every typed read inlines it.
inline const void* Fetch(InputBuf* buffer, int32& error, size_t n) {
    if (error != 0) return nullptr;
    return buffer->GetDataPointer(n, error, nullptr, 0);
}

// One value of T's width through the endianizer; 0 when the fetch fails.
template <class T>
inline T ReadValue(InputBuf* buffer, int32& error, const Endianizer* e) {
    const void* p = Fetch(buffer, error, sizeof(T));
    return p ? ToHost<T>(e, p) : T(0);
}

}  // namespace

// Without a buffer or a converter every read fails instead of faulting.
BinDataReader::BinDataReader(InputBuf* buf, const Endianizer* e)
    : endianizer_(e), error_(buf && e ? kErrNone : kErrArgument), buffer_(buf) {}

BinDataReader::~BinDataReader() = default;

void BinDataReader::SetError(TqErr err) {
    if (error_ == 0) error_ = err;
}

TqErr BinDataReader::GetError() {
    if (error_ == 0) buffer_->GetDataPointer(0, error_, nullptr, 0);
    return error_;
}

InputBuf* BinDataReader::GetBuffer() {
    return buffer_;
}

void BinDataReader::Align(size_t a) {
    if (error_ != 0) return;
    if (const size_t pad = tq::bindata::PadTo(buffer_->GetBytesRead(), a)) Skip(pad);
}

uInt64 BinDataReader::ReadSlowly(size_t n, bool convert) {
    const void* p = Fetch(buffer_, error_, n);
    if (!p) return 0;
    if (!convert || n == 1) {
        // As stored, in the low bytes on this little-endian host.
        uInt64 v = 0;
        std::memcpy(&v, p, n);
        return v;
    }
    if (n == 2) return ToHost<uInt16>(endianizer_, p);
    if (n == 4) return ToHost<uInt32>(endianizer_, p);
    return ToHost<uInt64>(endianizer_, p);
}

float80 BinDataReader::ReadFX() {
    float80 x{};
    if (error_ != 0) return x;
    if (const void* p = Fetch(buffer_, error_, endianizer_->ExtSize())) endianizer_->ToNativeExt(p, &x);
    return x;
}

PathRef* BinDataReader::ReadPath() {
    if (error_ != 0) return nullptr;
    PathRef* p = nullptr;
    error_ = FUnFlattenPath2(buffer_, &p, endianizer_);
    if (error_ != 0 && p) PathRef::DisposePath(p);
    return p;
}

void BinDataReader::ReadBytes(void* dst, size_t n) {
    const void* p = Fetch(buffer_, error_, n);
    if (!dst) return;
    if (p)
        std::memcpy(dst, p, n);
    else if (n)
        std::memset(dst, 0, n);
}

void BinDataReader::Skip(size_t n) {
    Fetch(buffer_, error_, n);
}

// A long string's count; kErrBadStreamData for one that cannot be genuine, before anything is allocated.
int32 BinDataReader::ReadCount() {
    const auto count = int32(ReadValue<uInt32>(buffer_, error_, endianizer_));
    if (error_ != 0) return 0;
    const size_t size = buffer_->GetSize(), read = buffer_->GetBytesRead();
    const size_t remaining = size > read ? size - read : 0;
    if (count < 0 || (count > kTrustedCount && size_t(count) > remaining)) error_ = kErrBadStreamData;
    return error_ ? 0 : count;
}

LStrHandle BinDataReader::ReadLStr() {
    const int32 count = ReadCount();
    if (error_ != 0 || count == 0) return nullptr;
    auto h = reinterpret_cast<LStrHandle>(AZNewHandle(uInt64(count) + sizeof(int32)));
    if (!h) {
        error_ = kErrMemoryFull;
        return nullptr;
    }
    (*h)->cnt = count;
    ReadBytes((*h)->str, size_t(count));
    return h;
}

void BinDataReader::ReadLStrAsNarrow(std::string* dst) {
    const int32 count = ReadCount();
    if (!dst) {
        Skip(size_t(count));
        return;
    }
    dst->clear();
    if (error_ != 0 || count == 0) return;
    try {
        dst->resize(size_t(count));
    } catch (const std::bad_alloc&) {
        error_ = kErrMemoryFull;
        return;
    }
    ReadBytes(dst->data(), size_t(count));
}

void BinDataReader::ReadPStr(uChar* dst, size_t a) {
    uChar scratch[256];
    uChar* out = dst ? dst : scratch;
    const uInt8 n = ReadU8();
    out[0] = n;
    ReadBytes(out + 1, n);
    if (const size_t pad = tq::bindata::PadTo(1 + size_t(n), a)) Skip(pad);
}

void BinDataReader::ReadPStrAsNarrow(std::string* dst, size_t a) {
    Str255 s;
    ReadPStr(s, a);
    if (dst) dst->assign(reinterpret_cast<const char*>(s + 1), s[0]);
}
