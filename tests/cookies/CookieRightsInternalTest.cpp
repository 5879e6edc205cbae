#include <gtest/gtest.h>

#include <cstring>

#include "cookies/CookieJar.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

namespace {

TEST(CookieRightsTest, CountingAndDisposalOnLastRelease) {
    BaseCookieJar jar;
    ASSERT_EQ(jar.Init(8, 1), kErrNone);
    EXPECT_EQ(jar.Init(8, 1), kErrArgument);
    const uInt64 info = 0xABCDEF;
    const MagicCookie c = jar.NewCookie(&info);
    ASSERT_NE(c, 0u);
    uInt64 out = 0;
    EXPECT_EQ(jar.AcquireCookieRights(c, &out), 1);
    EXPECT_EQ(out, info);
    EXPECT_EQ(jar.AcquireCookieRights(c, nullptr), 1);
    EXPECT_EQ(jar.ReleaseCookieRights(c), 3);
    EXPECT_EQ(jar.ReleaseCookieRights(c), 2);
    EXPECT_EQ(jar.IsACookie(c), 1);
    EXPECT_EQ(jar.ReleaseCookieRights(c), 1);  // the creator's right: the record goes
    EXPECT_EQ(jar.IsACookie(c), 0);
    EXPECT_EQ(jar.ReleaseCookieRights(c), 0);
    out = 5;
    EXPECT_EQ(jar.AcquireCookieRights(c, &out), 0);
    EXPECT_EQ(out, 0u);
    int32 n = -1;
    EXPECT_EQ(jar.GetNumCookies(&n), 0);
    EXPECT_EQ(n, 0);
    const MagicCookie d = jar.NewCookie(&info);
    EXPECT_EQ(d & 0xFFFFF, c & 0xFFFFF);
    EXPECT_EQ(jar.AcquireCookieRights(c, &out), 0);  // the old cookie does not reach the new record
    EXPECT_EQ(jar.ReleaseCookieRights(c), 0);
    EXPECT_EQ(jar.IsACookie(d), 1);
}

TEST(CookieRightsTest, RightsStrideKeepsStateWordsOnOwnCacheLines) {
    for (uInt32 size : {1u, 8u, 49u, 56u, 57u, 200u}) {
        struct PeekJar : BaseCookieJar {
            MagicCookieJar Handle() const { return jar_; }
        } jar;
        ASSERT_EQ(jar.Init(size, 1), kErrNone);
        const uInt32 stride = tq::cookies::Header(jar.Handle())->stride;
        EXPECT_EQ(stride % 64, 0u) << size;
        EXPECT_GE(stride, size + 8) << size;
        EXPECT_LT(stride, size + 8 + 64) << size;
    }
}

TEST(CookieRightsTest, PlainJarHasNoRightsAndAZeroCountIsNotACookie) {
    BaseCookieJar plain;
    ASSERT_EQ(plain.Init(8, 0), kErrNone);
    const uInt64 info = 3;
    const MagicCookie c = plain.NewCookie(&info);
    uInt64 out = 9;
    EXPECT_EQ(plain.AcquireCookieRights(c, &out), 0);
    EXPECT_EQ(out, 0u);
    EXPECT_EQ(plain.ReleaseCookieRights(c), 0);
    EXPECT_EQ(plain.IsACookie(c), 1);
}

TEST(CookieListTest, CountsIndicesAndJarlessFill) {
    CookieList list;
    EXPECT_EQ(list.SetCount(-1), kErrArgument);
    EXPECT_EQ(list.GetCount(), 0);
    ASSERT_EQ(list.SetCount(3), kErrNone);
    EXPECT_EQ(list.GetCookie(2), 0u);
    EXPECT_EQ(list.SetCookie(2, 0x123456u), 0);
    EXPECT_EQ(list.SetCookie(3, 1u), 1);
    EXPECT_EQ(list.SetCookie(-1, 1u), 1);
    EXPECT_EQ(list.GetCookie(3), 0u);
    ASSERT_EQ(list.SetCount(5), kErrNone);
    EXPECT_EQ(list.GetCookie(2), 0x123456u);
    EXPECT_EQ(list.GetCookie(4), 0u);  // new entries cleared

    BaseCookieJar none;
    int32 n = 0;
    EXPECT_EQ(none.GetNumCookies(&n), 1);
    EXPECT_EQ(none.IsAValidJar(), 0);
    none.GetCookieList(list);
    EXPECT_EQ(list.GetCount(), 0);

    BaseCookieJar jar;
    ASSERT_EQ(jar.Init(4, 0), kErrNone);
    const int32 a = 1, b = 2;
    const MagicCookie ca = jar.NewCookie(&a), cb = jar.NewCookie(&b);
    jar.GetCookieList(list);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetCookie(0), ca);
    EXPECT_EQ(list.GetCookie(1), cb);
    EXPECT_EQ(jar.GetCookieForInfo(&b), cb);
    int32 out;
    EXPECT_EQ(jar.DisposeCookie(ca, &out), 0);
    EXPECT_EQ(out, 1);
    EXPECT_EQ(jar.SetCookieInfo(cb, &a), 0);
    EXPECT_EQ(jar.GetCookieInfo(cb, &out), 0);
    EXPECT_EQ(out, 1);
    jar.Uninit();
    EXPECT_EQ(jar.IsAValidJar(), 0);
    EXPECT_EQ(jar.NewCookie(&a), 0u);
}

}  // namespace
