// What copies and rights carry over where the OS keeps it: the last-write time of a copy, a read-only folder.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "support/ScratchFolder.h"
#include "support/Wine.h"
#include "tqcore/core.h"
#include "tqcore/files.h"

namespace {

using tq::test::ScratchFolder;
namespace fs = std::filesystem;

TEST(PathAttributes, ACopyKeepsTheLastWriteTime) {
    TQ_SKIP_UNDER_WINE("CopyFileW does not carry the last-write time over");
    ScratchFolder scratch;
    scratch.File("src", "data");
    const auto when = fs::file_time_type::clock::now() - std::chrono::hours(50);
    fs::last_write_time(scratch / "src", when);
    PathRef src = scratch.Ref("src"), dst = scratch.Ref("dst");
    ASSERT_EQ(FCopy(&src, &dst), kErrNone);
    EXPECT_EQ(fs::last_write_time(scratch / "dst"), when);
    FileInfoRec64 a, b;
    ASSERT_EQ(FGetInfo64(&src, &a, kInfoModificationDate), kErrNone);
    ASSERT_EQ(FGetInfo64(&dst, &b, kInfoModificationDate), kErrNone);
    EXPECT_EQ(a.mdate, b.mdate);
}

TEST(PathAttributes, AFolderMayBeMadeReadOnly) {
    TQ_SKIP_UNDER_WINE("the read-only attribute of a folder is not kept");
    ScratchFolder scratch;
    fs::create_directory(scratch / "d");
    PathRef folder = scratch.Ref("d");
    int32 perm = 0555;
    ASSERT_EQ(FSetAccessRights(&folder, nullptr, nullptr, &perm), kErrNone);
    perm = 0;
    ASSERT_EQ(FGetAccessRights(&folder, nullptr, nullptr, &perm), kErrNone);
    EXPECT_EQ(perm, 0555);
    FileInfoRec64 rec;
    ASSERT_EQ(FGetInfo64(&folder, &rec, kInfoPermissions), kErrNone);
    EXPECT_EQ(rec.permissions, 0555u);
    perm = 0777;
    ASSERT_EQ(FSetAccessRights(&folder, nullptr, nullptr, &perm), kErrNone);
    ASSERT_EQ(FGetAccessRights(&folder, nullptr, nullptr, &perm), kErrNone);
    EXPECT_EQ(perm, 0777);
}

}  // namespace
