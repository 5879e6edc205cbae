// The fixed-width reads and writes convert inline when the buffer and the converter are the library's own
// classes, and go through the virtual buffer and converter calls otherwise. Both ways must give the same
// bytes, values, counts and errors: at the end of a fixed buffer, across the growth of a handle, in both byte
// orders.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "tqcore/bindata.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

namespace {

using Bytes = std::vector<uChar>;

// The library's classes as a caller's subclasses: the typed calls no longer recognise them and ask them.
class AskedHandleSink : public HandleOutputBuf {
  public:
    using HandleOutputBuf::HandleOutputBuf;
};
class AskedStaticSink : public StaticOutputBuf {
  public:
    using StaticOutputBuf::StaticOutputBuf;
};
class AskedLStrSink : public LStrOutputBuf {
  public:
    explicit AskedLStrSink(size_t capacity) : LStrOutputBuf(capacity) {}
};
class AskedMemSource : public MemInputBuf {
  public:
    using MemInputBuf::MemInputBuf;
};
class AskedBig : public _SwappingEndianizer {};
class AskedLittle : public _NonSwappingEndianizer {};

// What a script saw: every value or write count as bytes, then the final error and position.
struct Outcome {
    Bytes seen;
    TqErr error = 0;
    size_t position = 0;
    bool operator==(const Outcome&) const = default;
};

template <class T>
void Note(Bytes& seen, T v) {
    const auto* p = reinterpret_cast<const uChar*>(&v);
    seen.insert(seen.end(), p, p + sizeof v);
}

constexpr int kRounds = 3;

// Qualified calls compile the caller's inline copy; plain calls through the reference go to the library's
// copy.
#define TYPED_CALL(obj, Cls, call) (kQualified ? (obj).Cls::call : (obj).call)

// Every typed write, a few rounds of awkward values.
template <bool kQualified>
Bytes WriteScript(BinDataWriter& w) {
    Bytes seen;
    for (int r = 0; r < kRounds; ++r) {
        const uInt64 bits = 0x0123456789ABCDEFull * uInt64(r + 1) ^ (uInt64(r) << 63);
        const double d = r == 2 ? std::bit_cast<double>(0x7FF8000000000123ull) : -1.5e300 * (r + 1);
        const float f = r == 1 ? std::bit_cast<float>(0xFF800000u) : 3.25f * float(r - 1);
        Note(seen, TYPED_CALL(w, BinDataWriter, WriteI8(int8(bits))));
        Note(seen, TYPED_CALL(w, BinDataWriter, WriteU8(uInt8(bits >> 8))));
        Note(seen, TYPED_CALL(w, BinDataWriter, WriteI16(int16(bits >> 3))));
        Note(seen, TYPED_CALL(w, BinDataWriter, WriteU16(uInt16(bits >> 17))));
        Note(seen, TYPED_CALL(w, BinDataWriter, WriteI32(int32(bits >> 5))));
        Note(seen, TYPED_CALL(w, BinDataWriter, WriteU32(uInt32(bits >> 29))));
        Note(seen, TYPED_CALL(w, BinDataWriter, WriteI64(int64(bits))));
        Note(seen, TYPED_CALL(w, BinDataWriter, WriteU64(~bits)));
        Note(seen, TYPED_CALL(w, BinDataWriter, Write4Char(int32(0x61626364 + r))));
        Note(seen, TYPED_CALL(w, BinDataWriter, WriteF32(f)));
        Note(seen, TYPED_CALL(w, BinDataWriter, WriteF64(d)));
        Note(seen, TYPED_CALL(w, BinDataWriter, WriteBool(uInt8(r * 7))));
    }
    return seen;
}

// The bytes of one round of the script.
constexpr size_t kRoundBytes = 1 + 1 + 2 + 2 + 4 + 4 + 8 + 8 + 4 + 4 + 8 + 1;
constexpr size_t kScriptBytes = kRounds * kRoundBytes;

template <bool kQualified>
Bytes ReadScript(BinDataReader& rd) {
    Bytes seen;
    for (int r = 0; r < kRounds; ++r) {
        Note(seen, TYPED_CALL(rd, BinDataReader, ReadI8()));
        Note(seen, TYPED_CALL(rd, BinDataReader, ReadU8()));
        Note(seen, TYPED_CALL(rd, BinDataReader, ReadI16()));
        Note(seen, TYPED_CALL(rd, BinDataReader, ReadU16()));
        Note(seen, TYPED_CALL(rd, BinDataReader, ReadI32()));
        Note(seen, TYPED_CALL(rd, BinDataReader, ReadU32()));
        Note(seen, TYPED_CALL(rd, BinDataReader, ReadI64()));
        Note(seen, TYPED_CALL(rd, BinDataReader, ReadU64()));
        Note(seen, TYPED_CALL(rd, BinDataReader, Read4Char()));
        Note(seen, TYPED_CALL(rd, BinDataReader, ReadF32()));
        Note(seen, TYPED_CALL(rd, BinDataReader, ReadF64()));
        Note(seen, TYPED_CALL(rd, BinDataReader, ReadBool()));
    }
    return seen;
}

// The library's converters and, for each, a subclass that must be asked and does the same.
struct ConverterPair {
    const char* name;
    const Endianizer* known;
    const Endianizer* asked;
};

const AskedBig kAskedBig;
const AskedLittle kAskedLittle;

std::vector<ConverterPair> Converters() {
    return {{"big", BigEndianizer(), &kAskedBig},
            {"little", LittleEndianizer(), &kAskedLittle},
            {"native", NativeEndianizer(), &kAskedLittle}};
}

// A sink under test and how to see what it holds.
struct Sink {
    std::unique_ptr<OutputBuf> buf;
    std::function<Bytes()> contents;
};

template <class Buf>
Sink HandleSink(size_t initial) {
    auto* b = new Buf(initial);
    return {std::unique_ptr<OutputBuf>(b), [b] {
                UHandle h = b->GetHandle(0);
                return h ? Bytes(*h, *h + b->GetBytesWritten()) : Bytes();
            }};
}

template <class Buf>
Sink LStrSink(size_t initial) {
    auto* b = new Buf(initial);
    return {std::unique_ptr<OutputBuf>(b), [b] {
                LStrHandle h = b->GetHandle(0);
                return h ? Bytes((*h)->str, (*h)->str + (*h)->cnt) : Bytes();
            }};
}

template <class Buf>
Sink StaticSink(Bytes& memory) {
    auto* b = new Buf(memory.data(), memory.size());
    return {std::unique_ptr<OutputBuf>(b), [b, &memory] {
                return Bytes(memory.begin(), memory.begin() + std::ptrdiff_t(b->GetBytesWritten()));
            }};
}

template <bool kQualified>
Outcome WriteThrough(Sink sink, const Endianizer* e) {
    Outcome out;
    {
        BinDataWriter w(sink.buf.get(), e);
        out.seen = WriteScript<kQualified>(w);
        out.error = w.GetError();
    }
    const Bytes stored = sink.contents();
    out.seen.insert(out.seen.end(), stored.begin(), stored.end());
    out.position = sink.buf->GetBytesWritten();
    return out;
}

// The same writes through the recognised path (both the caller's and the library's copies) and through the
// asked one (a subclassed sink, a subclassed converter) agree.
void ExpectSameWrites(const std::function<Sink(bool asked)>& make, const char* what) {
    for (const ConverterPair& c : Converters()) {
        SCOPED_TRACE(std::string(what) + ", " + c.name);
        const Outcome reference = WriteThrough<false>(make(true), c.asked);
        EXPECT_EQ(WriteThrough<false>(make(false), c.known), reference);
        EXPECT_EQ(WriteThrough<true>(make(false), c.known), reference);
        EXPECT_EQ(WriteThrough<true>(make(true), c.known), reference);
        EXPECT_EQ(WriteThrough<true>(make(false), c.asked), reference);
    }
}

TEST(BinDataInlineTest, GrowingHandleSinksStoreTheSameBytesEitherWay) {
    for (size_t initial : {0, 1, 3, 7, 16, 4096}) {
        ExpectSameWrites(
            [initial](bool asked) {
                return asked ? HandleSink<AskedHandleSink>(initial) : HandleSink<HandleOutputBuf>(initial);
            },
            "handle");
        ExpectSameWrites(
            [initial](bool asked) {
                return asked ? LStrSink<AskedLStrSink>(initial) : LStrSink<LStrOutputBuf>(initial);
            },
            "long string");
    }
}

TEST(BinDataInlineTest, AFixedSinkFailsAtTheSameValueEitherWay) {
    // Every capacity from one byte short of the first value's end to all of the script, and one more.
    for (size_t capacity = 0; capacity <= kScriptBytes + 1; ++capacity) {
        std::vector<Bytes> memories;
        memories.reserve(64);
        ExpectSameWrites(
            [&memories, capacity](bool asked) {
                memories.emplace_back(capacity, uChar(0xEE));
                return asked ? StaticSink<AskedStaticSink>(memories.back())
                             : StaticSink<StaticOutputBuf>(memories.back());
            },
            "fixed");
        if (capacity < kScriptBytes) {
            // A cut-short script must really have hit the end.
            Bytes memory(capacity);
            StaticOutputBuf buf(memory.data(), memory.size());
            BinDataWriter w(&buf, BigEndianizer());
            WriteScript<true>(w);
            EXPECT_EQ(w.GetError(), kErrEndOfData);
        }
    }
}

template <bool kQualified>
Outcome ReadThrough(InputBuf& buf, const Endianizer* e) {
    BinDataReader rd(&buf, e);
    Outcome out;
    out.seen = ReadScript<kQualified>(rd);
    out.error = rd.GetError();
    out.position = buf.GetBytesRead();
    return out;
}

TEST(BinDataInlineTest, ReadsGiveTheSameValuesAndErrorsEitherWayUpToTheEnd) {
    for (const ConverterPair& c : Converters()) {
        Bytes bytes(kScriptBytes);
        {
            StaticOutputBuf buf(bytes.data(), bytes.size());
            BinDataWriter w(&buf, c.known);
            WriteScript<false>(w);
            ASSERT_EQ(w.GetError(), 0);
        }
        for (size_t size = 0; size <= kScriptBytes; ++size) {
            SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(size) + " bytes");
            AskedMemSource askedBuf(bytes.data(), size);
            const Outcome reference = ReadThrough<false>(askedBuf, c.asked);
            MemInputBuf a(bytes.data(), size), b(bytes.data(), size);
            AskedMemSource d(bytes.data(), size);
            MemInputBuf e(bytes.data(), size);
            EXPECT_EQ(ReadThrough<false>(a, c.known), reference);
            EXPECT_EQ(ReadThrough<true>(b, c.known), reference);
            EXPECT_EQ(ReadThrough<true>(d, c.known), reference);
            EXPECT_EQ(ReadThrough<true>(e, c.asked), reference);
            EXPECT_EQ(reference.error, size == kScriptBytes ? 0 : kErrEndOfData);
        }
    }
}

}  // namespace
