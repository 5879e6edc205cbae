// The process-wide registry of configuration types, and what starts it with the built-in types.
#pragma once

#include "tqcore/config.h"

namespace tq::config {

// Registers the built-in types in their order, the number aliases after their codes.
TqErr RegisterCoreConfigTypes();
void UnregisterCoreConfigTypes();
// The four characters of a type code, for messages.
std::string TypeCodeText(int32 type);

}  // namespace tq::config
