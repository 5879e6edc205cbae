#include <gtest/gtest.h>

#include <cstring>

#include "memory/MemoryUtil.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

namespace {

// Filled by the guard-failure procedure without allocating: the new/delete blocks are in another layout
// while the checks run.
struct Failure {
    void* data;
    int32 kind;
    char detail[3];
};
Failure gFailures[4];
int gCount = 0;

void Record(void* data, int32 kind, const char* detail) {
    if (gCount == 4) return;
    Failure& f = gFailures[gCount++];
    f.data = data;
    f.kind = kind;
    f.detail[0] = detail ? detail[0] : 0;
    f.detail[1] = detail ? detail[1] : 0;
    f.detail[2] = 0;
}

struct Block {
    uInt64 size;
    char front[8];
    char rear[8];
};

// Runs with the library's operator new and delete on blocks without guards: nothing here may allocate or free
// through them while the tracked blocks carry guards, so results are kept in plain variables.
TEST(TrackedMallocTest, GuardedBlocksAndTheGuardFailureProcedure) {
    using tq::memory::kGuardNewDelete;
    tq::memory::EnsureConfigured();
    const uInt32 before = tq::memory::GuardMode(kGuardNewDelete);
    GuardByteCheckFailedProc previous = SetGuardByteCheckFailedProc(Record);
    gCount = 0;
    tq::memory::SetGuardMode(kGuardNewDelete, kGuardModeCheck);

    auto* p = static_cast<char*>(TrackedMalloc(10));
    Block seen{};
    std::memcpy(&seen.size, p - 16, 8);
    std::memcpy(seen.front, p - 8, 8);
    std::memcpy(seen.rear, p + 10, 8);
    TrackedFree(p);  // intact: no call
    const int afterIntact = gCount;

    auto* rear = static_cast<char*>(TrackedMalloc(4));
    rear[4] = 'x';
    TrackedFree(rear);
    auto* front = static_cast<char*>(TrackedMalloc(4));
    front[-1] = 'x';
    TrackedFree(front);
    auto* other = static_cast<char*>(TrackedMalloc(0));
    std::memcpy(other - 8, "PEL13MEM", 8);
    std::memcpy(other, "PEL13MEM", 8);
    TrackedFree(other);
    TrackedFree(nullptr);

    tq::memory::SetGuardMode(kGuardNewDelete, before);
    SetGuardByteCheckFailedProc(previous);

    EXPECT_EQ(seen.size, 10u);
    EXPECT_EQ(std::memcmp(seen.front, "PEL14MEM", 8), 0);
    EXPECT_EQ(std::memcmp(seen.rear, "PEL14MEM", 8), 0);
    EXPECT_EQ(afterIntact, 0);
    ASSERT_EQ(gCount, 3);
    EXPECT_EQ(gFailures[0].data, rear);
    EXPECT_EQ(gFailures[0].kind, 1);
    EXPECT_STREQ(gFailures[0].detail, "");
    EXPECT_EQ(gFailures[1].data, front);
    EXPECT_EQ(gFailures[1].kind, 0);
    EXPECT_EQ(gFailures[2].data, other);
    EXPECT_EQ(gFailures[2].kind, 2);
    EXPECT_STREQ(gFailures[2].detail, "13");
}

TEST(TrackedMallocTest, PlainBlocksAndTheNoOpTrackerCalls) {
    void* p = TrackedMalloc(0);
    ASSERT_NE(p, nullptr);
    TrackedFree(p);
    EXPECT_EQ(TrackedMalloc(uInt64(1) << 60), nullptr);
    TrackedMallocDumpTracker();
    TrackedMallocResetTracker();
}

}  // namespace
