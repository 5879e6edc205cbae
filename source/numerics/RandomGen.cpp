// The combined three-generator uniform random source: one process-wide state under a lock, and the same
// step on caller-owned state.
#include <cmath>
#include <mutex>

#include "tqcore/clocks.h"
#include "tqcore/core.h"
#include "tqcore/numerics.h"

namespace {

void Seed(uInt32* s, uInt32 first) {
    s[0] = first ? first : 1234;
    s[1] = (s[0] * 8191u) & 0x3FFF;
    s[2] = (s[1] * 8191u) & 0x3FFF;
}

double Step(uInt32* s) {
    // 64-bit products: caller-owned seeds may hold any 32-bit value.
    s[0] = uInt32(171ull * s[0] % 30269);
    s[1] = uInt32(172ull * s[1] % 30307);
    s[2] = uInt32(170ull * s[2] % 30323);
    const double x = s[0] * (1.0 / 30269) + s[1] * (1.0 / 30307) + s[2] * (1.0 / 30323);
    return x - std::floor(x);
}

struct Global {
    std::mutex lock;
    uInt32 state[3] = {};
    Global() { Seed(state, 0); }
};

Global& TheGenerator() {
    static Global g;
    return g;
}

}  // namespace

TQ_EXTERN_C_BEGIN

TQ_API TqErr InitRandomGen(void) {
    Global& g = TheGenerator();
    std::lock_guard<std::mutex> hold(g.lock);
    Seed(g.state, MilliSecs() & 0x3FFF);
    return kErrNone;
}

// The lock lives as long as the process, so there is nothing to destroy.
TQ_API TqErr UninitRandomGen(void) {
    return kErrNone;
}

TQ_API void RandomGen(double* out) {
    Global& g = TheGenerator();
    double v;
    {
        std::lock_guard<std::mutex> hold(g.lock);
        v = Step(g.state);
    }
    if (out) *out = v;
}

TQ_API uInt32 RandomGenInitState(uInt32* state) {
    double u = 0;
    RandomGen(&u);
    if (!state) return 0;
    Seed(state, uInt32(u * 30000));
    return state[2];
}

TQ_API void RandomGenWithState(double* out, uInt32* state) {
    if (!state) return;
    const double v = Step(state);
    if (out) *out = v;
}

TQ_EXTERN_C_END
