// POSIX native events: auto-reset events and waiting on one or either of two.
#include "platform/Event.h"

#include <cerrno>
#include <new>

#include "platform/posix/Deadline.h"

namespace tq::platform {

namespace {
// A thread waiting on two events at once: either event's set pokes it.
struct MultiWaiter {
    pthread_mutex_t m = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t c;
    bool poked = false;
};

struct Link {
    MultiWaiter* waiter;
    Link* next = nullptr;
};

void Poke(MultiWaiter* w) {
    pthread_mutex_lock(&w->m);
    w->poked = true;
    pthread_cond_signal(&w->c);
    pthread_mutex_unlock(&w->m);
}
}  // namespace

struct NativeEvent {
    pthread_mutex_t m = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t c;
    bool set = false;
    int32 sleepers = 0;
    Link* multi = nullptr;
};

namespace {
bool TryConsume(NativeEvent* e) {
    pthread_mutex_lock(&e->m);
    const bool was = e->set;
    e->set = false;
    pthread_mutex_unlock(&e->m);
    return was;
}

void Register(NativeEvent* e, Link* link) {
    pthread_mutex_lock(&e->m);
    link->next = e->multi;
    e->multi = link;
    pthread_mutex_unlock(&e->m);
}

void Unregister(NativeEvent* e, Link* link) {
    pthread_mutex_lock(&e->m);
    for (Link** p = &e->multi; *p; p = &(*p)->next) {
        if (*p == link) {
            *p = link->next;
            break;
        }
    }
    pthread_mutex_unlock(&e->m);
}

// Waits until poked; false on timeout.
bool AwaitPoke(MultiWaiter* w, bool forever, const timespec& deadline) {
    pthread_mutex_lock(&w->m);
    int rc = 0;
    while (!w->poked && rc != ETIMEDOUT) rc = WaitCond(&w->c, &w->m, forever, deadline);
    const bool poked = w->poked;
    w->poked = false;
    pthread_mutex_unlock(&w->m);
    return poked;
}
}  // namespace

NativeEvent* NewEvent(bool initiallySignalled) {
    auto* e = new (std::nothrow) NativeEvent;
    if (!e) return nullptr;
    if (InitMonotonicCond(&e->c) != 0) {
        delete e;
        return nullptr;
    }
    e->set = initiallySignalled;
    return e;
}

bool DeleteEvent(NativeEvent* e) {
    if (!e) return true;
    pthread_cond_destroy(&e->c);
    pthread_mutex_destroy(&e->m);
    delete e;
    return true;
}

void SignalEvent(NativeEvent* e) {
    pthread_mutex_lock(&e->m);
    e->set = true;
    if (e->sleepers > 0) pthread_cond_signal(&e->c);
    for (Link* l = e->multi; l; l = l->next) Poke(l->waiter);
    pthread_mutex_unlock(&e->m);
}

WaitResult WaitEvent(NativeEvent* e, int32 timeoutMs) {
    const bool forever = timeoutMs < 0;
    const timespec deadline = DeadlineAfter(forever ? 0 : uInt32(timeoutMs));
    pthread_mutex_lock(&e->m);
    int rc = 0;
    while (!e->set && rc != ETIMEDOUT) {
        ++e->sleepers;
        rc = WaitCond(&e->c, &e->m, forever, deadline);
        --e->sleepers;
    }
    const bool got = e->set;
    e->set = false;
    pthread_mutex_unlock(&e->m);
    return got ? WaitResult::kSignalled : WaitResult::kTimeout;
}

// No window messages exist here, so pumpMessages changes nothing.
WaitResult WaitEitherEvent(NativeEvent* first, NativeEvent* other, bool, int32 timeoutMs) {
    const bool forever = timeoutMs < 0;
    const timespec deadline = DeadlineAfter(forever ? 0 : uInt32(timeoutMs));
    MultiWaiter w;
    if (InitMonotonicCond(&w.c) != 0) return WaitResult::kFailed;
    Link a{&w}, b{&w};
    Register(first, &a);
    if (other) Register(other, &b);
    WaitResult r = WaitResult::kTimeout;
    for (bool live = true;; live = AwaitPoke(&w, forever, deadline)) {
        if (TryConsume(first)) {
            r = WaitResult::kSignalled;
            break;
        }
        if (other && TryConsume(other)) {
            r = WaitResult::kOtherSignalled;
            break;
        }
        if (!live) break;
    }
    Unregister(first, &a);
    if (other) Unregister(other, &b);
    pthread_cond_destroy(&w.c);
    return r;
}

}  // namespace tq::platform
