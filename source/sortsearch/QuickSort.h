// The sort engine behind QSort and its forms, open to tests for its swap choice and stack depth.
#pragma once

#include "tqcore/sortsearch.h"

namespace tq::sortsearch {

// Bytes per swap unit for a swap granularity: 1, 2 or 4.
size_t SwapUnitFor(size_t swapGrain);

struct SortCompare {
    QSortCompareProc plain = nullptr;
    QSortCompareExProc ex = nullptr;
    void* context = nullptr;
};

// Sorts and returns the deepest the explicit range stack grew.
int32 QuickSort(void* base, size_t count, size_t swapGrain, size_t elementSize, const SortCompare& compare);

}  // namespace tq::sortsearch
