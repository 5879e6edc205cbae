#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

#include "tqcore/core.h"
#include "tqcore/numerics.h"

namespace {

// The generator written out independently, in exact rational arithmetic terms, for comparison.
double Expected(uInt32 s1, uInt32 s2, uInt32 s3) {
    const double x = s1 * (1.0 / 30269) + s2 * (1.0 / 30307) + s3 * (1.0 / 30323);
    return x - std::floor(x);
}

TEST(RandomGen, OneStepFromUnitSeeds) {
    uInt32 state[3] = {1, 1, 1};
    double v = -1;
    RandomGenWithState(&v, state);
    EXPECT_EQ(state[0], 171u);
    EXPECT_EQ(state[1], 172u);
    EXPECT_EQ(state[2], 170u);
    EXPECT_EQ(v, Expected(171, 172, 170));
    RandomGenWithState(&v, state);
    EXPECT_EQ(state[0], 171u * 171 % 30269);
    EXPECT_EQ(state[1], 172u * 172 % 30307);
    EXPECT_EQ(state[2], 170u * 170 % 30323);
}

TEST(RandomGen, FixedSeedGivesTheKnownSequenceInRange) {
    uInt32 state[3] = {1234, (1234u * 8191) & 0x3FFF, 0};
    state[2] = (state[1] * 8191) & 0x3FFF;
    uInt32 a = state[0], b = state[1], c = state[2];
    for (int i = 0; i < 100000; ++i) {
        double v = 0;
        RandomGenWithState(&v, state);
        a = a * 171 % 30269, b = b * 172 % 30307, c = c * 170 % 30323;
        ASSERT_EQ(v, Expected(a, b, c)) << i;
        ASSERT_GE(v, 0.0);
        ASSERT_LT(v, 1.0);
    }
    // Seeds that are out of the moduli still step without overflow.
    uInt32 wide[3] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    double v = 0;
    RandomGenWithState(&v, wide);
    EXPECT_EQ(wide[0], uInt32(171ull * 0xFFFFFFFFu % 30269));
    EXPECT_LT(v, 1.0);
}

TEST(RandomGen, InitStateSeedsFromOneProcessDraw) {
    ASSERT_EQ(InitRandomGen(), kErrNone);
    uInt32 copy[3] = {};
    uInt32 state[3] = {};
    // Predict the next process draw by stepping a twin of a state seeded the same way.
    const uInt32 s3 = RandomGenInitState(state);
    EXPECT_EQ(s3, state[2]);
    EXPECT_EQ(state[1], (state[0] * 8191) & 0x3FFF);
    EXPECT_EQ(state[2], (state[1] * 8191) & 0x3FFF);
    EXPECT_GE(state[0], 1u);
    EXPECT_LT(state[0], 30000u);
    copy[0] = state[0], copy[1] = state[1], copy[2] = state[2];
    double x = 0, y = 0;
    RandomGenWithState(&x, state);
    RandomGenWithState(&y, copy);
    EXPECT_EQ(x, y);
    EXPECT_EQ(RandomGenInitState(nullptr), 0u);
    EXPECT_EQ(UninitRandomGen(), kErrNone);
}

TEST(RandomGen, ProcessGeneratorIsSafeAcrossThreads) {
    std::vector<std::thread> threads;
    std::vector<int> bad(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&bad, t] {
            for (int i = 0; i < 2000; ++i) {
                double v = -1;
                RandomGen(&v);
                if (!(v >= 0 && v < 1)) ++bad[t];
            }
        });
    }
    for (auto& th : threads) th.join();
    for (int b : bad) EXPECT_EQ(b, 0);
}

}  // namespace
