// Packed Pascal-string lists: count, then Pascal strings back to back.
#include <cstring>

#include "diagnostics/Report.h"
#include "strings/PackedLists.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"
#include "tqcore/strings.h"

#define TQ_UNIT "source\\StringCPStr"

namespace tq::strings {

int32 PackedOffset(const CPStr* list, int32 i) {
    const uChar* at = list->str;
    for (int32 k = 0; k < i; ++k) at += at[0] + 1;
    return int32(at - reinterpret_cast<const uChar*>(list));
}

}  // namespace tq::strings

using namespace tq::strings;

namespace {

uChar* Base(CPStrHandle h) {
    return reinterpret_cast<uChar*>(*h);
}

TqErr SetSize(CPStrHandle h, int64 size) {
    return DSSetHandleSize(reinterpret_cast<UHandle>(h), uInt64(size));
}

TqErr Reserve(CPStrHandle h, int64 size, bool exactSize) {
    return ReserveListBlock(reinterpret_cast<UHandle>(h), size, exactSize);
}

bool Usable(CPStrHandle h) {
    return h && *h;
}

}  // namespace

void StrPoundToCPStr(UHandle src, CPStr* dst) {
    if (!src || !*src || !dst) return;
    const int64 size = DSGetHandleSize(src);
    if (size < 2) {
        dst->cnt = 0;
        return;
    }
    int16 count;
    std::memcpy(&count, *src, 2);
    dst->cnt = count;
    MoveBlock(*src + 2, dst->str, uInt64(size - 2));
}

int32 CPStrSize(const CPStr* list) {
    if (!list) return 0;
    return PackedOffset(list, list->cnt > 0 ? list->cnt : 0);
}

PStr CPStrIndex(CPStrHandle h, int32 i) {
    if (!Usable(h)) {
        TQ_REPORT(kDbgFatal, "");
        return nullptr;
    }
    return Base(h) + PackedOffset(*h, PinIndex(i, (*h)->cnt));
}

TqErr CPStrInsert(CPStrHandle h, ConstPStr s, int32 i) {
    return CPStrInsertEfficient(h, s, i, 1);
}

TqErr CPStrInsertEfficient(CPStrHandle h, ConstPStr s, int32 i, Bool32 exactSize) {
    if (!Usable(h) || !s) {
        TQ_REPORT(kDbgBroken, "Bad inputs to CPStrInsertEfficient");
        return kErrGeneric;
    }
    const int32 count = (*h)->cnt > 0 ? (*h)->cnt : 0;
    if (i > count) i = count;
    if (i < 0) i = 0;
    const int32 used = CPStrSize(*h);
    const int32 add = s[0] + 1;
    // The string may live inside the list itself: keep its bytes across the resize.
    Str255 copy;
    std::memcpy(copy, s, size_t(add));
    if (const TqErr err = Reserve(h, int64(used) + add, exactSize != 0)) return err;
    const int32 at = PackedOffset(*h, i);
    MoveBlock(Base(h) + at, Base(h) + at + add, uInt64(used - at));
    std::memcpy(Base(h) + at, copy, size_t(add));
    (*h)->cnt = count + 1;
    return kErrNone;
}

TqErr CPStrRemove(CPStrHandle h, int32 i) {
    if (!Usable(h) || (*h)->cnt <= 0) {
        TQ_REPORT(kDbgFatal, "");
        return kErrArgument;
    }
    const int32 used = CPStrSize(*h);
    const int32 at = PackedOffset(*h, PinIndex(i, (*h)->cnt));
    const int32 gone = Base(h)[at] + 1;
    MoveBlock(Base(h) + at + gone, Base(h) + at, uInt64(used - at - gone));
    (*h)->cnt -= 1;
    SetSize(h, used - gone);  // a smaller block is always usable
    return kErrNone;
}

TqErr CPStrReplace(CPStrHandle h, ConstPStr s, int32 i) {
    if (!Usable(h) || !s || (*h)->cnt <= 0) {
        TQ_REPORT(kDbgFatal, "");
        return kErrArgument;
    }
    Str255 copy;
    std::memcpy(copy, s, size_t(s[0]) + 1);
    const int32 used = CPStrSize(*h);
    const int32 index = PinIndex(i, (*h)->cnt);
    int32 at = PackedOffset(*h, index);
    const int32 delta = int32(copy[0]) - int32(Base(h)[at]);
    const int32 tail = at + Base(h)[at] + 1;
    if (delta > 0) {
        if (const TqErr err = SetSize(h, used + delta)) return err;
        MoveBlock(Base(h) + tail, Base(h) + tail + delta, uInt64(used - tail));
    } else if (delta < 0) {
        MoveBlock(Base(h) + tail, Base(h) + tail + delta, uInt64(used - tail));
    }
    std::memcpy(Base(h) + at, copy, size_t(copy[0]) + 1);
    if (delta < 0) SetSize(h, used + delta);  // a smaller block is always usable
    return kErrNone;
}

int32 CPStrSearch(CPStrHandle h, ConstPStr s, CPStrCompareProc compare) {
    if (!Usable(h) || !compare) {
        TQ_REPORT(kDbgFatal, "");
        return -1;
    }
    const uChar* e = (*h)->str;
    for (int32 i = 0; i < (*h)->cnt; ++i, e += e[0] + 1)
        if (compare(s, e) == 0) return i;
    return -1;
}

TqErr CPStrSetToNEmptyStrings(CPStrHandle* h, int32 n) {
    if (!h || n < 0) return kErrArgument;
    UHandle* raw = reinterpret_cast<UHandle*>(h);
    if (const TqErr err = DSSetHandleSizeOrNewHandle(raw, uInt64(4) + uInt64(n))) return err;
    (**h)->cnt = n;
    std::memset((**h)->str, 0, size_t(n));
    return kErrNone;
}

TqErr CPStrClear(CPStrHandle h) {
    if (!Usable(h)) return 1;
    (*h)->cnt = 0;
    return SetSize(h, 4);
}

int32 CPStrCmp(CPStrHandle a, CPStrHandle b) {
    return ComparePackedLists(a, b, PStrCmp);
}

Bool32 CPStrEqual(CPStrHandle a, CPStrHandle b) {
    return PackedCount(a) == PackedCount(b) && ComparePackedLists(a, b, PStrCmp) == 0;
}

namespace tq::strings {

int32 ComparePackedLists(CPStrHandle a, CPStrHandle b, CPStrCompareProc compare) {
    const int32 na = PackedCount(a);
    const int32 nb = PackedCount(b);
    const uChar* ea = na ? (*a)->str : nullptr;
    const uChar* eb = nb ? (*b)->str : nullptr;
    for (int32 i = 0; i < na && i < nb; ++i, ea += ea[0] + 1, eb += eb[0] + 1)
        if (const int32 order = compare(ea, eb)) return order;
    return na - nb;
}

bool EqualPackedLists(CPStrHandle a, CPStrHandle b, int32 n, Bool32 (*equal)(ConstPStr, ConstPStr)) {
    if (PackedCount(a) < n || PackedCount(b) < n) return false;
    const uChar* ea = n ? (*a)->str : nullptr;
    const uChar* eb = n ? (*b)->str : nullptr;
    for (int32 i = 0; i < n; ++i, ea += ea[0] + 1, eb += eb[0] + 1)
        if (!equal(ea, eb)) return false;
    return true;
}

}  // namespace tq::strings
