// The report every stream buffer and writer makes when it is destroyed holding an error.
#pragma once

#include "diagnostics/Report.h"

namespace tq::bindata {

// prefix is the class name followed by "finished with ".
inline void ReportFinalError(const char* unit, int32 line, const char* prefix, TqErr err) {
    if (err != 0) ::tq::diagnostics::Report(unit, line, kDbgWarn, 0, prefix, err, " error");
}

}  // namespace tq::bindata

#define TQ_REPORT_FINAL_ERROR(prefix, err) ::tq::bindata::ReportFinalError(TQ_UNIT, __LINE__, (prefix), (err))
