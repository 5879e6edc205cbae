// Which names the file manager accepts for files and folders: one rule for every OS, so a name that works
// here works on every machine the library runs on.
#pragma once

#include <string>

#include "tqcore/types.h"

namespace tq::files {

// FileNameChk's flags for the name's bytes (library text); each forbidden character found is appended once
// to *bad when given. An empty name gives kNameEmpty.
int32 NameCheckFlags(const char* name, size_t length, std::string* bad);

}  // namespace tq::files
