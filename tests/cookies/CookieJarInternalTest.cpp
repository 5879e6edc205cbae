#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "cookies/CookieJar.h"
#include "support/ReportCapture.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

namespace {

using tq::cookies::Header;

uInt32 TagOf(MagicCookie c) {
    return c >> 20;
}
uInt32 IndexOf(MagicCookie c) {
    return c & 0xFFFFF;
}

class CookieJarTest : public ::testing::Test {
  protected:
    void SetUp() override { jar_ = MCNewJar(); }
    void TearDown() override { MCDisposeJar(jar_); }
    MagicCookie New(uInt64 info) { return MCNewCookie(jar_, &info); }
    MagicCookieJar jar_ = nullptr;
};

TEST_F(CookieJarTest, FreshJarHandsOutIndicesInOrderWithConsecutiveTagsThatWrapToOne) {
    ASSERT_NE(jar_, nullptr);
    EXPECT_EQ(DSGetHandleSize(jar_), 48);
    std::vector<MagicCookie> c;
    for (uInt64 i = 0; i < 130; ++i) c.push_back(New(i));
    for (size_t i = 0; i < c.size(); ++i) {
        EXPECT_EQ(IndexOf(c[i]), i);
        EXPECT_NE(TagOf(c[i]), 0u);
        if (i) {
            EXPECT_EQ(TagOf(c[i]), TagOf(c[i - 1]) % 0xFFF + 1);
        }
        uInt64 info = 99;
        ASSERT_EQ(MCGetCookieInfo(jar_, c[i], &info), 0);
        EXPECT_EQ(info, i);
    }
    int32 n = 0;
    EXPECT_EQ(MCJarSize(jar_, &n), 0);
    EXPECT_EQ(n, 130);
    // The tag wraps from 0xFFF to 1.
    Header(jar_)->nextTag = 0xFFE;
    EXPECT_EQ(TagOf(New(1)), 0xFFEu);
    EXPECT_EQ(TagOf(New(2)), 0xFFFu);
    EXPECT_EQ(TagOf(New(3)), 1u);
    EXPECT_EQ(TagOf(New(4)), 2u);
}

TEST_F(CookieJarTest, DisposedCookieIsDeadToEveryOperationAndItsSlotIsReusedLastInFirstOut) {
    const MagicCookie a = New(10), b = New(20), c = New(30);
    uInt64 out = 0;
    ASSERT_EQ(MCDisposeCookie(jar_, b, &out), 0);
    EXPECT_EQ(out, 20u);
    ASSERT_EQ(MCDisposeCookie(jar_, a, nullptr), 0);
    const MagicCookie a2 = New(11), b2 = New(21);
    EXPECT_EQ(IndexOf(a2), IndexOf(a));  // last freed, first reused
    EXPECT_EQ(IndexOf(b2), IndexOf(b));
    EXPECT_NE(a2, a);
    EXPECT_NE(b2, b);
    for (MagicCookie dead : {a, b}) {
        void* p = &out;
        out = 77;
        EXPECT_EQ(MCIsACookie(jar_, dead), 0);
        EXPECT_EQ(MCGetCookieInfo(jar_, dead, &out), 1);
        EXPECT_EQ(out, 0u);
        EXPECT_EQ(MCGetCookieInfoPtr(jar_, dead, &p), 1);
        EXPECT_EQ(p, nullptr);
        EXPECT_EQ(MCSetCookieInfo(jar_, dead, &out), 1);
        EXPECT_EQ(MCDisposeCookie(jar_, dead, &out), 1);
    }
    EXPECT_EQ(MCGetCookieInfo(jar_, a2, &out), 0);
    EXPECT_EQ(out, 11u);
    EXPECT_EQ(MCIsACookie(jar_, c), 1);
}

TEST_F(CookieJarTest, ForgedAndOutOfRangeValuesAreInvalid) {
    const MagicCookie c = New(5);
    uInt64 out;
    for (MagicCookie bad :
         {MagicCookie(0), IndexOf(c), MagicCookie(0xFFFFF), c ^ 0x00100000u, c ^ 0x80000000u,
          (c & 0xFFF00000u) | 1u, (c & 0xFFF00000u) | 64u, (c & 0xFFF00000u) | 0xFFFFFu}) {
        EXPECT_EQ(MCIsACookie(jar_, bad), 0) << std::hex << bad;
        EXPECT_EQ(MCGetCookieInfo(jar_, bad, &out), 1) << std::hex << bad;
        EXPECT_EQ(MCDisposeCookie(jar_, bad, nullptr), 1) << std::hex << bad;
    }
    EXPECT_EQ(MCIsACookie(nullptr, c), 0);
    EXPECT_EQ(MCNewCookie(nullptr, &out), 0u);
    EXPECT_EQ(MCGetCookieInfo(nullptr, c, &out), 1);
    EXPECT_EQ(MCJarSize(nullptr, nullptr), 1);
    EXPECT_EQ(MCJarSize(jar_, nullptr), 1);
    EXPECT_EQ(MCDisposeJar(nullptr), 0);
}

TEST_F(CookieJarTest, InfoPointerSetInfoAndSearchByInfo) {
    const MagicCookie a = New(7), b = New(8), c = New(7);
    void* p = nullptr;
    ASSERT_EQ(MCGetCookieInfoPtr(jar_, b, &p), 0);
    uInt64 v;
    std::memcpy(&v, p, 8);
    EXPECT_EQ(v, 8u);
    const uInt64 seven = 7, nine = 9;
    EXPECT_EQ(MCGetCookieForInfo(jar_, &seven), a);
    ASSERT_EQ(MCSetCookieInfo(jar_, a, &nine), 0);
    EXPECT_EQ(MCGetCookieForInfo(jar_, &seven), c);
    EXPECT_EQ(MCGetCookieForInfo(jar_, &nine), a);
    const uInt64 none = 12345;
    EXPECT_EQ(MCGetCookieForInfo(jar_, &none), 0u);
}

TEST_F(CookieJarTest, CookieListInIndexOrder) {
    UHandle list = nullptr;
    ASSERT_EQ(MCGetCookieList(jar_, &list), 0);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(DSGetHandleSize(list), 4);
    EXPECT_EQ(*reinterpret_cast<int32*>(*list), 0);
    std::vector<MagicCookie> c;
    for (uInt64 i = 0; i < 100; ++i) c.push_back(New(i));
    MCDisposeCookie(jar_, c[3], nullptr);
    MCDisposeCookie(jar_, c[70], nullptr);
    c.erase(c.begin() + 70);
    c.erase(c.begin() + 3);
    ASSERT_EQ(MCGetCookieList(jar_, &list), 0);  // resizes the caller's handle
    ASSERT_EQ(DSGetHandleSize(list), int64(4 + 4 * c.size()));
    const int32* data = reinterpret_cast<const int32*>(*list);
    ASSERT_EQ(data[0], int32(c.size()));
    for (size_t i = 0; i < c.size(); ++i) EXPECT_EQ(MagicCookie(data[1 + i]), c[i]);
    DSDisposeHandle(list);
    EXPECT_EQ(MCGetCookieList(jar_, nullptr), kErrArgument);
}

TEST_F(CookieJarTest, IndexSpaceExhaustion) {
    Header(jar_)->freeHead = 0xFFFFE;
    const MagicCookie a = New(1), b = New(2);
    EXPECT_EQ(IndexOf(a), 0xFFFFEu);
    EXPECT_EQ(IndexOf(b), 0xFFFFFu);
    EXPECT_EQ(New(3), 0u);
    uInt64 out;
    EXPECT_EQ(MCGetCookieInfo(jar_, b, &out), 0);
    EXPECT_EQ(out, 2u);
    MCDisposeCookie(jar_, a, nullptr);
    EXPECT_EQ(IndexOf(New(4)), 0xFFFFEu);
}

TEST(CookieJarLifeTest, DisposingAJarWithCookiesSaysHowManyRemain) {
    ReportCapture capture;
    MagicCookieJar jar = MCNewBigJar(24);
    ASSERT_NE(jar, nullptr);
    const char info[24] = "record";
    for (int i = 0; i < 200; ++i) ASSERT_NE(MCNewCookie(jar, info), 0u);
    EXPECT_EQ(MCDisposeJar(jar), 0);
    EXPECT_EQ(ReportCapture::Count(kDbgNote, "Disposing jar with 200 cookies remaining"), 1);
    MagicCookieJar empty = MCNewJar();
    MCDisposeJar(empty);
    EXPECT_EQ(ReportCapture::Count(kDbgNote, "Disposing jar"), 1);
}

TEST(CookieJarLifeTest, OddInfoSizesKeepNeighboursApart) {
    for (uInt32 size : {0u, 1u, 3u, 13u, 100u}) {
        MagicCookieJar jar = MCNewBigJar(size);
        ASSERT_NE(jar, nullptr) << size;
        EXPECT_EQ(Header(jar)->stride, (size + 15) & ~7u);
        std::vector<MagicCookie> c;
        for (int i = 0; i < 70; ++i) {
            std::vector<uInt8> info(size + 1, uInt8(i));
            c.push_back(MCNewCookie(jar, info.data()));
            ASSERT_NE(c.back(), 0u);
        }
        for (int i = 0; i < 70; ++i) {
            std::vector<uInt8> out(size + 1, 0xEE), expect(size + 1, uInt8(i));
            ASSERT_EQ(MCGetCookieInfo(jar, c[i], out.data()), 0);
            EXPECT_EQ(std::memcmp(out.data(), expect.data(), size), 0) << size << " " << i;
            EXPECT_EQ(out[size], 0xEE);  // nothing written past the info
        }
        MCDisposeJar(jar);
    }
    EXPECT_EQ(MCNewBigJar(0x7FFFFFFF), nullptr);
}

TEST(PouchTreeTest, LevelsFromTheLeafUpAndBadWidths) {
    tq::cookies::PouchTree tree{};
    tq::cookies::InitPouchTree(tree, tq::cookies::kLevelWidths, 16);
    ASSERT_TRUE(tree.valid);
    const uInt8 shifts[4] = {16, 11, 6, 0};
    const uInt32 masks[4] = {15, 31, 31, 63};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(tree.levels[i].shift, shifts[i]);
        EXPECT_EQ(tree.levels[i].mask, masks[i]);
    }
    const uInt8 shortWidths[4] = {4, 5, 5, 5};
    tq::cookies::InitPouchTree(tree, shortWidths, 16);
    EXPECT_FALSE(tree.valid);
    const uInt8 wideRoot[4] = {5, 5, 5, 5};
    tq::cookies::InitPouchTree(tree, wideRoot, 16);
    EXPECT_FALSE(tree.valid);
}

}  // namespace
