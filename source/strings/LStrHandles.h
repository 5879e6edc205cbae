// Long strings as memory-manager handles: the few block operations every string unit shares.
#pragma once

#include "memory/HandleQuery.h"
#include "platform/CodePage.h"
#include "strings/ByteScan.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"
#include "tqcore/strings.h"

namespace tq::strings {

inline constexpr int64 kLStrHeader = 4;

inline UHandle AsHandle(LStrHandle h) {
    return reinterpret_cast<UHandle>(h);
}
inline LStr* Deref(LStrHandle h) {
    return h ? *h : nullptr;
}
// A damaged negative count reads as empty so no caller walks backwards.
inline int32 Count(const LStr* s) {
    return s && s->cnt > 0 ? s->cnt : 0;
}
inline int32 Count(LStrHandle h) {
    return Count(Deref(h));
}
inline const uChar* Bytes(const LStr* s) {
    return s ? s->str : nullptr;
}
inline int64 BlockSize(LStrHandle h) {
    return tq::memory::HandleSize(AsHandle(h));
}
// Past 1 KiB one fixed layout (text 8-aligned): the size-dependent default moves every byte at each resize.
inline TqErr Resize(LStrHandle h, int64 bytes) {
    if (bytes < 1024) return DSSetHandleSize(AsHandle(h), uInt64(bytes));
    return DSSetAlignedHandleSize(AsHandle(h), uInt64(bytes), 8, 4);
}
inline LStrHandle NewLStr(int64 bytes) {
    return reinterpret_cast<LStrHandle>(DSNewHandle(uInt64(bytes)));
}
inline void Dispose(LStrHandle h) {
    if (h) DSDisposeHandle(AsHandle(h));
}
// Total block size for a count, or -1 when it cannot be held in a signed 32-bit count.
inline int64 SizeFor(int64 count) {
    return count > INT32_MAX ? -1 : kLStrHeader + count;
}

// Fold of one byte through the active ANSI code page (the platform single-character conversion).
uChar FoldLower(uChar c);
// The same, folding every differing pair through the table: the reference the block scan must match.
int32 CaseCompareBytesByTable(const uChar* a, int32 lengthA, const uChar* b, int32 lengthB);
// Case-insensitive order of two byte runs under the comparison rule: folded difference or length difference.
// Before the code page's tables are first chosen, the table path chooses them.
inline int32 CaseCompareBytes(const uChar* a, int32 lengthA, const uChar* b, int32 lengthB) {
    const platform::AnsiLowerFold* fold = platform::gAnsiLowerFold.load(std::memory_order_acquire);
    if (!fold || !fold->asciiPlain) return CaseCompareBytesByTable(a, lengthA, b, lengthB);
    return gCaseCompareAsciiPlain(fold->table, a, lengthA, b, lengthB);
}
// Byte order with the sign of memcmp over the prefix, then length A - length B.
int32 CompareBytes(const uChar* a, int32 lengthA, const uChar* b, int32 lengthB);
// UTF-8 width from the lead byte alone, 0 for a byte that cannot start a character.
int32 Utf8Width(uChar lead);

}  // namespace tq::strings
