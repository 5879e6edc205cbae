// The event queue's ring: order across growth and wrap-around, sweeps that keep, remove and stop, and
// erasure from either half.
#include <gtest/gtest.h>

#include <vector>

#include "occurrences/EventRing.h"

namespace {

using tq::occurrences::EventRing;
using tq::occurrences::SweepAnswer;

std::vector<int> Contents(const EventRing<int>& ring) {
    std::vector<int> out;
    for (size_t i = 0; i < ring.Size(); ++i) out.push_back(ring[i]);
    return out;
}

// Leaves the ring's first entry in the middle of its storage, so that later entries wrap.
void FillWrapped(EventRing<int>& ring, int count) {
    for (int i = 0; i < 50; ++i) ASSERT_TRUE(ring.PushBack(-1));
    ring.Sweep([](int& v) { return v == -1 ? SweepAnswer::kRemove : SweepAnswer::kStop; });
    for (int i = 0; i < count; ++i) ASSERT_TRUE(ring.PushBack(i));
}

TEST(EventRingTest, KeepsPostingOrderAcrossWrapAndGrowth) {
    EventRing<int> ring;
    FillWrapped(ring, 300);
    ASSERT_EQ(ring.Size(), 300u);
    for (int i = 0; i < 300; ++i) EXPECT_EQ(ring[size_t(i)], i);
}

TEST(EventRingTest, SweepRemovesChosenEntriesAndKeepsTheRestInOrder) {
    EventRing<int> ring;
    FillWrapped(ring, 40);
    std::vector<int> visited;
    const size_t removed = ring.Sweep([&](int& v) {
        visited.push_back(v);
        if (v == 30) return SweepAnswer::kStop;
        return v % 3 == 0 ? SweepAnswer::kKeep : SweepAnswer::kRemove;
    });
    std::vector<int> expectVisited, expectLeft;
    for (int i = 0; i <= 30; ++i) expectVisited.push_back(i);
    for (int i = 0; i < 40; ++i)
        if (i % 3 == 0 || i > 30) expectLeft.push_back(i);
    EXPECT_EQ(visited, expectVisited);
    EXPECT_EQ(removed, 40u - expectLeft.size());
    EXPECT_EQ(Contents(ring), expectLeft);
    // The ring still takes posts at its end after the sweep moved its front.
    ASSERT_TRUE(ring.PushBack(99));
    expectLeft.push_back(99);
    EXPECT_EQ(Contents(ring), expectLeft);
}

TEST(EventRingTest, SweepThatKeepsEverythingChangesNothing) {
    EventRing<int> ring;
    FillWrapped(ring, 20);
    EXPECT_EQ(ring.Sweep([](int&) { return SweepAnswer::kKeep; }), 0u);
    ASSERT_EQ(ring.Size(), 20u);
    EXPECT_EQ(ring[19], 19);
    EXPECT_EQ(ring.Sweep([](int&) { return SweepAnswer::kRemove; }), 20u);
    EXPECT_EQ(ring.Size(), 0u);
}

TEST(EventRingTest, EraseFromEitherHalfKeepsOrder) {
    EventRing<int> ring;
    FillWrapped(ring, 10);
    ring.Erase(2);
    ring.Erase(7);
    EXPECT_EQ(Contents(ring), (std::vector<int>{0, 1, 3, 4, 5, 6, 7, 9}));
    ring.Erase(0);
    ring.Erase(ring.Size() - 1);
    EXPECT_EQ(Contents(ring), (std::vector<int>{1, 3, 4, 5, 6, 7}));
    ring.Clear();
    EXPECT_EQ(ring.Size(), 0u);
    ASSERT_TRUE(ring.PushBack(5));
    EXPECT_EQ(Contents(ring), (std::vector<int>{5}));
}

}  // namespace
