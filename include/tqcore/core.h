// tqcore/core.h - start-up and services, result codes, exceptions, the host application interface.
// Start-up and shut-down run on one thread; everything else here may be called from any thread.
#pragma once

// PKExcept records a StackChain; TQUnknown objects describe themselves to a DebugStream.
#include "tqcore/diagnostics.h"
#include "tqcore/types.h"

enum TQ_ENUM_TYPE(TqErr) {
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

// One service of the base registry as a host may show it: start and stop results and MilliSecs readings.
typedef struct TQServiceRecord {
    char name[64];
    TqErr startResult;
    uInt32 startBegin;
    uInt32 startEnd;
    TqErr stopResult;
    uInt32 stopBegin;
    uInt32 stopEnd;
    Bool32 running;
} TQServiceRecord;

TQ_EXTERN_C_BEGIN
// Maps the calling thread's last Win32 error to a code (unknown values give kErrIO).
TQ_API TqErr Win32ToPKFileErr(void);
// Maps a run-time library errno value to a code; enoentIsArgument makes ENOENT kErrArgument instead of
// kErrNotFound. Unknown values give kErrIO.
TQ_API TqErr ErrnoToPKFileErr(int err, bool enoentIsArgument);
// Structured-exception filter: 1 (handle) for the stack-overflow status 0xC00000FD, else 0 (keep searching).
TQ_API int32 stack_overflow_exception_filter(int32 code);

// A new, unstarted registry holding the services of a null-terminated array (a duplicate is reported by name
// and registered once). Null for a null array or when memory runs out. The caller calls Release().
TQ_API IServiceRegistry* CreateServiceRegistry(IServiceObject* const* services);
// Starts the ten base services through a new process-wide base registry: kErrMemoryFull when it cannot be
// made, else the result of its InitAll().
TQ_API TqErr InitTQCoreBase(void);
// Stops and releases the base registry if there is one. Always 0.
TQ_API TqErr UninitTQCoreBase(void);
// Starts configuration, threads and resources once (later calls do nothing). Always 0.
TQ_API TqErr InitTQCoreAppSupport(void);
// Stops what InitTQCoreAppSupport started, if it did. Always 0.
TQ_API TqErr UninitTQCoreAppSupport(void);

// Copies up to capacity records of the base registry in start order and returns how many it holds; after
// UninitTQCoreBase, the records of the registry it stopped (with their stop readings). A diagnostic for
// hosts.
TQ_API int32 TQCoreBaseServiceRecords(TQServiceRecord* records, int32 capacity);

// Stores the host's interface (not owned; null removes it). Set during start-up.
TQ_API void TQAppInterfaceSet(TQAppInterface* app);
TQ_API TQAppInterface* TQApp(void);
// Each asks the given interface, or the installed one when app is null; 0 when there is neither.
TQ_API int32 TQGetAppAPIVersion(TQAppInterface* app);
TQ_API int32 TQGetAppEditorVersion(TQAppInterface* app);
TQ_API int32 TQGetIsTopLevel(TQAppInterface* app);
TQ_API int32 TQGetIsBoundApp(TQAppInterface* app);
TQ_API int32 TQGetIsRunTime(TQAppInterface* app);
TQ_API int32 TQGetIsFullFeatureRunTime(TQAppInterface* app);

// The host application's instance handle and this library's module handle (HINSTANCE/HMODULE values on
// Windows); both null until the host sets them.
TQ_API void TQModuleSetInstance(void* instance);
TQ_API void* TQModuleGetInstance(void);
TQ_API void TQModuleSetModule(void* module);
TQ_API void* TQModuleGetModule(void);

// Takes ownership of a heap-allocated deletor and puts it first in the process-wide list (no lock; start-up).
TQ_API void TQPlacementNewRegisterDeletor(TQPlacementDeletor* deletor);
// Empties the list, then deletes its deletors, the last registered first.
TQ_API void TQPlacementNewRunCleanup(void);
TQ_EXTERN_C_END

#ifdef __cplusplus
#include <atomic>
#include <exception>

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

// Starts a set of services so that each starts after those it depends on, and stops them in reverse.
// Register and Unregister are refused (kErrGeneric) while any service of the registry is running.
class IServiceRegistry {
  public:
    // Computes the start order and starts each service; stops at the first failing start with its code.
    virtual TqErr InitAll() = 0;
    // Stops the running services in reverse start order; stops at the first failing stop with its code.
    virtual TqErr UninitAll() = 0;
    // Destroys the registry; the services are left as they are.
    virtual void Release() = 0;
    // kErrArgument for a null or already registered service.
    virtual TqErr Register(IServiceObject* service) = 0;
    // kErrArgument for a null or unregistered service.
    virtual TqErr Unregister(IServiceObject* service) = 0;
    virtual bool IsRegistered(IServiceObject* service) = 0;
    virtual ~IServiceRegistry() = default;
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

// The host application's answers to the library's questions, installed with TQAppInterfaceSet and owned by
// the host. Operations stand in a fixed order; the Reserved ones hold places the library does not call.
class TQAppInterface {
  public:
    virtual ~TQAppInterface() = default;
    // The host product's name: the preference section when no other case applies.
    virtual const char* ProductName() = 0;
    // The application name; "RT" or "FFRT" appended forms the run-time preference sections.
    virtual const char* AppName() = 0;
    virtual int32 AppAPIVersion() = 0;
    virtual int32 AppEditorVersion() = 0;
    virtual void Reserved6() {}
    virtual void Reserved7() {}
    virtual void Reserved8() {}
    virtual void Reserved9() {}
    virtual void Reserved10() {}
    // A built application's name: its preference section and, with ".ini", its preference file name.
    virtual const char* BuiltAppName() = 0;
    virtual void Reserved12() {}
    virtual bool IsTopLevel() = 0;
    virtual bool IsBoundApp() = 0;
    virtual bool IsRunTime() = 0;
    virtual bool IsFullFeatureRunTime() = 0;
    // True for a run-time embedded in another host: no path text cache, "pkrt" preferences, no command line.
    virtual bool IsEmbeddedRunTime() = 0;
    virtual void Reserved18() {}
    // Called once before the application file name is first read, when IsEmbeddedRunTime() is true.
    virtual void PrepareAppFileName() = 0;
    // Whether unsigned number text may start with a plus sign.
    virtual bool AcceptsLeadingPlus() = 0;
    virtual void Reserved21() {}
    // The host's language name, mapped to a code page.
    virtual const char* LanguageName() = 0;
    virtual void Reserved23() {}
    virtual void Reserved24() {}
    virtual void Reserved25() {}
    virtual void Reserved26() {}
    virtual void Reserved27() {}
    virtual void Reserved28() {}
    virtual void Reserved29() {}
    // The open resource file holding string lists for callers that pass refnum 0.
    virtual int32 StringResourceRefNum() = 0;
};

// A clean-up step for a singleton built in static storage; registered deletors run at
// TQPlacementNewRunCleanup.
class TQ_API TQPlacementDeletor {
  public:
    TQPlacementDeletor() = default;
    TQPlacementDeletor(const TQPlacementDeletor&) = delete;
    TQPlacementDeletor& operator=(const TQPlacementDeletor&) = delete;
    virtual ~TQPlacementDeletor();
    TQPlacementDeletor* next = nullptr;
};

// Destroys one T constructed with placement new in static storage (does not free the storage).
template <class T>
class TQPlacementDelete final : public TQPlacementDeletor {
  public:
    explicit TQPlacementDelete(T* object) : object_(object) {}
    ~TQPlacementDelete() override {
        if (object_) object_->~T();
    }

  private:
    T* object_;
};

// Base of reference-counted objects with a class identity (events, event targets and the like).
class TQ_API TQUnknown {
  public:
    // {04c7fa68-5a10-49d3-962c-fe1b5547f529}
    static const PKGuidType& ClassID();

    virtual ~TQUnknown();
    virtual int32 AddRef() = 0;
    // Drops one reference; the object deletes itself at zero. Returns the count left.
    virtual int32 Release() = 0;
    virtual void WriteToDebugStream(DebugStream& stream) const = 0;
};

// Lets the object describe itself; a null object appends "<invalid TQUnknown object>".
TQ_API void ToDebugStream(DebugStream& stream, const TQUnknown* object);
#endif
