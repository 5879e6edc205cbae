// The container's bytes and every check made when one is opened.
#include <gtest/gtest.h>

#include "ResTestSupport.h"
#include "support/ReportCapture.h"

namespace {

using namespace restest;

const ResType kTest = TQFourCC("TEST");
const ResType kData = TQFourCC("DATA");

// Map offsets of the one-type, one-entry file.
constexpr size_t kTypeList = 52, kFirstEntry = 68;

class ResFileFormatTest : public ::testing::Test {
  protected:
    // Opening the bytes fails with code, reporting the rule's number in the named message.
    static void ExpectMapRule(const Bytes& b, int rule) {
        ReportCapture capture;
        uInt32 ref = 0;
        EXPECT_EQ(OpenImage(b, &ref), kErrGeneric) << "rule " << rule;
        EXPECT_EQ(ref, 0u);
        EXPECT_EQ(
            ReportCapture::Count(kDbgWarn, "map validation failure " + std::to_string(rule) + " for \""), 1)
            << "rule " << rule;
    }
    static void ExpectHeaderRule(const Bytes& b, int rule) {
        ReportCapture capture;
        uInt32 ref = 0;
        EXPECT_EQ(OpenImage(b, &ref), kErrGeneric) << "rule " << rule;
        EXPECT_EQ(ReportCapture::Count(kDbgWarn, "header validationErr=" + std::to_string(rule)), 1)
            << "rule " << rule;
    }
    static Bytes One() { return MakeImage({{kData, 1, "abc", ""}}); }
};

TEST_F(ResFileFormatTest, WriterLaysOutHeaderBlocksAndMapAsTheFormatSays) {
    const Bytes b = MakeImage({{kData, 7, "hello", ""}});
    ASSERT_EQ(b.size(), 32u + 12u + 88u);  // a 5-byte resource takes a 12-byte block
    EXPECT_EQ(std::memcmp(b.data(), "RSRC\r\n\0\3TESTtqcr", 16), 0);
    EXPECT_EQ(BE32(b, 16), 44u);  // map offset
    EXPECT_EQ(BE32(b, 20), 88u);  // map size
    EXPECT_EQ(BE32(b, 24), 32u);  // data offset
    EXPECT_EQ(BE32(b, 28), 12u);  // data size
    EXPECT_EQ(BE32(b, 32), 5u);
    EXPECT_EQ(std::memcmp(b.data() + 36, "hello\0\0\0", 8), 0);
    const size_t m = 44;
    EXPECT_EQ(std::memcmp(b.data() + m, b.data(), 32), 0);  // header copy
    EXPECT_EQ(BE32(b, m + 40), 0u);                         // attributes: not read-only, not changed
    EXPECT_EQ(BE32(b, m + 44), 52u);
    EXPECT_EQ(BE32(b, m + 48), 0u);  // no name list
    EXPECT_EQ(BE32(b, m + kTypeList), 0u);
    EXPECT_EQ(std::memcmp(b.data() + m + 56, "DATA", 4), 0);
    EXPECT_EQ(BE32(b, m + 60), 0u);
    EXPECT_EQ(BE32(b, m + 64), 16u);
    EXPECT_EQ(BE32(b, m + kFirstEntry), 7u);
    EXPECT_EQ(BE32(b, m + kFirstEntry + 4), 0xFFFFFFFFu);
    EXPECT_EQ(BE32(b, m + kFirstEntry + 8), 0u);  // the changed flag is not written
    EXPECT_EQ(BE32(b, m + kFirstEntry + 12), 0u);
    EXPECT_EQ(BE32(b, m + kFirstEntry + 16), 0u);  // no cookie on disk
}

TEST_F(ResFileFormatTest, BlockSizesRoundUpToFour) {
    for (auto [n, block] : {std::pair{0, 4}, {1, 8}, {4, 8}, {5, 12}, {8, 12}}) {
        const Bytes b = MakeImage({{kData, 1, std::string(size_t(n), 'x'), ""}});
        EXPECT_EQ(BE32(b, 28), uInt32(block)) << n;
    }
}

TEST_F(ResFileFormatTest, EmptyFileOpensWithNoResources) {
    const Bytes b = MakeImage({});
    ASSERT_EQ(b.size(), 32u);
    EXPECT_EQ(BE32(b, 16), 32u);
    EXPECT_EQ(BE32(b, 20), 0u);
    uInt32 ref = 0;
    ResType type = 0, creator = 0;
    ASSERT_EQ(ROpenUPtr(b.data(), b.size(), &ref, &type, &creator), kErrNone);
    EXPECT_EQ(type, kTest);
    EXPECT_EQ(creator, TQFourCC("tqcr"));
    int32 n = -1;
    EXPECT_EQ(RCountTypes(ref, &n), kErrNone);
    EXPECT_EQ(n, 0);
    UHandle h = nullptr;
    EXPECT_EQ(RGet(ref, kData, 1, &h), kErrResourceNotFound);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(RCloseFile(ref), kErrNone);
}

TEST_F(ResFileFormatTest, HeaderRulesAreCheckedInOrder) {
    Bytes b = MakeImage({});
    SetBE32(b, 28, 8);  // data size without a map
    b.resize(40);
    ExpectHeaderRule(b, 6);

    Bytes c = One();
    SetBE32(c, 24, 16);  // data inside the header
    ExpectHeaderRule(c, 4);
    c = One();
    SetBE32(c, 28, 6);  // not a multiple of 4
    ExpectHeaderRule(c, 5);
    c = One();
    SetBE32(c, 16, uInt32(c.size() + 1));
    ExpectHeaderRule(c, 2);
    c = One();
    SetBE32(c, 20, uInt32(c.size()));
    ExpectHeaderRule(c, 3);
    c = One();
    SetBE32(c, 20, 87);  // below the smallest map
    ExpectHeaderRule(c, 3);
    c = One();
    c.insert(c.begin() + 40, 4, 0);  // a gap between data and map
    SetBE32(c, 16, MapOffset(c) + 4);
    ExpectHeaderRule(c, 10);
}

TEST_F(ResFileFormatTest, VersionsAndRecognition) {
    Bytes b = One();
    b[7] = 4;
    uInt32 ref = 0;
    EXPECT_EQ(OpenImage(b, &ref), kErrResFileVersion);

    // Version 2 needs no carriage return, line feed, and is written back as version 3 with them.
    Bytes v2 = One();
    for (size_t at : {size_t(0), size_t(MapOffset(v2))}) v2[at + 4] = 0, v2[at + 5] = 0, v2[at + 7] = 2;
    ASSERT_EQ(OpenCopy(v2, &ref), kErrNone);
    ASSERT_EQ(RSetFileAttrs(ref, kResMapChanged), kErrNone);
    UHandle h = nullptr;
    ASSERT_EQ(RGetMemFileHandle(ref, &h), kErrNone);
    const Bytes out = HandleBytes(h);
    DSDisposeHandle(h);
    EXPECT_EQ(std::memcmp(out.data(), "RSRC\r\n\0\3", 8), 0);
    EXPECT_EQ(RCloseFile(ref), kErrNone);

    Bytes v3 = One();
    v3[4] = 0;  // version 3 without them is not a resource file
    EXPECT_EQ(OpenCopy(v3, &ref), kErrResourceFile);
    v3 = One();
    v3[0] = 'X';
    EXPECT_EQ(OpenCopy(v3, &ref), kErrResourceFile);
    EXPECT_EQ(OpenImage(Bytes(10, 0), &ref), kErrEndOfFile);
}

TEST_F(ResFileFormatTest, AppendedFileOpensOnlyReadOnly) {
    const Bytes res = MakeImage({{kData, 3, "inside", ""}});
    const uInt32 start = 100;
    Bytes exe(start + res.size() + 4, 0x90);
    std::memcpy(exe.data() + start, res.data(), res.size());
    SetBE32(exe, exe.size() - 4, start);
    uInt32 ref = 0;
    ASSERT_EQ(OpenImage(exe, &ref), kErrNone);
    UHandle h = nullptr;
    ASSERT_EQ(RGet(ref, kData, 3, &h), kErrNone);
    EXPECT_EQ(Text(h), "inside");
    EXPECT_EQ(RCloseFile(ref), kErrNone);
    EXPECT_EQ(OpenCopy(exe, &ref), kErrResourceFile);
}

TEST_F(ResFileFormatTest, MapRulesNameTheFirstFailure) {
    const size_t m = MapOffset(One());
    auto mutate = [&](auto change) {
        Bytes b = One();
        change(b);
        return b;
    };
    ExpectMapRule(mutate([&](Bytes& b) { b[m + 8] = 'X'; }), 7);            // copy's file type differs
    ExpectMapRule(mutate([&](Bytes& b) { SetBE32(b, m + 40, 0x01); }), 8);  // unknown map attribute
    ExpectMapRule(mutate([&](Bytes& b) { SetBE32(b, m + 44, 48); }), 11);
    ExpectMapRule(mutate([&](Bytes& b) { SetBE32(b, m + 44, 85); }), 11);
    ExpectMapRule(mutate([&](Bytes& b) { SetBE32(b, m + 48, 60); }), 12);
    ExpectMapRule(mutate([&](Bytes& b) { SetBE32(b, m + 48, 90); }), 12);
    ExpectMapRule(mutate([&](Bytes& b) { SetBE32(b, m + kTypeList, 0xFFFFFFFF); }), 13);
    ExpectMapRule(mutate([&](Bytes& b) { SetBE32(b, m + kTypeList, 1); }), 15);  // 8 bytes of entries
    ExpectMapRule(mutate([&](Bytes& b) { SetBE32(b, m + 60, 1); }), 16);
    ExpectMapRule(mutate([&](Bytes& b) { SetBE32(b, m + 64, 18); }), 17);
    ExpectMapRule(mutate([&](Bytes& b) { SetBE32(b, m + 64, 36); }), 17);
    ExpectMapRule(mutate([&](Bytes& b) { SetBE32(b, m + kFirstEntry + 8, 0x40); }), 19);
    ExpectMapRule(mutate([&](Bytes& b) { SetBE32(b, m + kFirstEntry + 4, 0); }), 20);
    ExpectMapRule(mutate([&](Bytes& b) { SetBE32(b, m + kFirstEntry + 12, 2); }), 22);
    ExpectMapRule(mutate([&](Bytes& b) { SetBE32(b, m + kFirstEntry + 12, 8); }), 22);
}

TEST_F(ResFileFormatTest, NamesMustLieInsideTheNameList) {
    const Bytes named = MakeImage({{kData, 1, "a", "nm"}});
    const size_t m = MapOffset(named);
    EXPECT_EQ(BE32(named, m + 48), 88u);
    Bytes b = named;
    b[m + 88] = 3;  // runs past the list
    ExpectMapRule(b, 21);
    b = named;
    b[m + 88] = 0;
    ExpectMapRule(b, 21);
    b = named;
    SetBE32(b, m + kFirstEntry + 4, 2);
    ExpectMapRule(b, 20);

    // Three types declared: the type list runs past the name list, leaving no room for entries.
    const Bytes longName = MakeImage({{kData, 1, "a", std::string(20, 'n')}});
    b = longName;
    SetBE32(b, MapOffset(b) + kTypeList, 2);
    ExpectMapRule(b, 14);
}

TEST_F(ResFileFormatTest, OverlappingReferenceListsAndCounts) {
    const Bytes two = MakeImage({{kData, 1, "a", ""}, {kTest, 1, "b", ""}});
    const size_t m = MapOffset(two);
    Bytes b = two;
    SetBE32(b, m + kTypeList + 4 + 12 + 8, BE32(b, m + kTypeList + 4 + 8));  // both types on one entry
    ExpectMapRule(b, 18);
    b = two;
    SetBE32(b, m + kTypeList, 0);  // one type declared: its entry and a stray one
    // With one type the space holds 2 entries plus the second type's 12 bytes: not a multiple of 20.
    ExpectMapRule(b, 15);
}

TEST_F(ResFileFormatTest, SmallestMapHoldsOneResource) {
    Bytes b = One();
    EXPECT_EQ(BE32(b, 20), 88u);
    uInt32 ref = 0;
    ASSERT_EQ(OpenImage(b, &ref), kErrNone);
    EXPECT_EQ(RCloseFile(ref), kErrNone);
    b.pop_back();
    SetBE32(b, 20, 87);
    SetBE32(b, MapOffset(b) + 20, 87);
    ExpectHeaderRule(b, 3);
}

TEST_F(ResFileFormatTest, ReferenceListsAreSortedWhenRead) {
    Bytes b = MakeImage({{kData, 1, "one", ""}, {kData, 3, "three", ""}});
    const size_t m = MapOffset(b);
    // Swap the two entries: the file stores them out of order.
    Bytes e1(b.begin() + long(m + kFirstEntry), b.begin() + long(m + kFirstEntry + 20));
    std::copy(b.begin() + long(m + kFirstEntry + 20), b.begin() + long(m + kFirstEntry + 40),
              b.begin() + long(m + kFirstEntry));
    std::copy(e1.begin(), e1.end(), b.begin() + long(m + kFirstEntry + 20));
    uInt32 ref = 0;
    ASSERT_EQ(OpenImage(b, &ref), kErrNone);
    UHandle h = nullptr;
    ASSERT_EQ(RGet(ref, kData, 3, &h), kErrNone);
    EXPECT_EQ(Text(h), "three");
    ASSERT_EQ(RGetInd(ref, kData, 1, &h), kErrNone);
    EXPECT_EQ(Text(h), "one");
    EXPECT_EQ(RCloseFile(ref), kErrNone);
}

TEST_F(ResFileFormatTest, BlockPastTheDataAreaIsEndOfFile) {
    Bytes b = One();
    SetBE32(b, 32, 100);  // the stored length runs past the data
    uInt32 ref = 0;
    ASSERT_EQ(OpenImage(b, &ref), kErrNone);
    UHandle h = nullptr;
    EXPECT_EQ(RGet(ref, kData, 1, &h), kErrEndOfFile);
    EXPECT_EQ(RCloseFile(ref), kErrNone);
}

}  // namespace
