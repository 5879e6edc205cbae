// tqcore/memory.h - relocatable handles, fixed pointers, guard bytes, block operations and memory hooks.
// Every handle and pointer operation may run on any thread; a handle's owner must not resize or dispose it
// from two threads at once. Switches and hooks are process-wide and meant to be set during start-up.
#pragma once

#include "tqcore/types.h"

// Guard-byte mode bits, per kind (handles, pointers, new/delete blocks).
enum TQ_ENUM_TYPE(uInt32) {
    kGuardReserve = 1,
    kGuardWrite = 2,
    kGuardVerify = 4,
    kGuardModeOff = 0,
    kGuardModeAlloc = kGuardReserve | kGuardWrite,
    kGuardModeCheck = kGuardReserve | kGuardWrite | kGuardVerify,
};

// Events passed to the memory event trace procedure.
enum TQ_ENUM_TYPE(int32) { kMemEventNewHandle = 0, kMemEventResizeHandle = 1, kMemEventDisposeHandle = 2 };

typedef void (*MemFullProc)(uInt64 size);
typedef void (*MemEventTraceProc)(int32 event, TqErr err, UHandle h, uInt64 size, uInt64 oldSize);
typedef void (*MemoryCheckCallback)(int32 code);
typedef void (*LogMemMutexAccessProc)(int32 access);
// kind: 0 front guard damaged, 1 rear guard damaged, 2 guards intact but of another version (detail = the
// two version characters); detail is null otherwise.
typedef void (*GuardByteCheckFailedProc)(void* data, int32 kind, const char* detail);

TQ_EXTERN_C_BEGIN

// Creating and disposing handles. Creation returns null when memory is exhausted (the memory-full procedure
// is called with the size first); the caller owns the handle. Size 0 gives a live, empty handle.
TQ_API UHandle DSNewHandle(uInt64 size);
TQ_API UHandle DSNewHClr(uInt64 size);
TQ_API UHandle AZNewHandle(uInt64 size);
TQ_API UHandle AZNewHClr(uInt64 size);
// Data address D satisfies (D + offset) mod alignment = 0 after both are normalised.
TQ_API UHandle DSNewAlignedHandle(uInt64 size, uInt32 alignment, uInt32 offset);
TQ_API UHandle DSNewAlignedHClr(uInt64 size, uInt32 alignment, uInt32 offset);
// 0; 3 (kErrBadHandle) for a handle that fails validation or has damaged guards. Null gives 0.
TQ_API TqErr DSDisposeHandle(UHandle h);
TQ_API TqErr AZDisposeHandle(UHandle h);
// Disposes *h and stores null (also when the dispose failed); null h or *h gives 0.
TQ_API TqErr DSDisposeHandleAndNull(UHandle* h);

// Cache-aware twins: same results as the plain operations.
TQ_API UHandle DSNewHandleCache(uInt64 size);
TQ_API UHandle DSNewHClrCache(uInt64 size);
TQ_API TqErr DSDisposeHandleCache(UHandle h);
TQ_API TqErr DSSetHandleSizeCache(UHandle h, uInt64 size);
TQ_API TqErr DSSetHSzClrCache(UHandle h, uInt64 size);
TQ_API TqErr DSSetHandleSizeOrNewHandleCache(UHandle* h, uInt64 size);
TQ_API TqErr DSSetHSzOrNewHClrCache(UHandle* h, uInt64 size);

// Sizes. The size query gives 0 for an invalid or damaged handle (reported at level 4).
TQ_API int64 DSGetHandleSize(UHandle h);
TQ_API int64 AZGetHandleSize(UHandle h);
// Keep the first min(old, new) bytes. 0; 3 invalid or damaged handle; 2 (kErrMemoryFull) with the handle
// unchanged. The data may move.
TQ_API TqErr DSSetHandleSize(UHandle h, uInt64 size);
TQ_API TqErr AZSetHandleSize(UHandle h, uInt64 size);
TQ_API TqErr DSSetHSzClr(UHandle h, uInt64 size);
TQ_API TqErr AZSetHSzClr(UHandle h, uInt64 size);
TQ_API TqErr DSSetAlignedHandleSize(UHandle h, uInt64 size, uInt32 alignment, uInt32 offset);
TQ_API TqErr DSSetAlignedHSzClr(UHandle h, uInt64 size, uInt32 alignment, uInt32 offset);
// Contents are not preserved.
TQ_API TqErr DSSetAlignedHandleSizeNoInit(UHandle h, uInt64 size, uInt32 alignment, uInt32 offset);
// A null *h gets a new handle (2 when that fails); otherwise a resize.
TQ_API TqErr DSSetHandleSizeOrNewHandle(UHandle* h, uInt64 size);
TQ_API TqErr DSSetHSzOrNewHClr(UHandle* h, uInt64 size);
// As above, but size 0 disposes *h and stores null (and does nothing to a null *h).
TQ_API TqErr DataSetHandleSizeOrNewHandle(UHandle* h, uInt64 size);
TQ_API TqErr DataSetHSzOrNewHClr(UHandle* h, uInt64 size);

// Copying. Results: 0, 2 out of memory, 3 bad handle.
// *dst becomes a copy of src (created when null); a null src disposes *dst and stores null.
TQ_API TqErr DSCopyHandle(UHandle* dst, UHandle src);
TQ_API TqErr AZCopyHandle(UHandle* dst, UHandle src);
// Replaces *h with a new handle holding a copy; the old handle stays the caller's.
TQ_API TqErr DSHandToHand(UHandle* h);
TQ_API TqErr AZHandToHand(UHandle* h);
// Appends src's data to dst.
TQ_API TqErr DSHandAndHand(UHandle src, UHandle dst);
TQ_API TqErr AZHandAndHand(UHandle src, UHandle dst);
// Appends n bytes at p to h.
TQ_API TqErr DSPtrAndHand(const void* p, UHandle h, uInt64 n);
TQ_API TqErr AZPtrAndHand(const void* p, UHandle h, uInt64 n);
// *h := a new handle holding n bytes from p.
TQ_API TqErr DSPtrToHand(const void* p, UHandle* h, uInt64 n);
TQ_API TqErr AZPtrToHand(const void* p, UHandle* h, uInt64 n);
// Resizes the existing h to n and copies n bytes from p; a null h gives 3.
TQ_API TqErr DSPtrToXHand(const void* p, UHandle h, uInt64 n);
TQ_API TqErr AZPtrToXHand(const void* p, UHandle h, uInt64 n);
// A null *h gets a new handle, otherwise it is resized to n; then n bytes are copied from p.
TQ_API TqErr DSSetHandleFromPtr(UHandle* h, const void* p, uInt64 n);
TQ_API TqErr AZSetHandleFromPtr(UHandle* h, const void* p, uInt64 n);
// n = 0 disposes *h and stores null.
TQ_API TqErr DSSetHandleFromPtrNULLMeansEmpty(UHandle* h, const void* p, uInt64 n);
// Exchanges the data of two distinct valid handles; 3 otherwise.
TQ_API TqErr DSSwapHandles(UHandle a, UHandle b);

// Finding and checking.
TQ_API UHandle DSRecoverHandle(const void* p);
TQ_API UHandle AZRecoverHandle(const void* p);
TQ_API Bool32 IsDSHandle(UHandle h);
TQ_API TqErr DSCheckHandle(UHandle h);
TQ_API TqErr AZCheckHandle(UHandle h);
TQ_API TqErr DSCheckPtr(const void* p);
TQ_API TqErr AZCheckPtr(const void* p);
TQ_API Bool32 DSCheckHandleGuardBytes(UHandle h);
TQ_API Bool32 DSCheckPtrGuardBytes(const void* p);
TQ_API Bool32 ShouldCheckHandleGuardBytes(void);
TQ_API Bool32 ConfigGuardBytes(Bool32 on);
// Zone state operations keep no state: they validate only. 0 or 3.
TQ_API TqErr AZHLock(UHandle h);
TQ_API TqErr AZHUnlock(UHandle h);
TQ_API TqErr AZHPurge(UHandle h);
TQ_API TqErr AZHNoPurge(UHandle h);
TQ_API TqErr AZHSetState(UHandle h, int32 state);
TQ_API int32 AZHGetState(UHandle h);

// Pointers: null when memory is exhausted. Dispose: 0; 1 (kErrArgument) for null; 3 for damaged guards
// (the block is then kept).
TQ_API UPtr DSNewPtr(uInt64 size);
TQ_API UPtr DSNewPClr(uInt64 size);
TQ_API UPtr AZNewPtr(uInt64 size);
TQ_API UPtr AZNewPClr(uInt64 size);
TQ_API TqErr DSDisposePtr(void* p);
TQ_API TqErr AZDisposePtr(void* p);

// Heap maintenance. 0 when the heap is sound.
TQ_API TqErr DSHeapCheck(int32 flag);
TQ_API TqErr AZHeapCheck(int32 flag);
TQ_API TqErr DSCompact(void);
TQ_API TqErr MemCheckHeaps(void);
TQ_API void SetMergeAdjVirtualAllocs(int32 flag);
// Releases every pool block at once; only safe when nothing allocated from the pool is used again.
TQ_API void FreeSmartHeapPool(void);

// Statistics. Each runs the heap check first and returns its result.
// Nine words: [0] available physical memory, [3] bytes held by the pool allocator, [7] total physical memory,
// the others 0. Null only runs the check.
TQ_API TqErr DSMemStats(uInt64* stats);
TQ_API TqErr AZMemStats(uInt64* stats);
// Null pointers are skipped: available physical memory; 0; 0; bytes held by the pool; 0; 0; the pool's live
// blocks; 0; total physical memory, high and low 32 bits; 0; the pool's free bytes.
TQ_API TqErr DSMemStats2(uInt64* availPhys, uInt64* zero1, uInt64* zero2, uInt64* poolHeld, uInt64* zero4,
                         uInt64* zero5, uInt64* poolBlocks, uInt64* zero7, uInt32* totalPhysHigh,
                         uInt32* totalPhysLow, uInt64* zero10, uInt64* poolFree);
// Walks the pool's blocks: out[0] bytes in free blocks, out[1] bytes in used blocks, out[2] bytes held by the
// pool. A walk that fails is reported ("The heap is corrupt"). Returns 0.
TQ_API TqErr DSMemStatsSlow(uInt64* out);

// Counters: handles allocated, pointers allocated, resizes, data moves (four int32, 16 bytes).
TQ_API void DSReadCounters(void* buf);
TQ_API void DSSetCounters(const void* buf);

// Hooks and switches. Each setter that returns a procedure returns the previous one.
TQ_API MemFullProc SetMemFullProc(MemFullProc proc);
TQ_API void CallSetMemFullProc(uInt64 size);
TQ_API MemEventTraceProc SetMemEventTraceProc(MemEventTraceProc proc);
TQ_API MemoryCheckCallback SetMemoryCheckCallback(MemoryCheckCallback cb);
TQ_API GuardByteCheckFailedProc SetGuardByteCheckFailedProc(GuardByteCheckFailedProc proc);
TQ_API void SetLogMemMutexAccessProc(LogMemMutexAccessProc proc);
TQ_API void SetCheckHighWaterMarks(Bool32 on);
// Level 0, 1 or 2 (default); returns the previous level. Other values are ignored.
TQ_API int32 DSSetHandleChecking(int32 level);
TQ_API void SetNeverShrinkBuffers(Bool32 on);
TQ_API Bool32 IsNeverShrinkBuffersEnabled(void);
TQ_API void SetStressHandles(Bool32 on);
TQ_API Bool32 GetStressHandles(void);
TQ_API void SetMemoryDebugger(Bool32 on);
TQ_API void ToggleMemoryDebugging(void);
TQ_API void SetIsMasterPointerPoolEnabled(Bool32 on);
TQ_API Bool32 IsMasterPointerPoolEnabled(void);
TQ_API Bool32 GetMemoryManagerInitialized(void);
// The memory manager's service (one of the base services), for hosts that build a registry of their own;
// created on first call, no lock taken.
TQ_API IServiceObject* MemoryManagerService(void);

// Tracked allocation behind the library's operator new/delete. Null when memory is exhausted.
TQ_API void* TrackedMalloc(uInt64 size);
TQ_API void TrackedFree(void* p);
// Nothing to do: tracking is the allocation tracker's.
TQ_API void TrackedMallocDumpTracker(void);
TQ_API void TrackedMallocResetTracker(void);

// Block operations on plain memory.
// Copies n bytes from src to dst; the ranges may overlap. Note the order: source first.
TQ_API void MoveBlock(const void* src, void* dst, uInt64 n);
TQ_API void ClearMem(void* p, uInt64 n);
// Sign of the first differing byte (as unsigned), 0 when equal.
TQ_API int32 BlockCmp(const void* a, const void* b, uInt64 n);
// Exchanges two non-overlapping ranges.
TQ_API void SwapBlock(void* a, void* b, uInt64 n);
TQ_API void RevBL(void* p);
TQ_API void RevBQ(void* p);
TQ_API void SwapBW(void* p);
TQ_API void SwapWL(void* p);

TQ_EXTERN_C_END

#ifdef __cplusplus
// Owns one handle and disposes it on destruction.
class TQ_API PKHandle {
  public:
    PKHandle() = default;
    explicit PKHandle(UHandle h) : handle_(h) {}
    ~PKHandle();
    PKHandle(const PKHandle&) = delete;
    PKHandle& operator=(const PKHandle&) = delete;

    UHandle Handle() const { return handle_; }
    // Gives up ownership.
    UHandle Detach() {
        UHandle h = handle_;
        handle_ = nullptr;
        return h;
    }
    // Takes ownership; a held handle is reported at level 4 and replaced.
    void AttachHandle(UHandle h);
    // Size 0 disposes; an empty owner gets a new handle (2 on failure); else the resize result.
    TqErr Resize(uInt64 size);
    // *field (inside the data) grows or shrinks from oldLength to newLength bytes; the bytes after it move
    // with it and *field follows the data. New bytes are not initialised. Returns the resize result.
    TqErr ResizeField(uChar** field, uInt64 oldLength, uInt64 newLength);

  private:
    UHandle handle_ = nullptr;
};
#endif

#ifdef __cplusplus
// A way of allocating handles, chosen by the caller: plain, or through the buffer cache for large buffers
// that come and go. Results are those of the handle operations each stands for.
class TQ_API HandleAllocationInterface {
  public:
    HandleAllocationInterface();
    virtual ~HandleAllocationInterface();
    virtual UHandle AllocateHandle(uInt64 size) const = 0;
    virtual UHandle AllocateHandleClr(uInt64 size) const = 0;
    virtual TqErr ResizeHandle(UHandle h, uInt64 size) const = 0;
    virtual TqErr ResizeHandleClr(UHandle h, uInt64 size) const = 0;
    // A null *h gets a new handle.
    virtual TqErr ResizeHandleOrAllocateHandle(UHandle* h, uInt64 size) const = 0;
    virtual TqErr ResizeHandleOrAllocateHandleClr(UHandle* h, uInt64 size) const = 0;
    virtual TqErr DeallocateHandle(UHandle h) const = 0;
};

class TQ_API NormalHandleAllocationInterface : public HandleAllocationInterface {
  public:
    UHandle AllocateHandle(uInt64 size) const override;
    UHandle AllocateHandleClr(uInt64 size) const override;
    TqErr ResizeHandle(UHandle h, uInt64 size) const override;
    TqErr ResizeHandleClr(UHandle h, uInt64 size) const override;
    TqErr ResizeHandleOrAllocateHandle(UHandle* h, uInt64 size) const override;
    TqErr ResizeHandleOrAllocateHandleClr(UHandle* h, uInt64 size) const override;
    TqErr DeallocateHandle(UHandle h) const override;
};

class TQ_API CachedHandleAllocationInterface : public HandleAllocationInterface {
  public:
    UHandle AllocateHandle(uInt64 size) const override;
    UHandle AllocateHandleClr(uInt64 size) const override;
    TqErr ResizeHandle(UHandle h, uInt64 size) const override;
    TqErr ResizeHandleClr(UHandle h, uInt64 size) const override;
    TqErr ResizeHandleOrAllocateHandle(UHandle* h, uInt64 size) const override;
    TqErr ResizeHandleOrAllocateHandleClr(UHandle* h, uInt64 size) const override;
    TqErr DeallocateHandle(UHandle h) const override;
};
#endif

#ifdef __cplusplus
class AllocTracker;

// Where a tracker's dump goes. Lines come already formatted through FormatToOutput.
class TQ_API AllocDumper {
  public:
    AllocDumper();
    virtual ~AllocDumper();
    AllocDumper(const AllocDumper&) = delete;
    AllocDumper& operator=(const AllocDumper&) = delete;
    // The plural name of what is tracked, for the dump's header.
    virtual const char* ObjBeingTrackedName() = 0;
    // Whether each item's recorded stack is listed.
    virtual bool GetShowStackNames() = 0;
    virtual void FormatToOutput(const char* format, ...) = 0;
    // Shows the bytes of a listed item, or nothing.
    virtual void DumpItemContents(const void* pointer, uInt64 size) = 0;
};

// Each line (at most 2,047 characters) to the debug output at level 0; no item contents.
class TQ_API DefaultDumper : public AllocDumper {
  public:
    explicit DefaultDumper(const char* name = "items", bool showStackNames = false);
    // Delivers an unfinished last line.
    ~DefaultDumper() override;
    const char* ObjBeingTrackedName() override;
    bool GetShowStackNames() override;
    void FormatToOutput(const char* format, ...) override;
    void DumpItemContents(const void* pointer, uInt64 size) override;

  private:
    void Deliver();

    const char* name_;
    bool showStackNames_;
    int32 used_ = 0;
    char line_[2048];
};

// The leak report: more live items than expected are written, with stacks and contents, to a file.
class TQ_API LeakDumper : public AllocDumper {
  public:
    LeakDumper(int32 expected, const char* name, const char* fileName);
    ~LeakDumper() override;
    const char* ObjBeingTrackedName() override;
    bool GetShowStackNames() override;
    void FormatToOutput(const char* format, ...) override;
    void DumpItemContents(const void* pointer, uInt64 size) override;
    // Reports the total when the tracker holds at most the expected count, else writes the dump to the file
    // and reports the difference.
    void DumpLeaks(AllocTracker* tracker);

  private:
    int32 expected_;
    std::string name_;
    std::string fileName_;
    intptr_t file_ = -1;  // open only while dumping
};

// Records live allocations with their call stacks. Inactive until Init, active until Uninit or until it
// deactivates itself (a pointer returned twice, or no memory for its own records). Any thread.
class AllocTracker {
  public:
    virtual ~AllocTracker() = default;
    // No effect.
    virtual void Refresh() = 0;
    // Records p with size 0 and the tracker's own source position.
    virtual void Add(const void* p) = 0;
    virtual int32 Forget(const void* p) = 0;  // = Remove(p)
    virtual int32 Count32() = 0;              // = Count(), as 32 bits
    // skipFrames innermost frames are left out of each recorded stack.
    virtual void Init(int32 skipFrames) = 0;
    // Releases the records.
    virtual void Uninit() = 0;
    virtual void Add(const void* p, uInt64 size, const char* file, int32 line) = 0;
    // 0 when p was tracked and is no longer; 1 otherwise (also while inactive).
    virtual int32 Remove(const void* p) = 0;
    virtual int64 Count() = 0;
    virtual int32 Reserved() = 0;  // 0
    virtual void Dump(AllocDumper* dumper) = 0;
    // Only the items recorded from the source file named file.
    virtual void Dump(AllocDumper* dumper, const char* file) = 0;
    virtual bool IsTracked(const void* p) = 0;
    virtual void Idle() = 0;  // no effect
};

TQ_EXTERN_C_BEGIN
// Active trackers (3 innermost frames skipped, or skip); null when memory is exhausted.
TQ_API AllocTracker* CreateAllocTracker(void);
TQ_API AllocTracker* CreateAllocTrackerSpecifySkip(int32 skip);
// Uninit, then delete; null does nothing.
TQ_API void DestroyAllocTracker(AllocTracker* tracker);
// The leak report of LeakDumper(expected, name, fileName).DumpLeaks(tracker).
TQ_API void DumpLeakInfo(AllocTracker* tracker, int32 expected, const char* name, const char* fileName);
TQ_EXTERN_C_END
#endif
