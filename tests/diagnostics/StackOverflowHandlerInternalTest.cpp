#include <gtest/gtest.h>

#include <thread>

#include "diagnostics/StackOverflowHandler.h"
#include "platform/ExceptionFilter.h"
#include "support/Faults.h"
#include "support/Wine.h"

namespace {

using tq::test::EndedWithCode;
constexpr uInt32 kOverflow = tq::platform::kExceptionStackOverflow;

TEST(StackOverflowHandlerDeathTest, OverflowOnAnyPreparedThreadEndsWithTheOverflowStatus) {
    TQ_SKIP_UNDER_WINE(
        "Wine finds no room to dispatch the stack-overflow exception and ends the process with 1");
    EXPECT_EXIT(
        {
            tq::diagnostics::InstallStackOverflowHandler();
            tq::test::gFaultSink = tq::test::RecurseForever(0);
        },
        [](int status) { return EndedWithCode(status, kOverflow); }, "");
    EXPECT_EXIT(
        {
            tq::diagnostics::InstallStackOverflowHandler();
            std::thread worker([] {
                tq::diagnostics::PrepareThreadForStackOverflow();
                tq::test::gFaultSink = tq::test::RecurseForever(0);
            });
            worker.join();
        },
        [](int status) { return EndedWithCode(status, kOverflow); }, "");
}

TEST(StackOverflowHandlerDeathTest, OtherFaultsAreNotSwallowed) {
    EXPECT_EXIT(
        {
            tq::diagnostics::InstallStackOverflowHandler();
            tq::test::WriteToUnmappedMemory();
        },
        [](int status) { return status != 0 && !EndedWithCode(status, kOverflow); }, "");
}

}  // namespace
