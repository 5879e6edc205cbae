#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "tqcore/diagnostics.h"
#include "tqcore/numerics.h"

namespace {

// The text one value appends to an empty stream.
template <class T>
std::string Rendered(const T& value) {
    DebugStream s("unit", 1, "r", kDbgNote);
    ToDebugStream(s, value);
    return s.Text();
}

std::string Hex16(uintptr_t v, const char* format) {
    char buf[32];
    std::snprintf(buf, sizeof buf, format, static_cast<unsigned long long>(v));
    return buf;
}

int SampleFunction(int x) {
    return x + 1;
}

TEST(DebugStreamFormatTest, IntegerRenderings) {
    EXPECT_EQ(Rendered(uInt8(255)), "255");
    EXPECT_EQ(Rendered(uInt16(65535)), "65535");
    EXPECT_EQ(Rendered(uInt32(4294967295u)), "4294967295");
    EXPECT_EQ(Rendered(int16(-32768)), "-32768");
    EXPECT_EQ(Rendered(int32(std::numeric_limits<int32>::min())), "-2147483648");
    EXPECT_EQ(Rendered(std::numeric_limits<long long>::min()), "-9223372036854775808");
    EXPECT_EQ(Rendered(std::numeric_limits<unsigned long long>::max()), "18446744073709551615");
    EXPECT_EQ(Rendered(int64(-42)), "-42");
    EXPECT_EQ(Rendered(uInt64(1) << 40), "1099511627776");
    EXPECT_EQ(Rendered(int8(-3)), "-3");
}

TEST(DebugStreamFormatTest, RealBoolAndFunctionRenderings) {
    EXPECT_EQ(Rendered(1.5f), "1.500000");
    EXPECT_EQ(Rendered(-0.125), "-0.125000");
    EXPECT_EQ(Rendered(2.0 / 3.0), "0.666667");
    const std::string huge = Rendered(1e300);
    EXPECT_EQ(huge.size(), 301u + 7u) << "a wide value is not cut short";
    EXPECT_EQ(huge.substr(0, 4), "1000");
    EXPECT_EQ(Rendered(true), "true");
    EXPECT_EQ(Rendered(false), "false");
    const std::string fn = Rendered(&SampleFunction);
    EXPECT_EQ(fn, Hex16(reinterpret_cast<uintptr_t>(&SampleFunction), "%016llX"));
    EXPECT_EQ(SampleFunction(1), 2);
}

TEST(DebugStreamFormatTest, ComplexRendersBothParts) {
    struct Single {
        float re, im;
    };
    struct Double {
        double re, im;
    };
    EXPECT_EQ(Rendered(Single{1.5f, -2.0f}), "(1.500000, -2.000000)");
    EXPECT_EQ(Rendered(Double{0.0, 1e-7}), "(0.000000, 0.000000)");
    EXPECT_EQ(Rendered(Double{-3.25, 4.5}), "(-3.250000, 4.500000)");
    EXPECT_EQ(Rendered(cmplx64{0.5f, 8.0f}), "(0.500000, 8.000000)");
    EXPECT_EQ(Rendered(cmplx128{-1.0, 0.25}), "(-1.000000, 0.250000)");
}

TEST(DebugStreamFormatTest, LongStringsAndHandles) {
    struct {
        int32 cnt;
        char bytes[12];
    } block = {5, "helloXXXXXX"};
    const LStr* text = reinterpret_cast<const LStr*>(&block);
    EXPECT_EQ(Rendered(text), "hello");
    LStr* mp = const_cast<LStr*>(text);
    LStrHandle handle = &mp;
    EXPECT_EQ(Rendered(handle), "hello");
    block.cnt = 0;
    EXPECT_EQ(Rendered(text), "");
    block.cnt = -4;
    EXPECT_EQ(Rendered(text), "");
    EXPECT_EQ(Rendered(static_cast<const LStr*>(nullptr)), "");
    EXPECT_EQ(Rendered(static_cast<LStrHandle>(nullptr)), "");
    LStr* nothing = nullptr;
    EXPECT_EQ(Rendered(&nothing), "");
}

TEST(DebugStreamFormatTest, WrapperRenderings) {
    EXPECT_EQ(Rendered(DbgFmtCStr("plain")), "plain");
    EXPECT_EQ(Rendered(DbgFmtCStr(nullptr)), "");
    const uChar pascal[] = {3, 'a', 'b', 'c', 'd'};
    EXPECT_EQ(Rendered(DbgFmtPStr(pascal)), "abc");
    const uChar empty[] = {0, 'x'};
    EXPECT_EQ(Rendered(DbgFmtPStr(empty)), "");
    EXPECT_EQ(Rendered(DbgFmtPStr(nullptr)), "");
    EXPECT_EQ(Rendered(DbgFmtPtr(reinterpret_cast<const void*>(uintptr_t(0x1234)))), "0x0000000000001234");
    int local = 0;
    EXPECT_EQ(Rendered(DbgFmtPtr(&local)), Hex16(reinterpret_cast<uintptr_t>(&local), "0x%016llx"));
    EXPECT_EQ(Rendered(DbgFmtPtr(nullptr, "%d and %d")), "__DbgFmtType: Bad Format__");
}

TEST(DebugStreamFormatTest, QuadCharShowsMemoryOrderWithControlBytesBlanked) {
    const char bytes[4] = {'A', 'B', 0x01, 'C'};
    int32 code;
    std::memcpy(&code, bytes, sizeof code);
    EXPECT_EQ(Rendered(DbgFmtQuadChar(code)), "AB C");
    EXPECT_EQ(Rendered(DbgFmtQuadChar(TQFourCC("STR#"))), "STR#");
    const char edge[4] = {0x7F, 0x1F, ' ', '~'};
    std::memcpy(&code, edge, sizeof code);
    EXPECT_EQ(Rendered(DbgFmtQuadChar(code)), "   ~");
    EXPECT_EQ(Rendered(DbgFmtQuadChar(0)), "    ");
    const char high[4] = {char(0xE9), 'x', 'y', 'z'};
    std::memcpy(&code, high, sizeof code);
    EXPECT_EQ(Rendered(DbgFmtQuadChar(code)), std::string(high, 4)) << "bytes above 0x7F are kept";
}

TEST(DebugStreamFormatTest, CallerFormatsFitTheirLengthModifier) {
    EXPECT_EQ(Rendered(DbgFmtType<int32>(255, "%08x")), "000000ff");
    EXPECT_EQ(Rendered(DbgFmtType<int32>(5, "value=%d%%")), "value=5%");
    EXPECT_EQ(Rendered(DbgFmtType<int64>(-1, "%u")), "4294967295") << "no modifier reads 32 bits";
    EXPECT_EQ(Rendered(DbgFmtType<int64>(-1, "%I64u")), "18446744073709551615");
    EXPECT_EQ(Rendered(DbgFmtType<uInt64>(0x1122334455667788ull, "%I64X")), "1122334455667788");
    EXPECT_EQ(Rendered(DbgFmtType<uInt64>(0x1122334455667788ull, "%lx")), "55667788") << "long is 32 bits";
    EXPECT_EQ(Rendered(DbgFmtType<uInt64>(0x1122334455667788ull, "%llx")), "1122334455667788");
    EXPECT_EQ(Rendered(DbgFmtType<int32>(257, "%hhu")), "1");
    EXPECT_EQ(Rendered(DbgFmtType<int32>(-1, "%hd")), "-1");
    EXPECT_EQ(Rendered(DbgFmtType<int32>(65535, "%hd")), "-1");
    EXPECT_EQ(Rendered(DbgFmtType<uInt32>(0x80000000u, "%d")), "-2147483648");
    EXPECT_EQ(Rendered(DbgFmtType<int32>('Q', "[%c]")), "[Q]");
    EXPECT_EQ(Rendered(DbgFmtType<double>(3.14159, "%.2f")), "3.14");
    EXPECT_EQ(Rendered(DbgFmtType<double>(-2.5, "%+8.1e")), "-2.5e+00");
    EXPECT_EQ(Rendered(DbgFmtType<const char*>("txt", "<%5s>")), "<  txt>");
    EXPECT_EQ(Rendered(DbgFmtType<const char*>(nullptr, "<%s>")), "<>");
}

TEST(DebugStreamFormatTest, MismatchedOrBadFormatsRenderTheMarker) {
    const std::string bad = "__DbgFmtType: Bad Format__";
    EXPECT_EQ(Rendered(DbgFmtType<int32>(1, "%d %d")), bad);
    EXPECT_EQ(Rendered(DbgFmtType<int32>(1, "no conversion")), bad);
    EXPECT_EQ(Rendered(DbgFmtType<int32>(1, nullptr)), bad);
    EXPECT_EQ(Rendered(DbgFmtType<int32>(1, "%*d")), bad);
    EXPECT_EQ(Rendered(DbgFmtType<int32>(1, "%n")), bad);
    EXPECT_EQ(Rendered(DbgFmtType<int32>(1, "%")), bad);
    EXPECT_EQ(Rendered(DbgFmtType<double>(1.0, "%d")), bad);
    EXPECT_EQ(Rendered(DbgFmtType<int32>(1, "%f")), bad);
    EXPECT_EQ(Rendered(DbgFmtType<int32>(1, "%s")), bad);
    EXPECT_EQ(Rendered(DbgFmtType<const char*>("x", "%d")), bad);
    // A huge width is cut at the stream's capacity, never overrun.
    EXPECT_EQ(Rendered(DbgFmtType<int32>(1, "%99999d")).size(), 2047u);
}

TEST(DebugStreamFormatTest, VerifySingleFormatSpecifierCases) {
    EXPECT_EQ(VerifySingleFormatSpecifier("%d"), 1);
    EXPECT_EQ(VerifySingleFormatSpecifier("%d is 100%%"), 1);
    EXPECT_EQ(VerifySingleFormatSpecifier("%%%s"), 1);
    EXPECT_EQ(VerifySingleFormatSpecifier("x=%-08.3I64d;"), 1);
    EXPECT_EQ(VerifySingleFormatSpecifier("%p"), 1);
    EXPECT_EQ(VerifySingleFormatSpecifier("%d %s"), 0);
    EXPECT_EQ(VerifySingleFormatSpecifier("100%%"), 0);
    EXPECT_EQ(VerifySingleFormatSpecifier(""), 0);
    EXPECT_EQ(VerifySingleFormatSpecifier(nullptr), 0);
    EXPECT_EQ(VerifySingleFormatSpecifier("%*d"), 0);
    EXPECT_EQ(VerifySingleFormatSpecifier("%.*f"), 0);
    EXPECT_EQ(VerifySingleFormatSpecifier("trailing %"), 0);
    EXPECT_EQ(VerifySingleFormatSpecifier("%y"), 0);
    EXPECT_EQ(VerifySingleFormatSpecifier("%n"), 0);
}

}  // namespace
