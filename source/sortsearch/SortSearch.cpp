// Generic sorting and binary search over element arrays.
#include <cstring>

#include "sortsearch/QuickSort.h"

namespace tq::sortsearch {

size_t SwapUnitFor(size_t swapGrain) {
    if (swapGrain & 1) return 1;
    if (swapGrain & 2) return 2;
    return 4;
}

namespace {

struct PlainCompare {
    QSortCompareProc proc;
    int32 operator()(const void* a, const void* b) const { return proc(a, b); }
};

struct ExCompare {
    QSortCompareExProc proc;
    void* context;
    int32 operator()(const void* a, const void* b) const { return proc(a, b, context); }
};

template <class Unit>
void SwapElements(char* a, char* b, size_t size) {
    size_t off = 0;
    for (; off + sizeof(Unit) <= size; off += sizeof(Unit)) {
        Unit x, y;
        std::memcpy(&x, a + off, sizeof x);
        std::memcpy(&y, b + off, sizeof y);
        std::memcpy(a + off, &y, sizeof y);
        std::memcpy(b + off, &x, sizeof x);
    }
    // A granularity that does not divide the element size leaves a tail; it goes byte by byte.
    for (; off < size; ++off) {
        const char t = a[off];
        a[off] = b[off];
        b[off] = t;
    }
}

// Each level halves the remaining work, so 64 entries cover any size_t count.
constexpr int kStackSize = 64;

template <class Compare, class Unit>
class Sorter {
  public:
    Sorter(char* base, size_t size, Compare compare) : base_(base), size_(size), compare_(compare) {}

    int32 Run(size_t count) {
        struct Range {
            size_t lo, hi;
        } stack[kStackSize];
        int depth = 0, deepest = 0;
        Range r{0, count - 1};
        for (;;) {
            if (r.hi - r.lo + 1 > 3) {
                // The median-of-three sentinels keep the pivot strictly inside: both sides are non-empty.
                const size_t cut = Partition(r.lo, r.hi);
                const Range left{r.lo, cut - 1}, right{cut + 1, r.hi};
                const bool leftLarger = cut - r.lo > r.hi - cut;
                const Range& larger = leftLarger ? left : right;
                const Range& smaller = leftLarger ? right : left;
                // The larger side waits, the smaller goes next: the stack stays logarithmic.
                if (larger.hi > larger.lo) {
                    stack[depth++] = larger;
                    if (depth > deepest) deepest = depth;
                }
                if (smaller.hi > smaller.lo) {
                    r = smaller;
                    continue;
                }
            } else {
                SortSmall(r.lo, r.hi);
            }
            if (depth == 0) break;
            r = stack[--depth];
        }
        return deepest;
    }

  private:
    char* At(size_t i) const { return base_ + i * size_; }
    int32 Cmp(size_t i, size_t j) const { return compare_(At(i), At(j)); }
    void Swap(size_t i, size_t j) { SwapElements<Unit>(At(i), At(j), size_); }
    void OrderPair(size_t i, size_t j) {
        if (Cmp(i, j) > 0) Swap(i, j);
    }

    // Ranges of one, two or three elements.
    void SortSmall(size_t lo, size_t hi) {
        if (hi <= lo) return;
        if (hi == lo + 1) {
            OrderPair(lo, hi);
            return;
        }
        MedianOfThree(lo, lo + 1, hi);
    }

    void MedianOfThree(size_t first, size_t mid, size_t last) {
        OrderPair(first, mid);
        OrderPair(first, last);
        OrderPair(mid, last);
    }

    // Returns where the pivot settles; everything before it compares at or below it, everything after at or
    // above.
    size_t Partition(size_t lo, size_t hi) {
        const size_t mid = lo + (hi - lo) / 2;
        MedianOfThree(lo, mid, hi);
        const size_t pivot = hi - 1;
        Swap(mid, pivot);
        size_t i = lo, j = pivot;
        for (;;) {
            while (Cmp(++i, pivot) < 0) {
            }
            while (Cmp(--j, pivot) > 0) {
            }
            if (i >= j) break;
            Swap(i, j);
        }
        Swap(i, pivot);
        return i;
    }

    char* base_;
    size_t size_;
    Compare compare_;
};

template <class Compare>
int32 SortWith(char* base, size_t count, size_t unit, size_t size, Compare compare) {
    switch (unit) {
        case 1:
            return Sorter<Compare, uInt8>(base, size, compare).Run(count);
        case 2:
            return Sorter<Compare, uInt16>(base, size, compare).Run(count);
        default:
            return Sorter<Compare, uInt32>(base, size, compare).Run(count);
    }
}

}  // namespace

int32 QuickSort(void* base, size_t count, size_t swapGrain, size_t elementSize, const SortCompare& compare) {
    if (!base || count < 2 || elementSize == 0 || (!compare.plain && !compare.ex)) return 0;
    char* const b = static_cast<char*>(base);
    const size_t unit = SwapUnitFor(swapGrain);
    if (compare.plain) return SortWith(b, count, unit, elementSize, PlainCompare{compare.plain});
    return SortWith(b, count, unit, elementSize, ExCompare{compare.ex, compare.context});
}

namespace {

template <class Compare>
int32 Search(const void* base, int32 count, size_t elementSize, const void* key, Compare compare) {
    if (count <= 0 || !base || !key) return -1;
    const char* const b = static_cast<const char*>(base);
    int32 lo = 0, hi = count - 1, mid = 0, last = 0;
    while (lo <= hi) {
        mid = lo + (hi - lo) / 2;
        last = compare(key, b + size_t(mid) * elementSize);
        if (last == 0) return mid;
        if (last < 0)
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    return last < 0 ? ~mid : ~(mid + 1);
}

}  // namespace

}  // namespace tq::sortsearch

void QSort(void* base, size_t count, size_t elementSize, QSortCompareProc compare) {
    tq::sortsearch::QuickSort(base, count, elementSize, elementSize,
                              tq::sortsearch::SortCompare{compare, nullptr, nullptr});
}

void QSortEx(void* base, size_t count, size_t elementSize, QSortCompareExProc compare, void* context) {
    tq::sortsearch::QuickSort(base, count, elementSize, elementSize,
                              tq::sortsearch::SortCompare{nullptr, compare, context});
}

void QSort2(void* base, size_t count, size_t swapGrain, size_t elementSize, QSortCompareProc compare) {
    tq::sortsearch::QuickSort(base, count, swapGrain, elementSize,
                              tq::sortsearch::SortCompare{compare, nullptr, nullptr});
}

void QSort2Ex(void* base, size_t count, size_t swapGrain, size_t elementSize, QSortCompareExProc compare,
              void* context) {
    tq::sortsearch::QuickSort(base, count, swapGrain, elementSize,
                              tq::sortsearch::SortCompare{nullptr, compare, context});
}

int32 BinSearch(const void* base, int32 count, size_t elementSize, const void* key,
                QSortCompareProc compare) {
    if (!compare) return -1;
    return tq::sortsearch::Search(base, count, elementSize, key, tq::sortsearch::PlainCompare{compare});
}

int32 BinSearchEx(const void* base, int32 count, size_t elementSize, const void* key,
                  QSortCompareExProc compare, void* context) {
    if (!compare) return -1;
    return tq::sortsearch::Search(base, count, elementSize, key, tq::sortsearch::ExCompare{compare, context});
}

int32 CompareInt16s(const void* a, const void* b) {
    return int32(*static_cast<const int16*>(a)) - int32(*static_cast<const int16*>(b));
}

int32 CompareInt32s(const void* a, const void* b) {
    return int32(uInt32(*static_cast<const int32*>(a)) - uInt32(*static_cast<const int32*>(b)));
}

int32 CompareUIntPtrTs(const void* a, const void* b) {
    const uintptr_t x = *static_cast<const uintptr_t*>(a), y = *static_cast<const uintptr_t*>(b);
    return x < y ? -1 : x > y ? 1 : 0;
}
