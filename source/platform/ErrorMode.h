// The process's handling of critical errors (a drive not ready, a missing disk): quiet failures instead of
// system dialogs, so a file call on such a drive fails with an error code.
#pragma once

namespace tq::platform {

// Process-wide; nothing to do where the system never asks the user.
void FailCriticalErrorsQuietly();

}  // namespace tq::platform
