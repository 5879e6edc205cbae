// tqcore/diagnostics.h - debug streams, the debug-output handler, memory dumps and the event-logging calls.
// Any thread may build and process streams at once; set the handler during start-up.
#pragma once

#include "tqcore/types.h"

// 0 (note) to 4 (fatal). Level 3 and above break into an attached debugger.
typedef int32 DebugOutputLevel;

enum TQ_ENUM_TYPE(DebugOutputLevel) {
    kDbgNote = 0,
    kDbgWarn = 1,
    kDbgError = 2,
    kDbgBroken = 3,
    kDbgFatal = 4,
};

typedef void (*DebugOutputHandler)(const char* file, int32 line, const char* revision, DebugOutputLevel level,
                                   uInt32 siteId, const char* message);

TQ_EXTERN_C_BEGIN
// The installed handler receives every processed message and nothing else happens; null restores the default.
TQ_API void DebugOutputSetHandler(DebugOutputHandler handler);
TQ_API DebugOutputHandler DebugOutputGetHandler(void);
// The delivery step: the handler if installed, else count, break at level >= 3, die at level 4.
TQ_API void DebugOutputCallHandler(const char* file, int32 line, const char* revision, DebugOutputLevel level,
                                   uInt32 siteId, const char* message);
// Per-level event counters of the default delivery; levels outside 0..4 count nowhere and read 0.
TQ_API int32 DebugOutputGetNumEvents(DebugOutputLevel level);
TQ_API void DebugOutputIncrementEventCount(DebugOutputLevel level);
TQ_API void DebugOutputResetNumEvents(void);
// Writes the message (as UTF-16 where the OS wants it) to the debugger output, then breaks if one is
// attached.
TQ_API void DebugOutputCoreBreak(const char* message);
// Ends the process with exit code 1.
TQ_API void DebugOutputCoreDie(void);

// 1 when the printf format holds exactly one conversion ("%%" does not count), else 0 (also for null or "").
TQ_API int32 VerifySingleFormatSpecifier(const char* format);
// Writes the message to the debugger output, breaks if a debugger is attached, then reports
// "StopHere: <message>" at level 0. A null message adds nothing after the prefix.
TQ_API void StopHere(const char* message);
// Reports a hex dump of `count` bytes at level 0, one message per 16 bytes; bytes that cannot be read show
// as "??". Never faults, whatever the address.
TQ_API void DumpSomeMemory(const void* address, int32 count);

// Event logging is not available on this platform: these calls exist for callers and do nothing.
TQ_API TqErr InitEventLoggingMgr(void);
TQ_API void UnInitEventLoggingMgr(void);
TQ_API void EventLoggingEnable(Bool32 enable);
TQ_API void EventLoggingConfigure(uInt32 flags, uInt32 bufferSize);
TQ_API void EventLoggingSetFlags(uInt32 flags, uInt32 mask);
TQ_API void EventLoggingClearLog(void);
TQ_API void EventLoggingEnumerateThreads(void);
TQ_API void EventLoggingLogUserBuffer(const void* buffer, int32 size);
TQ_API void EventLoggingLogUserEvent(uInt32 eventId, uInt32 data);
// Store 0 in each non-null output (the last through the pointer it holds) and return 0.
TQ_API int32 EventLoggingGetFlags(uInt32* flags, uInt32* mask);
TQ_API int32 EventLoggingEnumLogEntry(int32 entry, uInt32* o1, uInt32* o2, uInt32* o3, uInt32* o4, uInt32* o5,
                                      uInt32** o6);
TQ_EXTERN_C_END

#ifdef __cplusplus
#include <type_traits>

// A message under construction. Built on the caller's stack; Process() delivers it.
class TQ_API DebugStream {
  public:
    static constexpr int32 kBufferSize = 2048;

    DebugStream(const char* file, int32 line, const char* revision, DebugOutputLevel level);
    // Gives the buffer back without delivering when Process() was not called.
    ~DebugStream();
    DebugStream(const DebugStream&) = delete;
    DebugStream& operator=(const DebugStream&) = delete;

    // Appends while room remains (2,047 characters); the excess is dropped and the text stays terminated.
    void Append(char c);
    void Append(const char* text);
    void Append(const char* begin, const char* end);
    // Delivers the message and gives the buffer back; later appends and calls do nothing.
    void Process();

    void SetSiteId(uInt32 id) { siteId_ = id; }
    uInt32 SiteId() const { return siteId_; }
    DebugOutputLevel Level() const { return level_; }
    const char* File() const { return file_; }
    int32 Line() const { return line_; }
    const char* Revision() const { return revision_; }
    // The message so far, NUL-terminated.
    const char* Text() const { return buffer_ ? buffer_ : ""; }
    // Whether the buffer came from the pool (false: from the heap).
    bool UsesPoolBuffer() const { return poolSlot_ != nullptr; }

  private:
    void ReleaseBuffer();

    const char* file_;
    int32 line_;
    const char* revision_;
    DebugOutputLevel level_;
    uInt32 siteId_ = 0;
    char* buffer_ = nullptr;
    char* pos_ = nullptr;
    char* end_ = nullptr;
    void* poolSlot_ = nullptr;
};

// A value wrapped for a particular rendering.
class TQ_API DbgFmtToDebugStream {
  public:
    virtual void ToDebugStream(DebugStream& s) const = 0;
    virtual ~DbgFmtToDebugStream() = default;
};

// A NUL-terminated string; null appends nothing.
class TQ_API DbgFmtCStr : public DbgFmtToDebugStream {
  public:
    explicit DbgFmtCStr(const char* text) : text_(text) {}
    void ToDebugStream(DebugStream& s) const override;

  private:
    const char* text_;
};

// A Pascal string's bytes; null or empty appends nothing.
class TQ_API DbgFmtPStr : public DbgFmtToDebugStream {
  public:
    explicit DbgFmtPStr(ConstPStr text) : text_(text) {}
    void ToDebugStream(DebugStream& s) const override;

  private:
    ConstPStr text_;
};

// An address as a 64-bit value, by default "0x" and 16 hex digits.
class TQ_API DbgFmtPtr : public DbgFmtToDebugStream {
  public:
    explicit DbgFmtPtr(const void* p, const char* format = "0x%016I64x") : p_(p), format_(format) {}
    void ToDebugStream(DebugStream& s) const override;

  private:
    const void* p_;
    const char* format_;
};

// A four-character code as its four bytes in memory order; control bytes show as spaces.
class TQ_API DbgFmtQuadChar : public DbgFmtToDebugStream {
  public:
    explicit DbgFmtQuadChar(int32 code) : code_(code) {}
    void ToDebugStream(DebugStream& s) const override;

  private:
    int32 code_;
};

// Appends one value with a printf format holding exactly one conversion of a matching kind; "%I64d",
// "%I64u" and "%I64x" mean 64-bit integers. Any other format appends "__DbgFmtType: Bad Format__".
TQ_API void DbgFmtAppend(DebugStream& s, const char* format, int64 value);
TQ_API void DbgFmtAppend(DebugStream& s, const char* format, uInt64 value);
TQ_API void DbgFmtAppend(DebugStream& s, const char* format, double value);
TQ_API void DbgFmtAppend(DebugStream& s, const char* format, const void* value);
TQ_API void DbgFmtAppend(DebugStream& s, const char* format, const char* value);

// A value with a caller-chosen format, e.g. DbgFmtType<int32>(v, "%08x").
template <class T>
class DbgFmtType : public DbgFmtToDebugStream {
  public:
    DbgFmtType(T value, const char* format) : value_(value), format_(format) {}
    void ToDebugStream(DebugStream& s) const override { DbgFmtAppend(s, format_, Widened()); }

  private:
    auto Widened() const {
        if constexpr (std::is_floating_point_v<T>)
            return double(value_);
        else if constexpr (std::is_convertible_v<T, const char*>)
            return static_cast<const char*>(value_);
        else if constexpr (std::is_pointer_v<T>)
            return static_cast<const void*>(value_);
        else if constexpr (std::is_signed_v<T>)
            return int64(value_);
        else
            return uInt64(value_);
    }
    T value_;
    const char* format_;
};

TQ_API void ToDebugStream(DebugStream& s, const DbgFmtToDebugStream& v);
TQ_API void ToDebugStream(DebugStream& s, const char* text);
TQ_API void ToDebugStream(DebugStream& s, uInt8 v);
TQ_API void ToDebugStream(DebugStream& s, uInt16 v);
TQ_API void ToDebugStream(DebugStream& s, uInt32 v);
TQ_API void ToDebugStream(DebugStream& s, int16 v);
TQ_API void ToDebugStream(DebugStream& s, int32 v);
TQ_API void ToDebugStream(DebugStream& s, long long v);
TQ_API void ToDebugStream(DebugStream& s, unsigned long long v);
TQ_API void ToDebugStream(DebugStream& s, long v);
TQ_API void ToDebugStream(DebugStream& s, unsigned long v);
TQ_API void ToDebugStream(DebugStream& s, float v);
TQ_API void ToDebugStream(DebugStream& s, double v);
TQ_API void ToDebugStream(DebugStream& s, bool v);
TQ_API void ToDebugStream(DebugStream& s, const LStr* v);
TQ_API void ToDebugStream(DebugStream& s, LStrHandle v);
// Complex single and double values (a real part `re`, then an imaginary part `im`): "(re, im)".
template <class C>
requires std::is_floating_point_v<decltype(C::re)> && std::is_same_v<decltype(C::re), decltype(C::im)>
void ToDebugStream(DebugStream& s, const C& value) {
    s.Append('(');
    ToDebugStream(s, value.re);
    s.Append(", ");
    ToDebugStream(s, value.im);
    s.Append(')');
}
// Function pointers render as "%p" does on Win64: 16 upper-case hex digits.
TQ_API void ToDebugStream(DebugStream& s, void (*fn)(void));
template <class R, class... A>
void ToDebugStream(DebugStream& s, R (*fn)(A...)) {
    ToDebugStream(s, reinterpret_cast<void (*)(void)>(fn));
}

class StackDecoder;

// The return addresses of one call stack. A chain is filled by one thread at a time; decoding may run
// anywhere.
class TQ_API StackChain {
  public:
    StackChain() = default;
    StackChain(const StackChain&) = default;
    StackChain& operator=(const StackChain&) = default;
    virtual ~StackChain();
    // Records the caller's stack, leaving out skipFrames frames above the caller; stores at most Capacity().
    virtual void Record(int32 skipFrames);
    // Records from a saved processor context (the OS's context record, e.g. from a fault handler); a null
    // context records the caller's stack. frame is the context's frame address, or null to take it from
    // there.
    virtual void RecordFrom(const void* context, const void* frame, int32 skipFrames);
    // A decoder over a copy of the recorded frames; the caller deletes it. Null when memory runs out.
    virtual StackDecoder* FrameDecoder() const;
    virtual void** Storage() = 0;
    virtual int32 Capacity() const = 0;

    int32 Count() const { return count_; }
    const void* Frame(int32 index) const;

  protected:
    int32 count_ = 0;
};

// A chain with room for N addresses in the object itself; the library records with N = 16.
template <int32 N>
class StackChainFS final : public StackChain {
  public:
    void** Storage() override { return frames_; }
    int32 Capacity() const override { return N; }

  private:
    void* frames_[N] = {};
};

// Turns recorded addresses into "<module> <symbol>" texts; "<unknown>" stands for a part that cannot be
// found.
class TQ_API StackDecoder {
  public:
    StackDecoder(void* const* frames, int32 count);
    virtual ~StackDecoder();
    StackDecoder(const StackDecoder&) = delete;
    StackDecoder& operator=(const StackDecoder&) = delete;

    // Writes the next frame's text into text (NUL-terminated, cut to size); false once every frame is done.
    virtual bool NextFrame(char* text, int32 size);
    int32 Count() const { return count_; }
    int32 Index() const { return index_; }
    void Rewind() { index_ = 0; }

  private:
    void** frames_;
    int32 count_;
    int32 index_ = 0;
};

#endif
