#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Command.h"
#include "tqcore/sysinfo.h"

namespace {

int Run(int argc, char** argv);

const tool::Command kCommand{
    "guid", "create GUIDs or check GUID text",
    "usage: tqcore guid [COUNT]\n"
    "       tqcore guid --check TEXT\n"
    "Prints COUNT (default 1) new GUIDs, or checks that TEXT is a GUID (exit 1 if not)\n"
    "and prints its canonical form.\n",
    Run};

int Check(const char* text) {
    PKGuidType g;
    char canonical[kPKGuidTextSize];
    if (PKGuidFromCStr(text, &g) != 0 || PKGuidToCStr(&g, canonical) != 0) {
        std::fprintf(stderr, "tqcore guid: not a GUID: \"%s\"\n", text);
        return 1;
    }
    std::printf("%s\n", canonical);
    return 0;
}

int Create(long count) {
    for (long i = 0; i < count; ++i) {
        char text[kPKGuidTextSize];
        if (PKGuidCreateStr(text) != 0) {
            std::fprintf(stderr, "tqcore guid: cannot write a GUID's text\n");
            return 1;
        }
        std::printf("%s\n", text);
    }
    return 0;
}

int Run(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--check") == 0) {
        if (argc != 3) return tool::UsageError(kCommand, "--check takes one TEXT");
        return Check(argv[2]);
    }
    if (argc > 2) return tool::UsageError(kCommand, "too many arguments");
    long count = 1;
    if (argc == 2) {
        char* end = nullptr;
        count = std::strtol(argv[1], &end, 10);
        if (!*argv[1] || *end || count < 1 || count > 1000000) return tool::UsageError(kCommand, "bad COUNT");
    }
    return Create(count);
}

const tool::CommandRegistrar kRegistrar(kCommand);

}  // namespace
