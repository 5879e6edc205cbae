// Open files: lookups, loading, editing, saving and the string and path resources.
#include <gtest/gtest.h>

#include "ResTestSupport.h"
#include "support/ReportCapture.h"
#include "tqcore/strings.h"

namespace {

using namespace restest;

const ResType kData = TQFourCC("DATA");
const ResType kMore = TQFourCC("MORE");

class ResFileObjectsTest : public ::testing::Test {
  protected:
    void TearDown() override {
        if (ref_) {
            EXPECT_EQ(RCloseFile(ref_), kErrNone);
        }
    }
    // A writable memory file holding the resources.
    void Open(const std::vector<Item>& items) { ASSERT_EQ(OpenCopy(MakeImage(items), &ref_), kErrNone); }
    // The file's image after saving, and the refnum closed.
    Bytes SaveAndClose() {
        UHandle h = nullptr;
        EXPECT_EQ(RUpdateFile(ref_), kErrNone);
        EXPECT_EQ(RGetMemFileHandle(ref_, &h), kErrNone);
        Bytes b = h ? HandleBytes(h) : Bytes{};
        DSDisposeHandle(h);
        EXPECT_EQ(RCloseFile(ref_), kErrNone);
        ref_ = 0;
        return b;
    }
    std::string Get(ResType type, int32 id) {
        UHandle h = nullptr;
        const TqErr e = RGet(ref_, type, id, &h);
        return e ? "error " + std::to_string(e) : Text(h);
    }

    uInt32 ref_ = 0;
};

TEST_F(ResFileObjectsTest, RepeatedGetsShareOneResourceUntilReleased) {
    Open({{kData, 1, "one", ""}});
    UHandle a = nullptr, b = nullptr;
    ASSERT_EQ(RGet(ref_, kData, 1, &a), kErrNone);
    ASSERT_EQ(RGet(ref_, kData, 1, &b), kErrNone);
    EXPECT_EQ(a, b);
    EXPECT_TRUE(RIsLoaded(ref_, kData, 1));
    EXPECT_EQ(RRelease(a), kErrNone);
    EXPECT_FALSE(RIsLoaded(ref_, kData, 1));
    ASSERT_EQ(RGet(ref_, kData, 1, &b), kErrNone);
    EXPECT_EQ(Text(b), "one");
}

TEST_F(ResFileObjectsTest, MissingResourceGivesNullHandle) {
    Open({{kData, 1, "one", ""}});
    UHandle h = reinterpret_cast<UHandle>(1);
    EXPECT_EQ(RGet(ref_, kData, 2, &h), kErrResourceNotFound);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(RGet(ref_, kMore, 1, &h), kErrResourceNotFound);
    int32 exists = 7;
    EXPECT_EQ(RExists(ref_, kData, 2, &exists), kErrResourceNotFound);
    EXPECT_EQ(exists, 0);
    EXPECT_EQ(RExists(ref_, kData, 1, &exists), kErrNone);
    EXPECT_EQ(exists, 1);
}

TEST_F(ResFileObjectsTest, AddingKeepsIdsInOrderAndRefusesDuplicates) {
    Open({});
    for (int32 id : {5, 1, 3, -7}) {
        const std::string s = "r" + std::to_string(id);
        ASSERT_EQ(RAdd(DSNewHandle(0), ref_, kData, id, nullptr), kErrNone) << id;
        UHandle h = nullptr;
        ASSERT_EQ(RGet(ref_, kData, id, &h), kErrNone);
        ASSERT_EQ(DSSetHandleFromPtr(&h, s.data(), s.size()), kErrNone);
    }
    UHandle dup = DSNewHandle(1);
    EXPECT_EQ(RAdd(dup, ref_, kData, 3, nullptr), kErrResourceExists);
    DSDisposeHandle(dup);
    int32 n = 0;
    EXPECT_EQ(RCount(ref_, kData, &n), kErrNone);
    EXPECT_EQ(n, 4);
    int32 expected[] = {-7, 1, 3, 5};
    for (int32 i = 1; i <= 4; ++i) {
        UHandle h = nullptr;
        ASSERT_EQ(RGetInd(ref_, kData, i, &h), kErrNone);
        int32 id = 0;
        ResType type = 0;
        Str255 name;
        EXPECT_EQ(RGetInfo(h, &id, &type, name), kErrNone);
        EXPECT_EQ(id, expected[i - 1]);
        EXPECT_EQ(type, kData);
        EXPECT_EQ(name[0], 0);
    }
    UHandle h = nullptr;
    EXPECT_EQ(RGetInd(ref_, kData, 5, &h), kErrResourceNotFound);
    EXPECT_EQ(RGetInd(ref_, kData, 0, &h), kErrResourceNotFound);
    const Bytes saved = SaveAndClose();
    ASSERT_EQ(OpenCopy(saved, &ref_), kErrNone);
    EXPECT_EQ(Get(kData, 3), "r3");
    EXPECT_EQ(Get(kData, -7), "r-7");
}

TEST_F(ResFileObjectsTest, TypesNamesAndAttributesRoundTrip) {
    Open({{kData, 1, "a", "alpha"}, {kMore, 2, "bb", ""}, {kData, 2, "ccc", "Gamma"}});
    int32 n = 0;
    EXPECT_EQ(RCountTypes(ref_, &n), kErrNone);
    EXPECT_EQ(n, 2);
    ResType t = 0;
    EXPECT_EQ(RGetIndType(ref_, &t, 1), kErrNone);
    EXPECT_EQ(t, kData);
    EXPECT_EQ(RGetIndType(ref_, &t, 2), kErrNone);
    EXPECT_EQ(t, kMore);
    EXPECT_EQ(RGetIndType(ref_, &t, 3), kErrResourceNotFound);
    EXPECT_EQ(t, 0);
    UHandle h = nullptr;
    const Bytes gamma = PStrOf("gAMMA");  // names compare as file names
    ASSERT_EQ(RGetNamed(ref_, kData, gamma.data(), &h), kErrNone);
    EXPECT_EQ(Text(h), "ccc");
    Str255 name;
    int32 id = 0;
    EXPECT_EQ(RGetInfo(h, &id, nullptr, name), kErrNone);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), "Gamma");
    EXPECT_EQ(RSetAttrs(h, 0x10), kErrNone);
    int32 attrs = 0, size = 0;
    EXPECT_EQ(RGetAttrs(h, &attrs), kErrNone);
    EXPECT_EQ(attrs, 0x10);
    EXPECT_EQ(RSize(h, &size), kErrNone);
    EXPECT_EQ(size, 3);
    EXPECT_EQ(RGetFileAttrs(ref_, &attrs), kErrNone);
    EXPECT_EQ(attrs, kResMapChanged);
    const Bytes saved = SaveAndClose();
    ASSERT_EQ(OpenImage(saved, &ref_), kErrNone);
    EXPECT_EQ(RGetFileAttrs(ref_, &attrs), kErrNone);
    EXPECT_EQ(attrs, kResMapReadOnly);
    ASSERT_EQ(RGetNamed(ref_, kData, gamma.data(), &h), kErrNone);
    EXPECT_EQ(RGetAttrs(h, &attrs), kErrNone);
    EXPECT_EQ(attrs, 0x10);
    const Bytes alpha = PStrOf("alpha");
    ASSERT_EQ(RGetNamed(ref_, kData, alpha.data(), &h), kErrNone);
    EXPECT_EQ(Text(h), "a");
    EXPECT_EQ(Get(kMore, 2), "bb");
    EXPECT_EQ(RSetAttrs(h, 0), kErrPermission);
    EXPECT_EQ(RSetFileAttrs(ref_, 0), kErrPermission);
    EXPECT_EQ(RAdd(DSNewHandle(0), ref_, kData, 9, nullptr), kErrPermission);
}

TEST_F(ResFileObjectsTest, ChangedResourceCannotBeReleasedAndIsSaved) {
    Open({{kData, 1, "old", ""}});
    UHandle h = nullptr;
    ASSERT_EQ(RGet(ref_, kData, 1, &h), kErrNone);
    ASSERT_EQ(DSSetHandleFromPtr(&h, "newer", 5), kErrNone);
    EXPECT_EQ(RChanged(h), kErrNone);
    {
        ReportCapture capture;
        EXPECT_EQ(RRelease(h), kErrArgument);
        EXPECT_EQ(ReportCapture::Count(kDbgBroken, "Tried to release a changed resource"), 1);
    }
    EXPECT_TRUE(RIsLoaded(ref_, kData, 1));
    const Bytes saved = SaveAndClose();
    ASSERT_EQ(OpenImage(saved, &ref_), kErrNone);
    EXPECT_EQ(Get(kData, 1), "newer");
}

TEST_F(ResFileObjectsTest, RemoveAndDetachLeaveTheHandleWithTheCaller) {
    Open({{kData, 1, "one", "first"}, {kData, 2, "two", "second"}, {kMore, 3, "three", ""}});
    UHandle one = nullptr, three = nullptr;
    ASSERT_EQ(RGet(ref_, kData, 1, &one), kErrNone);
    EXPECT_EQ(RRemove(one, ref_), kErrNone);
    EXPECT_EQ(Text(one), "one");
    DSDisposeHandle(one);
    ASSERT_EQ(RGet(ref_, kMore, 3, &three), kErrNone);
    EXPECT_EQ(RDetach(three), kErrNone);
    EXPECT_EQ(Text(three), "three");
    EXPECT_EQ(RGetAttrs(three, nullptr), kErrResourceNotFound);  // no longer a resource
    DSDisposeHandle(three);
    EXPECT_EQ(Get(kMore, 3), "three");  // detaching leaves the resource in the file
    UHandle three2 = nullptr;
    ASSERT_EQ(RGet(ref_, kMore, 3, &three2), kErrNone);
    EXPECT_EQ(RRemove(three2, ref_), kErrNone);
    DSDisposeHandle(three2);
    int32 n = 0;
    EXPECT_EQ(RCountTypes(ref_, &n), kErrNone);
    EXPECT_EQ(n, 1);
    const Bytes saved = SaveAndClose();
    ASSERT_EQ(OpenImage(saved, &ref_), kErrNone);
    EXPECT_EQ(Get(kData, 1), "error 15");
    UHandle h = nullptr;
    const Bytes second = PStrOf("second");
    ASSERT_EQ(RGetNamed(ref_, kData, second.data(), &h), kErrNone);
    EXPECT_EQ(Text(h), "two");
}

TEST_F(ResFileObjectsTest, AStringListTakesOverTheResourceItWasMadeFrom) {
    Open({{kData, 1, std::string("\0\0\0\2\3one\3two", 12), ""}});
    UHandle h = nullptr;
    ASSERT_EQ(RGet(ref_, kData, 1, &h), kErrNone);
    {
        const CPStrList list(h);
        EXPECT_EQ(RGetAttrs(h, nullptr), kErrResourceNotFound) << "no longer a resource";
        EXPECT_FALSE(RIsLoaded(ref_, kData, 1));
        ASSERT_EQ(list.Count(), 2);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(list[1] + 1), list[1][0]), "two");
    }
    EXPECT_EQ(Get(kData, 1).size(), 12u) << "the resource stays in the file";
}

TEST_F(ResFileObjectsTest, RemovingTheLastResourceLeavesAnEmptyFile) {
    Open({{kData, 1, "one", "nm"}});
    UHandle h = nullptr;
    ASSERT_EQ(RGet(ref_, kData, 1, &h), kErrNone);
    ASSERT_EQ(RRemove(h, ref_), kErrNone);
    DSDisposeHandle(h);
    const Bytes saved = SaveAndClose();
    ASSERT_EQ(saved.size(), 32u);
    EXPECT_EQ(BE32(saved, 16), 32u);
    EXPECT_EQ(BE32(saved, 20), 0u);
    EXPECT_EQ(BE32(saved, 24), 32u);
    EXPECT_EQ(BE32(saved, 28), 0u);
}

TEST_F(ResFileObjectsTest, ProtectedResourceIsNotRemoved) {
    Open({{kData, 1, "one", ""}});
    UHandle h = nullptr;
    ASSERT_EQ(RGet(ref_, kData, 1, &h), kErrNone);
    ASSERT_EQ(RSetAttrs(h, kResProtected), kErrNone);
    ResFile* f = RsrcFileToRMapResFile(ref_);
    Resource* r = nullptr;
    ASSERT_EQ(f->RGet(kData, 1, &r), kErrNone);
    EXPECT_EQ(f->RRemove(r), kErrResourceNotFound);
    EXPECT_EQ(Get(kData, 1), "one");
}

TEST_F(ResFileObjectsTest, UpdateKeepsUnchangedBlocksInPlace) {
    const Bytes before =
        MakeImage({{kData, 1, "aaaa", ""}, {kData, 2, "bbbbbbbb", ""}, {kData, 3, "cc", ""}});
    ASSERT_EQ(OpenCopy(before, &ref_), kErrNone);
    UHandle h = nullptr;
    ASSERT_EQ(RGet(ref_, kData, 3, &h), kErrNone);
    ASSERT_EQ(DSSetHandleFromPtr(&h, "changed!", 8), kErrNone);
    ASSERT_EQ(RChanged(h), kErrNone);
    const Bytes after = SaveAndClose();
    // The first two blocks (8 and 12 bytes) are untouched; the changed one follows them.
    EXPECT_TRUE(std::equal(before.begin() + 32, before.begin() + 32 + 20, after.begin() + 32));
    EXPECT_EQ(BE32(after, 52), 8u);
    EXPECT_EQ(std::string(after.begin() + 56, after.begin() + 64), "changed!");
    ASSERT_EQ(OpenImage(after, &ref_), kErrNone);
    EXPECT_EQ(Get(kData, 1), "aaaa");
    EXPECT_EQ(Get(kData, 2), "bbbbbbbb");
    EXPECT_EQ(Get(kData, 3), "changed!");
}

TEST_F(ResFileObjectsTest, ReplaceFillsTheSharedHandle) {
    Open({{kData, 1, "one", ""}});
    ResFile* f = RsrcFileToRMapResFile(ref_);
    EXPECT_EQ(f->RReplacePtr(reinterpret_cast<const uInt8*>("xyz!"), 4, kData, 1), kErrNone);
    EXPECT_EQ(f->RReplacePtr(reinterpret_cast<const uInt8*>("x"), 1, kData, 2), kErrResourceExists);
    EXPECT_EQ(Get(kData, 1), "xyz!");
    const Bytes saved = SaveAndClose();
    ASSERT_EQ(OpenImage(saved, &ref_), kErrNone);
    EXPECT_EQ(Get(kData, 1), "xyz!");
}

TEST_F(ResFileObjectsTest, StringListPointers) {
    Open({{TQFourCC("STR#"), 5, StringList({"zero", "", "two"}), ""}});
    ConstPStr s = nullptr;
    EXPECT_EQ(RGetIndStringPtr(ref_, &s, 5, 1, TQFourCC("STR#")), kErrNone);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s + 1), s[0]), "zero");
    EXPECT_EQ(RGetIndStringPtr(ref_, &s, 5, 3, TQFourCC("STR#")), kErrNone);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s + 1), s[0]), "two");
    EXPECT_EQ(RGetIndStringPtr(ref_, &s, 5, 0, TQFourCC("STR#")), kErrResourceNotFound);
    EXPECT_EQ(RGetIndStringPtr(ref_, &s, 5, 4, TQFourCC("STR#")), kErrResourceNotFound);
    Str255 p;
    EXPECT_EQ(RGetIndString(ref_, p, 5, 2), kErrNone);
    EXPECT_EQ(p[0], 0);
    std::string text;
    EXPECT_EQ(RGetIndexStringStd(ref_, &text, 5, 3), kErrNone);
    EXPECT_EQ(text, "two");
}

TEST_F(ResFileObjectsTest, StringsLongStringsAndPaths) {
    const PathRef a("/tmp/one/two.txt", PathRef::StringUnix());
    const PathRef b("rel/x", PathRef::StringUnix());
    const std::string fa = FlatPath(a), fb = FlatPath(b);
    ASSERT_EQ(fa.substr(0, 4), "PTH0");
    std::string longList =
        BE32Text(2) + BE32Text(3) + "abc" + std::string(1, '\0') + BE32Text(300) + std::string(300, 'L');
    Open({{TQFourCC("STR "), 1,
           std::string("\x05"
                       "hello"),
           ""},
          {TQFourCC("PTH0"), 2, fa, ""},
          {TQFourCC("PTH#"), 3, PathList({fa, fb}), ""},
          {TQFourCC("LONG"), 4, longList, ""}});
    Str255 p;
    EXPECT_EQ(RGetPStr(ref_, 1, p), kErrNone);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(p + 1), p[0]), "hello");
    std::string text;
    EXPECT_EQ(RGetStringStd(ref_, &text, 1), kErrNone);
    EXPECT_EQ(text, "hello");
    EXPECT_EQ(RGetLongStringStd(ref_, &text, 1), kErrNone);
    EXPECT_EQ(text, "hello");
    Path path = nullptr;
    ASSERT_EQ(RGetPath(ref_, TQFourCC("PTH0"), 2, &path), kErrNone);
    EXPECT_TRUE(path->Equals(a, kCompareExact));
    PathRef::DisposePath(path);
    ASSERT_EQ(RGetIndPath(ref_, &path, 3, 2), kErrNone);
    EXPECT_TRUE(path->Equals(b, kCompareExact));
    PathRef::DisposePath(path);
    EXPECT_EQ(RGetIndPath(ref_, &path, 3, 3), kErrResourceNotFound);
    EXPECT_EQ(path, nullptr);
    LStrHandle l = nullptr;
    ASSERT_EQ(RGetIndLString(ref_, &l, 4, 2, TQFourCC("LONG")), kErrNone);
    EXPECT_EQ((*l)->cnt, 300);
    EXPECT_EQ((*l)->str[299], 'L');
    DSDisposeHandle(reinterpret_cast<UHandle>(l));
    EXPECT_EQ(RGetIndLString(ref_, &l, 4, 3, TQFourCC("LONG")), kErrResourceNotFound);
    EXPECT_EQ(RGetIndexLongStringStd(ref_, &text, 4, 1, TQFourCC("LONG")), kErrNone);
    EXPECT_EQ(text, "abc");
}

TEST_F(ResFileObjectsTest, ChainsAnswerInOrder) {
    Open({{kData, 1, "first", ""}});
    uInt32 second = 0;
    ASSERT_EQ(OpenCopy(MakeImage({{kData, 1, "shadowed", ""}, {kData, 2, "second", ""}}), &second), kErrNone);
    const uInt32 refs[] = {ref_, 0, second};
    uInt32 chain = 0;
    {
        ReportCapture capture;
        ASSERT_EQ(RChain(&chain, 3, refs), kErrNone);
        EXPECT_EQ(ReportCapture::Count(kDbgBroken, "RChain called with RsrcFile that is not in map."), 1);
    }
    UHandle h = nullptr;
    ASSERT_EQ(RGet(chain, kData, 1, &h), kErrNone);
    EXPECT_EQ(Text(h), "first");
    ASSERT_EQ(RGet(chain, kData, 2, &h), kErrNone);
    EXPECT_EQ(Text(h), "second");
    EXPECT_EQ(RGet(chain, kData, 3, &h), kErrResourceNotFound);
    int32 n = 0;
    EXPECT_EQ(RCount(chain, kData, &n), kErrResourceFile);  // a chain is not a file
    EXPECT_EQ(RDestroyChain(chain), kErrNone);
    EXPECT_EQ(RCloseFile(second), kErrNone);
}

TEST(ResRefnumTest, UnknownRefnumsAnswerThroughTheNullFile) {
    for (uInt32 ref : {0u, 0x12345u}) {
        UHandle h = nullptr;
        int32 n = 0;
        EXPECT_EQ(RGet(ref, kData, 1, &h), kErrResourceFile);
        EXPECT_EQ(RCount(ref, kData, &n), kErrResourceFile);
        EXPECT_EQ(RUpdateFile(ref), kErrResourceFile);
        EXPECT_EQ(RCloseFile(ref), kErrResourceFile);
        EXPECT_FALSE(RIsLoaded(ref, kData, 1));
        EXPECT_EQ(RPreAllocFile(ref, 10), kErrPermission);
        EXPECT_EQ(RGetMemFileHandle(ref, &h), kErrPermission);
        EXPECT_EQ(RDestroyChain(ref), kErrNone);
    }
    uInt32 ref = 0;
    ASSERT_EQ(RCreateMemFile(&ref, TQFourCC("tqcr"), TQFourCC("TEST")), kErrNone);
    ASSERT_EQ(RCloseFile(ref), kErrNone);
    UHandle h = nullptr;
    EXPECT_EQ(RGet(ref, kData, 1, &h), kErrResourceFile);  // a closed refnum
    EXPECT_EQ(RChanged(nullptr), kErrResourceNotFound);
    EXPECT_EQ(RRemove(nullptr, ref), kErrResourceNotFound);
}

TEST(ResRefnumTest, MemoryFileHandleOwnership) {
    uInt32 ref = 0;
    ASSERT_EQ(RCreateMemFile(&ref, TQFourCC("tqcr"), TQFourCC("TEST")), kErrNone);
    ASSERT_EQ(RAdd(DSNewHClr(3), ref, kData, 1, nullptr), kErrNone);
    UHandle h = nullptr;
    ASSERT_EQ(RGetUHandleOwnership(ref, &h), kErrNone);
    EXPECT_EQ(RGetUHandleOwnership(ref, &h), kErrGeneric);  // handed over once
    DSDisposeHandle(h);
    // Saving has nowhere to go: the forced close drops the change, reports the first failure, and the refnum
    // is gone.
    EXPECT_EQ(RCloseFileForce(ref), kErrArgument);
    EXPECT_EQ(RCloseFile(ref), kErrResourceFile);
}

}  // namespace
