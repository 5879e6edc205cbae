// Typed reading of a file or chain (strings, string lists, long-string lists, paths) and editing through a
// reader.
#define TQ_UNIT "source\\RFReadWrite"

#include <algorithm>
#include <new>

#include "diagnostics/Report.h"
#include "resources/RefnumTable.h"
#include "resources/ResMap.h"
#include "tqcore/bindata.h"
#include "tqcore/core.h"

using namespace tq::resources;

namespace {

constexpr ResType kStringType = TQFourCC("STR ");
constexpr ResType kStringListType = TQFourCC("STR#");
constexpr ResType kPathType = TQFourCC("PTH0");
constexpr ResType kPathListType = TQFourCC("PTH#");

int64 Pad4(int64 n) {
    return (n + 3) & ~int64(3);
}

// Reads one flattened path record of n bytes; on failure the partial path is gone and *out is null.
TqErr Unflatten(const uInt8* p, int64 n, PathRef** out) {
    *out = nullptr;
    MemInputBuf in(p, size_t(n));
    TqErr e = kErrArgument;
    try {
        e = FUnFlattenPath2(&in, out, BigEndianizer());
    } catch (...) {
        e = kErrGeneric;
    }
    if (!e && !*out) e = kErrResourceNotFound;
    if (e && *out) PathRef::DisposePath(*out);
    if (e) *out = nullptr;
    return e;
}

struct ListEntry {
    int64 at = 0;      // where the entry starts
    int64 length = 0;  // its data's bytes, after the head
};

// Finds entry `index` (from 1) of a counted list: a 4-byte count, then entries padded to 4 bytes, each the
// type `tag` unless it is 0, the data's 4-byte length and the data. Only path lists tag their entries.
TqErr FindEntry(const void* data, int32 size, int32 index, ResType tag, ListEntry* entry) {
    const auto* p = static_cast<const uInt8*>(data);
    if (size < 4) return kErrResourceNotFound;
    const int64 count = LoadBE32(p);
    if (index < 1 || index > count) return kErrResourceNotFound;
    const int64 head = tag ? 8 : 4;
    int64 at = 4;
    for (int32 i = 1;; ++i) {
        if (at + head > size || (tag && ResType(Get32(p, at)) != tag)) {
            if (tag) TQ_REPORT(kDbgBroken, "This doesn't contain a path resource");
            return kErrResourceNotFound;
        }
        const int64 n = LoadBE32(p + at + head - 4);
        if (n > size - at - head) return kErrResourceNotFound;
        if (i == index) {
            *entry = {at, n};
            return kErrNone;
        }
        at += Pad4(head + n);
    }
}

}  // namespace

RFReader::RFReader() = default;

RFReader::RFReader(ResChain* chain) : chain_(chain) {}

RFReader::RFReader(uInt32 refnum) : chain_(RsrcFileToRMapResChain(refnum)) {}

RFReader::~RFReader() {
    if (closes_) Close();
    if (refnum_) RReleaseRsrcFileRefnum(refnum_);
}

uInt32 RFReader::MapToObsoleteRsrcFile() {
    if (!refnum_ && chain_) refnum_ = RMapResBaseToRsrcFile(chain_);
    return refnum_;
}

TqErr RFReader::Close() {
    if (!chain_) return kErrNotFound;
    const TqErr e = chain_->RCloseFile();
    if (e != kErrDuplicatePath && chain_ != &NullResFile()) delete chain_;
    chain_ = nullptr;
    file_ = nullptr;
    closes_ = false;
    return e == kErrDuplicatePath ? kErrNone : e;
}

ResChain* RFReader::LowLevelResChain() {
    if (!chain_) TQ_REPORT(kDbgFatal, "Uninitialized RFReader");
    return chain_;
}

namespace {

// Takes the shared handle of r over for the caller and lets go of the resource object.
TqErr TakeOver(Resource* r, UHandle* out) {
    UHandle h = r->GetSharedDSHandle();
    if (const TqErr e = r->DetachResource()) return e;
    delete r;
    if (out)
        *out = h;
    else
        DSDisposeHandle(h);
    return kErrNone;
}

}  // namespace

TqErr RFReader::AllocDSHandle(ResType type, int32 id, UHandle* out) {
    if (out) *out = nullptr;
    if (!chain_) return kErrResourceNotFound;
    Resource* r = nullptr;
    if (const TqErr e = chain_->RGet(type, id, &r)) return e;
    return TakeOver(r, out);
}

TqErr RFReader::AllocDSHandleByName(ResType type, ConstPStr name, UHandle* out) {
    if (out) *out = nullptr;
    if (!chain_) return kErrResourceNotFound;
    Resource* r = nullptr;
    if (const TqErr e = chain_->RGetNamed(type, name, &r)) return e;
    return TakeOver(r, out);
}

namespace {

TqErr BytesOf(Resource* r, const void** data, int32* size) {
    if (data) *data = r->GetData();
    if (size) *size = r->GetSize();
    return kErrNone;
}

}  // namespace

TqErr RFReader::PtrToResDataInternal(ResType type, int32 id, const void** data, int32* size) {
    if (!chain_) return kErrResourceNotFound;
    Resource* r = nullptr;
    if (const TqErr e = chain_->RGet(type, id, &r)) return e;
    return BytesOf(r, data, size);
}

TqErr RFReader::PtrToResDataByNameInternal(ResType type, ConstPStr name, const void** data, int32* size) {
    if (!chain_) return kErrResourceNotFound;
    Resource* r = nullptr;
    if (const TqErr e = chain_->RGetNamed(type, name, &r)) return e;
    return BytesOf(r, data, size);
}

TqErr RFReader::GetIndString(uInt8* out, int32 id, int32 index) {
    if (!out) return kErrArgument;
    out[0] = 0;
    if (!chain_) return kErrResourceNotFound;
    ConstPStr s = nullptr;
    if (const TqErr e = chain_->RGetIndStringPtr(&s, id, index, kStringListType)) return e;
    std::memcpy(out, s, size_t(s[0]) + 1);
    return kErrNone;
}

TqErr RFReader::GetPStr(int32 id, uInt8* out) {
    if (!out) return kErrArgument;
    out[0] = 0;
    const void* data = nullptr;
    int32 size = 0;
    if (const TqErr e = PtrToResDataInternal(kStringType, id, &data, &size)) return e;
    // The count comes from the size, never from the stored byte; an empty resource gives an empty string.
    const int32 count = size > 0 ? std::min((size - 1) % 256, size - 1) : 0;
    out[0] = uInt8(count);
    if (count) std::memcpy(out + 1, static_cast<const uInt8*>(data) + 1, size_t(count));
    return kErrNone;
}

TqErr RFReader::GetString(int32 id, UHandle* out) {
    return AllocDSHandle(kStringType, id, out);
}

TqErr RFReader::GetIndLString(LStr*** out, int32 id, int32 index, ResType type) {
    if (!out) return kErrArgument;
    *out = nullptr;
    const void* data = nullptr;
    int32 size = 0;
    if (const TqErr e = PtrToResDataInternal(type, id, &data, &size)) return e;
    ListEntry entry;
    if (const TqErr e = FindEntry(data, size, index, 0, &entry)) return e;
    UHandle h = DSNewHandle(uInt64(4 + entry.length));
    if (!h) return kErrMemoryFull;
    reinterpret_cast<LStr*>(*h)->cnt = int32(entry.length);
    if (entry.length)
        std::memcpy(*h + 4, static_cast<const uInt8*>(data) + entry.at + 4, size_t(entry.length));
    *out = reinterpret_cast<LStr**>(h);
    return kErrNone;
}

TqErr RFReader::GetIndPath(PathRef** out, int32 id, int32 index) {
    if (!out) return kErrArgument;
    *out = nullptr;
    const void* data = nullptr;
    int32 size = 0;
    if (const TqErr e = PtrToResDataInternal(kPathListType, id, &data, &size)) return e;
    ListEntry entry;
    if (const TqErr e = FindEntry(data, size, index, kPathType, &entry)) return e;
    return Unflatten(static_cast<const uInt8*>(data) + entry.at, entry.length + 8, out);
}

TqErr RFReader::GetPath(ResType type, int32 id, PathRef** out) {
    if (!out) return kErrArgument;
    *out = nullptr;
    const void* data = nullptr;
    int32 size = 0;
    if (const TqErr e = PtrToResDataInternal(type, id, &data, &size)) return e;
    return Unflatten(static_cast<const uInt8*>(data), size, out);
}

// ---- Editing.

RFReadWrite::RFReadWrite() = default;

RFReadWrite::RFReadWrite(ResFile* file) : RFReader(file) {
    file_ = file;
}

RFReadWrite::RFReadWrite(uInt32 refnum) : RFReader(static_cast<ResChain*>(RsrcFileToRMapResFile(refnum))) {
    file_ = RsrcFileToRMapResFile(refnum);
}

uInt32 RFReadWrite::MapToObsoleteRsrcFile() {
    if (!refnum_ && file_) refnum_ = RMapResFileToRsrcFile(file_);
    return refnum_;
}

ResFile* RFReadWrite::LowLevelResFile() {
    if (!file_) TQ_REPORT(kDbgFatal, "Uninitialized RFReadWrite");
    return file_;
}

TqErr RFReadWrite::AddFromHandle(UHandle h, int32 give, ResType type, int32 id, ConstPStr name) {
    if (!h) {
        TQ_REPORT(kDbgWarn, "Do not pass NULL to RFReadWrite::AddFromHandle");
        return kErrGeneric;
    }
    if (!file_) return kErrResourceNotFound;
    if (give) return file_->RAdd(h, type, id, name);
    return file_->RAddPtr(*h, int32(DSGetHandleSize(h)), type, id, name);
}

TqErr RFReadWrite::AddFromPtr(const void* data, int32 size, ResType type, int32 id, ConstPStr name) {
    if (!file_) return kErrResourceNotFound;
    return file_->RAddPtr(static_cast<const uInt8*>(data), size, type, id, name);
}

TqErr RFReadWrite::Remove(ResType type, int32 id) {
    if (!file_) return kErrResourceNotFound;
    Resource* r = nullptr;
    TqErr e = file_->RGet(type, id, &r);
    if (!e) e = file_->RRemove(r);
    return e == kErrResourceNotFound ? kErrNone : e;
}

TqErr RFReadWrite::ReplaceFromHandle(UHandle h, int32 give, ResType type, int32 id, ConstPStr name) {
    if (const TqErr e = Remove(type, id)) return e;
    return AddFromHandle(h, give, type, id, name);
}

TqErr RFReadWrite::UpdateFile() {
    return file_ ? file_->RUpdateFile() : kErrResourceNotFound;
}

TqErr RFReadWrite::CreateMemoryResourceFile(ResType creator, ResType type) {
    if (refnum_) RReleaseRsrcFileRefnum(refnum_);
    refnum_ = 0;
    if (const TqErr e = RCreateMemFile(&refnum_, creator, type)) return e;
    file_ = RsrcFileToRMapResFile(refnum_);
    chain_ = file_;
    closes_ = true;
    return kErrNone;
}

RFReader* CreateRFReader(uInt32 refnum) {
    return new (std::nothrow) RFReader(refnum);
}

RFReadWrite* CreateRFReadWrite() {
    return new (std::nothrow) RFReadWrite();
}
