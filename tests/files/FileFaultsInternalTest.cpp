// Faults of the operating system in each open-file function, injected through the system-call seam: the
// mapped code comes back, nothing is left half-written, and no descriptor is left open.
#include <gtest/gtest.h>

#include <filesystem>
#ifndef _WIN32
#include <unistd.h>
#endif
#include <string>

#include "FileOsNames.h"
#include "FilesTestSupport.h"
#include "platform/File.h"
#include "platform/Syscalls.h"
#include "support/SyscallFaults.h"

namespace {

using tq::files::test::kOs;
using tq::platform::SyscallFault;
using tq::test::Failing;
using tq::test::OpenFile;
using tq::test::ReadText;
using tq::test::Shortened;

#ifndef _WIN32
// Stand-ins that move a few bytes and then fail, as a device that fills up or breaks mid-transfer does.
int gCalls = 0;
ssize_t ReadTwoThenFail(int fd, void* buf, size_t n) {
    if (gCalls++ == 0) return ::read(fd, buf, n < 2 ? n : 2);
    errno = EIO;
    return -1;
}
ssize_t WriteFiveThenFill(int fd, const void* buf, size_t n) {
    if (gCalls++ == 0) return ::write(fd, buf, n < 5 ? n : 5);
    errno = ENOSPC;
    return -1;
}
#endif

class FileFaults : public tq::test::ScratchFolderTest {
  protected:
    void Inject(const char* name, const SyscallFault& fault) { faults_.Inject(name, fault); }
    int64 Length(File fd) {
        int64 n = -1;
        EXPECT_EQ(FGetEOF64(fd, &n), kErrNone);
        return n;
    }
    int64 Position(File fd) {
        int64 n = -1;
        EXPECT_EQ(FMTell64(fd, &n), kErrNone);
        return n;
    }
    TqErr Write(File fd, std::string text, int32* actual = nullptr) {
        return FMWrite(fd, int32(text.size()), actual, reinterpret_cast<UPtr>(text.data()));
    }

    tq::test::InjectedFaults faults_;
};

TEST_F(FileFaults, OpenReportsTheMappedCode) {
    auto p = Existing("o", "data");
    OpenFile fd;
    Inject(kOs.open, Failing(kOs.accessDenied));
    EXPECT_EQ(FMOpen(fd.Out(), p.get(), kOpenRead, kDenyNone), kErrPermission);
    EXPECT_EQ(File(fd), File(0));
    Inject(kOs.open, Failing(kOs.tooManyFiles));
    EXPECT_EQ(FMOpen(fd.Out(), p.get(), kOpenRead, kDenyNone), kErrIO);
    Inject(kOs.open, Failing(kOs.ioError));
    EXPECT_EQ(FMOpen(fd.Out(), p.get(), kOpenRead, kDenyNone), kErrIO);
    if (kOs.interrupted) {
        Inject(kOs.open, Failing(kOs.interrupted));
        EXPECT_EQ(FMOpen(fd.Out(), p.get(), kOpenRead, kDenyNone), kErrNone);
        EXPECT_EQ(tq::platform::InjectedSyscallFaults(), 4u);
    }
}

TEST_F(FileFaults, CreateThatFailsLeavesNoFile) {
    auto p = PathTo("new");
    OpenFile fd;
    Inject(kOs.open, Failing(kOs.diskFull));
    EXPECT_EQ(FCreate(fd.Out(), p.get(), 0, kOpenWrite, kDenyNone, nullptr), kErrDiskFull);
    EXPECT_FALSE(std::filesystem::exists(OnDisk("new")));
#ifndef _WIN32
    // The file exists for a moment before it can be identified: a failure then removes it again.
    Inject("fstat", Failing(EIO));
    EXPECT_EQ(FCreate(fd.Out(), p.get(), 0, kOpenWrite, kDenyNone, nullptr), kErrIO);
    EXPECT_FALSE(std::filesystem::exists(OnDisk("new")));
    // Emptying an existing file fails after the open: the open is undone.
    auto old = Existing("old", "kept");
    Inject("ftruncate", Failing(EIO));
    EXPECT_EQ(FCreateAlways(fd.Out(), old.get(), 0, kOpenWrite, kDenyNone, nullptr), kErrIO);
    EXPECT_EQ(ReadText(OnDisk("old")), "kept");
#endif
}

TEST_F(FileFaults, ReadFailuresAndShortReads) {
    auto p = Existing("r", "0123456789");
    OpenFile fd;
    ASSERT_EQ(FMOpen(fd.Out(), p.get(), kOpenRead, kDenyNone), kErrNone);
    std::string buf(10, '\0');
    int32 actual = -1;
    Inject(kOs.read, Failing(kOs.ioError));
    EXPECT_EQ(FMRead(fd, 10, &actual, reinterpret_cast<UPtr>(buf.data())), kErrIO);
    EXPECT_EQ(actual, 0);
    // A short transfer is not the end of the file: the rest is read.
    Inject(kOs.read, Shortened(3));
    EXPECT_EQ(FMRead(fd, 10, &actual, reinterpret_cast<UPtr>(buf.data())), kErrNone);
    EXPECT_EQ(actual, 10);
    EXPECT_EQ(buf, "0123456789");
    ASSERT_EQ(FMSeek(fd, 0, kSeekFromStart), kErrNone);
    if (kOs.interrupted) {
        Inject(kOs.read, Failing(kOs.interrupted));
        EXPECT_EQ(FMRead(fd, 4, &actual, reinterpret_cast<UPtr>(buf.data())), kErrNone);
        EXPECT_EQ(actual, 4);
    }
#ifndef _WIN32
    // Data read before a failure is counted.
    ASSERT_EQ(FMSeek(fd, 0, kSeekFromStart), kErrNone);
    gCalls = 0;
    ASSERT_TRUE(tq::platform::SetSyscallForTest(
        "read", reinterpret_cast<tq::platform::SyscallPointer>(&ReadTwoThenFail)));
    EXPECT_EQ(FMRead(fd, 10, &actual, reinterpret_cast<UPtr>(buf.data())), kErrIO);
    EXPECT_EQ(actual, 2);
#endif
}

TEST_F(FileFaults, FailedWritesLeaveTheFileAsItWas) {
    auto p = Existing("w", "base");
    OpenFile fd;
    ASSERT_EQ(FMOpen(fd.Out(), p.get(), kOpenReadWrite, kDenyNone), kErrNone);
    ASSERT_EQ(FMSeek(fd, 0, kSeekFromEnd), kErrNone);
    int32 actual = -1;
    Inject(kOs.write, Failing(kOs.diskFull));
    EXPECT_EQ(Write(fd, "0123456789", &actual), kErrDiskFull);
    EXPECT_EQ(actual, 0);
    EXPECT_EQ(Length(fd), 4);
#ifndef _WIN32
    // Part written, then the disk fills: the part is taken back.
    gCalls = 0;
    ASSERT_TRUE(tq::platform::SetSyscallForTest(
        "write", reinterpret_cast<tq::platform::SyscallPointer>(&WriteFiveThenFill)));
    EXPECT_EQ(Write(fd, "0123456789"), kErrDiskFull);
    tq::platform::SetSyscallForTest("write", nullptr);
    EXPECT_EQ(Length(fd), 4);
    EXPECT_EQ(Position(fd), 4);
#endif
    Inject(kOs.write, Failing(kOs.ioError));
    EXPECT_EQ(Write(fd, "x"), kErrIO);
    Inject(kOs.write, Shortened(3));
    EXPECT_EQ(Write(fd, "0123456789", &actual), kErrNone);
    EXPECT_EQ(actual, 10);
    if (kOs.interrupted) {
        Inject(kOs.write, Failing(kOs.interrupted));
        EXPECT_EQ(Write(fd, "!"), kErrNone);
    }
    FMClose(fd.Release());
    EXPECT_EQ(ReadText(OnDisk("w")), kOs.interrupted ? "base0123456789!" : "base0123456789");
}

TEST_F(FileFaults, LengthPositionAndFlushFailures) {
    auto p = Existing("l", "0123456789");
    OpenFile fd;
    ASSERT_EQ(FMOpen(fd.Out(), p.get(), kOpenReadWrite, kDenyNone), kErrNone);
    ASSERT_EQ(FMSeek(fd, 6, kSeekFromStart), kErrNone);
    Inject(kOs.setLength, Failing(kOs.ioError));
    EXPECT_EQ(FSetEOF(fd, 2), kErrIO);
    EXPECT_EQ(Position(fd), 6);
    EXPECT_EQ(Length(fd), 10);
    Inject(kOs.length, Failing(kOs.ioError));
    EXPECT_EQ(FMSeek(fd, 1, kSeekFromStart), kErrIO);
    Inject(kOs.length, Failing(kOs.ioError));
    int64 size = 0;
    EXPECT_EQ(FGetEOF64(fd, &size), kErrIO);
    Inject(kOs.flush, Failing(kOs.ioError));
    EXPECT_EQ(FFlush(fd), kErrIO);
    Inject(kOs.lockRange, Failing(kOs.ioError));
    EXPECT_EQ(FLockOrUnlockRange(fd, kSeekFromStart, 0, 4, 1), kErrIO);
    EXPECT_EQ(FLockOrUnlockRange(fd, kSeekFromStart, 0, 4, 1), kErrNone);
    EXPECT_EQ(FLockOrUnlockRange(fd, kSeekFromStart, 0, 4, 0), kErrNone);
}

TEST_F(FileFaults, CloseFailureIsReported) {
    auto p = Existing("c", "x");
    File fd = 0;
    ASSERT_EQ(FMOpen(&fd, p.get(), kOpenRead, kDenyWrite), kErrNone);
    Inject(kOs.close, Failing(kOs.ioError));
    EXPECT_EQ(FMClose(fd), kErrIO);
    // The injected failure kept the descriptor; the system's own close releases it whatever it reports.
    EXPECT_TRUE(tq::platform::FileClose(tq::platform::FileFromToken(fd)));
    // The deny mode went with the first close.
    OpenFile again;
    EXPECT_EQ(FMOpen(again.Out(), p.get(), kOpenWrite, kDenyNone), kErrNone);
}

}  // namespace
