#include "resources/ResFormat.h"

#include <vector>

namespace tq::resources {
namespace {

inline uInt16 LoadBE16(const uInt8* p) {
    return uInt16(p[0] << 8 | p[1]);
}
inline void StoreBE16(uInt8* p, uInt16 v) {
    p[0] = uInt8(v >> 8), p[1] = uInt8(v);
}
inline void Swap32At(uInt8* map, int64 size, int64 at) {
    if (at >= 0 && at + 4 <= size) Set32(map, at, __builtin_bswap32(Get32(map, at)));
}
inline void Swap16At(uInt8* map, int64 at) {
    Set16(map, at, __builtin_bswap16(Get16(map, at)));
}

// The fields every conversion swaps, besides the reference entries.
void SwapFixedPart(uInt8* map, int64 size) {
    if (size < kMapFixedSize) return;
    Swap16At(map, kHdrVersion);
    for (int64 at :
         {kHdrMapOffset, kHdrMapSize, kHdrDataOffset, kHdrDataSize, kMapAttrs, kMapTypeList, kMapNameList})
        Swap32At(map, size, at);
}

// Swaps the type list and the reference area; counts and offsets are read in host order.
void SwapLists(uInt8* map, int64 size, bool toHost) {
    const MapRef m{map, size};
    const int64 tl = m.TypeListOffset();
    if (tl < kMapFixedSize || tl + 4 > size) return;
    if (toHost) Swap32At(map, size, tl);
    const int64 types = int64(m.TypeCount());
    if (!toHost) Swap32At(map, size, tl);
    for (int64 i = 0; i < types; ++i) {
        const int64 e = tl + 4 + kTypeEntrySize * i;
        if (e + kTypeEntrySize > size) return;
        Swap32At(map, size, e + 4);
        Swap32At(map, size, e + 8);
    }
    const int64 from = tl + 4 + kTypeEntrySize * types;
    const int64 nl = int64(uInt32(m.NameListOffset()));
    const int64 to = (nl && nl <= size) ? nl : size;
    for (int64 e = from; e + kRefEntrySize <= to; e += kRefEntrySize) {
        for (int64 f = 0; f < kRefCookie; f += 4) Swap32At(map, size, e + f);
        if (toHost) Set32(map, e + kRefCookie, 0);
    }
}

struct MapWalk {
    const uInt8* map;
    int64 size;
    int64 tl;
    int64 types;
    int64 nl;
    int64 nlSize;
    int64 space;
    int64 entries;
    uInt32 dataSize;
};

int32 CheckEntry(const MapWalk& w, int64 entry) {
    if (LoadBE32(w.map + entry + kRefAttrs) & ~uInt32(kResAttrsAllowed)) return 19;
    const uInt32 name = LoadBE32(w.map + entry + kRefName);
    if (name != kNoName) {
        if (!w.nl || int64(name) > w.nlSize - 2) return 20;
        const int64 at = w.nl + name;
        const int64 len = w.map[at];
        if (len == 0 || at + 1 + len > w.nl + w.nlSize) return 21;
    }
    const int64 data = int32(LoadBE32(w.map + entry + kRefData));
    if (data % 4 || data < 0 || data > int64(w.dataSize) - 4) return 22;
    return 0;
}

int32 CheckTypes(const MapWalk& w) {
    std::vector<uInt8> owned(size_t(w.entries), 0);
    const int64 typeListLength = 4 + kTypeEntrySize * w.types;
    int64 counted = 0;
    for (int64 i = 0; i < w.types; ++i) {
        const uInt8* e = w.map + w.tl + 4 + kTypeEntrySize * i;
        const int64 count = int64(int32(LoadBE32(e + 4))) + 1;
        if (count < 1 || count > w.entries || counted + count > w.entries) return 16;
        counted += count;
        const int64 list = LoadBE32(e + 8);
        if (list % 4 || list < typeListLength || list > typeListLength + w.space - kRefEntrySize ||
            (list - typeListLength) % kRefEntrySize)
            return 17;
        const int64 first = (list - typeListLength) / kRefEntrySize;
        if (first + count > w.entries) return 17;
        for (int64 k = first; k < first + count; ++k) {
            if (owned[size_t(k)]) return 18;
            owned[size_t(k)] = 1;
            if (const int32 rule = CheckEntry(w, w.tl + list + kRefEntrySize * (k - first))) return rule;
        }
    }
    if (counted != w.entries) return 23;
    for (uInt8 o : owned)
        if (!o) return 24;
    return 0;
}

}  // namespace

FileHeader DecodeHeader(const uInt8* b) {
    FileHeader h;
    std::memcpy(&h.magic, b + kHdrMagic, 4);
    h.crlf[0] = b[kHdrCrLf], h.crlf[1] = b[kHdrCrLf + 1];
    h.version = LoadBE16(b + kHdrVersion);
    std::memcpy(&h.type, b + kHdrType, 4);
    std::memcpy(&h.creator, b + kHdrCreator, 4);
    h.mapOffset = LoadBE32(b + kHdrMapOffset);
    h.mapSize = LoadBE32(b + kHdrMapSize);
    h.dataOffset = LoadBE32(b + kHdrDataOffset);
    h.dataSize = LoadBE32(b + kHdrDataSize);
    return h;
}

void EncodeHeader(const FileHeader& h, uInt8* b) {
    std::memcpy(b + kHdrMagic, &h.magic, 4);
    b[kHdrCrLf] = h.crlf[0], b[kHdrCrLf + 1] = h.crlf[1];
    StoreBE16(b + kHdrVersion, h.version);
    std::memcpy(b + kHdrType, &h.type, 4);
    std::memcpy(b + kHdrCreator, &h.creator, 4);
    StoreBE32(b + kHdrMapOffset, h.mapOffset);
    StoreBE32(b + kHdrMapSize, h.mapSize);
    StoreBE32(b + kHdrDataOffset, h.dataOffset);
    StoreBE32(b + kHdrDataSize, h.dataSize);
}

FileHeader EmptyHeader(ResType type, ResType creator) {
    return FileHeader{kMagic, {0x0D, 0x0A}, kVersionWritten, type, creator, kHeaderSize, 0, kHeaderSize, 0};
}

bool Recognised(const FileHeader& h) {
    if (h.magic != kMagic) return false;
    return h.version == 2 || (h.version >= 3 && h.crlf[0] == 0x0D && h.crlf[1] == 0x0A);
}

int32 HeaderValidation(const FileHeader& h, uInt64 f) {
    const uInt64 mo = h.mapOffset, ms = h.mapSize, dof = h.dataOffset, ds = h.dataSize;
    if (!Recognised(h)) return 1;
    if (dof < kHeaderSize || dof > f) return 4;
    if (ds > f || dof + ds > f || ds % 4) return 5;
    if (mo > f) return 2;
    if (ms > f || mo + ms > f) return 3;
    if ((ms == 0) != (ds == 0)) return 6;
    if (ms == 0) return 0;
    if (ms < uInt64(kSmallestMap) || ms > f - mo) return 3;
    if (mo != dof + ds) return 10;
    if (mo + ms > f) return 9;
    return 0;
}

bool HeaderAgreement(const uInt8* mapHeader, const FileHeader& fh) {
    const FileHeader c = DecodeHeader(mapHeader);
    return c.magic == fh.magic && c.crlf[0] == fh.crlf[0] && c.crlf[1] == fh.crlf[1] &&
           c.version == fh.version && c.type == fh.type && c.creator == fh.creator &&
           c.mapSize == fh.mapSize && c.dataSize == fh.dataSize;
}

int32 MapValidation(const uInt8* map, int64 size, const FileHeader& fh) {
    if (size < kMapFixedSize) return 3;
    if (!Recognised(DecodeHeader(map))) return 1;
    if (!HeaderAgreement(map, fh)) return 7;
    if (LoadBE32(map + kMapAttrs) & ~uInt32(kMapAttrsAllowed)) return 8;
    MapWalk w{map, size, LoadBE32(map + kMapTypeList), 0, LoadBE32(map + kMapNameList), 0, 0, 0, fh.dataSize};
    if (w.tl < kMapFixedSize || w.tl > size - 4) return 11;
    if (w.nl && (w.nl < w.tl + 36 || w.nl > size || w.nl % 4)) return 12;
    w.types = int64(int32(LoadBE32(map + w.tl))) + 1;
    if (size > kMapFixedSize && (w.types < 1 || w.types * 32 >= size)) return 13;
    const int64 listEnd = w.tl + 4 + kTypeEntrySize * w.types;
    const int64 areaEnd = w.nl ? w.nl : size;
    w.space = areaEnd - listEnd;
    if (w.space <= 0) return 14;
    if (w.space % kRefEntrySize) return 15;
    w.entries = w.space / kRefEntrySize;
    w.nlSize = w.nl ? size - w.nl : 0;
    return CheckTypes(w);
}

void MapToHost(uInt8* map, int64 size) {
    SwapFixedPart(map, size);
    SwapLists(map, size, true);
}

void MapToFile(uInt8* map, int64 size) {
    SwapLists(map, size, false);
    SwapFixedPart(map, size);
}

}  // namespace tq::resources
