#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "support/Eventually.h"
#include "support/ReportCapture.h"
#include "threads/ThRecords.h"
#include "tqcore/core.h"
#include "tqcore/threads.h"

namespace {

using tq::test::Eventually;

TEST(ThMutexTest, ExcludesUnderContention) {
    ThMutex m = nullptr;
    ASSERT_EQ(ThMutexCreate(&m, "test"), kErrNone);
    long counter = 0;  // deliberately plain: only the mutex protects it
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                ThMutexAcquire(m);
                const long seen = counter;
                counter = seen + 1;
                ThMutexRelease(m);
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(counter, 80000);
    EXPECT_EQ(m->counter.load(), -1);
    ThMutexDestroy(m);
}

TEST(ThMutexTest, EachReleaseHandsOwnershipToOneWaiter) {
    ThMutex m = nullptr;
    ASSERT_EQ(ThMutexCreate(&m, nullptr), kErrNone);
    ThMutexAcquire(m);
    std::atomic<int> owners{0}, done{0};
    std::atomic<bool> letGo[3] = {false, false, false};
    std::atomic<int> order[3] = {-1, -1, -1};
    std::vector<std::thread> threads;
    for (int i = 0; i < 3; ++i)
        threads.emplace_back([&, i] {
            ThMutexAcquire(m);
            const int turn = owners.fetch_add(1);
            order[turn] = i;
            while (!letGo[turn]) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            ThMutexRelease(m);
            ++done;
        });
    ASSERT_TRUE(Eventually([&] { return m->counter.load() == 3; }));
    EXPECT_EQ(owners.load(), 0);
    ThMutexRelease(m);
    for (int turn = 0; turn < 3; ++turn) {
        ASSERT_TRUE(Eventually([&] { return owners.load() == turn + 1; }));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(owners.load(), turn + 1) << "a release woke more than one waiter";
        letGo[turn] = true;
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(done.load(), 3);
    EXPECT_NE(order[0].load(), order[1].load());
    EXPECT_EQ(m->counter.load(), -1);
    ThMutexDestroy(m);
}

// Not recursive: the holder's second acquire queues behind itself, and only a release from elsewhere, which
// hands the mutex to the one waiter, lets it go on.
TEST(ThMutexTest, HolderAcquiringAgainWaitsForARelease) {
    ThMutex m = nullptr;
    ASSERT_EQ(ThMutexCreate(&m, "again"), kErrNone);
    std::atomic<int> stage{0};
    std::thread holder([&] {
        ThMutexAcquire(m);
        stage = 1;
        ThMutexAcquire(m);
        stage = 2;
        ThMutexRelease(m);
    });
    EXPECT_TRUE(Eventually([&] { return m->counter.load() == 1; })) << "the second acquire did not count";
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(stage.load(), 1) << "the holder's second acquire did not wait";
    ThMutexRelease(m);
    holder.join();
    EXPECT_EQ(stage.load(), 2);
    EXPECT_EQ(m->counter.load(), -1);
    ThMutexDestroy(m);
}

// A release counts whoever calls it: on a free mutex it leaves the event signalled, and the next acquire,
// which no longer finds the free count, waits and takes that signal.
TEST(ThMutexTest, ReleaseOfAFreeMutexCounts) {
    ReportCapture capture;
    ThMutex m = nullptr;
    ASSERT_EQ(ThMutexCreate(&m, "free"), kErrNone);
    ThMutexRelease(m);
    ASSERT_EQ(m->counter.load(), -2);
    ThMutexAcquire(m);
    EXPECT_EQ(m->counter.load(), -1);
    // The count is one short from now on, so a second thread gets in beside the holder.
    std::thread other([&] {
        ThMutexAcquire(m);
        ThMutexRelease(m);
    });
    other.join();
    EXPECT_EQ(m->counter.load(), -1);
    EXPECT_TRUE(capture.All().empty());
    ThMutexDestroy(m);
}

TEST(ThMutexTest, BadVerifierIsReportedAndNullIgnored) {
    ReportCapture capture;
    ThMutex m = nullptr;
    ASSERT_EQ(ThMutexCreate(&m, "misuse"), kErrNone);
    m->verifier = TQFourCC("Evnt");
    ThMutexAcquire(m);
    ThMutexRelease(m);
    ThMutexDestroy(m);
    EXPECT_EQ(capture.Count(kDbgBroken, "bad mutex verifier in ThMutexAcquire"), 1);
    EXPECT_EQ(capture.Count(kDbgBroken, "bad mutex verifier in ThMutexRelease"), 1);
    EXPECT_EQ(capture.Count(kDbgBroken, "bad mutex verifier in ThMutexDestroy"), 1);
    EXPECT_EQ(m->counter.load(), -1);
    m->verifier = TQFourCC("Mutx");
    ThMutexDestroy(m);

    ThMutexAcquire(nullptr);
    ThMutexRelease(nullptr);
    ThMutexDestroy(nullptr);
    EXPECT_EQ(ThMutexCreate(nullptr, "x"), kErrArgument);
    EXPECT_EQ(capture.All().size(), 3u);
}

TEST(ThReaderWriterMutexTest, ReadersShareWritersExclude) {
    ThReaderWriterMutex rw = nullptr;
    ASSERT_EQ(ThReaderWriterMutexCreate(&rw), kErrNone);

    // A second reader gets in while the first holds the lock.
    ThReaderWriterMutexAcquireReadLock(rw);
    std::atomic<bool> secondIn{false};
    std::thread reader([&] {
        ThReaderWriterMutexAcquireReadLock(rw);
        secondIn = true;
        ThReaderWriterMutexReleaseReadLock(rw);
    });
    reader.join();
    EXPECT_TRUE(secondIn.load());

    // A writer waits for the reader.
    std::atomic<bool> writerIn{false};
    std::thread writer([&] {
        ThReaderWriterMutexAcquireWriteLock(rw);
        writerIn = true;
        ThReaderWriterMutexReleaseWriteLock(rw);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(writerIn.load());
    ThReaderWriterMutexReleaseReadLock(rw);
    writer.join();
    EXPECT_TRUE(writerIn.load());

    // Under contention readers never see a half-made update.
    long a = 0, b = 0;
    std::atomic<int> torn{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                ThReaderWriterMutexAcquireWriteLock(rw);
                ++a;
                ++b;
                ThReaderWriterMutexReleaseWriteLock(rw);
            }
        });
    for (int t = 0; t < 2; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                ThReaderWriterMutexAcquireReadLock(rw);
                if (a != b) ++torn;
                ThReaderWriterMutexReleaseReadLock(rw);
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(a, 40000);
    ThReaderWriterMutexDestroy(rw);
}

TEST(ThReaderWriterMutexTest, NullIsReported) {
    ReportCapture capture;
    EXPECT_EQ(ThReaderWriterMutexCreate(nullptr), kErrArgument);
    EXPECT_EQ(capture.Count(kDbgBroken, "Unexpected NULL pointer in ThReaderWriterMutexCreate"), 1);
    ThReaderWriterMutexAcquireReadLock(nullptr);
    ThReaderWriterMutexAcquireWriteLock(nullptr);
    ThReaderWriterMutexReleaseReadLock(nullptr);
    ThReaderWriterMutexReleaseWriteLock(nullptr);
    ThReaderWriterMutexDestroy(nullptr);
    EXPECT_EQ(capture.Count(kDbgBroken, "NULL mutex in ThReaderWriterMutexAcquireWriteLock"), 1);
    EXPECT_EQ(capture.Count(kDbgBroken, "NULL mutex in ThReaderWriterMutexDestroy"), 1);
    EXPECT_EQ(capture.All().size(), 6u);
}

TEST(ThAtomicsTest, CountersAndSwapsHoldUnderContention) {
    volatile int32 count = 0;
    void* volatile slot = nullptr;
    std::atomic<int> claimed{0};
    int tokens[4];
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 30000; ++i) {
                ThAtomicInc(&count);
                ThAtomicInc(&count);
                ThAtomicDec(&count);
            }
            if (ThSwapIfSamePtr(&slot, &tokens[t], nullptr)) ++claimed;
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(count, 120000);
    EXPECT_EQ(claimed.load(), 1);

    EXPECT_EQ(ThAtomicInc(&count), 120001);
    EXPECT_EQ(ThAtomicDec(&count), 120000);
    EXPECT_EQ(ThSwapIfSame(&count, 5, 4), 0);
    EXPECT_EQ(count, 120000);
    EXPECT_EQ(ThSwapIfSame(&count, 5, 120000), 1);
    EXPECT_EQ(count, 5);
    void* old = ThAtomicSwapPtr(&slot, &tokens[0]);
    EXPECT_NE(old, nullptr);
    EXPECT_EQ(slot, &tokens[0]);

    ThMutex m = nullptr;
    ASSERT_EQ(ThMutexCreate(&m, "atomic"), kErrNone);
    int32 plain = 3;
    EXPECT_EQ(ThAtomicSwap(&plain, 9, m), 3);
    EXPECT_EQ(plain, 9);
    uInt64 a = 0x1122334455667788ull, b = 0;
    Th8ByteAtomicWrtRd(&a, &b, 1, m);
    EXPECT_EQ(b, 0x1122334455667788ull);
    b = 42;
    Th8ByteAtomicWrtRd(&a, &b, 0, m);
    EXPECT_EQ(a, 42u);
    EXPECT_EQ(m->counter.load(), -1);
    ThMutexDestroy(m);
}

}  // namespace
