// The file manager's functions on paths, against what the OS itself reports through std::filesystem.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/ReportCapture.h"
#include "support/ScopedEnv.h"
#include "support/ScratchFolder.h"
#include "tqcore/core.h"
#include "tqcore/files.h"
#include "tqcore/memory.h"
#include "tqcore/paths.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>

#include <random>
#endif

namespace {

using tq::test::NativePath;
using tq::test::ReadText;
using tq::test::ScopedEnv;
using tq::test::ScratchFolder;
namespace fs = std::filesystem;

// Seconds between 1904-01-01 and 1970-01-01.
constexpr int64 kSeconds1904To1970 = 2082844800;

PathRef RootAboveVolumes() {
    return PathRef(kBaseAbsolute);
}

int64 EntriesIn(const fs::path& folder) {
    int64 n = 0;
    std::error_code ec;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec))
        ++n;
    return n;
}

TEST(FExists, TellsFilesFromFoldersAndRejectsWhatIsNotAbsolute) {
    ScratchFolder scratch;
    scratch.File("f.txt");
    fs::create_directory(scratch / "d");
    PathRef file = scratch.Ref("f.txt"), folder = scratch.Ref("d"), missing = scratch.Ref("none");
    PathRef root = RootAboveVolumes();
    PathRef relative("a/b", PathRef::StringUnix());
    EXPECT_EQ(FExists(&file), 1);
    EXPECT_EQ(FExists(&folder), 2);
    EXPECT_EQ(FExists(&missing), 0);
    EXPECT_EQ(FExists(&root), 2);
    ASSERT_TRUE(relative.StartsWith(kBaseRelative));
    EXPECT_EQ(FExists(&relative), 0);
    EXPECT_EQ(FExists(nullptr), 0);
}

TEST(FGetInfo64, FolderSizeIsItsEntryCountAndFileSizeItsLength) {
    ScratchFolder scratch;
    fs::create_directory(scratch / "three");
    for (const char* n : {"a", "b", "c"}) tq::test::WriteText(scratch / "three" / n, "x");
    scratch.File("five.bin", "12345");
    PathRef folder = scratch.Ref("three"), file = scratch.Ref("five.bin");
    FileInfoRec64 rec;
    ASSERT_EQ(FGetInfo64(&folder, &rec, 0xFFFFFFFFu), kErrNone);
    EXPECT_EQ(rec.size, 3);
    EXPECT_EQ(rec.folder, 1);
    EXPECT_EQ(rec.type, TQFourCC("????"));
    EXPECT_EQ(rec.creator, TQFourCC("????"));
    EXPECT_EQ(rec.permissions, 0777u);
    ASSERT_EQ(FGetInfo64(&file, &rec, 0xFFFFFFFFu), kErrNone);
    EXPECT_EQ(rec.size, 5);
    EXPECT_EQ(rec.folder, 0);
    EXPECT_EQ(rec.rfSize, 0);
    EXPECT_EQ(rec.invisible, 0);
    EXPECT_EQ(rec.permissions, 0666u);
    EXPECT_EQ(rec.owner[0], 0);
    // Without the size bit the size stays clear.
    ASSERT_EQ(FGetInfo64(&file, &rec, kInfoType), kErrNone);
    EXPECT_EQ(rec.size, 0);
    EXPECT_EQ(rec.mdate, 0u);
}

TEST(FGetInfo64, AVolumeRootCountsEveryEntry) {
    ScratchFolder scratch;
    PathRef volume = scratch.Ref();
    while (volume.ItemCount() > 1) volume = volume.GetParentDirectory();
#if defined(_WIN32)
    const fs::path native = volume.ItemAt(0) + ":\\";
#else
    const fs::path native = "/" + volume.ItemAt(0);
#endif
    // Other programs may change the volume meanwhile: compare only against a count that held still.
    for (int attempt = 0; attempt < 50; ++attempt) {
        const int64 before = EntriesIn(native);
        FileInfoRec64 rec;
        ASSERT_EQ(FGetInfo64(&volume, &rec, kInfoSize), kErrNone);
        if (before != EntriesIn(native)) continue;
        EXPECT_EQ(rec.size, before);
        EXPECT_EQ(rec.folder, 1);
        return;
    }
    GTEST_SKIP() << "the volume never held still";
}

TEST(FGetInfo64, TheRootAboveTheVolumesCountsVolumes) {
    PathRef root = RootAboveVolumes();
    FileInfoRec64 rec;
    ASSERT_EQ(FGetInfo64(&root, &rec, 0xFFFFFFFFu), kErrNone);
    CPStrHandle names = reinterpret_cast<CPStrHandle>(DSNewHClr(sizeof(int32)));
    ASSERT_EQ(FListDesktop(names, nullptr), kErrNone);
    EXPECT_EQ(rec.size, (*names)->cnt);
    EXPECT_GT(rec.size, 0);
    EXPECT_EQ(rec.folder, 1);
    DSDisposeHandle(reinterpret_cast<UHandle>(names));
}

TEST(FGetInfo64, BadArgumentsAndMissingNames) {
    ScratchFolder scratch;
    PathRef missing = scratch.Ref("none"), relative("a", PathRef::StringUnix()), file = scratch.Ref("f");
    scratch.File("f");
    FileInfoRec64 rec;
    EXPECT_EQ(FGetInfo64(&missing, &rec, 0xFFFFFFFFu), kErrNotFound);
    EXPECT_EQ(FGetInfo64(&relative, &rec, 0xFFFFFFFFu), kErrArgument);
    EXPECT_EQ(FGetInfo64(&file, nullptr, 0xFFFFFFFFu), kErrArgument);
    EXPECT_EQ(FGetInfo64(nullptr, &rec, 0xFFFFFFFFu), kErrArgument);
}

TEST(FGetInfo, ThreeGigabytesTruncateWithTheirReport) {
    ScratchFolder scratch;
    const uInt64 size = 3ull << 30;
    { std::ofstream(scratch / "big").put('x'); }
    std::error_code ec;
    fs::resize_file(scratch / "big", size, ec);
    if (ec) GTEST_SKIP() << "no room for a sparse file of 3 GB: " << ec.message();
    PathRef big = scratch.Ref("big");
    ReportCapture capture;
    FileInfoRec rec;
    ASSERT_EQ(FGetInfo(&big, &rec), kErrNone);
    EXPECT_EQ(rec.size, int32(uInt32(size)));
    EXPECT_EQ(
        ReportCapture::Count(kDbgWarn, "Converting 64-bit to 32-bit, but size is too big! size=3221225472"),
        1);
    EXPECT_EQ(ReportCapture::Count(kDbgWarn, "rfSize"), 0);
}

TEST(FSetInfo64, WritesDatesAndPermissionsThatReadBack) {
    ScratchFolder scratch;
    scratch.File("f");
    PathRef file = scratch.Ref("f");
    FileInfoRec64 rec;
    ASSERT_EQ(FGetInfo64(&file, &rec, 0xFFFFFFFFu), kErrNone);
    const uInt32 when = uInt32(kSeconds1904To1970 + 1000000000);  // 2001-09-09
    rec.mdate = when;
    rec.permissions = 0444;
    ASSERT_EQ(FSetInfo64(&file, &rec), kErrNone);
    FileInfoRec64 back;
    ASSERT_EQ(FGetInfo64(&file, &back, 0xFFFFFFFFu), kErrNone);
    EXPECT_EQ(back.mdate, when);
    EXPECT_EQ(back.permissions, 0444u);
#if !defined(_WIN32)
    struct stat st;
    ASSERT_EQ(::stat(tq::test::Utf8(scratch / "f").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1000000000);
#endif
    // The 32-bit form goes the same way and gets its record back.
    FileInfoRec rec32;
    ASSERT_EQ(FGetInfo(&file, &rec32), kErrNone);
    rec32.permissions = 0666;
    rec32.mdate = when + 60;
    ASSERT_EQ(FSetInfo(&file, &rec32), kErrNone);
    EXPECT_EQ(rec32.mdate, when + 60);
    ASSERT_EQ(FGetInfo(&file, &rec32), kErrNone);
    EXPECT_EQ(rec32.mdate, when + 60);
    EXPECT_EQ(rec32.permissions, 0666u);
}

TEST(FSetInfo64, AFolderIsLeftAlone) {
    ScratchFolder scratch;
    fs::create_directory(scratch / "d");
    PathRef folder = scratch.Ref("d");
    FileInfoRec64 rec;
    ASSERT_EQ(FGetInfo64(&folder, &rec, 0xFFFFFFFFu), kErrNone);
    const uInt32 before = rec.mdate;
    rec.mdate = 12345;
    rec.permissions = 0;
    EXPECT_EQ(FSetInfo64(&folder, &rec), kErrNone);
    ASSERT_EQ(FGetInfo64(&folder, &rec, 0xFFFFFFFFu), kErrNone);
    EXPECT_EQ(rec.mdate, before);
    EXPECT_EQ(rec.permissions, 0777u);
}

TEST(AccessRights, ReadOnlyFilesAndFoldersAndTheRoot) {
    ScratchFolder scratch;
    scratch.File("f");
    fs::create_directory(scratch / "d");
    PathRef file = scratch.Ref("f"), folder = scratch.Ref("d"), root = RootAboveVolumes();
    Str255 owner = {3, 'x', 'y', 'z'}, group = {1, 'g'};
    int32 perm = -1;
    ASSERT_EQ(FGetAccessRights(&file, owner, group, &perm), kErrNone);
    EXPECT_EQ(perm, 0666);
    EXPECT_EQ(owner[0], 0);
    EXPECT_EQ(group[0], 0);
    perm = 0444;
    ASSERT_EQ(FSetAccessRights(&file, nullptr, nullptr, &perm), kErrNone);
    ASSERT_EQ(FGetAccessRights(&file, nullptr, nullptr, &perm), kErrNone);
    EXPECT_EQ(perm, 0444);
    ASSERT_EQ(FGetAccessRights(&folder, nullptr, nullptr, &perm), kErrNone);
    EXPECT_EQ(perm, 0777);
    ASSERT_EQ(FGetAccessRights(&root, nullptr, nullptr, &perm), kErrNone);
    EXPECT_EQ(perm, 0);
    // Owner or group alone only asks whether the path is there.
    PathRef missing = scratch.Ref("none");
    EXPECT_EQ(FSetAccessRights(&file, owner, nullptr, nullptr), kErrNone);
    EXPECT_EQ(FSetAccessRights(&missing, owner, nullptr, nullptr), kErrNotFound);
    EXPECT_EQ(FSetAccessRights(&missing, nullptr, nullptr, nullptr), kErrNone);
    perm = 0666;
    EXPECT_EQ(FSetAccessRights(&missing, nullptr, nullptr, &perm), kErrNotFound);
}

TEST(AccessRights, DefaultsFollowTheCreationMask) {
#if defined(_WIN32)
    EXPECT_EQ(FGetDefPerm(0777), 0777);
#else
    const mode_t mask = ::umask(022);
    EXPECT_EQ(FGetDefPerm(0777), 0755);
    EXPECT_EQ(FGetDefPerm(0644), 0644);
    ::umask(077);
    EXPECT_EQ(FGetDefPerm(0777), 0700);
    EXPECT_EQ(::umask(mask), mode_t(077)) << "the mask must be put back";
#endif
    LStrHandle group = FGetDefGroup(nullptr);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ((*group)->cnt, 0);
    EXPECT_EQ(FGetDefGroup(group), group);
    DSDisposeHandle(reinterpret_cast<UHandle>(group));
}

TEST(FNewDir, LegalNamesOnly) {
    ScratchFolder scratch;
    PathRef con = scratch.Ref("CON"), dot = scratch.Ref("x."), good = scratch.Ref("good");
    EXPECT_EQ(FNewDir(&con, 0777), kErrArgument);
    EXPECT_EQ(FNewDir(&dot, 0777), kErrArgument);
    EXPECT_FALSE(fs::exists(scratch / "CON"));
    EXPECT_FALSE(fs::exists(scratch / "x."));
    ASSERT_EQ(FNewDir(&good, 0777), kErrNone);
    EXPECT_TRUE(fs::is_directory(scratch / "good"));
    EXPECT_EQ(FNewDir(&good, 0777), kErrDuplicatePath);
    PathRef relative("a", PathRef::StringUnix()), root = RootAboveVolumes();
    EXPECT_EQ(FNewDir(&relative, 0777), kErrArgument);
    EXPECT_EQ(FNewDir(&root, 0777), kErrArgument);
    PathRef orphan = scratch.Ref("none/child");
    EXPECT_EQ(FNewDir(&orphan, 0777), kErrNotFound);
}

TEST(FNewDirHier, MakesEveryMissingFolderAndStopsAtFiles) {
    ScratchFolder scratch;
    PathRef deep = scratch.Ref("a/b/c");
    ASSERT_EQ(FNewDirHier(&deep), kErrNone);
    EXPECT_TRUE(fs::is_directory(scratch / "a" / "b" / "c"));
    EXPECT_EQ(FNewDirHier(&deep), kErrNone);
    scratch.File("file");
    PathRef overFile = scratch.Ref("file"), belowFile = scratch.Ref("file/x");
    EXPECT_EQ(FNewDirHier(&overFile), kErrGeneric);
    EXPECT_EQ(FNewDirHier(&belowFile), kErrGeneric);
    EXPECT_TRUE(fs::is_regular_file(scratch / "file"));
}

TEST(FRemove, FilesAndEmptyFoldersOnly) {
    ScratchFolder scratch;
    scratch.File("f");
    fs::create_directories(scratch / "full" / "inner");
    fs::create_directory(scratch / "empty");
    PathRef file = scratch.Ref("f"), full = scratch.Ref("full"), empty = scratch.Ref("empty");
    PathRef missing = scratch.Ref("none");
    EXPECT_EQ(FRemove(&file), kErrNone);
    EXPECT_FALSE(fs::exists(scratch / "f"));
    EXPECT_EQ(FRemove(&empty), kErrNone);
    EXPECT_FALSE(fs::exists(scratch / "empty"));
    EXPECT_NE(FRemove(&full), kErrNone);
    EXPECT_TRUE(fs::is_directory(scratch / "full" / "inner"));
    EXPECT_EQ(FRemove(&missing), kErrNotFound);
}

TEST(FRemove, TheWorkingDirectoryMovesToTheParentFirst) {
    ScratchFolder scratch;
    fs::create_directories(scratch / "work");
    fs::current_path(scratch / "work");
    PathRef work = scratch.Ref("work");
    ASSERT_EQ(FRemove(&work), kErrNone);
    EXPECT_FALSE(fs::exists(scratch / "work"));
    EXPECT_EQ(fs::current_path(), scratch.Root());
    Path cwd = nullptr;
    ASSERT_EQ(GetWorkingDir(&cwd), kErrNone);
    PathRef expected = scratch.Ref();
    EXPECT_TRUE(cwd->Equals(expected));
    delete cwd;
}

TEST(FMove, RenamesAndNeverReplaces) {
    ScratchFolder scratch;
    scratch.File("a", "first");
    scratch.File("b", "second");
    PathRef a = scratch.Ref("a"), b = scratch.Ref("b"), c = scratch.Ref("c");
    EXPECT_EQ(FMove(&a, &b), kErrDuplicatePath);
    EXPECT_EQ(ReadText(scratch / "a"), "first");
    EXPECT_EQ(ReadText(scratch / "b"), "second");
    ASSERT_EQ(FMove(&a, &c), kErrNone);
    EXPECT_FALSE(fs::exists(scratch / "a"));
    EXPECT_EQ(ReadText(scratch / "c"), "first");
    fs::create_directories(scratch / "d" / "inner");
    PathRef d = scratch.Ref("d"), e = scratch.Ref("e");
    ASSERT_EQ(FMove(&d, &e), kErrNone);
    EXPECT_TRUE(fs::is_directory(scratch / "e" / "inner"));
    PathRef missing = scratch.Ref("none");
    EXPECT_EQ(FMove(&missing, &a), kErrNotFound);
    PathRef volume = scratch.Ref();
    while (volume.ItemCount() > 1) volume = volume.GetParentDirectory();
    EXPECT_EQ(FMove(&volume, &a), kErrArgument);
    PathRef relative("x", PathRef::StringUnix());
    EXPECT_EQ(FMove(&relative, &a), kErrArgument);
    EXPECT_EQ(FMove(&c, &relative), kErrArgument);
}

TEST(FMove, TheWorkingDirectoryLeavesAMovedFolder) {
    ScratchFolder scratch;
    fs::create_directories(scratch / "from" / "deeper");
    fs::current_path(scratch / "from" / "deeper");
    PathRef from = scratch.Ref("from"), to = scratch.Ref("to");
    ASSERT_EQ(FMove(&from, &to), kErrNone);
    EXPECT_EQ(fs::current_path(), scratch.Root());
    EXPECT_TRUE(fs::is_directory(scratch / "to" / "deeper"));
}

TEST(FCopy, CopiesDataAndNeverReplaces) {
    ScratchFolder scratch;
    std::string big(1 << 20, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = char(i * 7 + i / 4096);
    scratch.File("src", big);
    scratch.File("other", "keep");
    PathRef src = scratch.Ref("src"), dst = scratch.Ref("dst"), other = scratch.Ref("other");
    ASSERT_EQ(FCopy(&src, &dst), kErrNone);
    EXPECT_EQ(ReadText(scratch / "dst"), big);
    EXPECT_EQ(FCopy(&src, &other), kErrDuplicatePath);
    EXPECT_EQ(ReadText(scratch / "other"), "keep");
    PathRef missing = scratch.Ref("none"), fresh = scratch.Ref("fresh");
    EXPECT_EQ(FCopy(&missing, &fresh), kErrNotFound);
    EXPECT_FALSE(fs::exists(scratch / "fresh"));
    fs::create_directory(scratch / "d");
    PathRef folder = scratch.Ref("d");
    EXPECT_EQ(FCopy(&folder, &fresh), kErrPermission);
    EXPECT_FALSE(fs::exists(scratch / "fresh"));
    // An empty file copies as an empty file.
    scratch.File("empty", "");
    PathRef empty = scratch.Ref("empty"), emptyCopy = scratch.Ref("empty2");
    ASSERT_EQ(FCopyResolve(&empty, &emptyCopy, 0), kErrNone);
    EXPECT_EQ(fs::file_size(scratch / "empty2"), 0u);
}

TEST(FileFlags, HiddenNamesAndShortcutNames) {
    ScratchFolder scratch;
    scratch.File("plain");
    scratch.File("x.LNK");
    scratch.File(".lnk");
    fs::create_directory(scratch / "d.lnk");
    PathRef plain = scratch.Ref("plain"), lnk = scratch.Ref("x.LNK"), shortName = scratch.Ref(".lnk");
    PathRef folder = scratch.Ref("d.lnk"), relative("a", PathRef::StringUnix());
    int32 flag = -1;
    ASSERT_EQ(FIsShortcut(&lnk, &flag), kErrNone);
    EXPECT_EQ(flag, 1);
    ASSERT_EQ(FIsShortcut(&plain, &flag), kErrNone);
    EXPECT_EQ(flag, 0);
    ASSERT_EQ(FIsShortcut(&shortName, &flag), kErrNone);
    EXPECT_EQ(flag, 0);
    ASSERT_EQ(FIsShortcut(&folder, &flag), kErrNone);
    EXPECT_EQ(flag, 0);
    ASSERT_EQ(FIsHiddenFile(&plain, &flag), kErrNone);
    EXPECT_EQ(flag, 0);
    ReportCapture capture;
    EXPECT_EQ(FIsHiddenFile(&relative, &flag), kErrArgument);
    EXPECT_EQ(FIsHiddenFile(&plain, nullptr), kErrArgument);
    EXPECT_EQ(FIsShortcut(&relative, &flag), kErrArgument);
    EXPECT_EQ(FIsShortcut(&plain, nullptr), kErrArgument);
    EXPECT_EQ(ReportCapture::Count(kDbgWarn, "FIsHiddenFile: relative path passed in!"), 1);
    EXPECT_EQ(ReportCapture::Count(kDbgWarn, "FIsHiddenFile: NULL isHidden passed in!"), 1);
    EXPECT_EQ(ReportCapture::Count(kDbgWarn, "FIsShortcut: relative path passed in!"), 1);
    EXPECT_EQ(ReportCapture::Count(kDbgWarn, "FIsShortcut: NULL isShortcut passed in!"), 1);
#if !defined(_WIN32)
    scratch.File(".hidden");
    PathRef hidden = scratch.Ref(".hidden");
    ASSERT_EQ(FIsHiddenFile(&hidden, &flag), kErrNone);
    EXPECT_EQ(flag, 1);
#endif
}

TEST(FileFlags, ModificationDateAndMakingWriteable) {
    ScratchFolder scratch;
    scratch.File("f");
    fs::permissions(scratch / "f", fs::perms::owner_read | fs::perms::group_read);
    PathRef file = scratch.Ref("f");
    uInt32 mdate = 0;
    int32 readOnly = 0;
    ASSERT_EQ(FMGetModDate(&file, 0, &mdate, &readOnly), kErrNone);
    EXPECT_EQ(readOnly, 1);
    FileInfoRec64 rec;
    ASSERT_EQ(FGetInfo64(&file, &rec, kInfoModificationDate), kErrNone);
    EXPECT_EQ(mdate, rec.mdate);
    EXPECT_GT(mdate, uInt32(kSeconds1904To1970));
    ReportCapture capture;
    ASSERT_EQ(FMakeFileNotReadOnly(&file), kErrNone);
    EXPECT_EQ(ReportCapture::Count(kDbgWarn, "FMakeFileNotReadOnly is DEPRECATED"), 1);
    ASSERT_EQ(FMGetModDate(&file, 0, nullptr, &readOnly), kErrNone);
    EXPECT_EQ(readOnly, 0);
    PathRef volume = scratch.Ref();
    while (volume.ItemCount() > 1) volume = volume.GetParentDirectory();
    mdate = 7;
    ASSERT_EQ(FMGetModDate(&volume, 0, &mdate, nullptr), kErrNone);
    EXPECT_EQ(mdate, 0u);
}

TEST(Volumes, TheListAndTheSpaceOfOne) {
    CPStrHandle names = reinterpret_cast<CPStrHandle>(DSNewHClr(sizeof(int32)));
    UHandle info = DSNewHClr(0);
    ASSERT_EQ(FListDesktop(names, info), kErrNone);
    const int32 count = (*names)->cnt;
    ASSERT_GT(count, 0);
    const VolKindRec* kinds = reinterpret_cast<const VolKindRec*>(*info);
    const uChar* name = (*names)->str;
    std::string previous;
    for (int32 i = 0; i < count; ++i) {
        const std::string item(reinterpret_cast<const char*>(name + 1), name[0]);
        EXPECT_LT(previous, item) << "volumes come in name order";
        EXPECT_EQ(kinds[i].flags, 2u);
        const std::string kind(kinds[i].kind, 4);
        EXPECT_TRUE(kind == "hdsk" || kind == "flpy" || kind == "srvr") << kind;
        previous = item;
        name += 1 + name[0];
    }
    DSDisposeHandle(reinterpret_cast<UHandle>(names));
    DSDisposeHandle(info);

    ScratchFolder scratch;
    PathRef inside = scratch.Ref("x");
    uInt64 freeBytes = 0, totalBytes = 0;
    uInt32 sector = 0;
    ASSERT_EQ(FMGetVolInfo64(&inside, &freeBytes, &totalBytes, &sector), kErrNone);
    EXPECT_GT(totalBytes, 0u);
    EXPECT_LE(freeBytes, totalBytes);
    EXPECT_GT(sector, 0u);
    double total = 0, free = 0;
    ASSERT_EQ(FMGetVolInfo(&inside, &total, &free), kErrNone);
    EXPECT_EQ(total, double(totalBytes));
    VolInfoRec rec;
    Path p = new PathRef(inside);
    ASSERT_EQ(FGetVolInfo(p, &rec), kErrNone);
    EXPECT_EQ(p->ItemCount(), 1) << "the path becomes its volume's";
    EXPECT_EQ(rec.totalBytes, totalBytes > UINT32_MAX ? UINT32_MAX : uInt32(totalBytes));
    EXPECT_LE(rec.freeBytes, rec.totalBytes);
    delete p;
    Path vol = nullptr;
    ASSERT_EQ(FMGetVolPath(&inside, &vol), kErrNone);
    EXPECT_EQ(vol->ItemCount(), 1);
    EXPECT_EQ(vol->ItemAt(0), inside.ItemAt(0));
    delete vol;
    PathRef relative("a", PathRef::StringUnix());
    freeBytes = totalBytes = 1;
    EXPECT_EQ(FMGetVolInfo64(&relative, &freeBytes, &totalBytes, nullptr), kErrArgument);
    EXPECT_EQ(freeBytes + totalBytes, 0u);
}

TEST(Places, WorkingTemporaryAndResolvedPaths) {
    ScratchFolder scratch;
    fs::create_directory(scratch / "tmp");
    Path p = new PathRef();
    {
        ScopedEnv tmp("TMPDIR", tq::test::Utf8(scratch / "tmp"));
        ASSERT_EQ(FGetStdTmpDirPath(p), kErrNone);
#if !defined(_WIN32)
        PathRef expected = scratch.Ref("tmp");
        EXPECT_TRUE(p->Equals(expected));
        ScopedEnv gone("TMPDIR", tq::test::Utf8(scratch / "gone"));
        ASSERT_EQ(FGetStdTmpDirPath(p), kErrNone);
        EXPECT_EQ(FExists(p), 2) << "falls back to the application's folder";
        EXPECT_FALSE(p->Equals(expected));
        PathRef app;
        ASSERT_EQ(FAppPath(&app), kErrNone);
        EXPECT_TRUE(p->Equals(app));
#endif
    }
    PathRef res;
    ASSERT_EQ(FResDir(&res), kErrNone);
    EXPECT_EQ(res.Name(), "resource");
    int32 special = 5;
    EXPECT_EQ(FIsSpecialFile(p, &special), kErrNone);
    EXPECT_EQ(FEject(p), kErrNone);
    EXPECT_EQ(FGetOSFolderPath(0, p), kErrNotFound);
    EXPECT_EQ(FGetOSFolderPath(0, nullptr), kErrArgument);
    delete p;
#if !defined(_WIN32)
    fs::create_directory(scratch / "real");
    fs::create_directory_symlink(scratch / "real", scratch / "link");
    PathRef viaLink = scratch.Ref("link"), real = scratch.Ref("real");
    Path resolved = FResolvePath(nullptr, &viaLink);
    ASSERT_NE(resolved, nullptr);
    EXPECT_TRUE(resolved->Equals(real));
    Path canonical = nullptr;
    ASSERT_EQ(FGetCanonicalPath(&viaLink, &canonical), kErrNone);
    EXPECT_TRUE(canonical->Equals(real));
    delete canonical;
    delete resolved;
    // Deleting a link deletes the link alone.
    ASSERT_EQ(FRemove(&viaLink), kErrNone);
    EXPECT_TRUE(fs::is_directory(scratch / "real"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(scratch / "link")));
#endif
}

TEST(FGetCanonicalPath, SpellsEachItemAsOnDisk) {
    ScratchFolder scratch;
    fs::create_directory(scratch / "Mixed");
    scratch.File("Mixed/Case.txt");
    const bool caseBlind = fs::exists(scratch / "MIXED" / "case.TXT");
    PathRef asked = scratch.Ref(caseBlind ? "MIXED/case.TXT" : "Mixed/Case.txt");
    Path canonical = nullptr;
    ASSERT_EQ(FGetCanonicalPath(&asked, &canonical), kErrNone);
    const std::unique_ptr<PathRef> owned(canonical);
    EXPECT_EQ(canonical->Name(), "Case.txt");
    EXPECT_EQ(canonical->GetParentDirectory().Name(), "Mixed");
    // The answer is remembered on the result for a while; a flush drops it, as it depends on the disk.
    PathRef result = *canonical;
    const uInt64 remembered = result.MemorySize();
    result.FlushCache();
    EXPECT_LT(result.MemorySize(), remembered);
}

TEST(FMoveInto, TheTargetTakesTheDataAndKeepsItsName) {
    ScratchFolder scratch;
    std::string data(20000, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = char(i % 251);
    scratch.File("src", data);
    scratch.File("dst", std::string(50000, 'x'));
    PathRef src = scratch.Ref("src"), dst = scratch.Ref("dst"), missing = scratch.Ref("none");
    ASSERT_EQ(FMoveInto(&src, &dst), kErrNone);
    EXPECT_EQ(ReadText(scratch / "dst"), data) << "cut to the data's length";
    EXPECT_FALSE(fs::exists(scratch / "src"));
    scratch.File("src", "again");
    ReportCapture capture;
    EXPECT_EQ(FMoveInto(&src, &missing), kErrNotFound);
    EXPECT_EQ(ReportCapture::Count(kDbgWarn, "FCopyIntoWin32 got error 7"), 1);
    EXPECT_EQ(ReadText(scratch / "src"), "again");
    EXPECT_FALSE(fs::exists(scratch / "none"));
    EXPECT_EQ(FMoveInto(&missing, &dst), kErrNotFound);
    PathRef relative("a", PathRef::StringUnix());
    EXPECT_EQ(FMoveInto(&relative, &dst), kErrArgument);
}

TEST(FileFlags, ModificationDateOfAnOpenFile) {
    ScratchFolder scratch;
    scratch.File("f");
    PathRef file = scratch.Ref("f");
    FileInfoRec64 rec;
    ASSERT_EQ(FGetInfo64(&file, &rec, 0xFFFFFFFFu), kErrNone);
    rec.mdate -= 3600;
    ASSERT_EQ(FSetInfo64(&file, &rec), kErrNone);
    File fd = 0;
    ASSERT_EQ(FMOpen(&fd, &file, kOpenRead, kDenyNone), kErrNone);
    uInt32 mdate = 0;
    int32 readOnly = 1;
    // The open file answers, whatever path comes with it.
    EXPECT_EQ(FMGetModDate(nullptr, fd, &mdate, &readOnly), kErrNone);
    EXPECT_EQ(mdate, rec.mdate);
    EXPECT_EQ(readOnly, 0);
    EXPECT_EQ(FMClose(fd), kErrNone);
}

#if !defined(_WIN32)
// The freedesktop.org trash in a private data folder on the same device as the file.
TEST(FRemoveToRecycle, TrashedFilesAreDescribedAndKeptApart) {
    ScratchFolder scratch;
    ScopedEnv data("XDG_DATA_HOME", tq::test::Utf8(scratch / "data"));
    fs::create_directory(scratch / "docs");
    tq::test::WriteText(scratch / "docs" / "my file.txt", "one");
    PathRef file = scratch.Ref("docs/my file.txt");
    ASSERT_EQ(FRemoveToRecycle(&file, 0), kErrNone);
    EXPECT_FALSE(fs::exists(scratch / "docs" / "my file.txt"));
    const fs::path trash = scratch / "data" / "Trash";
    EXPECT_EQ(ReadText(trash / "files" / "my file.txt"), "one");
    const std::string info = ReadText(trash / "info" / "my file.txt.trashinfo");
    std::string encoded = tq::test::Utf8(scratch / "docs" / "my%20file.txt");
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + encoded + "\nDeletionDate=", 0), 0u) << info;
    EXPECT_EQ(info.size(),
              std::string("[Trash Info]\nPath=\nDeletionDate=YYYY-MM-DDThh:mm:ss\n").size() + encoded.size());
    // A second file of the same name gets a name of its own.
    tq::test::WriteText(scratch / "docs" / "my file.txt", "two");
    ASSERT_EQ(FRemoveToRecycle(&file, 1), kErrNone);
    EXPECT_EQ(ReadText(trash / "files" / "my file.txt"), "one");
    EXPECT_EQ(ReadText(trash / "files" / "my file.2.txt"), "two");
    EXPECT_TRUE(fs::exists(trash / "info" / "my file.2.txt.trashinfo"));
    // Folders go whole.
    fs::create_directories(scratch / "docs" / "sub" / "inner");
    PathRef folder = scratch.Ref("docs/sub");
    ASSERT_EQ(FRemoveToRecycle(&folder, 0), kErrNone);
    EXPECT_TRUE(fs::is_directory(trash / "files" / "sub" / "inner"));
    PathRef missing = scratch.Ref("docs/none");
    EXPECT_EQ(FRemoveToRecycle(&missing, 0), kErrNotFound);
    EXPECT_FALSE(fs::exists(trash / "info" / "none.trashinfo"));
}
// A file on another device than the home trash goes to the trash at the top of its own volume.
TEST(FRemoveToRecycle, OtherVolumesKeepTheirOwnTrash) {
    ScratchFolder scratch;
    ScopedEnv data("XDG_DATA_HOME", tq::test::Utf8(scratch / "data"));
    const fs::path shm = "/dev/shm";
    struct stat here, there;
    if (::stat(tq::test::Utf8(scratch.Root()).c_str(), &here) != 0 || ::stat("/dev/shm", &there) != 0 ||
        here.st_dev == there.st_dev || ::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no second writable volume at /dev/shm";
    const std::string name = "tqcore-trash-" + std::to_string(std::random_device{}());
    tq::test::WriteText(shm / name, "elsewhere");
    PathRef file = NativePath(shm / name);
    ASSERT_EQ(FRemoveToRecycle(&file, 0), kErrNone);
    const fs::path trash = shm / (".Trash-" + std::to_string(::getuid()));
    EXPECT_FALSE(fs::exists(shm / name));
    EXPECT_EQ(ReadText(trash / "files" / name), "elsewhere");
    const std::string info = ReadText(trash / "info" / (name + ".trashinfo"));
    // Relative to the volume's top.
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + name + "\nDeletionDate=", 0), 0u) << info;
    EXPECT_FALSE(fs::exists(scratch / "data" / "Trash" / "files" / name));
    std::error_code ec;
    fs::remove(trash / "files" / name, ec);
    fs::remove(trash / "info" / (name + ".trashinfo"), ec);
    for (const char* sub : {"files", "info", ""}) fs::remove(trash / sub, ec);
}
#endif

}  // namespace
