#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "PathTestSupport.h"

namespace {

// Threads build, copy, compare and drop paths over the same names at once: the tree must stay whole and
// every thread must see the one shared element for equal paths.
TEST(PathThreads, SharedNamesFromManyThreads) {
    constexpr int kThreads = 4, kRounds = 300;
    const PathRef anchor = MakePath(kBaseAbsolute, {"threads", "shared"});
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int r = 0; r < kRounds; ++r) {
                PathRef p = anchor;
                p.Append("d" + std::to_string(r % 17));
                p.Append("f" + std::to_string((r + t) % 5));
                const PathRef again(p.ToString(PathRef::StringUnix()), PathRef::StringUnix());
                if (again.Element() != p.Element() ||
                    !p.GetParentDirectory().GetParentDirectory().Equals(anchor))
                    ++mismatches;
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_TRUE(anchor.IsSane(true));
    const PathRef probe = MakePath(kBaseAbsolute, {"threads", "shared", "d3", "f1"});
    EXPECT_EQ(probe.GetParentDirectory().GetParentDirectory().Element(), anchor.Element());
}

}  // namespace
