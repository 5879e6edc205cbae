#include <gtest/gtest.h>

#include <cstdint>

#include "platform/ExceptionFilter.h"
#include "support/Wine.h"

namespace {

using namespace tq::platform;

int32 StackOverflowOnly(int32 code) {
    return uInt32(code) == kExceptionStackOverflow ? 1 : 0;
}

volatile int gSink;
volatile int gNoLimit = -1;
// Hidden from the compiler and the sanitizers so the write really faults.
volatile uintptr_t gUnmappedAddress = 16;

void WriteToUnmappedMemory() {
    *reinterpret_cast<volatile int*>(gUnmappedAddress) = 1;
}

// Each frame keeps a buffer alive across the call, so the recursion cannot become a loop.
__attribute__((noinline)) int Recurse(int depth) {
    if (depth == gNoLimit) return 0;
    volatile char frame[1024];
    frame[depth % sizeof frame] = char(depth);
    gSink = frame[0];
    return Recurse(depth + 1) + frame[depth % 7];
}

// The exit status carries the whole code on Windows and its low byte on POSIX.
bool EndedWithCode(int status, uInt32 code) {
    return ::testing::ExitedWithCode(int(code))(status) ||
           ::testing::ExitedWithCode(int(code & 0xFF))(status);
}

TEST(ExceptionFilterDeathTest, StackOverflowEndsQuietlyWithItsCode) {
    TQ_SKIP_UNDER_WINE(
        "Wine finds no room to dispatch the stack-overflow exception and ends the process with 1");
    EXPECT_EXIT(
        {
            SetOutermostExceptionFilter(StackOverflowOnly);
            gSink = Recurse(0);
        },
        [](int status) { return EndedWithCode(status, kExceptionStackOverflow); }, "");
}

TEST(ExceptionFilterDeathTest, DeclinedFaultTakesItsUsualCourse) {
    EXPECT_EXIT(
        {
            SetOutermostExceptionFilter(StackOverflowOnly);
            WriteToUnmappedMemory();
        },
        [](int status) { return status != 0 && !EndedWithCode(status, kExceptionStackOverflow); }, "");
}

TEST(ExceptionFilterDeathTest, AcceptedAccessViolationEndsWithItsCode) {
    EXPECT_EXIT(
        {
            SetOutermostExceptionFilter([](int32) -> int32 { return 1; });
            WriteToUnmappedMemory();
        },
        [](int status) { return EndedWithCode(status, kExceptionAccessViolation); }, "");
}

}  // namespace
