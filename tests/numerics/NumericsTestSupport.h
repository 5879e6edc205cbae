// Shared helpers for the numerics tests: extended values in their packed form and a diagnostics capture.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "tqcore/core.h"
#include "tqcore/diagnostics.h"
#include "tqcore/numerics.h"

namespace numtest {

inline float80 Pack(long double v) {
    float80 p;
    std::memcpy(&p, &v, sizeof p);
    return p;
}
inline long double Unpack(const float80& p) {
    long double v = 0;
    std::memcpy(&v, &p, sizeof p);
    return v;
}

// Collects every debug message while alive, so fatal reports do not end the test process.
class CaptureReports {
  public:
    CaptureReports() {
        Messages().clear();
        DebugOutputSetHandler(&Handler);
    }
    ~CaptureReports() { DebugOutputSetHandler(nullptr); }
    CaptureReports(const CaptureReports&) = delete;
    CaptureReports& operator=(const CaptureReports&) = delete;
    static std::vector<std::string>& Messages() {
        static std::vector<std::string> messages;
        return messages;
    }
    static std::vector<DebugOutputLevel>& Levels() {
        static std::vector<DebugOutputLevel> levels;
        return levels;
    }

  private:
    static void Handler(const char*, int32, const char*, DebugOutputLevel level, uInt32,
                        const char* message) {
        Messages().push_back(message);
        Levels().push_back(level);
    }
};

}  // namespace numtest
