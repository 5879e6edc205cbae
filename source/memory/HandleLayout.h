// Where a handle's header, guards and data sit inside its pool block.
#pragma once

#include <algorithm>
#include <bit>
#include <cstring>

#include "memory/MemoryUtil.h"

namespace tq::memory {

// Data address D satisfies (D + offset) mod align = 0.
struct Layout {
    uInt32 align;
    uInt32 offset;
    bool Simple() const { return align == 8 && offset == 8; }
    bool operator==(const Layout&) const = default;
};

// Four words before the (front guard and) data. poolBlock is 0 when the header starts the block.
struct HandleHeader {
    uInt64 size;
    uInt64 guardSize;
    uInt64 blockBytes;  // the pool block's size, so that dispose and resize need not work it out
    uInt64 poolBlock;
};
inline constexpr uInt64 kHeaderSize = sizeof(HandleHeader);
// In the aligned layout the block opens with two 16-bit words (alignment, offset | slack), kept 8 wide.
inline constexpr uInt64 kBlockWords = 8;
inline constexpr uInt32 kMaxAlign = 32768;

Layout DefaultLayout(uInt64 size);
Layout NormalizeLayout(uInt32 align, uInt32 offset);

// 8 when handle guard room is reserved, else 0.
inline uInt64 HandleGuardRoom() {
    return Has(kGuardHandles, kGuardReserve) ? kGuardSize : 0;
}

// The header may sit 4 bytes off an 8-byte boundary, so it is copied rather than referenced, a word at a
// time: whole-record copies through the stack stall store forwarding on the hot paths.
inline uInt64 LoadWord(const uChar* p) {
    uInt64 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void StoreWord(uChar* p, uInt64 v) {
    std::memcpy(p, &v, sizeof v);
}
inline HandleHeader ReadHeader(const uChar* data, uInt64 guardRoom) {
    const uChar* p = data - guardRoom - kHeaderSize;
    return {LoadWord(p), LoadWord(p + 8), LoadWord(p + 16), LoadWord(p + 24)};
}
inline void WriteHeader(uChar* data, uInt64 guardRoom, const HandleHeader& h) {
    uChar* p = data - guardRoom - kHeaderSize;
    StoreWord(p, h.size);
    StoreWord(p + 8, h.guardSize);
    StoreWord(p + 16, h.blockBytes);
    StoreWord(p + 24, h.poolBlock);
}

// Aligned blocks from 32 KiB on are placed on the page rule, which also satisfies any smaller power of two,
// so a growing handle moves its data inside the block once, while it is small, and not again when the size
// crosses 1 MiB and the default alignment becomes 4096. The rule costs at most 4 KiB of padding.
inline uInt32 PlacementAlign(Layout l, uInt64 capacity) {
    constexpr uInt64 kPageRuleFrom = 32 * 1024;
    return capacity >= kPageRuleFrom && l.align < 4096 ? 4096 : l.align;
}

// The pool block size for capacity bytes, or 0 when it cannot be represented.
inline uInt64 PaddedSize(uInt64 capacity, Layout l, uInt64 guardRoom) {
    constexpr uInt64 kLimit = uInt64(1) << 56;
    if (capacity > kLimit) return 0;
    uInt64 total = kHeaderSize + 2 * guardRoom + capacity;
    if (!l.Simple()) total += kBlockWords + PlacementAlign(l, capacity) - 1;
    return (total + 7) & ~uInt64(7);
}

// The data address inside the pool block at block, for a handle of capacity bytes.
inline uChar* PlaceData(uChar* block, Layout l, uInt64 guardRoom, uInt64 capacity) {
    if (l.Simple()) return block + kHeaderSize + guardRoom;
    const uInt32 align = PlacementAlign(l, capacity);
    const uintptr_t lowest = reinterpret_cast<uintptr_t>(block) + kBlockWords + kHeaderSize + guardRoom;
    return reinterpret_cast<uChar*>(lowest + ((0 - (lowest + l.offset)) & (align - 1)));
}

// Writes the header (both size words = size) for a block of blockBytes laid out with l, plus the block's
// own words in the aligned layout.
inline void StampBlock(uChar* block, uInt64 blockBytes, uChar* data, Layout l, uInt64 guardRoom,
                       uInt64 size) {
    HandleHeader h{size, size, blockBytes, 0};
    if (!l.Simple()) {
        h.poolBlock = reinterpret_cast<uintptr_t>(block);
        const uintptr_t lowest = reinterpret_cast<uintptr_t>(block) + kBlockWords + kHeaderSize + guardRoom;
        // Slack beyond three alignment units (page-placed blocks) is not recorded.
        const uintptr_t slack =
            std::min<uintptr_t>((reinterpret_cast<uintptr_t>(data) - lowest) >> std::countr_zero(l.align), 3);
        const uInt16 words[2] = {uInt16(l.align), uInt16(l.offset | slack)};
        std::memcpy(block, words, sizeof words);
    }
    WriteHeader(data, guardRoom, h);
}

inline uChar* BlockOf(uChar* data, const HandleHeader& h, uInt64 guardRoom) {
    return h.poolBlock ? reinterpret_cast<uChar*>(h.poolBlock) : data - guardRoom - kHeaderSize;
}

inline Layout LayoutOf(const HandleHeader& h) {
    if (!h.poolBlock) return {8, 8};
    uInt16 words[2];
    std::memcpy(words, reinterpret_cast<const void*>(h.poolBlock), sizeof words);
    return {words[0], uInt32(words[1] & ~3u)};
}

// Whether data placed for `have` also meets the alignment of `want`: both are powers of two.
inline bool AlignsTo(Layout have, Layout want) {
    return (have.align & (want.align - 1)) == 0;
}

}  // namespace tq::memory
