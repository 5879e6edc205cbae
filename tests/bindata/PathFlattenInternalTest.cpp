#include <memory>
#include <string>
#include <vector>

#include "BinDataTestSupport.h"
#include "tqcore/core.h"
#include "tqcore/paths.h"

namespace {

class PathTreeEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { ASSERT_EQ(PathRef::Init(), kErrNone); }
    void TearDown() override { PathRef::UnInit(); }
};
[[maybe_unused]] ::testing::Environment* const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new PathTreeEnvironment);

PathRef MakePath(PathBase base, const std::vector<std::string>& items) {
    PathRef p(base);
    for (const std::string& item : items) p.Append(item);
    return p;
}

// The record FFlattenPath2 writes for p through e.
Bytes Flattened(const PathRef* p, const Endianizer* e = BigEndianizer()) {
    HandleOutputBuf out;
    const uInt32 n = FFlattenPath2(p, &out, e);
    Bytes b = Written(out);
    EXPECT_EQ(n, b.size());
    return b;
}

struct ReadResult {
    TqErr err;
    std::unique_ptr<PathRef> path;
    size_t consumed;
};

ReadResult Unflattened(const Bytes& record, const Endianizer* e = BigEndianizer()) {
    MemInputBuf in(record.data(), record.size());
    PathRef* p = nullptr;
    const TqErr err = FUnFlattenPath2(&in, &p, e);
    return {err, std::unique_ptr<PathRef>(p), in.GetBytesRead()};
}

// The code and message the reading constructor throws for a record.
std::pair<TqErr, std::string> Refusal(const Bytes& record) {
    MemInputBuf in(record.data(), record.size());
    try {
        PathRef p(&in, BigEndianizer());
    } catch (const PKExcept& x) {
        return {x.ErrorCode(), x.Detail()};
    }
    return {0, ""};
}

// Restores the process-wide settings a test changes.
class PathFlattenTest : public StreamTest {
  protected:
    void TearDown() override {
        PathRef::Setting("sysenc");
        TQClearSaveForPrevVersion();
        ReportCapture::Clear();
        StreamTest::TearDown();
    }
};

const Bytes kUpDirA = B({0x50, 0x54, 0x48, 0x30, 0, 0, 0, 7, 0, 1, 0, 2, 0, 1, 0x61});
const Bytes kUpDirAUtf8 = B({0x50, 0x54, 0x48, 0x32, 0, 0, 0, 9, 0x72, 0x65, 0x6C, 0x20, 0, 0, 0, 1, 0x61});

TEST_F(PathFlattenTest, ARelativePathIsACompactRecord) {
    PathRef p(kBaseRelative);
    p.AppendUpDir();
    p.Append("a");
    EXPECT_EQ(Flattened(&p), kUpDirA);
    EXPECT_EQ(p.FlattenedSize(kFlattenPTH0), kUpDirA.size());
    const ReadResult r = Unflattened(kUpDirA);
    ASSERT_EQ(r.err, kErrNone);
    EXPECT_TRUE(r.path->Equals(p));
    EXPECT_EQ(r.consumed, kUpDirA.size());
    // A little-endian record converts only its length fields.
    EXPECT_EQ(Flattened(&p, LittleEndianizer()), B({'P', 'T', 'H', '0', 7, 0, 0, 0, 1, 0, 2, 0, 0, 1, 'a'}));
    // A debug setting changes no record.
    PathRef::Setting("debug");
    const PathRef copy = p;
    EXPECT_EQ(Flattened(&copy), kUpDirA);
    PathRef::Setting("nodebug");
}

TEST_F(PathFlattenTest, TheUtf8SwitchWritesPTH2AndThePreviousVersionPTH1AndBothReadAlike) {
    PathRef p(kBaseRelative);
    p.AppendUpDir();
    p.Append("a");
    PathRef::Setting("utf8");
    EXPECT_EQ(Flattened(&p), kUpDirAUtf8);
    EXPECT_EQ(p.FlattenedSize(kFlattenPTH2), kUpDirAUtf8.size());
    TQSetSaveForPrevVersion(0x13FFFFFF);
    Bytes previous = kUpDirAUtf8;
    previous[3] = 0x31;
    EXPECT_EQ(Flattened(&p), previous);
    TQSetSaveForPrevVersion(0x14000000);
    EXPECT_EQ(Flattened(&p), kUpDirAUtf8);
    TQSetSaveForPrevVersion(1);
    EXPECT_EQ(Flattened(&p), previous);
    TQClearSaveForPrevVersion();
    EXPECT_EQ(Flattened(&p), kUpDirAUtf8);
    PathRef::Setting("sysenc");
    EXPECT_EQ(Flattened(&p), kUpDirA);
    // Keywords are compared exactly; others change nothing.
    PathRef::Setting("UTF8");
    PathRef::Setting(nullptr);
    EXPECT_EQ(Flattened(&p), kUpDirA);
    // Both records read alike.
    for (const Bytes& record : {kUpDirAUtf8, previous}) {
        const ReadResult r = Unflattened(record);
        ASSERT_EQ(r.err, kErrNone);
        EXPECT_EQ(r.path->ItemCount(), 2);
        EXPECT_EQ(r.path->CountUpDir(), 1);
        EXPECT_EQ(r.path->Name(), "a");
        EXPECT_TRUE(r.path->StartsWith(kBaseRelative));
        EXPECT_EQ(r.consumed, record.size());
    }
}

TEST_F(PathFlattenTest, NamesBeyondASCIIOrLongerThan255GoIntoPTH2) {
    const PathRef accented = MakePath(kBaseAbsolute, {"C", "caf\xE9"});
    const Bytes record = Flattened(&accented);
    ASSERT_GE(record.size(), 12u);
    EXPECT_EQ(Bytes(record.begin(), record.begin() + 4), B("PTH2"));
    EXPECT_EQ(Bytes(record.begin() + 8, record.begin() + 12), B("abs "));
    const ReadResult back = Unflattened(record);
    ASSERT_EQ(back.err, kErrNone);
    EXPECT_TRUE(back.path->Equals(accented, kCompareExact));

    const PathRef longName = MakePath(kBaseAbsolute, {std::string(300, 'n')});
    const Bytes longRecord = Flattened(&longName);
    EXPECT_EQ(Bytes(longRecord.begin(), longRecord.begin() + 4), B("PTH2"));
    EXPECT_EQ(longRecord.size(), 8u + 4 + 2 + 300);
    EXPECT_TRUE(Unflattened(longRecord).path->Equals(longName));
    // The compact record cannot hold it.
    HandleOutputBuf out;
    uInt64 written = 99;
    EXPECT_EQ(longName.Flatten(&out, kFlattenPTH0, &written, BigEndianizer()), kErrPathTooLong);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(longName.FlattenedSize(kFlattenPTH0), 0u);
    // Names too long for PTH2 are rejected.
    const PathRef tooLong = MakePath(kBaseAbsolute, {"x", std::string(32768, 'n')});
    EXPECT_EQ(tooLong.Flatten(&out, kFlattenPTH2, &written, BigEndianizer()), kErrPathTooLong);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(tooLong.FlattenedSize(kFlattenPTH2), 0u);
    EXPECT_EQ(FFlattenPath2(&tooLong, &out, BigEndianizer()), 0u);
    EXPECT_EQ(out.GetBytesWritten(), 0u);
    const PathRef longest = MakePath(kBaseAbsolute, {std::string(32767, 'n')});
    EXPECT_EQ(longest.FlattenedSize(kFlattenPTH2), 8u + 4 + 2 + 32767);
}

TEST_F(PathFlattenTest, ANullPathIsTheTwelveByteNullRecordAndReadsBackAsNull) {
    const Bytes null = B({0x50, 0x54, 0x48, 0x30, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(Flattened(nullptr), null);
    EXPECT_EQ(FFlattenPath2(nullptr, nullptr, BigEndianizer()), 12u);
    const ReadResult r = Unflattened(null);
    EXPECT_EQ(r.err, kErrNone);
    EXPECT_EQ(r.path, nullptr);
    EXPECT_EQ(r.consumed, 12u);
    // Into an existing path: 1, and the path is left alone.
    MemInputBuf in(null.data(), null.size());
    PathRef* existing = new PathRef(MakePath(kBaseAbsolute, {"keep"}));
    PathRef* p = existing;
    EXPECT_EQ(FUnFlattenPath2(&in, &p, BigEndianizer()), kErrArgument);
    EXPECT_EQ(p, existing);
    EXPECT_EQ(p->Name(), "keep");
    delete p;
    // Read by the constructor it is the null-marker path.
    MemInputBuf again(null.data(), null.size());
    const PathRef marker(&again, BigEndianizer());
    EXPECT_TRUE(marker.StartsWith(kBaseNull));
}

TEST_F(PathFlattenTest, NotAPathIsTypeTwoWithNoItems) {
    const PathRef none;
    const Bytes expected = B({0x50, 0x54, 0x48, 0x30, 0, 0, 0, 4, 0, 2, 0, 0});
    EXPECT_EQ(Flattened(&none), expected);
    const ReadResult r = Unflattened(expected);
    ASSERT_EQ(r.err, kErrNone);
    ASSERT_NE(r.path, nullptr);
    EXPECT_EQ(r.path->Element(), nullptr);
    PathRef::Setting("utf8");
    EXPECT_EQ(Flattened(&none), B({0x50, 0x54, 0x48, 0x32, 0, 0, 0, 4, '!', 'p', 't', 'h'}));
    EXPECT_EQ(Unflattened(Flattened(&none)).path->Element(), nullptr);
}

TEST_F(PathFlattenTest, EveryKindOfPathRoundTripsInBothRecordsAndOrders) {
    const std::vector<PathRef> paths = {
        MakePath(kBaseAbsolute, {}),
        MakePath(kBaseAbsolute, {"C", "Program Files", "app", "data.bin"}),
        MakePath(kBaseRelative, {}),
        MakePath(kBaseRelative, {"..", "..", "sub", "file.txt"}),
        MakePath(kBaseUNC, {"server", "share", "dir"}),
        MakePath(kBaseAbsolute, {"home", "\xE4\xF6\xFC", "x"}),
    };
    for (bool utf8 : {false, true}) {
        PathRef::Setting(utf8 ? "utf8" : "sysenc");
        for (const Endianizer* e : {BigEndianizer(), LittleEndianizer(), NativeEndianizer()}) {
            for (const PathRef& p : paths) {
                const Bytes record = Flattened(&p, e);
                const ReadResult r = Unflattened(record, e);
                ASSERT_EQ(r.err, kErrNone);
                EXPECT_TRUE(r.path->Equals(p, kCompareExact)) << r.path->ToString(PathRef::StringDisplay());
                EXPECT_EQ(r.consumed, record.size());
                // Flattening what was read gives the same record.
                EXPECT_EQ(Flattened(r.path.get(), e), record);
            }
        }
    }
}

TEST_F(PathFlattenTest, FlattenChecksItsArguments) {
    const PathRef p = MakePath(kBaseAbsolute, {"a"});
    HandleOutputBuf out;
    uInt64 written = 5;
    EXPECT_EQ(p.Flatten(nullptr, kFlattenPTH0, &written, BigEndianizer()), kErrArgument);
    EXPECT_EQ(p.Flatten(&out, kFlattenPTH0, &written, nullptr), kErrArgument);
    EXPECT_EQ(p.Flatten(&out, kFlattenPTH1, &written, BigEndianizer()), kErrArgument);
    EXPECT_EQ(p.Flatten(&out, FlattenFormat(7), &written, BigEndianizer()), kErrNotSupported);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(p.FlattenedSize(FlattenFormat(7)), 0u);
    EXPECT_EQ(p.FlattenedSize(kFlattenPTH1), p.FlattenedSize(kFlattenPTH2));
    EXPECT_EQ(p.Flatten(&out, kFlattenPTH2, nullptr, BigEndianizer()), kErrNone);
    EXPECT_EQ(out.GetBytesWritten(), p.FlattenedSize(kFlattenPTH2));
    // A full sink stops the record and counts what was written.
    const PathRef two = MakePath(kBaseAbsolute, {"abc", "def"});
    uChar memory[14];
    {
        StaticOutputBuf out(memory, sizeof memory);
        uInt64 written = 0;
        // Magic, length, type and count fit (12 bytes); "abc" does not.
        EXPECT_EQ(two.Flatten(&out, kFlattenPTH0, &written, BigEndianizer()), kErrEndOfData);
        EXPECT_EQ(written, 12u);
    }
    StaticOutputBuf full(memory, sizeof memory);
    EXPECT_EQ(FFlattenPath2(&two, &full, BigEndianizer()), 12u);
    // The counting sink learns the size.
    const PathRef unc = MakePath(kBaseUNC, {"srv", "share", "f"});
    PreflightOutputBuf counting;
    EXPECT_EQ(FFlattenPath2(&unc, &counting, BigEndianizer()), unc.FlattenedSize(kFlattenPTH0));
    EXPECT_EQ(counting.GetBytesWritten(), unc.FlattenedSize(kFlattenPTH0));
    EXPECT_EQ(FFlattenPath2(&unc, nullptr, BigEndianizer()), unc.FlattenedSize(kFlattenPTH0));
}

TEST_F(PathFlattenTest, ReadingRefusalsCarryTheirCodesAndMessages) {
    struct Case {
        Bytes record;
        TqErr code;
        const char* message;
    };
    const std::vector<Case> cases = {
        {B({'P', 'T', 'H', '0', 0, 0}), kErrEndOfData, "PathRef unflatten constructor, header read"},
        {B({'P', 'T', 'H', '9', 0, 0, 0, 4, 0, 0, 0, 0}), kErrEndOfData,
         "PathRef unflatten constructor, corrupt flattened format"},
        {B({'P', 'T', 'H', '2', 0, 0, 0, 4, 'a', 'b'}), kErrEndOfData,
         "PathRef unflatten constructor, subcode read"},
        {B({'P', 'T', 'H', '2', 0, 0, 0, 4, 'x', 'y', 'z', ' '}), kErrArgument,
         "PathRef unflatten constructor, path type"},
        {B({'P', 'T', 'H', '2', 0, 0, 0, 6, 'a', 'b', 's', ' ', 0x80, 0}), kErrEndOfData,
         "PathRef unflatten constructor, name element length negative"},
        // L says 7: the item's two length bytes would already run past it.
        {B({'P', 'T', 'H', '2', 0, 0, 0, 5, 'a', 'b', 's', ' ', 0, 1, 'a'}), kErrEndOfData,
         "PathRef unflatten constructor, flattened size didn't match"},
        // L is smaller than its items.
        {B({'P', 'T', 'H', '2', 0, 0, 0, 7, 'a', 'b', 's', ' ', 0, 2, 'a', 'b'}), kErrEndOfData,
         "PathRef unflatten constructor, flattened size didn't match"},
        {B({'P', 'T', 'H', '2', 0, 0, 0, 9, 'a', 'b', 's', ' ', 0, 1}), kErrEndOfData,
         "PathRef unflatten constructor, name element data read"},
        {B({'P', 'T', 'H', '0', 0, 0, 0, 2, 0}), kErrEndOfData, "error unflattening PTH0 data, small size"},
        {B({'P', 'T', 'H', '0', 0, 0, 0, 9, 0, 0, 0, 1, 'x'}), kErrEndOfData,
         "PathRef unflatten constructor, read header"},
        // The item runs past L even though the stream holds its bytes.
        {B({'P', 'T', 'H', '0', 0, 0, 0, 6, 0, 0, 0, 1, 3, 'a', 'b', 'c'}), kErrEndOfData,
         "PathRef unflatten constructor, flattened size didn't match"},
        // More items than L holds.
        {B({'P', 'T', 'H', '0', 0, 0, 0, 6, 0, 0, 0, 2, 1, 'a', 1, 'b'}), kErrEndOfData,
         "PathRef unflatten constructor, flattened size didn't match"},
    };
    for (const Case& c : cases) {
        const auto [code, message] = Refusal(c.record);
        EXPECT_EQ(code, c.code) << c.message;
        EXPECT_EQ(message, c.message);
        MemInputBuf in(c.record.data(), c.record.size());
        PathRef* p = nullptr;
        EXPECT_EQ(FUnFlattenPath2(&in, &p, BigEndianizer()), c.code);
        EXPECT_EQ(p, nullptr);
        // Nothing beyond the declared record is consumed.
        EXPECT_LE(in.GetBytesRead(), c.record.size());
    }
    ReportCapture::Clear();
}

TEST_F(PathFlattenTest, ARecordEndingInsideItsItemsIsNeverReadPast) {
    // "PTH0" with L = 6 followed by stream data that looks like the rest of an item.
    const Bytes stream = B({'P', 'T', 'H', '0', 0, 0, 0, 6, 0, 0, 0, 1, 3, 'a', 0xEE, 0xEE});
    MemInputBuf in(stream.data(), stream.size());
    PathRef* p = nullptr;
    EXPECT_EQ(FUnFlattenPath2(&in, &p, BigEndianizer()), kErrEndOfData);
    EXPECT_EQ(in.GetBytesRead(), 14u);
    const Bytes utf8 =
        B({'P', 'T', 'H', '2', 0, 0, 0, 7, 'r', 'e', 'l', ' ', 0, 5, 'a', 0xEE, 0xEE, 0xEE, 0xEE});
    MemInputBuf in2(utf8.data(), utf8.size());
    EXPECT_EQ(FUnFlattenPath2(&in2, &p, BigEndianizer()), kErrEndOfData);
    EXPECT_EQ(in2.GetBytesRead(), 14u);
    ReportCapture::Clear();
}

TEST_F(PathFlattenTest, UnknownTypesAreNotAPathAndDotItemsAreAppendedAsPathItems) {
    const Bytes record = B({'P', 'T', 'H', '0', 0, 0, 0, 6, 0, 9, 0, 1, 1, 'a'});
    const ReadResult r = Unflattened(record);
    ASSERT_EQ(r.err, kErrNone);
    EXPECT_EQ(r.path->Element(), nullptr);
    EXPECT_EQ(r.consumed, record.size());
    // Dots in records are appended as path items.
    const Bytes dots = B({'P', 'T', 'H', '0', 0, 0, 0, 13, 0, 1, 0, 4, 1, 'a', 1, '.', 2, '.', '.', 1, 'b'});
    const ReadResult withDots = Unflattened(dots);
    ASSERT_EQ(withDots.err, kErrNone);
    EXPECT_TRUE(withDots.path->Equals(MakePath(kBaseRelative, {"b"})));
    // Items after a path that is not one are refused by Append.
    const Bytes notAPath = B({'P', 'T', 'H', '2', 0, 0, 0, 7, '!', 'p', 't', 'h', 0, 1, 'a'});
    EXPECT_EQ(Unflattened(notAPath).err, kErrArgument);
}

TEST_F(PathFlattenTest, MemoryFormsReturnByteCounts) {
    const PathRef p = MakePath(kBaseAbsolute, {"vol", "dir"});
    const int32 size = FFlattenPath(const_cast<PathRef*>(&p), nullptr);
    ASSERT_EQ(size, 8 + 4 + 4 + 4);
    std::vector<uChar> buf(size_t(size) + 5, 0xCC);
    EXPECT_EQ(FFlattenPath(const_cast<PathRef*>(&p), buf.data()), size);
    EXPECT_EQ(buf[size_t(size)], 0xCC);

    Path back = nullptr;
    EXPECT_EQ(FUnFlattenPath(buf.data(), &back), size);
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->Equals(p));
    delete back;

    PathRef* again = nullptr;
    EXPECT_EQ(FUnFlattenPath2(buf.data(), &again, size), size);
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->Equals(p));
    // Too few bytes: size + 1, and an existing path keeps its value.
    const PathRef before = *again;
    EXPECT_EQ(FUnFlattenPath2(buf.data(), &again, size - 1), size);
    EXPECT_TRUE(again->Equals(before));
    delete again;

    buf[0] = 'X';
    Path none = nullptr;
    EXPECT_EQ(FUnFlattenPath(buf.data(), &none), 0);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(FUnFlattenPath(nullptr, &none), 0);
    EXPECT_EQ(FGetPathStorageSize(const_cast<PathRef*>(&p)), p.MemorySize());
    EXPECT_EQ(FGetPathStorageSize(nullptr), 0u);
    ReportCapture::Clear();
}

TEST_F(PathFlattenTest, ReadPathAndWritePathGoThroughTheStreams) {
    const PathRef p = MakePath(kBaseUNC, {"srv", "share"});
    HandleOutputBuf out;
    BinDataWriter w(&out, BigEndianizer());
    w.WriteU8(0x11);
    EXPECT_EQ(w.WritePath(&p), p.FlattenedSize(kFlattenPTH0));
    EXPECT_EQ(w.WritePath(nullptr), 12u);
    w.WriteU8(0x22);
    const Bytes written = Written(out);

    MemInputBuf in(written.data(), written.size());
    BinDataReader r(&in, BigEndianizer());
    EXPECT_EQ(r.ReadU8(), 0x11);
    std::unique_ptr<PathRef> back(r.ReadPath());
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->Equals(p));
    EXPECT_EQ(r.ReadPath(), nullptr);
    EXPECT_EQ(r.GetError(), 0);
    EXPECT_EQ(r.ReadU8(), 0x22);
    // A broken record becomes the reader's error.
    const Bytes broken = B({'P', 'T', 'H', '7', 0, 0, 0, 0});
    MemInputBuf bad(broken.data(), broken.size());
    BinDataReader badReader(&bad, BigEndianizer());
    EXPECT_EQ(badReader.ReadPath(), nullptr);
    EXPECT_EQ(badReader.GetError(), kErrEndOfData);
    EXPECT_EQ(badReader.ReadPath(), nullptr);
}

}  // namespace
