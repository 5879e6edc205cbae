// The bytes of a resource map as held in memory: integers in host order, four-character codes and names as
// stored. Every accessor takes the map's first byte; offsets are those of the file format.
#pragma once

#include <cstring>

#include "tqcore/memory.h"
#include "tqcore/resources.h"

namespace tq::resources {

inline constexpr int32 kHeaderSize = 32;
inline constexpr int32 kMapFixedSize = 52;  // header copy, reserved, attributes, two offsets
inline constexpr int32 kTypeEntrySize = 12;
inline constexpr int32 kRefEntrySize = 20;
inline constexpr int32 kSmallestMap = 88;  // one type, one entry
inline constexpr uInt32 kNoName = 0xFFFFFFFFu;
inline constexpr int32 kMapAttrsAllowed = 0xE0;
inline constexpr int32 kResAttrsAllowed = 0x3E;
inline constexpr ResType kMagic = TQFourCC("RSRC");
inline constexpr uInt16 kVersionWritten = 3;

// Header fields (also the first 32 bytes of the map).
inline constexpr int32 kHdrMagic = 0, kHdrCrLf = 4, kHdrVersion = 6, kHdrType = 8, kHdrCreator = 12,
                       kHdrMapOffset = 16, kHdrMapSize = 20, kHdrDataOffset = 24, kHdrDataSize = 28;
// Map fields.
inline constexpr int32 kMapAttrs = 40, kMapTypeList = 44, kMapNameList = 48;
// Reference entry fields.
inline constexpr int32 kRefId = 0, kRefName = 4, kRefAttrs = 8, kRefData = 12, kRefCookie = 16;

inline uInt32 Get32(const uInt8* p, int64 at) {
    uInt32 v;
    std::memcpy(&v, p + at, 4);
    return v;
}
inline void Set32(uInt8* p, int64 at, uInt32 v) {
    std::memcpy(p + at, &v, 4);
}
inline uInt16 Get16(const uInt8* p, int64 at) {
    uInt16 v;
    std::memcpy(&v, p + at, 2);
    return v;
}
inline void Set16(uInt8* p, int64 at, uInt16 v) {
    std::memcpy(p + at, &v, 2);
}
inline uInt32 LoadBE32(const uInt8* p) {
    return uInt32(p[0]) << 24 | uInt32(p[1]) << 16 | uInt32(p[2]) << 8 | p[3];
}
inline void StoreBE32(uInt8* p, uInt32 v) {
    p[0] = uInt8(v >> 24), p[1] = uInt8(v >> 16), p[2] = uInt8(v >> 8), p[3] = uInt8(v);
}

// Bytes a data block of n resource bytes occupies: the length word, the bytes, padding to 4.
inline constexpr int64 BlockSize(int64 n) {
    return (n + 7) & ~int64(3);
}

// A host-order map held in a handle of `size` bytes. An empty map (no resources) is the 52-byte fixed part.
struct MapRef {
    uInt8* base;
    int64 size;

    int32 TypeListOffset() const { return int32(Get32(base, kMapTypeList)); }
    int32 NameListOffset() const { return int32(Get32(base, kMapNameList)); }
    bool Empty() const { return size < int64(TypeListOffset()) + 4; }
    int32 TypeCount() const { return Empty() ? 0 : int32(Get32(base, TypeListOffset())) + 1; }
    int64 TypeEntry(int32 i) const { return TypeListOffset() + 4 + int64(kTypeEntrySize) * i; }
    ResType TypeAt(int32 i) const { return ResType(Get32(base, TypeEntry(i))); }
    int32 CountAt(int32 i) const { return int32(Get32(base, TypeEntry(i) + 4)) + 1; }
    // Map offset of type i's first reference entry.
    int64 RefListAt(int32 i) const { return TypeListOffset() + int64(Get32(base, TypeEntry(i) + 8)); }
    int64 TypeListEnd() const { return TypeEntry(TypeCount()); }
    // The end of the reference entries: the name list or the map's end.
    int64 RefAreaEnd() const { return NameListOffset() ? NameListOffset() : size; }
    int32 FindType(ResType type) const {
        const int32 n = TypeCount();
        for (int32 i = 0; i < n; ++i)
            if (TypeAt(i) == type) return i;
        return -1;
    }
    // The name of a reference entry as a PStr inside the map, or null when unnamed.
    const uInt8* NameOf(int64 entry) const {
        const uInt32 at = Get32(base, entry + kRefName);
        return at == kNoName ? nullptr : base + NameListOffset() + at;
    }
};

inline MapRef MapOf(UHandle map) {
    return MapRef{*map, int64(DSGetHandleSize(map))};
}

}  // namespace tq::resources
