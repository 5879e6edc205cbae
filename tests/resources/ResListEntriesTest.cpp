// Entries of the counted list resources: padding between entries, and lists that lie about their contents.
#include <gtest/gtest.h>

#include "ResTestSupport.h"
#include "support/ReportCapture.h"
#include "tqcore/strings.h"

namespace {

using namespace restest;

// The lists of a memory resource file, open while the object lives: long strings under id 1 of type LONG,
// paths under id 2 (or as named) of type PTH#.
class Lists {
  public:
    explicit Lists(const std::vector<Item>& items) { EXPECT_EQ(OpenCopy(MakeImage(items), &ref_), kErrNone); }
    ~Lists() { EXPECT_TRUE(!ref_ || RCloseFile(ref_) == kErrNone); }

    // Entry index of the long-string list, or the error as text.
    std::string Long(int32 index) const {
        LStrHandle l = nullptr;
        if (const TqErr e = RGetIndLString(ref_, &l, 1, index, kLong)) {
            EXPECT_EQ(l, nullptr);
            return "error " + std::to_string(e);
        }
        const std::string text(reinterpret_cast<const char*>((*l)->str), size_t((*l)->cnt));
        DSDisposeHandle(reinterpret_cast<UHandle>(l));
        return text;
    }
    // Entry index of a path list in the Unix form, or the error as text.
    std::string PathAt(int32 index, int32 id = 2) const {
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

    static constexpr ResType kLong = TQFourCC("LONG");
    static constexpr ResType kPaths = TQFourCC("PTH#");

  private:
    uInt32 ref_ = 0;
};

// A long-string entry: its length, then its bytes padded to 4.
std::string LongText(const std::string& s) {
    return BE32Text(uInt32(s.size())) + s + std::string((4 - s.size() % 4) % 4, '\0');
}

const std::string kNotFound = "error " + std::to_string(kErrResourceNotFound);

TEST(ResListEntries, EachEntryStartsAfterThePaddingOfTheOneBefore) {
    const Lists lists(
        {{Lists::kLong, 1,
          BE32Text(5) + LongText("") + LongText("a") + LongText("bc") + LongText("defgh") + LongText("ijk"),
          ""},
         {Lists::kPaths, 2,
          PathList({FlatPath(PathRef("/a", PathRef::StringUnix())),
                    FlatPath(PathRef("/bb/c", PathRef::StringUnix())),
                    FlatPath(PathRef("/ddd", PathRef::StringUnix()))}),
          ""}});
    EXPECT_EQ(lists.Long(1), "");
    EXPECT_EQ(lists.Long(2), "a");
    EXPECT_EQ(lists.Long(3), "bc");
    EXPECT_EQ(lists.Long(4), "defgh");
    EXPECT_EQ(lists.Long(5), "ijk");
    EXPECT_EQ(lists.PathAt(1), "/a");
    EXPECT_EQ(lists.PathAt(2), "/bb/c");
    EXPECT_EQ(lists.PathAt(3), "/ddd");
    for (const int32 outside : {0, -1, 6}) EXPECT_EQ(lists.Long(outside), kNotFound) << outside;
    for (const int32 outside : {0, 4}) EXPECT_EQ(lists.PathAt(outside), kNotFound) << outside;
}

TEST(ResListEntries, ACountOrALengthPastTheDataFindsNothingThere) {
    // Three entries counted, two there; the second one's length runs past the end.
    const Lists lists({{Lists::kLong, 1, BE32Text(3) + LongText("one") + BE32Text(9) + "two", ""}});
    EXPECT_EQ(lists.Long(1), "one");
    EXPECT_EQ(lists.Long(2), kNotFound);
    EXPECT_EQ(lists.Long(3), kNotFound);
}

TEST(ResListEntries, AnEntryThatIsNoPathIsReportedAndFindsNothing) {
    const std::string path = FlatPath(PathRef("/x", PathRef::StringUnix()));
    const std::string notPath = "DATA" + path.substr(4);
    // List 3: a second entry whose head is cut short.
    const Lists lists({{Lists::kPaths, 2, PathList({path, notPath}), ""},
                       {Lists::kPaths, 3, PathList({path}).replace(3, 1, 1, '\x02') + "PTH0", ""}});
    ReportCapture capture;
    EXPECT_EQ(lists.PathAt(1), "/x");
    EXPECT_EQ(lists.PathAt(1, 3), "/x");
    EXPECT_EQ(ReportCapture::Size(), 0u);
    EXPECT_EQ(lists.PathAt(2), kNotFound);
    EXPECT_EQ(ReportCapture::Count(kDbgBroken, "This doesn't contain a path resource"), 1);
    EXPECT_EQ(lists.PathAt(2, 3), kNotFound);
    EXPECT_EQ(ReportCapture::Count(kDbgBroken, "This doesn't contain a path resource"), 2);
}

}  // namespace
