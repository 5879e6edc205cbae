// The process-wide registry of setting groups ("CfgSettings"), started with the configuration manager.
#pragma once

#include "tqcore/config.h"

namespace tq::config {

void SettingsRegistryAdd(CfgSettings* g);
void SettingsRegistryRemove(CfgSettings* g);
int32 SettingsRegistryCount();
bool SettingsRegistryHolds(CfgSettings* g);

}  // namespace tq::config
