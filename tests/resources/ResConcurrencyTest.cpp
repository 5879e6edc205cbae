// Several threads on one file and on files of their own: every operation keeps to the one resource lock.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "ResTestSupport.h"

namespace {

using namespace restest;

const ResType kData = TQFourCC("DATA");

TEST(ResConcurrencyTest, ReadersOfOneFileAndWritersOfTheirOwn) {
    std::vector<Item> items;
    for (int32 id = 0; id < 64; ++id)
        items.push_back({kData, id, std::string(size_t(id + 1), char('a' + id % 26)), ""});
    uInt32 shared = 0;
    ASSERT_EQ(OpenCopy(MakeImage(items), &shared), kErrNone);
    std::atomic<int> wrong{0};
    auto reader = [&](int seed) {
        ResFile* f = RsrcFileToRMapResFile(shared);
        for (int round = 0; round < 2000; ++round) {
            const int32 id = (seed * 31 + round) % 64;
            Resource* r = nullptr;
            if (f->RGet(kData, id, &r) || r->GetSize() != id + 1) ++wrong;
            int32 exists = 0;
            if (f->RExists(kData, id, &exists) || !exists) ++wrong;
            if (round % 7 == 0) f->RIsLoaded(kData, id, nullptr);
        }
    };
    auto writer = [&](int seed) {
        ResFile* f = nullptr;
        if (ResFileFactory::RCreateMemFile(&f, TQFourCC("tqcr"), TQFourCC("TEST"))) {
            ++wrong;
            return;
        }
        for (int32 id = 0; id < 300; ++id) {
            const uInt8 b = uInt8(seed);
            if (f->RAddPtr(&b, 1, kData, id, nullptr)) ++wrong;
            if (id % 50 == 49 && f->RUpdateFile()) ++wrong;
        }
        int32 n = 0;
        if (f->RCount(kData, &n) || n != 300) ++wrong;
        if (f->RCloseFile()) ++wrong;
        delete f;
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < 3; ++i) threads.emplace_back(reader, i);
    for (int i = 0; i < 2; ++i) threads.emplace_back(writer, i);
    for (auto& t : threads) t.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(RCloseFile(shared), kErrNone);
}

}  // namespace
