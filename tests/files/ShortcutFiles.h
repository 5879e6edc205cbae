// Shortcut files for the tests: the target as a link holds it, and a link written where a test wants it.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/ShellLinkWriter.h"
#include "tqcore/paths.h"

namespace tq::test {

// Windows path text, which the library reads the same way on every OS. The scratch folders' names are ASCII.
inline std::u16string LinkText(const PathRef& p) {
    std::u16string wide;
    for (const char c : p.ToString(PathRef::StringDOS())) wide += char16_t(static_cast<unsigned char>(c));
    return wide;
}

inline void WriteLink(const std::filesystem::path& at, const ShellLinkParts& parts) {
    const std::vector<uint8_t> bytes = ShellLinkWriter::Make(parts);
    std::ofstream(at, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace tq::test
