#include "Host.h"

#include <cstdio>

namespace tool {

namespace {

// The stand-alone program's answers: a top-level editor-less tool, not a run-time or a built application.
class ToolApp final : public TQAppInterface {
  public:
    const char* ProductName() override { return "TQCore"; }
    const char* AppName() override { return "tqcore"; }
    int32 AppAPIVersion() override { return kVersion; }
    int32 AppEditorVersion() override { return kVersion; }
    const char* BuiltAppName() override { return "tqcore"; }
    bool IsTopLevel() override { return true; }
    bool IsBoundApp() override { return false; }
    bool IsRunTime() override { return false; }
    bool IsFullFeatureRunTime() override { return false; }
    bool IsEmbeddedRunTime() override { return false; }
    void PrepareAppFileName() override {}
    bool AcceptsLeadingPlus() override { return true; }
    const char* LanguageName() override { return "English"; }
    int32 StringResourceRefNum() override { return 0; }

  private:
    // Major, minor and fix in one number, as the library passes it through.
    static constexpr int32 kVersion = 0x00010000;
};

ToolApp gApp;
HostSession* gCurrent = nullptr;

}  // namespace

HostSession::HostSession() {
    TQAppInterfaceSet(&gApp);
    startResult_ = InitTQCoreBase();
    if (startResult_ != kErrNone) {
        std::fprintf(stderr, "tqcore: the library did not start (error %d)\n", int(startResult_));
        UninitTQCoreBase();
        TQAppInterfaceSet(nullptr);
        return;
    }
    InitTQCoreAppSupport();
    started_ = true;
    gCurrent = this;
}

void HostSession::Stop() {
    if (!started_ || stopped_) return;
    stopped_ = true;
    UninitTQCoreAppSupport();
    UninitTQCoreBase();
    TQAppInterfaceSet(nullptr);
}

HostSession::~HostSession() {
    Stop();
    if (gCurrent == this) gCurrent = nullptr;
}

HostSession* HostSession::Current() {
    return gCurrent;
}

}  // namespace tool
