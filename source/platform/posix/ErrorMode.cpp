// POSIX only: the system reports a missing device as an error already; no dialog to suppress.
#include "platform/ErrorMode.h"

namespace tq::platform {

void FailCriticalErrorsQuietly() {}

}  // namespace tq::platform
