// Which process-wide endianizer a pointer names, so the library can convert inline for the three shared
// instances, and byte reversal of longer blocks.
#pragma once

#include <cstring>

#include "tqcore/bindata.h"

namespace tq::bindata {

using tq::bindata::Load;
using tq::bindata::Order;
using tq::bindata::Reverse;
using tq::bindata::Store;

// Copies n bytes in reverse order; src and dst may be the same block but must not overlap otherwise.
inline void ReverseBytes(const void* src, void* dst, size_t n) {
    uChar tmp[16];
    std::memcpy(tmp, src, n);
    auto* out = static_cast<uChar*>(dst);
    for (size_t i = 0; i < n; ++i) out[i] = tmp[n - 1 - i];
}

// Zero bytes that bring `used` up to a multiple of a; an alignment of 0 counts as 1.
inline size_t PadTo(size_t used, size_t a) {
    return a > 1 ? (a - used % a) % a : 0;
}

// Static storage of the three instances; their addresses are fixed before any is built.
extern const void* const kSwappingInstance;
extern const void* const kLittleInstance;
extern const void* const kNativeInstance;

inline Order InstanceOrder(const Endianizer* e) {
    if (e == kSwappingInstance) return Order::kReversed;
    if (e == kLittleInstance || e == kNativeInstance) return Order::kHost;
    return Order::kOther;
}

// One integer or float of T's width through e: inline for the shared instances, virtual otherwise.
template <class T>
inline T ToHost(const Endianizer* e, const void* src) {
    switch (InstanceOrder(e)) {
        case Order::kReversed:
            return Reverse(Load<T>(src));
        case Order::kHost:
            return Load<T>(src);
        case Order::kOther:
            break;
    }
    T v;
    if constexpr (sizeof(T) == 2) {
        v = e->Get16(src);
    } else if constexpr (sizeof(T) == 4) {
        v = e->Get32(src);
    } else {
        e->ToNative64(src, &v);
    }
    return v;
}

template <class T>
inline void FromHost(const Endianizer* e, T v, void* dst) {
    switch (InstanceOrder(e)) {
        case Order::kReversed:
            Store(dst, Reverse(v));
            return;
        case Order::kHost:
            Store(dst, v);
            return;
        case Order::kOther:
            break;
    }
    if constexpr (sizeof(T) == 2) {
        e->FromNative16(&v, dst);
    } else if constexpr (sizeof(T) == 4) {
        e->FromNative32(&v, dst);
    } else {
        e->FromNative64(&v, dst);
    }
}

}  // namespace tq::bindata
