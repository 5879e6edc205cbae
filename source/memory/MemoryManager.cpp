// The handle and pointer operations of the one zone, its hooks, heap checks and its service.
#include "tqcore/memory.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>

#include "diagnostics/Report.h"
#include "memory/BufferCache.h"
#include "memory/HandleLayout.h"
#include "memory/HandleQuery.h"
#include "memory/MasterPointerPool.h"
#include "memory/MemoryManager.h"
#include "memory/Services.h"
#include "memory/ThreadCache.h"
#include "platform/PoolHeap.h"
#include "threads/Services.h"

#define TQ_UNIT "source\\MemoryManager"

namespace tq::memory {

Layout DefaultLayout(uInt64 size) {
    const uInt32 align = size < 1024 ? 8 : size < 0x100000 ? 64 : 4096;
    const uInt32 offset = size % 8 == 0 ? 8 : size % 8 == 4 ? 4 : (align == 8 ? 8 : 0);
    return {align, offset};
}

Layout NormalizeLayout(uInt32 align, uInt32 offset) {
    if (align < 8) {
        align = 8;
    } else if (align & (align - 1)) {  // not a power of two (std::has_single_bit calls out without popcnt)
        align = std::max(16u, std::bit_ceil(std::min(align, kMaxAlign)));
    }
    align = std::min(align, kMaxAlign);  // the block keeps it in 16 bits
    uInt64 o = (uInt64(offset) + 3) & ~uInt64(3);
    if (align == 8 && o % 8 == 0) o = 8;
    if (align > 8) o %= align;  // only the offset modulo the alignment matters
    return {align, uInt32(o)};
}

namespace {

void NoMemFullProc(uInt64) {}

std::atomic<MemFullProc> gMemFull{NoMemFullProc};
std::atomic<MemEventTraceProc> gTrace{nullptr};
std::atomic<LogMemMutexAccessProc> gLogMutexProc{nullptr};
std::atomic<bool> gCheckHighWaterMarks{false};
std::atomic<bool> gInitialized{false};
std::atomic<bool> gInHeapCheck{false};

void Trace(int32 event, TqErr err, UHandle h, uInt64 size, uInt64 old) {
    if (MemEventTraceProc p = gTrace.load(std::memory_order_relaxed)) p(event, err, h, size, old);
}

// Reports stay out of line so that the paths they guard keep few registers.
__attribute__((noinline)) void ReportFailure(TqErr err, const char* name) {
    TQ_REPORT(kDbgError, "Memory error ", err, " in ", name);
}

TqErr Failed(TqErr err, const char* name) {
    if (err) ReportFailure(err, name);
    return err;
}

}  // namespace

__attribute__((noinline)) void ReportFreedMaster(const uChar* v) {
    TQ_REPORT(kDbgNote,
              "Deallocated or possibly invalid pointer passed to CheckHandleInZone: ", ToHex(v).text);
}

namespace {

GuardState HandleGuards(UHandle h) {
    if (!Has(kGuardHandles, kGuardWrite)) return GuardState::kIntact;
    const HandleHeader hd = ReadHeader(*h, HandleGuardRoom());
    return InspectGuards(*h, hd.guardSize);
}

__attribute__((noinline)) void ReportDamaged(UHandle h, GuardState state, const char* name) {
    ReportGuardFailure(*h, state);
    TQ_REPORT(kDbgFatal, "Damaged guard bytes around handle ", ToHex(h).text, " in ", name);
}

TqErr RejectDamaged(UHandle h, GuardState state, const char* name) {
    ReportDamaged(h, state, name);
    return Failed(kErrBadHandle, name);
}

__attribute__((noinline)) void ReportInvalid(UHandle h, const char* name) {
    TQ_REPORT(kDbgFatal, "Invalid handle ", ToHex(h).text, " passed to ", name);
}

// Validation plus, with verification on, the guard check; failures are reported at level 4.
[[gnu::always_inline]] inline bool Usable(UHandle h, Use use, const char* name) {
    if (!Validate(h, FullValidation(use))) {
        ReportInvalid(h, name);
        return false;
    }
    if (!Has(kGuardHandles, kGuardVerify)) return true;
    const GuardState g = HandleGuards(h);
    if (g == GuardState::kIntact) return true;
    ReportDamaged(h, g, name);
    return false;
}

[[gnu::always_inline]] inline UHandle NewHandleCore(uInt64 size, Layout l, bool clear) {
    ThreadCache* cache = CurrentCache();
    if (!cache) EnsureConfigured();
    UHandle h = TakeMaster(cache);
    const uInt32 mode = GuardMode(kGuardHandles);
    const uInt64 g = mode & kGuardReserve ? kGuardSize : 0;
    const BlockSize bs = SizeBlock(PaddedSize(size, l, g));
    const uInt64 padded = bs.bytes;
    auto* block = h && padded ? static_cast<uChar*>(TakeBlock(cache, bs.cls, padded)) : nullptr;
    if (!block) {
        if (h) ReturnMaster(cache, h);
        CallSetMemFullProc(size);
        Trace(kMemEventNewHandle, kErrMemoryFull, nullptr, size, 0);
        return nullptr;
    }
    uChar* data = PlaceData(block, l, g, size);
    StampBlock(block, padded, data, l, g, size);
    if (mode & kGuardWrite) WriteGuards(data, size);
    if (clear) std::memset(data, 0, size);
    *h = data;
    Count(cache, kCountHandles);
    Trace(kMemEventNewHandle, kErrNone, h, size, 0);
    return h;
}

TqErr DisposeCore(UHandle h, const char* name, bool cached = false) {
    if (!h) return kErrNone;
    ThreadCache* cache = CurrentCache();
    if (!cache) EnsureConfigured();
    if (!Validate(h, FullValidation(Use::kDisposeOrSize))) return Failed(kErrBadHandle, name);
    const uInt32 mode = GuardMode(kGuardHandles);
    const uInt64 g = mode & kGuardReserve ? kGuardSize : 0;
    const HandleHeader hd = ReadHeader(*h, g);
    constexpr uInt32 kWriteAndVerify = kGuardWrite | kGuardVerify;
    if ((mode & kWriteAndVerify) == kWriteAndVerify) {
        const GuardState state = InspectGuards(*h, hd.guardSize);
        if (state != GuardState::kIntact) return RejectDamaged(h, state, name);
    }
    uChar* data = *h;
    ReturnMaster(cache, h);
    if (!cached || !CacheBuffer(data, hd, g)) ReleaseBlock(cache, BlockOf(data, hd, g), hd.blockBytes);
    Trace(kMemEventDisposeHandle, kErrNone, h, hd.guardSize, 0);
    return kErrNone;
}

void ShiftData(uChar* to, const uChar* from, uInt64 n) {
    if (to != from && n) std::memmove(to, from, size_t(n));
}

struct ResizeRequest {
    uInt64 size;
    Layout layout;
    bool clear;
    bool keep;
    bool cached = false;  // a new block may come from the buffer cache
};

// A growing block takes half as much again as it held, so that a handle grown a little at a time (a string
// appended to) is moved and copied a logarithmic number of times; the logical size stays exact. got is the
// block size had; the exact size is tried when the larger one cannot be had.
uChar* GrowBlock(uChar* block, uInt64 held, uInt64 need, uInt64& got) {
    const uInt64 roomy = SizeBlock(std::max(need, held + held / 2)).bytes;
    if (roomy > need) {
        if (auto* grown = static_cast<uChar*>(platform::PoolResize(block, roomy))) {
            got = roomy;
            return grown;
        }
    }
    got = need;
    return static_cast<uChar*>(platform::PoolResize(block, need));
}

// Lays the data out afresh for the request, reusing or resizing the block where possible; 2 with the
// handle unchanged when no block can be had.
// Kept out of line: the resizes that change only the size words stay short.
__attribute__((noinline)) TqErr Relayout(UHandle h, const HandleHeader& hd, const ResizeRequest& r) {
    const uInt64 g = HandleGuardRoom();
    uChar* data = *h;
    uChar* block = BlockOf(data, hd, g);
    const uInt64 keep = r.keep ? std::min(r.size, hd.guardSize) : 0;
    const BlockSize bs = SizeBlock(PaddedSize(r.size, r.layout, g));
    const uInt64 need = bs.bytes;
    uInt64 held = hd.blockBytes;
    const bool stress = gSettings.stress.load(std::memory_order_relaxed);
    uChar* placed;
    if (!need) {
        CallSetMemFullProc(r.size);
        return kErrMemoryFull;
    }
    if (stress) {
        auto* fresh = static_cast<uChar*>(TakeBlock(CurrentCache(), bs.cls, need));
        if (!fresh) return CallSetMemFullProc(need), kErrMemoryFull;
        placed = PlaceData(fresh, r.layout, g, r.size);
        std::memcpy(placed, data, keep);
        ReleaseBlock(CurrentCache(), block, held);
        block = fresh;
        held = need;
    } else if (need <= held) {
        placed = PlaceData(block, r.layout, g, r.size);
        ShiftData(placed, data, keep);
        // Growth into the block's spare room keeps it; a shrink gives bytes back once the block is more than
        // half as large again as needed (the room growth leaves), so that sizes going up and down a little
        // do not resize the block each time.
        const bool shrink = need < held && r.size < hd.size && held - need > need / 2;
        auto* shrunk = shrink ? static_cast<uChar*>(platform::PoolResize(block, need)) : nullptr;
        if (shrunk && shrunk != block) {
            uChar* again = PlaceData(shrunk, r.layout, g, r.size);
            ShiftData(again, shrunk + (placed - block), keep);
            placed = again;
        }
        if (shrunk) block = shrunk, held = need;
    } else if (uChar* taken = r.cached ? TakeCachedBuffer(r.size, r.layout) : nullptr) {
        std::memcpy(taken, data, keep);
        ReleaseBlock(CurrentCache(), block, held);
        const HandleHeader th = ReadHeader(taken, g);
        block = BlockOf(taken, th, g);
        held = th.blockBytes;
        placed = taken;
    } else {
        uInt64 got = need;
        uChar* grown = GrowBlock(block, held, need, got);
        if (!grown) return CallSetMemFullProc(need), kErrMemoryFull;
        placed = PlaceData(grown, r.layout, g, r.size);
        ShiftData(placed, grown + (data - block), keep);
        block = grown;
        held = got;
    }
    StampBlock(block, held, placed, r.layout, g, r.size);
    if (Has(kGuardHandles, kGuardWrite)) WriteGuards(placed, r.size);
    if (r.clear && r.size > hd.size) std::memset(placed + hd.size, 0, r.size - hd.size);
    if (placed != data && !stress) Count(CurrentCache(), kCountMoves);
    *h = placed;
    return kErrNone;
}

// Buffers that never shrink keep their block and only change the logical size, when no guards are in play.
bool ResizeWithinCapacity(UHandle h, HandleHeader hd, const ResizeRequest& r) {
    const Layout old = LayoutOf(hd);
    if (!gSettings.neverShrink.load(std::memory_order_relaxed) ||
        !gSettings.fastPath.load(std::memory_order_relaxed) || r.size > hd.guardSize ||
        !AlignsTo(old, r.layout) || old.offset != r.layout.offset)
        return false;
    if (r.clear && r.size > hd.size) std::memset(*h + hd.size, 0, r.size - hd.size);
    hd.size = r.size;
    WriteHeader(*h, HandleGuardRoom(), hd);
    return true;
}

// Growth that the block's spare room holds, with the layout kept and no guards in play: the data stays where
// it is and only the size words change.
bool GrowWithinBlock(UHandle h, const HandleHeader& hd, const ResizeRequest& r) {
    if (r.size <= hd.guardSize || !gSettings.fastPath.load(std::memory_order_relaxed) ||
        gSettings.stress.load(std::memory_order_relaxed) || LayoutOf(hd) != r.layout)
        return false;
    uChar* data = *h;
    const uChar* end = BlockOf(data, hd, 0) + hd.blockBytes;
    if (r.size > uInt64(end - data)) return false;
    if (r.clear) std::memset(data + hd.size, 0, r.size - hd.size);
    // One 16-byte store: the next resize reads both words with one load, which two stores would stall.
    const uInt64 words[2] = {r.size, r.size};
    std::memcpy(data - kHeaderSize, words, sizeof words);
    return true;
}

TqErr ResizeCore(UHandle h, const ResizeRequest& r, const char* name) {
    EnsureConfigured();
    if (!Usable(h, Use::kOther, name)) return Failed(kErrBadHandle, name);
    const HandleHeader hd = ReadHeader(*h, HandleGuardRoom());
    TqErr err = kErrNone;
    const bool same = r.size == hd.size && r.size == hd.guardSize && LayoutOf(hd) == r.layout;
    if (!same && !GrowWithinBlock(h, hd, r) &&
        (gSettings.stress.load(std::memory_order_relaxed) || !ResizeWithinCapacity(h, hd, r)))
        err = Relayout(h, hd, r);
    Count(CurrentCache(), kCountResizes);
    Trace(kMemEventResizeHandle, err, h, r.size, hd.guardSize);
    return Failed(err, name);
}

TqErr Resize(UHandle h, uInt64 size, bool clear, const char* name, bool cached = false) {
    return ResizeCore(h, {size, DefaultLayout(size), clear, true, cached}, name);
}

// A handle whose block comes from the buffer cache when it holds a suitable one.
UHandle NewHandleCached(uInt64 size, bool clear) {
    const Layout l = DefaultLayout(size);
    ThreadCache* cache = CurrentCache();
    if (!cache) EnsureConfigured();
    UHandle h = TakeMaster(cache);
    uChar* data = h ? TakeCachedBuffer(size, l) : nullptr;
    if (!data) {
        if (h) ReturnMaster(cache, h);
        return NewHandleCore(size, l, clear);
    }
    if (clear) std::memset(data, 0, size);
    *h = data;
    Count(cache, kCountHandles);
    Trace(kMemEventNewHandle, kErrNone, h, size, 0);
    return h;
}

TqErr SizeOrNew(UHandle* h, uInt64 size, bool clear, const char* name, bool cached = false) {
    if (!h) return Failed(kErrArgument, name);
    if (*h) return Resize(*h, size, clear, name, cached);
    *h = cached ? NewHandleCached(size, clear) : NewHandleCore(size, DefaultLayout(size), clear);
    return *h ? kErrNone : Failed(kErrMemoryFull, name);
}

TqErr DataSizeOrNew(UHandle* h, uInt64 size, bool clear, const char* name) {
    if (h && size == 0) return DSDisposeHandleAndNull(h);
    return SizeOrNew(h, size, clear, name);
}

// The valid size of h, or -1 after reporting.
int64 SizeOf(UHandle h, Use use, const char* name) {
    EnsureConfigured();
    if (!Usable(h, use, name)) return -1;
    return int64(ReadHeader(*h, HandleGuardRoom()).size);
}

// Copies n bytes from p to offset at of h's data, which ends up at + n long; p may lie inside h.
TqErr FillFrom(UHandle h, uInt64 at, const void* p, uInt64 n, const char* name) {
    if (n && !p) return Failed(kErrArgument, name);
    const auto* src = static_cast<const uChar*>(p);
    const int64 size = SizeOf(h, Use::kOther, name);
    if (size < 0) return Failed(kErrBadHandle, name);
    const bool inside = n && src >= *h && src < *h + size;
    const uInt64 from = inside ? uInt64(src - *h) : 0;
    if (inside && from + n > uInt64(size)) return Failed(kErrArgument, name);
    if (inside && at + n <= uInt64(size)) {  // shrinking or same size: move before the tail goes
        std::memmove(*h + at, *h + from, size_t(n));
        return Resize(h, at + n, false, name);
    }
    if (TqErr err = Resize(h, at + n, false, name)) return err;
    if (n) std::memmove(*h + at, inside ? *h + from : src, size_t(n));
    return kErrNone;
}

TqErr AppendTo(UHandle h, const void* p, uInt64 n, const char* name) {
    const int64 size = SizeOf(h, Use::kOther, name);
    if (size < 0) return Failed(kErrBadHandle, name);
    return FillFrom(h, uInt64(size), p, n, name);
}

UPtr NewPtrCore(uInt64 size, bool clear) {
    EnsureConfigured();
    const bool guards = Has(kGuardPtrs, kGuardReserve);
    const uInt64 room = guards ? 3 * kGuardSize : 0;
    const uInt64 total = (std::max<uInt64>(size + room, 1) + 7) & ~uInt64(7);
    auto* block = size < (uInt64(1) << 56) ? static_cast<uChar*>(platform::PoolAllocate(total)) : nullptr;
    if (!block) {
        CallSetMemFullProc(size);
        return nullptr;
    }
    uChar* data = block + (guards ? 2 * kGuardSize : 0);
    if (guards) std::memcpy(block, &size, sizeof size);
    if (Has(kGuardPtrs, kGuardWrite)) WriteGuards(data, size);
    if (clear) std::memset(data, 0, size);
    Count(CurrentCache(), kCountPointers);
    if (gSettings.memChecking.load(std::memory_order_relaxed)) {
        if (reinterpret_cast<uintptr_t>(block) % 8) TQ_REPORT(kDbgFatal, "Ptr block not ptr-aligned");
        DSHeapCheck(0);
    }
    return data;
}

GuardState PtrGuards(const void* p) {
    const auto* data = static_cast<const uChar*>(p);
    uInt64 size;
    std::memcpy(&size, data - 2 * kGuardSize, sizeof size);
    return InspectGuards(data, size);
}

bool PtrGuardsChecked() {
    return Has(kGuardPtrs, kGuardWrite | kGuardVerify);
}

TqErr HeapCheckCore(int32 flag, bool fullPoolCheck) {
    if (gInHeapCheck.exchange(true)) return kErrNone;
    const ZoneCensus c = TakeCensus();
    if (c.listedBlocks > c.blocks)
        TQ_REPORT(kDbgFatal, "MemCheck error, m.p. block chain error 1");
    else if (c.listedBlocks != c.blocks)
        TQ_REPORT(kDbgFatal, "MemCheck error, m.p. block chain error 2");
    const bool sound = platform::PoolCheck() && (!fullPoolCheck || platform::PoolWalk(nullptr, nullptr));
    if (flag) {
        const platform::PoolTotals t = platform::PoolGetTotals();
        TQ_REPORT(kDbgNote, "Free: totFreeSize ", t.freeBytes, ", maxFreeSize ", t.maxFreeBytes);
        TQ_REPORT(kDbgNote, "Allocated to PK: totAllocSize ", t.usedBytes);
        TQ_REPORT(kDbgNote, "Total: totPhysSize ", t.heldBytes);
    }
    DSDisposePtr(DSNewPtr(2));
    gInHeapCheck.store(false);
    // A heap whose bookkeeping disagrees with itself is reported as a generic failure.
    return sound ? kErrNone : kErrGeneric;
}

}  // namespace

int64 LiveHandleCount() {
    return TakeCensus().liveHandles;
}

bool SetHandleAndPtrGuardModes(uInt32 handles, uInt32 ptrs) {
    EnsureConfigured();
    if (LiveHandleCount() != 0) return false;
    EmptyBufferCache();  // cached blocks are laid out for the old guard room
    SetGuardMode(kGuardHandles, handles);
    SetGuardMode(kGuardPtrs, ptrs);
    return true;
}

}  // namespace tq::memory

using namespace tq::memory;

UHandle DSNewHandle(uInt64 size) {
    return NewHandleCore(size, DefaultLayout(size), false);
}
UHandle DSNewHClr(uInt64 size) {
    return NewHandleCore(size, DefaultLayout(size), true);
}
UHandle AZNewHandle(uInt64 size) {
    return DSNewHandle(size);
}
UHandle AZNewHClr(uInt64 size) {
    return DSNewHClr(size);
}
UHandle DSNewAlignedHandle(uInt64 size, uInt32 alignment, uInt32 offset) {
    return NewHandleCore(size, NormalizeLayout(alignment, offset), false);
}
UHandle DSNewAlignedHClr(uInt64 size, uInt32 alignment, uInt32 offset) {
    return NewHandleCore(size, NormalizeLayout(alignment, offset), true);
}

TqErr DSDisposeHandle(UHandle h) {
    return DisposeCore(h, "DSDisposeHandle");
}
TqErr AZDisposeHandle(UHandle h) {
    return DisposeCore(h, "AZDisposeHandle");
}

TqErr DSDisposeHandleAndNull(UHandle* h) {
    if (!h || !*h) return kErrNone;
    const TqErr err = DisposeCore(*h, "DSDisposeHandleAndNull");
    *h = nullptr;
    return err;
}

UHandle DSNewHandleCache(uInt64 size) {
    return NewHandleCached(size, false);
}
UHandle DSNewHClrCache(uInt64 size) {
    return NewHandleCached(size, true);
}
TqErr DSDisposeHandleCache(UHandle h) {
    return DisposeCore(h, "DSDisposeHandleCache", true);
}
TqErr DSSetHandleSizeCache(UHandle h, uInt64 size) {
    return Resize(h, size, false, "DSSetHandleSizeCache", true);
}
TqErr DSSetHSzClrCache(UHandle h, uInt64 size) {
    return Resize(h, size, true, "DSSetHSzClrCache", true);
}
TqErr DSSetHandleSizeOrNewHandleCache(UHandle* h, uInt64 size) {
    return SizeOrNew(h, size, false, "DSSetHandleSizeOrNewHandleCache", true);
}
TqErr DSSetHSzOrNewHClrCache(UHandle* h, uInt64 size) {
    return SizeOrNew(h, size, true, "DSSetHSzOrNewHClrCache", true);
}

int64 DSGetHandleSize(UHandle h) {
    return std::max<int64>(SizeOf(h, Use::kDisposeOrSize, "DSGetHandleSize"), 0);
}
int64 AZGetHandleSize(UHandle h) {
    return std::max<int64>(SizeOf(h, Use::kDisposeOrSize, "AZGetHandleSize"), 0);
}

TqErr DSSetHandleSize(UHandle h, uInt64 size) {
    return Resize(h, size, false, "DSSetHandleSize");
}
TqErr AZSetHandleSize(UHandle h, uInt64 size) {
    return Resize(h, size, false, "AZSetHandleSize");
}
TqErr DSSetHSzClr(UHandle h, uInt64 size) {
    return Resize(h, size, true, "DSSetHSzClr");
}
TqErr AZSetHSzClr(UHandle h, uInt64 size) {
    return Resize(h, size, true, "AZSetHSzClr");
}

TqErr DSSetAlignedHandleSize(UHandle h, uInt64 size, uInt32 alignment, uInt32 offset) {
    return ResizeCore(h, {size, NormalizeLayout(alignment, offset), false, true}, "DSSetAlignedHandleSize");
}
TqErr DSSetAlignedHSzClr(UHandle h, uInt64 size, uInt32 alignment, uInt32 offset) {
    return ResizeCore(h, {size, NormalizeLayout(alignment, offset), true, true}, "DSSetAlignedHSzClr");
}
TqErr DSSetAlignedHandleSizeNoInit(UHandle h, uInt64 size, uInt32 alignment, uInt32 offset) {
    return ResizeCore(h, {size, NormalizeLayout(alignment, offset), false, false},
                      "DSSetAlignedHandleSizeNoInit");
}

TqErr DSSetHandleSizeOrNewHandle(UHandle* h, uInt64 size) {
    return SizeOrNew(h, size, false, "DSSetHandleSizeOrNewHandle");
}
TqErr DSSetHSzOrNewHClr(UHandle* h, uInt64 size) {
    return SizeOrNew(h, size, true, "DSSetHSzOrNewHClr");
}
TqErr DataSetHandleSizeOrNewHandle(UHandle* h, uInt64 size) {
    return DataSizeOrNew(h, size, false, "DataSetHandleSizeOrNewHandle");
}
TqErr DataSetHSzOrNewHClr(UHandle* h, uInt64 size) {
    return DataSizeOrNew(h, size, true, "DataSetHSzOrNewHClr");
}

TqErr DSCopyHandle(UHandle* dst, UHandle src) {
    if (!dst) return Failed(kErrArgument, "DSCopyHandle");
    if (!src) return DSDisposeHandleAndNull(dst);
    if (src == *dst) {
        TQ_REPORT(kDbgError, "Should call DSHandToHand. This is a no-op");
        return kErrNone;
    }
    const int64 size = SizeOf(src, Use::kOther, "DSCopyHandle");
    if (size < 0) return Failed(kErrBadHandle, "DSCopyHandle");
    if (TqErr err = SizeOrNew(dst, uInt64(size), false, "DSCopyHandle")) return err;
    std::memcpy(**dst, *src, size_t(size));
    return kErrNone;
}
TqErr AZCopyHandle(UHandle* dst, UHandle src) {
    return DSCopyHandle(dst, src);
}

TqErr DSHandToHand(UHandle* h) {
    if (!h) return Failed(kErrArgument, "DSHandToHand");
    UHandle copy = nullptr;
    if (TqErr err = DSCopyHandle(&copy, *h)) return err;
    if (!copy) return Failed(kErrBadHandle, "DSHandToHand");
    *h = copy;
    return kErrNone;
}
TqErr AZHandToHand(UHandle* h) {
    return DSHandToHand(h);
}

TqErr DSHandAndHand(UHandle src, UHandle dst) {
    const int64 size = SizeOf(src, Use::kOther, "DSHandAndHand");
    if (size < 0) return Failed(kErrBadHandle, "DSHandAndHand");
    return AppendTo(dst, *src, uInt64(size), "DSHandAndHand");
}
TqErr AZHandAndHand(UHandle src, UHandle dst) {
    return DSHandAndHand(src, dst);
}

TqErr DSPtrAndHand(const void* p, UHandle h, uInt64 n) {
    return AppendTo(h, p, n, "DSPtrAndHand");
}
TqErr AZPtrAndHand(const void* p, UHandle h, uInt64 n) {
    return DSPtrAndHand(p, h, n);
}

TqErr DSPtrToHand(const void* p, UHandle* h, uInt64 n) {
    if (!h || (n && !p)) return Failed(kErrArgument, "DSPtrToHand");
    UHandle fresh = NewHandleCore(n, DefaultLayout(n), false);
    if (!fresh) return Failed(kErrMemoryFull, "DSPtrToHand");
    if (n) std::memcpy(*fresh, p, size_t(n));
    *h = fresh;
    return kErrNone;
}
TqErr AZPtrToHand(const void* p, UHandle* h, uInt64 n) {
    return DSPtrToHand(p, h, n);
}

// A null handle cannot be handed back through this interface, so it is refused as a bad handle.
TqErr DSPtrToXHand(const void* p, UHandle h, uInt64 n) {
    if (!h) return Failed(kErrBadHandle, "DSPtrToXHand");
    return FillFrom(h, 0, p, n, "DSPtrToXHand");
}
TqErr AZPtrToXHand(const void* p, UHandle h, uInt64 n) {
    return DSPtrToXHand(p, h, n);
}

TqErr DSSetHandleFromPtr(UHandle* h, const void* p, uInt64 n) {
    if (!h) return Failed(kErrArgument, "DSSetHandleFromPtr");
    if (!*h) return DSPtrToHand(p, h, n);
    return FillFrom(*h, 0, p, n, "DSSetHandleFromPtr");
}
TqErr AZSetHandleFromPtr(UHandle* h, const void* p, uInt64 n) {
    return DSSetHandleFromPtr(h, p, n);
}

TqErr DSSetHandleFromPtrNULLMeansEmpty(UHandle* h, const void* p, uInt64 n) {
    if (h && n == 0) return DSDisposeHandleAndNull(h);
    return DSSetHandleFromPtr(h, p, n);
}

TqErr DSSwapHandles(UHandle a, UHandle b) {
    EnsureConfigured();
    if (a == b) {
        TQ_REPORT(kDbgFatal, "DSSwapHandles called with the same handle twice");
        return kErrBadHandle;
    }
    if (!Usable(a, Use::kOther, "DSSwapHandles") || !Usable(b, Use::kOther, "DSSwapHandles"))
        return kErrBadHandle;
    std::swap(*a, *b);
    return kErrNone;
}

UHandle DSRecoverHandle(const void* p) {
    EnsureConfigured();
    if (!p || (reinterpret_cast<uintptr_t>(p) & 3)) {
        TQ_REPORT(kDbgFatal, "Bad pointer passed to DSRecoverHandle: ", ToHex(p).text);
        return nullptr;
    }
    UHandle h = FindMasterHolding(p);
    if (!h) TQ_REPORT(kDbgFatal, "Pointer passed to BRecoverHandle not linked to master pointer!");
    return h;
}
UHandle AZRecoverHandle(const void* p) {
    return DSRecoverHandle(p);
}

Bool32 IsDSHandle(UHandle h) {
    EnsureConfigured();
    return Validate(h, true) ? 1 : 0;
}

TqErr DSCheckHandle(UHandle h) {
    EnsureConfigured();
    if (!Validate(h, true)) return kErrBadHandle;
    if (!Has(kGuardHandles, kGuardVerify)) return kErrNone;
    const GuardState g = HandleGuards(h);
    ReportGuardFailure(*h, g);
    return g == GuardState::kIntact ? kErrNone : kErrBadHandle;
}

TqErr AZCheckHandle(UHandle h) {
    EnsureConfigured();
    if (!Validate(h, FullValidation(Use::kOther))) return kErrBadHandle;
    if (!Has(kGuardHandles, kGuardVerify)) return kErrNone;
    const GuardState g = HandleGuards(h);
    ReportGuardFailure(*h, g);
    return g == GuardState::kIntact ? kErrNone : kErrBadHandle;
}

TqErr DSCheckPtr(const void* p) {
    EnsureConfigured();
    if (!p) return kErrBadHandle;
    if (!PtrGuardsChecked()) return kErrNone;
    const GuardState g = PtrGuards(p);
    ReportGuardFailure(const_cast<void*>(p), g);
    return g == GuardState::kIntact ? kErrNone : kErrBadHandle;
}
TqErr AZCheckPtr(const void* p) {
    return DSCheckPtr(p);
}

Bool32 DSCheckHandleGuardBytes(UHandle h) {
    EnsureConfigured();
    if (!h) {
        TQ_REPORT(kDbgBroken, "NULL handle passed to DSCheckHandleGuardBytes");
        return 0;
    }
    if (!Validate(h, FullValidation(Use::kOther))) return 0;
    return HandleGuards(h) == GuardState::kIntact ? 1 : 0;
}

Bool32 DSCheckPtrGuardBytes(const void* p) {
    EnsureConfigured();
    if (!p) {
        TQ_REPORT(kDbgBroken, "NULL ptr passed to CheckGuards");
        return 0;
    }
    if (!Has(kGuardPtrs, kGuardWrite)) return 1;
    return PtrGuards(p) == GuardState::kIntact ? 1 : 0;
}

Bool32 ShouldCheckHandleGuardBytes(void) {
    EnsureConfigured();
    return Has(kGuardHandles, kGuardVerify) ? 1 : 0;
}

Bool32 ConfigGuardBytes(Bool32 on) {
    EnsureConfigured();
    Bool32 all = 1;
    for (int32 k = 0; k < kGuardKinds; ++k) {
        const auto kind = GuardKind(k);
        const uInt32 mode = GuardMode(kind);
        if (!Has(kind, kGuardReserve | kGuardWrite)) {
            all = 0;
            continue;
        }
        SetGuardMode(kind, on ? (mode | kGuardVerify) : (mode & ~uInt32(kGuardVerify)));
    }
    return all;
}

namespace {
TqErr ZoneStateCheck(UHandle h, const char* name) {
    EnsureConfigured();
    return Validate(h, FullValidation(Use::kOther)) ? kErrNone : Failed(kErrBadHandle, name);
}
}  // namespace

TqErr AZHLock(UHandle h) {
    return ZoneStateCheck(h, "AZHLock");
}
TqErr AZHUnlock(UHandle h) {
    return ZoneStateCheck(h, "AZHLock");
}
TqErr AZHPurge(UHandle h) {
    return ZoneStateCheck(h, "AZHPurge");
}
TqErr AZHNoPurge(UHandle h) {
    return ZoneStateCheck(h, "AZHNoPurge");
}
TqErr AZHSetState(UHandle h, int32) {
    return ZoneStateCheck(h, "AZHSetState");
}
int32 AZHGetState(UHandle h) {
    ZoneStateCheck(h, "AZHGetState");
    return 0;
}

UPtr DSNewPtr(uInt64 size) {
    return NewPtrCore(size, false);
}
UPtr DSNewPClr(uInt64 size) {
    return NewPtrCore(size, true);
}
UPtr AZNewPtr(uInt64 size) {
    return NewPtrCore(size, false);
}
UPtr AZNewPClr(uInt64 size) {
    return NewPtrCore(size, true);
}

TqErr DSDisposePtr(void* p) {
    if (!p) return kErrArgument;
    EnsureConfigured();
    if (PtrGuardsChecked()) {
        const GuardState g = PtrGuards(p);
        if (g != GuardState::kIntact) {
            ReportGuardFailure(p, g);
            TQ_REPORT(kDbgFatal, "Damaged guard bytes around pointer ", ToHex(p).text, " in DSDisposePtr");
            return kErrBadHandle;
        }
    }
    tq::platform::PoolFree(static_cast<uChar*>(p) - (Has(kGuardPtrs, kGuardReserve) ? 2 * kGuardSize : 0));
    return kErrNone;
}
TqErr AZDisposePtr(void* p) {
    return DSDisposePtr(p);
}

TqErr DSHeapCheck(int32 flag) {
    return HeapCheckCore(flag, false);
}
TqErr AZHeapCheck(int32 flag) {
    return HeapCheckCore(flag, false);
}

TqErr DSCompact(void) {
    if (gSettings.memChecking.load()) HeapCheckCore(1, false);
    return kErrNone;
}

TqErr MemCheckHeaps(void) {
    ToggleMemoryDebugging();
    const TqErr err = HeapCheckCore(1, true);
    ToggleMemoryDebugging();
    return err;
}

void SetMergeAdjVirtualAllocs(int32 flag) {
    if (flag == 0) tq::platform::PoolSetMergeAdjacent(false);
}

void FreeSmartHeapPool(void) {
    EmptyBufferCache();
    ReleaseMasterBlocks();
    ForgetCachedBlocks();
    tq::platform::PoolReleaseAll();
}

void DSReadCounters(void* buf) {
    if (!buf) return;
    int32 v[kCounters];
    ReadCounts(v);
    std::memcpy(buf, v, sizeof v);
}

void DSSetCounters(const void* buf) {
    if (!buf) return;
    int32 v[kCounters];
    std::memcpy(v, buf, sizeof v);
    SetCounts(v);
}

MemFullProc SetMemFullProc(MemFullProc proc) {
    return gMemFull.exchange(proc ? proc : NoMemFullProc);
}
void CallSetMemFullProc(uInt64 size) {
    gMemFull.load(std::memory_order_relaxed)(size);
}
MemEventTraceProc SetMemEventTraceProc(MemEventTraceProc proc) {
    return gTrace.exchange(proc);
}
void SetLogMemMutexAccessProc(LogMemMutexAccessProc proc) {
    gLogMutexProc.store(proc);
}
void SetCheckHighWaterMarks(Bool32 on) {
    gCheckHighWaterMarks.store(on != 0);
}

int32 DSSetHandleChecking(int32 level) {
    EnsureConfigured();
    if (level < 0 || level > 2) return gSettings.checkLevel.load();
    return gSettings.checkLevel.exchange(level);
}

void SetNeverShrinkBuffers(Bool32 on) {
    gSettings.neverShrink.store(on != 0);
}
Bool32 IsNeverShrinkBuffersEnabled(void) {
    return gSettings.neverShrink.load() ? 1 : 0;
}
void SetStressHandles(Bool32 on) {
    gSettings.stress.store(on != 0);
}
Bool32 GetStressHandles(void) {
    return gSettings.stress.load() ? 1 : 0;
}
void SetMemoryDebugger(Bool32 on) {
    gSettings.memChecking.store(on != 0);
    InvalidateThreadCaches();  // with checking on, every master pointer comes from the zone
}

void ToggleMemoryDebugging(void) {
    const bool now = !gSettings.memChecking.load();
    gSettings.memChecking.store(now);
    InvalidateThreadCaches();
    TQ_REPORT(kDbgNote, now ? "turning memory checking on" : "turning memory checking off");
}

void SetIsMasterPointerPoolEnabled(Bool32 on) {
    SetMasterPoolEnabled(on != 0);
}
Bool32 IsMasterPointerPoolEnabled(void) {
    return MasterPoolEnabled() ? 1 : 0;
}
Bool32 GetMemoryManagerInitialized(void) {
    return gInitialized.load() ? 1 : 0;
}

namespace {

struct Recovered {
    int64 count = 0;
    uInt64 bytes = 0;
};

void RecoverLive(void* context, UHandle h) {
    auto* r = static_cast<Recovered*>(context);
    const uInt64 size = ReadHeader(*h, HandleGuardRoom()).size;
    TQ_REPORT(kDbgWarn, "handle ", ToHex(h).text, ", size ", size, " still allocated.");
    if (DSDisposeHandle(h) == kErrNone) {
        ++r->count;
        r->bytes += size;
    }
}

class MemoryManager_Service final : public RefcountedServiceObject_T<MemoryManager_Service> {
  public:
    const char* Name() override { return "MemoryManager"; }
    void Dependencies(IServiceDependencyList& list) override {
        list.Add(tq::threads::ThMutexService());
        list.Add(ProtectedAtomicOperationsService());
    }

    TqErr InitService() override {
        EnsureConfigured();
        SetMemoryDebugger(0);
        if (!AddMasterBlocks(kStartBlocks)) return kErrMemoryFull;
        CreateBufferCache();  // without it every request bypasses the cache
        gInitialized.store(true);
        return kErrNone;
    }

    TqErr UninitService() override {
        gInitialized.store(false);
        ReleaseBufferCache();
        Recovered r;
        ForEachLiveHandle(RecoverLive, &r);
        TQ_REPORT(kDbgNote, "Recovered ", r.count, " Handles for ", r.bytes, " bytes.");
        ReleaseMasterBlocks();
        SetMemFullProc(nullptr);
        return kErrNone;
    }

  private:
    static constexpr int32 kStartBlocks = 5;
};

}  // namespace

IServiceObject* MemoryManagerService(void) {
    return MemoryManager_Service::Get();
}
