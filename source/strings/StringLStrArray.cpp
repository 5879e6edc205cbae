// Arrays of long-string handles.
#include "diagnostics/Report.h"
#include "strings/LStrArray.h"
#include "strings/LStrHandles.h"

#define TQ_UNIT "source\\StringLStrArray"

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

namespace {

// A cleared array of n slots, filled from the list's elements; null (with the error) when one fails.
TqErr BuildLStrArray(const CPStr* list, int32 n, _LStrArray*** made) {
    auto** a = reinterpret_cast<_LStrArray**>(DSNewHClr(uInt64(kLStrArrayHeader + 8 * int64(n))));
    if (!a) return kErrMemoryFull;
    (*a)->cnt = n;
    const int32 have = list && list->cnt > 0 ? list->cnt : 0;
    const uChar* e = list ? list->str : nullptr;
    for (int32 i = 0; i < n && i < have; ++i, e += e[0] + 1) {
        LStrHandle s = nullptr;
        if (const TqErr err = LStrFromPtr(&s, e[0], e + 1)) {
            DisposeLStrArray(a);
            return err;
        }
        (*a)->elt[i] = s;
    }
    *made = a;
    return kErrNone;
}

int32 PackedLength(LStrHandle s) {
    const int32 n = Count(s);
    return n < 255 ? n : 255;
}

}  // namespace

TqErr CPStrPtrToLStrArray(CPStr* const& list, int32 n, _LStrArray*** out) {
    if (!out) {
        TQ_REPORT(kDbgBroken, "Null not allowed");
        return kErrGeneric;
    }
    if (n < 0) return kErrArgument;
    _LStrArray** made = nullptr;
    if (const TqErr err = BuildLStrArray(list, n, &made)) return err;
    DisposeLStrArray(*out);
    *out = made;
    return kErrNone;
}

TqErr CPStrPtrToLStrArray(CPStr* const& list, _LStrArray*** out) {
    return CPStrPtrToLStrArray(list, list && list->cnt > 0 ? list->cnt : 0, out);
}

TqErr LStrArrayToCPStrHandle(_LStrArray** const& a, int32 n, CPStr*** out) {
    if (!out || n < 0) return kErrArgument;
    if (n == 0 || !a || !*a) {
        DSDisposeHandleAndNull(reinterpret_cast<UHandle*>(out));
        return kErrNone;
    }
    if (n > ArrayCount(a)) return kErrArgument;
    int64 size = 4;
    for (int32 i = 0; i < n; ++i) size += PackedLength((*a)->elt[i]) + 1;
    if (const TqErr err = DSSetHandleSizeOrNewHandle(reinterpret_cast<UHandle*>(out), uInt64(size)))
        return err;
    (**out)->cnt = n;
    uChar* e = (**out)->str;
    for (int32 i = 0; i < n; ++i) {
        const int32 length = PackedLength((*a)->elt[i]);
        e[0] = uChar(length);
        if (length) MoveBlock((*(*a)->elt[i])->str, e + 1, uInt64(length));
        e += length + 1;
    }
    return kErrNone;
}

TqErr LStrArrayToCPStrHandle(_LStrArray** const& a, CPStr*** out) {
    return LStrArrayToCPStrHandle(a, ArrayCount(a), out);
}
