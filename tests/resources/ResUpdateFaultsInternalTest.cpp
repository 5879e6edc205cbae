// A failed update of a file on disk: the map stays marked changed, a retry succeeds, and the file then holds
// exactly the edited resources, whichever call of the update failed.
#include <gtest/gtest.h>

#include <map>

#include "ResTestSupport.h"
#include "files/FileOsNames.h"
#include "platform/Syscalls.h"
#include "support/ReportCapture.h"
#include "support/ScratchFolder.h"

namespace {

using namespace restest;
using tq::files::test::kOs;
using tq::platform::InjectedSyscallFaults;
using tq::platform::InjectSyscallFault;
using tq::platform::ResetSyscallsForTest;
using tq::platform::SyscallFault;
using tq::test::NativePath;
using tq::test::ReadText;
using tq::test::ScratchFolder;
using tq::test::WriteText;

const ResType kData = TQFourCC("DATA");
const ResType kMore = TQFourCC("MORE");

using Contents = std::map<std::pair<ResType, int32>, std::string>;

std::string Sized(int32 n, char c) {
    return std::string(size_t(n), c);
}

class ResUpdateFaultsTest : public ::testing::Test {
  protected:
    void TearDown() override { ResetSyscallsForTest(); }

    // The original file, then edits that make blocks move: one grows (and one large one goes past 4096
    // bytes), one goes away, one is new.
    uInt32 OpenEdited(const PathRef& p, Contents* expected) {
        const std::vector<Item> items = {
            {kData, 1, Sized(10, 'a'), ""},     {kData, 2, Sized(300, 'b'), "two"},
            {kData, 3, Sized(20, 'c'), ""},     {kMore, 1, Sized(5000, 'd'), ""},
            {kMore, 2, Sized(7, 'e'), "seven"}, {kData, 4, Sized(64, 'f'), ""}};
        const Bytes b = MakeImage(items);
        WriteText(path_, std::string(b.begin(), b.end()));
        for (const Item& s : items) (*expected)[{s.type, s.id}] = s.data;
        uInt32 ref = 0;
        EXPECT_EQ(ROpenFile(const_cast<PathRef*>(&p), kResReadWrite, &ref, nullptr, nullptr), kErrNone);
        UHandle h = nullptr;
        EXPECT_EQ(RGet(ref, kData, 2, &h), kErrNone);
        EXPECT_EQ(RRemove(h, ref), kErrNone);
        DSDisposeHandle(h);
        expected->erase({kData, 2});
        EXPECT_EQ(RGet(ref, kData, 1, &h), kErrNone);
        EXPECT_EQ(DSSetHandleFromPtr(&h, Sized(6000, 'A').data(), 6000), kErrNone);
        EXPECT_EQ(RChanged(h), kErrNone);
        (*expected)[{kData, 1}] = Sized(6000, 'A');
        EXPECT_EQ(DSPtrToHand("new", &h, 3), kErrNone);
        EXPECT_EQ(RAdd(h, ref, kData, 9, nullptr), kErrNone);
        (*expected)[{kData, 9}] = "new";
        return ref;
    }

    static void ExpectContents(const PathRef& p, const Contents& expected) {
        uInt32 ref = 0;
        ASSERT_EQ(ROpenFile(const_cast<PathRef*>(&p), kResReadOnly, &ref, nullptr, nullptr), kErrNone);
        int32 total = 0, n = 0;
        for (ResType t : {kData, kMore}) {
            EXPECT_EQ(RCount(ref, t, &n), kErrNone);
            total += n;
        }
        EXPECT_EQ(size_t(total), expected.size());
        for (const auto& [key, text] : expected) {
            UHandle h = nullptr;
            ASSERT_EQ(RGet(ref, key.first, key.second, &h), kErrNone);
            EXPECT_EQ(Text(h), text);
        }
        EXPECT_EQ(RCloseFile(ref), kErrNone);
    }

    ScratchFolder dir_;
    std::filesystem::path path_ = dir_.Root() / "faults.res";
};

TEST_F(ResUpdateFaultsTest, EveryCallOfAnUpdateMayFail) {
    const PathRef p = NativePath(path_);
    for (const char* call : {kOs.read, kOs.write, kOs.setLength, kOs.flush}) {
        int failures = 0;
        for (uInt32 nth = 1; nth < 200; ++nth) {
            Contents expected;
            const uInt32 ref = OpenEdited(p, &expected);
            SyscallFault fault;
            fault.nth = nth;
            fault.error = kOs.ioError;
            ASSERT_TRUE(InjectSyscallFault(call, fault));
            const TqErr e = RUpdateFile(ref);
            const bool failed = InjectedSyscallFaults() > 0;
            ResetSyscallsForTest();
            if (!failed) {
                EXPECT_EQ(e, kErrNone);
                EXPECT_EQ(RCloseFile(ref), kErrNone);
                ExpectContents(p, expected);
                break;
            }
            ++failures;
            EXPECT_NE(e, kErrNone) << call << " " << nth;
            int32 attrs = 0;
            EXPECT_EQ(RGetFileAttrs(ref, &attrs), kErrNone);
            EXPECT_TRUE(attrs & kResMapChanged) << call << " " << nth;
            EXPECT_EQ(RUpdateFile(ref), kErrNone) << call << " " << nth;
            EXPECT_EQ(RCloseFile(ref), kErrNone);
            ExpectContents(p, expected);
        }
        EXPECT_GT(failures, 0) << call;  // the update made the call at least once
    }
}

TEST_F(ResUpdateFaultsTest, AReadOnlyFileThatCannotBeMappedIsNotOpened) {
    const PathRef p = NativePath(path_);
    Contents expected;
    ASSERT_EQ(RCloseFile(OpenEdited(p, &expected)), kErrNone);
#ifdef _WIN32
    const char* map = "MapViewOfFile";
#else
    const char* map = "mmap";
#endif
    SyscallFault fault;
    fault.error = kOs.ioError;
    ASSERT_TRUE(InjectSyscallFault(map, fault));
    uInt32 ref = 0;
    {
        ReportCapture capture;
        EXPECT_NE(ROpenFile(const_cast<PathRef*>(&p), kResReadOnly, &ref, nullptr, nullptr), kErrNone);
        EXPECT_EQ(ReportCapture::Count(kDbgWarn, "Cannot memory map the resource file"), 1);
    }
    EXPECT_EQ(ref, 0u);
    ResetSyscallsForTest();
    ExpectContents(p, expected);
}

#ifndef _WIN32
// A device that breaks in the middle of the Nth write: half its bytes land, then every call fails.
int gWriteCalls = 0, gBreakAt = 0;
ssize_t WriteBreaking(int fd, const void* buf, size_t n) {
    if (++gWriteCalls < gBreakAt) return ::write(fd, buf, n);
    if (gWriteCalls == gBreakAt && n > 1) return ::write(fd, buf, n / 2);
    errno = EIO;
    return -1;
}

TEST_F(ResUpdateFaultsTest, AWriteBrokenHalfwayIsRedoneFromMemory) {
    const PathRef p = NativePath(path_);
    int broken = 0;
    for (gBreakAt = 1; gBreakAt < 60; ++gBreakAt) {
        Contents expected;
        const uInt32 ref = OpenEdited(p, &expected);
        gWriteCalls = 0;
        ASSERT_TRUE(tq::platform::SetSyscallForTest(
            "write", reinterpret_cast<tq::platform::SyscallPointer>(&WriteBreaking)));
        const TqErr e = RUpdateFile(ref);
        ResetSyscallsForTest();
        if (gWriteCalls < gBreakAt) {
            EXPECT_EQ(e, kErrNone);
            EXPECT_EQ(RCloseFile(ref), kErrNone);
            break;
        }
        ++broken;
        EXPECT_NE(e, kErrNone);
        EXPECT_EQ(RUpdateFile(ref), kErrNone) << gBreakAt;
        EXPECT_EQ(RCloseFile(ref), kErrNone);
        ExpectContents(p, expected);
    }
    EXPECT_GT(broken, 3);
}
#endif

}  // namespace
