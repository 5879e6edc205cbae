// Resource files on disk: creating, opening read-write and read-only (mapped), updating in place, sharing.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "ResTestSupport.h"
#include "support/ScratchFolder.h"

namespace {

using namespace restest;
namespace fs = std::filesystem;
using tq::test::NativePath;
using tq::test::ReadText;
using tq::test::ScratchFolder;
using tq::test::WriteText;

const ResType kData = TQFourCC("DATA");

class ResDiskFileTest : public ::testing::Test {
  protected:
    // A file at name holding the resources, written by the library's own writer.
    PathRef Make(const std::string& name, const std::vector<Item>& items) {
        const Bytes b = MakeImage(items);
        WriteText(dir_.Root() / name, std::string(b.begin(), b.end()));
        return NativePath(dir_.Root() / name);
    }
    std::string Get(uInt32 ref, ResType type, int32 id) {
        UHandle h = nullptr;
        const TqErr e = RGet(ref, type, id, &h);
        return e ? "error " + std::to_string(e) : Text(h);
    }

    ScratchFolder dir_;
};

TEST_F(ResDiskFileTest, CreateAddUpdateAndReadBack) {
    PathRef p = NativePath(dir_.Root() / "made.res");
    ASSERT_EQ(RCreateFile(&p, kResReadWrite, TQFourCC("tqcr"), TQFourCC("TEST"), 0), kErrNone);
    EXPECT_EQ(ReadText(dir_.Root() / "made.res").size(), 32u);
    EXPECT_NE(RCreateFile(&p, kResReadWrite, TQFourCC("tqcr"), TQFourCC("TEST"), 0), kErrNone);
    uInt32 ref = 0;
    ResType type = 0, creator = 0;
    ASSERT_EQ(ROpenFile(&p, kResReadWrite, &ref, &type, &creator), kErrNone);
    EXPECT_EQ(type, TQFourCC("TEST"));
    EXPECT_EQ(creator, TQFourCC("tqcr"));
    for (int32 id = 1; id <= 20; ++id) {
        const std::string s(size_t(id * 3), char('a' + id));
        UHandle h = nullptr;
        ASSERT_EQ(DSPtrToHand(s.data(), &h, s.size()), kErrNone);
        ASSERT_EQ(RAdd(h, ref, kData, id, nullptr), kErrNone);
    }
    EXPECT_EQ(RCloseFile(ref), kErrNone);  // closing saves
    const std::string bytes = ReadText(dir_.Root() / "made.res");
    const Bytes image(bytes.begin(), bytes.end());
    EXPECT_EQ(BE32(image, 20) + BE32(image, 16), image.size());  // the file ends with the map
    ASSERT_EQ(ROpenFile(&p, kResReadOnly, &ref, nullptr, nullptr), kErrNone);
    for (int32 id = 1; id <= 20; ++id)
        EXPECT_EQ(Get(ref, kData, id), std::string(size_t(id * 3), char('a' + id)));
    int32 attrs = 0;
    EXPECT_EQ(RGetFileAttrs(ref, &attrs), kErrNone);
    EXPECT_EQ(attrs, kResMapReadOnly);
    EXPECT_EQ(RPreAllocFile(ref, 100), kErrPermission);
    uInt32 date = 0;
    EXPECT_EQ(RGetModDate(&p, 0, &date, nullptr), kErrNone);
    EXPECT_NE(date, 0u);
    EXPECT_EQ(RCloseFile(ref), kErrNone);
}

TEST_F(ResDiskFileTest, AnOpenFileGivesItsDateThroughItsRefnum) {
    PathRef p = Make("dated.res", {{kData, 1, "aaaa", ""}});
    const fs::path file = dir_.Root() / "dated.res";
    // 2020-01-01 00:00:00 UTC, as seconds since 1904.
    constexpr uInt32 kNewYear2020 = 3660681600u;
    fs::last_write_time(file, fs::file_time_type::clock::from_sys(std::chrono::sys_seconds(
                                  std::chrono::seconds(int64(kNewYear2020) - 2082844800))));
    for (const int32 permission : {kResReadOnly, kResReadWrite}) {
        uInt32 ref = 0;
        ASSERT_EQ(ROpenFile(&p, permission, &ref, nullptr, nullptr), kErrNone);
        uInt32 date = 0;
        int32 readOnly = -1;
        EXPECT_EQ(RGetModDate(nullptr, ref, &date, &readOnly), kErrNone)
            << "the open file answers, not a path";
        EXPECT_EQ(date, kNewYear2020);
        EXPECT_EQ(readOnly, 0);
        EXPECT_EQ(RCloseFile(ref), kErrNone);
    }
}

TEST_F(ResDiskFileTest, OnlyTheChangedBlockMovesOnUpdate) {
    PathRef p = Make("three.res", {{kData, 1, "aaaa", ""}, {kData, 2, "bbbbbbbb", ""}, {kData, 3, "cc", ""}});
    const std::string before = ReadText(dir_.Root() / "three.res");
    uInt32 ref = 0;
    ASSERT_EQ(ROpenFile(&p, kResReadWrite, &ref, nullptr, nullptr), kErrNone);
    UHandle h = nullptr;
    ASSERT_EQ(RGet(ref, kData, 3, &h), kErrNone);
    ASSERT_EQ(DSSetHandleFromPtr(&h, "changed!", 8), kErrNone);
    ASSERT_EQ(RChanged(h), kErrNone);
    ASSERT_EQ(RUpdateFile(ref), kErrNone);
    const std::string after = ReadText(dir_.Root() / "three.res");
    EXPECT_EQ(after.substr(32, 20), before.substr(32, 20));
    EXPECT_EQ(after.substr(56, 8), "changed!");
    EXPECT_EQ(RCloseFile(ref), kErrNone);
}

TEST_F(ResDiskFileTest, SharedReadOnlyFilesCloseWithTheirLastRefnum) {
    PathRef p = Make("shared.rsc", {{kData, 1, "one", ""}});
    uInt32 a = 0, b = 0;
    ASSERT_EQ(ROpenFile(&p, kResReadOnly, &a, nullptr, nullptr), kErrNone);
    ASSERT_EQ(ROpenFile(&p, kResReadOnly, &b, nullptr, nullptr), kErrNone);
    EXPECT_NE(a, b);
    EXPECT_EQ(RsrcFileToRMapResFile(a), RsrcFileToRMapResFile(b));
    EXPECT_EQ(RCloseFile(a), kErrNone);
    EXPECT_EQ(Get(b, kData, 1), "one");
    EXPECT_EQ(RCloseFile(b), kErrNone);
    EXPECT_EQ(RCloseFile(b), kErrResourceFile);
    // Another extension is never shared.
    PathRef q = Make("plain.res", {{kData, 1, "one", ""}});
    ASSERT_EQ(ROpenFile(&q, kResReadOnly, &a, nullptr, nullptr), kErrNone);
    ASSERT_EQ(ROpenFile(&q, kResReadOnly, &b, nullptr, nullptr), kErrNone);
    EXPECT_NE(RsrcFileToRMapResFile(a), RsrcFileToRMapResFile(b));
    EXPECT_EQ(RCloseFile(a), kErrNone);
    EXPECT_EQ(RCloseFile(b), kErrNone);
}

TEST_F(ResDiskFileTest, FileTypeAndCreatorInPlace) {
    PathRef p = Make("typed.res", {{kData, 1, "x", ""}});
    ResType type = 0, creator = 0;
    ASSERT_EQ(RGetFileType(&p, &type, &creator), kErrNone);
    EXPECT_EQ(type, TQFourCC("TEST"));
    ASSERT_EQ(RSetFileType(&p, TQFourCC("NEWT"), TQFourCC("NEWC")), kErrNone);
    uInt32 ref = 0;
    ASSERT_EQ(ROpenFile(&p, kResReadOnly, &ref, &type, &creator), kErrNone);
    EXPECT_EQ(type, TQFourCC("NEWT"));
    EXPECT_EQ(creator, TQFourCC("NEWC"));
    EXPECT_EQ(Get(ref, kData, 1), "x");
    EXPECT_EQ(RCloseFile(ref), kErrNone);
    EXPECT_EQ(RGetFileType(nullptr, &type, &creator), kErrArgument);
}

TEST_F(ResDiskFileTest, PreAllocationAppendsZeros) {
    PathRef p = Make("grow.res", {{kData, 1, "x", ""}});
    const size_t size = ReadText(dir_.Root() / "grow.res").size();
    uInt32 ref = 0;
    ASSERT_EQ(ROpenFile(&p, kResReadWrite, &ref, nullptr, nullptr), kErrNone);
    EXPECT_EQ(RPreAllocFile(ref, 25000), kErrNone);
    const std::string grown = ReadText(dir_.Root() / "grow.res");
    ASSERT_EQ(grown.size(), size + 25000);
    EXPECT_EQ(grown.find_first_not_of('\0', size), std::string::npos);
    EXPECT_EQ(RCloseFile(ref), kErrNone);
    ASSERT_EQ(ROpenFile(&p, kResReadOnly, &ref, nullptr, nullptr), kErrNone);
    EXPECT_EQ(Get(ref, kData, 1), "x");
    EXPECT_EQ(RCloseFile(ref), kErrNone);
}

TEST_F(ResDiskFileTest, AppendedToAnotherFile) {
    const Bytes res = MakeImage({{kData, 3, "inside", ""}});
    std::string exe(1000, 'E');
    exe.append(res.begin(), res.end());
    exe += BE32Text(1000);
    WriteText(dir_.Root() / "program.bin", exe);
    PathRef p = NativePath(dir_.Root() / "program.bin");
    uInt32 ref = 0;
    ASSERT_EQ(ROpenFile(&p, kResReadOnly, &ref, nullptr, nullptr), kErrNone);
    EXPECT_EQ(Get(ref, kData, 3), "inside");
    EXPECT_EQ(RCloseFile(ref), kErrNone);
    EXPECT_EQ(ROpenFile(&p, kResReadWrite, &ref, nullptr, nullptr), kErrResourceFile);
}

TEST_F(ResDiskFileTest, MissingAndOddPaths) {
    PathRef missing = NativePath(dir_.Root() / "none.res");
    uInt32 ref = 0;
    EXPECT_EQ(ROpenFile(&missing, kResReadOnly, &ref, nullptr, nullptr), kErrNotFound);
    EXPECT_EQ(ref, 0u);
    PathRef notAPath;
    EXPECT_EQ(ROpenFile(&notAPath, kResReadOnly, &ref, nullptr, nullptr), kErrIO);
    EXPECT_EQ(ROpenFile(&missing, 2, &ref, nullptr, nullptr), kErrArgument);
    EXPECT_EQ(ROpenFile(nullptr, 0, &ref, nullptr, nullptr), kErrArgument);
}

TEST_F(ResDiskFileTest, ReaderOpensAndClosesItsFile) {
    PathRef p = Make("reader.res", {{TQFourCC("STR "), 7,
                                     std::string("\x03"
                                                 "abc"),
                                     ""}});
    RFReader reader;
    EXPECT_EQ(reader.Close(), kErrNotFound);
    ASSERT_EQ(reader.OpenPath(p, kResReadOnly, nullptr, nullptr), kErrNone);
    Str255 s;
    EXPECT_EQ(reader.GetPStr(7, s), kErrNone);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(s + 1), s[0]), "abc");
    const uInt32 ref = reader.MapToObsoleteRsrcFile();
    EXPECT_NE(ref, 0u);
    EXPECT_EQ(reader.MapToObsoleteRsrcFile(), ref);
    UHandle h = nullptr;
    EXPECT_EQ(reader.GetString(7, &h), kErrNone);  // the caller owns it now
    EXPECT_EQ(Text(h), std::string("\x03"
                                   "abc"));
    DSDisposeHandle(h);
    EXPECT_EQ(reader.Close(), kErrNone);
}

}  // namespace
