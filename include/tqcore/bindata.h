// tqcore/bindata.h - byte-order converters, byte sources and sinks, and the typed binary reader and writer.
// Threading: buffers, readers and writers are used by one thread at a time; the three process-wide
// endianizers are immutable and may be shared by every thread.
#pragma once

#include "tqcore/numerics.h"
#include "tqcore/types.h"

#ifdef __cplusplus
#include <bit>
#include <cstring>
#include <string>
#include <typeinfo>

class PathRef;

// Converts between stored bytes and host values. Every pointer may be unaligned. The host's extended value
// is the 10-byte float80; its stored form is ExtSize() bytes.
class TQ_API Endianizer {
  public:
    virtual ~Endianizer();
    virtual uInt16 Get16(const void* src) const = 0;
    virtual uInt32 Get32(const void* src) const = 0;
    virtual void ToNative16(const void* src, void* dst) const = 0;
    virtual void ToNative32(const void* src, void* dst) const = 0;
    virtual void ToNative64(const void* src, void* dst) const = 0;
    virtual void ToNativeExt(const void* src, float80* dst) const = 0;
    virtual void ToNative128(const void* src, void* dst) const = 0;
    virtual void FromNative16(const void* src, void* dst) const = 0;
    virtual void FromNative32(const void* src, void* dst) const = 0;
    virtual void FromNative64(const void* src, void* dst) const = 0;
    virtual void FromNativeExt(const float80* src, void* dst) const = 0;
    virtual void FromNative128(const void* src, void* dst) const = 0;
    virtual size_t ExtSize() const = 0;
    virtual bool IsSwapping() const = 0;
};

// Little-endian storage; extended values as the 16-byte standard form, least significant byte first.
class TQ_API _NonSwappingEndianizer : public Endianizer {
  public:
    ~_NonSwappingEndianizer() override;
    uInt16 Get16(const void* src) const override;
    uInt32 Get32(const void* src) const override;
    void ToNative16(const void* src, void* dst) const override;
    void ToNative32(const void* src, void* dst) const override;
    void ToNative64(const void* src, void* dst) const override;
    void ToNativeExt(const void* src, float80* dst) const override;
    void ToNative128(const void* src, void* dst) const override;
    void FromNative16(const void* src, void* dst) const override;
    void FromNative32(const void* src, void* dst) const override;
    void FromNative64(const void* src, void* dst) const override;
    void FromNativeExt(const float80* src, void* dst) const override;
    void FromNative128(const void* src, void* dst) const override;
    size_t ExtSize() const override;
    bool IsSwapping() const override;
};

// Big-endian storage; extended values as the 16-byte standard form as is.
class TQ_API _SwappingEndianizer : public Endianizer {
  public:
    ~_SwappingEndianizer() override;
    uInt16 Get16(const void* src) const override;
    uInt32 Get32(const void* src) const override;
    void ToNative16(const void* src, void* dst) const override;
    void ToNative32(const void* src, void* dst) const override;
    void ToNative64(const void* src, void* dst) const override;
    void ToNativeExt(const void* src, float80* dst) const override;
    void ToNative128(const void* src, void* dst) const override;
    void FromNative16(const void* src, void* dst) const override;
    void FromNative32(const void* src, void* dst) const override;
    void FromNative64(const void* src, void* dst) const override;
    void FromNativeExt(const float80* src, void* dst) const override;
    void FromNative128(const void* src, void* dst) const override;
    size_t ExtSize() const override;
    bool IsSwapping() const override;
};

// Host order throughout; extended values as their 10 raw bytes.
class TQ_API _NativeEndianizer : public _NonSwappingEndianizer {
  public:
    ~_NativeEndianizer() override;
    void ToNativeExt(const void* src, float80* dst) const override;
    void FromNativeExt(const float80* src, void* dst) const override;
    size_t ExtSize() const override;
};

namespace tq::bindata {

// Unaligned loads and stores in host order, and byte reversal.
template <class T>
inline T Load(const void* src) {
    T v;
    std::memcpy(&v, src, sizeof v);
    return v;
}

template <class T>
inline void Store(void* dst, T v) {
    std::memcpy(dst, &v, sizeof v);
}

inline uInt8 Reverse(uInt8 v) {
    return v;
}
inline uInt16 Reverse(uInt16 v) {
    return __builtin_bswap16(v);
}
inline uInt32 Reverse(uInt32 v) {
    return __builtin_bswap32(v);
}
inline uInt64 Reverse(uInt64 v) {
    return __builtin_bswap64(v);
}

enum class Order { kReversed, kHost, kOther };

// What the library's own converter classes do to integers and plain floats, so the typed reader and writer
// can convert without a call. Any other class (a caller's subclass too) is kOther and is always asked.
inline Order ClassOrder(const Endianizer& e) {
    const std::type_info* t = &typeid(e);
    if (t == &typeid(_SwappingEndianizer)) return Order::kReversed;
    if (t == &typeid(_NonSwappingEndianizer) || t == &typeid(_NativeEndianizer)) return Order::kHost;
    return Order::kOther;
}

// The common case of every buffer's GetDataPointer: n > 0 bytes that fit after position, with no error. Then
// at receives their offset and position moves past them; otherwise nothing changes.
inline bool TakeFitting(size_t size, size_t& position, int32 error, size_t n, size_t& at) {
    if (error != 0 || n - 1 >= size - position) return false;
    at = position;
    position += n;
    return true;
}

}  // namespace tq::bindata

// ---- Byte sources.
class TQ_API InputBuf {
  public:
    // The single access primitive: err receives the buffer's error; returns the current position and
    // advances by n (unless peek). Without got, too few bytes is kErrEndOfData; with got, whatever remains is
    // handed out and its count stored there. n = 0 only fetches the error.
    virtual const void* GetDataPointer(size_t n, int32& err, size_t* got = nullptr, int32 peek = 0) = 0;
    virtual size_t GetBytesRead() const = 0;
    // 0 while in error.
    virtual size_t GetSize() const = 0;
    virtual ~InputBuf();
};

// Caller memory, not owned.
class TQ_API MemInputBuf : public InputBuf {
  public:
    MemInputBuf(const void* data, size_t size);
    ~MemInputBuf() override;
    const void* GetDataPointer(size_t n, int32& err, size_t* got = nullptr, int32 peek = 0) override;
    size_t GetBytesRead() const override;
    size_t GetSize() const override;

  private:
    friend class BinDataReader;
    // A plain read that fits, or null: what GetDataPointer does then, without the call.
    bool Fit(size_t n, const uChar*& p) {
        size_t at;
        if (!tq::bindata::TakeFitting(size_, position_, error_, n, at)) return false;
        p = data_ + at;
        return true;
    }

    int32 error_ = 0;
    const uChar* data_;
    size_t size_;
    size_t position_ = 0;
};

// A long string it owns; the constructor takes the caller's handle and nulls the variable.
class TQ_API LStrInputBuf : public InputBuf {
  public:
    explicit LStrInputBuf(LStrHandle& h);
    ~LStrInputBuf() override;
    const void* GetDataPointer(size_t n, int32& err, size_t* got = nullptr, int32 peek = 0) override;
    size_t GetBytesRead() const override;
    size_t GetSize() const override;
    // Hands the handle back; later reads fail with kErrArgument.
    LStrHandle ReleaseOwnership();

  private:
    LStrHandle handle_;
    int32 error_ = 0;
    size_t position_ = 0;
};

// ---- Byte sinks.
class TQ_API OutputBuf {
  public:
    virtual ~OutputBuf();
    // Reserves n bytes and returns where to store them, valid until the next call (a handle may move).
    virtual void* GetDataPointer(size_t n, int32& err) = 0;
    virtual size_t GetBytesWritten() const = 0;
    virtual bool IsOnlyDeterminingSize() const;
};

// Caller memory of fixed capacity.
class TQ_API StaticOutputBuf : public OutputBuf {
  public:
    StaticOutputBuf(void* data, size_t capacity);
    ~StaticOutputBuf() override;
    void* GetDataPointer(size_t n, int32& err) override;
    size_t GetBytesWritten() const override;

  private:
    friend class BinDataWriter;
    // A reservation that fits, or null: what GetDataPointer does then, without the call.
    bool Fit(size_t n, uChar*& p) {
        size_t at;
        if (!tq::bindata::TakeFitting(capacity_, position_, error_, n, at)) return false;
        p = data_ + at;
        return true;
    }

    int32 error_ = 0;
    uChar* data_;
    size_t capacity_;
    size_t position_ = 0;
};

// A growable plain handle it owns.
class TQ_API HandleOutputBuf : public OutputBuf {
  public:
    explicit HandleOutputBuf(size_t initial = 4096);
    ~HandleOutputBuf() override;
    void* GetDataPointer(size_t n, int32& err) override;
    size_t GetBytesWritten() const override;
    // Trims the handle to the bytes written; with release non-zero the caller owns it from then on.
    UHandle GetHandle(int32 release);

  private:
    friend class BinDataWriter;
    // A reservation that fits without growing, or null: what GetDataPointer does then, without the call.
    bool Fit(size_t n, uChar*& p) {
        size_t at;
        if (!handle_ || !tq::bindata::TakeFitting(capacity_, position_, error_, n, at)) return false;
        p = *handle_ + at;
        return true;
    }

    int32 error_ = 0;
    UHandle handle_;
    size_t capacity_ = 0;
    size_t position_ = 0;
};

// A growable long string it owns; the bytes go after the count.
class TQ_API LStrOutputBuf : public OutputBuf {
  public:
    explicit LStrOutputBuf(size_t capacity = 4096);
    // Null h: a new handle (capacity 0 means 4096). Otherwise adopts h, sized to capacity when it is
    // non-zero; writing starts at the front whatever h held.
    LStrOutputBuf(LStrHandle h, size_t capacity);
    ~LStrOutputBuf() override;
    void* GetDataPointer(size_t n, int32& err) override;
    size_t GetBytesWritten() const override;
    // Trims the handle to the bytes written and sets its count; with release non-zero the caller owns it.
    LStrHandle GetHandle(int32 release);

  private:
    friend class BinDataWriter;
    // A reservation that fits without growing, or null: what GetDataPointer does then, without the call.
    bool Fit(size_t n, uChar*& p) {
        size_t at;
        if (!handle_ || !tq::bindata::TakeFitting(capacity_, position_, error_, n, at)) return false;
        p = (*handle_)->str + at;
        return true;
    }
    void Allocate(size_t capacity);

    int32 error_ = 0;
    LStrHandle handle_ = nullptr;
    size_t capacity_ = 0;
    size_t position_ = 0;
};

// Stores nothing, counts what would be written.
class TQ_API PreflightOutputBuf : public OutputBuf {
  public:
    PreflightOutputBuf() = default;
    void* GetDataPointer(size_t n, int32& err) override;
    size_t GetBytesWritten() const override;
    bool IsOnlyDeterminingSize() const override;

  private:
    size_t count_ = 0;
};

// ---- Typed reader and writer. Neither owns its buffer or endianizer; errors are sticky (the first wins).
class TQ_API BinDataReader {
  public:
    BinDataReader(InputBuf* buf, const Endianizer* e);
    // Skips to the next multiple of a (a >= 1) counted from the start of the buffer.
    virtual void Align(size_t a);
    virtual InputBuf* GetBuffer();
    virtual TqErr GetError();
    // The fixed-width reads are inline: from the library's memory source, with the library's converters,
    // they need no call; otherwise they take the same path through the buffer and the converter.
    virtual int8 ReadI8() { return int8(Read<uInt8, false>()); }
    virtual uInt8 ReadU8() { return Read<uInt8, false>(); }
    virtual int16 ReadI16() { return int16(Read<uInt16, true>()); }
    virtual uInt16 ReadU16() { return Read<uInt16, true>(); }
    virtual int32 ReadI32() { return int32(Read<uInt32, true>()); }
    virtual uInt32 ReadU32() { return Read<uInt32, true>(); }
    virtual int64 ReadI64() { return int64(Read<uInt64, true>()); }
    virtual uInt64 ReadU64() { return Read<uInt64, true>(); }
    // The four bytes in stream order, never converted.
    virtual int32 Read4Char() { return int32(Read<uInt32, false>()); }
    virtual float ReadF32() { return std::bit_cast<float>(Read<uInt32, true>()); }
    virtual double ReadF64() { return std::bit_cast<double>(Read<uInt64, true>()); }
    virtual float80 ReadFX();
    // The byte as stored: booleans are not normalised.
    virtual uInt8 ReadBool() { return Read<uInt8, false>(); }
    // A new path the caller owns, or null.
    virtual PathRef* ReadPath();
    // dst holds 256 bytes; a >= 1 is the alignment of the whole string.
    virtual void ReadPStr(uChar* dst, size_t a);
    virtual void ReadPStrAsNarrow(std::string* dst, size_t a);
    virtual void ReadLStrAsNarrow(std::string* dst);
    // Null for an empty string or an error; otherwise a handle the caller owns (check GetError).
    virtual LStrHandle ReadLStr();
    // A null dst consumes without copying; on failure dst is zero-filled.
    virtual void ReadBytes(void* dst, size_t n);
    virtual void Skip(size_t n);
    virtual ~BinDataReader();
    void SetError(TqErr err);

  private:
    // Bytes straight from a MemInputBuf when they are there; false sends the read the general way.
    bool Fit(size_t n, const uChar*& p) {
        return &typeid(*buffer_) == &typeid(MemInputBuf) && static_cast<MemInputBuf*>(buffer_)->Fit(n, p);
    }
    template <class T, bool kConvert>
    T Read() {
        using tq::bindata::Order;
        if (error_ == 0) {
            const uChar* p;
            switch (kConvert ? tq::bindata::ClassOrder(*endianizer_) : Order::kHost) {
                case Order::kReversed:
                    if (Fit(sizeof(T), p)) return tq::bindata::Reverse(tq::bindata::Load<T>(p));
                    break;
                case Order::kHost:
                    if (Fit(sizeof(T), p)) return tq::bindata::Load<T>(p);
                    break;
                case Order::kOther:
                    break;
            }
        }
        return T(ReadSlowly(sizeof(T), kConvert));
    }
    // One value of n bytes (1, 2, 4 or 8) through the buffer's GetDataPointer and, when convert is set, the
    // endianizer; zero when the read fails.
    [[gnu::cold]] uInt64 ReadSlowly(size_t n, bool convert);
    int32 ReadCount();

    const Endianizer* endianizer_;
    int32 error_ = 0;
    InputBuf* buffer_;
};

class TQ_API BinDataWriter {
  public:
    BinDataWriter(OutputBuf* buf, const Endianizer* e);
    // Each write returns the bytes its value occupies in the stream, 0 when in error.
    virtual TqErr GetError();
    virtual OutputBuf* GetBuffer();
    // Returns the previous buffer; the error is kept.
    virtual OutputBuf* SetBuffer(OutputBuf* buf);
    // Zero bytes up to the next multiple of a (a >= 1); returns their count.
    virtual size_t Align(size_t a);
    // The fixed-width writes are inline: into the library's in-memory sinks, with the library's converters,
    // they need no call while the value fits; otherwise they take the same path through the buffer and the
    // converter.
    virtual uInt32 WriteI8(int8 v) { return Write<uInt8, false>(uInt8(v)); }
    virtual uInt32 WriteU8(uInt8 v) { return Write<uInt8, false>(v); }
    virtual uInt32 WriteI16(int16 v) { return Write<uInt16, true>(uInt16(v)); }
    virtual uInt32 WriteU16(uInt16 v) { return Write<uInt16, true>(v); }
    virtual uInt32 WriteI32(int32 v) { return Write<uInt32, true>(uInt32(v)); }
    virtual uInt32 WriteU32(uInt32 v) { return Write<uInt32, true>(v); }
    virtual uInt32 WriteI64(int64 v) { return Write<uInt64, true>(uInt64(v)); }
    virtual uInt32 WriteU64(uInt64 v) { return Write<uInt64, true>(v); }
    // The four bytes in memory order, never converted.
    virtual uInt32 Write4Char(int32 v) { return Write<uInt32, false>(uInt32(v)); }
    virtual uInt32 WriteF32(float v) { return Write<uInt32, true>(std::bit_cast<uInt32>(v)); }
    virtual uInt32 WriteF64(double v) { return Write<uInt64, true>(std::bit_cast<uInt64>(v)); }
    virtual uInt32 WriteFX(float80 v);
    virtual uInt32 WriteBool(uInt8 v) { return Write<uInt8, false>(v); }
    // The flattened path's byte count; the writer's error is neither consulted nor set.
    virtual uInt32 WritePath(const PathRef* p);
    // Null writes nothing; otherwise the count byte, the characters and zeros up to a multiple of a.
    virtual uInt32 WritePStr(ConstPStr s, size_t a);
    virtual uInt32 WritePStrFromNarrow(const std::string& s, size_t a);
    virtual uInt32 WriteLStrFromNarrow(const std::string& s);
    // Null writes an empty string.
    virtual uInt32 WriteLStr(const LStr* s);
    virtual uInt32 WriteBytes(const void* src, size_t n);
    virtual ~BinDataWriter();

  private:
    // Stores v straight into one of the library's in-memory sinks when it fits without growing; false sends
    // the write the general way.
    template <class T>
    bool Put(T v) {
        const std::type_info* t = &typeid(*buffer_);
        uChar* p;
        if (t == &typeid(HandleOutputBuf)) {
            if (!static_cast<HandleOutputBuf*>(buffer_)->Fit(sizeof v, p)) return false;
        } else if (t == &typeid(StaticOutputBuf)) {
            if (!static_cast<StaticOutputBuf*>(buffer_)->Fit(sizeof v, p)) return false;
        } else if (t == &typeid(LStrOutputBuf)) {
            if (!static_cast<LStrOutputBuf*>(buffer_)->Fit(sizeof v, p)) return false;
        } else {
            return false;
        }
        tq::bindata::Store(p, v);
        return true;
    }
    template <class T, bool kConvert>
    uInt32 Write(T v) {
        using tq::bindata::Order;
        if (error_ == 0 && buffer_) {
            switch (kConvert ? tq::bindata::ClassOrder(*endianizer_) : Order::kHost) {
                case Order::kReversed:
                    if (Put(tq::bindata::Reverse(v))) return sizeof v;
                    break;
                case Order::kHost:
                    if (Put(v)) return sizeof v;
                    break;
                case Order::kOther:
                    break;
            }
        }
        return WriteSlowly(v, sizeof v, kConvert);
    }
    // One value of n bytes (1, 2, 4 or 8, the low bytes of v) through the buffer's GetDataPointer and, when
    // convert is set, the endianizer.
    [[gnu::cold]] uInt32 WriteSlowly(uInt64 v, size_t n, bool convert);
    uInt32 WritePascal(const uChar* chars, size_t count, size_t a);
    uInt32 WriteLong(const void* chars, int32 count);

    const Endianizer* endianizer_;
    int32 error_ = 0;
    OutputBuf* buffer_;
};

TQ_EXTERN_C_BEGIN
#else
typedef struct Endianizer Endianizer;
typedef struct MemInputBuf MemInputBuf;
typedef struct LStrInputBuf LStrInputBuf;
typedef struct LStrOutputBuf LStrOutputBuf;
typedef struct StaticOutputBuf StaticOutputBuf;
typedef struct PreflightOutputBuf PreflightOutputBuf;
#endif

// The three process-wide converters: big-endian (swapping), little-endian and native. Never delete them.
TQ_API const Endianizer* BigEndianizer(void);
TQ_API const Endianizer* LittleEndianizer(void);
TQ_API const Endianizer* NativeEndianizer(void);

// Factories: null when the object cannot be allocated; delete the result through its virtual destructor.
TQ_API MemInputBuf* CreateMemInputBuf(const void* data, size_t size);
// Takes *h as the constructor does (a null h gives a buffer in error kErrArgument).
TQ_API LStrInputBuf* CreateLStrInputBuf(LStrHandle* h);
TQ_API LStrOutputBuf* CreateLStrOutputBuf(size_t capacity);
TQ_API StaticOutputBuf* CreateStaticOutputBuf(void* data, size_t capacity);
TQ_API PreflightOutputBuf* CreatePreflightOutputBuf(void);

#ifdef __cplusplus
TQ_EXTERN_C_END
#endif
