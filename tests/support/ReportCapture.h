// Collects the library's reports through the debug-output handler while an instance lives, from any thread,
// so level-4 reports do not end the process. The one report capture of the suite.
#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "tqcore/diagnostics.h"

struct CapturedReport {
    std::string file;
    int32 line;
    DebugOutputLevel level;
    uInt32 site;
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
    // The captured texts, in order.
    static std::vector<std::string> Texts() {
        std::vector<std::string> texts;
        for (const auto& r : All()) texts.push_back(r.text);
        return texts;
    }
    // How many captured reports at level contain part.
    static int Count(DebugOutputLevel level, const std::string& part) {
        std::lock_guard lock(Mutex());
        int n = 0;
        for (const auto& r : Reports()) n += r.level == level && r.text.find(part) != std::string::npos;
        return n;
    }
    static size_t Size() {
        std::lock_guard lock(Mutex());
        return Reports().size();
    }
    static void Clear() {
        std::lock_guard lock(Mutex());
        Reports().clear();
    }
    // The handler an instance installs.
    static void Handle(const char* file, int32 line, const char*, DebugOutputLevel level, uInt32 site,
                       const char* message) {
        std::lock_guard lock(Mutex());
        Reports().push_back({file ? file : "", line, level, site, message ? message : ""});
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
};

// A fixture whose every test runs with its reports captured and the count of reported events at zero.
class ReportCaptureTest : public ::testing::Test {
  protected:
    void SetUp() override { DebugOutputResetNumEvents(); }
    // A snapshot of the captured reports, valid until the next call.
    const std::vector<CapturedReport>& Messages() {
        snapshot_ = ReportCapture::All();
        return snapshot_;
    }

  private:
    ReportCapture capture_;
    std::vector<CapturedReport> snapshot_;
};
