// Faults injected through the system-call seam into the functions that change the file system by path: each
// gives its mapped code, leaves no part-made target and no open descriptor behind.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/Syscalls.h"
#include "support/ScopedEnv.h"
#include "support/ScratchFolder.h"
#include "support/SyscallFaults.h"
#include "tqcore/core.h"
#include "tqcore/files.h"

namespace {

using tq::platform::ResetSyscallsForTest;
using tq::platform::SyscallFault;
using tq::test::Failing;
using tq::test::ReadText;
using tq::test::ScratchFolder;
using tq::test::Shortened;
namespace fs = std::filesystem;

// The calls behind each operation and the OS's own numbers for the errors injected into them.
struct OsCalls {
    const char* copy;
    const char* move;
    const char* removeFile;
    const char* removeFolder;
    const char* makeFolder;
    int32 diskFull;
    int32 accessDenied;
    int32 busy;
};

#if defined(_WIN32)
constexpr OsCalls kCalls{"CopyFileW", "MoveFileW", "DeleteFileW", "RemoveDirectoryW", "CreateDirectoryW", 112,
                         5,           32};
#else
constexpr OsCalls kCalls{"copy_file_range", "renameat2", "unlink", "rmdir", "mkdir", ENOSPC, EACCES, EBUSY};
#endif

class PathFaults : public ::testing::Test {
  protected:
    void SetUp() override {
        payload_.resize(200000);
        for (size_t i = 0; i < payload_.size(); ++i) payload_[i] = char(i * 31 + i / 977);
        scratch_.File("src", payload_);
        src_ = scratch_.Ref("src");
        dst_ = scratch_.Ref("dst");
    }
    void Inject(const char* name, const SyscallFault& fault) { faults_.Inject(name, fault); }
    void ExpectSourceWhole() { EXPECT_EQ(ReadText(scratch_ / "src"), payload_); }

    ScratchFolder scratch_;
    tq::test::InjectedFaults faults_;
    std::string payload_;
    PathRef src_, dst_;
};

TEST_F(PathFaults, ACopyThatFailsLeavesNoTarget) {
    Inject(kCalls.copy, Failing(kCalls.diskFull, 1, 0));
    EXPECT_EQ(FCopy(&src_, &dst_), kErrDiskFull);
    EXPECT_FALSE(fs::exists(scratch_ / "dst"));
    ExpectSourceWhole();
    ResetSyscallsForTest();
    Inject(kCalls.copy, Failing(kCalls.accessDenied));
    EXPECT_EQ(FCopy(&src_, &dst_), kErrPermission);
    EXPECT_FALSE(fs::exists(scratch_ / "dst"));
}

TEST_F(PathFaults, AMoveThatFailsLeavesBothNamesAsTheyWere) {
    Inject(kCalls.move, Failing(kCalls.accessDenied));
    EXPECT_EQ(FMove(&src_, &dst_), kErrPermission);
    EXPECT_FALSE(fs::exists(scratch_ / "dst"));
    ExpectSourceWhole();
}

TEST_F(PathFaults, RemovalsThatFailKeepTheirNames) {
    fs::create_directory(scratch_ / "d");
    PathRef folder = scratch_.Ref("d");
    Inject(kCalls.removeFile, Failing(kCalls.accessDenied));
    EXPECT_EQ(FRemove(&src_), kErrPermission);
    ExpectSourceWhole();
    Inject(kCalls.removeFolder, Failing(kCalls.busy));
    EXPECT_EQ(FRemove(&folder), kErrFileBusy);
    EXPECT_TRUE(fs::is_directory(scratch_ / "d"));
}

TEST_F(PathFaults, NewFoldersThatFailAreNotMade) {
    PathRef one = scratch_.Ref("one"), deep = scratch_.Ref("a/b/c");
    Inject(kCalls.makeFolder, Failing(kCalls.diskFull));
    EXPECT_EQ(FNewDir(&one, 0777), kErrDiskFull);
    EXPECT_FALSE(fs::exists(scratch_ / "one"));
    // The second level fails: the first stays, as any partly made hierarchy of the OS's own would.
    Inject(kCalls.makeFolder, Failing(kCalls.accessDenied, 2));
    EXPECT_EQ(FNewDirHier(&deep), kErrPermission);
    EXPECT_TRUE(fs::is_directory(scratch_ / "a"));
    EXPECT_FALSE(fs::exists(scratch_ / "a" / "b"));
}

#if !defined(_WIN32)
TEST_F(PathFaults, CopyOpensThatFailCloseWhatTheyOpened) {
    // The Win32 table has no row for too many open files: it maps as any other failure.
    Inject("open", Failing(EMFILE, 2));
    EXPECT_EQ(FCopy(&src_, &dst_), kErrIO);
    EXPECT_FALSE(fs::exists(scratch_ / "dst"));
    Inject("open", Failing(EACCES));
    EXPECT_EQ(FCopy(&src_, &dst_), kErrPermission);
    Inject("futimens", Failing(EIO));
    EXPECT_EQ(FCopy(&src_, &dst_), kErrIO);
    EXPECT_FALSE(fs::exists(scratch_ / "dst"));
}

TEST_F(PathFaults, ShortAndInterruptedTransfersStillCopyEverything) {
    Inject("copy_file_range", Shortened(1000, 0));
    ASSERT_EQ(FCopy(&src_, &dst_), kErrNone);
    EXPECT_EQ(ReadText(scratch_ / "dst"), payload_);
    fs::remove(scratch_ / "dst");
    // Refused shortcuts fall back to reads and writes, which may be cut short or interrupted.
    ResetSyscallsForTest();
    Inject("copy_file_range", Failing(EXDEV, 1, 0));
    Inject("sendfile", Failing(EINVAL, 1, 0));
    Inject("write", Shortened(777, 0));
    Inject("read", Failing(EINTR, 2));
    ASSERT_EQ(FCopy(&src_, &dst_), kErrNone);
    EXPECT_EQ(ReadText(scratch_ / "dst"), payload_);
    fs::remove(scratch_ / "dst");
    ResetSyscallsForTest();
    Inject("copy_file_range", Failing(ENOSYS, 1, 0));
    Inject("sendfile", Failing(ENOSYS, 1, 0));
    Inject("write", Failing(ENOSPC, 2));
    EXPECT_EQ(FCopy(&src_, &dst_), kErrDiskFull);
    EXPECT_FALSE(fs::exists(scratch_ / "dst"));
}

TEST_F(PathFaults, MovesWhereTheFileSystemCannotRefuseToReplace) {
    Inject("renameat2", Failing(EINVAL));
    ASSERT_EQ(FMove(&src_, &dst_), kErrNone);
    EXPECT_EQ(ReadText(scratch_ / "dst"), payload_);
    EXPECT_FALSE(fs::exists(scratch_ / "src"));
    scratch_.File("src", "new");
    Inject("renameat2", Failing(EINVAL));
    EXPECT_EQ(FMove(&src_, &dst_), kErrDuplicatePath);
    EXPECT_EQ(ReadText(scratch_ / "src"), "new");
    EXPECT_EQ(ReadText(scratch_ / "dst"), payload_);
    // Folders cannot be linked: checked, then renamed.
    fs::create_directory(scratch_ / "d");
    PathRef folder = scratch_.Ref("d"), moved = scratch_.Ref("e");
    Inject("renameat2", Failing(ENOSYS));
    ASSERT_EQ(FMove(&folder, &moved), kErrNone);
    EXPECT_TRUE(fs::is_directory(scratch_ / "e"));
}

TEST_F(PathFaults, MovesAcrossVolumesCopyThenRemove) {
    Inject("renameat2", Failing(EXDEV));
    ASSERT_EQ(FMove(&src_, &dst_), kErrNone);
    EXPECT_EQ(ReadText(scratch_ / "dst"), payload_);
    EXPECT_FALSE(fs::exists(scratch_ / "src"));
    // When the original cannot go, the copy goes instead.
    PathRef back = scratch_.Ref("src");
    Inject("renameat2", Failing(EXDEV));
    Inject("unlink", Failing(EACCES));
    EXPECT_EQ(FMove(&dst_, &back), kErrPermission);
    EXPECT_EQ(ReadText(scratch_ / "dst"), payload_);
    EXPECT_FALSE(fs::exists(scratch_ / "src"));
    // Folders do not cross volumes.
    fs::create_directory(scratch_ / "d");
    PathRef folder = scratch_.Ref("d"), moved = scratch_.Ref("e");
    Inject("renameat2", Failing(EXDEV));
    EXPECT_NE(FMove(&folder, &moved), kErrNone);
    EXPECT_TRUE(fs::is_directory(scratch_ / "d"));
    EXPECT_FALSE(fs::exists(scratch_ / "e"));
}

TEST_F(PathFaults, ATrashMoveThatFailsLeavesNoDescription) {
    const tq::test::ScopedEnv data("XDG_DATA_HOME", tq::test::Utf8(scratch_ / "data"));
    Inject("rename", Failing(EACCES));
    EXPECT_EQ(FRemoveToRecycle(&src_, 0), kErrPermission);
    ExpectSourceWhole();
    EXPECT_TRUE(fs::is_empty(scratch_ / "data" / "Trash" / "info"));
    Inject("write", Failing(ENOSPC));
    EXPECT_EQ(FRemoveToRecycle(&src_, 0), kErrDiskFull);
    ExpectSourceWhole();
    EXPECT_TRUE(fs::is_empty(scratch_ / "data" / "Trash" / "info"));
    ASSERT_EQ(FRemoveToRecycle(&src_, 0), kErrNone);
    EXPECT_FALSE(fs::exists(scratch_ / "src"));
}
#endif

}  // namespace
