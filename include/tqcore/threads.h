// tqcore/threads.h - events, mutexes, reader/writer mutexes, atomics, sleeping, threads, priorities and
// thread-local storage. Every function may be called from any thread. Records are opaque and carry a
// verifier checked on every call; misuse is reported through a debug stream, never by crashing.
#pragma once

#include "tqcore/types.h"

typedef struct ThEventRecord* ThEvent;
typedef struct ThMutexRecord* ThMutex;
typedef struct ThReaderWriterMutexRecord* ThReaderWriterMutex;
typedef struct ThThreadRecord* ThThread;

// Called with the event before it is signalled.
typedef void (*ThEventSignalProc)(ThEvent ev);
// Gives the host's message loop a turn; its result is returned when there is nothing to wait on.
typedef TqErr (*ThEventPumpProc)(void* arg);
// A thread's body; its result becomes the thread's exit code.
typedef int32 (*ThThreadProc)(void* arg);
// Told about every priority change made through ThThreadSetPriority.
typedef void (*ThThreadPrioritySetProc)(ThThread th, void* nativeHandle, uInt32 threadId, int32 level);

// Priority levels.
enum TQ_ENUM_TYPE(int32) {
    kThPriorityBackground = 0,
    kThPriorityNormal = 1,
    kThPriorityHigh = 2,
    kThPriorityVeryHigh = 3,
    kThPriorityTimeCritical = 4,
    kThNumPriorities = 5,
};

// Slots in the process-wide thread table; ThThreadGetIndex answers this for a bad record.
enum TQ_ENUM_TYPE(uInt32) { kThMaxThreads = 6120 };
// A timeout with the top bit set waits for ever. (Constants, not enumerators: a C enumerator is an int.)
static const uInt32 kThWaitForever = 0xFFFFFFFFu;
// ThLocalStorageAllocateKey's failure value.
static const uInt32 kThNoLocalStorageKey = 0xFFFFFFFFu;

TQ_EXTERN_C_BEGIN

// Atomics, all sequentially consistent. Inc/Dec return the new value; swaps return the old one;
// ThSwapIfSame* return 1 when *p held `expected` and now holds `newValue`, else 0.
TQ_API int32 ThAtomicInc(volatile int32* p);
TQ_API int32 ThAtomicDec(volatile int32* p);
TQ_API void* ThAtomicSwapPtr(void* volatile* p, void* v);
TQ_API Bool32 ThSwapIfSame(volatile int32* p, int32 newValue, int32 expected);
TQ_API Bool32 ThSwapIfSamePtr(void* volatile* p, void* newValue, void* expected);
// Under `mutex` (which may be null for no lock): exchanges *p with v and returns the old value.
TQ_API int32 ThAtomicSwap(int32* p, int32 v, ThMutex mutex);
// Under `mutex`: copies 8 bytes from a to b when direction is non-zero, else from b to a.
TQ_API void Th8ByteAtomicWrtRd(void* a, void* b, int32 direction, ThMutex mutex);

// Events are auto-reset: a signal releases one waiter, or stays pending (not counted) until one arrives.
// Create: *ev is null first; 0, or kErrMemoryFull. The caller owns the event (ThEventDestroy).
TQ_API TqErr ThEventCreate(ThEvent* ev, int32 reserved, Bool32 initiallySignalled);
TQ_API TqErr ThEventCreateWithCustomSignal(ThEvent* ev, int32 reserved, Bool32 initiallySignalled,
                                           ThEventSignalProc signalProc);
// 1 when a waiter was woken, else 0.
TQ_API int32 ThEventSignal(ThEvent ev);
// Consumes a pending signal: 1 when there was one, else 0.
TQ_API int32 ThEventReset(ThEvent ev);
// 0 signalled, kErrTimeout, or kErrArgument for a null or bad event.
TQ_API TqErr ThEventWait(ThEvent ev);
TQ_API TqErr ThEventWaitWithTimeout(ThEvent ev, uInt32 timeoutMs);
// Waits for ev or other (ignored when null or ev); 1 only when ev itself was signalled, else 0.
TQ_API int32 ThEventMsgWaitMultiple(ThEvent ev, ThEvent other, uInt32 timeoutMs, Bool32 pumpMessages);
// Calls pump(arg) once and returns its result for a null event; waiting while pumping is not supported
// here, so a real event gives 2.
TQ_API TqErr ThEventWaitAndPump(ThEvent ev, ThEventPumpProc pump, uInt32 timeoutMs, void* arg);
TQ_API void ThEventDestroy(ThEvent ev);

// Mutexes are not recursive; ownership passes straight to one waiter on release.
// Create: 0 and the mutex (caller owns it, ThMutexDestroy), or kErrMemoryFull and null. The name is unused.
TQ_API TqErr ThMutexCreate(ThMutex* mutex, const char* name);
TQ_API void ThMutexAcquire(ThMutex m);
TQ_API void ThMutexRelease(ThMutex m);
TQ_API void ThMutexDestroy(ThMutex m);

// Reader/writer mutexes: not recursive; a read lock cannot be upgraded.
// Create: 0, kErrArgument for a null rw, or kErrMemoryFull (storing null).
TQ_API TqErr ThReaderWriterMutexCreate(ThReaderWriterMutex* rw);
TQ_API void ThReaderWriterMutexAcquireReadLock(ThReaderWriterMutex rw);
TQ_API void ThReaderWriterMutexAcquireWriteLock(ThReaderWriterMutex rw);
TQ_API void ThReaderWriterMutexReleaseReadLock(ThReaderWriterMutex rw);
TQ_API void ThReaderWriterMutexReleaseWriteLock(ThReaderWriterMutex rw);
TQ_API void ThReaderWriterMutexDestroy(ThReaderWriterMutex rw);

// Sleeping. ThWaitTill returns `now` at once when target is not after it (wrap-around comparison of
// millisecond clock values), else sleeps until about `target` and returns the clock's value then.
TQ_API void ThSleep(uInt32 ms);
TQ_API void ThYield(void);
TQ_API uInt32 ThWaitTill(uInt32 target, uInt32 now);

// Threads. The thread service must be running (it owns the table). Create: 0 and the record (caller owns
// it, ThThreadDestroy), or kErrMemoryFull and null when memory, the system or the table is exhausted.
TQ_API void AssimilateStartUpThread(void);
TQ_API Bool32 IsStartUpThread(void);
TQ_API TqErr ThThreadCreate(ThThread* th, ThThreadProc proc, void* arg, const char* name);
TQ_API TqErr ThPseudoThreadCreate(ThThread* th);
// Waits up to ten seconds for a started thread to end before stopping it; frees the record.
TQ_API void ThThreadDestroy(ThThread th);
TQ_API ThThread ThThreadGetId(void);
TQ_API uInt32 ThThreadGetIndex(ThThread th);
TQ_API Bool32 ThThreadActive(ThThread th);
// Pointers into the record (native handle and thread id), or null.
TQ_API void ThGetPlatformThread(ThThread th, void*** handle, uInt32** id);
TQ_API void ThSetThInfo(ThThread th, void* pointer, int32 integer);
TQ_API int32 ThGetThInfo(ThThread th, void** pointer);
TQ_API int32 ThThreadStackLeft(void);
// Kernel plus user time of the calling thread in 100-ns units: out[0] high half, out[1] low half.
TQ_API void ThGetThreadTime(uInt32 out[2]);
TQ_API int32 ThNumberOfProcessors(void);

// Native thread-local storage, results passed through (Set and Free give non-zero on success).
TQ_API uInt32 ThLocalStorageAllocateKey(void);
TQ_API Bool32 ThLocalStorageFreeKey(uInt32 key);
TQ_API void* ThLocalStorageGetValue(uInt32 key);
TQ_API Bool32 ThLocalStorageSetValue(uInt32 key, void* value);

// Priorities by level (kThPriority...). Set always returns 0; misuse is reported.
TQ_API TqErr ThThreadSetPriority(ThThread th, int32 level);
TQ_API int32 ThThreadGetPriority(ThThread th);
TQ_API void ThThreadGetNativePriorityInfo(int32* bg, int32* normal, int32* high, int32* vhigh, int32* tcrit);
// Five flags: whether each level is distinct from the one below it.
TQ_API void ThThreadGetPrioInfo(uInt8 out[5]);
// 1 when a procedure is already installed or proc is null, else 0.
TQ_API int32 ThSetThreadPrioritySetProc(ThThreadPrioritySetProc proc);
// 0 when proc was the installed one (now cleared), else 1.
TQ_API int32 ThClearThreadPrioritySetProc(ThThreadPrioritySetProc proc);

// Service accessors for a host that starts these services itself (Init/Uninit, or a registry of its own).
// Each creates its service on first call and takes no lock. ProtectedAtomicOperations is a base service.
TQ_API IServiceObject* ProtectedAtomicOperationsService(void);
// Occurrences; depends on HardWaitBehavior, ThMutex and ThThread.
TQ_API IServiceObject* OccurrenceManagerService(void);
// The hard-wait behaviour; depends on ConfigManager and ConfigCoreTypes.
TQ_API IServiceObject* HardWaitBehaviorService(void);

TQ_EXTERN_C_END

// ---- Occurrences
// An occurrence is fired by any thread; a handler bound to it asks, each time it is armed, for one call of
// its callback when the occurrence fires next or its time limit runs out. Both are cookies (0 is none).
typedef uInt32 Occurrence;
typedef uInt32 OccurHdlr;
// A handler's callback, called with the argument given at allocation or binding.
typedef void (*OccurHdlrProc)(void* arg);
// A thread group's wake-up procedure: called after a handler of the group has fired.
typedef void (*OccThreadGroupProc)(void* param);
// Called by InterruptSafeOccur when it claims one of the last slots of the asynchronous area.
typedef void (*OccResetCountDownProc)(void* slot, uInt32 index, Occurrence occ, void* arg);

// Thread groups: one preallocated per thread-table index, then the dynamic ones, then the thread-safe group.
enum TQ_ENUM_TYPE(uInt32) { kOccFirstDynamicGroup = 6120, kOccThreadSafeGroup = 12240 };
static const uInt32 kOccNoThreadGroup = 0xFFFFFFFF;
// The asynchronous area: a 32-byte header, then slots of a busy word and an occurrence cookie.
enum TQ_ENUM_TYPE(uInt32) { kOccAsyncAreaSize = 8216, kOccAsyncSlots = 1023 };

TQ_EXTERN_C_BEGIN
// 0 when memory or cookies are exhausted (or the occurrence manager is not running).
TQ_API Occurrence AllocOccur(void);
// Waiting handlers get their callback once, as a timeout; the handlers are unbound. 0 or the jar's error.
TQ_API TqErr DeallocOccur(Occurrence occ);
TQ_API Bool32 ValidOccurrence(Occurrence occ);
// Fires, then runs the thread-safe group's fired handlers in the calling thread. kErrArgument for 0.
TQ_API TqErr Occur(Occurrence occ);
TQ_API void OccurIfValid(Occurrence occ);
// Fires at the millisecond clock value timeMs, replacing an earlier schedule. kErrArgument for 0 or unknown.
TQ_API TqErr OccurAtTime(Occurrence occ, uInt32 timeMs);
// kErrArgument when occ is 0, unknown or not scheduled.
TQ_API TqErr CancelOccurAtTime(Occurrence occ);
// Takes no lock: marks the occurrence in the asynchronous area for the next ChkOccurrences. The middle
// arguments are unused; arg goes to the reset-count-down procedure. kErrOccurQueueFull when every slot is
// busy.
TQ_API TqErr InterruptSafeOccur(Occurrence occ, int32 unused1, int32 unused2, void* arg);
TQ_API void SetResetCountDownRegCallbackProc(OccResetCountDownProc proc);
TQ_API void* GetOccurrenceManagerAsyncArea(void);

// Handlers: 0 on failure. A strict handler consumes one firing per call; a thread-safe one runs in the thread
// that fires it (or in the manager thread for a timeout).
TQ_API OccurHdlr AllocOccurHdlr(Occurrence occ, OccurHdlrProc callback, void* arg);
TQ_API OccurHdlr AllocOccurHdlrStrict(Occurrence occ, OccurHdlrProc callback, void* arg);
TQ_API OccurHdlr AllocThreadSafeOccurHdlr(Occurrence occ, OccurHdlrProc callback, void* arg);
// occ 0 unbinds. 0 or the jar's error.
TQ_API TqErr BindOccurHdlr(OccurHdlr handler, Occurrence occ, OccurHdlrProc callback, void* arg);
TQ_API TqErr DeallocOccurHdlr(OccurHdlr handler);
// Arm the handler; without ignorePrevious a firing it has not consumed calls it at once. A negative
// timeoutMs is no limit. kErrNoOccurrence (callback called at once) when its occurrence is gone.
TQ_API TqErr OnOccurrence(OccurHdlr handler, Bool32 ignorePrevious);
TQ_API TqErr OnOccurrenceWithTimeout(OccurHdlr handler, Bool32 ignorePrevious, int32 timeoutMs);
TQ_API TqErr CancelOnOccur(OccurHdlr handler);
// Fires one armed handler as a timeout.
TQ_API TqErr FireOccurHdlr(OccurHdlr handler);
// 1 when the handler's last firing was a timeout (or its occurrence had gone), else 0.
TQ_API Bool32 HandlerTimedOut(OccurHdlr handler);

// Drain the asynchronous area, then run the fired handlers of the calling thread's group (or of group;
// kErrArgument beyond the thread-safe group).
TQ_API TqErr ChkOccurrences(void);
TQ_API TqErr ChkThGroupOccurrences(uInt32 group);
// Takes no lock: 1 when the group has fired handlers or asynchronous firings wait, else 0.
TQ_API Bool32 QuickCheckGroupHandlersFired(uInt32 group);

// A free dynamic group, or kOccNoThreadGroup.
TQ_API uInt32 GetOccNewThreadGroupIndex(void);
TQ_API TqErr SetOccThreadGroup(uInt32 threadIndex, uInt32 group);
// A null procedure gives a dynamic group back.
TQ_API TqErr SetOccThreadGroupProc(uInt32 group, OccThreadGroupProc proc, void* param);
TQ_API uInt32 GetOccurrenceManagerMainThreadGroupIndex(void);
TQ_API void SetOccurrenceManagerMainThreadGroupIndex(uInt32 group);

// A busy loop of n iterations (0 counts as 2^32).
TQ_API void ThPause(uInt32 n);

// ---- Hard-wait behaviour
// Non-zero when time-critical waiting is on: the occurrence manager thread then runs at kThPriorityVeryHigh
// instead of kThPriorityTimeCritical.
TQ_API int32 GetHardWaitTimeCritical(void);

// ---- Event queue (the classes are in the C++ section)
// A new queue (call Init before posting) or null when memory is exhausted. A null policy means
// KeepExistingEventPolicy; maxEntries 0 is unlimited.
TQ_API TQEventQueue* CreateTQEventQueue(TQEventCoalescePolicy* policy, int32 maxEntries);
TQ_API int32 PurgeEventsForTarget(TQEventQueue* queue, TQEventTarget* target);
TQ_API int32 PurgeEventsOfKind(TQEventQueue* queue, int32 kind);
// Entries of target (any target when null) whose event matches eventArg.
TQ_API int32 PurgeSpecificEvent(TQEventQueue* queue, TQEventTarget* target, const TQEvent* eventArg);
TQ_EXTERN_C_END

// ---- Event queue
#ifdef __cplusplus
#include "tqcore/core.h"

// An event the host posts: reference counted; the queue owns the reference handed to a successful Post.
class TQ_API TQEvent : public TQUnknown {
  public:
    // {44800ca1-9918-46e4-b56a-3a6477bd4713}
    static const PKGuidType& ClassID();

    virtual int32 Kind() const = 0;
    // True when this event may be coalesced with other (or matches PurgeSpecificEvent's argument).
    virtual bool Matches(const TQEvent* other) const = 0;
};

// What a target answers when offered an event.
enum : int32 { kTQEventHandled = 0, kTQEventNotNow = 1, kTQEventDeliverLater = 2 };

// Receives events; HandleEvent runs under the queue's lock, DeliverLater outside it.
class TQ_API TQEventTarget : public TQUnknown {
  public:
    // {4e4e9d55-2f55-42db-ae86-3d9af30bf513}
    static const PKGuidType& ClassID();

    virtual void Reserved5() {}
    virtual void Reserved6() {}
    // kTQEventHandled, kTQEventNotNow or kTQEventDeliverLater.
    virtual int32 HandleEvent(TQEvent* event, void* context) = 0;
    // The answer HandleEvent would give now, without handling the event.
    virtual int32 Disposition(const TQEvent* event) = 0;
    // Called outside the queue's lock for an event this target deferred; the queue releases it afterwards.
    virtual void DeliverLater(TQEvent* event) = 0;
};

// A target with an atomic reference count, which deletes itself at zero; events are handled at once.
class TQ_API TQEventTargetBase : public TQEventTarget {
  public:
    // {01cc1dc9-3c53-4c57-9339-dc06ad470d92}
    static const PKGuidType& ClassID();

    int32 AddRef() override;
    int32 Release() override;
    void WriteToDebugStream(DebugStream& stream) const override;
    int32 HandleEvent(TQEvent* event, void* context) override;
    int32 Disposition(const TQEvent* event) override;
    void DeliverLater(TQEvent* event) override;

  protected:
    ~TQEventTargetBase() override;

  private:
    std::atomic<int32> refs_{1};
};

// How Post resolves a new event that matches a queued one of the same target.
enum : int32 { kTQKeepQueuedEvent = 0, kTQReplaceQueuedEvent = 1, kTQDropBothEvents = 2 };

class TQ_API TQEventCoalescePolicy {
  public:
    virtual int32 Resolve(TQEventTarget* target, TQEvent* queuedEvent) = 0;
    virtual ~TQEventCoalescePolicy();
};

// The default: the queued event stays and the new one is dropped.
class TQ_API KeepExistingEventPolicy : public TQEventCoalescePolicy {
  public:
    int32 Resolve(TQEventTarget* target, TQEvent* queuedEvent) override;
};
class TQ_API ReplaceExistingEventPolicy : public TQEventCoalescePolicy {
  public:
    int32 Resolve(TQEventTarget* target, TQEvent* queuedEvent) override;
};
class TQ_API DropBothEventsPolicy : public TQEventCoalescePolicy {
  public:
    int32 Resolve(TQEventTarget* target, TQEvent* queuedEvent) override;
};

// Selects entries for Purge.
typedef bool (*TQEventPurgePredicate)(TQEventTarget* target, TQEvent* event, void* arg);

// A bounded, thread-safe queue of (target, event) pairs: any thread posts, the owning thread processes.
class TQ_API TQEventQueue {
  public:
    virtual TqErr Init() = 0;
    // Stops accepting, drops every entry (releasing its event) and leaves the queue uninitialised.
    virtual TqErr Uninit() = 0;
    // Deletes the queue; call Uninit first.
    virtual void Destroy() = 0;
    virtual bool IsAccepting() = 0;
    // Only while initialised; returns the previous value.
    virtual bool SetAccepting(bool accepting) = 0;
    // 0 appended, 1 coalesced, kErrMemoryFull at the maximum (the event is released), kErrQueueClosed when
    // not initialised or not accepting (the caller keeps the event), kErrArgument for a null target.
    virtual TqErr Post(TQEventTarget* target, TQEvent* event, bool append, TQEventCoalescePolicy* policy) = 0;
    // Removes the entries the predicate selects, releasing their events; returns how many.
    virtual int32 Purge(TQEventPurgePredicate predicate, void* arg) = 0;
    virtual int32 Count() = 0;
    virtual int32 MaxEntries() = 0;
    virtual bool WouldDefer() = 0;
    // Offers queued events to their targets; returns how many were handled or deferred. maxEvents <= 0: no
    // limit beyond the entries queued on entry; timeLimitMs <= 0: no time limit.
    virtual int32 Process(int32 maxEvents, void* context, int32 timeLimitMs) = 0;
    virtual void ToDebugStream(DebugStream& stream) const = 0;

  protected:
    virtual ~TQEventQueue();
};

TQ_API void ToDebugStream(DebugStream& stream, const TQEventQueue* queue);

#endif
