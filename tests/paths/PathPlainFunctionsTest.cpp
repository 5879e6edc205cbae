#include <cstring>
#include <string>

#include "PathTestSupport.h"
#include "support/ReportCapture.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

namespace {

// A PStr held in a std::string: length byte, then the bytes.
struct P {
    explicit P(const std::string& s) : bytes(1, char(s.size())) { bytes += s; }
    PStr get() { return reinterpret_cast<PStr>(bytes.data()); }
    std::string bytes;
};

std::string Text(ConstPStr s) {
    return std::string(reinterpret_cast<const char*>(s + 1), s[0]);
}

// A heap Path owned by the test.
struct Owned {
    explicit Owned(const PathRef& p) : path(new PathRef(p)) {}
    Owned() : path(new PathRef()) {}
    ~Owned() { FDestroyPath(&path); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Path path;
};

TEST(PathPlainMake, MakesEachTypeFromPStrNames) {
    P a("a"), dots(".."), b("b");
    Path made = FMakePath(nullptr, kRelPath, a.get(), dots.get(), b.get(), nullptr);
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(made->StartsWith(kBaseRelative));
    EXPECT_EQ(Items(*made), (Names{"b"}));
    FDestroyPath(&made);
    EXPECT_EQ(made, nullptr);

    Owned into;
    P c("C"), d("dir");
    EXPECT_EQ(FMakePath(into.path, kAbsPath, c.get(), d.get(), nullptr), into.path);
    EXPECT_TRUE(into.path->Equals(MakePath(kBaseAbsolute, {"C", "dir"}), kCompareExact));
    EXPECT_EQ(FMakePath(into.path, kUNCPath, c.get(), nullptr), into.path);
    EXPECT_TRUE(into.path->StartsWith(kBaseUNC));
    EXPECT_EQ(FMakePath(into.path, kNotAPath, nullptr), into.path);
    EXPECT_EQ(into.path->Element(), nullptr);
}

TEST(PathPlainMake, RefusesBadTypesAndFailedAppends) {
    P a("a");
    EXPECT_EQ(FMakePath(nullptr, 4, a.get(), nullptr), nullptr);
    EXPECT_EQ(FMakePath(nullptr, -1, nullptr), nullptr);
    EXPECT_EQ(FMakePath(nullptr, kNotAPath, a.get(), nullptr), nullptr) << "NotAPath takes no names";
    Owned keep(MakePath(kBaseAbsolute, {"K"}));
    EXPECT_EQ(FMakePath(keep.path, kNotAPath, a.get(), nullptr), nullptr);
    Path empty = FEmptyPath(nullptr);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(FIsEmptyPath(empty), 1);
    EXPECT_EQ(PathType(empty), kAbsPath);
    EXPECT_EQ(FNotAPath(empty), empty);
    EXPECT_EQ(FIsAPath(empty), 0);
    EXPECT_EQ(FIsEmptyPath(empty), 0);
    FDestroyPath(&empty);
}

TEST(PathPlainLifetime, DestroyDisposeCopy) {
    ReportCapture capture;
    EXPECT_EQ(FDestroyPath(nullptr), 0);
    EXPECT_EQ(ReportCapture::Count(kDbgNote, "This is a noop."), 1);
    Path p = new PathRef(MakePath(kBaseAbsolute, {"D", "a"}));
    EXPECT_EQ(FDisposePath(p), 0);
    EXPECT_EQ(FDisposePath(nullptr), 0);
    EXPECT_EQ(ReportCapture::Count(kDbgNote,
                                   "FDisposePath is deprecated within PK code; use FDestroyPath instead."),
              2);

    Owned src(MakePath(kBaseRelative, {"x", "y"})), dst;
    EXPECT_EQ(FPathCpy(dst.path, src.path), 0);
    EXPECT_EQ(Items(*dst.path), (Names{"x", "y"}));
    EXPECT_EQ(FPathCpy(nullptr, src.path), 1);
    EXPECT_EQ(FPathCpy(dst.path, nullptr), 1);

    Path original = src.path;
    Path q = src.path;
    EXPECT_EQ(FPathToPath(&q), 0);
    EXPECT_NE(q, original);
    EXPECT_TRUE(q->Equals(*original, kCompareExact));
    FDestroyPath(&q);
    Path none = nullptr;
    EXPECT_EQ(FPathToPath(&none), 1);
    EXPECT_EQ(FPathToPath(nullptr), 1);
}

TEST(PathPlainEdit, AppendName) {
    Owned abs(MakePath(kBaseAbsolute, {"D"})), rel(MakePath(kBaseRelative, {"a"})), bad;
    P x("x"), empty("");
    EXPECT_EQ(FAppendName(abs.path, x.get()), 0);
    EXPECT_EQ(Items(*abs.path), (Names{"D", "x"}));
    EXPECT_EQ(FAppendName(abs.path, empty.get()), 1);
    EXPECT_EQ(FAppendName(abs.path, nullptr), 1);
    EXPECT_EQ(Items(*abs.path), (Names{"D", "x"}));
    EXPECT_EQ(FAppendName(bad.path, x.get()), 1);
    EXPECT_EQ(FAppendName(nullptr, x.get()), 1);
    EXPECT_EQ(FAppendName(rel.path, empty.get()), 0) << "an empty name climbs a relative path";
    EXPECT_EQ(Items(*rel.path), (Names{}));
    EXPECT_EQ(FAppendName(rel.path, empty.get()), 0);
    EXPECT_EQ(Items(*rel.path), (Names{"UP"}));
}

TEST(PathPlainEdit, AddPathClimbsAboveTheRootAsARelativePath) {
    Owned base(MakePath(kBaseAbsolute, {"D", "a"})), out;
    Owned three(MakePath(kBaseRelative, {UP, UP, UP, "x"})), one(MakePath(kBaseRelative, {UP, "x"}));
    EXPECT_EQ(FAddPath(base.path, three.path, out.path), 0);
    EXPECT_TRUE(out.path->StartsWith(kBaseRelative));
    EXPECT_EQ(Items(*out.path), (Names{"UP", "x"}));
    EXPECT_EQ(FAddPath(base.path, one.path, out.path), 0);
    EXPECT_TRUE(out.path->StartsWith(kBaseAbsolute));
    EXPECT_EQ(Items(*out.path), (Names{"D", "x"}));

    Owned emptyRel{PathRef(kBaseRelative)}, emptyAbs{PathRef(kBaseAbsolute)},
        other(MakePath(kBaseAbsolute, {"E"}));
    EXPECT_EQ(FAddPath(base.path, emptyRel.path, out.path), 0);
    EXPECT_EQ(Items(*out.path), (Names{"D", "a"}));
    EXPECT_EQ(FAddPath(emptyAbs.path, other.path, out.path), 0) << "an empty base takes an absolute path";
    EXPECT_EQ(Items(*out.path), (Names{"E"}));
    EXPECT_EQ(FAddPath(base.path, other.path, out.path), 1);
    EXPECT_EQ(FAddPath(nullptr, one.path, out.path), 1);
    EXPECT_EQ(FAddPath(base.path, one.path, nullptr), 1);

    Owned relBase(MakePath(kBaseRelative, {UP, "a"}));
    EXPECT_EQ(FAddPath(relBase.path, three.path, out.path), 0) << "a base that climbs already keeps climbing";
    EXPECT_EQ(Items(*out.path), (Names{"UP", "UP", "UP", "x"}));
}

TEST(PathPlainEdit, RelativeAndCommonPaths) {
    Owned a(MakePath(kBaseAbsolute, {"D", "a", "b"})), b(MakePath(kBaseAbsolute, {"d", "a", "c", "e"})), out;
    EXPECT_EQ(FRelPath(a.path, b.path, out.path), 0);
    EXPECT_EQ(Items(*out.path), (Names{"UP", "c", "e"}));
    EXPECT_EQ(FCommonPath(a.path, b.path, out.path), 0);
    EXPECT_EQ(Items(*out.path), (Names{"D", "a"}));
    Owned rel(MakePath(kBaseRelative, {"a"})), bad;
    EXPECT_NE(FRelPath(a.path, rel.path, out.path), 0);
    EXPECT_EQ(FRelPath(bad.path, a.path, out.path), 1);
    EXPECT_EQ(FRelPath(a.path, b.path, nullptr), 1);
    Owned u1(MakePath(kBaseUNC, {"s1"})), u2(MakePath(kBaseUNC, {"s2"}));
    const PathRef before = *out.path;
    EXPECT_EQ(FCommonPath(u1.path, u2.path, out.path), 1) << "an empty UNC path is no valid result";
    EXPECT_TRUE(out.path->Equals(before, kCompareExact));
}

TEST(PathPlainEdit, DirName) {
    Owned out;
    Owned unc(MakePath(kBaseUNC, {"\\\\srv"})), rel(MakePath(kBaseRelative, {"a"})),
        abs(MakePath(kBaseAbsolute, {"D", "x"})), root{PathRef(kBaseAbsolute)}, bad;
    EXPECT_EQ(FDirName(unc.path, out.path), 1);
    EXPECT_EQ(FDirName(rel.path, out.path), 0);
    EXPECT_TRUE(out.path->StartsWith(kBaseRelative));
    EXPECT_EQ(out.path->ItemCount(), 0);
    EXPECT_EQ(FDirName(abs.path, out.path), 0);
    EXPECT_EQ(Items(*out.path), (Names{"D"}));
    EXPECT_EQ(FDirName(root.path, out.path), 1);
    EXPECT_EQ(FDirName(bad.path, out.path), 1);
    EXPECT_EQ(FDirName(nullptr, out.path), 1);
    EXPECT_EQ(FDirName(abs.path, nullptr), 1);
}

TEST(PathPlainItems, NamesAndComponentsAsPStrs) {
    Owned p(MakePath(kBaseAbsolute, {"D", "dir", "file.txt"})), root{PathRef(kBaseAbsolute)};
    Str255 out;
    EXPECT_EQ(FNamePtr(p.path, out), 0);
    EXPECT_EQ(Text(out), "file.txt");
    EXPECT_EQ(FPathComponent(p.path, 0, out), 0);
    EXPECT_EQ(Text(out), "D");
    EXPECT_EQ(FPathComponent(p.path, -1, out), 0);
    EXPECT_EQ(Text(out), "file.txt");
    EXPECT_EQ(FPathComponent(p.path, 3, out), 1);
    EXPECT_EQ(FPathComponent(p.path, -2, out), 1) << "only -1 means the last item";
    EXPECT_EQ(FNamePtr(root.path, out), 1);
    EXPECT_EQ(PathCopyElt(p.path, 1, out), out);
    EXPECT_EQ(Text(out), "dir");
    EXPECT_EQ(PathCopyElt(p.path, 9, out), nullptr);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(PathCopyName(p.path, out), out);
    EXPECT_EQ(Text(out), "file.txt");
    EXPECT_EQ(PathCopyName(root.path, out), nullptr);
    EXPECT_EQ(out[0], 0);

    UHandle h = DSNewHandle(0);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(FName(p.path, h), 0);
    EXPECT_EQ(DSGetHandleSize(h), 9);
    EXPECT_EQ(Text(reinterpret_cast<ConstPStr>(*h)), "file.txt");
    EXPECT_EQ(FName(root.path, h), 1);
    EXPECT_EQ(FName(nullptr, h), 1);
    EXPECT_EQ(FName(p.path, nullptr), 1);

    Owned longName(MakePath(kBaseAbsolute, {"D"}));
    longName.path->Append(std::string(300, 'n'));
    EXPECT_EQ(FName(longName.path, h), kErrPathTooLong) << "a name a PStr cannot hold is refused, not cut";
    EXPECT_EQ(FNamePtr(longName.path, out), kErrPathTooLong);
    DSDisposeHandle(h);
}

TEST(PathPlainItems, ReplaceElement) {
    Owned p(MakePath(kBaseAbsolute, {"D", "a", "b"}));
    P x("x");
    EXPECT_EQ(PathReplaceElt(p.path, x.get(), 1), 0);
    EXPECT_EQ(Items(*p.path), (Names{"D", "x", "b"}));
    EXPECT_EQ(PathReplaceElt(p.path, nullptr, 1), 1);
    EXPECT_EQ(PathReplaceElt(nullptr, x.get(), 1), 1);
    EXPECT_EQ(PathReplaceElt(p.path, x.get(), 5), 1);
    EXPECT_EQ(p.path->Element(), nullptr) << "a failed replace leaves NotAPath";
}

TEST(PathPlainInspect, CountsAndPredicates) {
    Owned abs(MakePath(kBaseAbsolute, {"D", "a"})), rel(MakePath(kBaseRelative, {UP, UP, "a"})), bad,
        unc(MakePath(kBaseUNC, {"\\\\s"})), emptyUnc{PathRef(kBaseUNC)}, root{PathRef(kBaseAbsolute)};
    EXPECT_EQ(FDepth(abs.path), 2);
    EXPECT_EQ(FDepth(bad.path), -1);
    EXPECT_EQ(FDepth(nullptr), -1);
    EXPECT_EQ(FDepth(emptyUnc.path), -1);
    EXPECT_EQ(PathCnt(nullptr), 0);
    EXPECT_EQ(PathCnt(rel.path), 3);
    EXPECT_EQ(FIsAbsPath(abs.path), 1);
    EXPECT_EQ(FIsAbsPath(unc.path), 1);
    EXPECT_EQ(FIsAbsPath(rel.path), 0);
    EXPECT_EQ(FIsAbsPath(bad.path), 0);
    EXPECT_EQ(FIsEmptyPath(root.path), 1);
    EXPECT_EQ(FIsEmptyPath(abs.path), 0);
    EXPECT_EQ(FIsEmptyPath(bad.path), 0);
    EXPECT_EQ(FIsCDUp(rel.path), 1);
    EXPECT_EQ(FIsCDUp(abs.path), 0);
    EXPECT_EQ(FIsCDUp(nullptr), 0);
    EXPECT_EQ(FIsAPathOfType(abs.path, kAbsPath), 1);
    EXPECT_EQ(FIsAPathOfType(abs.path, kRelPath), 0);
    EXPECT_EQ(FIsAPathOfType(unc.path, kUNCPath), 1);
    EXPECT_EQ(FIsAPathOfType(bad.path, kNotAPath), 1);
    EXPECT_EQ(FIsAPathOfType(abs.path, 7), 0);
    EXPECT_EQ(FIsAPathOfType(nullptr, kAbsPath), 0);
}

TEST(PathPlainInspect, PathTypes) {
    Owned abs(MakePath(kBaseAbsolute, {"D"})), rel(MakePath(kBaseRelative, {"a"})), bad,
        unc(MakePath(kBaseUNC, {"\\\\s"}));
    int32 type = -5;
    EXPECT_EQ(FGetPathType(abs.path, &type), 0);
    EXPECT_EQ(type, kAbsPath);
    EXPECT_EQ(FGetPathType(rel.path, &type), 0);
    EXPECT_EQ(type, kRelPath);
    EXPECT_EQ(FGetPathType(unc.path, &type), 0);
    EXPECT_EQ(type, kUNCPath);
    EXPECT_EQ(FGetPathType(bad.path, &type), 0);
    EXPECT_EQ(type, kNotAPath);
    type = -5;
    EXPECT_EQ(FGetPathType(nullptr, &type), 1);
    EXPECT_EQ(type, kNotAPath);
    EXPECT_EQ(FGetPathType(abs.path, nullptr), 1);
    EXPECT_EQ(PathType(rel.path), kRelPath);
    EXPECT_EQ(PathType(nullptr), kNotAPath);
}

TEST(PathPlainInspect, SetPathTypeKeepsTheItems) {
    Owned p(MakePath(kBaseRelative, {UP, "a", "b"})), bad;
    EXPECT_EQ(FSetPathType(p.path, kAbsPath), 0);
    EXPECT_TRUE(p.path->StartsWith(kBaseAbsolute));
    EXPECT_EQ(Items(*p.path), (Names{"UP", "a", "b"}));
    EXPECT_EQ(FSetPathType(p.path, kUNCPath), 0);
    EXPECT_TRUE(p.path->StartsWith(kBaseUNC));
    EXPECT_EQ(FSetPathType(p.path, kRelPath), 0);
    EXPECT_TRUE(p.path->Equals(MakePath(kBaseRelative, {UP, "a", "b"}), kCompareExact));
    EXPECT_EQ(FSetPathType(p.path, kNotAPath), 1);
    EXPECT_EQ(FSetPathType(p.path, 4), 1);
    EXPECT_EQ(FSetPathType(bad.path, kAbsPath), 1);
    EXPECT_EQ(FSetPathType(nullptr, kAbsPath), 1);
    EXPECT_TRUE(p.path->StartsWith(kBaseRelative));
}

TEST(PathPlainInspect, NormalizeRetypesABackslashVolume) {
    Owned p(MakePath(kBaseAbsolute, {"\\\\server", "share"})), q(MakePath(kBaseAbsolute, {"C", "x"}));
    EXPECT_EQ(FNormalizePath(p.path), 0);
    EXPECT_TRUE(p.path->StartsWith(kBaseUNC));
    EXPECT_EQ(Items(*p.path), (Names{"\\\\server", "share"}));
    EXPECT_EQ(FNormalizePath(q.path), 0);
    EXPECT_TRUE(q.path->StartsWith(kBaseAbsolute));
    EXPECT_EQ(FNormalizePath(nullptr), 1);
}

TEST(PathPlainCompare, CmpGivesTheMagnitudeOfCompare) {
    Owned a(MakePath(kBaseAbsolute, {"D", "a", "b"})), b(MakePath(kBaseAbsolute, {"D", "a", "c"})),
        rel(MakePath(kBaseRelative, {"D"})), root{PathRef(kBaseAbsolute)}, root2{PathRef(kBaseAbsolute)},
        upper(MakePath(kBaseAbsolute, {"d", "A", "B"}));
    EXPECT_EQ(FPathCmp(a.path, b.path), 3);
    EXPECT_EQ(FPathCmp(b.path, a.path), 3);
    EXPECT_EQ(FPathCmp(a.path, rel.path), -1);
    EXPECT_EQ(FPathCmp(a.path, a.path), 0);
    EXPECT_EQ(FPathCmp(a.path, upper.path), 0) << "names compare without case by default";
    EXPECT_EQ(FPathCmp(a.path, nullptr), -1);
    EXPECT_EQ(FPathCmp(nullptr, a.path), -1);
    EXPECT_EQ(FPathCmp(root.path, root2.path), 0);
    EXPECT_EQ(FPathCmp(root.path, a.path), -1);
    EXPECT_EQ(FPathCmp(a.path, root.path), 1);

    EXPECT_EQ(FPathCmpExact(nullptr, a.path), -1);
    EXPECT_EQ(FPathCmpExact(a.path, nullptr), 1);
    EXPECT_NE(FPathCmpExact(a.path, upper.path), 0);
    EXPECT_EQ(FPathCmpExact(a.path, a.path), 0);
    EXPECT_EQ(FPathCmpLexical(nullptr, a.path), 1);
    EXPECT_EQ(FPathCmpLexical(a.path, nullptr), -1);
    EXPECT_LT(FPathCmpLexical(a.path, b.path), 0);
    EXPECT_GT(FPathCmpLexical(b.path, a.path), 0);

    EXPECT_EQ(FPathEqual(a.path, upper.path), 1);
    EXPECT_EQ(FPathEqual(a.path, b.path), 0);
    EXPECT_EQ(FPathEqual(a.path, nullptr), 0);
    EXPECT_EQ(FPathEqual(nullptr, nullptr), 1);
}

TEST(PathPlainCompare, MatchingTailCount) {
    Owned a(MakePath(kBaseAbsolute, {"D", "x", "b", "c"})), b(MakePath(kBaseAbsolute, {"E", "y", "B", "C"})),
        same(MakePath(kBaseAbsolute, {"d", "X", "b", "c"})), shorter(MakePath(kBaseAbsolute, {"b", "c"})),
        rel(MakePath(kBaseRelative, {"b", "c"})), none(MakePath(kBaseAbsolute, {"D", "q"}));
    EXPECT_EQ(FPathMatchingTailCount(a.path, b.path), 3) << "two items match: count + 1";
    EXPECT_EQ(FPathMatchingTailCount(a.path, same.path), 0) << "the whole longer path matched";
    EXPECT_EQ(FPathMatchingTailCount(a.path, shorter.path), 3);
    EXPECT_EQ(FPathMatchingTailCount(a.path, none.path), 1);
    EXPECT_EQ(FPathMatchingTailCount(a.path, rel.path), -1);
    EXPECT_EQ(FPathMatchingTailCount(a.path, nullptr), -1);
    EXPECT_EQ(FPathMatchingTailCount(a.path, a.path), 0);
}

TEST(PathPlainNames, FileNameEqualityAndExtensions) {
    P a("ReadMe.TXT"), b("readme.txt"), c("readme.tx");
    EXPECT_EQ(FileNameEqual(a.get(), b.get()), 1);
    EXPECT_EQ(FileNameEqual(a.get(), c.get()), 0);
    EXPECT_EQ(FileNameCStrEqual("ABC", "abc"), 1);
    EXPECT_EQ(FileNameCStrEqual("ABC", "abcd"), 0);
    EXPECT_EQ(FileNameCStrEqual(nullptr, "a"), 0);
    EXPECT_EQ(FileNameNEqual("ABCx", "abcy", 3), 1);
    EXPECT_EQ(FileNameNEqual("ABCx", "abcy", 4), 0);
    EXPECT_EQ(FileNameNEqual("AB", "abc", 3), 0);

    char ext[64];
    EXPECT_EQ(FGetFileExtension("archive.tar.gz", ext), 0);
    EXPECT_STREQ(ext, ".gz");
    EXPECT_EQ(FGetFileExtension("noext", ext), 0);
    EXPECT_STREQ(ext, "");
    EXPECT_EQ(FGetFileExtension(".profile", ext), 0);
    EXPECT_STREQ(ext, "") << "a leading dot alone is no extension";
    EXPECT_EQ(FGetFileExtension(".a.b", ext), 0);
    EXPECT_STREQ(ext, ".b");
    EXPECT_EQ(FGetFileExtension("trailing.", ext), 0);
    EXPECT_STREQ(ext, ".");
    EXPECT_EQ(FGetFileExtension(nullptr, ext), 1);
}

TEST(PathPlainCache, ShrinkAndSizes) {
    Owned p(MakePath(kBaseAbsolute, {"D", "shrink"}));
    p.path->Cache("meta", new PathRef::CachedBool(100000, true, PathRef::kDependsOnMetaData));
    const uInt64 before = PathSize(p.path);
    EXPECT_EQ(FShrinkPath(p.path), 0);
    EXPECT_LT(PathSize(p.path), before);
    EXPECT_EQ(PathSize(p.path), FGetPathStorageSize(p.path));
    EXPECT_EQ(FShrinkPath(nullptr), 1);
    EXPECT_EQ(PathSize(nullptr), 0u);
}

}  // namespace
