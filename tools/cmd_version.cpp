#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Command.h"
#include "tqcore/sysinfo.h"

namespace {

int Run(int argc, char** argv);

const tool::Command kCommand{"version", "print the text of a packed version number",
                             "usage: tqcore version 0xNNNNNNNN [--level N]\n"
                             "Levels: 0 default, 1 major.minor, 2 major.minor.fix, 3 full.\n",
                             Run};

bool ParseUnsigned(const char* text, int base, unsigned long max, unsigned long& out) {
    if (!text || !*text || *text == '-' || *text == '+') return false;
    char* end = nullptr;
    out = std::strtoul(text, &end, base);
    return *end == '\0' && out <= max;
}

int Run(int argc, char** argv) {
    if (argc != 2 && argc != 4) return tool::UsageError(kCommand, "expected a version and an optional level");
    unsigned long version = 0, level = 0;
    const char* v = argv[1];
    if (std::strncmp(v, "0x", 2) != 0 && std::strncmp(v, "0X", 2) != 0)
        return tool::UsageError(kCommand, "the version is hexadecimal, written 0xNNNNNNNN");
    if (!ParseUnsigned(v + 2, 16, 0xFFFFFFFFul, version)) return tool::UsageError(kCommand, "bad version");
    if (argc == 4) {
        if (std::strcmp(argv[2], "--level") != 0) return tool::UsageError(kCommand, "unknown option");
        if (!ParseUnsigned(argv[3], 10, 3, level)) return tool::UsageError(kCommand, "level must be 0 to 3");
    }
    char text[64];
    BuildVersionString(uInt32(version), int32(level), text, sizeof text);
    std::printf("%s\n", text);
    return 0;
}

const tool::CommandRegistrar kRegistrar(kCommand);

}  // namespace
