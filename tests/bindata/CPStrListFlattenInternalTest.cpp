// CPStrList through binary streams: the count, then each element as a Pascal string.
#include "bindata/BinDataTestSupport.h"
#include "tqcore/core.h"
#include "tqcore/strings.h"

namespace {

using CPStrListStreamTest = StreamTest;

void Fill(CPStrList& list, std::initializer_list<const char*> items) {
    for (const char* s : items) ASSERT_EQ(list.Insert(PKSubString(s), -1), kErrNone);
}

TEST_F(CPStrListStreamTest, FlattenWritesTheCountThenPascalStrings) {
    CPStrList list;
    Fill(list, {"ab", "", "c"});
    HandleOutputBuf buf;
    BinDataWriter w(&buf, BigEndianizer());
    ASSERT_EQ(list.Flatten(&w), kErrNone);
    EXPECT_EQ(Written(buf), B({0, 0, 0, 3, 2, 'a', 'b', 0, 1, 'c'}));
    EXPECT_EQ(list.Flatten(nullptr), kErrArgument);
    EXPECT_EQ(list.UnFlatten(nullptr), kErrArgument);
}

TEST_F(CPStrListStreamTest, UnFlattenOfFlattenGivesAnEqualList) {
    for (const Endianizer* e : {BigEndianizer(), LittleEndianizer()}) {
        CPStrList list;
        Fill(list, {"one", "two", "", "a longer element"});
        HandleOutputBuf buf;
        BinDataWriter w(&buf, e);
        ASSERT_EQ(list.Flatten(&w), kErrNone);
        const Bytes bytes = Written(buf);
        MemInputBuf in(bytes.data(), bytes.size());
        BinDataReader r(&in, e);
        CPStrList back;
        Fill(back, {"replaced"});
        ASSERT_EQ(back.UnFlatten(&r), kErrNone);
        EXPECT_EQ(back.Equal(list), 1);
    }
}

TEST_F(CPStrListStreamTest, UnFlattenStopsAtTheFirstReaderError) {
    const Bytes bytes = B({0, 0, 0, 5, 1, 'x', 3, 'y'});
    MemInputBuf in(bytes.data(), bytes.size());
    BinDataReader r(&in, BigEndianizer());
    CPStrList list;
    EXPECT_NE(list.UnFlatten(&r), kErrNone);
    EXPECT_EQ(list.Count(), 1) << "what was read whole is kept";
    EXPECT_EQ(list.UnFlatten(&r), r.GetError()) << "a reader already in error gives its error";
    EXPECT_EQ(list.Count(), 0);
}

}  // namespace
