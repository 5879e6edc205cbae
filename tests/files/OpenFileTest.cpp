// The file manager's functions on open files, through the public header.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "FilesTestSupport.h"

namespace {

using tq::test::OpenFile;
using tq::test::ReadText;

class OpenFiles : public tq::test::ScratchFolderTest {};

std::string ReadAll(File fd, int32 count, TqErr* err = nullptr) {
    std::string buf(size_t(count), '\0');
    int32 actual = -1;
    const TqErr e = FMRead(fd, count, &actual, reinterpret_cast<UPtr>(buf.data()));
    if (err) *err = e;
    buf.resize(size_t(actual < 0 ? 0 : actual));
    return buf;
}

TqErr Write(File fd, const std::string& text) {
    int32 actual = -1;
    const TqErr err =
        FMWrite(fd, int32(text.size()), &actual, reinterpret_cast<UPtr>(const_cast<char*>(text.data())));
    if (!err) {
        EXPECT_EQ(actual, int32(text.size()));
    }
    return err;
}

int64 Position(File fd) {
    int64 pos = -1;
    EXPECT_EQ(FMTell64(fd, &pos), kErrNone);
    return pos;
}

TEST_F(OpenFiles, CreateWriteReadBack) {
    auto p = PathTo("a.bin");
    OpenFile fd;
    ASSERT_EQ(FCreate(fd.Out(), p.get(), 0666, kOpenReadWrite, kDenyNone, nullptr), kErrNone);
    EXPECT_NE(File(fd), File(0));
    EXPECT_EQ(Write(fd, "hello, world"), kErrNone);
    EXPECT_EQ(Position(fd), 12);
    ASSERT_EQ(FMSeek(fd, 7, kSeekFromStart), kErrNone);
    EXPECT_EQ(ReadAll(fd, 5), "world");
    int32 size = 0;
    EXPECT_EQ(FGetEOF(fd, &size), kErrNone);
    EXPECT_EQ(size, 12);
    EXPECT_EQ(FMClose(fd.Release()), kErrNone);
    EXPECT_EQ(ReadText(OnDisk("a.bin")), "hello, world");
}

TEST_F(OpenFiles, OpenFailuresAndArguments) {
    auto missing = PathTo("missing");
    File fd = 123;
    EXPECT_EQ(FMOpen(&fd, missing.get(), kOpenRead, kDenyNone), kErrNotFound);
    EXPECT_EQ(fd, File(0));
    auto volume = tq::test::PathOf(scratch_.Root());
    while (volume->ItemCount() > 1) *volume = volume->GetParentDirectory();
    EXPECT_EQ(FMOpen(&fd, volume.get(), kOpenRead, kDenyNone), kErrArgument);
    PathRef relative(kBaseRelative);
    relative.Append("x");
    EXPECT_EQ(FMOpen(&fd, &relative, kOpenRead, kDenyNone), kErrArgument);
    EXPECT_EQ(FMOpen(&fd, nullptr, kOpenRead, kDenyNone), kErrArgument);
    auto existing = Existing("e", "x");
    EXPECT_EQ(FMOpen(&fd, existing.get(), 8, kDenyNone), kErrArgument);
    EXPECT_EQ(FMOpen(&fd, existing.get(), -1, kDenyNone), kErrArgument);
    EXPECT_EQ(FMOpen(&fd, existing.get(), kOpenRead, 3), kErrArgument);
    EXPECT_EQ(FMOpen(nullptr, existing.get(), kOpenRead, kDenyNone), kErrArgument);
    EXPECT_EQ(FCreate(&fd, existing.get(), 0, kOpenWrite, kDenyNone, nullptr), kErrDuplicatePath);
    EXPECT_EQ(fd, File(0));
    EXPECT_EQ(FMOpen(&fd, tq::test::PathOf(scratch_.Root()).get(), kOpenRead, kDenyNone), kErrPermission);
    // Appended as an item: as file-system text, "a:b" would name a drive on Windows.
    auto illegal = tq::test::PathOf(scratch_.Root());
    illegal->Append("a:b");
    EXPECT_EQ(FCreate(&fd, illegal.get(), 0, kOpenWrite, kDenyNone, nullptr), kErrArgument);
}

TEST_F(OpenFiles, NullFileGivesArgumentEverywhere) {
    char b[4];
    int32 n32 = 0;
    int64 n64 = 0;
    EXPECT_EQ(FMClose(0), kErrArgument);
    EXPECT_EQ(FMRead(0, 4, &n32, reinterpret_cast<UPtr>(b)), kErrArgument);
    EXPECT_EQ(FMWrite(0, 4, &n32, reinterpret_cast<UPtr>(b)), kErrArgument);
    EXPECT_EQ(FMWriteEOL(0), kErrArgument);
    EXPECT_EQ(FMSeek(0, 0, kSeekFromStart), kErrArgument);
    EXPECT_EQ(FMSeek64(0, 0, kSeekFromStart), kErrArgument);
    EXPECT_EQ(FMTell(0, &n32), kErrArgument);
    EXPECT_EQ(FMTell64(0, &n64), kErrArgument);
    EXPECT_EQ(FGetEOF(0, &n32), kErrArgument);
    EXPECT_EQ(FGetEOF64(0, &n64), kErrArgument);
    EXPECT_EQ(FSetEOF(0, 0), kErrArgument);
    EXPECT_EQ(FSetEOF64(0, 0), kErrArgument);
    EXPECT_EQ(FFlush(0), kErrArgument);
    EXPECT_EQ(FLockOrUnlockRange(0, kSeekFromStart, 0, 1, 1), kErrArgument);
    EXPECT_EQ(FPrintfWErr(0, "x"), kErrArgument);
}

TEST_F(OpenFiles, CreateModesAndTruncation) {
    auto p = Existing("t", "old contents");
    OpenFile fd;
    ASSERT_EQ(FCreateAlways(fd.Out(), p.get(), 0, kOpenWrite, kDenyNone, nullptr), kErrNone);
    EXPECT_EQ(Write(fd, "new"), kErrNone);
    FMClose(fd.Release());
    EXPECT_EQ(ReadText(OnDisk("t")), "new");
    ASSERT_EQ(FMOpen(fd.Out(), p.get(), kOpenWriteTruncate, kDenyNone), kErrNone);
    FMClose(fd.Release());
    EXPECT_EQ(ReadText(OnDisk("t")), "");
    tq::test::WriteText(OnDisk("t"), "kept");
    // The unbuffered form of mode 3 does not truncate.
    ASSERT_EQ(FMOpen(fd.Out(), p.get(), kOpenWriteTruncateUnbuffered, kDenyNone), kErrNone);
    FMClose(fd.Release());
    EXPECT_EQ(ReadText(OnDisk("t")), "kept");
    ASSERT_EQ(FMOpen(fd.Out(), p.get(), kOpenRead, kDenyNone), kErrNone);
    EXPECT_EQ(Write(fd, "x"), kErrPermission);
    FMClose(fd.Release());
    ASSERT_EQ(FMOpen(fd.Out(), p.get(), kOpenWrite, kDenyNone), kErrNone);
    TqErr err = kErrNone;
    ReadAll(fd, 1, &err);
    EXPECT_NE(err, kErrNone);
}

TEST_F(OpenFiles, ShortReadGivesEndOfFile) {
    auto p = Existing("s", "0123456789ABCD");
    OpenFile fd;
    ASSERT_EQ(FMOpen(fd.Out(), p.get(), kOpenRead, kDenyNone), kErrNone);
    ASSERT_EQ(FMSeek(fd, 10, kSeekFromStart), kErrNone);
    TqErr err = kErrNone;
    EXPECT_EQ(ReadAll(fd, 10, &err), "ABCD");
    EXPECT_EQ(err, kErrEndOfFile);
    EXPECT_EQ(ReadAll(fd, 1, &err), "");
    EXPECT_EQ(err, kErrEndOfFile);
    int32 actual = -1;
    EXPECT_EQ(FMRead(fd, 0, &actual, nullptr), kErrNone);
    EXPECT_EQ(actual, 0);
    EXPECT_EQ(FMRead(fd, -1, &actual, nullptr), kErrArgument);
}

TEST_F(OpenFiles, WriteCountZeroAndEndOfLine) {
    auto p = PathTo("w");
    OpenFile fd;
    ASSERT_EQ(FCreate(fd.Out(), p.get(), 0, kOpenWrite, kDenyNone, nullptr), kErrNone);
    int32 actual = -1;
    EXPECT_EQ(FMWrite(fd, 0, &actual, nullptr), kErrNone);
    EXPECT_EQ(actual, 0);
    EXPECT_EQ(Write(fd, "line"), kErrNone);
    EXPECT_EQ(FMWriteEOL(fd), kErrNone);
    FMClose(fd.Release());
    EXPECT_EQ(ReadText(OnDisk("w")), "line\r\n");
}

TEST_F(OpenFiles, SeekingNeverLeavesTheFile) {
    auto p = Existing("k", "0123456789");
    OpenFile fd;
    ASSERT_EQ(FMOpen(fd.Out(), p.get(), kOpenReadWrite, kDenyNone), kErrNone);
    EXPECT_EQ(FMSeek64(fd, 20, kSeekFromStart), kErrEndOfFile);
    EXPECT_EQ(Position(fd), 10);
    EXPECT_EQ(FMSeek64(fd, -20, kSeekFromEnd), kErrEndOfFile);
    EXPECT_EQ(Position(fd), 0);
    EXPECT_EQ(FMSeek64(fd, -2, kSeekFromEnd), kErrNone);
    EXPECT_EQ(Position(fd), 8);
    EXPECT_EQ(FMSeek64(fd, -3, kSeekFromCurrent), kErrNone);
    EXPECT_EQ(Position(fd), 5);
    EXPECT_EQ(FMSeek64(fd, 0, kSeekFromCurrent), kErrNone);
    EXPECT_EQ(Position(fd), 5);
    EXPECT_EQ(FMSeek64(fd, -6, kSeekFromCurrent), kErrEndOfFile);
    EXPECT_EQ(Position(fd), 0);
    EXPECT_EQ(FMSeek(fd, 10, kSeekFromStart), kErrNone);
    EXPECT_EQ(Position(fd), 10);
    int64 size = 0;
    EXPECT_EQ(FGetEOF64(fd, &size), kErrNone);
    EXPECT_EQ(size, 10);
    // An unknown mode counts from the start.
    EXPECT_EQ(FMSeek(fd, 3, 9), kErrNone);
    EXPECT_EQ(Position(fd), 3);
}

TEST_F(OpenFiles, SetEndOfFileKeepsOrClampsThePosition) {
    auto p = Existing("e", "0123456789");
    OpenFile fd;
    ASSERT_EQ(FMOpen(fd.Out(), p.get(), kOpenReadWrite, kDenyNone), kErrNone);
    ASSERT_EQ(FMSeek(fd, 8, kSeekFromStart), kErrNone);
    EXPECT_EQ(FSetEOF64(fd, 4), kErrNone);
    EXPECT_EQ(Position(fd), 4);
    EXPECT_EQ(FSetEOF(fd, 100), kErrNone);
    EXPECT_EQ(Position(fd), 4);
    int64 size = 0;
    EXPECT_EQ(FGetEOF64(fd, &size), kErrNone);
    EXPECT_EQ(size, 100);
    ASSERT_EQ(FMSeek(fd, 50, kSeekFromStart), kErrNone);
    EXPECT_EQ(FSetEOF(fd, 50), kErrNone);
    EXPECT_EQ(Position(fd), 50);
    EXPECT_EQ(FSetEOF(fd, -1), kErrArgument);
    EXPECT_EQ(FSetEOF64(fd, -5), kErrArgument);
    EXPECT_EQ(FFlush(fd), kErrNone);
    FMClose(fd.Release());
    EXPECT_EQ(ReadText(OnDisk("e")), std::string("0123") + std::string(46, '\0'));
}

TEST_F(OpenFiles, DenyModesHoldWithinTheProcess) {
    auto p = Existing("d", "data");
    OpenFile first, second;
    ASSERT_EQ(FMOpen(first.Out(), p.get(), kOpenRead, kDenyReadWrite), kErrNone);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(FMOpen(second.Out(), p.get(), kOpenRead, kDenyNone), kErrFileBusy);
    // Three attempts with two waits of 50 ms between them.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(95));
    EXPECT_EQ(File(second), File(0));
    // A refused truncating open leaves the data alone.
    EXPECT_EQ(FCreateAlways(second.Out(), p.get(), 0, kOpenWrite, kDenyNone, nullptr), kErrFileBusy);
    FMClose(first.Release());
    EXPECT_EQ(ReadText(OnDisk("d")), "data");
    EXPECT_EQ(FMOpen(second.Out(), p.get(), kOpenRead, kDenyNone), kErrNone);
}

TEST_F(OpenFiles, DenyWriteAdmitsReadersOnly) {
    auto p = Existing("r", "data");
    OpenFile writerDenied, reader, writer;
    ASSERT_EQ(FMOpen(writerDenied.Out(), p.get(), kOpenRead, kDenyWrite), kErrNone);
    EXPECT_EQ(FMOpen(reader.Out(), p.get(), kOpenRead, kDenyNone), kErrNone);
    EXPECT_EQ(FMOpen(writer.Out(), p.get(), kOpenWrite, kDenyNone), kErrFileBusy);
    FMClose(reader.Release());
    // A newcomer that denies writing is refused while a writer holds the file.
    FMClose(writerDenied.Release());
    ASSERT_EQ(FMOpen(writer.Out(), p.get(), kOpenWrite, kDenyNone), kErrNone);
    EXPECT_EQ(FMOpen(reader.Out(), p.get(), kOpenRead, kDenyWrite), kErrFileBusy);
    EXPECT_EQ(FMOpen(reader.Out(), p.get(), kOpenRead, kDenyNone), kErrNone);
}

TEST_F(OpenFiles, PositionsAndLengthsAcrossThirtyTwoBits) {
    auto p = PathTo("big");
    OpenFile fd;
    ASSERT_EQ(FCreate(fd.Out(), p.get(), 0, kOpenReadWrite, kDenyNone, nullptr), kErrNone);
    const int64 big = int64(1) << 32;
    ASSERT_EQ(FSetEOF64(fd, big + 10), kErrNone);
    int64 size = 0;
    EXPECT_EQ(FGetEOF64(fd, &size), kErrNone);
    EXPECT_EQ(size, big + 10);
    int32 size32 = 0;
    EXPECT_EQ(FGetEOF(fd, &size32), kErrArgument);
    ASSERT_EQ(FMSeek64(fd, big + 4, kSeekFromStart), kErrNone);
    EXPECT_EQ(Position(fd), big + 4);
    int32 pos32 = 0;
    EXPECT_EQ(FMTell(fd, &pos32), kErrArgument);
    ASSERT_EQ(FMSeek(fd, -1, kSeekFromEnd), kErrNone);
    EXPECT_EQ(Position(fd), big + 9);
}

TEST_F(OpenFiles, FormattedOutput) {
    auto p = PathTo("f");
    OpenFile fd;
    ASSERT_EQ(FCreate(fd.Out(), p.get(), 0, kOpenWrite, kDenyNone, nullptr), kErrNone);
    EXPECT_EQ(FPrintf(fd, "%d-%s", 42, "x"), 4);
    EXPECT_EQ(FPrintfWErr(fd, "[%d]", 7), kErrNone);
    EXPECT_EQ(FPrintf(0, "%d", 12345), 5);
    FMClose(fd.Release());
    EXPECT_EQ(ReadText(OnDisk("f")), "42-x[7]");
    ASSERT_EQ(FMOpen(fd.Out(), p.get(), kOpenRead, kDenyNone), kErrNone);
    EXPECT_EQ(FPrintf(fd, "abc"), -1);
    EXPECT_EQ(FPrintfWErr(fd, "abc"), kErrPermission);
}

TEST_F(OpenFiles, DateConversionStartsIn1904) {
    TQFileTime ft{};
    SecsToWin32FileTime(0, &ft);
    // 1904-01-01 is 110667 days (9561628800 s) after 1601-01-01.
    const uInt64 ticks = uInt64(ft.dwHighDateTime) << 32 | ft.dwLowDateTime;
    EXPECT_EQ(ticks, 9561628800ull * 10000000ull);
    SecsToWin32FileTime(86400, &ft);
    EXPECT_EQ((uInt64(ft.dwHighDateTime) << 32 | ft.dwLowDateTime) - ticks, 86400ull * 10000000ull);
    SecsToWin32FileTime(1, nullptr);
}

}  // namespace

namespace {

// Many threads opening one file at once: readers that deny writing admit each other, a writer gets in only
// between them, and nothing of theirs is left behind once all have closed.
TEST_F(OpenFiles, ConcurrentOpensKeepTheDenyTableWhole) {
    auto p = Existing("c", "shared data");
    std::atomic<int> unexpected{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                File fd = 0;
                const TqErr err = FMOpen(&fd, p.get(), kOpenRead, kDenyWrite);
                if (err != kErrNone || FMClose(fd) != kErrNone) ++unexpected;
            }
        });
    threads.emplace_back([&] {
        for (int i = 0; i < 5; ++i) {
            File fd = 0;
            const TqErr err = FMOpen(&fd, p.get(), kOpenWrite, kDenyNone);
            if (err == kErrNone)
                FMClose(fd);
            else if (err != kErrFileBusy)
                ++unexpected;
        }
    });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(unexpected.load(), 0);
    OpenFile alone;
    EXPECT_EQ(FMOpen(alone.Out(), p.get(), kOpenReadWrite, kDenyReadWrite), kErrNone);
}

}  // namespace
