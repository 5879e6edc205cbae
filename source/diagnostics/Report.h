// One-call reporting through a debug stream, for every unit of the library.
#pragma once

#include "tqcore/diagnostics.h"

namespace tq::diagnostics {

inline constexpr const char* kRevision = "tqcore-1";

template <class... Parts>
void Report(const char* unit, int32 line, DebugOutputLevel level, uInt32 site, const Parts&... parts) {
    DebugStream s(unit, line, kRevision, level);
    s.SetSiteId(site);
    (ToDebugStream(s, parts), ...);
    s.Process();
}

}  // namespace tq::diagnostics

// Each unit defines TQ_UNIT as its source unit name, e.g. "source\\ServiceRegistry".
#define TQ_REPORT(level, ...) ::tq::diagnostics::Report(TQ_UNIT, __LINE__, (level), 0, __VA_ARGS__)
