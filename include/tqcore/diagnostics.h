// tqcore/diagnostics.h - debug streams, the debug-output handler and stack capture.
// Any thread may build and process streams at once; set the handler during start-up.
#pragma once

#include "tqcore/types.h"

// 0 (note) to 4 (fatal). Level 3 and above break into an attached debugger.
typedef int32 DebugOutputLevel;

enum : DebugOutputLevel {
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
TQ_API int32 DebugOutputGetNumEvents(DebugOutputLevel level);
TQ_API void DebugOutputIncrementEventCount(DebugOutputLevel level);
TQ_API void DebugOutputResetNumEvents(void);
// Writes the message (as UTF-16 where the OS wants it) to the debugger output, then breaks if one is
// attached.
TQ_API void DebugOutputCoreBreak(const char* message);
// Ends the process with exit code 1.
TQ_API void DebugOutputCoreDie(void);
TQ_EXTERN_C_END

#ifdef __cplusplus

// A message under construction. Built on the caller's stack; Process() delivers it.
class TQ_API DebugStream {
  public:
    static constexpr int32 kBufferSize = 2048;

    DebugStream(const char* file, int32 line, const char* revision, DebugOutputLevel level);
    ~DebugStream();
    DebugStream(const DebugStream&) = delete;
    DebugStream& operator=(const DebugStream&) = delete;

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

  private:
    const char* file_;
    int32 line_;
    const char* revision_;
    DebugOutputLevel level_;
    uInt32 siteId_ = 0;
    char* buffer_ = nullptr;
    char* pos_ = nullptr;
    char* end_ = nullptr;
    int32 poolSlot_ = -1;
};

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

#endif

#ifdef __cplusplus

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
