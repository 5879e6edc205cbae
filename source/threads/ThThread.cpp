// ThThread: threads, their table, priorities and the thread service.
#include "threads/ThThread.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "diagnostics/Report.h"
#include "platform/CpuInfo.h"
#include "platform/FloatingPoint.h"
#include "platform/LastError.h"
#include "platform/Thread.h"
#include "platform/Tls.h"
#include "threads/Services.h"
#include "threads/ThRecords.h"

#define TQ_UNIT "source\\ThThread"

namespace {

using tq::platform::NativeThread;

struct PriorityLevel {
    const char* name;
    const char* token;
    int32 fallback;
};

constexpr PriorityLevel kLevels[kThNumPriorities] = {
    {"background", "thpri_bgrnd", -15},
    {"normal", "thpri_normal", 0},
    {"high (ZD 'above normal')", "thpri_high", 1},
    {"very high (ZD 'high')", "thpri_vhigh", 2},
    {"time critical", "thpri_tcrit", 15},
};

// Process-wide state, alive from the service's start to its stop. The table is touched only under
// gCreateThread; the priority values change only at service start.
std::atomic<ThMutex> gCreateThread{nullptr};
ThThread gTable[kThMaxThreads];
std::atomic<uInt32> gTlsKey{tq::platform::kNoTlsKey};
int32 gNative[kThNumPriorities] = {-15, 0, 1, 2, 15};
uInt8 gDistinct[kThNumPriorities] = {1, 1, 1, 1, 1};
std::atomic<ThThreadPrioritySetProc> gPrioritySetProc{nullptr};
std::atomic<tq::threads::IntegerSettingReader> gSettingReader{nullptr};
ThThreadRecord gStartUpRecord;
std::atomic<uInt32> gStartUpThreadId{0};
std::atomic<bool> gStartUpAssimilated{false};

bool Verified(ThThread th) {
    return th && th->verifier == tq::threads::kThreadVerifier;
}

bool ServiceRunning(const char* operation) {
    if (gCreateThread) return true;
    TQ_REPORT(kDbgError, operation, ": the thread service is not running");
    return false;
}

ThThread NewRecord() {
    auto* rec = new (std::nothrow) ThThreadRecord;
    if (!rec) return nullptr;
    std::memset(static_cast<void*>(rec), 0, sizeof *rec);
    rec->verifier = tq::threads::kThreadVerifier;
    return rec;
}

// The start-up thread's record is static: it is cleared, never freed.
void FreeRecord(ThThread th) {
    std::memset(static_cast<void*>(th), 0, sizeof *th);
    if (th == &gStartUpRecord)
        gStartUpAssimilated = false;
    else
        delete th;
}

// Under gCreateThread: the first free slot from 1 up, entered for th; false when the table is full.
bool TakeSlot(ThThread th) {
    for (uInt32 i = 1; i < kThMaxThreads; ++i) {
        if (gTable[i]) continue;
        gTable[i] = th;
        th->index = i;
        return true;
    }
    TQ_REPORT(kDbgNote, "Thread Array full!!");
    return false;
}

uInt32 StartRoutine(void* arg) {
    auto* th = static_cast<ThThread>(arg);
    tq::platform::TlsSet(gTlsKey, th);
    tq::platform::X87Reset(tq::platform::kX87DefaultControlWord);
    // The creator fills in the record under the create mutex; wait until it has.
    ThMutexAcquire(gCreateThread);
    ThMutexRelease(gCreateThread);
    const int32 result = th->proc(th->arg);
    if (gCreateThread) tq::platform::TlsSet(gTlsKey, nullptr);
    return uInt32(result);
}

void CloseHandleReported(NativeThread* handle) {
    if (!tq::platform::CloseThread(handle))
        TQ_REPORT(kDbgBroken, "CloseHandle in SysThreadDestroy returns FALSE, LastError = ",
                  tq::platform::GetLastError());
}

void ForceStop(ThThread th) {
    TQ_REPORT(kDbgNote, "Terminating thread ", th->threadId);
    if (tq::platform::ForceStopThread(th->handle)) return;
    char hex[16];
    std::snprintf(hex, sizeof hex, "%x", unsigned(tq::platform::GetLastError()));
    TQ_REPORT(kDbgBroken, "TerminateThread returns FALSE: why???, LastError = ", hex,
              "threadid = ", th->threadId);
}

// Gives a started thread ten seconds to end, then stops it, then closes its handle.
void StopStartedThread(ThThread th) {
    bool running = false;
    if (!tq::platform::GetThreadRunning(th->handle, &running)) {
        TQ_REPORT(kDbgNote, "GetExitCodeThread returns FALSE, LastError = ", tq::platform::GetLastError());
        TQ_REPORT(kDbgBroken, "Terminate thread failed");
    } else if (running && !tq::platform::JoinThread(th->handle, 10000)) {
        ForceStop(th);
    }
    CloseHandleReported(th->handle);
}

void ReleasePseudoThread(ThThread th) {
    if (th->threadId != tq::platform::CurrentThreadId())
        TQ_REPORT(kDbgNote, "WARNING: Destroying PseudoThread from another thread");
    else if (gTlsKey != tq::platform::kNoTlsKey)
        tq::platform::TlsSet(gTlsKey, nullptr);
    CloseHandleReported(th->handle);
}

void FreeSlot(ThThread th) {
    ThMutexAcquire(gCreateThread);
    if (th->index < kThMaxThreads && gTable[th->index] == th)
        gTable[th->index] = nullptr;
    else
        TQ_REPORT(kDbgBroken, "disposing thread out of range");
    ThMutexRelease(gCreateThread);
}

void ReadPriorities() {
    std::string text = "using thread priorities:";
    for (int32 i = 0; i < kThNumPriorities; ++i) {
        gNative[i] = tq::threads::ReadPriorityToken(kLevels[i].token, kLevels[i].fallback);
        text += std::string("\n\t") + kLevels[i].name + ": " + std::to_string(gNative[i]);
    }
    TQ_REPORT(kDbgNote, text.c_str());
    for (int32 i = 2; i < kThNumPriorities; ++i)
        if (gNative[i] < gNative[i - 1])
            TQ_REPORT(kDbgBroken, "inconsistent thread priority token configuration: ", kLevels[i - 1].name,
                      " is higher priority than ", kLevels[i].name);
    gDistinct[0] = gNative[0] < gNative[1];
    gDistinct[1] = 1;
    for (int32 i = 2; i < kThNumPriorities; ++i) gDistinct[i] = gNative[i] > gNative[i - 1];
}

class ThThread_Service final : public RefcountedServiceObject_T<ThThread_Service> {
  public:
    const char* Name() override { return "ThThread"; }
    void Dependencies(IServiceDependencyList& list) override {
        list.Add(tq::threads::ThMutexService());
        list.Add(tq::threads::ThEventService());
        list.Add(tq::config::ConfigManagerService());
        list.Add(tq::config::ConfigCoreTypesService());
    }
    TqErr InitService() override {
        for (ThThread& slot : gTable) slot = nullptr;
        gStartUpAssimilated = false;
        gTlsKey = tq::platform::TlsAllocate();
        if (gTlsKey == tq::platform::kNoTlsKey) return kErrMemoryFull;
        ReadPriorities();
        ThMutex created = nullptr;
        const TqErr err = ThMutexCreate(&created, "gCreateThread");
        gCreateThread = created;
        return err;
    }
    TqErr UninitService() override {
        if (gStartUpAssimilated) ThThreadDestroy(&gStartUpRecord);
        ThMutexDestroy(gCreateThread.exchange(nullptr));
        tq::platform::TlsRelease(gTlsKey.exchange(tq::platform::kNoTlsKey));
        return kErrNone;
    }
};

}  // namespace

IServiceObject* tq::threads::ThThreadService() {
    return ThThread_Service::Get();
}

tq::threads::IntegerSettingReader tq::threads::SetIntegerSettingReader(IntegerSettingReader reader) {
    return gSettingReader.exchange(reader);
}

int32 tq::threads::ReadPriorityToken(const char* token, int32 fallback) {
    const IntegerSettingReader reader = gSettingReader.load();
    int32 value = fallback;
    return reader && reader(token, &value) ? value : fallback;
}

int32 tq::threads::PriorityLevelForNative(int32 nativePriority) {
    for (int32 level = 0; level < kThNumPriorities; ++level)
        if (gNative[level] >= nativePriority) return level;
    return kThPriorityTimeCritical;
}

void AssimilateStartUpThread(void) {
    if (!ServiceRunning("AssimilateStartUpThread") || gStartUpAssimilated) return;
    NativeThread* handle = tq::platform::AdoptCurrentThread();
    std::memset(static_cast<void*>(&gStartUpRecord), 0, sizeof gStartUpRecord);
    gStartUpRecord.verifier = tq::threads::kThreadVerifier;
    gStartUpRecord.pseudo = 1;
    gStartUpRecord.handle = handle;
    gStartUpRecord.threadId = tq::platform::CurrentThreadId();
    ThMutexAcquire(gCreateThread);
    gTable[0] = &gStartUpRecord;
    ThMutexRelease(gCreateThread);
    tq::platform::TlsSet(gTlsKey, &gStartUpRecord);
    gStartUpThreadId = gStartUpRecord.threadId;
    gStartUpAssimilated = true;
}

Bool32 IsStartUpThread(void) {
    return gStartUpThreadId.load() == tq::platform::CurrentThreadId();
}

TqErr ThThreadCreate(ThThread* th, ThThreadProc proc, void* arg, const char*) {
    if (!th) return kErrArgument;
    *th = nullptr;
    if (!proc) return kErrArgument;
    if (!ServiceRunning("ThThreadCreate")) return kErrMemoryFull;
    ThThread rec = NewRecord();
    if (!rec) return kErrMemoryFull;
    rec->proc = proc;
    rec->arg = arg;
    // The slot is taken before the thread starts, so a full table never starts a thread only to stop it.
    ThMutexAcquire(gCreateThread);
    bool ok = TakeSlot(rec);
    if (ok) {
        rec->handle = tq::platform::StartThread(StartRoutine, rec);
        ok = rec->handle != nullptr;
        if (ok)
            rec->threadId = tq::platform::ThreadId(rec->handle);
        else
            gTable[rec->index] = nullptr;
    }
    ThMutexRelease(gCreateThread);
    if (!ok) {
        FreeRecord(rec);
        return kErrMemoryFull;
    }
    *th = rec;
    return kErrNone;
}

TqErr ThPseudoThreadCreate(ThThread* th) {
    if (!th) return kErrArgument;
    *th = nullptr;
    if (!ServiceRunning("ThPseudoThreadCreate")) return kErrMemoryFull;
    ThThread rec = NewRecord();
    if (!rec) return kErrMemoryFull;
    rec->pseudo = 1;
    rec->threadId = tq::platform::CurrentThreadId();
    rec->handle = tq::platform::AdoptCurrentThread();
    ThMutexAcquire(gCreateThread);
    const bool ok = rec->handle && TakeSlot(rec);
    ThMutexRelease(gCreateThread);
    if (!ok) {
        if (rec->handle) tq::platform::CloseThread(rec->handle);
        FreeRecord(rec);
        return kErrMemoryFull;
    }
    tq::platform::TlsSet(gTlsKey, rec);
    *th = rec;
    return kErrNone;
}

void ThThreadDestroy(ThThread th) {
    if (!th) return;
    if (!Verified(th)) {
        TQ_REPORT(kDbgBroken, "threadp does not have correct verifier in ThThreadDestroy");
        return;
    }
    if (th->pseudo) ReleasePseudoThread(th);
    if (gCreateThread) FreeSlot(th);
    // Stopped outside the create mutex: a thread just started waits on that mutex before running.
    if (!th->pseudo) StopStartedThread(th);
    FreeRecord(th);
}

ThThread ThThreadGetId(void) {
    if (!gStartUpAssimilated || gTlsKey == tq::platform::kNoTlsKey) return nullptr;
    return static_cast<ThThread>(tq::platform::TlsGet(gTlsKey));
}

uInt32 ThThreadGetIndex(ThThread th) {
    if (!th) th = ThThreadGetId();
    // A thread the library does not know has no index; that is not misuse.
    if (!th) return kThMaxThreads;
    if (Verified(th)) return th->index;
    TQ_REPORT(kDbgBroken, "bad ThThread in ThThreadGetIndex()");
    return kThMaxThreads;
}

Bool32 ThThreadActive(ThThread th) {
    if (!Verified(th) || !th->handle) return 0;
    return !tq::platform::ThreadEnded(th->handle);
}

void ThGetPlatformThread(ThThread th, void*** handle, uInt32** id) {
    const bool known = Verified(th) && th->handle;
    if (handle) *handle = known ? reinterpret_cast<void**>(&th->handle) : nullptr;
    if (id) *id = known ? &th->threadId : nullptr;
}

void ThSetThInfo(ThThread th, void* pointer, int32 integer) {
    if (!Verified(th)) return;
    th->infoPointer = pointer;
    th->infoInteger = integer;
}

int32 ThGetThInfo(ThThread th, void** pointer) {
    const bool known = Verified(th);
    if (pointer) *pointer = known ? th->infoPointer : nullptr;
    return known ? th->infoInteger : 0;
}

int32 ThThreadStackLeft(void) {
    return 0x7FFFFFFF;
}

void ThGetThreadTime(uInt32 out[2]) {
    if (!out) return;
    const uInt64 t = tq::platform::CurrentThreadTime();
    out[0] = uInt32(t >> 32);
    out[1] = uInt32(t);
}

int32 ThNumberOfProcessors(void) {
    return tq::platform::NumLogicalProcessors();
}

uInt32 ThLocalStorageAllocateKey(void) {
    return tq::platform::TlsAllocate();
}

Bool32 ThLocalStorageFreeKey(uInt32 key) {
    return tq::platform::TlsRelease(key);
}

void* ThLocalStorageGetValue(uInt32 key) {
    return tq::platform::TlsGet(key);
}

Bool32 ThLocalStorageSetValue(uInt32 key, void* value) {
    return tq::platform::TlsSet(key, value);
}

TqErr ThThreadSetPriority(ThThread th, int32 level) {
    if (!th || level < 0 || level >= kThNumPriorities) {
        TQ_REPORT(kDbgBroken, "bad argument to ThThreadSetPriority()");
        return kErrNone;
    }
    ThMutexAcquire(gCreateThread);
    const bool ok = Verified(th);
    if (!ok)
        TQ_REPORT(kDbgBroken, "bad argument to ThThreadSetPriority()");
    else if (!tq::platform::SetPriority(th->handle, gNative[level]))
        TQ_REPORT(kDbgBroken, "SetThreadPriority failed");
    ThMutexRelease(gCreateThread);
    const ThThreadPrioritySetProc proc = gPrioritySetProc.load();
    if (ok && proc) proc(th, th->handle, th->threadId, level);
    return kErrNone;
}

int32 ThThreadGetPriority(ThThread th) {
    if (!Verified(th) || !th->handle) {
        TQ_REPORT(kDbgBroken, "invalid ThThread passed to ThThreadGetPriority");
        return kThPriorityNormal;
    }
    int32 native = 0;
    if (!tq::platform::GetPriority(th->handle, &native)) {
        TQ_REPORT(kDbgBroken, "unable to get priority for thread ", th->threadId,
                  ", syserr = ", tq::platform::GetLastError(), ", assuming normal");
        native = gNative[kThPriorityNormal];
    }
    return tq::threads::PriorityLevelForNative(native);
}

void ThThreadGetNativePriorityInfo(int32* bg, int32* normal, int32* high, int32* vhigh, int32* tcrit) {
    int32* out[kThNumPriorities] = {bg, normal, high, vhigh, tcrit};
    for (int32 i = 0; i < kThNumPriorities; ++i)
        if (out[i]) *out[i] = gNative[i];
}

void ThThreadGetPrioInfo(uInt8 out[5]) {
    if (out) std::memcpy(out, gDistinct, sizeof gDistinct);
}

int32 ThSetThreadPrioritySetProc(ThThreadPrioritySetProc proc) {
    ThThreadPrioritySetProc none = nullptr;
    return proc && gPrioritySetProc.compare_exchange_strong(none, proc) ? 0 : 1;
}

int32 ThClearThreadPrioritySetProc(ThThreadPrioritySetProc proc) {
    ThThreadPrioritySetProc expected = proc;
    if (proc && gPrioritySetProc.compare_exchange_strong(expected, nullptr)) return 0;
    TQ_REPORT(kDbgError, "Someone is attempting to clear the ThreadPrioritySetProc but didn't set it!");
    return 1;
}
