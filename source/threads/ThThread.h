// Internal view of the thread service: the priority table the exported calls use.
#pragma once

#include "tqcore/threads.h"

namespace tq::threads {

// The priority level a native priority falls in: the lowest level whose native value is at least it.
int32 PriorityLevelForNative(int32 nativePriority);

// Reads the integer setting named token into *value; false when there is none. The configuration layer sits
// above threads: it installs its reader while it runs, and the thread service reads through it at its start.
using IntegerSettingReader = bool (*)(const char* token, int32* value);
// Installs reader (null removes it); the one installed before is returned.
IntegerSettingReader SetIntegerSettingReader(IntegerSettingReader reader);

// The native priority configured for a level: the token's value, or the default when it is absent or no
// reader is installed.
int32 ReadPriorityToken(const char* token, int32 fallback);

}  // namespace tq::threads
