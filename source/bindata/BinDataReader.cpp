// The typed reader: one buffer call per value, converted in place through the endianizer.
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

}  // namespace

BinDataReader::BinDataReader(InputBuf* buf, const Endianizer* e) : endianizer_(e), buffer_(buf) {}

BinDataReader::~BinDataReader() = default;

// Null when the reader is or becomes in error; a buffer failure lands in error_ at once.
const void* BinDataReader::Fetch(size_t n) {
    if (error_ != 0) return nullptr;
    return buffer_->GetDataPointer(n, error_, nullptr, 0);
}

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
    const size_t pad = tq::bindata::PadTo(buffer_->GetBytesRead(), a);
    if (pad > 0 && error_ == 0) Skip(pad);
}

int8 BinDataReader::ReadI8() {
    return int8(ReadU8());
}

uInt8 BinDataReader::ReadU8() {
    const void* p = Fetch(1);
    return p ? *static_cast<const uInt8*>(p) : 0;
}

int16 BinDataReader::ReadI16() {
    return int16(ReadU16());
}

uInt16 BinDataReader::ReadU16() {
    const void* p = Fetch(2);
    return p ? ToHost<uInt16>(endianizer_, p) : 0;
}

int32 BinDataReader::ReadI32() {
    return int32(ReadU32());
}

uInt32 BinDataReader::ReadU32() {
    const void* p = Fetch(4);
    return p ? ToHost<uInt32>(endianizer_, p) : 0;
}

int64 BinDataReader::ReadI64() {
    return int64(ReadU64());
}

uInt64 BinDataReader::ReadU64() {
    const void* p = Fetch(8);
    return p ? ToHost<uInt64>(endianizer_, p) : 0;
}

int32 BinDataReader::Read4Char() {
    const void* p = Fetch(4);
    return p ? tq::bindata::Load<int32>(p) : 0;
}

float BinDataReader::ReadF32() {
    return std::bit_cast<float>(ReadU32());
}

double BinDataReader::ReadF64() {
    return std::bit_cast<double>(ReadU64());
}

float80 BinDataReader::ReadFX() {
    float80 x{};
    if (error_ != 0) return x;
    if (const void* p = Fetch(endianizer_->ExtSize())) endianizer_->ToNativeExt(p, &x);
    return x;
}

uInt8 BinDataReader::ReadBool() {
    return ReadU8();
}

PathRef* BinDataReader::ReadPath() {
    if (error_ != 0) return nullptr;
    PathRef* p = nullptr;
    error_ = FUnFlattenPath2(buffer_, &p, endianizer_);
    if (error_ != 0 && p) PathRef::DisposePath(p);
    return p;
}

void BinDataReader::ReadBytes(void* dst, size_t n) {
    const void* p = Fetch(n);
    if (!dst) return;
    if (p)
        std::memcpy(dst, p, n);
    else if (n)
        std::memset(dst, 0, n);
}

void BinDataReader::Skip(size_t n) {
    Fetch(n);
}

// A long string's count; kErrBadStreamData for one that cannot be genuine, before anything is allocated.
int32 BinDataReader::ReadCount() {
    const int32 count = ReadI32();
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
