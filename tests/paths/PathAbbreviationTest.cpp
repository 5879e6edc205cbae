#include <list>
#include <string>
#include <vector>

#include "PathTestSupport.h"
#include "tqcore/diagnostics.h"

namespace {

std::vector<std::string> Abbreviate(const std::list<PathRef>& paths, uInt32 limit, bool force = false) {
    TrimFromFrontAbbreviationStyle style;
    style.SetForceFullPathStrings(force);
    std::vector<std::string> out;
    EXPECT_EQ(PathRef::ToAbbreviatedDisplayStrings(paths, &out, style, CharCountMeasurementStyle(limit)), 0);
    return out;
}

using Texts = std::vector<std::string>;

TEST(PathMeasurement, CharCountAgainstTheLimit) {
    const CharCountMeasurementStyle three(3);
    EXPECT_FALSE(three.StringIsTooLong(""));
    EXPECT_FALSE(three.StringIsTooLong("abc"));
    EXPECT_TRUE(three.StringIsTooLong("abcd"));
    EXPECT_EQ(three.Limit(), 3u);
    EXPECT_FALSE(CharCountMeasurementStyle(0xFFFFFFFFu).StringIsTooLong(std::string(1000, 'x')));
}

TEST(PathAbbreviation, DistinctNamesShowTheNameAlone) {
    const PathRef a = MakePath(kBaseAbsolute, {"C", "dir", "file.txt"});
    const PathRef b = MakePath(kBaseAbsolute, {"C", "other", "notes.md"});
    EXPECT_EQ(Abbreviate({a, b}, 100), (Texts{"file.txt", "notes.md"}));
    EXPECT_EQ(Abbreviate({a}, 6), (Texts{"...txt"})) << "leading characters go behind an ellipsis";
    EXPECT_EQ(Abbreviate({a}, 3), (Texts{"..."}));
    EXPECT_EQ(Abbreviate({a}, 2), (Texts{""})) << "nothing of the name fits";
    EXPECT_EQ(Abbreviate({PathRef(kBaseAbsolute)}, 10), (Texts{""}));
}

TEST(PathAbbreviation, CollidingNamesShowTheFullText) {
    const PathRef a = MakePath(kBaseAbsolute, {"C", "a", "x"});
    const PathRef b = MakePath(kBaseAbsolute, {"C", "b", "X"});
    const PathRef c = MakePath(kBaseAbsolute, {"C", "b", "y"});
    EXPECT_EQ(Abbreviate({a, c, b}, 100), (Texts{"C:\\a\\x", "C:\\b\\y", "C:\\b\\X"}));
    EXPECT_EQ(Abbreviate({a, c}, 100), (Texts{"x", "y"}));
    EXPECT_EQ(Abbreviate({c}, 100, true), (Texts{"C:\\b\\y"})) << "forced";
    TrimFromFrontAbbreviationStyle style;
    EXPECT_FALSE(style.GetForceFullPathStrings());
    style.SetForceFullPathStrings(true);
    EXPECT_TRUE(style.GetForceFullPathStrings());
}

TEST(PathAbbreviation, FullTextElidesFromTheFrontThenTheVolume) {
    const PathRef p = MakePath(kBaseAbsolute, {"C", "one", "two", "three", "f.txt"});
    EXPECT_EQ(Abbreviate({p}, 22, true), (Texts{"C:\\one\\two\\three\\f.txt"}));
    EXPECT_EQ(Abbreviate({p}, 21, true), (Texts{"C:\\...\\three\\f.txt"}))
        << "eliding 'one' alone saves nothing, so 'two' goes too";
    EXPECT_EQ(Abbreviate({p}, 17, true), (Texts{"C:\\...\\f.txt"}));
    EXPECT_EQ(Abbreviate({p}, 11, true), (Texts{"...\\f.txt"}));
    EXPECT_EQ(Abbreviate({p}, 8, true), (Texts{"f.txt"})) << "then as a short string";
    EXPECT_EQ(Abbreviate({p}, 4, true), (Texts{"...t"}));
    const PathRef two = MakePath(kBaseAbsolute, {"Volume", "name"});
    EXPECT_EQ(Abbreviate({two}, 9, true), (Texts{"...\\name"}));
    const PathRef rel = MakePath(kBaseRelative, {"aa", "bb", "cc", "dd"});
    EXPECT_EQ(Abbreviate({rel}, 10, true), (Texts{"aa\\...\\dd"}));
}

TEST(PathAbbreviation, AppendsToWhatIsThereAndRefusesANullOut) {
    TrimFromFrontAbbreviationStyle style;
    std::vector<std::string> out{"kept"};
    EXPECT_EQ(style.PerformAbbreviation({MakePath(kBaseRelative, {"n"})}, &out, CharCountMeasurementStyle(5)),
              0);
    EXPECT_EQ(out, (Texts{"kept", "n"}));
    EXPECT_EQ(PathRef::ToAbbreviatedDisplayStrings({}, nullptr, style, CharCountMeasurementStyle(5)), 1);
    EXPECT_EQ(style.PerformAbbreviation({}, nullptr, CharCountMeasurementStyle(5)), 1);
}

std::string DebugText(const PathRef& p) {
    DebugStream s("test", 1, "r", kDbgNote);
    ToDebugStream(s, p);
    return s.Text();
}

TEST(PathDebugStream, DisplayTextOrTooLong) {
    EXPECT_EQ(DebugText(MakePath(kBaseAbsolute, {"C", "x"})), "C:\\x");
    PathRef longest = MakePath(kBaseAbsolute, {"C"});
    longest.Append(std::string(249, 'a'));  // "C:\" and 249 bytes: 252
    EXPECT_EQ(DebugText(longest).size(), 252u);
    PathRef over = MakePath(kBaseAbsolute, {"C"});
    over.Append(std::string(250, 'a'));  // 253
    EXPECT_EQ(DebugText(over), "<path too long>");
}

}  // namespace
