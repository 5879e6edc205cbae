// Bringing a file up to date: blocks compacted in place, then the map and the header; and the one-handle
// image.
#define TQ_UNIT "source\\ResUpdate"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "diagnostics/Report.h"
#include "resources/ResFormat.h"
#include "resources/ResGlobals.h"
#include "resources/ResfileIO.h"
#include "resources/ResourceObjects.h"
#include "tqcore/core.h"

using namespace tq::resources;

namespace {

constexpr int64 kOneWriteBlock = 4096;
constexpr int64 kPreAllocChunk = 10240;

// Every reference entry's map offset, in map order (type list order, then list order).
std::vector<int64> AllEntries(const MapRef& m) {
    std::vector<int64> entries;
    for (int32 t = 0; t < m.TypeCount(); ++t)
        for (int64 e = m.RefListAt(t), end = e + int64(m.CountAt(t)) * kRefEntrySize; e < end;
             e += kRefEntrySize)
            entries.push_back(e);
    return entries;
}

// Writes one block (length, bytes, zero padding) at pos.
TqErr WriteBlock(PKResfileIO& io, int64 pos, const uInt8* bytes, int64 n) {
    const int64 size = BlockSize(n);
    uInt8 zeros[4] = {0, 0, 0, 0};
    if (size <= kOneWriteBlock) {
        uInt8 block[kOneWriteBlock];
        StoreBE32(block, uInt32(n));
        if (n) std::memcpy(block + 4, bytes, size_t(n));
        std::memset(block + 4 + n, 0, size_t(size - 4 - n));
        return io.Write(pos, block, size);
    }
    uInt8 length[4];
    StoreBE32(length, uInt32(n));
    if (const TqErr e = io.Write(pos, length, 4)) return e;
    if (const TqErr e = io.Write(pos + 4, bytes, n)) return e;
    return io.Write(pos + 4 + n, zeros, size - 4 - n);
}

// Keeps a block whose move failed in memory, marked changed: its old place may be partly overwritten, and
// the next update writes it from memory.
void KeepForRetry(PKResFile& f, int64 entry, ResourceData* data) {
    auto* r = new (std::nothrow) PKResource(&f, data);
    if (!r) {
        delete data;
        return;
    }
    if (PKResFileAccess::GiveCookie(f, entry, r)) {
        r->NotifyFileClosed();
        delete r;
        return;
    }
    uInt8* map = *PKResFileAccess::MapHandle(f);
    Set32(map, entry + kRefAttrs, Get32(map, entry + kRefAttrs) | kResChanged);
}

// The data of every entry from the first one that moves on, loaded before anything is written: a failed
// load then leaves the file as it was. Entries already in memory get no holder of their own.
using Holders = std::vector<std::unique_ptr<ResourceData>>;
TqErr LoadMoving(PKResFile& f, const std::vector<int64>& entries, size_t from, Holders* holders) {
    holders->resize(entries.size() - from);
    for (size_t i = from; i < entries.size(); ++i) {
        if (PKResource* r = PKResFileAccess::Loaded(f, entries[i]); r && r->Data()) continue;
        ResourceData* data = nullptr;
        if (const TqErr e = PKResFileAccess::LoadData(f, entries[i], &data)) return e;
        (*holders)[i - from].reset(data);
    }
    return kErrNone;
}

ResourceData* DataOf(PKResFile& f, int64 entry, const std::unique_ptr<ResourceData>& holder) {
    if (holder) return holder.get();
    return PKResFileAccess::Loaded(f, entry)->Data();
}

// Writes the entry's bytes at data position p (relative to the new data area at 32).
TqErr RewriteEntry(PKResFile& f, int64 entry, int64 p, std::unique_ptr<ResourceData>& holder) {
    ResourceData* data = DataOf(f, entry, holder);
    if (const TqErr e =
            WriteBlock(*PKResFileAccess::IO(f), kHeaderSize + p, data->DataPtr(), data->DataSize())) {
        if (holder) KeepForRetry(f, entry, holder.release());
        return e;
    }
    return kErrNone;
}

// A memory file grows to its final size before the first write, so no write can fail for want of memory.
TqErr GrowMemoryImage(PKResFile& f, const std::vector<int64>& entries, size_t from, const Holders& holders,
                      int64 p) {
    PKResfileIO& io = *PKResFileAccess::IO(f);
    if (!io.IsMemory()) return kErrNone;
    for (size_t i = from; i < entries.size(); ++i)
        p += BlockSize(DataOf(f, entries[i], holders[i - from])->DataSize());
    int64 size = 0;
    if (const TqErr e = io.GetEOF(&size)) return e;
    const int64 end = kHeaderSize + p + PKResFileAccess::Map(f).size;
    return end > size ? io.SetEOF(end) : kErrNone;
}

// Writes the map at the end of the data and the header copy at 0.
TqErr WriteMap(PKResFile& f, int64 dataSize) {
    PKResfileIO& io = *PKResFileAccess::IO(f);
    const MapRef m = PKResFileAccess::Map(f);
    Set32(m.base, kHdrDataOffset, kHeaderSize);
    Set32(m.base, kHdrDataSize, uInt32(dataSize));
    Set32(m.base, kHdrMapOffset, uInt32(kHeaderSize + dataSize));
    Set32(m.base, kHdrMapSize, uInt32(m.size));
    std::vector<uInt32> cookies;
    const std::vector<int64> entries = AllEntries(m);
    for (int64 e : entries)
        cookies.push_back(Get32(m.base, e + kRefCookie)), Set32(m.base, e + kRefCookie, 0);
    const uInt32 attrs = Get32(m.base, kMapAttrs);
    Set32(m.base, kMapAttrs, attrs & ~uInt32(kResMapChanged));
    MapToFile(m.base, m.size);
    TqErr e = io.Write(kHeaderSize + dataSize, m.base, m.size);
    if (!e) e = io.SetEOF(kHeaderSize + dataSize + m.size);
    if (!e) e = io.Write(0, m.base, kHeaderSize);
    MapToHost(m.base, m.size);
    Set32(m.base, kMapAttrs, attrs);
    for (size_t i = 0; i < entries.size(); ++i) Set32(m.base, entries[i] + kRefCookie, cookies[i]);
    return e;
}

TqErr WriteEmpty(PKResFile& f) {
    PKResfileIO& io = *PKResFileAccess::IO(f);
    const uInt8* map = *PKResFileAccess::MapHandle(f);
    FileHeader h = EmptyHeader(ResType(Get32(map, kHdrType)), ResType(Get32(map, kHdrCreator)));
    uInt8 bytes[kHeaderSize];
    EncodeHeader(h, bytes);
    if (const TqErr e = io.SetEOF(kHeaderSize)) return e;
    return io.Write(0, bytes, kHeaderSize);
}

// The place of the first block that must move: blocks kept where they are run back to back from 0.
TqErr KeptRun(PKResFile& f, const std::vector<int64>& unchanged, size_t* kept, int64* p) {
    *kept = 0, *p = 0;
    const uInt8* map = *PKResFileAccess::MapHandle(f);
    // Blocks can stay only where the data area already starts right after the header.
    if (Get32(map, kHdrDataOffset) != uInt32(kHeaderSize)) return kErrNone;
    for (int64 e : unchanged) {
        if (int64(Get32(map, e + kRefData)) != *p) break;
        uInt8 length[4];
        if (const TqErr err = PKResFileAccess::IO(f)->Read(kHeaderSize + *p, length, 4)) return err;
        *p += BlockSize(LoadBE32(length));
        ++*kept;
    }
    return kErrNone;
}

TqErr UpdateMapped(PKResFile& f) {
    const MapRef m = PKResFileAccess::Map(f);
    std::vector<int64> entries = AllEntries(m);
    if (int64(entries.size()) * kRefEntrySize != m.RefAreaEnd() - m.TypeListEnd()) {
        TQ_REPORT(kDbgBroken,
                  "PKResFile::RUpdateFile. Resource map rsrc count wrong. Possible memory corruption.");
        return kErrArgument;
    }
    auto changed = [&](int64 e) { return (Get32(m.base, e + kRefAttrs) & kResChanged) != 0; };
    const auto split =
        std::stable_partition(entries.begin(), entries.end(), [&](int64 e) { return !changed(e); });
    std::stable_sort(entries.begin(), split, [&](int64 a, int64 b) {
        return Get32(m.base, a + kRefData) < Get32(m.base, b + kRefData);
    });
    const std::vector<int64> unchanged(entries.begin(), split);
    size_t kept = 0;
    int64 p = 0;
    if (const TqErr e = KeptRun(f, unchanged, &kept, &p)) return e;
    Holders holders;
    if (const TqErr e = LoadMoving(f, entries, kept, &holders)) return e;
    if (const TqErr e = GrowMemoryImage(f, entries, kept, holders, p)) return e;
    for (size_t i = kept; i < entries.size(); ++i) {
        std::unique_ptr<ResourceData>& holder = holders[i - kept];
        const int64 size = BlockSize(DataOf(f, entries[i], holder)->DataSize());
        if (const TqErr e = RewriteEntry(f, entries[i], p, holder)) return e;
        holder.reset();
        Set32(m.base, entries[i] + kRefData, uInt32(p));
        Set32(m.base, entries[i] + kRefAttrs, Get32(m.base, entries[i] + kRefAttrs) & ~uInt32(kResChanged));
        p += size;
    }
    return WriteMap(f, p);
}

}  // namespace

TqErr PKResFileAccess::Update(PKResFile& f) {
    if (!f.isOpen_) return kErrResourceFile;
    if (!(Get32(*f.map_, kMapAttrs) & kResMapChanged)) return kErrNone;
    const bool empty = Map(f).TypeCount() == 0;
    TqErr e = kErrNone;
    try {
        e = empty ? WriteEmpty(f) : UpdateMapped(f);
    } catch (const std::bad_alloc&) {
        e = kErrMemoryFull;
    }
    if (e) return e;
    if (const TqErr e = f.io_->Flush()) return e;
    Set32(*f.map_, kMapAttrs, Get32(*f.map_, kMapAttrs) & ~uInt32(kResMapChanged));
    return kErrNone;
}

TqErr PKResFile::RUpdateFile() {
    if (!isOpen_) return kErrResourceFile;
    LockHold hold(ResourceLock());
    return PKResFileAccess::Update(*this);
}

TqErr PKResFile::RGetUHandleOwnership(UHandle* out) {
    if (!out) return kErrArgument;
    if (!isOpen_) return kErrResourceFile;
    LockHold hold(ResourceLock());
    UHandle h = io_->TakeHandle();
    if (!h) return kErrGeneric;
    *out = h;
    return kErrNone;
}

namespace {

// One handle with the whole file: header, blocks of the loaded resources, map in file order.
TqErr BuildImage(PKResFile& f, UHandle* out) {
    const MapRef m = PKResFileAccess::Map(f);
    const std::vector<int64> entries = AllEntries(m);
    int64 total = 0;
    for (int64 e : entries) {
        PKResource* r = PKResFileAccess::Loaded(f, e);
        if (!r || !r->Data()) return kErrArgument;
        total += BlockSize(r->Data()->DataSize());
    }
    UHandle h = DSNewHClr(uInt64(kHeaderSize + total + m.size));
    if (!h) return kErrMemoryFull;
    int64 p = 0;
    for (int64 e : entries) {
        ResourceData* d = PKResFileAccess::Loaded(f, e)->Data();
        StoreBE32(*h + kHeaderSize + p, uInt32(d->DataSize()));
        if (d->DataSize()) std::memcpy(*h + kHeaderSize + p + 4, d->DataPtr(), size_t(d->DataSize()));
        Set32(m.base, e + kRefData, uInt32(p));
        Set32(m.base, e + kRefAttrs, Get32(m.base, e + kRefAttrs) & ~uInt32(kResChanged));
        p += BlockSize(d->DataSize());
    }
    Set32(m.base, kHdrDataOffset, kHeaderSize);
    Set32(m.base, kHdrDataSize, uInt32(total));
    Set32(m.base, kHdrMapOffset, uInt32(kHeaderSize + total));
    Set32(m.base, kHdrMapSize, uInt32(m.size));
    uInt8* image = *h + kHeaderSize + total;
    std::memcpy(image, m.base, size_t(m.size));
    for (int64 e : entries) Set32(image, e + kRefCookie, 0);
    Set32(image, kMapAttrs, Get32(image, kMapAttrs) & ~uInt32(kResMapChanged));
    MapToFile(image, m.size);
    std::memcpy(*h, image, kHeaderSize);
    *out = h;
    return kErrNone;
}

}  // namespace

namespace {

TqErr MemFileHandle(PKResFile& f, UHandle* out) {
    PKResfileIO* io = PKResFileAccess::IO(f);
    if (io->IsMemory() && !io->Image()) {
        if (const TqErr e = PKResFileAccess::Update(f)) return e;
        if (UHandle h = io->TakeHandle()) {
            *out = h;
            return kErrNone;
        }
    }
    return BuildImage(f, out);
}

}  // namespace

TqErr PKResFile::RGetMemFileHandle(UHandle* out) {
    if (!out) return kErrArgument;
    if (!isOpen_) return kErrResourceFile;
    LockHold hold(ResourceLock());
    try {
        return MemFileHandle(*this, out);
    } catch (const std::bad_alloc&) {
        return kErrMemoryFull;
    }
}

TqErr PKResFile::RPreAllocFile(int32 bytes) {
    if (!isOpen_) return kErrResourceFile;
    LockHold hold(ResourceLock());
    if (PKResFileAccess::ReadOnlyMap(*this)) {
        TQ_REPORT(kDbgWarn, "Tried to call RPreAllocFile on a readonly file");
        return kErrPermission;
    }
    int64 end = 0;
    if (const TqErr e = io_->GetEOF(&end)) return e;
    static const uInt8 zeros[kPreAllocChunk] = {};
    TqErr e = kErrNone;
    for (int64 done = 0; !e && done < bytes; done += kPreAllocChunk)
        e = io_->Write(end + done, zeros, std::min<int64>(kPreAllocChunk, bytes - done));
    if (!e) e = io_->Flush();
    if (e) io_->SetEOF(end);
    return e;
}
