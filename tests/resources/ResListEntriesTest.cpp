// Entries of the counted list resources: padding between entries, and lists that lie about their contents.
#include <gtest/gtest.h>

#include "ResTestSupport.h"
#include "support/ReportCapture.h"
#include "tqcore/strings.h"

namespace {

using namespace restest;

const ResType kLongList = TQFourCC("LONG");
const ResType kPathList = TQFourCC("PTH#");

class ResListEntriesTest : public ::testing::Test {
  protected:
    void TearDown() override {
        if (ref_) {
            EXPECT_EQ(RCloseFile(ref_), kErrNone);
        }
    }
    void Open(const std::vector<Item>& items) { ASSERT_EQ(OpenCopy(MakeImage(items), &ref_), kErrNone); }
    // Entry index of long-string list 1, or the error as text.
    std::string LongEntry(int32 index) {
        LStrHandle l = nullptr;
        if (const TqErr e = RGetIndLString(ref_, &l, 1, index, kLongList)) {
            EXPECT_EQ(l, nullptr);
            return "error " + std::to_string(e);
        }
        const std::string text(reinterpret_cast<const char*>((*l)->str), size_t((*l)->cnt));
        DSDisposeHandle(reinterpret_cast<UHandle>(l));
        return text;
    }
    // Entry index of path list id in the Unix form, or the error as text.
    std::string PathEntry(int32 index, int32 id = 2) {
        Path path = nullptr;
        if (const TqErr e = RGetIndPath(ref_, &path, id, index)) {
            EXPECT_EQ(path, nullptr);
            return "error " + std::to_string(e);
        }
        std::string text;
        EXPECT_EQ(path->ConvertToString(&text, PathRef::StringUnix()), kErrNone);
        PathRef::DisposePath(path);
        return text;
    }
    static std::string Padded(const std::string& s) { return s + std::string((4 - s.size() % 4) % 4, '\0'); }
    static std::string LongText(const std::string& s) { return BE32Text(uInt32(s.size())) + Padded(s); }

    uInt32 ref_ = 0;
};

const std::string kNotFound = "error " + std::to_string(kErrResourceNotFound);

TEST_F(ResListEntriesTest, EachEntryStartsAfterThePaddingOfTheOneBefore) {
    Open({{kLongList, 1,
           BE32Text(5) + LongText("") + LongText("a") + LongText("bc") + LongText("defgh") + LongText("ijk"),
           ""},
          {kPathList, 2,
           PathList({FlatPath(PathRef("/a", PathRef::StringUnix())),
                     FlatPath(PathRef("/bb/c", PathRef::StringUnix())),
                     FlatPath(PathRef("/ddd", PathRef::StringUnix()))}),
           ""}});
    EXPECT_EQ(LongEntry(1), "");
    EXPECT_EQ(LongEntry(2), "a");
    EXPECT_EQ(LongEntry(3), "bc");
    EXPECT_EQ(LongEntry(4), "defgh");
    EXPECT_EQ(LongEntry(5), "ijk");
    EXPECT_EQ(PathEntry(1), "/a");
    EXPECT_EQ(PathEntry(2), "/bb/c");
    EXPECT_EQ(PathEntry(3), "/ddd");
    for (const int32 outside : {0, -1, 6}) EXPECT_EQ(LongEntry(outside), kNotFound) << outside;
    for (const int32 outside : {0, 4}) EXPECT_EQ(PathEntry(outside), kNotFound) << outside;
}

TEST_F(ResListEntriesTest, ACountOrALengthPastTheDataFindsNothingThere) {
    // Three entries counted, two there; the second one's length runs past the end.
    Open({{kLongList, 1, BE32Text(3) + LongText("one") + BE32Text(9) + "two", ""}});
    EXPECT_EQ(LongEntry(1), "one");
    EXPECT_EQ(LongEntry(2), kNotFound);
    EXPECT_EQ(LongEntry(3), kNotFound);
}

TEST_F(ResListEntriesTest, AnEntryThatIsNoPathIsReportedAndFindsNothing) {
    const std::string path = FlatPath(PathRef("/x", PathRef::StringUnix()));
    const std::string notPath = "DATA" + path.substr(4);
    // List 3: a second entry whose head is cut short.
    Open({{kPathList, 2, PathList({path, notPath}), ""},
          {kPathList, 3, PathList({path}).replace(3, 1, 1, '\x02') + "PTH0", ""}});
    ReportCapture capture;
    EXPECT_EQ(PathEntry(1), "/x");
    EXPECT_EQ(PathEntry(1, 3), "/x");
    EXPECT_EQ(ReportCapture::Size(), 0u);
    EXPECT_EQ(PathEntry(2), kNotFound);
    EXPECT_EQ(ReportCapture::Count(kDbgBroken, "This doesn't contain a path resource"), 1);
    EXPECT_EQ(PathEntry(2, 3), kNotFound);
    EXPECT_EQ(ReportCapture::Count(kDbgBroken, "This doesn't contain a path resource"), 2);
}

}  // namespace
