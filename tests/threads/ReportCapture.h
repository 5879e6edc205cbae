// Collects debug reports for the length of a test, from any thread.
#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "tqcore/diagnostics.h"

namespace tqtest {

struct Report {
    DebugOutputLevel level;
    std::string text;
};

class ReportCapture {
  public:
    ReportCapture() {
        Reset();
        DebugOutputSetHandler(&ReportCapture::Handler);
    }
    ~ReportCapture() { DebugOutputSetHandler(nullptr); }

    static void Reset() {
        std::lock_guard<std::mutex> lock(Mutex());
        Reports().clear();
    }
    // How many reports at `level` contain `text`.
    static int Count(DebugOutputLevel level, const std::string& text) {
        std::lock_guard<std::mutex> lock(Mutex());
        int n = 0;
        for (const Report& r : Reports()) n += r.level == level && r.text.find(text) != std::string::npos;
        return n;
    }
    static std::vector<Report> All() {
        std::lock_guard<std::mutex> lock(Mutex());
        return Reports();
    }

  private:
    static std::mutex& Mutex() {
        static std::mutex m;
        return m;
    }
    static std::vector<Report>& Reports() {
        static std::vector<Report> r;
        return r;
    }
    static void Handler(const char*, int32, const char*, DebugOutputLevel level, uInt32,
                        const char* message) {
        std::lock_guard<std::mutex> lock(Mutex());
        Reports().push_back({level, message});
    }
};

}  // namespace tqtest
