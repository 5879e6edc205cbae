#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "support/ReportCapture.h"
#include "tqcore/diagnostics.h"
#include "tqcore/strings.h"

namespace {

int32 Limited(uChar* dst, uInt32 limit, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int32 n =
        SPrintfv(dst, limit, reinterpret_cast<const uChar*>(format), int32(std::strlen(format)), args);
    va_end(args);
    return n;
}

class FormatEngine : public ReportCaptureTest {
  protected:
    void TearDown() override { StrSetDecimalPoint('.'); }
};

template <class... A>
std::string Fmt(const char* format, A... args) {
    uChar buf[1024];
    const int32 n = SPrintf(buf, format, args...);
    const int32 measured = SPrintf(nullptr, format, args...);
    EXPECT_EQ(n, measured) << format;  // measuring and writing agree
    return std::string(reinterpret_cast<char*>(buf), size_t(n));
}

TEST_F(FormatEngine, IntegersWidthsAndPads) {
    EXPECT_EQ(Fmt("%5d", 42), "   42");
    EXPECT_EQ(Fmt("%05d", -42), "-0042");
    EXPECT_EQ(Fmt("%-5d|", 42), "42   |");
    EXPECT_EQ(Fmt("%x %b %o %u", 255, 5, 8, -1), "FF 101 10 4294967295");
    EXPECT_EQ(Fmt("%a", 0x1234ll), "0x0000000000001234");
    EXPECT_EQ(Fmt("%lld %Id", 1ll << 40, 1ll << 41), "1099511627776 2199023255552");
    EXPECT_EQ(Fmt("%d|%d", int32(7), int32(-7)), "7|-7");
    int16 w = -300;
    uInt8 b = 200;
    EXPECT_EQ(Fmt("%{iW}d %{uB}x %{iW}b", &w, &b, &w), "-300 C8 1111111011010100");
    double d = 2.5;
    EXPECT_EQ(Fmt("%{fD}d", &d), "2");
    EXPECT_EQ(Fmt("%{*}d", 5, &b), "200");
}

TEST_F(FormatEngine, Reals) {
    EXPECT_EQ(Fmt("%f", 1.5), "1.500000");
    EXPECT_EQ(Fmt("%.2f", 2.675), "2.67");  // 2.675 lies below the tie in binary
    EXPECT_EQ(Fmt("%e", 1234.5), "1.234500E+3");
    EXPECT_EQ(Fmt("%8e", 1234.5), " 1.23E+3");  // width 8: three significant digits
    EXPECT_EQ(Fmt("%.3e", 0.5), "5.000E-1");
    EXPECT_EQ(Fmt("%f", 1e20), "1.000000E+20");
    EXPECT_EQ(Fmt("%f", 1e-20), "1.000000E-20");
    EXPECT_EQ(Fmt("%,;%.2f %;%.2f", 1.5, 1.5), "1,50 1.50");
    StrSetDecimalPoint(',');
    EXPECT_EQ(Fmt("%.1f%.;%.1f", 0.5, 0.5), "0,50.5");
    StrSetDecimalPoint('.');
    long double x = 1.0L / 3;
    EXPECT_EQ(Fmt("%.17{fX}e", &x), "3.3333333333333333E-1");
    const double c[2] = {1.0, 2.0};
    EXPECT_EQ(Fmt("%.1{cD}f", c), "1.0 +2.0 i");
}

TEST_F(FormatEngine, CharactersAndStrings) {
    EXPECT_EQ(Fmt("%4c", 0x41424344), "DCBA");
    EXPECT_EQ(Fmt("%2c", 0x4142), "BA");
    EXPECT_EQ(Fmt("%5c", 65), "A");
    const uChar pstr[] = {3, 'a', 'b', 'c'};
    EXPECT_EQ(Fmt("%p", pstr), "abc");
    struct {
        int32 cnt;
        uChar str[3];
    } lstr = {3, {'a', 'b', 'c'}};
    EXPECT_EQ(Fmt("%lp|%P", &lstr, &lstr), "abc|abc");
    EXPECT_EQ(Fmt("%.3s", "abcdef"), "abc");
    EXPECT_EQ(Fmt("%5.3s", "abcdef"), "  a");
    EXPECT_EQ(Fmt("%-5.3s|", "abcdef"), "abc|");
    EXPECT_EQ(Fmt("%6s|%-4s|", "ab", "cd"), "    ab|cd  |");
    EXPECT_EQ(Fmt("[%s]", static_cast<const char*>(nullptr)), "[]");
    EXPECT_EQ(Fmt("[%H]", static_cast<LStrHandle>(nullptr)), "[]");
    struct {
        const uChar* data;
        int32 len;
    } sub = {reinterpret_cast<const uChar*>("xyz"), 2};
    EXPECT_EQ(Fmt("%hd", &sub), "xyd");
    EXPECT_EQ(Fmt("%z", static_cast<void*>(nullptr)), "NULL");
}

TEST_F(FormatEngine, RectanglesPointsAndEscapes) {
    const int16 rect[4] = {1, 2, 3, -4};
    EXPECT_EQ(Fmt("%R %r", rect, rect), "tlbr(1, 2, 3, -4) (1, 2, 3, -4)");
    EXPECT_EQ(Fmt("%q %Q", (5 << 16) | 6, int32(0xFFFF0001)), "(5,6) hv(-1,1)");
    EXPECT_EQ(Fmt("a\\nb"), std::string("a\r\nb"));
    EXPECT_EQ(Fmt("\\41\\q\\\\\\%\\a\\0A"), std::string("Aq\\%a\r\n"));
    EXPECT_EQ(Fmt("\\b\\f\\s\\t\\"), std::string("\b\f \t\\"));
    EXPECT_EQ(Fmt("100%%|%"), "100%|%");
}

TEST_F(FormatEngine, PositionalArguments) {
    EXPECT_EQ(Fmt("%2$s %1$s", "x", "y"), "y x");
    EXPECT_EQ(Fmt("%3$d-%1$lld-%2$.1f-%1$lld", 1ll << 33, 0.25, 7), "7-8589934592-0.2-8589934592");
    EXPECT_TRUE(ReportCapture::Texts().empty());
    EXPECT_EQ(Fmt("ab%1$s %s", "x", "y"), "ab");
    ASSERT_GE(ReportCapture::Texts().size(), 2u);
    EXPECT_EQ(ReportCapture::Texts()[0], "Can't mix ANSI and %n$ specifiers");
    EXPECT_EQ(ReportCapture::Texts()[1], "Unknown Conversion");
    ReportCapture::Clear();
    EXPECT_EQ(Fmt("%2$d", 1, 2), "");
    EXPECT_EQ(ReportCapture::Texts().at(0), "Not all parameters between 1 and 2 specified");
    ReportCapture::Clear();
    EXPECT_EQ(Fmt("%1$d %1$s", 1), "");
    EXPECT_EQ(ReportCapture::Texts().at(0), "Parameter 1 type info [-2] redefined (was [3])");
    ReportCapture::Clear();
    EXPECT_EQ(Fmt("x%11$d", 1), "x");
    EXPECT_EQ(ReportCapture::Texts().at(0), "Unknown Conversion");
}

TEST_F(FormatEngine, UnknownConversionsStopFormatting) {
    EXPECT_EQ(Fmt("ok %X never", 1), "ok ");
    EXPECT_EQ(Fmt("a%I64d", 1ll), "a");
    EXPECT_EQ(Fmt("b%5"), "b");
    EXPECT_EQ(ReportCapture::Texts().size(), 6u);  // each call reports twice: writing and measuring
    for (const std::string& r : ReportCapture::Texts()) EXPECT_EQ(r, "Unknown Conversion");
}

TEST_F(FormatEngine, LimitsAndWrappers) {
    uChar buf[16];
    EXPECT_EQ(SNPrintf(buf, 4, "%s", "abcdef"), 4);
    EXPECT_STREQ(reinterpret_cast<char*>(buf), "abc");
    EXPECT_EQ(SNPrintf(nullptr, 4, "%s", "abcdef"), 6);
    uChar big[300];
    std::memset(big, 'q', sizeof big);
    const std::string long300(300, 'z');
    EXPECT_EQ(PPrintf(big, "%s", long300.c_str()), 255);
    EXPECT_EQ(big[0], 255);
    EXPECT_EQ(big[256], 'q');
    const uChar pfmt[] = {4, '%', 'd', '!', '!'};
    uChar pout[256];
    EXPECT_EQ(PPrintfp(pout, pfmt, 12), 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(pout + 1), pout[0]), "12!!");
    EXPECT_EQ(SPrintfp(buf, pfmt, 3), 3);
    EXPECT_STREQ(reinterpret_cast<char*>(buf), "3!!");
    uChar exact[5] = {'#', '#', '#', '#', '#'};
    EXPECT_EQ(Limited(exact, 3, "%d", 123456), 3);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(exact), 5), "123##");
}

// A lone %d, %x or %.Nf takes a shorter road than the same directive with a zero width ("%0d"), which walks
// the whole directive syntax: both must give the C library's text, and cut it alike at every limit. The C
// library's text is compared where the engine's fixed form applies (no exponent form past 17 digits).
void ExpectSameAsGeneral(const char* quick, const char* general, const char* expected, auto value) {
    uChar a[64], b[64];
    const int32 n = Limited(a, sizeof a, quick, value);
    if (expected) {
        ASSERT_EQ(std::string(reinterpret_cast<char*>(a), size_t(n)), expected) << quick;
    }
    ASSERT_EQ(Limited(nullptr, 0, quick, value), n) << quick;  // measuring
    for (uInt32 limit = 0; limit <= uInt32(n) + 1; ++limit) {
        std::memset(a, 0xEE, sizeof a);
        std::memset(b, 0xEE, sizeof b);
        ASSERT_EQ(Limited(a, limit, quick, value), Limited(b, limit, general, value))
            << quick << " " << limit;
        ASSERT_EQ(std::memcmp(a, b, sizeof a), 0) << quick << " " << limit;
    }
}

// The C library's %.Nf where the engine writes the same: it drops the sign of a value that rounds to zero,
// and gives 17 significant digits at most (the rest zeros), so longer texts are not compared.
const char* CFixed(char (&c)[64], double v, int32 digits) {
    std::snprintf(c, sizeof c, "%.*f", digits, v);
    int32 significant = 0;
    bool leading = true;
    for (const char* p = c; *p; ++p)
        if (*p >= '0' && *p <= '9' && !(leading && *p == '0')) leading = false, ++significant;
    if (significant > 17) return nullptr;
    return c[0] == '-' && significant == 0 ? c + 1 : c;
}

TEST_F(FormatEngine, LoneDirectivesMatchTheGeneralPathAndTheCLibrary) {
    std::vector<int32> ints = {INT32_MIN, INT32_MIN + 1, -1000000000,   -99999,   -10, -9, -1, 0, 1, 9, 10,
                               99999,     1000000000,    INT32_MAX - 1, INT32_MAX};
    uInt32 x = 12345;
    for (int32 i = 0; i < 2000; ++i) ints.push_back(int32(x = x * 1664525u + 1013904223u) >> (i % 31));
    char c[64];
    for (int32 v : ints) {
        std::snprintf(c, sizeof c, "%d", v);
        ExpectSameAsGeneral("%d", "%0d", c, v);
        ExpectSameAsGeneral("%i", "%0i", c, v);
        std::snprintf(c, sizeof c, "%X", unsigned(v));
        ExpectSameAsGeneral("%x", "%0x", c, v);
    }
    std::vector<double> reals = {0.0,
                                 -0.0,
                                 1e-17,
                                 -1e-17,
                                 0.5,
                                 1.5,
                                 2.5,
                                 -2.5,
                                 0.0000005,
                                 0.0000015,
                                 0.1,
                                 1.0 / 3,
                                 123456.7890125,
                                 99999999.9999995,
                                 1e16,
                                 9.99999999999999e16,
                                 1e17,
                                 -1e17,
                                 1e300,
                                 1e-300,
                                 5e-324};
    for (int32 i = 0; i < 2000; ++i)
        reals.push_back((double(x = x * 1664525u + 1013904223u) - 2147483648.0) *
                        std::pow(10.0, i % 30 - 18));
    for (double v : reals)
        for (int32 digits : {0, 1, 6, 9}) {
            const std::string quick = "%." + std::to_string(digits) + "f", general = "%0" + quick.substr(1);
            const bool ordinary = std::fabs(v) >= 1e-17 && std::fabs(v) < 1e17;
            ExpectSameAsGeneral(quick.c_str(), general.c_str(), ordinary ? CFixed(c, v, digits) : nullptr, v);
        }
}

}  // namespace
