// High-resolution time: the HRTime values, their arithmetic and the wall clock behind them.
#include <atomic>

#include "platform/Clock.h"
#include "tqcore/clocks.h"

namespace {

struct TickBase {
    double secondsPerTick;
    uInt64 base;
};

TickBase TakeTickBase() {
    return {1.0 / double(tq::platform::PerformanceFrequency()), tq::platform::PerformanceCounter()};
}

// Each form keeps its own pair, both fixed when the library is loaded.
const TickBase gHRTimeBase = TakeTickBase();
const TickBase gHiResClockBase = TakeTickBase();

std::atomic<bool> gHRTimeUseMultimediaTimer{false};

uInt64 Combined(const _HRTime* t) {
    return t ? (uInt64(t->hi) << 32 | t->lo) : 0;
}

void Store(uInt64 v, _HRTime* out) {
    if (!out) return;
    out->hi = uInt32(v >> 32);
    out->lo = uInt32(v);
}

// Truncating conversion as the x86 instruction does it: beyond the range and NaN give the "integer
// indefinite" pattern, and values from 2^63 up go through value - 2^63 with the top bit added back.
uInt64 TruncateToUInt64(double v) {
    constexpr double kTwo63 = 9223372036854775808.0;
    constexpr uInt64 kIndefinite = uInt64(1) << 63;
    if (!(v >= -kTwo63 && v < 2 * kTwo63)) return kIndefinite;
    if (v < kTwo63) return uInt64(int64(v));
    return uInt64(int64(v - kTwo63)) | kIndefinite;
}

uInt64 TicksSinceBase(const TickBase& b) {
    return tq::platform::PerformanceCounter() - b.base;
}

}  // namespace

void HRWallClockTime(_HRTime* out) {
    Store(TicksSinceBase(gHRTimeBase), out);
}

void HRTimeZero(_HRTime* t) {
    Store(0, t);
}

void HRTimeAdd(const _HRTime* a, const _HRTime* b, _HRTime* out) {
    Store(Combined(a) + Combined(b), out);
}

void HRTimeSubtract(const _HRTime* a, const _HRTime* b, _HRTime* out) {
    Store(Combined(a) - Combined(b), out);
}

int32 HRTimeCompare(const _HRTime* a, const _HRTime* b) {
    const uInt64 x = Combined(a), y = Combined(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

double HRTimeToSeconds(const _HRTime* t) {
    return double(int64(Combined(t))) * gHRTimeBase.secondsPerTick;
}

void SecondsToHRTime(double seconds, _HRTime* out) {
    Store(TruncateToUInt64(seconds / gHRTimeBase.secondsPerTick), out);
}

void HRTimeSetUseMultimediaTimer(Bool32 flag) {
    gHRTimeUseMultimediaTimer.store(flag != 0, std::memory_order_relaxed);
}

Bool32 HRTimeGetUseMultimediaTimer(void) {
    return gHRTimeUseMultimediaTimer.load(std::memory_order_relaxed) ? 1 : 0;
}

HiResClock::HiResClock(InitialValue initial) {
    if (initial == kInitNow) SetToNow();
}

void HiResClock::SetToNow() {
    ticks_ = int64(TicksSinceBase(gHiResClockBase));
}

void HiResClock::FromSeconds(double seconds) {
    ticks_ = int64(TruncateToUInt64(seconds / gHiResClockBase.secondsPerTick));
}

double HiResClock::ToSeconds() const {
    return double(ticks_) * gHiResClockBase.secondsPerTick;
}

bool HiResClock::operator<(const HiResClock& other) const {
    return uInt64(ticks_) < uInt64(other.ticks_);
}

HiResClock& HiResClock::operator+=(const HiResClock& other) {
    ticks_ = int64(uInt64(ticks_) + uInt64(other.ticks_));
    return *this;
}

HiResClock& HiResClock::operator-=(const HiResClock& other) {
    ticks_ = int64(uInt64(ticks_) - uInt64(other.ticks_));
    return *this;
}
