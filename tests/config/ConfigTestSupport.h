// Preference files in a scratch folder, and the main manager over one, for the configuration tests.
#pragma once

#include <filesystem>
#include <string>

#include "config/ConfigOperations.h"
#include "config/Services.h"
#include "support/ReportCapture.h"
#include "support/ScratchFolder.h"
#include "tqcore/config.h"
#include "tqcore/sysinfo.h"

namespace tq::test {

inline PathRef OsPath(const std::string& text) {
    return config::PathFromOsText(text);
}

inline std::string CommandLineText(const std::string& os) {
    return OsPath(os).ToString(PathRef::StringCommandLine());
}

// The main manager, with the built-in types, over a preference file in a scratch folder; initialText, when
// given, is the file's content before the manager starts.
class MainManagerFixture : public ReportCaptureTest {
  protected:
    explicit MainManagerFixture(const char* initialText = nullptr) : initialText_(initialText) {}
    void SetUp() override {
        ReportCaptureTest::SetUp();
        file_ = folder_.OsName("prefs.ini");
        if (initialText_) WriteText(file_, initialText_);
        ASSERT_EQ(SetPrefsPath(CommandLineText(file_).c_str()), kErrNone);
        ASSERT_EQ(config::ConfigManagerService()->Init(), kErrNone);
        ASSERT_EQ(config::ConfigCoreTypesService()->Init(), kErrNone);
    }
    void TearDown() override {
        config::ConfigCoreTypesService()->Uninit();
        config::ConfigManagerService()->Uninit();
        (void)SetPrefsPath(nullptr);
    }

    ScratchFolder folder_;
    std::string file_;

  private:
    const char* initialText_;
};

// Whether every name but the given one is a numbered temporary file of a rewrite ("ini$$N.TMP").
inline bool OthersAreTemporaries(const ScratchFolder& folder, const std::string& name) {
    for (const auto& e : std::filesystem::directory_iterator(folder.Root())) {
        const std::string n = e.path().filename().string();
        if (n != name && (n.rfind("ini$$", 0) != 0 || n.size() < 9 || n.substr(n.size() - 4) != ".TMP"))
            return false;
    }
    return true;
}

}  // namespace tq::test
