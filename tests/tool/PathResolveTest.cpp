// tqcore path resolve, run in this process on a folder holding a shortcut file made by the tests' writer and,
// where the OS allows it without privileges, a symbolic link.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "PathResolve.h"
#include "support/Platform.h"
#include "support/ShellLinkWriter.h"
#include "tqcore/core.h"
#include "tqcore/paths.h"

namespace {

namespace fs = std::filesystem;
using tq::test::ShellLinkParts;
using tq::test::ShellLinkWriter;

using tq::test::kWindows;

class PathResolveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(InitTQCoreBase(), kErrNone);
        root_ = fs::temp_directory_path() / ("tqcore-resolve-" + std::to_string(std::random_device{}()));
        fs::create_directories(root_ / "real");
        root_ = fs::canonical(root_);
        std::ofstream(root_ / "real" / "target.txt") << "x";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
        EXPECT_EQ(UninitTQCoreBase(), kErrNone);
    }

    // A link at name to root/real.
    void LinkToReal(const std::string& name) {
        const std::string text = PathRef(root_.string() + (kWindows ? "\\real" : "/real"),
                                         kWindows ? PathRef::StringDOS() : PathRef::StringUnix())
                                     .ToString(PathRef::StringDOS());
        ShellLinkParts parts;
        parts.localBasePath.assign(text.begin(), text.end());
        const std::vector<uint8_t> bytes = ShellLinkWriter::Make(parts);
        std::ofstream(root_ / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    // The program's exit code; its standard output in *out.
    static int Run(const fs::path& path, std::string* out) {
        std::string text = path.string();
        char name[] = "resolve";
        char* argv[] = {name, text.data(), nullptr};
        ::testing::internal::CaptureStdout();
        const int rc = tool::PathResolve(2, argv);
        *out = ::testing::internal::GetCapturedStdout();
        return rc;
    }

    fs::path root_;
};

TEST_F(PathResolveTest, EachStepThenThePathReached) {
    LinkToReal("via.lnk");
    std::string out;
    const fs::path through = root_ / "via.lnk" / "target.txt";
    ASSERT_EQ(Run(through, &out), 0) << out;
    const fs::path reached = root_ / "real" / "target.txt";
    EXPECT_EQ(out, "shortcut: " + (root_ / "via.lnk").string() + " -> " + reached.string() + "\n" +
                       reached.string() + "\n");
    ASSERT_EQ(Run(root_ / "via" / "target.txt", &out), 0)
        << "the link found for a name without .lnk: " << out;
    EXPECT_EQ(out.substr(out.find('\n') + 1), reached.string() + "\n");
    ASSERT_EQ(Run(reached, &out), 0);
    EXPECT_EQ(out, reached.string() + "\n") << "no step for a path without links";
}

TEST_F(PathResolveTest, SymbolicLinksAndShortcutsInOneChain) {
    if (kWindows) GTEST_SKIP() << "symbolic links need privileges there";
    LinkToReal("via.lnk");
    fs::create_symlink(root_ / "via.lnk", root_ / "sym");
    std::string out;
    ASSERT_EQ(Run(root_ / "sym" / "target.txt", &out), 0) << out;
    const fs::path reached = root_ / "real" / "target.txt";
    EXPECT_EQ(out, "link: " + (root_ / "sym").string() + " -> " +
                       (root_ / "via.lnk" / "target.txt").string() +
                       "\nshortcut: " + (root_ / "via.lnk").string() + " -> " + reached.string() + "\n" +
                       reached.string() + "\n");
}

TEST_F(PathResolveTest, MissingTargetsAndLoopsFail) {
    std::string out;
    EXPECT_EQ(Run(root_ / "real" / "missing.txt", &out), 1);
    LinkToReal("via.lnk");
    EXPECT_EQ(Run(root_ / "via.lnk" / "missing.txt", &out), 1);
    EXPECT_NE(out.find("shortcut: "), std::string::npos) << "the steps taken are shown";
    if (kWindows) return;
    fs::create_symlink(root_ / "b", root_ / "a");
    fs::create_symlink(root_ / "a", root_ / "b");
    EXPECT_EQ(Run(root_ / "a", &out), 1);
}

}  // namespace
