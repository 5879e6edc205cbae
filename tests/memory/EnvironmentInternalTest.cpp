#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "memory/MemoryUtil.h"
#include "tqcore/memory.h"

namespace {

void SetEnv(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value);
#else
    setenv(name, value, 1);
#endif
}

void UnsetEnv(const char* name) {
#ifdef _WIN32
    _putenv_s(name, "");
#else
    unsetenv(name);
#endif
}

using tq::memory::GuardMode;
using tq::memory::kGuardHandles;
using tq::memory::kGuardNewDelete;
using tq::memory::kGuardPtrs;

TEST(MemoryEnvironmentTest, ParsersAcceptTheDocumentedWords) {
    EXPECT_EQ(tq::memory::ParseGuardMode("off", kGuardModeCheck), kGuardModeOff);
    EXPECT_EQ(tq::memory::ParseGuardMode("alloc", 0), kGuardModeAlloc);
    EXPECT_EQ(tq::memory::ParseGuardMode("check", 0), kGuardModeCheck);
    EXPECT_EQ(tq::memory::ParseGuardMode("CHECK", 3), 3u);
    EXPECT_EQ(tq::memory::ParseGuardMode(nullptr, 7), 7u);
    EXPECT_EQ(tq::memory::ParseHandleCheck("all", 0), 2);
    EXPECT_EQ(tq::memory::ParseHandleCheck("2", 0), 2);
    EXPECT_EQ(tq::memory::ParseHandleCheck("resize", 0), 1);
    EXPECT_EQ(tq::memory::ParseHandleCheck("1", 0), 1);
    for (const char* zero : {"off", "none", "0", ""})
        EXPECT_EQ(tq::memory::ParseHandleCheck(zero, 2), 0) << zero;
    EXPECT_EQ(tq::memory::ParseHandleCheck("3", 2), 2);
    EXPECT_EQ(tq::memory::ParseHandleCheck(nullptr, 1), 1);
}

// The environment is read once, at the first memory operation of a process, so each case runs in a fresh
// child process that inherits the variables.
class MemoryEnvironmentDeathTest : public ::testing::Test {
  protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
    void TearDown() override {
        for (const char* name : {"PKGuardBytes", "PKGuardBytes_Handle", "PKGuardBytes_Ptr",
                                 "PKGuardBytes_NewDelete", "PKHandleCheck"})
            UnsetEnv(name);
    }
};

// Exits 0 when the child's configuration matches, else with a code naming the first mismatch.
[[noreturn]] void ExitUnlessConfigured(uInt32 handles, uInt32 ptrs, uInt32 newDelete, int32 level) {
    DSDisposeHandle(DSNewHandle(1));
    int code = 0;
    if (GuardMode(kGuardHandles) != handles)
        code = 2;
    else if (GuardMode(kGuardPtrs) != ptrs)
        code = 3;
    else if (GuardMode(kGuardNewDelete) != newDelete)
        code = 4;
    else if (DSSetHandleChecking(2) != level)
        code = 5;
    std::_Exit(code);
}

TEST_F(MemoryEnvironmentDeathTest, CommonVariableFillsEveryUnsetKind) {
    SetEnv("PKGuardBytes", "check");
    SetEnv("PKGuardBytes_Ptr", "off");
    SetEnv("PKGuardBytes_Handle", "bogus");  // set but unknown: the mode stays off
    SetEnv("PKHandleCheck", "resize");
    EXPECT_EXIT(ExitUnlessConfigured(kGuardModeOff, kGuardModeOff, kGuardModeCheck, 1),
                ::testing::ExitedWithCode(0), "");
}

TEST_F(MemoryEnvironmentDeathTest, OwnVariablesWithoutTheCommonOne) {
    SetEnv("PKGuardBytes_Handle", "alloc");
    SetEnv("PKGuardBytes_Ptr", "check");
    SetEnv("PKHandleCheck", "none");
    EXPECT_EXIT(ExitUnlessConfigured(kGuardModeAlloc, kGuardModeCheck, kGuardModeOff, 0),
                ::testing::ExitedWithCode(0), "");
}

void CountRearFailures(void*, int32 kind, const char*) {
    if (kind == 1) std::_Exit(7);
}

TEST_F(MemoryEnvironmentDeathTest, CheckedNewDeleteBlocksCatchAnOverrun) {
    SetEnv("PKGuardBytes_NewDelete", "check");
    EXPECT_EXIT(
        {
            SetGuardByteCheckFailedProc(CountRearFailures);
            // called as functions, since a new-expression and its delete may be elided
            auto* bytes = static_cast<char*>(::operator new[](10));
            char* volatile escaped = bytes;
            escaped[10] = 'a';  // one byte too many, into the rear guard
            ::operator delete[](bytes);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(7), "");
}

}  // namespace
