// Walking packed Pascal-string lists: shared by the list functions, CPStrList and the string classes.
#pragma once

#include "tqcore/core.h"
#include "tqcore/memory.h"
#include "tqcore/strings.h"

namespace tq::strings {

inline int32 PackedCount(CPStrHandle h) {
    return h && *h && (*h)->cnt > 0 ? (*h)->cnt : 0;
}
// An element index brought into the list: past the end means the last, before the start (or none) the first.
inline int32 PinIndex(int32 i, int32 count) {
    if (i >= count) i = count - 1;
    return i < 0 ? 0 : i;
}
// Room for at least size bytes; without exactSize the block keeps what it has and grows with slack.
inline TqErr ReserveListBlock(UHandle h, int64 size, bool exactSize) {
    if (exactSize) return DSSetHandleSize(h, uInt64(size));
    const int64 held = int64(DSGetHandleSize(h));
    if (held >= size) return kErrNone;
    const int64 grown = held + held / 2;
    return DSSetHandleSize(h, uInt64(grown > size ? grown : size));
}
// Byte offset of element i from the block's start (i at most the count).
int32 PackedOffset(const CPStr* list, int32 i);
// Element-wise order over the common elements, then the count difference; null handles are empty lists.
int32 ComparePackedLists(CPStrHandle a, CPStrHandle b, CPStrCompareProc compare);
// Both hold at least n elements and the first n are equal.
bool EqualPackedLists(CPStrHandle a, CPStrHandle b, int32 n, Bool32 (*equal)(ConstPStr, ConstPStr));

// The resource manager's detach of a handle it read, installed by the resource manager when it starts: the
// string subsystem sits below it.
using ResourceDetachProc = void (*)(UHandle h);
void SetResourceDetachProc(ResourceDetachProc proc);

}  // namespace tq::strings
