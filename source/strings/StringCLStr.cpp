// Packed long-string lists: count, then long strings each padded with zeros to a multiple of 4 bytes.
#include <cstring>

#include "diagnostics/Report.h"
#include "strings/PackedLists.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"
#include "tqcore/strings.h"

#define TQ_UNIT "source\\StringCLStr"

namespace {

using tq::strings::PinIndex;
using tq::strings::ReserveListBlock;

int64 ElementSize(int32 length) {
    return 4 + ((int64(length) + 3) & ~int64(3));
}

int32 CountOf(const CLStr* list) {
    return list->cnt > 0 ? list->cnt : 0;
}

const uChar* Start(const CLStr* list) {
    return reinterpret_cast<const uChar*>(list);
}

int32 LengthAt(const CLStr* list, int64 offset) {
    int32 n;
    std::memcpy(&n, Start(list) + offset, 4);
    return n > 0 ? n : 0;
}

int64 OffsetOf(const CLStr* list, int32 i) {
    int64 at = 4;
    for (int32 k = 0; k < i; ++k) at += ElementSize(LengthAt(list, at));
    return at;
}

TqErr SetSize(CLStrHandle h, int64 size) {
    return DSSetHandleSize(reinterpret_cast<UHandle>(h), uInt64(size));
}

TqErr Reserve(CLStrHandle h, int64 size, bool exactSize) {
    return ReserveListBlock(reinterpret_cast<UHandle>(h), size, exactSize);
}

// Where an insertion goes: the first element not ordered before s.
int32 SortedPosition(const CLStr* list, const LStr* s, bool* equal) {
    const int32 count = CountOf(list);
    int64 at = 4;
    for (int32 i = 0; i < count; ++i) {
        const auto* e = reinterpret_cast<const LStr*>(Start(list) + at);
        const int32 order = LStrCmp(e, s);
        if (order >= 0) {
            *equal = order == 0;
            return i;
        }
        at += ElementSize(LengthAt(list, at));
    }
    *equal = false;
    return count;
}

}  // namespace

int32 CLStrSize(const CLStr* list) {
    return list ? int32(OffsetOf(list, CountOf(list))) : 0;
}

LStr* CLStrIndex(const CLStr* list, int32 i) {
    if (!list) {
        TQ_REPORT(kDbgFatal, "invalid buffer passed to CLStrIndex");
        return nullptr;
    }
    return reinterpret_cast<LStr*>(const_cast<uChar*>(Start(list)) +
                                   OffsetOf(list, PinIndex(i, CountOf(list))));
}

TqErr CLStrInsert(CLStrHandle h, const LStr* s, int32 i, Bool32 exactSize) {
    if (!h || !*h || !s || s->cnt < 0) {
        TQ_REPORT(kDbgFatal, "Invalid dest buffer or insert buffer passed to CLStrInsert");
        return kErrArgument;
    }
    const int32 count = CountOf(*h);
    const int64 used = CLStrSize(*h);
    const int64 size = ElementSize(s->cnt);
    // A string taken from the list itself is found again after the block moves.
    const int64 held = DSGetHandleSize(reinterpret_cast<UHandle>(h));
    const int64 inside = reinterpret_cast<const uChar*>(s) - Start(*h);
    const bool own = inside >= 0 && inside < held;
    if (const TqErr err = Reserve(h, used + size, exactSize != 0)) return err;
    const int64 at = i < count ? OffsetOf(*h, i < 0 ? 0 : i) : used;
    uChar* base = reinterpret_cast<uChar*>(*h);
    MoveBlock(base + at, base + at + size, uInt64(used - at));
    if (own) s = reinterpret_cast<const LStr*>(base + inside + (inside >= at ? size : 0));
    const int32 length = s->cnt;
    MoveBlock(s, base + at, uInt64(4) + uInt64(length));
    std::memset(base + at + 4 + length, 0, size_t(size - 4 - length));
    (*h)->cnt = count + 1;
    return kErrNone;
}

TqErr CLStrInsertSort(CLStrHandle h, const LStr* s, Bool32 allowDuplicate, int32* index, Bool32* inserted,
                      Bool32 exactSize) {
    if (!h || !*h || !s || s->cnt < 0) {
        TQ_REPORT(kDbgFatal, "Invalid dest buffer or insert buffer passed to CLStrInsertSort");
        return kErrArgument;
    }
    bool equal = false;
    const int32 at = SortedPosition(*h, s, &equal);
    if (index) *index = at;
    if (!allowDuplicate && equal) {
        if (inserted) *inserted = 0;
        return kErrNone;
    }
    const TqErr err = CLStrInsert(h, s, at, exactSize);
    if (inserted) *inserted = err == kErrNone;
    return err;
}

TqErr CLStrRemove(CLStrHandle h, int32 i) {
    if (!h || !*h || CountOf(*h) == 0) {
        TQ_REPORT(kDbgFatal, "invalid buffer passed to CLStrIndex");
        return kErrArgument;
    }
    const int64 used = CLStrSize(*h);
    const int64 at = OffsetOf(*h, PinIndex(i, CountOf(*h)));
    const int64 size = ElementSize(LengthAt(*h, at));
    uChar* base = reinterpret_cast<uChar*>(*h);
    MoveBlock(base + at + size, base + at, uInt64(used - at - size));
    (*h)->cnt -= 1;
    SetSize(h, used - size);  // a smaller block is always usable
    return kErrNone;
}

TqErr StdToCLStr(CLStrHandle h) {
    const int64 size = h && *h ? DSGetHandleSize(reinterpret_cast<UHandle>(h)) : 0;
    if (size < 4) {
        TQ_REPORT(kDbgFatal, "");
        return kErrArgument;
    }
    uChar* base = reinterpret_cast<uChar*>(*h);
    RevBL(base);
    int64 at = 4;
    bool fits = (*h)->cnt >= 0;
    for (int32 i = 0; fits && i < (*h)->cnt; ++i) {
        if (size - at < 4) {
            fits = false;
            break;
        }
        RevBL(base + at);
        int32 length;
        std::memcpy(&length, base + at, 4);
        fits = length >= 0 && ElementSize(length) <= size - at;
        if (fits) at += ElementSize(length);
    }
    if (!fits || at != size) {
        TQ_REPORT(kDbgFatal, "");
        return kErrArgument;
    }
    return kErrNone;
}
