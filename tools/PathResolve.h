// tqcore path resolve: a path through its shortcuts and symbolic links, step by step.
#pragma once

namespace tool {

// argv[0] is "resolve".
int PathResolve(int argc, char** argv);
extern const char* const kPathResolveUsage;

}  // namespace tool
