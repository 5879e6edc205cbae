#include "PathTestSupport.h"
#include "support/ReportCapture.h"

namespace {

TEST(PathNames, Extensions) {
    EXPECT_EQ(PathRef::NameGetExtension("a.tar.gz"), "gz");
    EXPECT_EQ(PathRef::NameGetExtension("plain"), "");
    EXPECT_EQ(PathRef::NameGetExtension("ends."), "");
    EXPECT_EQ(PathRef::NameRemoveExtension("a.tar.gz"), "a.tar");
    EXPECT_EQ(PathRef::NameRemoveExtension("ends."), "ends");
    EXPECT_EQ(PathRef::NameRemoveExtension("plain"), "plain");
    EXPECT_EQ(PathRef::NameAppendExtension("a", "txt"), "a.txt");
    EXPECT_EQ(PathRef::NameAppendExtension("a", ""), "a.");
}

TEST(PathNames, PathExtensionsEditTheLastItem) {
    PathRef p = MakePath(kBaseRelative, {"dir", "file.tar.gz"});
    EXPECT_EQ(p.Extension(), "gz");
    EXPECT_EQ(p.GetExtension(), "gz");
    std::string ext;
    EXPECT_EQ(p.CopyExtension(&ext), 0);
    EXPECT_EQ(ext, "gz");
    EXPECT_EQ(p.CopyExtension(nullptr), 1);
    p.RemoveExtension();
    EXPECT_EQ(Items(p), (Names{"dir", "file.tar"}));
    p.AppendExtension(std::string("zip"));
    EXPECT_EQ(Items(p), (Names{"dir", "file.tar.zip"}));
    PathRef dotted = MakePath(kBaseRelative, {"dir", "name."});
    dotted.RemoveExtension();
    EXPECT_EQ(Items(dotted), (Names{"dir", "name"}));
    PathRef hidden = MakePath(kBaseRelative, {"dir", ".profile"});
    hidden.RemoveExtension();
    EXPECT_EQ(Items(hidden), (Names{"dir", ".profile"})) << "an empty name would read as an up-dir";
    PathRef none;
    EXPECT_PKEXCEPT(none.AppendExtension(std::string("x")), kErrArgument, "PathRef AppendExtension");
    EXPECT_PKEXCEPT(none.RemoveExtension(), kErrArgument, "PathRef RemoveExtension");
    EXPECT_PKEXCEPT(none.GetExtension(), kErrArgument, "PathRef CopyExtension");
    PathRef empty(kBaseAbsolute);
    EXPECT_PKEXCEPT(empty.AppendExtension(std::string("x")), kErrArgument, "PathRef AppendExtension");
    EXPECT_EQ(empty.Element(), nullptr);
}

struct TwoEntries {
    int32 count = 2;
    ExtensionListEntry entries[2] = {{1111, "txt"}, {2222, "vi"}};
};
struct OneEntry {
    int32 count = 1;
    ExtensionListEntry entries[1] = {{3333, "CTL"}};
};

TEST(PathNames, ExtensionListsPrimaryThenSecondary) {
    static TwoEntries primary;
    static OneEntry secondary;
    ReportCapture capture;
    PathRef::SetExtensionList(reinterpret_cast<const ExtensionList*>(&primary),
                              reinterpret_cast<const ExtensionList*>(&secondary));
    EXPECT_EQ(PathRef::NameGetExtensionType("a.TXT"), 1111);
    EXPECT_EQ(PathRef::NameGetExtensionType("b.ctl"), 3333);
    EXPECT_EQ(PathRef::NameGetExtensionType("c.none"), 0);
    EXPECT_EQ(PathRef::NameGetExtensionType("vi"), 0);
    EXPECT_TRUE(PathRef::NameHasExtension("x.Vi", 2222));
    EXPECT_FALSE(PathRef::NameHasExtension("x.vi", 1111));
    EXPECT_FALSE(PathRef::NameHasExtension("x.vi", 9999));
    EXPECT_EQ(PathRef::NameAppendExtension("x", 3333), "x.CTL");
    EXPECT_EQ(PathRef::NameAppendExtension("x", 9999), "x");
    PathRef p = MakePath(kBaseRelative, {"f"});
    p.AppendExtension(_FMFileType(1111));
    EXPECT_EQ(p.Name(), "f.txt");
    p.AppendExtension(_FMFileType(9999));
    EXPECT_EQ(p.Name(), "f.txt");
    EXPECT_EQ(ReportCapture::Count(kDbgWarn, "The extension lists should only be set once"), 0);
    PathRef::SetExtensionList(reinterpret_cast<const ExtensionList*>(&primary), nullptr);
    EXPECT_EQ(ReportCapture::Count(kDbgWarn, "The extension lists should only be set once"), 1);
    EXPECT_EQ(PathRef::NameGetExtensionType("b.ctl"), 0);
}

TEST(PathNames, CompareAndEquals) {
    EXPECT_TRUE(PathRef::NameEquals("Abc", "aBC", kCompareDefault));
    EXPECT_FALSE(PathRef::NameEquals("Abc", "aBC", kCompareExact));
    EXPECT_TRUE(PathRef::NameEquals("Abx", 2, "abY", 2, kCompareIgnoreCase));
    EXPECT_FALSE(PathRef::NameEquals("Abx", 2, "abY", 3, kCompareIgnoreCase));
    EXPECT_LT(PathRef::NameCompare("ab", "abc", kCompareExact), 0);
    EXPECT_GT(PathRef::NameCompare("b", "A", kCompareLexical), 0);
    EXPECT_GT(PathRef::NameCompare("b", "A", kCompareExact), 0);
    EXPECT_LT(PathRef::NameCompare("B", "a", kCompareExact), 0);
    EXPECT_GT(PathRef::NameCompare("B", "a", kCompareDefault), 0);
}

TEST(PathNames, WildCards) {
    EXPECT_TRUE(PathRef::NameWildCardMatch("readme", "*.*")) << "a dot matches the end of the name";
    EXPECT_TRUE(PathRef::NameWildCardMatch("read.me", "*.*"));
    EXPECT_TRUE(PathRef::NameWildCardMatch("Report.TXT", "*.txt"));
    EXPECT_FALSE(PathRef::NameWildCardMatch("Report.txt2", "*.txt"));
    EXPECT_TRUE(PathRef::NameWildCardMatch("abc", "a?c"));
    EXPECT_FALSE(PathRef::NameWildCardMatch("ac", "a?c"));
    EXPECT_FALSE(PathRef::NameWildCardMatch("a\\c", "a?c"));
    EXPECT_FALSE(PathRef::NameWildCardMatch("dir\\file", "d*e"));
    EXPECT_TRUE(PathRef::NameWildCardMatch("dir\\file", "d**e"));
    EXPECT_TRUE(PathRef::NameWildCardMatch("EXACT", "exact"));
    EXPECT_FALSE(PathRef::NameWildCardMatch("exact1", "exact"));
    EXPECT_FALSE(PathRef::NameWildCardMatch("exac", "exact"));
    EXPECT_TRUE(PathRef::NameWildCardMatch("", "*"));
    EXPECT_TRUE(PathRef::NameWildCardMatch("", ""));
    EXPECT_FALSE(PathRef::NameWildCardMatch("x", ""));
    EXPECT_TRUE(PathRef::NameWildCardMatch("a.b.c", "*.c"));
    EXPECT_TRUE(PathRef::NameWildCardMatch("abcabd", "*ab?"));
    uChar pattern[] = "*.vi";
    uChar name[] = "Main.VI";
    EXPECT_EQ(FStrFitsPat(pattern, name, 4, 7), 1);
    EXPECT_EQ(FStrFitsPat(pattern, name, 4, 6), 0);
    EXPECT_EQ(FStrFitsPat(nullptr, name, 4, 7), 0);
    EXPECT_EQ(FStrFitsPat(pattern, name, -1, 7), 0);
}

}  // namespace
