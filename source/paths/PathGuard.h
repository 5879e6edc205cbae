// The boundary of the plain path functions: no exception leaves them.
#pragma once

#include "tqcore/core.h"

namespace tq::paths {

// f's result, or the code of whatever it threw (a foreign exception gets the boundary's code).
template <class F>
TqErr Guarded(const char* unit, int32 line, F f) {
    try {
        return TqErr(f());
    } catch (...) {
        return GetExceptionInCatch_FileAndLine(unit, line).ErrorCode();
    }
}

}  // namespace tq::paths

#define TQ_GUARDED(...) ::tq::paths::Guarded(TQ_UNIT, __LINE__, __VA_ARGS__)
