// Test support: a debug-output handler that keeps every message it receives.
#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "tqcore/diagnostics.h"

namespace tq::test {

struct CapturedMessage {
    std::string file;
    int32 line;
    DebugOutputLevel level;
    uInt32 site;
    std::string text;
};

inline std::mutex gCaptureMutex;
inline std::vector<CapturedMessage> gCaptured;

inline void CaptureHandler(const char* file, int32 line, const char*, DebugOutputLevel level, uInt32 site,
                           const char* message) {
    std::lock_guard<std::mutex> lock(gCaptureMutex);
    gCaptured.push_back({file, line, level, site, message});
}

// Installs the capturing handler for one test and restores the default afterwards.
class CaptureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gCaptured.clear();
        DebugOutputResetNumEvents();
        DebugOutputSetHandler(CaptureHandler);
    }
    void TearDown() override { DebugOutputSetHandler(nullptr); }
    static const std::vector<CapturedMessage>& Messages() { return gCaptured; }
};

}  // namespace tq::test
