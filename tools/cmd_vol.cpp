#include <cstdio>
#include <string>

#include "Command.h"
#include "FileText.h"
#include "tqcore/core.h"
#include "tqcore/files.h"
#include "tqcore/memory.h"

namespace {

int Run(int argc, char** argv);

const tool::Command kCommand{
    "vol", "list the volumes with their space",
    "usage: tqcore vol\n"
    "Lists the volumes the file manager knows (drives on Windows, the folders directly\n"
    "below \"/\" elsewhere) with their kind and total, used and free bytes; \"-\" where a\n"
    "volume's space cannot be read.\n",
    Run};

void PrintVolume(const std::string& name, const VolKindRec& kind) {
    PathRef p(kBaseAbsolute);
    p.Append(name);
    uInt64 freeBytes = 0, totalBytes = 0;
    const std::string text = tool::NativeText(p);
    // Total less what is free to anyone: space kept for the system counts as used.
    if (FMGetVolInfo64(&p, &freeBytes, &totalBytes, nullptr) != kErrNone) {
        std::printf("%-24s %.4s %16s %16s %16s\n", text.c_str(), kind.kind, "-", "-", "-");
        return;
    }
    std::printf("%-24s %.4s %16llu %16llu %16llu\n", text.c_str(), kind.kind,
                static_cast<unsigned long long>(totalBytes),
                static_cast<unsigned long long>(totalBytes - freeBytes),
                static_cast<unsigned long long>(freeBytes));
}

int Run(int argc, char** argv) {
    if (argc > 1) return tool::UsageError(kCommand, "no arguments expected");
    CPStrHandle names = reinterpret_cast<CPStrHandle>(DSNewHClr(sizeof(int32)));
    UHandle info = DSNewHClr(0);
    if (!names || !info || FListDesktop(names, info) != kErrNone) {
        std::fprintf(stderr, "tqcore vol: the volumes cannot be listed\n");
        return 1;
    }
    std::printf("%-24s %-4s %16s %16s %16s\n", "volume", "kind", "total", "used", "free");
    const uChar* name = (*names)->str;
    for (int32 i = 0; i < (*names)->cnt; ++i) {
        PrintVolume(std::string(reinterpret_cast<const char*>(name + 1), name[0]),
                    reinterpret_cast<const VolKindRec*>(*info)[i]);
        name += 1 + name[0];
    }
    DSDisposeHandle(reinterpret_cast<UHandle>(names));
    DSDisposeHandle(info);
    return 0;
}

const tool::CommandRegistrar kRegistrar(kCommand);

}  // namespace
