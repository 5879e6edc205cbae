// Captures debug output for the duration of a test, so level-4 reports do not end the process.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "tqcore/diagnostics.h"

struct CapturedReport {
    DebugOutputLevel level;
    std::string text;
};

class ReportCapture {
  public:
    ReportCapture() {
        Reports().clear();
        DebugOutputSetHandler(Capture);
    }
    ~ReportCapture() { DebugOutputSetHandler(nullptr); }

    static std::vector<CapturedReport>& Reports() {
        static std::vector<CapturedReport> reports;
        return reports;
    }
    // Number of captured reports at level whose text contains part.
    static int Count(DebugOutputLevel level, const std::string& part) {
        std::lock_guard lock(Mutex());
        int n = 0;
        for (const auto& r : Reports()) n += r.level == level && r.text.find(part) != std::string::npos;
        return n;
    }
    static void Clear() {
        std::lock_guard lock(Mutex());
        Reports().clear();
    }

  private:
    static std::mutex& Mutex() {
        static std::mutex m;
        return m;
    }
    static void Capture(const char*, int32, const char*, DebugOutputLevel level, uInt32,
                        const char* message) {
        std::lock_guard lock(Mutex());
        Reports().push_back({level, message});
    }
};
