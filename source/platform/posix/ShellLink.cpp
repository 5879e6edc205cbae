// POSIX: shell links are read as the files they are; nothing resolves them for us.
#include "platform/ShellLink.h"

#include "platform/File.h"
#include "platform/ShellLinkFormat.h"

namespace tq::platform {

namespace {
// Links hold a few names and some extra data; anything far bigger is not one.
constexpr size_t kLargestLink = 1 << 20;
}  // namespace

bool ResolveShellLink(const char* utf8Path, ShellLinkResolution* out) {
    out->target.clear();
    out->notes.clear();
    std::string bytes;
    if (!utf8Path || !FileReadAll(utf8Path, bytes, kLargestLink)) return false;
    ShellLinkTarget target;
    if (!ParseShellLink(reinterpret_cast<const uInt8*>(bytes.data()), bytes.size(), &target)) return false;
    out->target = target.text;
    return true;
}

}  // namespace tq::platform
