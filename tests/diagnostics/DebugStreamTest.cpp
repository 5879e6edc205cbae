#include <gtest/gtest.h>

#include <string>

#include "tqcore/diagnostics.h"

namespace {

struct Captured {
    int count = 0;
    DebugOutputLevel level = -1;
    uInt32 site = 0;
    std::string text;
};
Captured gCaptured;

void Capture(const char*, int32, const char*, DebugOutputLevel level, uInt32 site, const char* message) {
    ++gCaptured.count;
    gCaptured.level = level;
    gCaptured.site = site;
    gCaptured.text = message;
}

class DebugStreamTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gCaptured = {};
        DebugOutputResetNumEvents();
    }
    void TearDown() override { DebugOutputSetHandler(nullptr); }
};

TEST_F(DebugStreamTest, AppendStopsAtCapacityAndStaysTerminated) {
    DebugStream s("unit", 1, "r", kDbgNote);
    const std::string chunk(1000, 'x');
    for (int i = 0; i < 3; ++i) s.Append(chunk.c_str());
    s.Append('y');
    EXPECT_EQ(std::string(s.Text()).size(), 2047u);
}

TEST_F(DebugStreamTest, HandlerReceivesMessageAndCountersStayUntouched) {
    DebugOutputSetHandler(Capture);
    DebugStream s("unit", 7, "r", kDbgFatal);
    s.SetSiteId(99);
    ToDebugStream(s, "value=");
    ToDebugStream(s, int32(-5));
    ToDebugStream(s, " ok=");
    ToDebugStream(s, true);
    s.Process();
    EXPECT_EQ(gCaptured.count, 1);
    EXPECT_EQ(gCaptured.level, kDbgFatal);
    EXPECT_EQ(gCaptured.site, 99u);
    EXPECT_EQ(gCaptured.text, "value=-5 ok=true");
    EXPECT_EQ(DebugOutputGetNumEvents(kDbgFatal), 0);
}

TEST_F(DebugStreamTest, WithoutHandlerLowLevelOnlyCounts) {
    DebugStream s("unit", 1, "r", kDbgError);
    s.Append("quiet");
    s.Process();
    EXPECT_EQ(DebugOutputGetNumEvents(kDbgError), 1);
    EXPECT_EQ(DebugOutputGetNumEvents(kDbgNote), 0);
}

TEST(DebugStreamDeathTest, FatalWithoutHandlerEndsProcessWithCodeOne) {
    EXPECT_EXIT(
        {
            DebugStream s("unit", 1, "r", kDbgFatal);
            s.Append("fatal");
            s.Process();
        },
        ::testing::ExitedWithCode(1), "");
}

}  // namespace
