#include "threads/PlatformEventTimer.h"

#include "platform/Thread.h"

namespace tq {

void PlatformEventTimer::Start() {
    start_ = platform::HighResNs();
}

void PlatformEventTimer::RecordLatency() {
    const uInt64 now = platform::HighResNs();
    if (now < start_) return;
    const uInt64 latency = now - start_;
    total_ += latency;
    if (count_ == 0 || latency < min_) min_ = latency;
    if (count_ == 0 || latency > max_) max_ = latency;
    ++count_;
}

void PlatformEventTimer::GetLatencyStats(uInt32* count, uInt64* total, uInt64* reserved, uInt64* min,
                                         uInt64* max) const {
    if (count) *count = count_;
    if (total) *total = total_;
    if (reserved) *reserved = reserved_;
    if (min) *min = min_;
    if (max) *max = max_;
}

}  // namespace tq
