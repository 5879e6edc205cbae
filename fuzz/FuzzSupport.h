// Helpers the stream and flattened-path fuzz targets share.
#pragma once

#include <cstdint>

#include "tqcore/bindata.h"

namespace fuzz {

inline void Check(bool ok) {
    if (!ok) __builtin_trap();
}

// One of the three byte-order converters, picked by an input byte.
inline const Endianizer* Converter(uint8_t selector) {
    switch (selector % 3) {
        case 0:
            return BigEndianizer();
        case 1:
            return LittleEndianizer();
        default:
            return NativeEndianizer();
    }
}

}  // namespace fuzz
