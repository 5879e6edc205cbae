#include <gtest/gtest.h>

#include "platform/ExceptionFilter.h"
#include "support/Faults.h"
#include "support/Wine.h"

namespace {

using namespace tq::platform;
using tq::test::EndedWithCode;

int32 StackOverflowOnly(int32 code) {
    return uInt32(code) == kExceptionStackOverflow ? 1 : 0;
}

TEST(ExceptionFilterDeathTest, StackOverflowReachesTheFilter) {
    TQ_SKIP_UNDER_WINE(
        "Wine finds no room to dispatch the stack-overflow exception and ends the process with 1");
    EXPECT_EXIT(
        {
            SetOutermostExceptionFilter(StackOverflowOnly);
            tq::test::gFaultSink = tq::test::RecurseForever(0);
        },
        [](int status) { return EndedWithCode(status, kExceptionStackOverflow); }, "");
}

TEST(ExceptionFilterDeathTest, DeclinedFaultTakesItsUsualCourse) {
    EXPECT_EXIT(
        {
            SetOutermostExceptionFilter(StackOverflowOnly);
            tq::test::WriteToUnmappedMemory();
        },
        [](int status) { return status != 0 && !EndedWithCode(status, kExceptionStackOverflow); }, "");
}

TEST(ExceptionFilterDeathTest, AcceptedAccessViolationEndsWithItsCode) {
    EXPECT_EXIT(
        {
            SetOutermostExceptionFilter([](int32) -> int32 { return 1; });
            tq::test::WriteToUnmappedMemory();
        },
        [](int status) { return EndedWithCode(status, kExceptionAccessViolation); }, "");
}

}  // namespace
