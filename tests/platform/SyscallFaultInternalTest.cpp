// The system-call seam: its table, its test controls, and faults injected at the Nth call surfacing as the
// mapped Win32 error through the last error.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "OsSyscallNames.h"
#include "platform/File.h"
#include "platform/FileTimes.h"
#include "platform/LastError.h"
#include "platform/Syscalls.h"

namespace {

using namespace tq::platform;
using tq::platform::test::kOs;
namespace fs = std::filesystem;

std::string Utf8(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(reinterpret_cast<const char*>(s.data()), s.size());
}

class SyscallSeamTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = Utf8(fs::temp_directory_path() / (std::string("tqcore-seam-") + info->name() + "-" +
                                                  std::to_string(std::random_device{}())));
    }
    void TearDown() override {
        ResetSyscallsForTest();
        std::error_code ec;
        fs::remove(fs::u8path(path_), ec);
    }

    NativeFile Create() {
        const NativeFile f = FileOpen(path_.c_str(), FileAccess::kReadWrite, FileDisposition::kCreateAlways);
        EXPECT_NE(f, kNoFile) << "last error " << GetLastError();
        return f;
    }
    std::string Contents() {
        std::string text;
        EXPECT_TRUE(FileReadAll(path_.c_str(), text, 1 << 20)) << "last error " << GetLastError();
        return text;
    }
    // Writes text in one call; the last error is read at once, before anything else can replace it.
    bool Write(NativeFile f, const char* text, uInt32* done, uInt32* error) {
        const bool ok = FileWrite(f, text, uInt32(std::strlen(text)), done);
        *error = GetLastError();
        return ok;
    }

    std::string path_;
};

TEST_F(SyscallSeamTest, EveryEntryIsNamedOnceAndStartsAtItsDefault) {
    std::set<std::string> names;
    for (uInt32 i = 0; const char* name = SyscallName(i); ++i) {
        EXPECT_TRUE(names.insert(name).second) << name << " listed twice";
        EXPECT_NE(DefaultSyscall(name), nullptr) << name;
        EXPECT_EQ(CurrentSyscall(name), DefaultSyscall(name)) << name;
    }
    for (const char* name : {kOs.open, kOs.read, kOs.write, kOs.fileTime, kOs.removeFile, kOs.removeFolder})
        EXPECT_EQ(names.count(name), 1u) << name << " missing";
    EXPECT_EQ(CurrentSyscall("no-such-call"), nullptr);
    EXPECT_EQ(DefaultSyscall(nullptr), nullptr);
}

// Removing a file and removing a folder share their type on both systems, so one may stand in for the other.
TEST_F(SyscallSeamTest, SetterReplacesByNameAndNullOrResetRestores) {
    const SyscallPointer file = DefaultSyscall(kOs.removeFile);
    const SyscallPointer folder = DefaultSyscall(kOs.removeFolder);
    ASSERT_NE(file, folder);
    ASSERT_TRUE(SetSyscallForTest(kOs.removeFolder, file));
    EXPECT_EQ(CurrentSyscall(kOs.removeFolder), file);
    EXPECT_EQ(DefaultSyscall(kOs.removeFolder), folder);
    ASSERT_TRUE(SetSyscallForTest(kOs.removeFolder, nullptr));
    EXPECT_EQ(CurrentSyscall(kOs.removeFolder), folder);
    ASSERT_TRUE(SetSyscallForTest(kOs.removeFolder, file));
    ResetSyscallsForTest();
    EXPECT_EQ(CurrentSyscall(kOs.removeFolder), folder);
    EXPECT_FALSE(SetSyscallForTest("no-such-call", file));
    EXPECT_FALSE(SetSyscallForTest(nullptr, file));
}

TEST_F(SyscallSeamTest, InjectionRefusesWhatItCannotDo) {
    EXPECT_FALSE(InjectSyscallFault("no-such-call", {}));
    SyscallFault never;
    never.nth = 0;
    EXPECT_FALSE(InjectSyscallFault(kOs.write, never));
    SyscallFault shortOpen;
    shortOpen.transferLimit = 1;
    EXPECT_FALSE(InjectSyscallFault(kOs.open, shortOpen)) << "open moves no bytes";
    EXPECT_EQ(CurrentSyscall(kOs.open), DefaultSyscall(kOs.open));
}

TEST_F(SyscallSeamTest, NthWriteFailsWithTheMappedErrorAndTheOthersPass) {
    const NativeFile f = Create();
    ASSERT_NE(f, kNoFile);
    SyscallFault fault;
    fault.nth = 3;
    fault.error = kOs.diskFull;
    ASSERT_TRUE(InjectSyscallFault(kOs.write, fault));
    EXPECT_NE(CurrentSyscall(kOs.write), DefaultSyscall(kOs.write));
    uInt32 done = 0, error = 0;
    EXPECT_TRUE(Write(f, "aa", &done, &error));
    EXPECT_TRUE(Write(f, "bb", &done, &error));
    EXPECT_FALSE(Write(f, "cc", &done, &error));
    EXPECT_EQ(error, kWinDiskFull);
    EXPECT_EQ(done, 0u);
    EXPECT_TRUE(Write(f, "dd", &done, &error));
    EXPECT_EQ(done, 2u);
    EXPECT_EQ(InjectedSyscallFaults(), 1u);
    EXPECT_TRUE(FileClose(f));
    EXPECT_EQ(Contents(), "aabbdd");
}

TEST_F(SyscallSeamTest, FailedOpenSurfacesTheMappedErrorAndTheNextOpenWorks) {
    SyscallFault fault;
    fault.error = kOs.tooManyFiles;
    ASSERT_TRUE(InjectSyscallFault(kOs.open, fault));
    EXPECT_EQ(FileOpen(path_.c_str(), FileAccess::kWrite, FileDisposition::kCreateAlways), kNoFile);
    EXPECT_EQ(GetLastError(), kWinTooManyOpenFiles);
    EXPECT_FALSE(fs::exists(fs::u8path(path_))) << "the failed open created the file";
    const NativeFile f = Create();
    ASSERT_NE(f, kNoFile);
    EXPECT_TRUE(FileClose(f));
}

TEST_F(SyscallSeamTest, ShortWriteReportsTheBytesItMoved) {
    const NativeFile f = Create();
    ASSERT_NE(f, kNoFile);
    SyscallFault fault;
    fault.transferLimit = 3;
    ASSERT_TRUE(InjectSyscallFault(kOs.write, fault));
    uInt32 done = 0, error = 0;
    EXPECT_TRUE(Write(f, "0123456789", &done, &error));
    EXPECT_EQ(done, 3u);
    EXPECT_TRUE(Write(f, "abc", &done, &error));
    EXPECT_EQ(done, 3u);
    EXPECT_TRUE(FileClose(f));
    EXPECT_EQ(Contents(), "012abc");
}

// Every read moves at most 5 bytes: reading a whole file must go on until the end and lose nothing.
TEST_F(SyscallSeamTest, ReadingAWholeFileSurvivesShortReads) {
    const std::string text = "a text longer than one short read, and longer than two";
    const NativeFile f = Create();
    ASSERT_NE(f, kNoFile);
    uInt32 done = 0, error = 0;
    ASSERT_TRUE(Write(f, text.c_str(), &done, &error));
    ASSERT_TRUE(FileClose(f));
    SyscallFault fault;
    fault.times = 0;
    fault.transferLimit = 5;
    ASSERT_TRUE(InjectSyscallFault(kOs.read, fault));
    EXPECT_EQ(Contents(), text);
    EXPECT_GE(InjectedSyscallFaults(), uInt32(text.size() / 5));
}

// The read's error is what the caller learns, not whatever closing the file did after it.
TEST_F(SyscallSeamTest, WholeFileReadKeepsTheReadError) {
    const NativeFile f = Create();
    ASSERT_NE(f, kNoFile);
    ASSERT_TRUE(FileClose(f));
    SyscallFault fault;
    fault.error = kOs.accessDenied;
    ASSERT_TRUE(InjectSyscallFault(kOs.read, fault));
    std::string text = "stale";
    EXPECT_FALSE(FileReadAll(path_.c_str(), text, 100));
    EXPECT_EQ(GetLastError(), kWinAccessDenied);
    EXPECT_TRUE(text.empty());
}

TEST_F(SyscallSeamTest, InterruptedCallsAreRestartedUnseen) {
    if (kOs.interrupted == 0) GTEST_SKIP() << "this system does not interrupt calls";
    const NativeFile f = Create();
    ASSERT_NE(f, kNoFile);
    SyscallFault fault;
    fault.times = 2;
    fault.error = kOs.interrupted;
    ASSERT_TRUE(InjectSyscallFault(kOs.write, fault));
    uInt32 done = 0, error = 0;
    EXPECT_TRUE(Write(f, "data", &done, &error));
    EXPECT_EQ(done, 4u);
    EXPECT_EQ(InjectedSyscallFaults(), 2u);
    EXPECT_TRUE(FileClose(f));
    EXPECT_EQ(Contents(), "data");
}

TEST_F(SyscallSeamTest, OtherThreadsCallsPassUncounted) {
    const NativeFile f = Create();
    ASSERT_NE(f, kNoFile);
    SyscallFault fault;
    fault.error = kOs.diskFull;
    ASSERT_TRUE(InjectSyscallFault(kOs.write, fault));
    bool otherOk = false;
    std::thread([&] {
        uInt32 done = 0;
        otherOk = FileWrite(f, "xy", 2, &done) && done == 2;
    }).join();
    EXPECT_TRUE(otherOk);
    uInt32 done = 0, error = 0;
    EXPECT_FALSE(Write(f, "zz", &done, &error)) << "the other thread's call used up the fault";
    EXPECT_EQ(error, kWinDiskFull);
    EXPECT_EQ(InjectedSyscallFaults(), 1u);
    EXPECT_TRUE(FileClose(f));
    EXPECT_EQ(Contents(), "xy");
}

// An existing unit goes through the seam too: the file-time query fails at its second call only.
TEST_F(SyscallSeamTest, FileTimeQueryFailureSurfacesAsTheMappedError) {
    const NativeFile f = Create();
    ASSERT_NE(f, kNoFile);
    ASSERT_TRUE(FileClose(f));
    SyscallFault fault;
    fault.nth = 2;
    fault.error = kOs.accessDenied;
    ASSERT_TRUE(InjectSyscallFault(kOs.fileTime, fault));
    TQFileTime time{};
    EXPECT_TRUE(FileLastWriteTime(path_, time));
    EXPECT_NE(time.dwHighDateTime, 0u);
    EXPECT_FALSE(FileLastWriteTime(path_, time));
    EXPECT_EQ(GetLastError(), kWinAccessDenied);
    EXPECT_TRUE(FileLastWriteTime(path_, time));
}

TEST_F(SyscallSeamTest, FilePrimitivesMapTheirOwnFailures) {
    EXPECT_EQ(FileOpen(path_.c_str(), FileAccess::kRead, FileDisposition::kOpenExisting), kNoFile);
    EXPECT_EQ(GetLastError(), kWinFileNotFound);
    const std::string folder = Utf8(fs::temp_directory_path());
    EXPECT_EQ(FileOpen(folder.c_str(), FileAccess::kRead, FileDisposition::kOpenExisting), kNoFile);
    EXPECT_EQ(GetLastError(), kWinAccessDenied);
    EXPECT_EQ(FileOpen("", FileAccess::kRead, FileDisposition::kOpenExisting), kNoFile);
    EXPECT_EQ(GetLastError(), kWinInvalidName);
    const NativeFile f = Create();
    ASSERT_NE(f, kNoFile);
    ASSERT_TRUE(FileClose(f));
    EXPECT_EQ(FileOpen(path_.c_str(), FileAccess::kWrite, FileDisposition::kCreateNew), kNoFile);
    EXPECT_EQ(GetLastError(), kWinFileExists);
}

}  // namespace
