// What InitTQCoreAppSupport needs from managers that come later: the configuration manager's default lookup
// and the memory manager's application settings. Each owner replaces its hook's body when it lands.
#pragma once

#include "tqcore/types.h"

namespace tq::assembly {

// The Boolean preference for token (CfgGetDefault with type 'Bool'); false when unset or unreadable.
bool PreferenceBool(const char* token);
// The 32-bit integer ('I32 ') and float ('F32 ') preferences for token; false when unset or unreadable, value
// then untouched.
bool PreferenceInt32(const char* token, int32* value);
bool PreferenceFloat32(const char* token, float* value);
// Applies the buffer-cache settings and the memory switches read from the preference file.
void ApplyMemoryAppSettings();

}  // namespace tq::assembly
