// Walking packed Pascal-string lists: shared by the list functions, CPStrList and the string classes.
#pragma once

#include "tqcore/strings.h"

namespace tq::strings {

inline int32 PackedCount(CPStrHandle h) {
    return h && *h && (*h)->cnt > 0 ? (*h)->cnt : 0;
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
