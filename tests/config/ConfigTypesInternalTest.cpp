// Every built-in configuration type: the text written, and the text read back.
#include <gtest/gtest.h>

#include "config/ConfigTypeRegistry.h"
#include "tqcore/memory.h"

namespace {

class ConfigTypes : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(InitConfigTypeRegistry(), kErrNone);
        ASSERT_EQ(tq::config::RegisterCoreConfigTypes(), kErrNone);
    }
    static void TearDownTestSuite() { ASSERT_EQ(UninitConfigTypeRegistry(), kErrNone); }

    template <class T>
    std::string Text(int32 type, const T& value) {
        std::string text;
        EXPECT_EQ(ConfigTypeToString(type, &value, &text), kErrNone);
        return text;
    }
    template <class T>
    TqErr Read(int32 type, const std::string& text, T& value) {
        return ConfigTypeFromString(type, text, &value);
    }
};

using Strings = std::vector<std::string>;

TEST_F(ConfigTypes, ByteStringsAndTheirLists) {
    EXPECT_EQ(Text(TQFourCC("NStr"), std::string("a b")), "\"a b\"");
    std::string s;
    EXPECT_EQ(Read(TQFourCC("NStr"), "x;y", s), kErrNone);
    EXPECT_EQ(s, "x;y");
    EXPECT_EQ(Text(TQFourCC("NStV"), Strings{"a", "b c"}), "\"a;b c\"");
    Strings v;
    EXPECT_EQ(Read(TQFourCC("NStV"), "a;b c;", v), kErrNone);
    EXPECT_EQ(v, (Strings{"a", "b c", ""}));
    EXPECT_EQ(Text(TQFourCC("ENSV"), Strings{"a;b", "c\\d"}), "\"a\\;b;c\\\\d\"");
    EXPECT_EQ(Read(TQFourCC("ENSV"), "a\\;b;c\\\\d", v), kErrNone);
    EXPECT_EQ(v, (Strings{"a;b", "c\\d"}));
}

TEST_F(ConfigTypes, BooleansAndNumbersUnderBothNames) {
    for (int32 type : {TQFourCC("Bool"), int32(kCfgTypeBoolNumber)}) {
        EXPECT_EQ(Text(type, int32(1)), "True");
        EXPECT_EQ(Text(type, int32(0)), "False");
        int32 b = -1;
        for (const char* t : {"true", "YES", "On"}) {
            EXPECT_EQ(Read(type, t, b), kErrNone) << t;
            EXPECT_EQ(b, 1);
        }
        for (const char* t : {"False", "no", "OFF"}) {
            EXPECT_EQ(Read(type, t, b), kErrNone) << t;
            EXPECT_EQ(b, 0);
        }
        for (const char* t : {"1", "0", "", "truth"}) EXPECT_EQ(Read(type, t, b), kErrConfigParse) << t;
    }
    int32 i = 0;
    EXPECT_EQ(Text(TQFourCC("I32 "), int32(-42)), "-42");
    EXPECT_EQ(Read(TQFourCC("I32 "), " 17", i), kErrNone);
    EXPECT_EQ(i, 17);
    EXPECT_EQ(Read(int32(kCfgTypeI32Number), "x1", i), kErrConfigParse);
    float f = 0;
    EXPECT_EQ(Text(TQFourCC("F32 "), 1.5f), "1.500000");
    EXPECT_EQ(Read(TQFourCC("F32 "), "2.25", f), kErrNone);
    EXPECT_EQ(f, 2.25f);
    EXPECT_EQ(Read(TQFourCC("F32 "), "abc", f), kErrConfigParse);
}

TEST_F(ConfigTypes, IntegerListsCountThenValues) {
    UHandle h = nullptr;
    ASSERT_EQ(Read(TQFourCC("I32L"), "1; 2 ;-3", h), kErrNone);
    ASSERT_NE(h, nullptr);
    int32 words[4];
    std::memcpy(words, *h, sizeof words);
    EXPECT_EQ(words[0], 3);
    EXPECT_EQ(words[1], 1);
    EXPECT_EQ(words[3], -3);
    EXPECT_EQ(Text(TQFourCC("I32L"), h), "1;2;-3");
    EXPECT_EQ(Read(TQFourCC("I32L"), "1;x", h), kErrConfigParse);
    DSDisposeHandle(h);
}

TEST_F(ConfigTypes, PascalAndLongStrings) {
    UHandle p = nullptr;
    ASSERT_EQ(Read(TQFourCC("PStr"), "hello", p), kErrNone);
    EXPECT_EQ((*p)[0], 5);
    EXPECT_EQ(Text(int32(kCfgTypePStrNumber), p), "\"hello\"");
    EXPECT_EQ(Read(TQFourCC("PStr"), std::string(256, 'x'), p), kErrConfigParse);
    EXPECT_EQ(Read(TQFourCC("PStr"), std::string(255, 'x'), p), kErrNone);
    DSDisposeHandle(p);
    Str255 fixed;
    EXPECT_EQ(Read(TQFourCC("P255"), "abc", fixed), kErrNone);
    EXPECT_EQ(Text(TQFourCC("P255"), fixed), "\"abc\"");
    EXPECT_EQ(Read(TQFourCC("P255"), std::string(300, 'y'), fixed), kErrConfigParse);
    LStrHandle l = nullptr;
    ASSERT_EQ(Read(TQFourCC("LStr"), std::string(1000, 'z'), l), kErrNone);
    EXPECT_EQ((*l)->cnt, 1000);
    EXPECT_EQ(Text(TQFourCC("LStr"), l), "\"" + std::string(1000, 'z') + "\"");
    DSDisposeHandle(reinterpret_cast<UHandle>(l));
}

TEST_F(ConfigTypes, PackedStringListsPlainAndEscaped) {
    CPStrHandle h = nullptr;
    ASSERT_EQ(Read(TQFourCC("CPSt"), "one;two", h), kErrNone);
    EXPECT_EQ((*h)->cnt, 2);
    EXPECT_EQ(Text(TQFourCC("CPSt"), h), "\"one;two\"");
    ASSERT_EQ(Read(TQFourCC("ECPS"), "a\\;b;c", h), kErrNone);
    EXPECT_EQ((*h)->cnt, 2);
    EXPECT_EQ(Text(TQFourCC("ECPS"), h), "\"a\\;b;c\"");
    EXPECT_EQ(Text(TQFourCC("CPSt"), h), "\"a;b;c\"");  // no escaping: the list is ambiguous as text
    DSDisposeHandle(reinterpret_cast<UHandle>(h));
}

TEST_F(ConfigTypes, PathsInTheDisplayForm) {
    PathRef p;
    ASSERT_EQ(Read(TQFourCC("Pthp"), "home:\\ann\\a.txt", p), kErrNone);
    EXPECT_EQ(p.ItemCount(), 3);
    EXPECT_EQ(Text(TQFourCC("Pthp"), p), "home:\\ann\\a.txt");
    std::vector<PathRef> list;
    ASSERT_EQ(Read(TQFourCC("PLst"), "a:\\x; b:\\y", list), kErrNone);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(Text(TQFourCC("PLst"), list), "\"a:\\x;b:\\y\"");
    EXPECT_EQ(Text(TQFourCC("PRfL"), list), "a:\\x;b:\\y");
    Path handle = nullptr;
    ASSERT_EQ(Read(TQFourCC("Path"), "c:\\d", handle), kErrNone);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(Text(int32(kCfgTypePathNumber), handle), "c:\\d");
    PathRef::DisposePath(handle);
}

TEST_F(ConfigTypes, UnknownTypesAndDuplicates) {
    int32 v = 0;
    std::string t;
    EXPECT_EQ(ConfigTypeFromString(TQFourCC("None"), "1", &v), kErrConfigBadType);
    EXPECT_EQ(ConfigTypeToString(TQFourCC("None"), &v, &t), kErrConfigBadType);
    EXPECT_EQ(RegisterConfigType(TQFourCC("Bool"), nullptr, nullptr), kErrGeneric);
    EXPECT_EQ(tq::config::TypeCodeText(TQFourCC("I32 ")), "I32 ");
}

}  // namespace
