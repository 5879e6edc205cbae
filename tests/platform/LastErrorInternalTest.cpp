#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/Debugger.h"
#include "platform/LastError.h"

namespace {

using namespace tq::platform;

// Win32 keeps the value in the OS, where any later system call may replace it, so each value is read back
// before the thread makes another call; the handshake spins on atomics for that reason.
TEST(LastErrorTest, EachThreadKeepsItsOwnValue) {
    std::atomic<int> step{0};
    uInt32 initialInOther = 1, setInOther = 0;
    std::thread other([&] {
        initialInOther = GetLastError();
        SetLastError(kWinDiskFull);
        step.store(1);
        while (step.load() != 2) {
        }
        setInOther = GetLastError();
    });
    while (step.load() != 1) {
    }
    SetLastError(kWinSharingViolation);
    step.store(2);
    const uInt32 mine = GetLastError();
    other.join();
    EXPECT_EQ(initialInOther, kWinSuccess);
    EXPECT_EQ(setInOther, kWinDiskFull);
    EXPECT_EQ(mine, kWinSharingViolation);
    SetLastError(kWinSuccess);
    EXPECT_EQ(GetLastError(), kWinSuccess);
}

TEST(DebuggerTest, BreakWithoutDebuggerReturnsAndNullTextIsIgnored) {
    if (IsDebuggerAttached()) GTEST_SKIP() << "a debugger is attached";
    OutputDebugText(nullptr);
    OutputDebugText("debugger channel test");
    BreakIfDebugged();
    SUCCEED();
}

TEST(DebuggerDeathTest, TerminateProcessEndsWithTheGivenCode) {
    EXPECT_EXIT(TerminateProcess(7), ::testing::ExitedWithCode(7), "");
    EXPECT_EXIT(TerminateProcess(0), ::testing::ExitedWithCode(0), "");
}

}  // namespace
