// Latency statistics of an event: the time from Start to each RecordLatency.
#pragma once

#include "tqcore/clocks.h"

namespace tq::threads {

class PlatformEventTimer {
  public:
    PlatformEventTimer();
    void Start();
    void RecordLatency();
    // Null pointers are skipped.
    void GetLatencyStats(uInt32* count, _HRTime* total, _HRTime* reserved, _HRTime* min, _HRTime* max) const;

  private:
    _HRTime start_;
    _HRTime total_;
    _HRTime reserved_;
    _HRTime max_;
    _HRTime min_;
    uInt32 count_ = 0;
};

}  // namespace tq::threads
