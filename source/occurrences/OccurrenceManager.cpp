// Occurrences and their handlers: arming, firing, timeouts, the async area and the manager thread.
#include "occurrences/OccurrenceManager.h"

#include <atomic>
#include <new>
#include <vector>

#include "diagnostics/Report.h"
#include "occurrences/OccurrenceAsyncArea.h"
#include "occurrences/ThreadGroupManager.h"
#include "threads/Services.h"
#include "threads/ThMutexHold.h"
#include "threads/ThTmoEvent.h"
#include "tqcore/clocks.h"
#include "tqcore/cookies.h"
#include "tqcore/memory.h"

#define TQ_UNIT "source\\OccurrenceManager"

namespace {

using tq::occurrences::GroupWakeUp;

constexpr uInt32 kFlagInTimeoutList = 1;
constexpr uInt32 kFlagTimedOut = 2;
constexpr uInt32 kFlagStrict = 4;
// Made thread-safe: its group stays the thread-safe one whoever arms it.
constexpr uInt32 kFlagThreadSafe = 8;
constexpr uInt32 kNeverFired = 2;

struct HdlrRecord;

struct FiredNode {
    MagicCookie cookie;  // the handler's while it is on a fired list, else 0
    HdlrRecord* next;
};

struct TimeoutNode {
    MagicCookie cookie;  // the handler's while it is on the timeout list, else 0
    uInt32 deadline;
    HdlrRecord* next;
    HdlrRecord* prev;
};

// Lives in the handler jar; every field is guarded by OccMutex, the timeout node also by gTimedHdlrMutex.
struct HdlrRecord {
    uInt32 armed;
    uInt32 fired;
    Occurrence occ;
    uInt32 lastSeen;
    OccurHdlrProc callback;
    void* arg;
    uInt32 flags;
    uInt32 group;
    FiredNode firedNode;
    TimeoutNode timeoutNode;
    HdlrRecord* nextBound;  // the occurrence's handler list
    OccurHdlr self;
};

// Lives in the occurrence jar, guarded by OccMutex.
struct OccRecord {
    uInt32 count;
    HdlrRecord* handlers;
    Occurrence self;
};

struct FiredList {
    std::atomic<HdlrRecord*> head;  // read without the lock by QuickCheckGroupHandlersFired
    HdlrRecord* tail;
};

struct TimedOcc {
    Occurrence occ;
    uInt32 time;
};

// Process-wide state, made by the service's start and released by its stop.
struct Manager {
    ThMutex occMutex = nullptr;        // "OccMutex"
    ThMutex timerMutex = nullptr;      // "TimerOccMutex"
    ThMutex timedHdlrMutex = nullptr;  // "gTimedHdlrMutex"
    MagicCookieJar occJar = nullptr;
    MagicCookieJar hdlrJar = nullptr;
    tq::occurrences::OccurrenceAsyncArea async;
    FiredList fired[kOccThreadSafeGroup + 1] = {};
    HdlrRecord* timeoutHead = nullptr;  // gTimedHdlrMutex
    std::vector<TimedOcc> timed;        // TimerOccMutex, ascending by time
    tq::threads::ThTmoEvent* tmo = nullptr;
    std::atomic<ThThread> thread{nullptr};
    std::atomic<bool> stop{false};
    std::atomic<bool> running{false};
    tq::occurrences::ThreadGroupManager groups;
    std::atomic<OccResetCountDownProc> countDown{nullptr};
    std::atomic<uInt32> mainGroup{0};
};

Manager& M() {
    static Manager* m = new Manager;  // never destroyed: threads may outlive static destruction
    return *m;
}

using Hold = tq::threads::ThMutexHold;

// Plain entry points answer a code; the only thing that can throw below them is allocation.
template <class F>
TqErr Guarded(F&& f) {
    try {
        return f();
    } catch (...) {
        return kErrMemoryFull;
    }
}

uInt32 NextCount(uInt32 count) {
    const uInt32 next = count + 1;
    return next == kNeverFired ? next + 1 : next;
}

// 0 means no deadline, so a real deadline of 0 becomes 1.
uInt32 Deadline(uInt32 time) {
    return time == 0 ? 1 : time;
}

bool Earlier(uInt32 a, uInt32 b) {
    return MillisecCmp(a, b) < 0;
}

template <class T>
T* Lookup(MagicCookieJar jar, MagicCookie cookie, TqErr* err) {
    void* p = nullptr;
    const TqErr e = jar ? MCGetCookieInfoPtr(jar, cookie, &p) : kErrArgument;
    if (err) *err = e;
    return e == kErrNone ? static_cast<T*>(p) : nullptr;
}

HdlrRecord* Handler(OccurHdlr h, TqErr* err) {
    return Lookup<HdlrRecord>(M().hdlrJar, h, err);
}

OccRecord* Occ(Occurrence o, TqErr* err = nullptr) {
    return Lookup<OccRecord>(M().occJar, o, err);
}

void CallHandler(OccurHdlrProc callback, void* arg, OccurHdlr cookie) {
    if (!callback) {
        TQ_REPORT(kDbgBroken, "NULL callback for occurrence handler ", cookie, "; skipped call");
        return;
    }
    callback(arg);
}

// Wake-up procedures met while firing under OccMutex, called once it is released.
class WakeList {
  public:
    void Add(uInt32 group) {
        if (group == lastGroup_) return;
        lastGroup_ = group;
        const GroupWakeUp wake = M().groups.WakeUpOf(group);
        if (!wake.proc) return;
        for (const GroupWakeUp& w : list_)
            if (w.proc == wake.proc && w.param == wake.param) return;
        list_.push_back(wake);
    }
    void Call() {
        for (const GroupWakeUp& w : list_) w.proc(w.param);
        list_.clear();
    }

  private:
    uInt32 lastGroup_ = kOccNoThreadGroup;
    std::vector<GroupWakeUp> list_;
};

// ---- The timeout list (OccMutex held; gTimedHdlrMutex taken here)

void TimeoutUnlink(HdlrRecord* h) {
    TimeoutNode& n = h->timeoutNode;
    (n.prev ? n.prev->timeoutNode.next : M().timeoutHead) = n.next;
    if (n.next) n.next->timeoutNode.prev = n.prev;
    n = {0, 0, nullptr, nullptr};
    h->flags &= ~kFlagInTimeoutList;
}

void TimeoutRemove(HdlrRecord* h) {
    if (!(h->flags & kFlagInTimeoutList)) return;
    Hold timed(M().timedHdlrMutex);
    TimeoutUnlink(h);
}

// Returns whether the handler became the earliest.
bool TimeoutInsert(HdlrRecord* h, uInt32 deadline) {
    Hold timed(M().timedHdlrMutex);
    if (h->timeoutNode.cookie != 0 || h->timeoutNode.next || h->timeoutNode.prev) {
        TQ_REPORT(kDbgBroken, "bogus handler list in OnOccurrenceWithTimeout()");
        return false;
    }
    HdlrRecord* prev = nullptr;
    HdlrRecord* next = M().timeoutHead;
    while (next && !Earlier(deadline, next->timeoutNode.deadline)) {
        prev = next;
        next = next->timeoutNode.next;
    }
    h->timeoutNode = {h->self, deadline, next, prev};
    (prev ? prev->timeoutNode.next : M().timeoutHead) = h;
    if (next) next->timeoutNode.prev = h;
    h->flags |= kFlagInTimeoutList;
    return prev == nullptr;
}

// ---- Fired lists (OccMutex held)

void FiredPush(HdlrRecord* h) {
    if (h->firedNode.cookie != 0 || h->group > kOccThreadSafeGroup) {
        TQ_REPORT(kDbgBroken, "bogus handler list in _FireOccurHdlr()");
        return;
    }
    FiredList& list = M().fired[h->group];
    h->firedNode = {h->self, nullptr};
    if (list.tail)
        list.tail->firedNode.next = h;
    else
        list.head.store(h, std::memory_order_relaxed);
    list.tail = h;
}

HdlrRecord* FiredPop(uInt32 group) {
    FiredList& list = M().fired[group];
    HdlrRecord* h = list.head.load(std::memory_order_relaxed);
    if (!h) return nullptr;
    list.head.store(h->firedNode.next, std::memory_order_relaxed);
    if (!h->firedNode.next) list.tail = nullptr;
    h->firedNode = {0, nullptr};
    return h;
}

bool FiredRemove(HdlrRecord* h) {
    if (h->group > kOccThreadSafeGroup) return false;
    FiredList& list = M().fired[h->group];
    HdlrRecord* prev = nullptr;
    for (HdlrRecord* p = list.head.load(std::memory_order_relaxed); p; prev = p, p = p->firedNode.next) {
        if (p != h) continue;
        if (prev)
            prev->firedNode.next = h->firedNode.next;
        else
            list.head.store(h->firedNode.next, std::memory_order_relaxed);
        if (list.tail == h) list.tail = prev;
        h->firedNode = {0, nullptr};
        return true;
    }
    return false;
}

// ---- Firing and consuming (OccMutex held)

void FireHandler(HdlrRecord* h, bool asTimeout, WakeList& wakes) {
    h->armed = 0;
    h->fired = 1;
    h->flags = asTimeout ? h->flags | kFlagTimedOut : h->flags & ~kFlagTimedOut;
    TimeoutRemove(h);
    FiredPush(h);
    wakes.Add(h->group);
}

void FireOccurrence(OccRecord* occ, WakeList& wakes) {
    occ->count = NextCount(occ->count);
    for (HdlrRecord* h = occ->handlers; h; h = h->nextBound)
        if (h->armed && !h->fired) FireHandler(h, false, wakes);
}

void Consume(HdlrRecord* h, const OccRecord* occ) {
    h->lastSeen = (h->flags & kFlagStrict) ? NextCount(h->lastSeen) : occ->count;
}

bool Unbind(HdlrRecord* h) {
    OccRecord* occ = Occ(h->occ);
    h->occ = 0;
    if (!occ) return true;
    for (HdlrRecord** link = &occ->handlers; *link; link = &(*link)->nextBound) {
        if (*link != h) continue;
        *link = h->nextBound;
        h->nextBound = nullptr;
        return true;
    }
    return false;
}

// ---- Dispatch

void Dispatch(uInt32 group) {
    if (group > kOccThreadSafeGroup || !M().occMutex) return;
    ThMutexAcquire(M().occMutex);
    while (HdlrRecord* h = FiredPop(group)) {
        TimeoutRemove(h);
        h->armed = 0;
        h->fired = 0;
        const OccRecord* occ = Occ(h->occ);
        if (!(h->flags & kFlagTimedOut) && occ) Consume(h, occ);
        const OccurHdlrProc callback = h->callback;
        void* const arg = h->arg;
        const OccurHdlr cookie = h->self;
        ThMutexRelease(M().occMutex);
        CallHandler(callback, arg, cookie);
        ThMutexAcquire(M().occMutex);
    }
    ThMutexRelease(M().occMutex);
}

// Called after every firing outside the locks: the group wake-ups, then the thread-safe handlers here.
void AfterFiring(WakeList& wakes) {
    wakes.Call();
    Dispatch(kOccThreadSafeGroup);
}

void DrainAsync() {
    WakeList wakes;
    bool any = false;
    M().async.Drain([&](Occurrence o) {
        Hold occ(M().occMutex);
        if (OccRecord* r = Occ(o)) FireOccurrence(r, wakes);
        any = true;
    });
    if (any) AfterFiring(wakes);
}

// A thread the library did not make, or the manager thread itself, has nobody to dispatch a group of its own.
uInt32 CallerGroup() {
    ThThread me = ThThreadGetId();
    if (!me || me == M().thread.load()) return kOccThreadSafeGroup;
    return M().groups.GroupOfThread(ThThreadGetIndex(me));
}

// ---- The manager thread's schedule (TimerOccMutex held)

void ScheduleLocked() {
    uInt32 target = M().timed.empty() ? 0 : M().timed.front().time;
    {
        Hold timed(M().timedHdlrMutex);
        if (const HdlrRecord* head = M().timeoutHead) {
            const uInt32 d = head->timeoutNode.deadline;
            if (target == 0 || Earlier(d, target)) target = d;
        }
    }
    tq::threads::ThTmoEventChangeTmo(M().tmo, target);
}

void Reschedule() {
    Hold timer(M().timerMutex);
    ScheduleLocked();
}

void FireDueTimedOccurrences(uInt32 now, WakeList& wakes) {
    auto& timed = M().timed;
    while (!timed.empty() && MillisecCmp(timed.front().time, now) <= 0) {
        const Occurrence o = timed.front().occ;
        timed.erase(timed.begin());
        if (OccRecord* r = Occ(o)) FireOccurrence(r, wakes);
    }
}

void FireDueHandlers(uInt32 now, WakeList& wakes) {
    for (;;) {
        HdlrRecord* h = nullptr;
        {
            Hold timed(M().timedHdlrMutex);
            h = M().timeoutHead;
            if (!h || MillisecCmp(h->timeoutNode.deadline, now) > 0) return;
        }
        if (h->armed && !h->fired) {
            FireHandler(h, true, wakes);
        } else {
            TQ_REPORT(kDbgNote, "Bad occhandler in timeout list");
            TimeoutRemove(h);
        }
    }
}

void TimerPass() {
    WakeList wakes;
    {
        Hold timer(M().timerMutex);
        const uInt32 now = MilliSecs();
        {
            Hold occ(M().occMutex);
            FireDueTimedOccurrences(now, wakes);
            FireDueHandlers(now, wakes);
        }
        ScheduleLocked();
    }
    AfterFiring(wakes);
}

int32 ManagerMain(void*) {
    while (!M().stop.load()) {
        tq::threads::ThTmoEventWait(M().tmo);
        if (M().stop.load()) break;
        Guarded([] {
            TimerPass();
            return kErrNone;
        });
    }
    M().running.store(false);
    return 0;
}

// ---- Arming

// OccMutex held on entry, released here: the occurrence is gone (timeout flag, kErrNoOccurrence) or fired
// since the handler last consumed it, so the callback runs now in this thread.
TqErr CallNow(HdlrRecord* h, const OccRecord* occ) {
    if (occ)
        Consume(h, occ);
    else
        h->flags |= kFlagTimedOut;
    h->armed = 0;
    TimeoutRemove(h);
    const OccurHdlrProc callback = h->callback;
    void* const arg = h->arg;
    const OccurHdlr cookie = h->self;
    ThMutexRelease(M().occMutex);
    CallHandler(callback, arg, cookie);
    return occ ? kErrNone : kErrNoOccurrence;
}

TqErr Arm(OccurHdlr handler, Bool32 ignorePrevious, bool withLimit, int32 timeoutMs) {
    if (handler == 0) return kErrArgument;
    ThMutexAcquire(M().occMutex);
    TqErr err = kErrNone;
    HdlrRecord* h = Handler(handler, &err);
    if (!h || h->fired) {
        ThMutexRelease(M().occMutex);
        return err;
    }
    if (withLimit) h->flags &= ~kFlagTimedOut;
    if (!(h->flags & kFlagThreadSafe)) h->group = CallerGroup();
    const OccRecord* occ = Occ(h->occ);
    if (occ && ignorePrevious) h->lastSeen = occ->count;
    if (!occ || occ->count != h->lastSeen) return CallNow(h, occ);
    h->armed = 1;
    bool earliestChanged = false;
    if (withLimit) {
        TimeoutRemove(h);
        if (timeoutMs >= 0) earliestChanged = TimeoutInsert(h, Deadline(MilliSecs() + uInt32(timeoutMs)));
    }
    ThMutexRelease(M().occMutex);
    if (earliestChanged) Reschedule();
    return kErrNone;
}

OccurHdlr NewHandler(Occurrence occ, OccurHdlrProc callback, void* arg, uInt32 flags, bool threadSafe) {
    if (!callback) TQ_REPORT(kDbgBroken, "Setting NULL callback proc");
    if (!M().hdlrJar) return 0;
    Hold lock(M().occMutex);
    HdlrRecord rec = {};
    rec.lastSeen = kNeverFired;
    rec.callback = callback;
    rec.arg = arg;
    rec.flags = threadSafe ? flags | kFlagThreadSafe : flags;
    rec.group = threadSafe ? kOccThreadSafeGroup : CallerGroup();
    const OccurHdlr cookie = MCNewCookie(M().hdlrJar, &rec);
    HdlrRecord* h = Handler(cookie, nullptr);
    if (!h) return 0;
    h->self = cookie;
    if (OccRecord* o = occ ? Occ(occ) : nullptr) {
        h->occ = occ;
        h->nextBound = o->handlers;
        o->handlers = h;
    }
    return cookie;
}

// ---- The service

void DisposeAll(MagicCookieJar jar, TqErr (*dispose)(MagicCookie)) {
    UHandle list = nullptr;
    if (!jar || MCGetCookieList(jar, &list) != kErrNone || !list) return;
    const int32 count = *reinterpret_cast<const int32*>(*list);
    for (int32 i = 0; i < count; ++i) dispose(reinterpret_cast<const uInt32*>(*list + 4)[i]);
    DSDisposeHandle(list);
}

void ReleaseResources() {
    Manager& m = M();
    tq::threads::ThTmoEventDestroy(m.tmo);
    m.tmo = nullptr;
    for (ThMutex* mutex : {&m.occMutex, &m.timerMutex, &m.timedHdlrMutex}) {
        ThMutexDestroy(*mutex);
        *mutex = nullptr;
    }
    for (MagicCookieJar* jar : {&m.occJar, &m.hdlrJar}) {
        if (*jar) MCDisposeJar(*jar);
        *jar = nullptr;
    }
    DSDisposePtr(m.async.Block());
    m.async.Attach(nullptr);
}

void ResetLists() {
    Manager& m = M();
    for (FiredList& list : m.fired) {
        list.head.store(nullptr);
        list.tail = nullptr;
    }
    m.timeoutHead = nullptr;
    m.timed.clear();
    m.groups.Reset();
}

TqErr StartManager() {
    Manager& m = M();
    bool ok = ThMutexCreate(&m.occMutex, "OccMutex") == kErrNone &&
              ThMutexCreate(&m.timerMutex, "TimerOccMutex") == kErrNone &&
              ThMutexCreate(&m.timedHdlrMutex, "gTimedHdlrMutex") == kErrNone;
    m.occJar = ok ? MCNewBigJar(sizeof(OccRecord)) : nullptr;
    m.hdlrJar = m.occJar ? MCNewBigJar(sizeof(HdlrRecord)) : nullptr;
    m.async.Attach(m.hdlrJar ? DSNewPClr(kOccAsyncAreaSize) : nullptr);
    ok = m.async.Block() && tq::threads::ThTmoEventCreate(&m.tmo, false) == kErrNone;
    if (ok) ResetLists();
    m.stop.store(false);
    m.running.store(ok);
    ThThread th = nullptr;
    if (ok && ThThreadCreate(&th, ManagerMain, nullptr, "Pelkor Occurrence Thread") != kErrNone) {
        m.running.store(false);
        ok = false;
    }
    if (!ok) {
        ReleaseResources();
        return kErrMemoryFull;
    }
    m.thread.store(th);
    ThThreadSetPriority(th, GetHardWaitTimeCritical() ? kThPriorityVeryHigh : kThPriorityTimeCritical);
    return kErrNone;
}

void StopManager() {
    Manager& m = M();
    DisposeAll(m.occJar, DeallocOccur);
    DisposeAll(m.hdlrJar, DeallocOccurHdlr);
    m.stop.store(true);
    tq::threads::ThTmoEventChangeTmo(m.tmo, Deadline(MilliSecs() + 1));
    while (m.running.load()) ThSleep(10);
    ThThreadDestroy(m.thread.exchange(nullptr));
    ReleaseResources();
}

class OccurrenceManager_Service final : public RefcountedServiceObject_T<OccurrenceManager_Service> {
  public:
    const char* Name() override { return "OccurrenceManager"; }
    void Dependencies(IServiceDependencyList& list) override {
        list.Add(HardWaitBehaviorService());
        list.Add(tq::threads::ThMutexService());
        list.Add(tq::threads::ThThreadService());
    }
    TqErr InitService() override { return Guarded(StartManager); }
    TqErr UninitService() override {
        StopManager();
        return kErrNone;
    }
};

}  // namespace

IServiceObject* OccurrenceManagerService(void) {
    return OccurrenceManager_Service::Get();
}

ThThread tq::occurrences::OccurrenceManagerThread() {
    return M().thread.load();
}

// ---- Occurrences

Occurrence AllocOccur(void) {
    if (!M().occJar) return 0;
    Hold lock(M().occMutex);
    const OccRecord rec = {kNeverFired, nullptr, 0};
    const Occurrence cookie = MCNewCookie(M().occJar, &rec);
    if (OccRecord* r = Occ(cookie)) r->self = cookie;
    return cookie;
}

TqErr DeallocOccur(Occurrence occ) {
    return Guarded([occ]() -> TqErr {
        WakeList wakes;
        {
            Hold timer(M().timerMutex);
            std::erase_if(M().timed, [occ](const TimedOcc& t) { return t.occ == occ; });
            Hold lock(M().occMutex);
            TqErr err = kErrNone;
            OccRecord* r = Occ(occ, &err);
            if (!r) return err;
            while (HdlrRecord* h = r->handlers) {
                if (h->armed && !h->fired) FireHandler(h, true, wakes);
                r->handlers = h->nextBound;
                h->nextBound = nullptr;
                h->occ = 0;
            }
            MCDisposeCookie(M().occJar, occ, nullptr);
        }
        AfterFiring(wakes);
        return kErrNone;
    });
}

Bool32 ValidOccurrence(Occurrence occ) {
    return occ != 0 && M().occJar && MCIsACookie(M().occJar, occ) ? 1 : 0;
}

TqErr Occur(Occurrence occ) {
    if (occ == 0) return kErrArgument;
    return Guarded([occ]() -> TqErr {
        WakeList wakes;
        {
            Hold lock(M().occMutex);
            TqErr err = kErrNone;
            OccRecord* r = Occ(occ, &err);
            if (!r) return err;
            FireOccurrence(r, wakes);
        }
        AfterFiring(wakes);
        return kErrNone;
    });
}

void OccurIfValid(Occurrence occ) {
    if (occ != 0) Occur(occ);
}

TqErr OccurAtTime(Occurrence occ, uInt32 timeMs) {
    if (!ValidOccurrence(occ)) return kErrArgument;
    return Guarded([occ, timeMs] {
        Hold timer(M().timerMutex);
        auto& timed = M().timed;
        std::erase_if(timed, [occ](const TimedOcc& t) { return t.occ == occ; });
        const uInt32 time = Deadline(timeMs);
        auto at = timed.begin();
        while (at != timed.end() && !Earlier(time, at->time)) ++at;
        const bool earliest = at == timed.begin();
        timed.insert(at, TimedOcc{occ, time});
        if (earliest) ScheduleLocked();
        return kErrNone;
    });
}

TqErr CancelOccurAtTime(Occurrence occ) {
    if (occ == 0 || !M().timerMutex) return kErrArgument;
    Hold timer(M().timerMutex);
    return std::erase_if(M().timed, [occ](const TimedOcc& t) { return t.occ == occ; }) ? kErrNone
                                                                                       : kErrArgument;
}

TqErr InterruptSafeOccur(Occurrence occ, int32, int32, void* arg) {
    return M().async.Post(occ, M().countDown.load(), arg);
}

void SetResetCountDownRegCallbackProc(OccResetCountDownProc proc) {
    M().countDown.store(proc);
}

void* GetOccurrenceManagerAsyncArea(void) {
    return M().async.Block();
}

// ---- Handlers

OccurHdlr AllocOccurHdlr(Occurrence occ, OccurHdlrProc callback, void* arg) {
    return NewHandler(occ, callback, arg, 0, false);
}

OccurHdlr AllocOccurHdlrStrict(Occurrence occ, OccurHdlrProc callback, void* arg) {
    return NewHandler(occ, callback, arg, kFlagStrict, false);
}

OccurHdlr AllocThreadSafeOccurHdlr(Occurrence occ, OccurHdlrProc callback, void* arg) {
    return NewHandler(occ, callback, arg, 0, true);
}

TqErr BindOccurHdlr(OccurHdlr handler, Occurrence occ, OccurHdlrProc callback, void* arg) {
    Hold lock(M().occMutex);
    TqErr err = kErrNone;
    HdlrRecord* h = Handler(handler, &err);
    if (!h) return err;
    OccRecord* target = nullptr;
    if (occ != 0 && !(target = Occ(occ, &err))) return err;
    if (!Unbind(h)) TQ_REPORT(kDbgBroken, "bogus handler list in BindOccurHdlr()");
    if (h->armed && !callback)
        TQ_REPORT(kDbgBroken,
                  "ARMED AND DANGEROUS! This occurrence is about to fire with a NULL callback proc!");
    h->callback = callback;
    h->arg = arg;
    if (target) {
        h->occ = occ;
        h->nextBound = target->handlers;
        target->handlers = h;
    }
    return kErrNone;
}

TqErr DeallocOccurHdlr(OccurHdlr handler) {
    Hold lock(M().occMutex);
    TqErr err = kErrNone;
    HdlrRecord* h = Handler(handler, &err);
    if (!h) return err;
    TimeoutRemove(h);
    if (!Unbind(h)) TQ_REPORT(kDbgBroken, "bogus handler list in DeallocOccurHdlr()");
    if (h->fired) FiredRemove(h);
    MCDisposeCookie(M().hdlrJar, handler, nullptr);
    return kErrNone;
}

TqErr OnOccurrence(OccurHdlr handler, Bool32 ignorePrevious) {
    return Arm(handler, ignorePrevious, false, -1);
}

TqErr OnOccurrenceWithTimeout(OccurHdlr handler, Bool32 ignorePrevious, int32 timeoutMs) {
    return Arm(handler, ignorePrevious, true, timeoutMs);
}

TqErr CancelOnOccur(OccurHdlr handler) {
    Hold lock(M().occMutex);
    TqErr err = kErrNone;
    HdlrRecord* h = Handler(handler, &err);
    if (!h) return err;
    h->armed = 0;
    if (h->fired) {
        if (!FiredRemove(h)) TQ_REPORT(kDbgNote, "Handler marked as FIRED not on fired list!!");
        h->fired = 0;
        if (const OccRecord* occ = Occ(h->occ)) h->lastSeen = occ->count;
    }
    TimeoutRemove(h);
    return kErrNone;
}

TqErr FireOccurHdlr(OccurHdlr handler) {
    return Guarded([handler]() -> TqErr {
        WakeList wakes;
        {
            Hold lock(M().occMutex);
            TqErr err = kErrNone;
            HdlrRecord* h = Handler(handler, &err);
            if (!h) return err;
            if (h->armed && !h->fired) FireHandler(h, true, wakes);
        }
        AfterFiring(wakes);
        return kErrNone;
    });
}

Bool32 HandlerTimedOut(OccurHdlr handler) {
    Hold lock(M().occMutex);
    const HdlrRecord* h = Handler(handler, nullptr);
    return h && (h->flags & kFlagTimedOut) ? 1 : 0;
}

// ---- Dispatching

TqErr ChkOccurrences(void) {
    if (!M().occJar) return kErrNone;
    uInt32 group = kOccThreadSafeGroup;
    {
        Hold lock(M().occMutex);
        group = CallerGroup();
    }
    return ChkThGroupOccurrences(group);
}

TqErr ChkThGroupOccurrences(uInt32 group) {
    if (group > kOccThreadSafeGroup) return kErrArgument;
    if (!M().occJar) return kErrNone;
    return Guarded([group]() -> TqErr {
        DrainAsync();
        Dispatch(group);
        return kErrNone;
    });
}

Bool32 QuickCheckGroupHandlersFired(uInt32 group) {
    if (group > kOccThreadSafeGroup) return 0;
    return M().fired[group].head.load(std::memory_order_relaxed) || M().async.Pending() ? 1 : 0;
}

// ---- Thread groups

uInt32 GetOccNewThreadGroupIndex(void) {
    Hold lock(M().occMutex);
    return M().groups.NewGroup();
}

TqErr SetOccThreadGroup(uInt32 threadIndex, uInt32 group) {
    Hold lock(M().occMutex);
    return M().groups.SetThreadGroup(threadIndex, group);
}

TqErr SetOccThreadGroupProc(uInt32 group, OccThreadGroupProc proc, void* param) {
    Hold lock(M().occMutex);
    return M().groups.SetGroupProc(group, proc, param);
}

uInt32 GetOccurrenceManagerMainThreadGroupIndex(void) {
    return M().mainGroup.load();
}

void SetOccurrenceManagerMainThreadGroupIndex(uInt32 group) {
    M().mainGroup.store(group);
}

void ThPause(uInt32 n) {
    volatile uInt64 spins = n == 0 ? uInt64(1) << 32 : n;
    while (spins != 0) spins = spins - 1;
}
