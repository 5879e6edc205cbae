#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "FileText.h"
#include "PathResolve.h"
#include "tqcore/files.h"

namespace tool {

const char* const kPathResolveUsage = "       tqcore path resolve PATH\n";

namespace {

namespace fs = std::filesystem;

// More steps than any sound chain of links takes: a loop, not a path.
constexpr int kMostSteps = 40;

int Fail(const std::string& why) {
    std::fprintf(stderr, "tqcore path resolve: %s\n", why.c_str());
    return 1;
}

// The shortcut at name (or name + ".lnk") resolved by the library, or an empty path.
fs::path ShortcutTarget(const fs::path& name) {
    const std::string text = name.string();
    char buffer[260] = {};
    if (text.size() >= sizeof buffer) return {};
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return Win32ResolveShortCut(buffer) ? fs::path(buffer) : fs::path();
}

// One step: the first item of path, from the root on, that is a symbolic link or a shortcut, replaced by its
// target with the later items kept. False when there is none.
bool Step(fs::path& path) {
    const fs::path relative = path.relative_path();
    const std::vector<fs::path> items(relative.begin(), relative.end());
    fs::path prefix = path.root_path();
    for (size_t i = 0; i < items.size(); ++i) {
        const fs::path here = prefix / items[i];
        std::error_code ec;
        fs::path target;
        const char* kind = "link";
        if (fs::is_symlink(here, ec)) {
            target = fs::read_symlink(here, ec);
            if (ec) return false;
            target = (prefix / target).lexically_normal();
        } else {
            kind = "shortcut";
            target = ShortcutTarget(here);
            if (target.empty()) {
                prefix = here;
                continue;
            }
        }
        for (size_t j = i + 1; j < items.size(); ++j) target /= items[j];
        std::printf("%s: %s -> %s\n", kind, here.string().c_str(), target.string().c_str());
        path = target;
        return true;
    }
    return false;
}

}  // namespace

// Prints each shortcut and symbolic link followed, one line each, then the path reached; 1 when the path
// cannot be resolved (it does not exist, or the links loop).
int PathResolve(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "tqcore path resolve: one PATH expected\n%s", kPathResolveUsage);
        return 2;
    }
    const auto start = PathFromArgument("path resolve", argv[1]);
    if (!start) return 1;
    fs::path path = NativeText(*start);
    int steps = 0;
    while (Step(path))
        if (++steps > kMostSteps) return Fail("\"" + std::string(argv[1]) + "\": too many links (a loop?)");
    std::error_code ec;
    if (!fs::exists(path, ec))
        return Fail("\"" + std::string(argv[1]) + "\" cannot be resolved: " + path.string() +
                    " does not exist");
    std::printf("%s\n", path.string().c_str());
    return 0;
}

}  // namespace tool
