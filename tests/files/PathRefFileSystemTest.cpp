#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "FilesTestSupport.h"
#include "support/Exceptions.h"
#include "support/Platform.h"
#include "support/ReportCapture.h"
#include "tqcore/core.h"
#include "tqcore/files.h"
#include "tqcore/paths.h"

namespace {

namespace fs = std::filesystem;
using tq::test::CachedPathFlavor;
using tq::test::ScratchFolder;

using tq::test::kWindows;

TEST(PathRefFileSystem, SizesAndItemCounts) {
    ScratchFolder scratch;
    scratch.File("five.txt", "12345");
    scratch.File("empty.txt", "");
    fs::create_directory(scratch / "sub");
    const PathRef file = scratch.Ref("five.txt"), folder = scratch.Ref();
    EXPECT_EQ(file.Size(PathRef::kLogicalSize), 5u);
    EXPECT_EQ(scratch.Ref("empty.txt").Size(PathRef::kLogicalSize), 0u);
    EXPECT_EQ(folder.DirectoryItemCount(), 3u);
    EXPECT_EQ(scratch.Ref("sub").DirectoryItemCount(), 0u);
    EXPECT_PKEXCEPT(file.Size(PathRef::kPhysicalSize), kErrNotSupported,
                    "PathRef::Size: Only logical size is supported at the moment");
    EXPECT_PKEXCEPT(folder.Size(PathRef::kLogicalSize), kErrArgument,
                    "PathRef::Size: Can't get the size of a folder, get DirectoryItemCount");
    EXPECT_PKEXCEPT(file.DirectoryItemCount(), kErrArgument,
                    "PathRef::Size: Can't get the item count of a file, get Size");
    EXPECT_PKEXCEPT(scratch.Ref("missing").Size(PathRef::kLogicalSize), kErrNotFound,
                    "PathRef::Size: Unable to get information about path");
}

TEST(PathRefFileSystem, AFreshMissingEntryAnswersWithoutTheDisk) {
    ScratchFolder scratch;
    scratch.File("real.txt", "abc");
    PathRef folder = scratch.Ref();
    const PathRef file = scratch.Ref("real.txt");
    ASSERT_EQ(folder.Cache("FExists", new CachedPathFlavor(false, false)), 0);
    EXPECT_PKEXCEPT(file.Size(PathRef::kLogicalSize), kErrNotFound, "PathRef::Size: Does not exist");
    EXPECT_PKEXCEPT(file.Size(PathRef::kPhysicalSize), kErrNotFound, "PathRef::Size: Does not exist");
    EXPECT_PKEXCEPT(folder.DirectoryItemCount(), kErrNotFound, "PathRef::Size: Does not exist");
    EXPECT_FALSE(file.IsAShortcut());
    EXPECT_EQ(file.MakeWriteable(0), kErrNotFound);

    // The nearest entry counts: one on the file saying it is a file lets the disk answer.
    ASSERT_EQ(file.Cache("FExists", new CachedPathFlavor(true, false)), 0);
    EXPECT_EQ(file.Size(PathRef::kLogicalSize), 3u);
    ASSERT_EQ(folder.Cache("FExists", new CachedPathFlavor(false, true)), 0);
    EXPECT_EQ(folder.DirectoryItemCount(), 1u);
    ASSERT_EQ(folder.Cache("FExists", new PathRef::CachedBool(100000, false, PathRef::kDependsOnMetaData)),
              0);
    EXPECT_EQ(folder.DirectoryItemCount(), 1u) << "an entry of another class says nothing";
    folder.FlushCache();
    PathRef(file).FlushCache();
}

TEST(PathRefFileSystem, DatesVolumesAndShortcuts) {
    ScratchFolder scratch;
    scratch.File("f.txt");
    const PathRef file = scratch.Ref("f.txt");
    FileInfoRec64 info{};
    ASSERT_EQ(FGetInfo64(const_cast<Path>(&file), &info, kInfoModificationDate), 0);
    EXPECT_EQ(file.ModificationDate(), info.mdate);
    EXPECT_GT(file.ModificationDate(), 0u);
    EXPECT_FALSE(file.IsAShortcut());

    const PathRef volume = file.Volume();
    EXPECT_TRUE(volume.StartsWith(kBaseAbsolute) || volume.StartsWith(kBaseUNC));
    EXPECT_TRUE(volume.IsParentDirectoryOf(file) || volume.GetInCommonWith(file).Equals(volume));
    Path out = new PathRef();
    EXPECT_EQ(FVolName(const_cast<Path>(&file), out), 0);
    EXPECT_TRUE(out->Equals(volume, kCompareExact));
    EXPECT_EQ(FVolName(nullptr, out), 1);
    EXPECT_EQ(FVolName(const_cast<Path>(&file), nullptr), 1);
    FDestroyPath(&out);
    EXPECT_GT(file.VolumeSize(), 0.0);
    EXPECT_LE(file.VolumeFree(), file.VolumeSize());
    EXPECT_EQ(file.DisconnectVolume(), 0);
    EXPECT_PKEXCEPT(PathRef(kBaseRelative).Volume(), kErrArgument,
                    "PathRef::Volume: Unable to get volume path");
}

TEST(PathRefFileSystem, CopyMoveAndRemove) {
    ScratchFolder scratch;
    scratch.File("a.txt", "payload");
    const PathRef a = scratch.Ref("a.txt"), b = scratch.Ref("b.txt"), c = scratch.Ref("c.txt");
    EXPECT_EQ(a.CopyFileTo(b, 0), 0);
    EXPECT_EQ(tq::test::ReadText(scratch / "b.txt"), "payload");
    EXPECT_EQ(a.CopyFileTo(b, 0), kErrDuplicatePath);
    EXPECT_EQ(b.MoveFileTo(c, 1), 0);
    EXPECT_FALSE(fs::exists(scratch / "b.txt"));
    EXPECT_EQ(tq::test::ReadText(scratch / "c.txt"), "payload");
    PathRef victim = c;
    ASSERT_EQ(victim.Cache("meta", new PathRef::CachedInt32(100000, 1, PathRef::kDependsOnMetaData)), 0);
    const uInt64 withCache = victim.MemorySize();
    EXPECT_EQ(victim.RemoveFile(0), 0);
    EXPECT_FALSE(fs::exists(scratch / "c.txt"));
    EXPECT_LT(victim.MemorySize(), withCache) << "the cache is flushed";
    EXPECT_NE(victim.RemoveFile(0), 0);
}

TEST(PathRefFileSystem, RemovingThroughALinkRemovesBoth) {
    if (kWindows) GTEST_SKIP() << "symbolic links need privileges there";
    ScratchFolder scratch;
    scratch.File("target.txt");
    fs::create_symlink(scratch / "target.txt", scratch / "link.txt");
    PathRef link = scratch.Ref("link.txt");
    EXPECT_TRUE(link.ResolveShortcuts(0).Equals(scratch.Ref("target.txt")));
    EXPECT_EQ(link.RemoveFile(1), 0);
    EXPECT_FALSE(fs::exists(scratch / "target.txt"));
    EXPECT_FALSE(fs::is_symlink(scratch / "link.txt"));
}

TEST(PathRefFileSystem, ResolvingTheParentOnly) {
    if (kWindows) GTEST_SKIP() << "symbolic links need privileges there";
    ScratchFolder scratch;
    fs::create_directory(scratch / "real");
    scratch.File("real/elsewhere.txt");
    fs::create_directory_symlink(scratch / "real", scratch / "dirlink");
    fs::create_symlink(scratch / "real" / "elsewhere.txt", scratch / "real" / "filelink");
    const PathRef p = scratch.Ref("dirlink/filelink");
    EXPECT_TRUE(p.ResolveShortcuts(1).Equals(scratch.Ref("real/filelink")));
    EXPECT_TRUE(p.ResolveShortcuts(0).Equals(scratch.Ref("real/elsewhere.txt")));
    EXPECT_PKEXCEPT(scratch.Ref("nothing/here").ResolveShortcuts(0), kErrArgument,
                    "PathRef::ResolveShortcuts: Unable to resolve path");
}

TEST(PathRefFileSystem, LongNamesAndCorrectedCase) {
    ScratchFolder scratch;
    scratch.File("Mixed.TXT");
    const PathRef p = scratch.Ref("Mixed.TXT");
    EXPECT_TRUE(p.GetLongNames().Equals(p, kCompareExact));
    EXPECT_TRUE(p.GetCorrectedCase(10.0).Equals(p, kCompareExact));
    EXPECT_TRUE(p.GetCorrectedCase(10.0).Equals(p, kCompareExact)) << "the cached answer";
    const PathRef missing = scratch.Ref("Not There/Either");
    EXPECT_TRUE(missing.GetCorrectedCase(10.0).Equals(missing, kCompareExact)) << "names not on disk stay";
    const PathRef rel = PathRef("a\\b", PathRef::StringDisplay());
    EXPECT_TRUE(rel.GetCorrectedCase(10.0).Equals(rel, kCompareExact));
    EXPECT_EQ(PathRef(kBaseAbsolute).GetCorrectedCase(10.0).ItemCount(), 0);
    EXPECT_EQ(PathRef().GetCorrectedCase(10.0).Element(), nullptr);
    if (kWindows) {
        const PathRef lower = scratch.Ref("mixed.txt");
        EXPECT_EQ(lower.GetCorrectedCase(10.0).Name(), "Mixed.TXT");
    }
}

TEST(PathRefFileSystem, MakeWriteable) {
    ScratchFolder scratch;
    scratch.File("ro.txt");
    fs::permissions(scratch / "ro.txt",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const PathRef p = scratch.Ref("ro.txt");
    EXPECT_EQ(p.MakeWriteable(1), kErrNotSupported);
    ReportCapture capture;
    EXPECT_EQ(p.MakeWriteable(7), 0);
    EXPECT_EQ(ReportCapture::Count(kDbgWarn, "PathRef::MakeWriteable: New depth type, need to handle it (7)"),
              1);
    EXPECT_EQ(p.MakeWriteable(0), 0);
    EXPECT_NE(fs::status(scratch / "ro.txt").permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_EQ(p.MakeWriteable(0), 0) << "already writeable";
}

TEST(PathRefFileSystem, TemporaryNamesAreNewNames) {
    ScratchFolder scratch;
    PathRef p = scratch.Ref();
    p.AppendTemporaryName("tmp", "pre", "suf");
    EXPECT_TRUE(scratch.Ref().IsParentDirectoryOf(p));
    const std::string name = p.Name();
    EXPECT_EQ(name.rfind("pre", 0), 0u);
    EXPECT_EQ(name.substr(name.size() - 7), "suf.tmp");
    EXPECT_FALSE(fs::exists(scratch / name));
    PathRef q = scratch.Ref();
    q.AppendTemporaryName("", "", "");
    EXPECT_EQ(q.Name().find('.'), std::string::npos);
    EXPECT_FALSE(q.Name().empty());
}

}  // namespace
