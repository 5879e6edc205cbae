#include <cstdint>
#include <memory>

#include "BinDataTestSupport.h"
#include "tqcore/core.h"

namespace {

using InputBufTest = StreamTest;

TEST_F(InputBufTest, MemInputBufHandsOutWholeRequestsAndAdvances) {
    const Bytes data = B({1, 2, 3, 4, 5});
    MemInputBuf in(data.data(), data.size());
    EXPECT_EQ(in.GetSize(), 5u);
    int32 err = -1;
    size_t got = 99;
    const void* p = in.GetDataPointer(2, err, &got, 0);
    EXPECT_EQ(p, data.data());
    EXPECT_EQ(err, 0);
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(in.GetBytesRead(), 2u);
    // Peeking leaves the position alone.
    p = in.GetDataPointer(3, err, nullptr, 1);
    EXPECT_EQ(p, data.data() + 2);
    EXPECT_EQ(in.GetBytesRead(), 2u);
    p = in.GetDataPointer(3, err);
    EXPECT_EQ(p, data.data() + 2);
    EXPECT_EQ(in.GetBytesRead(), 5u);
}

TEST_F(InputBufTest, ZeroBytesOnlyFetchesTheError) {
    const Bytes data = B({1, 2});
    MemInputBuf in(data.data(), data.size());
    int32 err = -1;
    size_t got = 7;
    EXPECT_EQ(in.GetDataPointer(0, err, &got), nullptr);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(in.GetBytesRead(), 0u);
    EXPECT_EQ(in.GetDataPointer(3, err), nullptr);
    EXPECT_EQ(err, kErrEndOfData);
    err = 0;
    EXPECT_EQ(in.GetDataPointer(0, err), nullptr);
    EXPECT_EQ(err, kErrEndOfData);
}

TEST_F(InputBufTest, ReadingPastTheEndIsEndOfDataAndSticks) {
    const Bytes data = B({1, 2, 3});
    {
        MemInputBuf in(data.data(), data.size());
        int32 err = 0;
        EXPECT_EQ(in.GetDataPointer(4, err), nullptr);
        EXPECT_EQ(err, kErrEndOfData);
        EXPECT_EQ(in.GetBytesRead(), 0u);
        // Even a request that would fit now fails, and the size reads 0 while in error.
        EXPECT_EQ(in.GetDataPointer(1, err), nullptr);
        EXPECT_EQ(err, kErrEndOfData);
        EXPECT_EQ(in.GetSize(), 0u);
    }
    EXPECT_EQ(FinalErrorReports("MemInputBuf finished with 74 error"), 1);
}

TEST_F(InputBufTest, PartialReadsHandOutWhatRemainsWithoutError) {
    const Bytes data = B({1, 2, 3});
    MemInputBuf in(data.data(), data.size());
    int32 err = -1;
    size_t got = 0;
    EXPECT_EQ(in.GetDataPointer(2, err, &got), data.data());
    // Peeking at the rest first.
    EXPECT_EQ(in.GetDataPointer(10, err, &got, 1), data.data() + 2);
    EXPECT_EQ(got, 1u);
    EXPECT_EQ(in.GetBytesRead(), 2u);
    EXPECT_EQ(in.GetDataPointer(10, err, &got), data.data() + 2);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(got, 1u);
    EXPECT_EQ(in.GetBytesRead(), 3u);
    // Nothing left: null, still no error.
    EXPECT_EQ(in.GetDataPointer(10, err, &got), nullptr);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(got, 0u);
}

TEST_F(InputBufTest, AnOverflowingRequestCountsAsTooFewBytes) {
    const Bytes data = B({1, 2, 3, 4});
    MemInputBuf in(data.data(), data.size());
    int32 err = 0;
    in.GetDataPointer(2, err);
    EXPECT_EQ(in.GetDataPointer(SIZE_MAX - 1, err), nullptr);
    EXPECT_EQ(err, kErrEndOfData);
    EXPECT_EQ(in.GetBytesRead(), 2u);
}

TEST_F(InputBufTest, NullMemoryOrZeroSizeIsAnEmptySource) {
    const Bytes data = B({1});
    MemInputBuf none(nullptr, 10);
    EXPECT_EQ(none.GetSize(), 0u);
    MemInputBuf empty(data.data(), 0);
    EXPECT_EQ(empty.GetSize(), 0u);
    int32 err = 0;
    size_t got = 0;
    EXPECT_EQ(empty.GetDataPointer(1, err, &got), nullptr);
    EXPECT_EQ(err, 0);
}

TEST_F(InputBufTest, LStrInputBufTakesTheHandleAndDisposesOfIt) {
    LStrHandle h = MakeLStr("abcdef");
    {
        LStrInputBuf in(h);
        EXPECT_EQ(h, nullptr);
        EXPECT_EQ(in.GetSize(), 6u);
        int32 err = -1;
        auto p = static_cast<const char*>(in.GetDataPointer(3, err));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(std::string(p, 3), "abc");
        EXPECT_EQ(in.GetBytesRead(), 3u);
        EXPECT_EQ(in.GetDataPointer(4, err), nullptr);
        EXPECT_EQ(err, kErrEndOfData);
    }
    EXPECT_EQ(FinalErrorReports("LStrInputBuf finished with 74 error"), 1);
}

TEST_F(InputBufTest, LStrInputBufRereadsTheCountOnEveryCall) {
    LStrHandle h = MakeLStr("abcdef");
    const LStrHandle kept = h;
    LStrInputBuf in(h);
    (*kept)->cnt = 2;
    EXPECT_EQ(in.GetSize(), 2u);
    int32 err = 0;
    EXPECT_EQ(in.GetDataPointer(3, err), nullptr);
    EXPECT_EQ(err, kErrEndOfData);
}

TEST_F(InputBufTest, LStrInputBufWithoutAHandleIsInArgumentError) {
    {
        LStrHandle h = nullptr;
        LStrInputBuf in(h);
        int32 err = 0;
        EXPECT_EQ(in.GetDataPointer(0, err), nullptr);
        EXPECT_EQ(err, kErrArgument);
        EXPECT_EQ(in.GetSize(), 0u);
    }
    EXPECT_EQ(FinalErrorReports("LStrInputBuf finished with 1 error"), 1);
}

TEST_F(InputBufTest, ReleaseOwnershipHandsTheHandleBackAndLaterReadsFail) {
    LStrHandle h = MakeLStr("xyz");
    LStrInputBuf in(h);
    LStrHandle back = in.ReleaseOwnership();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(LStrText(back), "xyz");
    int32 err = 0;
    EXPECT_EQ(in.GetDataPointer(1, err), nullptr);
    EXPECT_EQ(err, kErrArgument);
    AZDisposeHandle(reinterpret_cast<UHandle>(back));
}

TEST_F(InputBufTest, FactoriesMakeWorkingSources) {
    const Bytes data = B({9, 8});
    std::unique_ptr<InputBuf> mem(CreateMemInputBuf(data.data(), data.size()));
    ASSERT_NE(mem, nullptr);
    EXPECT_EQ(mem->GetSize(), 2u);
    LStrHandle h = MakeLStr("hello");
    std::unique_ptr<InputBuf> str(CreateLStrInputBuf(&h));
    ASSERT_NE(str, nullptr);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(str->GetSize(), 5u);
    std::unique_ptr<InputBuf> none(CreateLStrInputBuf(nullptr));
    ASSERT_NE(none, nullptr);
    int32 err = 0;
    none->GetDataPointer(0, err);
    EXPECT_EQ(err, kErrArgument);
    none.reset();
    EXPECT_EQ(FinalErrorReports("LStrInputBuf finished with 1 error"), 1);
}

TEST_F(InputBufTest, ASourceWithoutErrorReportsNothing) {
    const Bytes data = B({1});
    {
        MemInputBuf in(data.data(), data.size());
        int32 err = 0;
        in.GetDataPointer(1, err);
    }
    EXPECT_TRUE(ReportCapture::All().empty());
}

}  // namespace
