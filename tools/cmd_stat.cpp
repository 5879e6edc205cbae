#include <cstdio>
#include <memory>

#include "Command.h"
#include "FileText.h"
#include "tqcore/core.h"
#include "tqcore/files.h"

namespace {

int Run(int argc, char** argv);

const tool::Command kCommand{
    "stat", "print the information record of a file or folder",
    "usage: tqcore stat PATH\n"
    "Prints what the file manager knows of PATH (in the operating system's own form):\n"
    "kind, type and creator codes, size (a folder's: its number of entries), rights,\n"
    "creation and modification dates (UTC) and whether it is hidden. Exit 1 when PATH\n"
    "cannot be read.\n",
    Run};

int Run(int argc, char** argv) {
    if (argc != 2) return tool::UsageError(kCommand, "one PATH expected");
    const std::unique_ptr<PathRef> p = tool::PathFromArgument("stat", argv[1]);
    if (!p) return 1;
    FileInfoRec64 rec;
    if (const TqErr err = FGetInfo64(p.get(), &rec, 0xFFFFFFFFu)) {
        std::fprintf(stderr, "tqcore stat: %s: error %d\n", tool::NativeText(*p).c_str(), int(err));
        return 1;
    }
    int32 hidden = 0;
    if (p->ItemCount() > 0) FIsHiddenFile(p.get(), &hidden);
    std::printf("path: %s\n", tool::NativeText(*p).c_str());
    std::printf("kind: %s\n", rec.folder ? "folder" : "file");
    std::printf("type: %s\ncreator: %s\n", tool::CodeText(rec.type).c_str(),
                tool::CodeText(rec.creator).c_str());
    std::printf("size: %lld\n", static_cast<long long>(rec.size));
    std::printf("rights: %s (%04o)\n", tool::RightsText(rec.permissions).c_str(), unsigned(rec.permissions));
    std::printf("created: %s\nmodified: %s\n", tool::DateText(rec.cdate).c_str(),
                tool::DateText(rec.mdate).c_str());
    std::printf("hidden: %s\n", hidden ? "yes" : "no");
    return 0;
}

const tool::CommandRegistrar kRegistrar(kCommand);

}  // namespace
