// The process-wide registry of configuration types, and what starts it with the built-in types.
#pragma once

#include "tqcore/config.h"

namespace tq::config {

// Registers the built-in types in their order, the number aliases after their codes.
TqErr RegisterCoreConfigTypes();
void UnregisterCoreConfigTypes();
// Whether a path value's written text reads back as the same path. Only a path no OS names fails (a volume
// name holding both ':' and '/'): its text is then the display text, which reads as another path.
bool PathValueTextHolds(const PathRef& path);
// The four characters of a type code, for messages.
std::string TypeCodeText(int32 type);

}  // namespace tq::config
