#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "BinDataTestSupport.h"
#include "tqcore/core.h"

namespace {

using BinDataTest = StreamTest;

// A converter of the test's own, so the virtual conversions are exercised as well as the shared instances.
const _SwappingEndianizer kOwnBig;
const _NonSwappingEndianizer kOwnLittle;

struct Order {
    const char* name;
    const Endianizer* (*get)();
    bool big;
};
const Endianizer* OwnBig() {
    return &kOwnBig;
}
const Endianizer* OwnLittle() {
    return &kOwnLittle;
}
const Order kOrders[] = {
    {"big", BigEndianizer, true}, {"little", LittleEndianizer, false}, {"native", NativeEndianizer, false},
    {"own big", OwnBig, true},    {"own little", OwnLittle, false},
};

Bytes Ordered(Bytes bigEndian, bool big) {
    if (!big) std::reverse(bigEndian.begin(), bigEndian.end());
    return bigEndian;
}

TEST_F(BinDataTest, EveryIntegerAndFloatIsStoredInTheConvertersOrderAndReadBackUpToTheExtremes) {
    for (const Order& order : kOrders) {
        SCOPED_TRACE(order.name);
        const Endianizer* e = order.get();
        HandleOutputBuf out;
        BinDataWriter w(&out, e);
        EXPECT_EQ(w.WriteI8(-2), 1u);
        EXPECT_EQ(w.WriteU8(0xFE), 1u);
        EXPECT_EQ(w.WriteI16(-2), 2u);
        EXPECT_EQ(w.WriteU16(0x1234), 2u);
        EXPECT_EQ(w.WriteI32(-2), 4u);
        EXPECT_EQ(w.WriteU32(0x12345678), 4u);
        EXPECT_EQ(w.WriteI64(-2), 8u);
        EXPECT_EQ(w.WriteU64(0x0123456789ABCDEFull), 8u);
        EXPECT_EQ(w.WriteF32(1.5f), 4u);
        EXPECT_EQ(w.WriteF64(-0.25), 8u);
        EXPECT_EQ(w.WriteBool(2), 1u);
        EXPECT_EQ(w.GetError(), 0);
        const Bytes expected = Concat({
            B({0xFE}),
            B({0xFE}),
            Ordered(B({0xFF, 0xFE}), order.big),
            Ordered(B({0x12, 0x34}), order.big),
            Ordered(B({0xFF, 0xFF, 0xFF, 0xFE}), order.big),
            Ordered(B({0x12, 0x34, 0x56, 0x78}), order.big),
            Ordered(B({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}), order.big),
            Ordered(B({0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}), order.big),
            Ordered(B({0x3F, 0xC0, 0x00, 0x00}), order.big),
            Ordered(B({0xBF, 0xD0, 0, 0, 0, 0, 0, 0}), order.big),
            B({0x02}),
        });
        EXPECT_EQ(Written(out), expected);
        // Extreme values round-trip.
        w.WriteI8(INT8_MIN);
        w.WriteI16(INT16_MIN);
        w.WriteI32(INT32_MIN);
        w.WriteI64(INT64_MIN);
        w.WriteU16(UINT16_MAX);
        w.WriteU32(UINT32_MAX);
        w.WriteU64(UINT64_MAX);
        w.WriteF32(std::numeric_limits<float>::denorm_min());
        w.WriteF64(-std::numeric_limits<double>::infinity());
        w.WriteF64(std::numeric_limits<double>::quiet_NaN());
        const Bytes written = Written(out);

        MemInputBuf in(written.data(), written.size());
        BinDataReader r(&in, e);
        EXPECT_EQ(r.ReadI8(), -2);
        EXPECT_EQ(r.ReadU8(), 0xFE);
        EXPECT_EQ(r.ReadI16(), -2);
        EXPECT_EQ(r.ReadU16(), 0x1234);
        EXPECT_EQ(r.ReadI32(), -2);
        EXPECT_EQ(r.ReadU32(), 0x12345678u);
        EXPECT_EQ(r.ReadI64(), -2);
        EXPECT_EQ(r.ReadU64(), 0x0123456789ABCDEFull);
        EXPECT_EQ(r.ReadF32(), 1.5f);
        EXPECT_EQ(r.ReadF64(), -0.25);
        // Booleans are not normalised.
        EXPECT_EQ(r.ReadBool(), 2);
        EXPECT_EQ(r.ReadI8(), INT8_MIN);
        EXPECT_EQ(r.ReadI16(), INT16_MIN);
        EXPECT_EQ(r.ReadI32(), INT32_MIN);
        EXPECT_EQ(r.ReadI64(), INT64_MIN);
        EXPECT_EQ(r.ReadU16(), UINT16_MAX);
        EXPECT_EQ(r.ReadU32(), UINT32_MAX);
        EXPECT_EQ(r.ReadU64(), UINT64_MAX);
        EXPECT_EQ(r.ReadF32(), std::numeric_limits<float>::denorm_min());
        EXPECT_EQ(r.ReadF64(), -std::numeric_limits<double>::infinity());
        EXPECT_TRUE(std::isnan(r.ReadF64()));
        EXPECT_EQ(r.GetError(), 0);
        EXPECT_EQ(in.GetBytesRead(), written.size());
    }
}

TEST_F(BinDataTest, ExtendedValuesTakeTheConvertersSizeAndRoundTrip) {
    long double v = -1234.5678L;
    float80 x;
    std::memcpy(x.bytes, &v, 10);
    for (const Order& order : kOrders) {
        SCOPED_TRACE(order.name);
        HandleOutputBuf out;
        BinDataWriter w(&out, order.get());
        EXPECT_EQ(w.WriteFX(x), order.get()->ExtSize());
        const Bytes written = Written(out);
        ASSERT_EQ(written.size(), order.get()->ExtSize());
        if (written.size() == 16) {
            // Sign and exponent lead the standard form: 0xC009 for -1234.5678.
            EXPECT_EQ(written[order.big ? 0 : 15], 0xC0);
            EXPECT_EQ(written[order.big ? 1 : 14], 0x09);
        }
        MemInputBuf in(written.data(), written.size());
        BinDataReader r(&in, order.get());
        const float80 back = r.ReadFX();
        EXPECT_EQ(std::memcmp(back.bytes, x.bytes, 10), 0);
    }
}

TEST_F(BinDataTest, FourCharacterCodesKeepTheirStreamOrderWhateverTheConverter) {
    const int32 code = TQFourCC("STR#");
    for (const Order& order : kOrders) {
        HandleOutputBuf out;
        BinDataWriter w(&out, order.get());
        EXPECT_EQ(w.Write4Char(code), 4u);
        const Bytes written = Written(out);
        EXPECT_EQ(written, B("STR#"));
        MemInputBuf in(written.data(), written.size());
        BinDataReader r(&in, order.get());
        EXPECT_EQ(r.Read4Char(), code);
    }
}

TEST_F(BinDataTest, ReadingPastTheEndSticksAndReturnsZeros) {
    const Bytes data = B({0x12, 0x34, 0x56});
    MemInputBuf in(data.data(), data.size());
    {
        BinDataReader r(&in, BigEndianizer());
        EXPECT_EQ(r.ReadU16(), 0x1234);
        EXPECT_EQ(r.ReadU32(), 0u);
        EXPECT_EQ(r.GetError(), kErrEndOfData);
        // The one byte left is not handed out any more.
        EXPECT_EQ(r.ReadU8(), 0);
        EXPECT_EQ(r.ReadF64(), 0.0);
        EXPECT_EQ(r.ReadLStr(), nullptr);
        const float80 x = r.ReadFX();
        EXPECT_EQ(Bytes(x.bytes, x.bytes + 10), Bytes(10, 0));
        EXPECT_EQ(in.GetBytesRead(), 2u);
    }
    // Unlike a writer, a reader in error reports nothing when destroyed.
    EXPECT_TRUE(ReportCapture::All().empty());
}

TEST_F(BinDataTest, ReaderErrorsComeFromTheBufferAndTheFirstOneSticks) {
    const Bytes data = B({1, 2});
    MemInputBuf in(data.data(), data.size());
    int32 err = 0;
    in.GetDataPointer(3, err);
    BinDataReader r(&in, LittleEndianizer());
    // A fresh reader learns the buffer's error through GetError.
    EXPECT_EQ(r.GetError(), kErrEndOfData);
    r.SetError(kErrArgument);
    EXPECT_EQ(r.GetError(), kErrEndOfData);
    MemInputBuf other(data.data(), data.size());
    BinDataReader r2(&other, LittleEndianizer());
    r2.SetError(kErrBadStreamData);
    EXPECT_EQ(r2.ReadU8(), 0);
    EXPECT_EQ(other.GetBytesRead(), 0u);
    EXPECT_EQ(r2.GetError(), kErrBadStreamData);
    EXPECT_EQ(r2.GetBuffer(), &other);
}

TEST_F(BinDataTest, ReadBytesCopiesSkipsAndZeroFillsAfterAFailure) {
    const Bytes data = B({1, 2, 3, 4, 5});
    MemInputBuf in(data.data(), data.size());
    BinDataReader r(&in, BigEndianizer());
    uChar dst[4] = {9, 9, 9, 9};
    r.ReadBytes(dst, 2);
    EXPECT_EQ(Bytes(dst, dst + 2), B({1, 2}));
    r.ReadBytes(nullptr, 1);
    EXPECT_EQ(in.GetBytesRead(), 3u);
    std::memset(dst, 9, sizeof dst);
    r.ReadBytes(dst, 4);
    EXPECT_EQ(Bytes(dst, dst + 4), B({0, 0, 0, 0}));
    EXPECT_EQ(r.GetError(), kErrEndOfData);
}

TEST_F(BinDataTest, SkipAndAlignAreMeasuredFromTheStartOfTheBuffer) {
    HandleOutputBuf out;  // the writer pads with zeros
    BinDataWriter w(&out, BigEndianizer());
    w.WriteBytes("\x01\x02\x03\x04\x05", 5);
    EXPECT_EQ(w.Align(4), 3u);
    EXPECT_EQ(out.GetBytesWritten(), 8u);
    EXPECT_EQ(w.Align(4), 0u);
    EXPECT_EQ(w.Align(1), 0u);
    EXPECT_EQ(Written(out), B({1, 2, 3, 4, 5, 0, 0, 0}));

    const Bytes data(16, 7);
    MemInputBuf in(data.data(), data.size());
    BinDataReader r(&in, BigEndianizer());
    r.Skip(5);
    r.Align(4);
    EXPECT_EQ(in.GetBytesRead(), 8u);
    r.Align(4);
    EXPECT_EQ(in.GetBytesRead(), 8u);
    r.Align(1);
    EXPECT_EQ(in.GetBytesRead(), 8u);
    r.Skip(9);
    EXPECT_EQ(r.GetError(), kErrEndOfData);
}

TEST_F(BinDataTest, LongStringsRoundTripAndAnEmptyOneReadsAsNoHandle) {
    for (const Order& order : kOrders) {
        HandleOutputBuf out;
        BinDataWriter w(&out, order.get());
        LStrHandle s = MakeLStr("hello");
        EXPECT_EQ(w.WriteLStr(*s), 9u);
        EXPECT_EQ(w.WriteLStr(nullptr), 4u);
        EXPECT_EQ(w.WriteLStrFromNarrow("narrow"), 10u);
        AZDisposeHandle(reinterpret_cast<UHandle>(s));
        const Bytes written = Written(out);
        EXPECT_EQ(Bytes(written.begin(), written.begin() + 4), Ordered(B({0, 0, 0, 5}), order.big));
        EXPECT_EQ(Bytes(written.begin() + 4, written.begin() + 9), B("hello"));

        MemInputBuf in(written.data(), written.size());
        BinDataReader r(&in, order.get());
        LStrHandle back = r.ReadLStr();
        EXPECT_EQ(LStrText(back), "hello");
        AZDisposeHandle(reinterpret_cast<UHandle>(back));
        EXPECT_EQ(r.ReadLStr(), nullptr);
        EXPECT_EQ(r.GetError(), 0);
        std::string narrow = "old";
        r.ReadLStrAsNarrow(&narrow);
        EXPECT_EQ(narrow, "narrow");
        EXPECT_EQ(r.GetError(), 0);
    }
}

TEST_F(BinDataTest, ImpossibleCountsAreBadStreamDataBeforeAnyAllocation) {
    Bytes incredible = B({0x00, 0x2D, 0xC6, 0xC0});  // 3000000
    incredible.resize(104, 'x');
    for (const Bytes& data : {incredible, B({0xFF, 0xFF, 0xFF, 0xFF, 'a'})}) {
        MemInputBuf in(data.data(), data.size());
        BinDataReader r(&in, BigEndianizer());
        const int64 live = tq::memory::LiveHandleCount();
        EXPECT_EQ(r.ReadLStr(), nullptr);
        EXPECT_EQ(tq::memory::LiveHandleCount(), live);
        EXPECT_EQ(r.GetError(), kErrBadStreamData);
        MemInputBuf again(data.data(), data.size());
        BinDataReader narrowReader(&again, BigEndianizer());
        std::string s = "kept?";
        narrowReader.ReadLStrAsNarrow(&s);
        EXPECT_EQ(s, "");
        EXPECT_EQ(narrowReader.GetError(), kErrBadStreamData);
    }
}

TEST_F(BinDataTest, AShortStringIsReturnedZeroFilledWithEndOfData) {
    Bytes data = B({0x00, 0x00, 0x03, 0xE8});  // 1000
    data.resize(104, 'x');
    MemInputBuf in(data.data(), data.size());
    BinDataReader r(&in, BigEndianizer());
    LStrHandle h = r.ReadLStr();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ((*h)->cnt, 1000);
    EXPECT_EQ(LStrText(h), std::string(1000, '\0'));
    EXPECT_EQ(r.GetError(), kErrEndOfData);
    AZDisposeHandle(reinterpret_cast<UHandle>(h));
    // A count above the trusted size but within the bytes left is believed.
    Bytes big = B({0x00, 0x20, 0x00, 0x01});
    big.resize(4 + 0x200001, 'y');
    MemInputBuf bigIn(big.data(), big.size());
    BinDataReader bigReader(&bigIn, BigEndianizer());
    std::string s;
    bigReader.ReadLStrAsNarrow(&s);
    EXPECT_EQ(s.size(), 0x200001u);
    EXPECT_EQ(bigReader.GetError(), 0);
}

TEST_F(BinDataTest, PascalStringsArePaddedToTheAlignmentGiven) {
    const uChar abc[] = {3, 'a', 'b', 'c'};
    const struct {
        size_t align;
        uInt32 total;
    } cases[] = {{1, 4}, {2, 4}, {4, 4}, {8, 8}, {3, 6}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.align);
        HandleOutputBuf out;
        BinDataWriter w(&out, BigEndianizer());
        EXPECT_EQ(w.WritePStr(abc, c.align), c.total);
        EXPECT_EQ(w.WriteU8(0x55), 1u);
        Bytes expected = B({3, 'a', 'b', 'c'});
        expected.resize(c.total, 0);
        expected.push_back(0x55);
        const Bytes written = Written(out);
        EXPECT_EQ(written, expected);
        MemInputBuf in(written.data(), written.size());
        BinDataReader r(&in, BigEndianizer());
        Str255 back;
        r.ReadPStr(back, c.align);
        EXPECT_EQ(Bytes(back, back + 4), B({3, 'a', 'b', 'c'}));
        EXPECT_EQ(r.ReadU8(), 0x55);
    }
    // A null string writes nothing at all.
    HandleOutputBuf out;
    BinDataWriter w(&out, BigEndianizer());
    EXPECT_EQ(w.WritePStr(nullptr, 4), 0u);
    EXPECT_EQ(out.GetBytesWritten(), 0u);
    EXPECT_EQ(w.GetError(), 0);
}

TEST_F(BinDataTest, NarrowPascalStringsAreCutAt255) {
    HandleOutputBuf out;
    BinDataWriter w(&out, BigEndianizer());
    EXPECT_EQ(w.WritePStrFromNarrow(std::string(300, 'q'), 1), 256u);
    EXPECT_EQ(w.WritePStrFromNarrow("", 2), 2u);
    const Bytes written = Written(out);
    EXPECT_EQ(written[0], 255);
    MemInputBuf in(written.data(), written.size());
    BinDataReader r(&in, BigEndianizer());
    std::string s;
    r.ReadPStrAsNarrow(&s, 1);
    EXPECT_EQ(s, std::string(255, 'q'));
    r.ReadPStrAsNarrow(&s, 2);
    EXPECT_EQ(s, "");
    EXPECT_EQ(in.GetBytesRead(), 258u);
    EXPECT_EQ(r.GetError(), 0);
}

TEST_F(BinDataTest, PreflightGivesTheSameTotalsAsARealSink) {
    auto writeAll = [](BinDataWriter& w) {
        const uChar p[] = {2, 'h', 'i'};
        std::vector<uInt32> totals = {
            w.WriteI8(1),
            w.WriteU16(2),
            w.WriteI32(3),
            w.WriteU64(4),
            w.WriteF32(5),
            w.WriteF64(6),
            w.WriteFX({}),
            w.Write4Char(7),
            w.WriteBool(1),
            w.WritePStr(p, 4),
            w.WriteLStr(nullptr),
            w.WriteLStrFromNarrow("abc"),
            w.WritePStrFromNarrow("abcde", 8),
            w.WriteBytes("xyz", 3),
            uInt32(w.Align(16)),
        };
        return totals;
    };
    HandleOutputBuf real;
    BinDataWriter realWriter(&real, BigEndianizer());
    const std::vector<uInt32> realTotals = writeAll(realWriter);
    PreflightOutputBuf counting;
    BinDataWriter countingWriter(&counting, BigEndianizer());
    const std::vector<uInt32> countedTotals = writeAll(countingWriter);
    EXPECT_EQ(countedTotals, realTotals);
    size_t sum = 0;
    for (uInt32 t : countedTotals) sum += t;
    EXPECT_EQ(counting.GetBytesWritten(), sum);
    EXPECT_EQ(real.GetBytesWritten(), sum);
    EXPECT_EQ(countingWriter.GetError(), 0);
}

TEST_F(BinDataTest, AWriterInErrorWritesNothingAndReportsWhenDestroyed) {
    uChar memory[6] = {};
    {
        StaticOutputBuf out(memory, sizeof memory);
        {
            BinDataWriter w(&out, BigEndianizer());
            EXPECT_EQ(w.WriteI32(1), 4u);
            EXPECT_EQ(w.WriteI32(2), 0u);
            EXPECT_EQ(w.GetError(), kErrEndOfData);
            // Sticky: even a byte that would fit is refused.
            EXPECT_EQ(w.WriteU8(3), 0u);
            EXPECT_EQ(w.Align(8), 0u);
            EXPECT_EQ(out.GetBytesWritten(), 4u);
        }
        EXPECT_EQ(FinalErrorReports("BinDataWriter finished with 74 error"), 1);
    }
    EXPECT_EQ(FinalErrorReports("StaticOutputBuf finished with 74 error"), 1);
}

TEST_F(BinDataTest, SetBufferSwapsSinksAndKeepsTheError) {
    uChar small[2];
    StaticOutputBuf tiny(small, sizeof small);
    HandleOutputBuf roomy;
    BinDataWriter w(&tiny, BigEndianizer());
    EXPECT_EQ(w.WriteU32(1), 0u);
    EXPECT_EQ(w.SetBuffer(&roomy), &tiny);
    EXPECT_EQ(w.GetBuffer(), &roomy);
    EXPECT_EQ(w.WriteU32(1), 0u);
    EXPECT_EQ(roomy.GetBytesWritten(), 0u);
    HandleOutputBuf other;
    BinDataWriter fresh(&other, BigEndianizer());
    fresh.WriteU8(1);
    fresh.SetBuffer(&roomy);
    EXPECT_EQ(fresh.WriteU16(0x0102), 2u);
    EXPECT_EQ(Written(roomy), B({1, 2}));
    ReportCapture::Clear();
}

TEST_F(BinDataTest, AReaderOrWriterWithoutBufferOrConverterFailsInsteadOfFaulting) {
    const Bytes data = B({1, 2, 3, 4});
    MemInputBuf in(data.data(), data.size());
    BinDataReader noConverter(&in, nullptr);
    EXPECT_EQ(noConverter.ReadU32(), 0u);
    EXPECT_EQ(noConverter.ReadPath(), nullptr);
    noConverter.Align(4);
    EXPECT_EQ(noConverter.GetError(), kErrArgument);
    EXPECT_EQ(in.GetBytesRead(), 0u);
    BinDataReader noBuffer(nullptr, BigEndianizer());
    EXPECT_EQ(noBuffer.ReadLStr(), nullptr);
    EXPECT_EQ(noBuffer.GetError(), kErrArgument);
    {
        BinDataWriter noSink(nullptr, BigEndianizer());
        EXPECT_EQ(noSink.WriteU32(1), 0u);
        EXPECT_EQ(noSink.Align(8), 0u);
        EXPECT_EQ(noSink.GetError(), kErrArgument);
        HandleOutputBuf out;
        BinDataWriter noConverterWriter(&out, nullptr);
        EXPECT_EQ(noConverterWriter.WriteF64(1.0), 0u);
        EXPECT_EQ(out.GetBytesWritten(), 0u);
    }
    EXPECT_EQ(FinalErrorReports("BinDataWriter finished with 1 error"), 2);
    // A sink taken away later is refused at the next write.
    HandleOutputBuf out;
    BinDataWriter w(&out, BigEndianizer());
    w.SetBuffer(nullptr);
    EXPECT_EQ(w.WriteU8(1), 0u);
    EXPECT_EQ(w.GetError(), kErrArgument);
    ReportCapture::Clear();
}

}  // namespace
