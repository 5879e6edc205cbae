// tqcore path short: abbreviated display strings.
#pragma once

namespace tool {

// argv[0] is "short"; os is the text format of the operating system's own path form.
int PathShort(int argc, char** argv, const char* os);
extern const char* const kPathShortUsage;

}  // namespace tool
