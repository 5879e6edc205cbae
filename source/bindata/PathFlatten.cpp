// Flattened paths: the "PTH0", "PTH1" and "PTH2" records, their writers and readers, and the plain functions
// over them.
#define TQ_UNIT "source\\PathFlatten"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "bindata/ByteOrder.h"
#include "diagnostics/Report.h"
#include "paths/PathManagerImplementation.h"
#include "paths/PathRefAccess.h"
#include "tqcore/bindata.h"
#include "tqcore/core.h"
#include "tqcore/strings.h"

using tq::bindata::FromHost;
using tq::bindata::Load;
using tq::bindata::ToHost;

namespace {

std::atomic<bool> gUtf8Always{false};
std::atomic<uInt32> gSaveForPrevVersion{0};

constexpr int32 kMagicCompact = TQFourCC("PTH0");
constexpr int32 kMagicUtf8Previous = TQFourCC("PTH1");
constexpr int32 kMagicUtf8 = TQFourCC("PTH2");
constexpr int32 kTagAbsolute = TQFourCC("abs ");
constexpr int32 kTagRelative = TQFourCC("rel ");
constexpr int32 kTagUNC = TQFourCC("unc ");
constexpr int32 kTagNotAPath = TQFourCC("!pth");

// Beyond these a path goes into the UTF-8 record.
constexpr size_t kMaxCompactItems = 16736;
constexpr size_t kMaxPStrName = 255;
// Both records' readers take counts and lengths as signed 16-bit values.
constexpr size_t kMaxSigned16 = 32767;
constexpr uInt32 kLastPreviousVersion = 0x13FFFFFF;
constexpr uInt32 kNullRecordSize = 12;

// Type codes of the compact record.
enum : uInt16 { kTypeAbsolute = 0, kTypeRelative = 1, kTypeNotAPath = 2, kTypeUNC = 3 };

// ---- Writing.

// A path's items, item 0 first, as the writers need them.
struct FlatItems {
    PathBase base = kBaseNotAPath;
    std::vector<const std::string*> names;
};

TqErr CollectItems(const PathRef& p, FlatItems& out) {
    const PathItemElement* e = PathRefAccess::Element(p);
    std::vector<const PathItemElement*> chain;
    if (!tq::paths::ChainItems(e, chain)) {
        TQ_REPORT(kDbgError, "Corrupt Path");
        return kErrEndOfData;
    }
    out.base = tq::paths::BaseOf(e);
    out.names.clear();
    out.names.reserve(chain.size());
    for (const PathItemElement* item : chain) out.names.push_back(&item->name);
    return kErrNone;
}

bool IsAscii(const std::string& s) {
    for (const char c : s)
        if (uChar(c) > 0x7F) return false;
    return true;
}

FlattenFormat ChooseFormat(const FlatItems& items) {
    if (gUtf8Always.load(std::memory_order_relaxed) || items.names.size() > kMaxCompactItems)
        return kFlattenPTH2;
    for (const std::string* name : items.names)
        if (name->size() > kMaxPStrName || !IsAscii(*name)) return kFlattenPTH2;
    return kFlattenPTH0;
}

uInt16 CompactType(PathBase base) {
    switch (base) {
        case kBaseAbsolute:
            return kTypeAbsolute;
        case kBaseRelative:
            return kTypeRelative;
        case kBaseUNC:
            return kTypeUNC;
        default:
            return kTypeNotAPath;
    }
}

int32 Utf8Tag(PathBase base) {
    switch (base) {
        case kBaseAbsolute:
            return kTagAbsolute;
        case kBaseRelative:
            return kTagRelative;
        case kBaseUNC:
            return kTagUNC;
        default:
            return kTagNotAPath;
    }
}

// L of the compact record: 4 + the items as Pascal strings.
TqErr CompactLength(const FlatItems& items, uInt32* length) {
    if (items.names.size() > kMaxSigned16) return kErrPathTooLong;
    uInt64 l = 4;
    for (const std::string* name : items.names) {
        if (name->size() > kMaxPStrName) return kErrPathTooLong;
        l += 1 + name->size();
    }
    *length = uInt32(l);
    return kErrNone;
}

// The UTF-8 record's body: the type tag, then each item's 16-bit length and UTF-8 bytes.
TqErr Utf8Body(const FlatItems& items, const Endianizer* e, std::string* body) {
    body->resize(4);
    tq::bindata::Store(body->data(), Utf8Tag(items.base));
    std::string utf8;
    for (const std::string* name : items.names) {
        const std::string* bytes = name;
        if (!IsAscii(*name)) {
            if (const TqErr err = StringUtils::ToUTF8StringNoThrow(*name, &utf8)) return err;
            bytes = &utf8;
        }
        if (bytes->size() > kMaxSigned16) return kErrPathTooLong;
        char length[2];
        FromHost(e, uInt16(bytes->size()), length);
        body->append(length, 2);
        body->append(*bytes);
    }
    if (body->size() > UINT32_MAX) return kErrPathTooLong;
    return kErrNone;
}

// Reserves and fills the record piece by piece, counting what reached the sink.
class Emitter {
  public:
    Emitter(OutputBuf* out, const Endianizer* e, uInt64* written) : out_(out), e_(e), written_(written) {}

    TqErr Raw(const void* bytes, size_t n) {
        if (n == 0) return err_;
        if (void* p = Reserve(n)) std::memcpy(p, bytes, n);
        return err_;
    }
    TqErr Pascal(const std::string& name) {
        if (uChar* p = static_cast<uChar*>(Reserve(1 + name.size()))) {
            p[0] = uChar(name.size());
            std::memcpy(p + 1, name.data(), name.size());
        }
        return err_;
    }
    template <class T>
    TqErr Value(T v) {
        if (void* p = Reserve(sizeof v)) FromHost(e_, v, p);
        return err_;
    }

  private:
    // Null also for the counting sink, which stores nothing but counts.
    void* Reserve(size_t n) {
        if (err_ != 0) return nullptr;
        void* p = out_->GetDataPointer(n, err_);
        if (err_ == 0) *written_ += n;
        return p;
    }

    OutputBuf* out_;
    const Endianizer* e_;
    uInt64* written_;
    int32 err_ = 0;
};

TqErr WriteCompact(Emitter& out, const FlatItems& items) {
    uInt32 length = 0;
    if (const TqErr err = CompactLength(items, &length)) return err;
    out.Raw(&kMagicCompact, 4);
    out.Value(length);
    out.Value(CompactType(items.base));
    TqErr err = out.Value(uInt16(items.names.size()));
    for (size_t i = 0; i < items.names.size() && err == 0; ++i) err = out.Pascal(*items.names[i]);
    return err;
}

int32 Utf8Magic() {
    const uInt32 v = gSaveForPrevVersion.load(std::memory_order_relaxed);
    return v >= 1 && v <= kLastPreviousVersion ? kMagicUtf8Previous : kMagicUtf8;
}

TqErr WriteUtf8(Emitter& out, const FlatItems& items, const Endianizer* e) {
    std::string body;
    if (const TqErr err = Utf8Body(items, e, &body)) return err;
    const int32 magic = Utf8Magic();
    out.Raw(&magic, 4);
    out.Value(uInt32(body.size()));
    return out.Raw(body.data(), body.size());
}

uInt32 WriteNullRecord(OutputBuf* out) {
    if (!out) return kNullRecordSize;
    static constexpr uChar kNullRecord[kNullRecordSize] = {'P', 'T', 'H', '0'};
    uInt64 written = 0;
    Emitter(out, nullptr, &written).Raw(kNullRecord, sizeof kNullRecord);
    return uInt32(written);
}

// ---- Reading.

[[noreturn]] void Throw(TqErr code, const char* message, int32 line) {
    throw PKExcept(code, message, TQ_UNIT, line);
}
#define TQ_FLAT_THROW(code, message) Throw((code), (message), __LINE__)

// n bytes from the source; its error is thrown with the message. Null only for n = 0.
const uChar* Take(InputBuf* in, size_t n, const char* message, int32 line) {
    int32 err = 0;
    const void* p = in->GetDataPointer(n, err, nullptr, 0);
    if (err != 0) Throw(err, message, line);
    return static_cast<const uChar*>(p);
}
#define TQ_FLAT_TAKE(in, n, message) Take((in), (n), (message), __LINE__)

constexpr const char* kSizeMismatch = "PathRef unflatten constructor, flattened size didn't match";

// What a record holds: its base (kBaseNull for the null record) and its item names in the narrow encoding.
struct Record {
    PathBase base = kBaseNotAPath;
    std::vector<std::string> items;
};

PathBase BaseOfTag(int32 tag) {
    if (tag == kTagAbsolute) return kBaseAbsolute;
    if (tag == kTagRelative) return kBaseRelative;
    if (tag == kTagUNC) return kBaseUNC;
    if (tag == kTagNotAPath) return kBaseNotAPath;
    TQ_FLAT_THROW(kErrArgument, "PathRef unflatten constructor, path type");
}

// The body of "PTH1"/"PTH2" after the header. Nothing past the record's L bytes is read.
void ReadUtf8Body(InputBuf* in, const Endianizer* e, uInt32 length, Record& r) {
    r.base = BaseOfTag(Load<int32>(TQ_FLAT_TAKE(in, 4, "PathRef unflatten constructor, subcode read")));
    int64 remaining = int64(length) - 4;
    std::string narrow;
    while (remaining > 0) {
        if (remaining < 2) TQ_FLAT_THROW(kErrEndOfData, kSizeMismatch);
        const auto n = int16(ToHost<uInt16>(
            e, TQ_FLAT_TAKE(in, 2, "PathRef unflatten constructor, name element length read")));
        remaining -= 2;
        if (n < 0)
            TQ_FLAT_THROW(kErrEndOfData, "PathRef unflatten constructor, name element length negative");
        if (n > remaining) TQ_FLAT_THROW(kErrEndOfData, kSizeMismatch);
        const uChar* p = TQ_FLAT_TAKE(in, size_t(n), "PathRef unflatten constructor, name element data read");
        remaining -= n;
        std::string bytes(reinterpret_cast<const char*>(p), size_t(n));
        if (!IsAscii(bytes)) {
            if (const TqErr err = StringUtils::ToNarrowStringNoThrow(bytes, StringUtils::kInputUtf8, &narrow))
                TQ_FLAT_THROW(err, "PathRef unflatten constructor, name element data read");
            bytes.swap(narrow);
        }
        r.items.push_back(std::move(bytes));
    }
}

PathBase BaseOfType(uInt16 type) {
    switch (type) {
        case kTypeAbsolute:
            return kBaseAbsolute;
        case kTypeRelative:
            return kBaseRelative;
        case kTypeUNC:
            return kBaseUNC;
        default:
            return kBaseNotAPath;
    }
}

// The body of "PTH0" after the header: taken whole, then walked without leaving it.
void ReadCompactBody(InputBuf* in, const Endianizer* e, uInt32 length, Record& r) {
    if (length < 4) {
        TQ_FLAT_TAKE(in, 4, "error unflattening PTH0 data, small size");
        r.base = kBaseNull;
        return;
    }
    const uChar* body = TQ_FLAT_TAKE(in, length, "PathRef unflatten constructor, read header");
    r.base = BaseOfType(ToHost<uInt16>(e, body));
    const auto count = int16(ToHost<uInt16>(e, body + 2));
    // A path that is not one has no items to take, whatever the count says.
    if (r.base == kBaseNotAPath || count <= 0) return;
    r.items.reserve(size_t(count));
    size_t cursor = 4;
    for (int16 i = 0; i < count; ++i) {
        if (cursor >= length || body[cursor] >= length - cursor) TQ_FLAT_THROW(kErrEndOfData, kSizeMismatch);
        r.items.emplace_back(reinterpret_cast<const char*>(body + cursor + 1), body[cursor]);
        cursor += 1 + size_t(body[cursor]);
    }
}

Record ReadRecord(InputBuf* in, const Endianizer* e) {
    if (!in || !e) TQ_FLAT_THROW(kErrArgument, "PathRef unflatten constructor, NULL parameter");
    const uChar* header = TQ_FLAT_TAKE(in, 8, "PathRef unflatten constructor, header read");
    const int32 magic = Load<int32>(header);
    const uInt32 length = ToHost<uInt32>(e, header + 4);
    Record r;
    if (magic == kMagicUtf8 || magic == kMagicUtf8Previous)
        ReadUtf8Body(in, e, length, r);
    else if (magic == kMagicCompact)
        ReadCompactBody(in, e, length, r);
    else
        TQ_FLAT_THROW(kErrEndOfData, "PathRef unflatten constructor, corrupt flattened format");
    return r;
}

// Items go through Append, so ".." and empty names become up-dir items and "." is dropped.
PathRef BuildPath(const Record& r) {
    PathRef p(r.base);
    for (const std::string& name : r.items) p.Append(name);
    return p;
}

int32 NarrowCount(int64 n) {
    return n > INT32_MAX ? INT32_MAX : int32(n);
}

}  // namespace

// ---- PathRef members.

PathRef::PathRef(InputBuf* in, const Endianizer* e) : PathRef(BuildPath(ReadRecord(in, e))) {}

uInt64 PathRef::FlattenedSize(FlattenFormat f) const {
    FlatItems items;
    if (CollectItems(*this, items) != kErrNone) return 0;
    if (f == kFlattenPTH0) {
        uInt32 length = 0;
        return CompactLength(items, &length) == kErrNone ? 8 + uInt64(length) : 0;
    }
    if (f != kFlattenPTH1 && f != kFlattenPTH2) return 0;
    std::string body;
    return Utf8Body(items, BigEndianizer(), &body) == kErrNone ? 8 + uInt64(body.size()) : 0;
}

TqErr PathRef::Flatten(OutputBuf* out, FlattenFormat f, uInt64* written, const Endianizer* e) const {
    uInt64 count = 0;
    uInt64* counter = written ? written : &count;
    *counter = 0;
    if (!out || !e || f == kFlattenPTH1) return kErrArgument;
    if (f != kFlattenPTH0 && f != kFlattenPTH2) return kErrNotSupported;
    FlatItems items;
    if (const TqErr err = CollectItems(*this, items)) return err;
    Emitter emitter(out, e, counter);
    return f == kFlattenPTH0 ? WriteCompact(emitter, items) : WriteUtf8(emitter, items, e);
}

void PathRef::Setting(const char* keyword) {
    if (!keyword) return;
    if (std::strcmp(keyword, "utf8") == 0)
        gUtf8Always.store(true, std::memory_order_relaxed);
    else if (std::strcmp(keyword, "sysenc") == 0)
        gUtf8Always.store(false, std::memory_order_relaxed);
    else if (std::strcmp(keyword, "debug") == 0)
        tq::paths::SetDebugMode(true);
    else if (std::strcmp(keyword, "nodebug") == 0)
        tq::paths::SetDebugMode(false);
}

// ---- Plain functions.

uInt32 FFlattenPath2(const PathRef* p, OutputBuf* out, const Endianizer* e) {
    try {
        if (!p) return WriteNullRecord(out);
        FlatItems items;
        const FlattenFormat f = CollectItems(*p, items) == kErrNone ? ChooseFormat(items) : kFlattenPTH0;
        if (!out) return uInt32(p->FlattenedSize(f));
        uInt64 written = 0;
        p->Flatten(out, f, &written, e);
        return uInt32(written);
    } catch (...) {
        return 0;
    }
}

TqErr FUnFlattenPath2(InputBuf* in, PathRef** p, const Endianizer* e) {
    if (!p) return kErrArgument;
    try {
        const PathRef path(in, e);
        // A flattened null pointer reads back as a null pointer.
        if (path.StartsWith(kBaseNull)) return *p ? kErrArgument : kErrNone;
        return path.ConvertToPath(p);
    } catch (const PKExcept& x) {
        return x.ErrorCode();
    } catch (const std::bad_alloc&) {
        return kErrMemoryFull;
    }
}

int32 FUnFlattenPath2(UPtr data, PathRef** p, int32 size) {
    MemInputBuf in(data, size > 0 ? size_t(size) : 0);
    if (FUnFlattenPath2(&in, p, BigEndianizer()) != kErrNone) return NarrowCount(int64(size) + 1);
    return NarrowCount(int64(in.GetBytesRead()));
}

// The caller sized buf for the record, so the sink has no bound of its own.
int32 FFlattenPath(Path p, UPtr buf) {
    if (!buf) return NarrowCount(FFlattenPath2(p, nullptr, BigEndianizer()));
    StaticOutputBuf out(buf, PTRDIFF_MAX);
    return NarrowCount(FFlattenPath2(p, &out, BigEndianizer()));
}

// The record says how long it is; a broken record may still make the reader look beyond the caller's block.
int32 FUnFlattenPath(UPtr buf, Path* p) {
    if (!buf) return 0;
    MemInputBuf in(buf, PTRDIFF_MAX);
    if (FUnFlattenPath2(&in, p, BigEndianizer()) != kErrNone) return 0;
    return NarrowCount(int64(in.GetBytesRead()));
}

uInt64 FGetPathStorageSize(Path p) {
    return p ? p->MemorySize() : 0;
}

void TQSetSaveForPrevVersion(uInt32 v) {
    gSaveForPrevVersion.store(v, std::memory_order_relaxed);
}

void TQClearSaveForPrevVersion(void) {
    gSaveForPrevVersion.store(0, std::memory_order_relaxed);
}
