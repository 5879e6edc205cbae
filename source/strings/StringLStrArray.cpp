// Arrays of long-string handles.
#include "strings/LStrArray.h"
#include "strings/LStrHandles.h"

namespace tq::strings {

void DisposeLStrArray(_LStrArray** a) {
    if (!a) return;
    for (int32 i = ArrayCount(a) - 1; i >= 0; --i) Dispose((*a)->elt[i]);
    DSDisposeHandle(reinterpret_cast<UHandle>(a));
}

}  // namespace tq::strings

using namespace tq::strings;

TqErr ReallocLStrArrayHandle(_LStrArray*** h, int32 n) {
    // A negative size names no array, like a null handle pointer.
    if (!h || n < 0) return kErrArgument;
    for (int32 i = ArrayCount(*h) - 1; i >= n; --i) {
        Dispose((**h)->elt[i]);
        (**h)->elt[i] = nullptr;
    }
    if (n == 0) {
        if (*h) DSDisposeHandle(reinterpret_cast<UHandle>(*h));
        *h = nullptr;
        return kErrNone;
    }
    const int32 before = ArrayCount(*h);
    const TqErr err =
        DSSetHSzOrNewHClr(reinterpret_cast<UHandle*>(h), uInt64(kLStrArrayHeader + 8 * int64(n)));
    if (err) {
        if (*h) (**h)->cnt = before < n ? before : n;
        return err;
    }
    // A plain resize leaves growth unset, so the new slots are cleared here.
    for (int32 i = before; i < n; ++i) (**h)->elt[i] = nullptr;
    (**h)->cnt = n;
    return kErrNone;
}
