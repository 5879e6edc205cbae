#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/TestHost.h"
#include "tqcore/core.h"
#include "tqcore/strings.h"

namespace {

struct Scan {
    int64 value;
    int32 consumed;
};

Scan Scan32(const char* text, int32 type, int32 base, bool unsignedOnly = false, int32 len = -1) {
    const uChar* p = reinterpret_cast<const uChar*>(text);
    const uChar* start = p;
    const int32 v = StringToNum32(&p, len < 0 ? int32(std::strlen(text)) : len, type, base, unsignedOnly);
    return {v, int32(p - start)};
}

Scan Scan64(const char* text, int32 type, int32 base) {
    const uChar* p = reinterpret_cast<const uChar*>(text);
    const uChar* start = p;
    const int64 v = StringToNum64(&p, int32(std::strlen(text)), type, base, false);
    return {v, int32(p - start)};
}

TEST(NumberScan, IntegersSignsSpacesAndStops) {
    Scan s = Scan32("   -42x", 3, 10, false, 7);
    EXPECT_EQ(s.value, -42);
    EXPECT_EQ(s.consumed, 6);
    s = Scan32("abc", 3, 10);
    EXPECT_EQ(s.value, 0);
    EXPECT_EQ(s.consumed, 0);
    s = Scan32("  - x", 3, 10);  // no digit: back to where parsing began
    EXPECT_EQ(s.consumed, 0);
    EXPECT_EQ(Scan32("+17", 3, 10).value, 17);
    EXPECT_EQ(Scan32("12345", 3, 10, false, 3).value, 123);  // length bounds the scan
    EXPECT_EQ(Scan32("7fFf", 3, 16).value, 0x7FFF);
    EXPECT_EQ(Scan32("zz", 3, 36).value, 35 * 36 + 35);
    EXPECT_EQ(Scan32("-5", 7, 10, true).consumed, 0);  // unsigned-only refuses '-'
}

TEST(NumberScan, RangeLimitsAndSaturation) {
    EXPECT_EQ(Scan32("300", 1, 10).value, 127);
    EXPECT_EQ(Scan32("-300", 1, 10).value, -128);
    EXPECT_EQ(Scan32("-5", 5, 10).value, 0);
    EXPECT_EQ(Scan32("ff", 1, 16).value, 255);
    EXPECT_EQ(Scan32("1ff", 1, 16).value, 127);
    EXPECT_EQ(Scan32("70000", 2, 10).value, 32767);
    EXPECT_EQ(Scan32("1ffff", 6, 16).value, 65535);
    Scan s = Scan32("99999999999", 3, 10);
    EXPECT_EQ(s.value, 2147483647);
    EXPECT_EQ(s.consumed, 11);  // digits after saturation are consumed
    EXPECT_EQ(Scan32("-99999999999", 3, 10).value, -2147483647 - 1);
    EXPECT_EQ(Scan32("-2147483647", 3, 10).value, -2147483647);
    EXPECT_EQ(Scan32("fffffffff", 3, 16).value, 0x7FFFFFFF);  // unsigned overflow, signed request
    EXPECT_EQ(uInt32(Scan32("fffffffff", 7, 16).value), 0xFFFFFFFFu);
    EXPECT_EQ(Scan64("99999999999", 4, 10).value, 99999999999ll);
    EXPECT_EQ(Scan64("-9223372036854775809", 4, 10).value, INT64_MIN);
    EXPECT_EQ(uInt64(Scan64("ffffffffffffffffff", 8, 16).value), ~0ull);
    EXPECT_EQ(Scan64("4000000000", 7, 10).value, 4000000000ll);  // 32-bit parse, zero-extended
}

TEST(NumberScan, LeadingPlusInUnsignedTextFollowsTheHost) {
    EXPECT_EQ(Scan32("+5", 7, 10, true).consumed, 0);  // no host: refused
    TestHost yes, no;
    yes.leadingPlus = true;
    TQAppInterfaceSet(&yes);
    EXPECT_EQ(Scan32("+5", 7, 10, true).value, 5);
    TQAppInterfaceSet(&no);
    EXPECT_EQ(Scan32("+5", 7, 10, true).consumed, 0);
    TQAppInterfaceSet(nullptr);
    EXPECT_EQ(Scan32("+5", 7, 10, false).value, 5);  // the normal mode always takes it
}

class TestCursor : public TextCursor {
  public:
    explicit TestCursor(const char* s) : s_(s) {}
    uChar Current() override { return uChar(s_[pos_]); }
    void Advance() override { ++pos_; }
    void Move(int32 offset) override { pos_ += offset; }
    int32 pos_ = 0;

  private:
    const char* s_;
};

TEST(NumberScan, CursorSourceRewindsOnNoDigits) {
    TestCursor c("  +q");
    EXPECT_EQ(StringToNumL(&c, 4, 3, 10, false), 0);
    EXPECT_EQ(c.pos_, 0);
    TestCursor d("-123456789012 ");
    EXPECT_EQ(StringToNumQ(&d, 14, 4, 10, false), -123456789012ll);
    EXPECT_EQ(d.pos_, 13);
}

std::string Digits(const PackedDecimalReal& p) {
    std::string s;
    for (int32 i = p.count - 1; i >= 0; --i) s += char('0' + ((p.digits[i / 2] >> (i % 2 ? 4 : 0)) & 0xF));
    return s;
}

TEST(NumberScan, PackedRecords) {
    constexpr int32 kAny = 1 << 20;
    const struct {
        const char* text;
        uChar point;
        int32 result;
        const char* digits;  // null: not checked
        int32 exponent;      // compared as the 16 bits stored
    } cases[] = {
        {"123.45", '.', 1, "12345", -2},
        {".05", '.', 1, "5", -2},
        {"-1,5e3", ',', 1, "15", 2},
        {"12345678901234567890", '.', 1, "123456789012345678", 2},  // 18 stored, the rest raise the exponent
        {"1e99999", '.', 1, nullptr, 8191},
        {"-inf", '.', 1, nullptr, 0x7FFF},
        {"NaNx", '.', 0, nullptr, 0x7FFE},
        {"12a", '.', 0, "12", kAny},
        {"- 7", '.', 1, "7", kAny},
        {"1.5 e 2", '.', 1, "15", 1},  // a space ends the fraction; an exponent may still follow
        {"1.5 x", '.', 0, nullptr, kAny},
        {"15", '5', 1, "1", 0},  // a point byte reads as the point even where it is a digit or a letter
        {"2e3", 'e', 1, "23", -1},
    };
    PackedDecimalReal p;
    auto scan = [&](const char* t, uChar point) {
        return StringToPacked(reinterpret_cast<const uChar*>(t), int32(std::strlen(t)), &p, point);
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(scan(c.text, c.point), c.result);
        if (c.digits) {
            EXPECT_EQ(Digits(p), c.digits);
        }
        if (c.exponent != kAny) {
            EXPECT_EQ(uInt16(p.exponent), uInt16(c.exponent));
        }
        if (c.text[0] == '-' && c.text[1] != ' ') {
            EXPECT_EQ(p.sign, 0x80);
        }
    }
    EXPECT_EQ(scan("", '.'), 1);
    EXPECT_EQ(p.count, 1);
}

TEST(NumberScan, PackedRendering) {
    PackedDecimalReal p;
    uChar buf[64];
    const char* text = "-9.995";
    StringToPacked(reinterpret_cast<const uChar*>(text), 6, &p, '.');
    PackedToString(&p, -2, buf, sizeof buf, '.');
    EXPECT_STREQ(reinterpret_cast<char*>(buf), "-10.00");  // half up on the digit string
    PackedToString(&p, 3, buf, sizeof buf, '.');
    EXPECT_STREQ(reinterpret_cast<char*>(buf), "-1.00E+1");
    text = "0.000123";
    StringToPacked(reinterpret_cast<const uChar*>(text), 8, &p, '.');
    PackedToString(&p, -5, buf, sizeof buf, ',');
    EXPECT_STREQ(reinterpret_cast<char*>(buf), "0,00012");
}

}  // namespace
