#include <cstring>
#include <vector>

#include "Command.h"
#include "Host.h"
#include "LeakWatch.h"

namespace tool {

namespace {
std::vector<Command>& Commands() {
    static std::vector<Command> commands;
    return commands;
}

const Command* Find(std::string_view name) {
    for (const Command& c : Commands())
        if (name == c.name) return &c;
    return nullptr;
}

void PrintProgramUsage(FILE* out) {
    std::fprintf(
        out,
        "usage: tqcore <command> [arguments]\n       tqcore <command> --help\n"
        "       tqcore --leaks <command> [arguments]\n\n"
        "--leaks lists, on standard error, the handles the command made and left behind once the library\n"
        "has stopped, with the stacks that made them.\n\ncommands:\n");
    for (const Command& c : Commands()) std::fprintf(out, "  %-10s %s\n", c.name, c.summary);
}
}  // namespace

CommandRegistrar::CommandRegistrar(const Command& command) {
    Commands().push_back(command);
}

int UsageError(const Command& command, const char* why) {
    if (why) std::fprintf(stderr, "tqcore %s: %s\n", command.name, why);
    std::fprintf(stderr, "%s", command.usage);
    return 2;
}

bool WantsHelp(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) return true;
    return false;
}

}  // namespace tool

int main(int argc, char** argv) {
    using namespace tool;
    const bool leaks = argc > 1 && !std::strcmp(argv[1], "--leaks");
    if (leaks) {
        --argc;
        ++argv;
    }
    if (argc < 2) {
        PrintProgramUsage(stderr);
        return 2;
    }
    const std::string_view name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        const Command* c = argc > 2 ? Find(argv[2]) : nullptr;
        if (c)
            std::printf("%s", c->usage);
        else
            PrintProgramUsage(stdout);
        return 0;
    }
    const Command* command = Find(name);
    if (!command) {
        std::fprintf(stderr, "tqcore: unknown command '%s'\n", argv[1]);
        PrintProgramUsage(stderr);
        return 2;
    }
    if (WantsHelp(argc - 1, argv + 1)) {
        std::printf("%s", command->usage);
        return 0;
    }
    HostSession session;
    if (!session.Started()) return 1;
    if (!leaks) return command->run(argc - 1, argv + 1);
    LeakWatch watch;
    const int rc = command->run(argc - 1, argv + 1);
    session.Stop();
    watch.Report(stderr);
    return rc;
}
