// Shortcut files on the names handed to the operating system.
#pragma once

#include <cstddef>
#include <string>

namespace tq::files {

// True when text ends in ".lnk", in any case.
bool EndsInLinkExtension(const char* text, size_t length);

// An OS name in the library's text (as OsNameText gives it) with every shortcut on it resolved, when it holds
// ".lnk" (any case) followed by a separator or its end; left as it was otherwise or when nothing resolves.
void ResolveShortcutsOnName(std::string& text);

}  // namespace tq::files
