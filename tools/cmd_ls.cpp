#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Command.h"
#include "FileText.h"
#include "tqcore/core.h"
#include "tqcore/files.h"
#include "tqcore/memory.h"

namespace {

int Run(int argc, char** argv);

const tool::Command kCommand{
    "ls", "list a folder with the information records of its entries",
    "usage: tqcore ls PATH\n"
    "Lists the folder PATH (in the operating system's own form), one entry a line, sorted by name without\n"
    "regard to case as the file manager sorts: kind (d for a folder), type code, size (a folder's: its\n"
    "number of entries), rights, creation and modification dates (UTC) and name. A file lists itself. Exit 1 "
    "when PATH\n"
    "cannot be read.\n",
    Run};

struct Entry {
    std::string name;
    FileInfoRec64 rec;
};

// The folder's entry names as the OS gives them.
bool ReadNames(const PathRef& folder, std::vector<std::string>& names) {
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(tool::NativeText(folder), ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
        names.push_back(it->path().filename().string());
    return !ec;
}

// Sorted by the file manager's own name order: the info entries carry each name's index along.
std::vector<size_t> SortedOrder(const std::vector<std::string>& names) {
    uInt64 bytes = sizeof(int32);
    for (const auto& n : names) bytes += 1 + std::min<size_t>(n.size(), 255);
    CPStrHandle list = reinterpret_cast<CPStrHandle>(DSNewHClr(bytes));
    UHandle info = DSNewHClr(names.size() * sizeof(VolKindRec));
    std::vector<size_t> order;
    if (!list || !info) return order;
    (*list)->cnt = int32(names.size());
    uChar* out = (*list)->str;
    for (size_t i = 0; i < names.size(); ++i) {
        const size_t n = std::min<size_t>(names[i].size(), 255);
        *out++ = uChar(n);
        std::memcpy(out, names[i].data(), n);
        out += n;
        reinterpret_cast<VolKindRec*>(*info)[i].flags = uInt32(i);
    }
    LSort(list, info);
    for (size_t i = 0; i < names.size(); ++i) order.push_back(reinterpret_cast<VolKindRec*>(*info)[i].flags);
    DSDisposeHandle(reinterpret_cast<UHandle>(list));
    DSDisposeHandle(info);
    return order;
}

void PrintEntry(const std::string& name, const FileInfoRec64& rec) {
    std::printf("%c %s %12lld %s %s %s %s\n", rec.folder ? 'd' : '-', tool::CodeText(rec.type).c_str(),
                static_cast<long long>(rec.size), tool::RightsText(rec.permissions).c_str(),
                tool::DateText(rec.cdate).c_str(), tool::DateText(rec.mdate).c_str(), name.c_str());
}

int Run(int argc, char** argv) {
    if (argc != 2) return tool::UsageError(kCommand, "one PATH expected");
    const std::unique_ptr<PathRef> folder = tool::PathFromArgument("ls", argv[1]);
    if (!folder) return 1;
    FileInfoRec64 rec;
    if (const TqErr err = FGetInfo64(folder.get(), &rec, 0xFFFFFFFFu)) {
        std::fprintf(stderr, "tqcore ls: %s: error %d\n", tool::NativeText(*folder).c_str(), int(err));
        return 1;
    }
    if (!rec.folder) {
        PrintEntry(folder->Name(), rec);
        return 0;
    }
    std::vector<std::string> names;
    if (!ReadNames(*folder, names)) {
        std::fprintf(stderr, "tqcore ls: %s: cannot be listed\n", tool::NativeText(*folder).c_str());
        return 1;
    }
    for (const size_t i : SortedOrder(names)) {
        PathRef entry(*folder);
        entry.Append(names[i]);
        // An entry that vanished since the folder was read is left out.
        if (FGetInfo64(&entry, &rec, 0xFFFFFFFFu) == kErrNone) PrintEntry(names[i], rec);
    }
    return 0;
}

const tool::CommandRegistrar kRegistrar(kCommand);

}  // namespace
