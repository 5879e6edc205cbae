// Captures library reports through the debug-output handler for the life of the object.
#pragma once

#include <string>
#include <vector>

#include "tqcore/diagnostics.h"

namespace testing_support {

struct CapturedReport {
    DebugOutputLevel level;
    std::string file;
    std::string text;
};

class ReportCapture {
  public:
    ReportCapture() {
        Reports().clear();
        DebugOutputSetHandler(&ReportCapture::Handle);
    }
    ~ReportCapture() { DebugOutputSetHandler(nullptr); }
    const std::vector<CapturedReport>& reports() const { return Reports(); }

  private:
    static std::vector<CapturedReport>& Reports() {
        static std::vector<CapturedReport> reports;
        return reports;
    }
    static void Handle(const char* file, int32, const char*, DebugOutputLevel level, uInt32,
                       const char* message) {
        Reports().push_back({level, file ? file : "", message ? message : ""});
    }
};

}  // namespace testing_support
