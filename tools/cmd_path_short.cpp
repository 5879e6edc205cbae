#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <string>
#include <vector>

#include "PathShort.h"
#include "tqcore/core.h"
#include "tqcore/paths.h"

namespace tool {

const char* const kPathShortUsage = "       tqcore path short PATH... --width N [--style trim|full]\n";

namespace {

int Fail(const char* why) {
    std::fprintf(stderr, "tqcore path short: %s\n%s", why, kPathShortUsage);
    return 2;
}

}  // namespace

// Prints one abbreviated display string per PATH, each at most N characters. The trim style shows names
// alone while they tell the paths apart; full always starts from the whole display text.
int PathShort(int argc, char** argv, const char* os) {
    std::list<PathRef> paths;
    long width = -1;
    bool full = false;
    for (int i = 1; i < argc; ++i) {
        const bool last = i + 1 >= argc;
        if (!std::strcmp(argv[i], "--width")) {
            char* end = nullptr;
            width = last ? -1 : std::strtol(argv[i + 1], &end, 10);
            if (last || !end || *end || width < 0) return Fail("--width needs a number N >= 0");
            ++i;
        } else if (!std::strcmp(argv[i], "--style")) {
            if (last || (std::strcmp(argv[i + 1], "trim") && std::strcmp(argv[i + 1], "full")))
                return Fail("--style is trim or full");
            full = !std::strcmp(argv[++i], "full");
        } else {
            try {
                paths.emplace_back(argv[i], os);
            } catch (const PKExcept& e) {
                std::fprintf(stderr, "tqcore path short: \"%s\" is not a path: error %d\n", argv[i],
                             int(e.ErrorCode()));
                return 1;
            }
        }
    }
    if (paths.empty()) return Fail("PATH is missing");
    if (width < 0) return Fail("--width is missing");
    TrimFromFrontAbbreviationStyle style;
    style.SetForceFullPathStrings(full);
    std::vector<std::string> out;
    try {
        PathRef::ToAbbreviatedDisplayStrings(paths, &out, style, CharCountMeasurementStyle(uInt32(width)));
    } catch (const PKExcept& e) {
        std::fprintf(stderr, "tqcore path short: error %d: %s\n", int(e.ErrorCode()), e.Detail());
        return 1;
    }
    for (const std::string& s : out) std::printf("%s\n", s.c_str());
    return 0;
}

}  // namespace tool
