// Names in the file system at the platform level: status, folder contents, copies and moves that refuse to
// replace, and the Win32 numbers their failures leave.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>

#include "platform/FileSystem.h"
#include "platform/LastError.h"

namespace {

using namespace tq::platform;
namespace fs = std::filesystem;

std::string Utf8(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(reinterpret_cast<const char*>(s.data()), s.size());
}

class FileSystemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("tqcore-fs-" + std::to_string(std::random_device{}()));
        fs::create_directories(root_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    std::string Name(const std::string& item) const { return Utf8(root_ / item); }
    void Write(const std::string& item, const std::string& text) const {
        std::ofstream(root_ / item, std::ios::binary) << text;
    }

    fs::path root_;
};

TEST_F(FileSystemTest, StatusOfFilesFoldersAndMissingNames) {
    Write("f.bin", "12345");
    fs::create_directory(root_ / "d");
    FileStatus s;
    ASSERT_TRUE(FileGetStatus(Name("f.bin").c_str(), &s));
    EXPECT_FALSE(s.folder);
    EXPECT_EQ(s.size, 5u);
    EXPECT_FALSE(s.readOnly);
    EXPECT_NE(s.modified.dwHighDateTime, 0u);
    EXPECT_NE(s.created.dwHighDateTime, 0u);
    ASSERT_TRUE(FileGetStatus(Name("d").c_str(), &s));
    EXPECT_TRUE(s.folder);
    EXPECT_EQ(s.size, 0u);
    EXPECT_FALSE(FileGetStatus(Name("none").c_str(), &s));
    EXPECT_EQ(GetLastError(), kWinFileNotFound);
    EXPECT_FALSE(FileGetStatus(Name("f.bin/below").c_str(), &s));
    EXPECT_EQ(GetLastError(), kWinPathNotFound);
}

TEST_F(FileSystemTest, FolderContentsNeverHoldDotEntries) {
    for (const char* n : {"a", "b", "c"}) Write(n, n);
    fs::create_directory(root_ / "sub");
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(FolderRead(Utf8(root_).c_str(), entries, true));
    std::set<std::string> names;
    for (const FolderEntry& e : entries) {
        names.insert(e.name);
        EXPECT_EQ(e.status.folder, e.name == "sub") << e.name;
        if (!e.status.folder) {
            EXPECT_EQ(e.status.size, 1u) << e.name;
        }
    }
    EXPECT_EQ(names, (std::set<std::string>{"a", "b", "c", "sub"}));
    EXPECT_EQ(FolderCountEntries(Utf8(root_).c_str()), 4);
    EXPECT_EQ(FolderCountEntries(Name("sub").c_str()), 0);
    EXPECT_EQ(FolderCountEntries(Name("none").c_str()), -1);
    EXPECT_FALSE(FolderRead(Name("none").c_str(), entries, false));
    EXPECT_TRUE(entries.empty());
}

TEST_F(FileSystemTest, CopiesAndMovesRefuseToReplace) {
    Write("a", "alpha");
    Write("b", "beta");
    EXPECT_FALSE(FileCopy(Name("a").c_str(), Name("b").c_str()));
    EXPECT_EQ(GetLastError(), kWinFileExists);
    EXPECT_FALSE(FileMove(Name("a").c_str(), Name("b").c_str()));
    EXPECT_EQ(GetLastError(), kWinAlreadyExists);
    std::ifstream in(root_ / "b");
    std::string text;
    in >> text;
    EXPECT_EQ(text, "beta");
    ASSERT_TRUE(FileCopy(Name("a").c_str(), Name("c").c_str()));
    ASSERT_TRUE(FileMove(Name("c").c_str(), Name("d").c_str()));
    EXPECT_TRUE(fs::exists(root_ / "d"));
    EXPECT_FALSE(fs::exists(root_ / "c"));
    EXPECT_FALSE(FileCopy(Name("none").c_str(), Name("e").c_str()));
    EXPECT_EQ(GetLastError(), kWinFileNotFound);
    EXPECT_FALSE(fs::exists(root_ / "e"));
}

TEST_F(FileSystemTest, FoldersAreMadeAndRemovedOnlyWhenEmpty) {
    ASSERT_TRUE(FolderMake(Name("d").c_str()));
    EXPECT_FALSE(FolderMake(Name("d").c_str()));
    EXPECT_EQ(GetLastError(), kWinAlreadyExists);
    Write("d/f", "x");
    EXPECT_FALSE(FolderRemove(Name("d").c_str()));
    EXPECT_EQ(GetLastError(), kWinDirNotEmpty);
    EXPECT_FALSE(FileDelete(Name("d").c_str()));
    EXPECT_EQ(GetLastError(), kWinAccessDenied);
    ASSERT_TRUE(FileDelete(Name("d/f").c_str()));
    ASSERT_TRUE(FolderRemove(Name("d").c_str()));
    EXPECT_FALSE(fs::exists(root_ / "d"));
}

TEST_F(FileSystemTest, PermissionsAndTimesWriteThrough) {
    Write("f", "x");
    ASSERT_TRUE(FileSetPermissions(Name("f").c_str(), 0444));
    FileStatus s;
    ASSERT_TRUE(FileGetStatus(Name("f").c_str(), &s));
    EXPECT_TRUE(s.readOnly);
    ASSERT_TRUE(FileSetPermissions(Name("f").c_str(), 0644));
    const TQFileTime when{0x12345600u, 0x01d00000u};
    ASSERT_TRUE(FileSetTimesByName(Name("f").c_str(), nullptr, &when));
    ASSERT_TRUE(FileGetStatus(Name("f").c_str(), &s));
    EXPECT_FALSE(s.readOnly);
    EXPECT_EQ(s.modified.dwHighDateTime, when.dwHighDateTime);
    EXPECT_EQ(s.modified.dwLowDateTime, when.dwLowDateTime);
}

TEST_F(FileSystemTest, VolumesSpaceAndPlaces) {
    const std::vector<VolumeEntry> volumes = ListVolumes();
    ASSERT_FALSE(volumes.empty());
    EXPECT_TRUE(std::is_sorted(volumes.begin(), volumes.end(),
                               [](const VolumeEntry& a, const VolumeEntry& b) { return a.name < b.name; }));
    DiskSpace space;
    ASSERT_TRUE(GetDiskSpace(Utf8(root_).c_str(), &space));
    EXPECT_GT(space.totalBytes, 0u);
    EXPECT_LE(space.freeBytes, space.totalBytes);
    EXPECT_LE(space.availableBytes, space.freeBytes);
    EXPECT_GT(space.bytesPerSector, 0u);
    const std::string temp = TemporaryDirectory();
    ASSERT_FALSE(temp.empty());
    FileStatus s;
    ASSERT_TRUE(FileGetStatus(temp.c_str(), &s));
    EXPECT_TRUE(s.folder);
    const std::string cwd = CurrentDirectoryPath();
    ASSERT_FALSE(cwd.empty());
    ASSERT_TRUE(SetCurrentDirectoryPath(Utf8(root_).c_str()));
    EXPECT_EQ(fs::path(CurrentDirectoryPath()), fs::canonical(root_));
    ASSERT_TRUE(SetCurrentDirectoryPath(cwd.c_str()));
    EXPECT_EQ(ResolvedPath(Utf8(root_ / ".." / root_.filename()).c_str()), Utf8(fs::canonical(root_)));
    EXPECT_TRUE(ResolvedPath(Name("none").c_str()).empty());
}

#if !defined(_WIN32)
TEST_F(FileSystemTest, PosixHiddenNamesLinksAndMask) {
    Write(".dot", "x");
    FileStatus s;
    ASSERT_TRUE(FileGetStatus(Name(".dot").c_str(), &s));
    EXPECT_TRUE(s.hidden);
    fs::create_symlink(root_ / "missing", root_ / "dangling");
    fs::create_directory(root_ / "d");
    fs::create_directory_symlink(root_ / "d", root_ / "link");
    EXPECT_FALSE(FileGetStatus(Name("dangling").c_str(), &s));
    ASSERT_TRUE(FileGetLinkStatus(Name("link").c_str(), &s));
    EXPECT_FALSE(s.folder) << "a link's own status";
    ASSERT_TRUE(FileGetStatus(Name("link").c_str(), &s));
    EXPECT_TRUE(s.folder);
    // A dangling link is listed as itself.
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(FolderRead(Utf8(root_).c_str(), entries, true));
    EXPECT_EQ(entries.size(), 4u);
    const mode_t old = ::umask(027);
    EXPECT_EQ(ProcessUmask(), 027u);
    EXPECT_EQ(ProcessUmask(), 027u) << "reading leaves the mask as it was";
    ::umask(old);
}
#endif

}  // namespace
