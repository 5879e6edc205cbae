// Path-typed configuration values: the text written reads back as the same path, through the converters and
// through a preference file, and hand-written text in the file's forms reads as the path it names.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "config/ConfigOperations.h"
#include "config/ConfigTestSupport.h"
#include "config/ConfigTypeRegistry.h"
#include "tqcore/config.h"

using tq::test::ScratchFolder;

namespace {

constexpr int32 kPath = TQFourCC("Path");
constexpr int32 kPthp = TQFourCC("Pthp");
constexpr int32 kPLst = TQFourCC("PLst");
constexpr int32 kPRfL = TQFourCC("PRfL");

PathRef Make(PathBase base, std::initializer_list<const char*> items) {
    PathRef p(base);
    for (const char* item : items) {
        if (std::string(item) == "..")
            p.AppendUpDir();
        else
            p.Append(item);
    }
    return p;
}

struct PathCase {
    const char* name;
    PathRef path;
};

// Items every form holds, and items only one of the two stored forms holds.
std::vector<PathCase> Cases() {
    return {
        {"absolute", Make(kBaseAbsolute, {"home", "ann", "a.txt"})},
        {"one item", Make(kBaseAbsolute, {"home"})},
        {"spaces inside", Make(kBaseAbsolute, {"my files", "a b.txt"})},
        {"unicode", Make(kBaseAbsolute, {"donn\xC3\xA9"
                                         "es",
                                         "\xE6\x97\xA5\xE6\x9C\xAC", "\xF0\x9F\x98\x80"})},
        {"colon in an item", Make(kBaseAbsolute, {"home", "a:b", ":"})},
        {"colon in the first item", Make(kBaseAbsolute, {"c:d", "e"})},
        {"backslash in an item", Make(kBaseAbsolute, {"home", "a\\b", "\\"})},
        {"the regression's items", Make(kBaseRelative, {".:.:\\:"})},
        {"slash in an item", Make(kBaseAbsolute, {"home", "a/b"})},
        {"blanks at the ends", Make(kBaseAbsolute, {" a", "b\t"})},
        {"relative, colon and slash first", Make(kBaseRelative, {"a:b/c", "d"})},
        {"quotation marks", Make(kBaseRelative, {"\"a", "b\""})},
        {"blanks at the ends, relative", Make(kBaseRelative, {"\ta", "b "})},
        {"relative", Make(kBaseRelative, {"a", "b c"})},
        {"relative, colon first", Make(kBaseRelative, {"a:b", "c"})},
        {"relative, backslash", Make(kBaseRelative, {"a\\b"})},
        {"relative, up", Make(kBaseRelative, {"..", "..", "x"})},
        {"empty relative", Make(kBaseRelative, {})},
        {"root", Make(kBaseAbsolute, {})},
    };
}

std::string AsStored(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
    return text;
}

class ConfigPathValues : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(InitConfigTypeRegistry(), kErrNone);
        ASSERT_EQ(tq::config::RegisterCoreConfigTypes(), kErrNone);
    }
    static void TearDownTestSuite() { ASSERT_EQ(UninitConfigTypeRegistry(), kErrNone); }

    static std::string Written(int32 type, const void* value) {
        std::string text;
        EXPECT_EQ(ConfigTypeToString(type, value, &text), kErrNone);
        return AsStored(text);
    }
    static testing::AssertionResult Same(const PathRef& a, const PathRef& b) {
        if (a.Equals(b, kCompareExact)) return testing::AssertionSuccess();
        return testing::AssertionFailure() << a.ToString(PathRef::StringPlatformIndependent()) << " is not "
                                           << b.ToString(PathRef::StringPlatformIndependent());
    }
};

TEST_F(ConfigPathValues, EveryPathTypeReadsBackWhatItWrote) {
    for (const PathCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(tq::config::PathValueTextHolds(c.path));
        PathRef read;
        const std::string pthp = Written(kPthp, &c.path);
        ASSERT_EQ(ConfigTypeFromString(kPthp, pthp, &read), kErrNone) << pthp;
        EXPECT_TRUE(Same(read, c.path)) << pthp;

        Path handle = new PathRef(c.path);
        Path back = nullptr;
        EXPECT_EQ(Written(int32(kCfgTypePathNumber), &handle), pthp);
        ASSERT_EQ(ConfigTypeFromString(kPath, pthp, &back), kErrNone);
        EXPECT_TRUE(Same(*back, c.path));
        PathRef::DisposePath(handle);
        PathRef::DisposePath(back);

        const std::vector<PathRef> list{c.path, Make(kBaseAbsolute, {"x"}), c.path};
        for (int32 type : {kPLst, kPRfL}) {
            std::vector<PathRef> listBack;
            const std::string text = Written(type, &list);
            ASSERT_EQ(ConfigTypeFromString(type, text, &listBack), kErrNone) << text;
            ASSERT_EQ(listBack.size(), list.size()) << text;
            for (size_t i = 0; i < list.size(); ++i) EXPECT_TRUE(Same(listBack[i], list[i])) << text;
        }
    }
}

TEST_F(ConfigPathValues, PathsTheDisplayFormHoldsAreWrittenInIt) {
    const struct {
        PathRef path;
        const char* text;
    } cases[] = {
        {Make(kBaseAbsolute, {"home", "ann", "a.txt"}), "home:\\ann\\a.txt"},
        {Make(kBaseAbsolute, {"my files", "a b.txt"}), "my files:\\a b.txt"},
        {Make(kBaseAbsolute, {"home", "a/b"}), "home:\\a/b"},
        {Make(kBaseAbsolute, {"home", "a:b"}), "home:\\a:b"},
        {Make(kBaseRelative, {"a", "b c"}), "a\\b c"},
        {Make(kBaseRelative, {"..", "x"}), "..\\x"},
        // The display form cannot hold these items: the Unix form, always opening with "/" or "./".
        {Make(kBaseAbsolute, {"c:d", "e"}), "/c:d/e"},
        {Make(kBaseAbsolute, {"home", "a\\b"}), "/home/a\\b"},
        {Make(kBaseRelative, {"a:b", "c"}), "./a:b/c"},
        {Make(kBaseRelative, {".:.:\\:"}), "./.:.:\\:"},
        // Nor the root, whose display text is empty: no value in the file, and a part that lists skip.
        {Make(kBaseAbsolute, {}), "/"},
        // Blanks at either end of the text would be trimmed away: the Unix form, ending in "/" if need be.
        {Make(kBaseAbsolute, {" a", "b "}), "/ a/b /"},
        {Make(kBaseRelative, {"a", "b "}), "./a/b /"},
        {Make(kBaseRelative, {" a", "b"}), "./ a/b"},
        // The store would take quotation marks at both ends away.
        {Make(kBaseRelative, {"\"a", "b\""}), "./\"a/b\""},
        // A first item with ':' and '/': the display form after its "." item.
        {Make(kBaseRelative, {"a:b/c", "d"}), ".\\a:b/c\\d"},
        {Make(kBaseRelative, {}), "."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Written(kPthp, &c.path), c.text);
        const std::vector<PathRef> list{c.path, c.path};
        EXPECT_EQ(Written(kPRfL, &list), std::string(c.text) + ";" + c.text);
    }
}

TEST_F(ConfigPathValues, HandWrittenTextReadsInEitherForm) {
    const struct {
        const char* text;
        PathRef path;
    } cases[] = {
        {"home:\\ann\\a.txt", Make(kBaseAbsolute, {"home", "ann", "a.txt"})},
        {"/home/ann/a.txt", Make(kBaseAbsolute, {"home", "ann", "a.txt"})},
        {"/home//ann/./a.txt", Make(kBaseAbsolute, {"home", "ann", "a.txt"})},
        {"./a:b/c", Make(kBaseRelative, {"a:b", "c"})},
        {"a\\b c", Make(kBaseRelative, {"a", "b c"})},
        {"a/b", Make(kBaseRelative, {"a/b"})},
    };
    for (const auto& c : cases) {
        PathRef read;
        ASSERT_EQ(ConfigTypeFromString(kPthp, c.text, &read), kErrNone) << c.text;
        EXPECT_TRUE(Same(read, c.path)) << c.text;
    }
    std::vector<PathRef> list;
    ASSERT_EQ(ConfigTypeFromString(kPLst, " /a/b ; c:\\d;./e:f ", &list), kErrNone);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_TRUE(Same(list[0], Make(kBaseAbsolute, {"a", "b"})));
    EXPECT_TRUE(Same(list[1], Make(kBaseAbsolute, {"c", "d"})));
    EXPECT_TRUE(Same(list[2], Make(kBaseRelative, {"e:f"})));
}

// A volume name no OS gives, with ':' and '/', is the one path no form holds: written as its display text.
TEST_F(ConfigPathValues, AVolumeWithColonAndSlashIsNotHeld) {
    const PathRef odd = Make(kBaseAbsolute, {"a:b/c", "d"});
    EXPECT_FALSE(tq::config::PathValueTextHolds(odd));
    EXPECT_EQ(Written(kPthp, &odd), "a:b/c:\\d");
    EXPECT_TRUE(tq::config::PathValueTextHolds(PathRef(kBaseNotAPath)));
}

// NotAPath is written as the NotAPath text and read from it, whatever the host names it.
TEST_F(ConfigPathValues, NotAPathIsTheNotAPathText) {
    const PathRef nap(kBaseNotAPath);
    const std::string saved = PathRef::GetNotAPathString();
    for (const char* name : {"", "<Not A Path>"}) {
        PathRef::SetNotAPathString(name);
        PathRef read = Make(kBaseAbsolute, {"x"});
        EXPECT_EQ(Written(kPthp, &nap), name);
        ASSERT_EQ(ConfigTypeFromString(kPthp, name, &read), kErrNone);
        EXPECT_TRUE(Same(read, nap)) << name;
        ASSERT_EQ(ConfigTypeFromString(kPthp, "x", &read), kErrNone);
        EXPECT_TRUE(Same(read, Make(kBaseRelative, {"x"})));
    }
    PathRef::SetNotAPathString(saved);
}

// Through a preference file: written by one manager, read by another one that loads the file afresh.
TEST_F(ConfigPathValues, APathWrittenToTheFileReadsBackEqual) {
    ScratchFolder folder;
    const std::string file = folder.OsName("prefs.ini");
    PathRef filePath = tq::config::PathFromOsText(file);
    ConfigManager* writer = nullptr;
    ASSERT_EQ(ConstructCfgAccessPathRef(filePath, &writer), kErrNone);
    ASSERT_EQ(writer->UpdateSectionHeader("Paths"), kErrNone);
    const std::vector<PathCase> cases = Cases();
    for (size_t i = 0; i < cases.size(); ++i)
        ASSERT_EQ(writer->Write(kPthp, "P" + std::to_string(i), &cases[i].path, 0), kErrNone)
            << cases[i].name;
    writer->RemoveRef();

    ConfigManager* reader = nullptr;
    ASSERT_EQ(ConstructCfgAccessPathRef(filePath, &reader), kErrNone);
    ASSERT_EQ(reader->UpdateSectionHeader("Paths"), kErrNone);
    for (size_t i = 0; i < cases.size(); ++i) {
        PathRef read;
        ASSERT_EQ(reader->GetDefault(kPthp, "P" + std::to_string(i), &read), kErrNone) << cases[i].name;
        EXPECT_TRUE(Same(read, cases[i].path)) << cases[i].name;
    }
    reader->RemoveRef();
}

}  // namespace
