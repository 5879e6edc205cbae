// UTF-8 <-> UTF-16 codec shared by the platform conversions.
#pragma once

#include "tqcore/types.h"

namespace tq::platform {

inline constexpr int32 kCodecInvalid = -1;
inline constexpr int32 kCodecNoRoom = -2;

// Null dst (or capacity 0) measures. Non-strict: each maximal invalid subpart becomes U+FFFD.
// Result: units written or needed, or kCodecInvalid (strict only) / kCodecNoRoom.
int32 Utf8ToUtf16(const char* src, int32 srcLen, TQWChar* dst, int32 dstCap, bool strict);
// Non-strict: a lone surrogate becomes U+FFFD.
int32 Utf16ToUtf8(const TQWChar* src, int32 srcLen, char* dst, int32 dstCap, bool strict);

}  // namespace tq::platform
