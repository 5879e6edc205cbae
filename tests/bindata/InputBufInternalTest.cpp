#include <cstdint>
#include <memory>

#include "BinDataTestSupport.h"
#include "tqcore/core.h"

namespace {

using InputBufTest = StreamTest;

TEST_F(InputBufTest, MemInputBufHandsOutWholeOrPartialRequestsAndPeeks) {
    const Bytes data = B({1, 2, 3, 4, 5});
    {
        MemInputBuf in(data.data(), data.size());
        EXPECT_EQ(in.GetSize(), 5u);
        int32 err = -1;
        size_t got = 99;
        EXPECT_EQ(in.GetDataPointer(2, err, &got, 0), data.data());
        EXPECT_EQ(err, 0);
        EXPECT_EQ(got, 2u);
        EXPECT_EQ(in.GetBytesRead(), 2u);
        // Peeking leaves the position alone, and a partial request hands out what remains without error.
        EXPECT_EQ(in.GetDataPointer(3, err, nullptr, 1), data.data() + 2);
        EXPECT_EQ(in.GetDataPointer(10, err, &got, 1), data.data() + 2);
        EXPECT_EQ(got, 3u);
        EXPECT_EQ(in.GetBytesRead(), 2u);
        EXPECT_EQ(in.GetDataPointer(2, err), data.data() + 2);
        EXPECT_EQ(in.GetDataPointer(10, err, &got), data.data() + 4);
        EXPECT_EQ(err, 0);
        EXPECT_EQ(got, 1u);
        EXPECT_EQ(in.GetBytesRead(), 5u);
        // Nothing left: null, still no error.
        EXPECT_EQ(in.GetDataPointer(10, err, &got), nullptr);
        EXPECT_EQ(err, 0);
        EXPECT_EQ(got, 0u);
    }
    // A source without error reports nothing.
    EXPECT_TRUE(ReportCapture::All().empty());
    // Null memory or a zero size is an empty source.
    MemInputBuf none(nullptr, 10);
    EXPECT_EQ(none.GetSize(), 0u);
    MemInputBuf empty(data.data(), 0);
    EXPECT_EQ(empty.GetSize(), 0u);
    int32 err = 0;
    size_t got = 0;
    EXPECT_EQ(empty.GetDataPointer(1, err, &got), nullptr);
    EXPECT_EQ(err, 0);
}

TEST_F(InputBufTest, ReadingPastTheEndIsEndOfDataAndSticks) {
    const Bytes data = B({1, 2, 3, 4});
    {
        MemInputBuf in(data.data(), data.size());
        int32 err = -1;
        size_t got = 7;
        // Zero bytes only fetch the error.
        EXPECT_EQ(in.GetDataPointer(0, err, &got), nullptr);
        EXPECT_EQ(err, 0);
        EXPECT_EQ(got, 0u);
        EXPECT_EQ(in.GetDataPointer(2, err), data.data());
        // An overflowing request counts as too few bytes.
        EXPECT_EQ(in.GetDataPointer(SIZE_MAX - 1, err), nullptr);
        EXPECT_EQ(err, kErrEndOfData);
        EXPECT_EQ(in.GetBytesRead(), 2u);
        // Even a request that would fit now fails, and the size reads 0 while in error.
        EXPECT_EQ(in.GetDataPointer(1, err), nullptr);
        EXPECT_EQ(err, kErrEndOfData);
        err = 0;
        EXPECT_EQ(in.GetDataPointer(0, err), nullptr);
        EXPECT_EQ(err, kErrEndOfData);
        EXPECT_EQ(in.GetSize(), 0u);
    }
    EXPECT_EQ(FinalErrorReports("MemInputBuf finished with 74 error"), 1);
}

TEST_F(InputBufTest, LStrInputBufTakesTheHandleRereadsItsCountAndDisposesOfIt) {
    LStrHandle h = MakeLStr("abcdef");
    const LStrHandle kept = h;
    {
        LStrInputBuf in(h);
        EXPECT_EQ(h, nullptr);
        EXPECT_EQ(in.GetSize(), 6u);
        int32 err = -1;
        auto p = static_cast<const char*>(in.GetDataPointer(3, err));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(std::string(p, 3), "abc");
        EXPECT_EQ(in.GetBytesRead(), 3u);
        (*kept)->cnt = 5;
        EXPECT_EQ(in.GetSize(), 5u);
        EXPECT_EQ(in.GetDataPointer(3, err), nullptr);
        EXPECT_EQ(err, kErrEndOfData);
    }
    EXPECT_EQ(FinalErrorReports("LStrInputBuf finished with 74 error"), 1);
}

TEST_F(InputBufTest, LStrInputBufWithoutAHandleIsInArgumentError) {
    {
        LStrHandle h = nullptr;
        LStrInputBuf in(h);
        int32 err = 0;
        EXPECT_EQ(in.GetDataPointer(0, err), nullptr);
        EXPECT_EQ(err, kErrArgument);
        EXPECT_EQ(in.GetSize(), 0u);
        std::unique_ptr<InputBuf> none(CreateLStrInputBuf(nullptr));
        ASSERT_NE(none, nullptr);
        none->GetDataPointer(0, err);
        EXPECT_EQ(err, kErrArgument);
    }
    EXPECT_EQ(FinalErrorReports("LStrInputBuf finished with 1 error"), 2);
    // Released ownership hands the handle back, and later reads fail.
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
}

}  // namespace
