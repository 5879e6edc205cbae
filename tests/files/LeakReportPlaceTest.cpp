// Where the memory tracker's leak report lands once the file manager runs: among the dumps in the temporary
// folder, whatever the current directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "support/ReportCapture.h"
#include "support/ScratchFolder.h"
#include "tqcore/core.h"
#include "tqcore/files.h"
#include "tqcore/memory.h"

namespace {

namespace fs = std::filesystem;

TEST(LeakReportPlace, TheReportGoesToTheTemporaryFolder) {
    tq::test::ScratchFolder scratch;
    fs::current_path(scratch.Root());
    const std::string name = "tqcore-leaks-" + std::to_string(std::random_device{}()) + ".txt";
    const std::unique_ptr<FileLoc> expected(CreateFileLoc(FileLoc::kTempDirDump, name.c_str(), false));
    ASSERT_NE(expected, nullptr);
    const fs::path placed(std::u8string(reinterpret_cast<const char8_t*>(expected->GetPath())));
    AllocTracker* tracker = CreateAllocTracker();
    ASSERT_NE(tracker, nullptr);
    int leaked = 0;
    tracker->Add(&leaked, sizeof leaked, "leaky.cpp", 7);
    {
        ReportCapture capture;
        DumpLeakInfo(tracker, 0, "widgets", name.c_str());
    }
    DestroyAllocTracker(tracker);
    EXPECT_TRUE(fs::exists(placed)) << placed;
    EXPECT_FALSE(fs::exists(scratch / name)) << "not in the current directory";
    std::error_code ignored;
    fs::remove(placed, ignored);
}

}  // namespace
