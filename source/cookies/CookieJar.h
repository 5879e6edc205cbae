// Layout of a cookie jar, shared by the jar code and its tests.
#pragma once

#include "tqcore/cookies.h"
#include "tqcore/threads.h"

namespace tq::cookies {

constexpr uInt32 kIndexBits = 20;
constexpr uInt32 kIndexMask = (1u << kIndexBits) - 1;
constexpr uInt32 kTagMask = 0xFFF;
constexpr int kLevels = 4;
constexpr uInt8 kLevelWidths[kLevels] = {4, 5, 5, 6};  // root first

struct PouchLevel {
    uInt32 mask;  // applied after the shift
    uInt8 width;
    uInt8 shift;
};

// Four-level radix tree over the 20-bit index; inner arrays and 64-slot leaf pages appear on first touch.
struct PouchTree {
    PouchLevel levels[kLevels];
    uInt32 stride;
    void* root[1u << 4];
    uInt8* firstLeaf;  // the page of indices 0..63, once allocated
    Bool32 valid;
};

// Fills the level descriptors from the widths (root first), leaf upwards; valid only when they cover 20 bits.
void InitPouchTree(PouchTree& tree, const uInt8 (&widths)[kLevels], uInt32 stride);

// The jar's handle holds exactly this (48 bytes).
struct JarHeader {
    ThMutex mutex;  // "JarRights"
    uInt32 nextTag;
    uInt32 reserved0;
    PouchTree* tree;
    uInt32 infoSize;
    uInt32 stride;
    uInt32 freeHead;
    uInt32 count;
    uInt32 rights;
    uInt32 reserved1;
};
static_assert(sizeof(JarHeader) == 48);

// Jar with rights mode chosen; null on failure.
MagicCookieJar NewJar(uInt32 infoSize, bool rights);

// The lock-free rights operations behind BaseCookieJar.
int32 AcquireRights(MagicCookieJar jar, MagicCookie cookie, void* infoOut);
int32 ReleaseRights(MagicCookieJar jar, MagicCookie cookie);

inline JarHeader* Header(MagicCookieJar jar) {
    return reinterpret_cast<JarHeader*>(*jar);
}

}  // namespace tq::cookies
