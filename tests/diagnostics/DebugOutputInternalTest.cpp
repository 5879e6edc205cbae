#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/MemoryProbe.h"
#include "support/ReportCapture.h"
#include "tqcore/core.h"
#include "tqcore/diagnostics.h"

namespace {

class DebugOutputTest : public ReportCaptureTest {};

std::string AddressColumn(const void* p) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08X  ", unsigned(reinterpret_cast<uintptr_t>(p) & 0xFFFFFFFFu));
    return buf;
}

TEST_F(DebugOutputTest, StopHereReportsAtLevelZero) {
    StopHere("checkpoint");
    StopHere(nullptr);
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[0].text, "StopHere: checkpoint");
    EXPECT_EQ(Messages()[0].level, kDbgNote);
    EXPECT_EQ(Messages()[1].text, "StopHere: ");
}

TEST_F(DebugOutputTest, DumpShowsHexAndCharactersSixteenBytesALine) {
    const char data[21] = "Hello, dump!\x01\x7f\x80 tail";
    DumpSomeMemory(data, 20);
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[0].level, kDbgNote);
    EXPECT_EQ(Messages()[0].text,
              AddressColumn(data) + "48 65 6C 6C 6F 2C 20 64 75 6D 70 21 01 7F 80 20   Hello, dump!... ");
    EXPECT_EQ(Messages()[1].text,
              AddressColumn(data + 16) + "74 61 69 6C " + std::string(12 * 3, ' ') + "  tail");
    DumpSomeMemory(data, 0);
    DumpSomeMemory(data, -5);
    EXPECT_EQ(Messages().size(), 2u);
}

TEST_F(DebugOutputTest, DumpMarksUnreadableBytes) {
    uInt8* bytes = tq::platform::AllocateBytesBeforeUnreadablePage(10);
    ASSERT_NE(bytes, nullptr);
    std::memcpy(bytes, "ABCDEFGHIJ", 10);
    uInt8 probe = 0;
    EXPECT_TRUE(tq::platform::ReadOwnMemoryByte(bytes + 9, &probe));
    EXPECT_EQ(probe, 'J');
    EXPECT_FALSE(tq::platform::ReadOwnMemoryByte(bytes + 10, &probe));
    DumpSomeMemory(bytes, 16);
    tq::platform::FreeBytesBeforeUnreadablePage(bytes);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text,
              AddressColumn(bytes) + "41 42 43 44 45 46 47 48 49 4A ?? ?? ?? ?? ?? ??   ABCDEFGHIJ......");

    DumpSomeMemory(nullptr, 3);
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[1].text, "00000000  ?? ?? ?? " + std::string(13 * 3, ' ') + "  ...");
}

TEST(EventLoggingTest, CallsDoNothingAndOutputsReadZero) {
    EXPECT_EQ(InitEventLoggingMgr(), kErrNone);
    EventLoggingEnable(1);
    EventLoggingConfigure(7, 4096);
    EventLoggingSetFlags(3, 3);
    EventLoggingLogUserEvent(1, 2);
    const char buffer[4] = {1, 2, 3, 4};
    EventLoggingLogUserBuffer(buffer, 4);
    EventLoggingEnumerateThreads();
    EventLoggingClearLog();
    uInt32 a = 5, b = 6;
    EXPECT_EQ(EventLoggingGetFlags(&a, &b), 0);
    EXPECT_EQ(a, 0u);
    EXPECT_EQ(b, 0u);
    EXPECT_EQ(EventLoggingGetFlags(nullptr, nullptr), 0);
    uInt32 o[5] = {1, 2, 3, 4, 5}, target = 9;
    uInt32* last = &target;
    EXPECT_EQ(EventLoggingEnumLogEntry(0, &o[0], &o[1], nullptr, &o[3], &o[4], &last), 0);
    EXPECT_EQ(o[0] + o[1] + o[3] + o[4], 0u);
    EXPECT_EQ(o[2], 3u);
    EXPECT_EQ(target, 0u);
    EXPECT_EQ(EventLoggingEnumLogEntry(1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
    UnInitEventLoggingMgr();
}

}  // namespace
