#include <cstdio>
#include <cstring>
#include <string>

#include "Command.h"
#include "FileText.h"
#include "tqcore/core.h"
#include "tqcore/paths.h"

namespace {

int Run(int argc, char** argv);

const tool::Command kCommand{"dirs", "list the operating system's standard folders",
                             "usage: tqcore dirs [--create]\n"
                             "Prints each standard folder type as 'NUMBER NAME: FOLDER', the folder in the\n"
                             "operating system's own form; '(none)' when the system has no such folder.\n"
                             "--create makes the folders that are missing where the system allows it.\n",
                             Run};

void PrintFolder(SystemDirType type, bool create) {
    std::printf("%2d %s: ", int(type), SystemDirs::TypeName(type));
    try {
        const PathRef folder = SystemDirs::Get(type, create);
        std::string text;
        if (folder.StartsWith(kBaseAbsolute) && folder.ItemCount() == 0 && type != kBootVolumeRootDir)
            text = "(none)";
        else if (const TqErr err = folder.ConvertToString(&text, tool::NativePathFormat()))
            text = "(error " + std::to_string(err) + ")";
        std::printf("%s\n", text.c_str());
    } catch (const PKExcept& e) {
        std::printf("(error %d: %s)\n", int(e.ErrorCode()), e.Detail());
    }
}

int Run(int argc, char** argv) {
    bool create = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--create"))
            create = true;
        else
            return tool::UsageError(kCommand, "unknown argument");
    }
    for (SystemDirType t = kUserHomeDir; t <= kPublicCacheDir; ++t) PrintFolder(t, create);
    return 0;
}

const tool::CommandRegistrar kRegistrar(kCommand);

}  // namespace
