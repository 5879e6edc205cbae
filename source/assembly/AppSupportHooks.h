// What InitTQCoreAppSupport needs from managers that come later: the configuration manager's default lookup
// and the memory manager's application settings. Each owner replaces its hook's body when it lands.
#pragma once

namespace tq::assembly {

// The Boolean preference for token (CfgGetDefault with type 'Bool'); false when unset or unreadable.
bool PreferenceBool(const char* token);
// Applies the buffer-cache settings and the memory switches read from the preference file.
void ApplyMemoryAppSettings();

}  // namespace tq::assembly
