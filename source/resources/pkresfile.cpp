// An open resource file: opening and validating, finding entries, fetching resources, closing.
#define TQ_UNIT "source\\pkresfile"

#include <algorithm>
#include <array>
#include <cstdio>
#include <new>
#include <vector>

#include "diagnostics/Report.h"
#include "resources/ResFormat.h"
#include "resources/ResGlobals.h"
#include "resources/ResfileIO.h"
#include "resources/ResourceObjects.h"
#include "resources/SharedFiles.h"
#include "tqcore/core.h"
#include "tqcore/strings.h"

using namespace tq::resources;

namespace {

// The empty cache's resource: never a real object.
char gNoResource;
Resource* const kNoResource = reinterpret_cast<Resource*>(&gNoResource);

// Reads and checks the header, following an appended file's trailing offset for a read-only open.
TqErr FindHeader(PKResfileIO& io, FileHeader* out) {
    uInt8 bytes[kHeaderSize];
    if (const TqErr e = io.Read(0, bytes, kHeaderSize)) {
        if (e == kErrEndOfFile) return e;
        TQ_REPORT(kDbgWarn, "cannot seek to start of resource file");
        return e;
    }
    FileHeader h = DecodeHeader(bytes);
    if (!Recognised(h)) {
        if (io.permission != kResReadOnly) return kErrResourceFile;
        uInt8 tail[4];
        if (io.fileSize < 4 || io.Read(io.fileSize - 4, tail, 4)) return kErrResourceFile;
        const int64 start = LoadBE32(tail);
        if (io.Read(start, bytes, kHeaderSize)) return kErrResourceFile;
        h = DecodeHeader(bytes);
        if (!Recognised(h)) return kErrResourceFile;
        io.appendOffset = start;
        h.mapOffset += uInt32(start);
        h.dataOffset += uInt32(start);
    }
    if (h.version > 3) return kErrResFileVersion;
    if (!Settings().weakValidation) {
        if (const int32 rule = HeaderValidation(h, uInt64(io.fileSize))) {
            TQ_REPORT(kDbgWarn, "PKResFile::ReadRsrcHeader: header validationErr=", rule);
            return kErrGeneric;
        }
    }
    *out = h;
    return kErrNone;
}

// The header as stored, for comparing with the map's copy (an appended file's offsets were moved).
FileHeader StoredHeader(const FileHeader& h, int64 appendOffset) {
    FileHeader s = h;
    s.mapOffset -= uInt32(appendOffset);
    s.dataOffset -= uInt32(appendOffset);
    return s;
}

TqErr CheckMap(const uInt8* map, int64 size, const FileHeader& stored, const PathRef& path) {
    if (Settings().weakValidation) {
        if (!HeaderAgreement(map, stored)) {
            TQ_REPORT(kDbgWarn, "PKResFile::VerifyRsrcHeaderAgreement: no agreement;");
            return kErrGeneric;
        }
        if (LoadBE32(map + kMapTypeList) > size || LoadBE32(map + kMapNameList) > size) return kErrIO;
        return kErrNone;
    }
    const int32 rule = MapValidation(map, size, stored);
    if (!rule) return kErrNone;
    if (rule == 7) TQ_REPORT(kDbgWarn, "PKResFile::VerifyRsrcHeaderAgreement: no agreement;");
    TQ_REPORT(kDbgWarn, "PKResFile::Open: map validation failure ", rule, " for \"",
              path.ToString(PathRef::StringDisplay()).c_str(), "\"");
    return kErrGeneric;
}

// Puts every type's reference list in ascending ID order.
void SortReferenceLists(const MapRef& m) {
    using Entry = std::array<uInt8, kRefEntrySize>;
    std::vector<Entry> entries;
    for (int32 t = 0; t < m.TypeCount(); ++t) {
        const int64 first = m.RefListAt(t), count = m.CountAt(t);
        if (first + count * kRefEntrySize > m.size) continue;
        auto idOf = [](const Entry& e) { return int32(Get32(e.data(), kRefId)); };
        auto* p = reinterpret_cast<Entry*>(m.base + first);
        bool sorted = true;
        for (int64 i = 1; i < count && sorted; ++i) sorted = idOf(p[i - 1]) <= idOf(p[i]);
        if (sorted) continue;
        entries.assign(p, p + count);
        std::stable_sort(entries.begin(), entries.end(),
                         [&](const Entry& a, const Entry& b) { return idOf(a) < idOf(b); });
        std::copy(entries.begin(), entries.end(), p);
    }
}

// Finishes a map read as stored: host order, offsets of the open, attributes, version 3, sorted lists.
void AdoptMap(const MapRef& m, const FileHeader& found, int32 permission) {
    MapToHost(m.base, m.size);
    Set32(m.base, kHdrMapOffset, found.mapOffset);
    Set32(m.base, kHdrDataOffset, found.dataOffset);
    Set32(m.base, kMapAttrs, permission == kResReadOnly ? uInt32(kResMapReadOnly) : 0u);
    if (Get16(m.base, kHdrVersion) == 2) m.base[kHdrCrLf] = 0x0D, m.base[kHdrCrLf + 1] = 0x0A;
    Set16(m.base, kHdrVersion, kVersionWritten);
    TQAppInterface* app = TQApp();
    if (!app || !TQGetIsRunTime(app)) SortReferenceLists(m);
}

TqErr ReadMap(PKResfileIO& io, const FileHeader& h, const PathRef& path, UHandle* out) {
    if (h.mapSize == 0) {
        UHandle map = DSNewHClr(kMapFixedSize);
        if (!map) return kErrMemoryFull;
        EncodeHeader(StoredHeader(h, io.appendOffset), *map);
        StoreBE32(*map + kMapTypeList, kMapFixedSize);
        AdoptMap(MapOf(map), h, io.permission);
        *out = map;
        return kErrNone;
    }
    UHandle map = DSNewHandle(h.mapSize);
    if (!map) return kErrMemoryFull;
    TqErr e = io.Read(h.mapOffset, *map, h.mapSize) ? kErrResourceFile : kErrNone;
    if (!e) e = CheckMap(*map, h.mapSize, StoredHeader(h, io.appendOffset), path);
    if (e) {
        DSDisposeHandle(map);
        return e;
    }
    AdoptMap(MapOf(map), h, io.permission);
    *out = map;
    return kErrNone;
}

}  // namespace

ResChain::~ResChain() = default;

PKResFile::PKResFile() : cache_{kNoResource, 0, nullptr, 0} {
    cookies_.Init(sizeof(Resource*), 0);
}

PKResFile::~PKResFile() {
    if (!isOpen_) return;
    LockHold hold(ResourceLock());
    // A file deleted while open is dropped without writing.
    PKResFileAccess::DropLoaded(*this);
    DSDisposeHandle(map_);
    io_->Close();
    delete io_;
}

TqErr PKResFile::Open(PKResfileIO* io) {
    if (!io) {
        TQ_REPORT(kDbgWarn, "fileIO object is NULL");
        return kErrArgument;
    }
    if (isOpen_) {
        delete io;
        return kErrArgument;
    }
    LockHold hold(ResourceLock());
    FileHeader h;
    UHandle map = nullptr;
    TqErr e = cookies_.IsAValidJar() ? FindHeader(*io, &h) : kErrMemoryFull;
    try {
        if (!e) e = ReadMap(*io, h, path_, &map);
    } catch (const std::bad_alloc&) {
        DSDisposeHandle(map);
        e = kErrMemoryFull;
    }
    if (e) {
        io->Close();
        delete io;
        return e;
    }
    io_ = io;
    map_ = map;
    isOpen_ = true;
    PKResFileAccess::ClearCache(*this);
    return kErrNone;
}

// ---- Finding entries.

void PKResFileAccess::Remember(PKResFile& f, Resource* r, ResType type, int64 entry) {
    f.cache_ = PKResFile::LookupCache{r, type, f.map_, entry};
}

void PKResFileAccess::ClearCache(PKResFile& f) {
    f.cache_ = PKResFile::LookupCache{kNoResource, 0, nullptr, 0};
}

bool PKResFileAccess::ReadOnlyMap(PKResFile& f) {
    return Get32(*f.map_, kMapAttrs) & kResMapReadOnly;
}

void PKResFileAccess::MarkMapChanged(PKResFile& f) {
    Set32(*f.map_, kMapAttrs, Get32(*f.map_, kMapAttrs) | kResMapChanged);
}

PKResource* PKResFileAccess::Loaded(PKResFile& f, int64 entry) {
    const uInt32 cookie = Get32(*f.map_, entry + kRefCookie);
    if (!cookie) return nullptr;
    Resource* r = nullptr;
    if (f.cookies_.GetCookieInfo(cookie, &r)) return nullptr;
    return static_cast<PKResource*>(r);
}

void PKResFileAccess::ForgetCookie(PKResFile& f, int64 entry) {
    const uInt32 cookie = Get32(*f.map_, entry + kRefCookie);
    if (cookie) f.cookies_.DisposeCookie(cookie, nullptr);
    Set32(*f.map_, entry + kRefCookie, 0);
}

TqErr PKResFileAccess::GiveCookie(PKResFile& f, int64 entry, Resource* r) {
    const MagicCookie cookie = NewCookie(f, r);
    if (!cookie) return kErrMemoryFull;
    Set32(*f.map_, entry + kRefCookie, cookie);
    return kErrNone;
}

MagicCookie PKResFileAccess::NewCookie(PKResFile& f, Resource* r) {
    return f.cookies_.NewCookie(&r);
}

void PKResFileAccess::DisposeCookie(PKResFile& f, MagicCookie c) {
    f.cookies_.DisposeCookie(c, nullptr);
}

void PKResFileAccess::DropLoaded(PKResFile& f) {
    const MapRef m = Map(f);
    for (int32 t = 0; t < m.TypeCount(); ++t)
        for (int64 e = m.RefListAt(t), end = e + int64(m.CountAt(t)) * kRefEntrySize; e < end;
             e += kRefEntrySize)
            if (PKResource* r = Loaded(f, e)) {
                ForgetCookie(f, e);
                r->NotifyFileClosed();
                delete r;
            }
    ClearCache(f);
}

TqErr PKResFileAccess::FindEntry(PKResFile& f, ResType type, int32 id, int64* entry) {
    const MapRef m = Map(f);
    const int32 t = m.FindType(type);
    if (t < 0) return kErrResourceNotFound;
    int64 lo = 0, hi = m.CountAt(t);
    const int64 first = m.RefListAt(t);
    while (lo < hi) {
        const int64 mid = (lo + hi) / 2;
        const int32 at = int32(Get32(m.base, first + mid * kRefEntrySize + kRefId));
        if (at < id)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == m.CountAt(t) || int32(Get32(m.base, first + lo * kRefEntrySize + kRefId)) != id)
        return kErrResourceNotFound;
    *entry = first + lo * kRefEntrySize;
    return kErrNone;
}

namespace {

// The first entry whose loaded resource passes test, in map order.
template <class Test>
bool ScanLoaded(PKResFile& f, Test test, ResType* type, int64* entry) {
    const MapRef m = PKResFileAccess::Map(f);
    for (int32 t = 0; t < m.TypeCount(); ++t)
        for (int64 e = m.RefListAt(t), end = e + int64(m.CountAt(t)) * kRefEntrySize; e < end;
             e += kRefEntrySize)
            if (PKResource* r = PKResFileAccess::Loaded(f, e); r && test(r)) {
                *type = m.TypeAt(t);
                *entry = e;
                return true;
            }
    return false;
}

}  // namespace

TqErr PKResFileAccess::EntryOf(PKResFile& f, Resource* r, ResType* type, int64* entry) {
    if (!type || !entry) {
        TQ_REPORT(kDbgBroken, "ResCache::FindRL, outType or outRLEntry are NULL");
    } else if (f.cache_.resource == r && r != kNoResource) {
        if (!Get32(*f.map_, f.cache_.entryOffset + kRefCookie))
            TQ_REPORT(kDbgError, "ResCache::FindRL, Error in cache logic. Hit on stale entry.");
        *type = f.cache_.type;
        *entry = f.cache_.entryOffset;
        return kErrNone;
    }
    ResType t = 0;
    int64 e = 0;
    if (!ScanLoaded(
            f, [r](PKResource* x) { return x == r; }, &t, &e))
        return kErrResourceNotFound;
    f.cache_ = PKResFile::LookupCache{r, t, f.map_, e};
    if (type) *type = t;
    if (entry) *entry = e;
    return kErrNone;
}

TqErr PKResFileAccess::EntryOfHandle(PKResFile& f, UHandle h, ResType* type, int64* entry) {
    if (!f.map_) {
        TQ_REPORT(kDbgWarn, "FindRsrcListFromHandle - Resource map is NULL, m_isOpen = ", f.isOpen_);
        char text[24];
        std::snprintf(text, sizeof text, "0x%016llx",
                      static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(h)));
        TQ_REPORT(kDbgWarn, "theResource = ", text);
        return kErrResourceNotFound;
    }
    if (f.cache_.resource != kNoResource && f.cache_.resource->ContainsHandle(h)) {
        *type = f.cache_.type;
        *entry = f.cache_.entryOffset;
        return kErrNone;
    }
    if (!ScanLoaded(
            f, [h](PKResource* x) { return x->ContainsHandle(h); }, type, entry))
        return kErrResourceNotFound;
    f.cache_ = PKResFile::LookupCache{Loaded(f, *entry), *type, f.map_, *entry};
    return kErrNone;
}

TqErr PKResFileAccess::LoadData(PKResFile& f, int64 entry, ResourceData** out) {
    const uInt8* map = *f.map_;
    const int64 dataOffset = Get32(map, kHdrDataOffset), dataSize = Get32(map, kHdrDataSize);
    const int64 block = Get32(map, entry + kRefData);
    uInt8 lengthBytes[4];
    if (block + 4 > dataSize || f.io_->Read(dataOffset + block, lengthBytes, 4)) return kErrEndOfFile;
    const int64 length = LoadBE32(lengthBytes);
    if (length > dataSize - block - 4 || length > INT32_MAX) return kErrEndOfFile;
    if (const uInt8* image = f.io_->Image()) {
        *out = new (std::nothrow) MappedResource(image + dataOffset + block + 4, int32(length));
        return *out ? kErrNone : kErrMemoryFull;
    }
    UHandle h = DSNewHandle(uInt64(length));
    if (!h) return kErrMemoryFull;
    if (f.io_->Read(dataOffset + block + 4, *h, length)) {
        DSDisposeHandle(h);
        return kErrResourceFile;
    }
    *out = new (std::nothrow) DSHandleResource(h);
    if (*out) return kErrNone;
    DSDisposeHandle(h);
    return kErrMemoryFull;
}

namespace {

// The entry's resource, loading it when it is not loaded yet.
TqErr Fetch(PKResFile& f, ResType type, int64 entry, Resource** out) {
    PKResource* r = PKResFileAccess::Loaded(f, entry);
    if (!r) {
        ResourceData* data = nullptr;
        if (const TqErr e = PKResFileAccess::LoadData(f, entry, &data)) return e;
        r = new (std::nothrow) PKResource(&f, data);
        if (!r) {
            delete data;
            return kErrMemoryFull;
        }
        if (const TqErr e = PKResFileAccess::GiveCookie(f, entry, r)) {
            r->NotifyFileClosed();
            delete r;
            return e;
        }
    }
    PKResFileAccess::Remember(f, r, type, entry);
    *out = r;
    return kErrNone;
}

}  // namespace

// ---- Lookups.

TqErr PKResFile::RGet(ResType type, int32 id, Resource** out) {
    if (!out) return kErrArgument;
    *out = nullptr;
    if (!isOpen_) return kErrResourceFile;
    LockHold hold(ResourceLock());
    int64 entry = 0;
    if (const TqErr e = PKResFileAccess::FindEntry(*this, type, id, &entry)) return e;
    return Fetch(*this, type, entry, out);
}

TqErr PKResFile::RGetNamed(ResType type, ConstPStr name, Resource** out) {
    if (!out || !name) return kErrArgument;
    *out = nullptr;
    if (!isOpen_) return kErrResourceFile;
    LockHold hold(ResourceLock());
    const MapRef m = MapOf(map_);
    const int32 t = m.FindType(type);
    if (t < 0) return kErrResourceNotFound;
    for (int64 e = m.RefListAt(t), end = e + int64(m.CountAt(t)) * kRefEntrySize; e < end; e += kRefEntrySize)
        if (const uInt8* n = m.NameOf(e); n && PStrCaseEqual(n, name)) return Fetch(*this, type, e, out);
    return kErrResourceNotFound;
}

TqErr PKResFile::RGetInd(ResType type, int32 index, Resource** out) {
    if (!out) return kErrArgument;
    *out = nullptr;
    if (!isOpen_) return kErrResourceFile;
    LockHold hold(ResourceLock());
    const MapRef m = MapOf(map_);
    const int32 t = m.FindType(type);
    if (t < 0 || index < 1 || index > m.CountAt(t)) return kErrResourceNotFound;
    return Fetch(*this, type, m.RefListAt(t) + int64(index - 1) * kRefEntrySize, out);
}

TqErr PKResFile::RExists(ResType type, int32 id, int32* exists) {
    if (!exists) return kErrArgument;
    *exists = 0;
    if (!isOpen_) return kErrResourceFile;
    LockHold hold(ResourceLock());
    int64 entry = 0;
    if (const TqErr e = PKResFileAccess::FindEntry(*this, type, id, &entry)) return e;
    *exists = 1;
    return kErrNone;
}

TqErr PKResFile::RIsLoaded(ResType type, int32 id, bool* loaded) {
    if (!loaded) return kErrArgument;
    *loaded = false;
    if (!isOpen_) return kErrResourceFile;
    LockHold hold(ResourceLock());
    int64 entry = 0;
    if (const TqErr e = PKResFileAccess::FindEntry(*this, type, id, &entry)) return e;
    *loaded = Get32(*map_, entry + kRefCookie) != 0;
    return kErrNone;
}

TqErr PKResFile::RCount(ResType type, int32* n) {
    if (!n) return kErrArgument;
    *n = 0;
    if (!isOpen_) return kErrResourceFile;
    LockHold hold(ResourceLock());
    const MapRef m = MapOf(map_);
    const int32 t = m.FindType(type);
    *n = t < 0 ? 0 : m.CountAt(t);
    return kErrNone;
}

TqErr PKResFile::RCountTypes(int32* n) {
    if (!n) return kErrArgument;
    *n = 0;
    if (!isOpen_) return kErrResourceFile;
    LockHold hold(ResourceLock());
    *n = MapOf(map_).TypeCount();
    return kErrNone;
}

TqErr PKResFile::RGetIndType(int32* type, int32 index) {
    if (!type) return kErrArgument;
    *type = 0;
    if (!isOpen_) return kErrResourceFile;
    LockHold hold(ResourceLock());
    const MapRef m = MapOf(map_);
    if (index < 1 || index > m.TypeCount()) return kErrResourceNotFound;
    *type = m.TypeAt(index - 1);
    return kErrNone;
}

TqErr PKResFile::RGetIndStringPtr(ConstPStr* out, int32 id, int32 index, ResType type) {
    if (!out) return kErrArgument;
    *out = nullptr;
    Resource* r = nullptr;
    if (const TqErr e = RGet(type, id, &r)) return e;
    const uInt8* p = r->GetData();
    const int64 size = r->GetSize();
    if (!p || size < 2) return kErrResourceNotFound;
    const int32 count = p[0] << 8 | p[1];
    if (index < 1 || index > count) return kErrResourceNotFound;
    int64 at = 2;
    for (int32 i = 1; i < index && at < size; ++i) at += 1 + int64(p[at]);
    if (at >= size || at + 1 + p[at] > size) return kErrResourceNotFound;
    *out = p + at;
    return kErrNone;
}

TqErr PKResFile::GetResourceForHandle(UHandle h, Resource** out) {
    if (!out) return kErrArgument;
    *out = nullptr;
    if (!h) return kErrResourceNotFound;
    LockHold hold(ResourceLock());
    ResType type = 0;
    int64 entry = 0;
    if (const TqErr e = PKResFileAccess::EntryOfHandle(*this, h, &type, &entry)) return e;
    *out = PKResFileAccess::Loaded(*this, entry);
    return *out ? kErrNone : kErrResourceNotFound;
}

TqErr PKResFile::RGetFileAttrs(int32* attrs) {
    if (!attrs) return kErrArgument;
    if (!isOpen_) return kErrResourceFile;
    LockHold hold(ResourceLock());
    *attrs = int32(Get32(*map_, kMapAttrs));
    return kErrNone;
}

TqErr PKResFile::RSetFileAttrs(int32 attrs) {
    if (!isOpen_) return kErrResourceFile;
    LockHold hold(ResourceLock());
    if (PKResFileAccess::ReadOnlyMap(*this)) {
        TQ_REPORT(kDbgWarn, "Tried to call RSetFileAttrs on a readonly file");
        return kErrPermission;
    }
    Set32(*map_, kMapAttrs, uInt32(attrs));
    return kErrNone;
}

TqErr PKResFile::RGetModDate(const PathRef& path, uInt32* date, int32* flag) {
    if (!date) {
        TQ_REPORT(kDbgBroken, "PKResFile::RGetModDate modDate is NULL");
        return kErrArgument;
    }
    if (!isOpen_) return kErrResourceFile;
    LockHold hold(ResourceLock());
    return io_->ModDate(path, date, flag);
}

// ---- Closing.

TqErr PKResFile::RCloseFile() {
    LockHold shared(SharedFilesLock());
    if (Settings().shareReadOnly && (!map_ || PKResFileAccess::ReadOnlyMap(*this)) &&
        SharedRelease(path_, this))
        return kErrDuplicatePath;
    if (!isOpen_) return kErrResourceFile;
    LockHold hold(ResourceLock());
    if (const TqErr e = PKResFileAccess::Update(*this)) return e;
    PKResFileAccess::DropLoaded(*this);
    PKResFileAccess::ClearCache(*this);
    DSDisposeHandle(map_);
    map_ = nullptr;
    io_->Close();
    delete io_;
    io_ = nullptr;
    isOpen_ = false;
    return kErrNone;
}
