// Collects the library's reports through the debug-output handler while an instance lives, from any thread,
// so level-4 reports do not end the process.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "tqcore/diagnostics.h"

struct CapturedReport {
    DebugOutputLevel level;
    std::string file;
    std::string text;
};

class ReportCapture {
  public:
    ReportCapture() {
        Clear();
        DebugOutputSetHandler(&ReportCapture::Handle);
    }
    ~ReportCapture() { DebugOutputSetHandler(nullptr); }
    ReportCapture(const ReportCapture&) = delete;
    ReportCapture& operator=(const ReportCapture&) = delete;

    // What has been captured so far, in order.
    static std::vector<CapturedReport> All() {
        std::lock_guard lock(Mutex());
        return Reports();
    }
    // How many captured reports at level contain part.
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
    static std::vector<CapturedReport>& Reports() {
        static std::vector<CapturedReport> reports;
        return reports;
    }
    static void Handle(const char* file, int32, const char*, DebugOutputLevel level, uInt32,
                       const char* message) {
        std::lock_guard lock(Mutex());
        Reports().push_back({level, file ? file : "", message ? message : ""});
    }
};
