#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/ThreadExit.h"

namespace {

std::mutex gSeenLock;
std::vector<void*> gSeen;

void Record(void* value) {
    std::lock_guard lock(gSeenLock);
    gSeen.push_back(value);
}

TEST(ThreadExitTest, EachEndingThreadHandsOverItsOwnValueOnce) {
    const uInt32 slot = tq::platform::ThreadExitSlotCreate(Record);
    ASSERT_NE(slot, tq::platform::kNoThreadExitSlot);
    int a = 0, b = 0, c = 0;
    bool setA = false, setB = false, cleared = false;
    std::thread ta([&] { setA = tq::platform::ThreadExitSlotSet(slot, &a); });
    std::thread tb([&] { setB = tq::platform::ThreadExitSlotSet(slot, &b); });
    // A value taken back before the end asks for no notice.
    std::thread tc([&] {
        cleared = tq::platform::ThreadExitSlotSet(slot, &c) && tq::platform::ThreadExitSlotSet(slot, nullptr);
    });
    std::thread none([] {});
    ta.join();
    tb.join();
    tc.join();
    none.join();
    EXPECT_TRUE(setA && setB && cleared);
    std::lock_guard lock(gSeenLock);
    ASSERT_EQ(gSeen.size(), 2u);
    EXPECT_EQ(std::count(gSeen.begin(), gSeen.end(), &a), 1);
    EXPECT_EQ(std::count(gSeen.begin(), gSeen.end(), &b), 1);
}

}  // namespace
