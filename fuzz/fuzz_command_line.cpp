// Splitting one command line: never overruns, and arguments rejoined with quotes split back to themselves.
#include <string>
#include <vector>

#include "tqcore/core.h"
#include "tqcore/sysinfo.h"

namespace {

std::vector<std::string> Split(const std::string& line) {
    int32 n = 0;
    char** a = nullptr;
    if (NewCommandLineArgsFromSingleLine(line.c_str(), "prog", &n, &a) != kErrNone) __builtin_trap();
    std::vector<std::string> out(a + 1, a + n);
    if (std::string(a[0]) != "prog") __builtin_trap();
    DeleteCommandLineArgsFromSingleLine(n, a);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> args = Split(line.c_str());
    size_t bytes = 0;
    bool quotesInside = false;
    for (const std::string& s : args) {
        bytes += s.size();
        quotesInside |= s.find('"') != std::string::npos;
    }
    if (bytes > line.size()) __builtin_trap();
    if (quotesInside) return 0;  // a quote inside an argument cannot be written back in this syntax
    std::string joined;
    for (const std::string& s : args) joined += " \"" + s + "\"";
    if (Split(joined) != args) __builtin_trap();
    return 0;
}
