// Byte-range locks and deny modes between open files of one process and of two.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "FilesTestSupport.h"
#include "files/OsPathName.h"
#include "platform/CodePage.h"
#include "support/Wine.h"

#ifndef _WIN32
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace {

using tq::test::OpenFile;

constexpr const char* kChildVariable = "TQ_FILES_TEST_OPEN";

class FileLocks : public tq::test::ScratchFolderTest {
  protected:
    static TqErr Read(File fd, int32 count, int32* actual = nullptr) {
        std::string buf(size_t(count), '\0');
        return FMRead(fd, count, actual, reinterpret_cast<UPtr>(buf.data()));
    }
    static TqErr Write(File fd, std::string text) {
        return FMWrite(fd, int32(text.size()), nullptr, reinterpret_cast<UPtr>(text.data()));
    }
};

TEST_F(FileLocks, ALockedRangeHoldsOffOtherOpenFiles) {
    TQ_SKIP_UNDER_WINE("reads and writes through another handle pass a locked range");
    auto p = Existing("l", std::string(32, 'x'));
    OpenFile owner, other;
    ASSERT_EQ(FMOpen(owner.Out(), p.get(), kOpenReadWrite, kDenyNone), kErrNone);
    ASSERT_EQ(FMOpen(other.Out(), p.get(), kOpenReadWrite, kDenyNone), kErrNone);
    ASSERT_EQ(FLockOrUnlockRange(owner, kSeekFromStart, 4, 8, 1), kErrNone);
    EXPECT_EQ(Read(owner, 16), kErrNone);
    EXPECT_EQ(Read(other, 4), kErrNone);
    EXPECT_EQ(Read(other, 4), kErrPermission);
    ASSERT_EQ(FMSeek(other, 10, kSeekFromStart), kErrNone);
    EXPECT_EQ(Write(other, "yy"), kErrPermission);
    ASSERT_EQ(FMSeek(other, 12, kSeekFromStart), kErrNone);
    EXPECT_EQ(Write(other, "zz"), kErrNone);
    ASSERT_EQ(FMSeek(owner, 4, kSeekFromStart), kErrNone);
    EXPECT_EQ(Write(owner, "oo"), kErrNone);
    ASSERT_EQ(FLockOrUnlockRange(owner, kSeekFromStart, 4, 8, 0), kErrNone);
    ASSERT_EQ(FMSeek(other, 4, kSeekFromStart), kErrNone);
    EXPECT_EQ(Read(other, 8), kErrNone);
    FMClose(owner.Release());
    FMClose(other.Release());
    EXPECT_EQ(tq::test::ReadText(OnDisk("l")).substr(0, 14), "xxxxooxxxxxxzz");
}

TEST_F(FileLocks, OverlapsAndUnlocks) {
    auto p = Existing("o", std::string(100, 'x'));
    OpenFile a, b;
    ASSERT_EQ(FMOpen(a.Out(), p.get(), kOpenReadWrite, kDenyNone), kErrNone);
    ASSERT_EQ(FMOpen(b.Out(), p.get(), kOpenRead, kDenyNone), kErrNone);
    ASSERT_EQ(FLockOrUnlockRange(a, kSeekFromStart, 10, 10, 1), kErrNone);
    EXPECT_EQ(FLockOrUnlockRange(b, kSeekFromStart, 15, 10, 1), kErrPermission);
    EXPECT_EQ(FLockOrUnlockRange(a, kSeekFromStart, 19, 1, 1), kErrPermission);
    EXPECT_EQ(FLockOrUnlockRange(b, kSeekFromStart, 20, 10, 1), kErrNone);
    // Relative starts: ten bytes before the end, and from the current position.
    EXPECT_EQ(FLockOrUnlockRange(b, kSeekFromEnd, -10, 10, 1), kErrNone);
    ASSERT_EQ(FMSeek(a, 40, kSeekFromStart), kErrNone);
    EXPECT_EQ(FLockOrUnlockRange(a, kSeekFromCurrent, 5, 5, 1), kErrNone);
    EXPECT_EQ(FLockOrUnlockRange(b, kSeekFromStart, 45, 1, 1), kErrPermission);
    EXPECT_EQ(FLockOrUnlockRange(a, kSeekFromStart, 45, 5, 0), kErrNone);
    EXPECT_EQ(FLockOrUnlockRange(b, kSeekFromStart, 45, 1, 1), kErrNone);
    // Not locked: Windows says so (158, an argument fault); Wine reports a lock violation.
    const TqErr notLocked = tq::test::RunningUnderWine() ? kErrPermission : kErrArgument;
    EXPECT_EQ(FLockOrUnlockRange(a, kSeekFromStart, 90, 10, 0), notLocked);
    EXPECT_EQ(FLockOrUnlockRange(a, 7, 0, 1, 1), kErrArgument);
    // Closing releases what the file held.
    FMClose(b.Release());
    EXPECT_EQ(FLockOrUnlockRange(a, kSeekFromStart, 20, 10, 1), kErrNone);
}

#ifndef _WIN32
// Opens the file named by the variable in a process of its own and exits with FMOpen's code.
int OpenInChild(const tq::test::fs::path& file, const char* how) {
    const std::string setting = std::string(kChildVariable) + "=" + how + file.string();
    std::vector<char*> env;
    for (char** e = environ; *e; ++e) env.push_back(*e);
    env.push_back(const_cast<char*>(setting.c_str()));
    env.push_back(nullptr);
    char self[] = "/proc/self/exe";
    char filter[] = "--gtest_filter=NoTest";
    char* argv[] = {self, filter, nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, self, nullptr, nullptr, argv, env.data()) != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// In the child, before any test: the first character says the deny mode, the rest is the file.
[[maybe_unused]] const int gChildOpen = [] {
    const char* request = std::getenv(kChildVariable);
    if (!request || !*request) return 0;
    if (InitTQCoreBase() != kErrNone) _exit(99);
    auto p = tq::test::PathOf(request + 1);
    File fd = 0;
    const TqErr err = FMOpen(&fd, p.get(), kOpenRead, request[0] - '0');
    _exit(int(err));
}();

TEST_F(FileLocks, DenyModesHoldAgainstOtherProcesses) {
    auto p = Existing("x", "shared");
    {
        OpenFile holder;
        ASSERT_EQ(FMOpen(holder.Out(), p.get(), kOpenReadWrite, kDenyReadWrite), kErrNone);
        EXPECT_EQ(OpenInChild(OnDisk("x"), "2"), kErrFileBusy);
    }
    {
        OpenFile holder;
        ASSERT_EQ(FMOpen(holder.Out(), p.get(), kOpenRead, kDenyWrite), kErrNone);
        EXPECT_EQ(OpenInChild(OnDisk("x"), "2"), kErrNone);
        // The child reads and would deny writing: allowed, since the holder only reads.
        EXPECT_EQ(OpenInChild(OnDisk("x"), "1"), kErrNone);
    }
    {
        OpenFile holder;
        ASSERT_EQ(FMOpen(holder.Out(), p.get(), kOpenWrite, kDenyNone), kErrNone);
        EXPECT_EQ(OpenInChild(OnDisk("x"), "1"), kErrFileBusy);
        EXPECT_EQ(OpenInChild(OnDisk("x"), "2"), kErrNone);
    }
    EXPECT_EQ(OpenInChild(OnDisk("x"), "0"), kErrNone);
}
#endif

TEST(OsNameText, WindowsForm) {
    using tq::platform::OsNameStyle;
    std::string text;
    PathRef p(kBaseAbsolute);
    p.Append("c");
    ASSERT_EQ(tq::files::OsNameText(p, OsNameStyle::kDos, text), kErrNone);
    EXPECT_EQ(text, "c:\\");
    p.Append("dir");
    p.Append("a.txt");
    ASSERT_EQ(tq::files::OsNameText(p, OsNameStyle::kDos, text), kErrNone);
    EXPECT_EQ(text, "c:\\dir\\a.txt");
    ASSERT_EQ(tq::files::OsNameText(p, OsNameStyle::kUnix, text), kErrNone);
    EXPECT_EQ(text, "/c/dir/a.txt");
    PathRef notDrive(kBaseAbsolute);
    notDrive.Append("home");
    notDrive.Append("a");
    EXPECT_EQ(tq::files::OsNameText(notDrive, OsNameStyle::kDos, text), kErrArgument);
    EXPECT_EQ(tq::files::OsNameText(notDrive, OsNameStyle::kUnix, text), kErrNone);
    EXPECT_EQ(text, "/home/a");
    PathRef digit(kBaseAbsolute);
    digit.Append("1");
    EXPECT_EQ(tq::files::OsNameText(digit, OsNameStyle::kDos, text), kErrArgument);
}

TEST(OsNameText, NamesFromTheSystemComeBackAsLibraryText) {
    if (tq::platform::AnsiCodePage() != tq::platform::kCodePageWestern)
        GTEST_SKIP() << "needs code page 1252";
    // "é" in UTF-8 is one byte of the Western code page.
    EXPECT_EQ(tq::files::LibraryTextFromOs("caf\xC3\xA9"), "caf\xE9");
    EXPECT_EQ(tq::files::LibraryTextFromOs("plain"), "plain");
    std::string utf8;
    PathRef p(kBaseAbsolute);
    p.Append("C");
    p.Append("caf\xE9");
    ASSERT_EQ(tq::files::OsPathName(&p, false, utf8), kErrNone);
    EXPECT_NE(utf8.find("caf\xC3\xA9"), std::string::npos);
}

}  // namespace
