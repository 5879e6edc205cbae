// Latency statistics of event waits.
#include "threads/PlatformEventTimer.h"

namespace tq::threads {

PlatformEventTimer::PlatformEventTimer() {
    for (_HRTime* t : {&start_, &total_, &reserved_, &max_, &min_}) HRTimeZero(t);
}

void PlatformEventTimer::Start() {
    HRWallClockTime(&start_);
}

void PlatformEventTimer::RecordLatency() {
    _HRTime now, latency;
    HRWallClockTime(&now);
    if (HRTimeCompare(&now, &start_) < 0) return;
    HRTimeSubtract(&now, &start_, &latency);
    HRTimeAdd(&total_, &latency, &total_);
    if (count_ == 0 || HRTimeCompare(&latency, &min_) < 0) min_ = latency;
    if (count_ == 0 || HRTimeCompare(&latency, &max_) > 0) max_ = latency;
    ++count_;
}

void PlatformEventTimer::GetLatencyStats(uInt32* count, _HRTime* total, _HRTime* reserved, _HRTime* min,
                                         _HRTime* max) const {
    if (count) *count = count_;
    if (total) *total = total_;
    if (reserved) *reserved = reserved_;
    if (min) *min = min_;
    if (max) *max = max_;
}

}  // namespace tq::threads
