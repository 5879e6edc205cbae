// tqcore/bindata.h - byte-order converters, byte sources and sinks, and the typed binary reader and writer.
// Threading: buffers, readers and writers are used by one thread at a time; the three process-wide
// endianizers are immutable and may be shared by every thread.
#pragma once

#include "tqcore/numerics.h"
#include "tqcore/types.h"

#ifdef __cplusplus
#include <string>

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
    virtual int8 ReadI8();
    virtual uInt8 ReadU8();
    virtual int16 ReadI16();
    virtual uInt16 ReadU16();
    virtual int32 ReadI32();
    virtual uInt32 ReadU32();
    virtual int64 ReadI64();
    virtual uInt64 ReadU64();
    virtual int32 Read4Char();
    virtual float ReadF32();
    virtual double ReadF64();
    virtual float80 ReadFX();
    // The byte as stored: booleans are not normalised.
    virtual uInt8 ReadBool();
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
    virtual uInt32 WriteI8(int8 v);
    virtual uInt32 WriteU8(uInt8 v);
    virtual uInt32 WriteI16(int16 v);
    virtual uInt32 WriteU16(uInt16 v);
    virtual uInt32 WriteI32(int32 v);
    virtual uInt32 WriteU32(uInt32 v);
    virtual uInt32 WriteI64(int64 v);
    virtual uInt32 WriteU64(uInt64 v);
    // The four bytes in memory order, never converted.
    virtual uInt32 Write4Char(int32 v);
    virtual uInt32 WriteF32(float v);
    virtual uInt32 WriteF64(double v);
    virtual uInt32 WriteFX(float80 v);
    virtual uInt32 WriteBool(uInt8 v);
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
