// Code-page conversions of whole strings, always through UTF-16: measure, size the target, fill.
#pragma once

#include <new>
#include <string>

#include "tqcore/core.h"

namespace tq::strings {

// False (and an empty result) when the text cannot be converted; std::bad_alloc when memory runs out.
bool NarrowToWide(uInt32 codePage, const char* s, size_t length, TQWString& out);
bool WideToNarrow(uInt32 codePage, const TQWChar* s, size_t length, std::string& out);

// Runs f, mapping allocation failure to kErrMemoryFull.
template <class F>
TqErr NoThrow(F&& f) {
    try {
        f();
        return kErrNone;
    } catch (const std::bad_alloc&) {
        return kErrMemoryFull;
    }
}

inline void ThrowIfFailed(TqErr err) {
    if (err == kErrMemoryFull) throw std::bad_alloc();
}

}  // namespace tq::strings
