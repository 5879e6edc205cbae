// Shared helpers for the numerics tests: extended values in their packed form.
#pragma once

#include <cstring>

#include "tqcore/core.h"
#include "tqcore/numerics.h"

namespace numtest {

inline float80 Pack(long double v) {
    float80 p;
    std::memcpy(&p, &v, sizeof p);
    return p;
}
inline long double Unpack(const float80& p) {
    long double v = 0;
    std::memcpy(&v, &p, sizeof p);
    return v;
}

}  // namespace numtest
