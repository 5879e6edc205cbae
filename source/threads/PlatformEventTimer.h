// Latency statistics of an event: time from Start to RecordLatency, in nanoseconds of the high-resolution
// clock.
#pragma once

#include "tqcore/types.h"

namespace tq {

class PlatformEventTimer {
  public:
    void Start();
    void RecordLatency();
    // Null pointers are skipped.
    void GetLatencyStats(uInt32* count, uInt64* total, uInt64* reserved, uInt64* min, uInt64* max) const;

  private:
    uInt64 start_ = 0;
    uInt64 total_ = 0;
    uInt64 reserved_ = 0;
    uInt64 max_ = 0;
    uInt64 min_ = 0;
    uInt32 count_ = 0;
};

}  // namespace tq
