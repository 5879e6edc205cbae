#include <cstdint>
#include <memory>

#include "BinDataTestSupport.h"
#include "tqcore/core.h"

namespace {

using OutputBufTest = StreamTest;

const uInt64 kHuge = uInt64(1) << 60;

TEST_F(OutputBufTest, StaticOutputBufFillsToCapacityThenFails) {
    uChar memory[8] = {};
    {
        StaticOutputBuf out(memory, 6);
        int32 err = -1;
        EXPECT_EQ(out.GetDataPointer(4, err), memory);
        EXPECT_EQ(err, 0);
        EXPECT_EQ(out.GetDataPointer(2, err), memory + 4);
        EXPECT_EQ(out.GetBytesWritten(), 6u);
        EXPECT_EQ(out.GetDataPointer(1, err), nullptr);
        EXPECT_EQ(err, kErrEndOfData);
        EXPECT_EQ(out.GetBytesWritten(), 6u);
        // Sticky, and fetched by a zero-byte call.
        err = 0;
        EXPECT_EQ(out.GetDataPointer(0, err), nullptr);
        EXPECT_EQ(err, kErrEndOfData);
        EXPECT_FALSE(out.IsOnlyDeterminingSize());
    }
    EXPECT_EQ(FinalErrorReports("StaticOutputBuf finished with 74 error"), 1);
    // An overflowing request is refused.
    uChar small[4];
    StaticOutputBuf out(small, 4);
    int32 err = 0;
    out.GetDataPointer(1, err);
    EXPECT_EQ(out.GetDataPointer(SIZE_MAX, err), nullptr);
    EXPECT_EQ(err, kErrEndOfData);
}

TEST_F(OutputBufTest, HandleOutputBufGrowsWithSpareBytesAndKeepsWhatWasWritten) {
    HandleOutputBuf out(4);
    int32 err = 0;
    auto* p = static_cast<uChar*>(out.GetDataPointer(3, err));
    ASSERT_NE(p, nullptr);
    p[0] = 1, p[1] = 2, p[2] = 3;
    // Past the capacity: the handle becomes position + n + 4096 bytes.
    p = static_cast<uChar*>(out.GetDataPointer(10, err));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(err, 0);
    for (int i = 0; i < 10; ++i) p[i] = uChar(10 + i);
    EXPECT_EQ(out.GetBytesWritten(), 13u);
    UHandle h = out.GetHandle(0);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(AZGetHandleSize(h), 13);
    EXPECT_EQ((*h)[0], 1);
    EXPECT_EQ((*h)[2], 3);
    EXPECT_EQ((*h)[12], 19);
}

TEST_F(OutputBufTest, HandleOutputBufGrowsToPositionPlusRequestPlus4096) {
    HandleOutputBuf out(0);
    int32 err = 0;
    ASSERT_NE(out.GetDataPointer(100, err), nullptr);
    // The spare bytes take the next 4096 bytes without growing: the data do not move.
    const uChar* before = static_cast<uChar*>(out.GetDataPointer(1, err));
    const uChar* after = static_cast<uChar*>(out.GetDataPointer(4095, err));
    EXPECT_EQ(after, before + 1);
    ASSERT_NE(out.GetDataPointer(1, err), nullptr);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(out.GetBytesWritten(), 4197u);
}

TEST_F(OutputBufTest, GetHandleWithReleaseGivesTheHandleAway) {
    UHandle h = nullptr;
    {
        HandleOutputBuf out;
        int32 err = 0;
        std::memcpy(out.GetDataPointer(5, err), "hello", 5);
        h = out.GetHandle(1);
        ASSERT_NE(h, nullptr);
        // Without its handle the sink refuses to write.
        EXPECT_EQ(out.GetDataPointer(1, err), nullptr);
        EXPECT_EQ(err, kErrArgument);
    }
    EXPECT_EQ(FinalErrorReports("HandleOutputBuf finished with 1 error"), 1);
    EXPECT_EQ(AZGetHandleSize(h), 5);
    EXPECT_EQ(std::memcmp(*h, "hello", 5), 0);
    AZDisposeHandle(h);
}

TEST_F(OutputBufTest, HandleOutputBufThatCannotAllocateIsOutOfMemory) {
    {
        HandleOutputBuf out(kHuge);
        int32 err = 0;
        EXPECT_EQ(out.GetDataPointer(1, err), nullptr);
        EXPECT_EQ(err, kErrMemoryFull);
        EXPECT_EQ(out.GetHandle(0), nullptr);
    }
    EXPECT_EQ(FinalErrorReports("HandleOutputBuf finished with 2 error"), 1);
    // Failed growth keeps the memory manager's code.
    HandleOutputBuf grown(16);
    int32 err = 0;
    ASSERT_NE(grown.GetDataPointer(8, err), nullptr);
    EXPECT_EQ(grown.GetDataPointer(kHuge, err), nullptr);
    EXPECT_EQ(err, kErrMemoryFull);
    EXPECT_EQ(grown.GetBytesWritten(), 8u);
    EXPECT_EQ(grown.GetDataPointer(SIZE_MAX, err), nullptr);
    EXPECT_EQ(err, kErrMemoryFull);
}

TEST_F(OutputBufTest, LStrOutputBufWritesAfterTheCountAndSetsItOnGetHandle) {
    LStrOutputBuf out(2);
    int32 err = 0;
    std::memcpy(out.GetDataPointer(3, err), "abc", 3);
    std::memcpy(out.GetDataPointer(3, err), "def", 3);
    LStrHandle h = out.GetHandle(1);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ((*h)->cnt, 6);
    EXPECT_EQ(AZGetHandleSize(reinterpret_cast<UHandle>(h)), 10);
    EXPECT_EQ(LStrText(h), "abcdef");
    AZDisposeHandle(reinterpret_cast<UHandle>(h));
    // A capacity of zero, or no handle to adopt, still grows.
    LStrOutputBuf zero(0), adoptsNone(nullptr, 0);
    ASSERT_NE(zero.GetDataPointer(1, err), nullptr);
    ASSERT_NE(adoptsNone.GetDataPointer(4096, err), nullptr);
    EXPECT_EQ(err, 0);
    ASSERT_NE(zero.GetHandle(0), nullptr);
    EXPECT_EQ((*zero.GetHandle(0))->cnt, 1);
    ASSERT_NE(adoptsNone.GetHandle(0), nullptr);
    EXPECT_EQ((*adoptsNone.GetHandle(0))->cnt, 4096);
}

TEST_F(OutputBufTest, LStrOutputBufAdoptsAHandleAndOverwritesItFromTheFront) {
    LStrHandle h = MakeLStr("0123456789");
    LStrOutputBuf out(h, 0);
    int32 err = 0;
    // Adopted with capacity = handle size - 4: ten bytes fit without moving.
    auto* p = static_cast<uChar*>(out.GetDataPointer(10, err));
    EXPECT_EQ(p, (*h)->str);
    std::memcpy(p, "ab", 2);
    std::memcpy(p + 2, "cdefghij", 8);
    LStrHandle back = out.GetHandle(0);
    EXPECT_EQ(back, h);
    EXPECT_EQ(LStrText(back), "abcdefghij");
    // With a capacity given, the adopted handle is resized to it.
    LStrHandle h2 = MakeLStr("xy");
    LStrOutputBuf sized(h2, 100);
    EXPECT_EQ(AZGetHandleSize(reinterpret_cast<UHandle>(h2)), 104);
    std::memcpy(sized.GetDataPointer(1, err), "z", 1);
    EXPECT_EQ(LStrText(sized.GetHandle(0)), "z");
}

TEST_F(OutputBufTest, LStrOutputBufKeepsAFailedResizeAsItsError) {
    LStrHandle h = MakeLStr("xy");
    {
        LStrOutputBuf out(h, kHuge);
        int32 err = 0;
        EXPECT_EQ(out.GetDataPointer(1, err), nullptr);
        EXPECT_EQ(err, kErrMemoryFull);
    }
    // It owned the handle from construction on and disposed of it (the fixture counts handles).
    EXPECT_EQ(FinalErrorReports("LStrOutputBuf finished with 2 error"), 1);
}

TEST_F(OutputBufTest, PreflightCountsAndNeverFails) {
    PreflightOutputBuf out;
    EXPECT_TRUE(out.IsOnlyDeterminingSize());
    int32 err = 5;
    EXPECT_EQ(out.GetDataPointer(10, err), nullptr);
    EXPECT_EQ(err, 0);
    out.GetDataPointer(SIZE_MAX / 2, err);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(out.GetBytesWritten(), 10u + SIZE_MAX / 2);
}

TEST_F(OutputBufTest, FactoriesMakeWorkingSinks) {
    uChar memory[4];
    std::unique_ptr<OutputBuf> fixed(CreateStaticOutputBuf(memory, sizeof memory));
    std::unique_ptr<OutputBuf> counting(CreatePreflightOutputBuf());
    std::unique_ptr<LStrOutputBuf> str(CreateLStrOutputBuf(8));
    ASSERT_TRUE(fixed && counting && str);
    int32 err = 0;
    EXPECT_EQ(fixed->GetDataPointer(4, err), memory);
    EXPECT_TRUE(counting->IsOnlyDeterminingSize());
    std::memcpy(str->GetDataPointer(2, err), "ok", 2);
    EXPECT_EQ(LStrText(str->GetHandle(0)), "ok");
}

}  // namespace
