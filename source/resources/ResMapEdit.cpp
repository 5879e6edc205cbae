// Adding, replacing and removing resources: the map grows and shrinks in place.
#define TQ_UNIT "source\\ResMapEdit"

#include <new>

#include "diagnostics/Report.h"
#include "resources/ResFormat.h"
#include "resources/ResGlobals.h"
#include "resources/ResourceObjects.h"
#include "tqcore/core.h"

using namespace tq::resources;

namespace {

// Moves the bytes [at, used) of a map whose handle already has room up by n.
void OpenGap(uInt8* base, int64 used, int64 at, int64 n) {
    std::memmove(base + at + n, base + at, size_t(used - at));
}
// Moves the bytes [at + n, used) down by n.
void CloseGap(uInt8* base, int64 used, int64 at, int64 n) {
    std::memmove(base + at, base + at + n, size_t(used - at - n));
}

// Adds delta to the reference-list offset of every type but `keep` whose list starts at or after `from`.
void ShiftLists(const MapRef& m, int64 from, int32 delta, int32 keep) {
    for (int32 t = 0; t < m.TypeCount(); ++t)
        if (t != keep && m.RefListAt(t) >= from)
            Set32(m.base, m.TypeEntry(t) + 8, Get32(m.base, m.TypeEntry(t) + 8) + uInt32(delta));
}

void ShiftNameList(const MapRef& m, int32 delta) {
    if (m.NameListOffset()) Set32(m.base, kMapNameList, uInt32(m.NameListOffset() + delta));
}

// The byte count a name adds to the name list.
int64 NameBytes(ConstPStr name) {
    return name && name[0] ? int64(name[0]) + 1 : 0;
}

// The first map of an empty file: one type with one entry at offset 68. Returns the entry's offset.
int64 BuildFirstEntry(const MapRef& m, ResType type) {
    Set32(m.base, kMapTypeList, kMapFixedSize);
    Set32(m.base, kMapNameList, 0);
    Set32(m.base, kMapFixedSize, 0);
    Set32(m.base, kMapFixedSize + 4, uInt32(type));
    Set32(m.base, kMapFixedSize + 8, 0);
    Set32(m.base, kMapFixedSize + 12, 4 + kTypeEntrySize);
    return kMapFixedSize + 4 + kTypeEntrySize;
}

// Makes room for a new entry of a present type (in ID order); returns the entry's offset.
int64 InsertIntoType(const MapRef& m, int64 used, int32 t, int32 id) {
    int64 at = m.RefListAt(t);
    const int64 end = at + int64(m.CountAt(t)) * kRefEntrySize;
    while (at < end && int32(Get32(m.base, at + kRefId)) < id) at += kRefEntrySize;
    OpenGap(m.base, used, at, kRefEntrySize);
    ShiftLists(m, at, kRefEntrySize, t);
    Set32(m.base, m.TypeEntry(t) + 4, uInt32(m.CountAt(t)));
    ShiftNameList(m, kRefEntrySize);
    return at;
}

// Appends a type entry and places its one reference entry after all others; returns the entry's offset.
int64 InsertNewType(MapRef m, int64 used, ResType type) {
    const int64 listEnd = m.TypeListEnd();
    const int64 areaEnd = m.NameListOffset() ? m.NameListOffset() : used;
    OpenGap(m.base, used, listEnd, kTypeEntrySize);
    used += kTypeEntrySize;
    for (int32 t = 0; t < m.TypeCount(); ++t)
        Set32(m.base, m.TypeEntry(t) + 8, Get32(m.base, m.TypeEntry(t) + 8) + kTypeEntrySize);
    ShiftNameList(m, kTypeEntrySize);
    const int64 entry = areaEnd + kTypeEntrySize;
    OpenGap(m.base, used, entry, kRefEntrySize);
    ShiftNameList(m, kRefEntrySize);
    Set32(m.base, listEnd, uInt32(type));
    Set32(m.base, listEnd + 4, 0);
    Set32(m.base, listEnd + 8, uInt32(entry - m.TypeListOffset()));
    Set32(m.base, m.TypeListOffset(), Get32(m.base, m.TypeListOffset()) + 1);
    return entry;
}

// Inserts an entry for r; the map handle has already grown to hold it.
void InsertEntry(PKResFile& f, int64 used, ResType type, int32 id, ConstPStr name, MagicCookie cookie) {
    MapRef m = PKResFileAccess::Map(f);
    const bool empty = used < int64(m.TypeListOffset()) + 4;
    int64 entry;
    if (empty)
        entry = BuildFirstEntry(m, type);
    else if (const int32 t = m.FindType(type); t >= 0)
        entry = InsertIntoType(m, used, t, id);
    else
        entry = InsertNewType(m, used, type);
    uInt32 nameOffset = kNoName;
    if (const int64 n = NameBytes(name)) {
        if (!m.NameListOffset()) Set32(m.base, kMapNameList, uInt32(m.size - n));
        nameOffset = uInt32(m.size - n - m.NameListOffset());
        std::memcpy(m.base + m.size - n, name, size_t(n));
    }
    Set32(m.base, entry + kRefId, uInt32(id));
    Set32(m.base, entry + kRefName, nameOffset);
    Set32(m.base, entry + kRefAttrs, kResChanged);
    Set32(m.base, entry + kRefData, 0);
    Set32(m.base, entry + kRefCookie, cookie);
    Set32(m.base, kHdrMapSize, uInt32(m.size));
    PKResFileAccess::MarkMapChanged(f);
}

// The bytes the map grows by for a new entry.
int64 Growth(const MapRef& m, ResType type, ConstPStr name) {
    int64 n = NameBytes(name);
    if (m.TypeCount() == 0) return n + kSmallestMap - m.size;
    return n + kRefEntrySize + (m.FindType(type) >= 0 ? 0 : kTypeEntrySize);
}

// Adds a resource over data: owned by the file on success, left to the caller (not deleted) on failure.
TqErr AddHolder(PKResFile& f, ResourceData* data, ResType type, int32 id, ConstPStr name) {
    int64 existing = 0;
    if (!PKResFileAccess::FindEntry(f, type, id, &existing)) return kErrResourceExists;
    UHandle map = PKResFileAccess::MapHandle(f);
    const int64 used = DSGetHandleSize(map);
    const int64 grow = Growth(PKResFileAccess::Map(f), type, name);
    auto* r = new (std::nothrow) PKResource(&f, data);
    if (!r) return kErrMemoryFull;
    const MagicCookie cookie = PKResFileAccess::NewCookie(f, r);
    TqErr e = cookie ? DSSetHandleSize(map, uInt64(used + grow)) : kErrMemoryFull;
    if (e) {
        if (cookie) PKResFileAccess::DisposeCookie(f, cookie);
        r->NotifyFileClosed();
        r->ReleaseData();
        delete r;
        return kErrMemoryFull;
    }
    PKResFileAccess::ClearCache(f);
    InsertEntry(f, used, type, id, name, cookie);
    return kErrNone;
}

// Runs op under the lock for a writable open file.
template <class Op>
TqErr Editing(PKResFile& f, Op op) {
    if (!f.IsOpen()) return kErrResourceFile;
    LockHold hold(ResourceLock());
    if (PKResFileAccess::ReadOnlyMap(f)) return kErrPermission;
    return op();
}

// Removes an entry (and its name) from the map; drops its type when that was the type's last entry.
void RemoveEntry(PKResFile& f, ResType type, int64 entry) {
    MapRef m = PKResFileAccess::Map(f);
    int64 used = m.size;
    if (const uInt32 at = Get32(m.base, entry + kRefName); at != kNoName) {
        const int64 nl = m.NameListOffset(), n = int64(m.base[nl + at]) + 1;
        CloseGap(m.base, used, nl + at, n);
        used -= n;
        for (int64 e = m.TypeListEnd(); e < nl; e += kRefEntrySize)
            if (const uInt32 o = Get32(m.base, e + kRefName); o != kNoName && o > at)
                Set32(m.base, e + kRefName, o - n);
        if (used == nl) Set32(m.base, kMapNameList, 0);
    }
    const int32 t = m.FindType(type);
    CloseGap(m.base, used, entry, kRefEntrySize);
    used -= kRefEntrySize;
    ShiftLists(m, entry + 1, -kRefEntrySize, t);
    ShiftNameList(m, -kRefEntrySize);
    if (m.CountAt(t) > 1) {
        Set32(m.base, m.TypeEntry(t) + 4, uInt32(m.CountAt(t) - 2));
    } else {
        CloseGap(m.base, used, m.TypeEntry(t), kTypeEntrySize);
        used -= kTypeEntrySize;
        Set32(m.base, m.TypeListOffset(), Get32(m.base, m.TypeListOffset()) - 1);
        ShiftLists(m, 0, -kTypeEntrySize, -1);
        ShiftNameList(m, -kTypeEntrySize);
    }
    if (used <= m.TypeListOffset() + 4) {
        // The last resource went: the empty file's map.
        used = kMapFixedSize;
        Set32(m.base, kMapTypeList, kMapFixedSize);
        Set32(m.base, kMapNameList, 0);
        Set32(m.base, kHdrMapOffset, kHeaderSize);
        Set32(m.base, kHdrDataOffset, kHeaderSize);
        Set32(m.base, kHdrDataSize, 0);
    }
    DSSetHandleSize(PKResFileAccess::MapHandle(f), uInt64(used));
    Set32(*PKResFileAccess::MapHandle(f), kHdrMapSize, used == kMapFixedSize ? 0u : uInt32(used));
    PKResFileAccess::MarkMapChanged(f);
}

// Fills the resource's shared handle with n bytes.
TqErr Refill(PKResFile& f, ResType type, int32 id, const uInt8* bytes, int64 n) {
    int64 entry = 0;
    if (PKResFileAccess::FindEntry(f, type, id, &entry)) return kErrResourceExists;
    PKResource* r = PKResFileAccess::Loaded(f, entry);
    if (!r) {
        ResourceData* data = nullptr;
        if (PKResFileAccess::LoadData(f, entry, &data)) return kErrResourceExists;
        r = new (std::nothrow) PKResource(&f, data);
        if (!r || PKResFileAccess::GiveCookie(f, entry, r)) {
            if (!r) delete data;
            delete r;
            return kErrResourceExists;
        }
    }
    UHandle h = r->Data()->DataHandle();
    if (!h || DSSetHandleSize(h, uInt64(n))) return kErrResourceExists;
    if (n) std::memmove(*h, bytes, size_t(n));
    const MapRef m = PKResFileAccess::Map(f);
    Set32(m.base, entry + kRefAttrs, Get32(m.base, entry + kRefAttrs) | kResChanged);
    PKResFileAccess::MarkMapChanged(f);
    return kErrNone;
}

}  // namespace

TqErr PKResFile::RAdd(UHandle h, ResType type, int32 id, ConstPStr name) {
    if (!h) return kErrResourceExists;
    if (const TqErr e = DSCheckHandle(h)) {
        TQ_REPORT(kDbgWarn, "RAdd of non-DS Handle");
        return e;
    }
    return Editing(*this, [&]() -> TqErr {
        auto* data = new (std::nothrow) DSHandleResource(h);
        if (!data) return kErrMemoryFull;
        const TqErr e = AddHolder(*this, data, type, id, name);
        if (e) {
            data->ForgetData();
            delete data;
        }
        return e;
    });
}

TqErr PKResFile::RAddPtr(const uInt8* bytes, int32 size, ResType type, int32 id, ConstPStr name) {
    if (!bytes && size) return kErrResourceExists;
    if (size < 0) return kErrArgument;
    return Editing(*this, [&]() -> TqErr {
        UHandle h = nullptr;
        if (const TqErr e = DSPtrToHand(bytes, &h, uInt64(size))) return e;
        auto* data = new (std::nothrow) DSHandleResource(h);
        if (!data) {
            DSDisposeHandle(h);
            return kErrMemoryFull;
        }
        const TqErr e = AddHolder(*this, data, type, id, name);
        if (e) delete data;
        return e;
    });
}

TqErr PKResFile::RReplacePtr(const uInt8* bytes, int32 size, ResType type, int32 id) {
    if (!bytes || size < 0) return kErrResourceExists;
    return Editing(*this, [&] { return Refill(*this, type, id, bytes, size); });
}

TqErr PKResFile::RReplaceDSHandle(UHandle h, ResType type, int32 id) {
    if (!h) return kErrResourceExists;
    return Editing(*this, [&] { return Refill(*this, type, id, *h, DSGetHandleSize(h)); });
}

TqErr PKResFile::RRemove(Resource* r) {
    return Editing(*this, [&]() -> TqErr {
        ResType type = 0;
        int64 entry = 0;
        if (const TqErr e = PKResFileAccess::EntryOf(*this, r, &type, &entry)) return e;
        if (Get32(*PKResFileAccess::MapHandle(*this), entry + kRefAttrs) & kResProtected)
            return kErrResourceNotFound;
        PKResFileAccess::ClearCache(*this);
        PKResFileAccess::ForgetCookie(*this, entry);
        auto* pk = static_cast<PKResource*>(r);
        pk->NotifyFileClosed();
        delete pk;
        RemoveEntry(*this, type, entry);
        return kErrNone;
    });
}

int32 PKResFile::RUniqueID(ResType type) {
    if (!IsOpen()) return kErrResourceFile;
    LockHold hold(ResourceLock());
    std::atomic<int32>& counter = UniqueIdCounter();
    const MapRef m = PKResFileAccess::Map(*this);
    int32 id = counter.load();
    if (m.TypeCount() == 0) {
        id = 128;
    } else if (m.FindType(type) >= 0) {
        int64 entry = 0;
        while (id < 0x8000000 && !PKResFileAccess::FindEntry(*this, type, id, &entry)) ++id;
        if (id >= 0x8000000) return 0;
    }
    const int32 next = counter.load() + 1;
    counter.store(next < 128 ? 128 : next);
    return id;
}
