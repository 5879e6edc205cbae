// The legality of one file or folder name.
#include "files/NameCheck.h"

#include <cctype>
#include <string_view>

#include "platform/CodePage.h"
#include "tqcore/files.h"

namespace tq::files {

namespace {

constexpr std::string_view kForbidden = "\"*/:<>?\\|";

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(uChar(a[i])) != std::toupper(uChar(b[i]))) return false;
    return true;
}

bool IsReservedDevice(std::string_view name) {
    for (std::string_view device : {"AUX", "CLOCK$", "CON", "NUL", "PRN"})
        if (EqualsIgnoringCase(name, device)) return true;
    if (name.size() != 4 || !std::isdigit(uChar(name[3]))) return false;
    const std::string_view stem = name.substr(0, 3);
    return EqualsIgnoringCase(stem, "COM") || EqualsIgnoringCase(stem, "LPT");
}

struct ForbiddenTable {
    bool ascii[128] = {};
    constexpr ForbiddenTable() {
        for (const char c : kForbidden) ascii[uChar(c)] = true;
    }
};
constexpr ForbiddenTable kForbiddenTable;

// Steps over double-byte characters, whose trail bytes may look like forbidden ones. The forbidden ones are
// all ASCII, and no code page has an ASCII lead byte: ASCII bytes need no code-page call.
int32 ForbiddenCharacters(std::string_view name, std::string* bad) {
    int32 flags = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (uChar(c) >= 0x80) {
            if (platform::AnsiIsLeadByte(uChar(c)) && i + 1 < name.size()) ++i;
            continue;
        }
        if (!kForbiddenTable.ascii[uChar(c)]) continue;
        flags = kNameForbiddenChar;
        if (bad && bad->find(c) == std::string::npos) bad->push_back(c);
    }
    return flags;
}

}  // namespace

int32 NameCheckFlags(const char* name, size_t length, std::string* bad) {
    if (!name || length == 0) return kNameEmpty;
    const std::string_view text(name, length);
    int32 flags = ForbiddenCharacters(text, bad);
    if (text.back() == '.') flags |= kNameEndsInDot;
    if (IsReservedDevice(text)) flags |= kNameReservedDevice;
    return flags;
}

}  // namespace tq::files
