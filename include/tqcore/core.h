// tqcore/core.h - start-up and services, result codes, exceptions, the host application interface.
// Start-up and shut-down run on one thread; everything else here may be called from any thread.
#pragma once

#include "tqcore/types.h"

enum : TqErr {
    kErrNone = 0,
    kErrArgument = 1,
    kErrMemoryFull = 2,
    kErrBadHandle = 3,
    kErrEndOfFile = 4,
    kErrFileBusy = 5,
    kErrIO = 6,
    kErrNotFound = 7,
    kErrPermission = 8,
    kErrDiskFull = 9,
    kErrDuplicatePath = 10,
    kErrTooManyFiles = 11,
    kErrResourceFile = 13,
    kErrResourceExists = 14,
    kErrResourceNotFound = 15,
    kErrConfigBadType = 19,
    kErrConfigNotFound = 20,
    kErrConfigParse = 21,
    kErrConfigAlloc = 22,
    kErrGeneric = 42,
    kErrNotSupported = 53,
    kErrQueueClosed = 67,
    kErrNoOccurrence = 69,
    kErrOccurQueueFull = 70,
    kErrEndOfData = 74,
    kErrBadFormat = 85,
    kErrBadStreamData = 116,
    kErrGuidText = 121,
    kErrResFileVersion = 122,
    kErrTimeout = 123,
    kErrStringHasNull = 124,
    kErrNoUniqueID = 128,
    kErrPathTooLong = 129,
    kErrBadCharEncoding = 1675,
};

#ifdef __cplusplus
#include <atomic>

class IServiceDependencyList;

// A manager's start/stop object. Virtual operations stand in this order on purpose.
class IServiceObject {
  public:
    virtual TqErr Init() = 0;
    virtual TqErr Uninit() = 0;
    virtual const char* Name() = 0;
    // Adds each service this one depends on, once per dependency, in order.
    virtual void Dependencies(IServiceDependencyList& list) = 0;
    virtual ~IServiceObject() = default;
};

class IServiceDependencyList {
  public:
    virtual void Add(IServiceObject* service) = 0;
    virtual ~IServiceDependencyList() = default;
};

// Reference-counted start: the first Init runs InitService, the last Uninit runs UninitService and destroys
// the singleton, so the accessor creates a fresh one next time. The accessor takes no lock.
template <class T>
class RefcountedServiceObject_T : public IServiceObject {
  public:
    static T* Get() {
        if (!sInstance) sInstance = new T();
        return sInstance;
    }
    // The live singleton, or null when none exists; never creates one.
    static T* Peek() { return sInstance; }

    TqErr Init() override {
        if (count_.fetch_add(1) + 1 != 1) return result_.load();
        const TqErr err = InitService();
        result_.store(err);
        return err;
    }

    TqErr Uninit() override {
        if (count_.fetch_sub(1) != 1) return kErrNone;
        const TqErr err = UninitService();
        if (sInstance == this) sInstance = nullptr;
        delete this;
        return err;
    }

    virtual TqErr InitService() { return kErrNone; }
    virtual TqErr UninitService() { return kErrNone; }

    int32 StartCount() const { return count_.load(); }

  private:
    std::atomic<int32> count_{0};
    std::atomic<TqErr> result_{kErrGeneric};
    static inline T* sInstance = nullptr;
};
#endif

#ifdef __cplusplus
#include <exception>

#include "tqcore/diagnostics.h"

// The library's exception: a code with its source location, a detail text and the stack at construction.
// Copies keep every field, the stack included.
class TQ_API PKExcept : public std::exception {
  public:
    static constexpr int32 kDetailSize = 128;
    static constexpr int32 kFileSize = 32;
    static constexpr int32 kDescriptionSize = 256;

    // Null detail or file give empty texts; a longer detail is cut, a longer file name keeps its tail.
    PKExcept(TqErr code, const char* detail, const char* file, int32 line);
    PKExcept(const PKExcept&);
    PKExcept& operator=(const PKExcept&);
    ~PKExcept() override;

    const char* what() const noexcept override;
    virtual TqErr ErrorCode() const;
    virtual const char* File() const;
    virtual int32 Line() const;
    virtual const char* Detail() const;
    virtual StackChain& Stack();
    virtual const StackChain& Stack() const;

  private:
    TqErr code_;
    char detail_[kDetailSize];
    char file_[kFileSize];
    int32 line_;
    char description_[kDescriptionSize];
    StackChainFS<16> stack_;
};

// Call only inside a catch handler: converts the exception in flight (bad_alloc -> 2, bad_cast -> 42,
// PKExcept
// -> a copy, other std::exception -> 42). Anything else is reported at level 3 and rethrown unchanged.
TQ_API PKExcept GetExceptionInCatch_FileAndLine(const char* file, int32 line);
#endif

TQ_EXTERN_C_BEGIN
// Maps the calling thread's last Win32 error to a code (unknown values give kErrIO).
TQ_API TqErr Win32ToPKFileErr(void);
// Maps a run-time library errno value to a code; enoentIsArgument makes ENOENT kErrArgument instead of
// kErrNotFound. Unknown values give kErrIO.
TQ_API TqErr ErrnoToPKFileErr(int err, bool enoentIsArgument);
// Structured-exception filter: 1 (handle) for the stack-overflow status 0xC00000FD, else 0 (keep searching).
TQ_API int32 stack_overflow_exception_filter(int32 code);
TQ_EXTERN_C_END
