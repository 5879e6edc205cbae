#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "memory/MemoryManager.h"
#include "memory/MemoryUtil.h"
#include "support/ReportCapture.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

namespace {

struct GuardFailure {
    void* data;
    int32 kind;
    std::string detail;
};
std::vector<GuardFailure> gFailures;

void RecordFailure(void* data, int32 kind, const char* detail) {
    gFailures.push_back({data, kind, detail ? detail : ""});
}

class GuardBytesTest : public ::testing::Test {
  protected:
    ReportCapture capture;
    void SetUp() override {
        ASSERT_TRUE(tq::memory::SetHandleAndPtrGuardModes(kGuardModeCheck, kGuardModeCheck));
        gFailures.clear();
        previous_ = SetGuardByteCheckFailedProc(RecordFailure);
    }
    void TearDown() override {
        SetGuardByteCheckFailedProc(previous_);
        EXPECT_TRUE(tq::memory::SetHandleAndPtrGuardModes(kGuardModeOff, kGuardModeOff));
    }
    GuardByteCheckFailedProc previous_ = nullptr;
};

TEST_F(GuardBytesTest, RearDamageOnAHandleIsCaughtByEveryOperation) {
    UHandle h = DSNewHandle(20);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(std::memcmp(*h - 8, "PEL14MEM", 8), 0);
    EXPECT_EQ(std::memcmp(*h + 20, "PEL14MEM", 8), 0);
    EXPECT_EQ(DSCheckHandleGuardBytes(h), 1);
    const uChar saved = (*h)[20];
    (*h)[20] ^= 0x55;
    EXPECT_EQ(DSCheckHandle(h), kErrBadHandle);
    EXPECT_EQ(DSCheckHandleGuardBytes(h), 0);
    ASSERT_FALSE(gFailures.empty());
    EXPECT_EQ(gFailures.back().kind, 1);
    EXPECT_EQ(gFailures.back().data, *h);
    EXPECT_EQ(DSGetHandleSize(h), 0);
    EXPECT_EQ(DSSetHandleSize(h, 40), kErrBadHandle);
    EXPECT_EQ(DSDisposeHandle(h), kErrBadHandle);  // kept, not freed
    EXPECT_GE(ReportCapture::Count(kDbgFatal, "Damaged guard bytes"), 3);
    (*h)[20] = saved;
    EXPECT_EQ(DSCheckHandle(h), kErrNone);
    EXPECT_EQ(DSDisposeHandle(h), kErrNone);
}

TEST_F(GuardBytesTest, FrontDamageAndForeignVersionAreTold) {
    UHandle h = DSNewHandle(1030);  // aligned layout
    (*h)[-1] ^= 1;
    EXPECT_EQ(DSCheckHandle(h), kErrBadHandle);
    ASSERT_FALSE(gFailures.empty());
    EXPECT_EQ(gFailures.back().kind, 0);
    (*h)[-1] ^= 1;
    std::memcpy(*h - 5, "15", 2);
    std::memcpy(*h + 1030 + 3, "15", 2);
    EXPECT_EQ(DSCheckHandle(h), kErrBadHandle);
    EXPECT_EQ(gFailures.back().kind, 2);
    EXPECT_EQ(gFailures.back().detail, "15");
    std::memcpy(*h - 5, "14", 2);
    std::memcpy(*h + 1030 + 3, "14", 2);
    EXPECT_EQ(DSDisposeHandle(h), kErrNone);
}

TEST_F(GuardBytesTest, GuardsFollowResizesAndAlignment) {
    UHandle h = DSNewAlignedHandle(10, 256, 12);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ((reinterpret_cast<uintptr_t>(*h) + 12) % 256, 0u);
    for (uInt64 size : {12u, 3000u, 16u, 1u << 20, 7u, 0u, 100u}) {
        ASSERT_EQ(DSSetHSzClr(h, size), kErrNone) << size;
        EXPECT_EQ(DSCheckHandle(h), kErrNone) << size;
        EXPECT_EQ(std::memcmp(*h + size, "PEL14MEM", 8), 0) << size;
    }
    ASSERT_EQ(DSSetAlignedHandleSize(h, 64, 4096, 8), kErrNone);
    EXPECT_EQ((reinterpret_cast<uintptr_t>(*h) + 8) % 4096, 0u);
    EXPECT_EQ(DSCheckHandle(h), kErrNone);
    EXPECT_TRUE(gFailures.empty());
    EXPECT_EQ(DSDisposeHandle(h), kErrNone);
}

TEST_F(GuardBytesTest, PointerGuards) {
    UPtr p = DSNewPtr(5);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::memcmp(p + 5, "PEL14MEM", 8), 0);
    EXPECT_EQ(DSCheckPtr(p), kErrNone);
    p[5] = 0;
    EXPECT_EQ(DSCheckPtr(p), kErrBadHandle);
    EXPECT_EQ(DSCheckPtrGuardBytes(p), 0);
    EXPECT_EQ(DSDisposePtr(p), kErrBadHandle);
    EXPECT_EQ(gFailures.back().kind, 1);
    p[5] = 'P';
    p[-8] = 0;
    EXPECT_EQ(DSDisposePtr(p), kErrBadHandle);
    EXPECT_EQ(gFailures.back().kind, 0);
    p[-8] = 'P';
    EXPECT_EQ(DSCheckPtrGuardBytes(p), 1);
    EXPECT_EQ(DSDisposePtr(p), kErrNone);
    EXPECT_EQ(DSCheckPtrGuardBytes(nullptr), 0);
    EXPECT_EQ(ReportCapture::Count(kDbgBroken, "NULL ptr passed to CheckGuards"), 1);
    EXPECT_EQ(DSCheckHandleGuardBytes(nullptr), 0);
    EXPECT_EQ(ReportCapture::Count(kDbgBroken, "NULL handle passed to DSCheckHandleGuardBytes"), 1);
}

TEST_F(GuardBytesTest, AllocModeWritesButOnlyChecksWhenAsked) {
    ASSERT_TRUE(tq::memory::SetHandleAndPtrGuardModes(kGuardModeAlloc, kGuardModeAlloc));
    EXPECT_EQ(ShouldCheckHandleGuardBytes(), 0);
    UHandle h = DSNewHandle(8);
    (*h)[8] = 0;
    EXPECT_EQ(DSCheckHandle(h), kErrNone);  // not verified in alloc mode
    EXPECT_EQ(DSCheckHandleGuardBytes(h), 0);
    // new/delete blocks have no guard room here, so not every kind could change
    EXPECT_EQ(ConfigGuardBytes(1), 0);
    EXPECT_EQ(ShouldCheckHandleGuardBytes(), 1);
    EXPECT_EQ(DSCheckHandle(h), kErrBadHandle);
    EXPECT_EQ(ConfigGuardBytes(0), 0);
    EXPECT_EQ(ShouldCheckHandleGuardBytes(), 0);
    (*h)[8] = 'P';
    EXPECT_EQ(DSDisposeHandle(h), kErrNone);
}

TEST_F(GuardBytesTest, WithoutAProcedureTheFailureIsReported) {
    SetGuardByteCheckFailedProc(nullptr);
    UHandle h = DSNewHandle(3);
    (*h)[3] = 0;
    EXPECT_EQ(DSCheckHandle(h), kErrBadHandle);
    EXPECT_EQ(ReportCapture::Count(kDbgBroken, "No guard byte check failed reporting proc installed!"), 1);
    (*h)[3] = 'P';
    EXPECT_EQ(DSDisposeHandle(h), kErrNone);
}

TEST_F(GuardBytesTest, ModesCannotChangeUnderLiveHandles) {
    UHandle h = DSNewHandle(1);
    EXPECT_FALSE(tq::memory::SetHandleAndPtrGuardModes(kGuardModeOff, kGuardModeOff));
    EXPECT_EQ(DSDisposeHandle(h), kErrNone);
}

}  // namespace
