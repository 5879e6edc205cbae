#include <string>

#include "PathTestSupport.h"
#include "support/ReportCapture.h"
#include "tqcore/core.h"

namespace {

TEST(PathItems, EmptyPathsOfEachBaseAndNotAPath) {
    for (PathBase b : {kBaseAbsolute, kBaseRelative, kBaseUNC}) {
        const PathRef p(b);
        EXPECT_EQ(p.ItemCount(), 0);
        EXPECT_TRUE(p.StartsWith(b));
        EXPECT_NE(p.Element(), nullptr);
    }
    const PathRef n(kBaseNotAPath), beyond(PathBase(7));
    EXPECT_EQ(n.Element(), nullptr);
    EXPECT_EQ(beyond.Element(), nullptr);
    EXPECT_TRUE(n.StartsWith(kBaseNotAPath));
    EXPECT_TRUE(n.Equals(PathRef::NotAPath()));
    EXPECT_EQ(PathRef(static_cast<const PathRef*>(nullptr)).Element(), nullptr);
    const PathRef a = MakePath(kBaseAbsolute, {"D", "x"});
    EXPECT_EQ(Items(PathRef(&a)), (Names{"D", "x"}));
}

TEST(PathItems, ItemAccess) {
    const PathRef p = MakePath(kBaseRelative, {"a", "b", "c"});
    EXPECT_EQ(p.ItemCount(), 3);
    EXPECT_EQ(p.ItemAt(0), "a");
    EXPECT_EQ(p.ItemAt(2), "c");
    EXPECT_EQ(p.Name(), "c");
    EXPECT_PKEXCEPT(p.ItemAt(3), kErrEndOfData, "PathRef ItemAt, invalid index");
    EXPECT_PKEXCEPT(p.ItemAt(-1), kErrEndOfData, "PathRef ItemAt, invalid index");
    EXPECT_EQ(p.ItemCount(), 3) << "reading never changes the path";
    std::string out;
    EXPECT_EQ(p.CopyItemAt(-1, &out), 0);
    EXPECT_EQ(out, "c");
    EXPECT_EQ(p.CopyItemAt(1, &out), 0);
    EXPECT_EQ(out, "b");
    EXPECT_EQ(p.CopyItemAt(3, &out), 1);
    EXPECT_EQ(p.CopyItemAt(0, nullptr), 1);
    EXPECT_EQ(PathRef(kBaseRelative).CopyItemAt(-1, &out), 1);
    EXPECT_EQ(PathRef().CopyItemAt(0, &out), 1);
    EXPECT_EQ(PathRef().Name(), "");
    EXPECT_EQ(PathRef(kBaseAbsolute).Name(), "");
}

TEST(PathAppend, DotAndDotDotRules) {
    PathRef p = MakePath(kBaseRelative, {"a", "b"});
    const PathItemElement* before = p.Element();
    p.Append(".");
    EXPECT_EQ(p.Element(), before);
    p.Append("..");
    EXPECT_EQ(Items(p), (Names{"a"}));
    p.Append("");
    EXPECT_EQ(Items(p), (Names{}));
    p.Append("..");
    EXPECT_EQ(Items(p), (Names{"UP"}));
    p.Append("x");
    p.AppendUpDir();
    EXPECT_EQ(Items(p), (Names{"UP"}));
    PathRef abs(kBaseAbsolute);
    abs.Append("..");
    EXPECT_EQ(Items(abs), (Names{"UP"}));
    EXPECT_TRUE(abs.StartsWith(kBaseAbsolute));
    PathRef dots(kBaseRelative);
    dots.Append(std::string("..."));
    EXPECT_EQ(Items(dots), (Names{"..."})) << "names are stored as given";
    dots.Append("A\\b/c");
    EXPECT_EQ(dots.Name(), "A\\b/c");
}

TEST(PathAppend, NotAPathAndNullBaseRefuseItems) {
    PathRef n;
    EXPECT_PKEXCEPT(n.Append("a"), kErrArgument, "Append(PathRef::StringType)");
    EXPECT_EQ(n.Element(), nullptr);
    PathRef marker(kBaseNull);
    EXPECT_NE(marker.Element(), nullptr);
    EXPECT_FALSE(marker.IsValid());
    EXPECT_PKEXCEPT(marker.Append("a"), kErrArgument, "Append(PathRef::StringType)");
    EXPECT_EQ(marker.Element(), nullptr) << "a throwing member leaves NotAPath";
    n.Append(".");
    EXPECT_EQ(n.Element(), nullptr) << "\".\" is ignored before anything else";
}

TEST(PathAppend, RelativePaths) {
    PathRef p = MakePath(kBaseRelative, {"a", "b"});
    p.Append(MakePath(kBaseRelative, {UP, UP, "c"}));
    EXPECT_EQ(Items(p), (Names{"c"}));
    PathRef q = MakePath(kBaseAbsolute, {"D", "x"});
    q.Append(q.GetParentDirectory().GetRelativePathFromThisToThat(q));
    EXPECT_EQ(Items(q), (Names{"D", "x", "x"}));
    PathRef self = MakePath(kBaseRelative, {"s", "t"});
    self.Append(self);
    EXPECT_EQ(Items(self), (Names{"s", "t", "s", "t"}));

    PathRef r = MakePath(kBaseAbsolute, {"D"});
    EXPECT_PKEXCEPT(r.Append(MakePath(kBaseAbsolute, {"E"})), kErrArgument,
                    "Append(relativePath): Must be appending a relative path");
    EXPECT_EQ(r.Element(), nullptr);
    PathRef s = MakePath(kBaseAbsolute, {"D"});
    EXPECT_PKEXCEPT(s.Append(PathRef()), kErrArgument,
                    "Append(relativePath): NULL or NotAPath cannot be used");
    PathRef t = MakePath(kBaseAbsolute, {"D"});
    EXPECT_PKEXCEPT(t.Append(PathRef(kBaseNull)), kErrArgument,
                    "Append(relativePath): NULL or NotAPath cannot be used");
    PathRef u;
    EXPECT_PKEXCEPT(u.Append(MakePath(kBaseRelative, {"a"})), kErrArgument,
                    "Append(relativePath): NULL or NotAPath cannot be used");
}

TEST(PathElements, InterningSharesElements) {
    const PathRef a = MakePath(kBaseAbsolute, {"D", "a", "b"});
    const PathRef b = MakePath(kBaseAbsolute, {"D", "a", "b"});
    EXPECT_EQ(a.Element(), b.Element());
    const PathRef c = MakePath(kBaseAbsolute, {"D", "A", "b"});
    EXPECT_NE(a.Element(), c.Element()) << "the tree is case-sensitive";
    EXPECT_EQ(a.GetParentDirectory().Element(), b.GetParentDirectory().Element());
    EXPECT_EQ(PathRef(kBaseAbsolute).GetParentDirectory().Element(), nullptr);
    EXPECT_EQ(PathRef().GetParentDirectory().Element(), nullptr);
}

TEST(PathElements, CopiesAndAssignment) {
    PathRef a = MakePath(kBaseRelative, {"copy", "me"});
    PathRef b(a);
    EXPECT_EQ(a.Element(), b.Element());
    PathRef& self = a;
    a = self;
    EXPECT_EQ(Items(a), (Names{"copy", "me"}));
    b = PathRef();
    EXPECT_EQ(b.Element(), nullptr);
    EXPECT_EQ(Items(a), (Names{"copy", "me"}));
    PathRef* out = nullptr;
    EXPECT_EQ(a.ConvertToPath(&out), 0);
    ASSERT_NE(out, nullptr);
    EXPECT_TRUE(out->Equals(a));
    EXPECT_EQ(b.ConvertToPath(&out), 0);
    EXPECT_EQ(out->Element(), nullptr);
    EXPECT_EQ(a.ConvertToPath(nullptr), 1);
    EXPECT_EQ(PathRef::DisposePath(out), 0);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(PathRef::DisposePath(out), 0);
}

TEST(PathElements, ReleasedElementsLeaveTheTree) {
    const PathRef base = MakePath(kBaseRelative, {"release-test"});
    const uInt64 alone = base.MemorySize();
    {
        const PathRef deep = MakePath(kBaseRelative, {"release-test", "x", "y"});
        EXPECT_LT(base.MemorySize(), alone) << "a child shares the estimate of its parent";
        EXPECT_TRUE(deep.IsSane(true));
    }
    EXPECT_EQ(base.MemorySize(), alone);
    EXPECT_TRUE(base.IsSane(true));
}

TEST(PathElements, VeryDeepPathsAreReleasedWithoutRecursion) {
    PathRef p(kBaseRelative);
    for (int i = 0; i < 5000; ++i) p.Append("d" + std::to_string(i % 7));
    EXPECT_EQ(p.ItemCount(), 5000);
    ReportCapture capture;
    EXPECT_FALSE(p.IsSane(true)) << "the check stops at 512 levels";
    EXPECT_EQ(ReportCapture::Count(kDbgError, "Stopped sanity check because of very deep path"), 1);
    p = PathRef();
    EXPECT_TRUE(PathRef(kBaseRelative).IsSane(true));
}

TEST(PathEditing, Replace) {
    PathRef p = MakePath(kBaseAbsolute, {"D", "a", "b", "c"});
    p.Replace(1, "x");
    EXPECT_EQ(Items(p), (Names{"D", "x", "b", "c"}));
    p.Replace(3, std::string(".."));
    EXPECT_EQ(Items(p), (Names{"D", "x", "b", ".."})) << "replaced by the exact name";
    p.Replace(0, "E");
    EXPECT_EQ(Items(p), (Names{"E", "x", "b", ".."}));
    PathRef q = MakePath(kBaseAbsolute, {"D"});
    EXPECT_PKEXCEPT(q.Replace(1, "x"), kErrArgument, "PathRef replace, invalid element index (element)");
    EXPECT_EQ(q.Element(), nullptr);
    EXPECT_PKEXCEPT(q.Replace(0, "x"), kErrArgument, "PathRef replace, NULL parameter");
    PathRef r = MakePath(kBaseAbsolute, {"D"});
    EXPECT_PKEXCEPT(r.Replace(-1, "x"), kErrArgument, "PathRef replace, invalid element index (element)");
}

TEST(PathItems, CountUpDir) {
    EXPECT_EQ(MakePath(kBaseRelative, {UP, UP, "a"}).CountUpDir(), 2);
    EXPECT_EQ(MakePath(kBaseRelative, {"a"}).CountUpDir(), 0);
    EXPECT_EQ(MakePath(kBaseRelative, {UP}).CountUpDir(), 1);
    EXPECT_EQ(PathRef().CountUpDir(), 0);
    PathRef odd = MakePath(kBaseRelative, {"a", "b"});
    odd.Replace(1, "");
    ReportCapture capture;
    EXPECT_EQ(odd.CountUpDir(), 0);
    EXPECT_EQ(
        ReportCapture::Count(kDbgError, "There are not supposed to be 'up dirs' in the middle of paths"), 1);
}

TEST(PathValidity, ByBase) {
    EXPECT_TRUE(PathRef(kBaseAbsolute).IsValid());
    EXPECT_TRUE(PathRef(kBaseRelative).IsValid());
    EXPECT_FALSE(PathRef(kBaseUNC).IsValid());
    EXPECT_TRUE(MakePath(kBaseUNC, {"\\\\srv\\share"}).IsValid());
    EXPECT_FALSE(PathRef(kBaseNull).IsValid());
    EXPECT_FALSE(PathRef().IsValid());
    PathRef unc(kBaseUNC), notAPath, marker(kBaseNull), abs(kBaseAbsolute);
    EXPECT_EQ(FIsAPath(&abs), 1);
    EXPECT_EQ(FIsAPath(&notAPath), 0);
    EXPECT_EQ(FIsAPath(nullptr), 0);
    EXPECT_EQ(FIsAPathOrNotAPath(&notAPath), 1);
    EXPECT_EQ(FIsAPathOrNotAPath(&unc), 0);
    EXPECT_EQ(FIsAPathOrNotAPath(&marker), 0);
    EXPECT_EQ(FIsAPathOrNotAPath(nullptr), 0);
    EXPECT_EQ(FIsSanePath(&abs), 1);
    EXPECT_EQ(FIsSanePath(nullptr), 0);
}

TEST(PathMemory, SharedItemsAreShared) {
    const PathRef a = MakePath(kBaseRelative, {"memory-size-test", "leaf"});
    const uInt64 one = a.MemorySize();
    EXPECT_GE(one, 16u + 2 * 4 + 96);
    const PathRef b(a);
    EXPECT_LT(a.MemorySize(), one);
    a.ToString(PathRef::StringUnix());
    EXPECT_GT(a.MemorySize(), b.MemorySize()) << "the text buffer and the cached text count";
}

TEST(PathNotAPath, BeforeInitItIsReportedButUsable) {
    // The tree is running here: no report.
    ReportCapture capture;
    EXPECT_EQ(PathRef::NotAPath().Element(), nullptr);
    EXPECT_EQ(ReportCapture::Count(kDbgWarn, "Call to GetNotAPath"), 0);
}

}  // namespace
