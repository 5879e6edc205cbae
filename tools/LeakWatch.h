// The program's --leaks switch: handles made while a command runs and still live once the library has
// stopped are listed, with the stacks that made them.
#pragma once

#include <cstdio>

namespace tool {

// Tracks from construction on; one at a time.
class LeakWatch {
  public:
    LeakWatch();
    ~LeakWatch();
    LeakWatch(const LeakWatch&) = delete;
    LeakWatch& operator=(const LeakWatch&) = delete;
    // Stops tracking and writes the report to out: the dump, or one line when nothing leaked. Returns the
    // number of leaked handles (-1 when tracking could not start).
    long long Report(FILE* out);
};

}  // namespace tool
