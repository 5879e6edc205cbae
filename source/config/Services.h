// The configuration subsystem's start and stop, and the main manager the plain functions use.
#pragma once

#include "threads/Services.h"
#include "tqcore/config.h"

namespace tq::config {

ConfigManager* MainManager();
// The ConfigManager service's work: the registry of types, the main manager and the registry of groups.
TqErr StartMainManager();
TqErr StopMainManager();
TqErr StartSettingsRegistry();
void StopSettingsRegistry();

}  // namespace tq::config
