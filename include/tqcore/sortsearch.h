// tqcore/sortsearch.h - generic sort and binary search, stock comparisons, handle object lists.
// Sorting and searching touch only the caller's array; a handle object list is not locked: one thread at a
// time.
#pragma once

#include "tqcore/types.h"

// Negative, zero or positive as a orders before, with or after b.
typedef int32 (*QSortCompareProc)(const void* a, const void* b);
typedef int32 (*QSortCompareExProc)(const void* a, const void* b, void* context);

// Position that means "at the end" for the object-list functions.
enum TQ_ENUM_TYPE(int32) { kHObjListEnd = 0x7FFFFFFF };

TQ_EXTERN_C_BEGIN
// Ascending in-place sort, not stable. A null base, null compare or zero element size sorts nothing.
TQ_API void QSort(void* base, size_t count, size_t elementSize, QSortCompareProc compare);
TQ_API void QSortEx(void* base, size_t count, size_t elementSize, QSortCompareExProc compare, void* context);
// As QSort with the swap granularity given apart: odd swaps bytes, bit 1 set swaps 16-bit units, else 32-bit.
TQ_API void QSort2(void* base, size_t count, size_t swapGrain, size_t elementSize, QSortCompareProc compare);
TQ_API void QSort2Ex(void* base, size_t count, size_t swapGrain, size_t elementSize,
                     QSortCompareExProc compare, void* context);
// Index of an element comparing equal to key (compare(key, element)), else the complement of the insertion
// index; -1 for an empty array.
TQ_API int32 BinSearch(const void* base, int32 count, size_t elementSize, const void* key,
                       QSortCompareProc compare);
TQ_API int32 BinSearchEx(const void* base, int32 count, size_t elementSize, const void* key,
                         QSortCompareExProc compare, void* context);

TQ_API int32 CompareInt16s(const void* a, const void* b);
// *a - *b with 32-bit wrap-around.
TQ_API int32 CompareInt32s(const void* a, const void* b);
// -1, 0 or 1 over unsigned pointer-sized values.
TQ_API int32 CompareUIntPtrTs(const void* a, const void* b);

// Handle object lists: a handle holding an int32 count, 4 bytes of gap, then the object pointers. A null
// list is fatal misuse (level-4 report). Positions outside the range are pinned as each function says.
// 0 or the memory manager's resize error.
TQ_API TqErr HObjListInsert(UHandle list, void* object, int32 position);
// Removes and returns the object at the pinned position (kHObjListEnd = last); null for an empty list.
TQ_API void* HObjListDelete(UHandle list, int32 position);
// Highest index holding object, or -1.
TQ_API int32 HObjListSearch(UHandle list, const void* object);
// 1 when found and deleted, else 0.
TQ_API int32 HObjListSearchDelete(UHandle list, const void* object);
// 1 when moved to index 0; 0 when already first or absent (absent is reported at level 0).
TQ_API int32 HObjListBringToFront(UHandle list, const void* object);
// Exchanges two entries; an index out of range is reported at level 4 and changes nothing.
TQ_API void HObjListSwap(UHandle list, int32 i, int32 j);
// Drops null entries keeping order and shrinks the handle.
TQ_API void HCompactObjList(UHandle list);
TQ_EXTERN_C_END
