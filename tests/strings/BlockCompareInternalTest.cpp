// The block comparisons against their byte-at-a-time references: the case-insensitive scans against the
// fold through the code page's table over every byte pair of every code page, and the short exact
// comparison against memcmp at every length, position and sign.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/CodePage.h"
#include "strings/ByteScan.h"
#include "strings/LStrHandles.h"

namespace {

namespace pf = tq::platform;
namespace ts = tq::strings;

constexpr uInt32 kPages[] = {437,  850,  852,  866,  874,  932,  936,  949,  950,
                             1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};

class BlockCompareTest : public ::testing::Test {
  protected:
    void TearDown() override { pf::SetAnsiCodePage(1252); }
};

// Two runs of len bytes: letters that differ only in case, so the scans skip whole blocks, the pair (x, y)
// at `at`, and the pair the other way round further on, which the scan reaches when the table folds the
// first pair equal.
struct Runs {
    std::vector<uChar> a, b;
    Runs(int32 len, int32 at, uChar x, uChar y) : a(size_t(len)), b(size_t(len)) {
        for (int32 i = 0; i < len; ++i) {
            const uChar c = uChar('a' + i % 26);
            a[size_t(i)] = i % 2 ? c : uChar(c - 32);
            b[size_t(i)] = i % 2 ? uChar(c - 32) : c;
        }
        a[size_t(at)] = x;
        b[size_t(at)] = y;
        const int32 again = at + 1 + (x ^ y) % (len - at);
        if (again < len) {
            a[size_t(again)] = y;
            b[size_t(again)] = x;
        }
    }
};

TEST_F(BlockCompareTest, BlockScansFoldEveryBytePairAsTheTableDoes) {
    ASSERT_TRUE(pf::SetAnsiCodePage(1252));
    int32 pages = 0;
    for (uInt32 page : kPages) {
        if (!pf::SetAnsiCodePage(page)) continue;
        ++pages;
        // A page whose table does not fold ASCII as ASCII does is compared through the table alone.
        const pf::AnsiLowerFold fold = pf::AnsiLowerTable();
        int32 mismatches = 0;
        for (int32 x = 0; x < 256; ++x) {
            for (int32 y = 0; y < 256; ++y) {
                // Lengths from 1 to 80 reach the byte loop, the 16- and 32-byte blocks and overlapping tails.
                const int32 len = 1 + (x * 7 + y * 13) % 80;
                const int32 at = (x + y * 3) % len;
                const Runs r(len, at, uChar(x), uChar(y));
                // Unequal lengths too: the shorter run's length decides where the scan stops.
                const int32 lenB = len - (x + y) % 2;
                const int32 want = ts::CaseCompareBytesByTable(r.a.data(), len, r.b.data(), lenB);
                const int32 chosen = ts::CaseCompareBytes(r.a.data(), len, r.b.data(), lenB);
                const int32 narrow =
                    fold.asciiPlain ? ts::CaseCompareNarrow(fold.table, r.a.data(), len, r.b.data(), lenB)
                                    : want;
                if (chosen != want || narrow != want) {
                    ADD_FAILURE() << "page " << page << ", bytes " << x << " and " << y << " at " << at
                                  << " of " << len << ": table " << want << ", chosen scan " << chosen
                                  << ", narrow scan " << narrow;
                    if (++mismatches > 5) return;
                }
            }
        }
    }
    EXPECT_GE(pages, 1);
}

TEST_F(BlockCompareTest, TableFoldsAccentedLettersTheScanPassesOn) {
    ASSERT_TRUE(pf::SetAnsiCodePage(1252));
    // E acute and e acute fold equal through the table only; the difference after them still decides.
    const uChar a[] = {'c', 'a', 'f', 0xC9, 'x', 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l'};
    const uChar b[] = {'C', 'A', 'F', 0xE9, 'X', 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'm'};
    EXPECT_LT(ts::CaseCompareBytes(a, 17, b, 17), 0);
    EXPECT_EQ(ts::CaseCompareBytes(a, 16, b, 16), 0);
    EXPECT_EQ(ts::CaseCompareBytes(a, 16, b, 17), -1);
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

TEST(ShortCompareTest, ShortComparisonOrdersAsMemcmpAtEveryLengthAndPosition) {
    // Each run ends its own allocation, so a read past either end would be caught by the sanitizers.
    for (int32 n = 1; n <= 64; ++n) {
        for (int32 at = 0; at < n; ++at) {
            for (int32 x = 0; x < 256; x += 17) {
                const int32 y = (x * 7 + at + n) % 256;
                std::vector<uChar> a(static_cast<size_t>(n)), b(static_cast<size_t>(n));
                for (int32 i = 0; i < n; ++i) a[size_t(i)] = b[size_t(i)] = uChar(i * 31 + n);
                a[size_t(at)] = uChar(x);
                b[size_t(at)] = uChar(y);
                const int want = Sign(std::memcmp(a.data(), b.data(), size_t(n)));
                ASSERT_EQ(Sign(ts::gCompareShort(a.data(), b.data(), n)), want) << n << " at " << at;
                ASSERT_EQ(Sign(ts::gCompareShort(b.data(), a.data(), n)), -want) << n << " at " << at;
            }
        }
    }
}

}  // namespace
