// Subcommands of the tqcore program register themselves here, one source file each.
#pragma once

#include <cstdio>
#include <string_view>

namespace tool {

struct Command {
    const char* name;
    const char* summary;
    const char* usage;                  // full help text, starting with the synopsis line
    int (*run)(int argc, char** argv);  // argv[0] is the subcommand name
};

struct CommandRegistrar {
    explicit CommandRegistrar(const Command& command);
};

// Prints the subcommand's usage to standard error and returns the exit code for bad arguments.
int UsageError(const Command& command, const char* why);

// True when argv holds --help or -h after the subcommand name.
bool WantsHelp(int argc, char** argv);

}  // namespace tool
