// The typed writer: one buffer call per value, converted in place through the endianizer. The fixed-width
// writes are inline in the header; this is where they go when the sink or the converter is not one they know,
// or the value does not fit without growing.
#define TQ_UNIT "source\\BinDataWriter"

#include <algorithm>
#include <cstring>

#include "bindata/ByteOrder.h"
#include "bindata/FinalError.h"
#include "tqcore/core.h"
#include "tqcore/paths.h"

using tq::bindata::FromHost;

namespace {

// Reserves n bytes; true when the value counts as written. *where is null for a sink that only counts. Kept
// out of the class so that every typed write inlines it.
inline bool Reserve(OutputBuf* buffer, int32& error, size_t n, void** where) {
    *where = nullptr;
    if (error != 0) return false;
    if (!buffer) {
        error = kErrArgument;
        return false;
    }
    *where = buffer->GetDataPointer(n, error);
    return error == 0;
}

// One value of T's width through the endianizer.
template <class T>
inline uInt32 WriteValue(OutputBuf* buffer, int32& error, const Endianizer* e, T v) {
    void* p;
    if (!Reserve(buffer, error, sizeof v, &p)) return 0;
    if (p) FromHost(e, v, p);
    return sizeof v;
}

}  // namespace

// Without a buffer or a converter every write fails instead of faulting.
BinDataWriter::BinDataWriter(OutputBuf* buf, const Endianizer* e)
    : endianizer_(e), error_(buf && e ? kErrNone : kErrArgument), buffer_(buf) {}

BinDataWriter::~BinDataWriter() {
    TQ_REPORT_FINAL_ERROR("BinDataWriter finished with ", error_);
}

TqErr BinDataWriter::GetError() {
    if (error_ == 0 && buffer_) buffer_->GetDataPointer(0, error_);
    return error_;
}

OutputBuf* BinDataWriter::GetBuffer() {
    return buffer_;
}

OutputBuf* BinDataWriter::SetBuffer(OutputBuf* buf) {
    OutputBuf* previous = buffer_;
    buffer_ = buf;
    return previous;
}

size_t BinDataWriter::Align(size_t a) {
    if (error_ != 0 || !buffer_) return 0;
    const size_t pad = tq::bindata::PadTo(buffer_->GetBytesWritten(), a);
    return pad ? WriteBytes(nullptr, pad) : 0;
}

uInt32 BinDataWriter::WriteSlowly(uInt64 v, size_t n, bool convert) {
    // As it is in memory: the low bytes of v on this little-endian host.
    if (!convert || n == 1) return BinDataWriter::WriteBytes(&v, n);
    if (n == 2) return WriteValue(buffer_, error_, endianizer_, uInt16(v));
    if (n == 4) return WriteValue(buffer_, error_, endianizer_, uInt32(v));
    return WriteValue(buffer_, error_, endianizer_, v);
}

uInt32 BinDataWriter::WriteFX(float80 v) {
    const size_t n = endianizer_->ExtSize();
    void* p;
    if (!Reserve(buffer_, error_, n, &p)) return 0;
    if (p) endianizer_->FromNativeExt(&v, p);
    return uInt32(n);
}

uInt32 BinDataWriter::WritePath(const PathRef* p) {
    return FFlattenPath2(p, buffer_, endianizer_);
}

// A null source writes zeros.
uInt32 BinDataWriter::WriteBytes(const void* src, size_t n) {
    void* p;
    if (!Reserve(buffer_, error_, n, &p)) return 0;
    if (p) {
        if (src)
            std::memcpy(p, src, n);
        else
            std::memset(p, 0, n);
    }
    return uInt32(n);
}

// Count byte, characters and padding in one reservation.
uInt32 BinDataWriter::WritePascal(const uChar* chars, size_t count, size_t a) {
    const size_t total = 1 + count + tq::bindata::PadTo(1 + count, a);
    void* p;
    if (!Reserve(buffer_, error_, total, &p)) return 0;
    if (p) {
        auto* out = static_cast<uChar*>(p);
        out[0] = uChar(count);
        if (count) std::memcpy(out + 1, chars, count);
        std::memset(out + 1 + count, 0, total - 1 - count);
    }
    return uInt32(total);
}

uInt32 BinDataWriter::WritePStr(ConstPStr s, size_t a) {
    return s ? WritePascal(s + 1, s[0], a) : 0;
}

uInt32 BinDataWriter::WritePStrFromNarrow(const std::string& s, size_t a) {
    return WritePascal(reinterpret_cast<const uChar*>(s.data()), std::min<size_t>(s.size(), 255), a);
}

// Count and characters in one reservation.
uInt32 BinDataWriter::WriteLong(const void* chars, int32 count) {
    const size_t total = sizeof(int32) + size_t(count);
    void* p;
    if (!Reserve(buffer_, error_, total, &p)) return 0;
    if (p) {
        FromHost(endianizer_, uInt32(count), p);
        if (count) std::memcpy(static_cast<uChar*>(p) + sizeof(int32), chars, size_t(count));
    }
    return uInt32(total);
}

// A negative count cannot be a string: it is written as the empty string.
uInt32 BinDataWriter::WriteLStr(const LStr* s) {
    return s && s->cnt > 0 ? WriteLong(s->str, s->cnt) : WriteLong(nullptr, 0);
}

uInt32 BinDataWriter::WriteLStrFromNarrow(const std::string& s) {
    // A string longer than a count can say is refused rather than written with a wrapped count.
    if (s.size() > size_t(INT32_MAX - sizeof(int32))) {
        if (error_ == 0) error_ = kErrArgument;
        return 0;
    }
    return WriteLong(s.data(), int32(s.size()));
}
