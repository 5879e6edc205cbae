#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tqcore/cookies.h"
#include "tqcore/core.h"

namespace {

// Published (cookie << 32 | token): a reader that finds the cookie valid must read exactly its token.
constexpr int kPublished = 256;

TEST(CookieConcurrencyTest, LookupsStayConsistentWhileOthersAddAndDispose) {
    MagicCookieJar jar = MCNewJar();
    ASSERT_NE(jar, nullptr);
    std::vector<std::atomic<uInt64>> published(kPublished);
    for (auto& p : published) p.store(0);
    std::atomic<uInt32> nextToken{1};
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0}, hits{0};

    auto writer = [&](int id) {
        // Writers go on until the readers have seen live cookies, however the threads are scheduled.
        for (int round = 0; round < 4000 || (hits.load() < 100 && round < 2000000); ++round) {
            const uInt64 token = nextToken.fetch_add(1);
            const MagicCookie c = MCNewCookie(jar, &token);
            if (!c) {
                ++wrong;
                continue;
            }
            const int at = (id * 7919 + round) % kPublished;
            const uInt64 old = published[at].exchange(uInt64(c) << 32 | token);
            if (old && MCDisposeCookie(jar, MagicCookie(old >> 32), nullptr) != 0) ++wrong;
        }
    };
    auto reader = [&](int id) {
        uInt32 i = uInt32(id);
        while (!stop.load()) {
            const uInt64 p = published[i++ % kPublished].load();
            if (!p) continue;
            const MagicCookie c = MagicCookie(p >> 32);
            uInt64 info = 0;
            if (MCGetCookieInfo(jar, c, &info) == 0) {
                ++hits;
                if (info != (p & 0xFFFFFFFFu)) ++wrong;
            } else if (info != 0) {
                ++wrong;
            }
            void* ptr = nullptr;
            if (MCGetCookieInfoPtr(jar, c, &ptr) == 0 && !ptr) ++wrong;
            MCIsACookie(jar, c);
        }
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < 2; ++i) threads.emplace_back(reader, i);
    std::vector<std::thread> writers;
    for (int i = 0; i < 3; ++i) writers.emplace_back(writer, i);
    for (auto& t : writers) t.join();
    stop.store(true);
    for (auto& t : threads) t.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_GT(hits.load(), 0);
    int32 live = 0;
    MCJarSize(jar, &live);
    int expected = 0;
    for (auto& p : published) expected += p.load() != 0;
    EXPECT_EQ(live, expected);
    MCDisposeJar(jar);
}

TEST(CookieConcurrencyTest, RightsCountedAcrossThreads) {
    BaseCookieJar jar;
    ASSERT_EQ(jar.Init(8, 1), kErrNone);
    const uInt64 info = 42;
    std::vector<MagicCookie> cookies;
    for (int i = 0; i < 8; ++i) cookies.push_back(jar.NewCookie(&info));
    std::atomic<int> wrong{0};
    auto worker = [&]() {
        for (int round = 0; round < 5000; ++round) {
            const MagicCookie c = cookies[size_t(round) % cookies.size()];
            uInt64 out = 0;
            if (jar.AcquireCookieRights(c, &out) != 1 || out != info) {
                ++wrong;
                continue;
            }
            if (jar.ReleaseCookieRights(c) < 2) ++wrong;  // the creator's right keeps every record alive
        }
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) threads.emplace_back(worker);
    for (auto& t : threads) t.join();
    EXPECT_EQ(wrong.load(), 0);
    for (MagicCookie c : cookies) EXPECT_EQ(jar.ReleaseCookieRights(c), 1);
    int32 n = -1;
    jar.GetNumCookies(&n);
    EXPECT_EQ(n, 0);
}

}  // namespace
