#include "FileText.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "tqcore/clocks.h"
#include "tqcore/core.h"

namespace tool {

const char* NativePathFormat() {
#if defined(_WIN32)
    return PathRef::StringDOS();
#else
    return PathRef::StringUnix();
#endif
}

std::unique_ptr<PathRef> PathFromArgument(const char* command, const char* text) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(text, ec);
    const std::string full = ec ? std::string(text) : absolute.lexically_normal().string();
    try {
        auto p = std::make_unique<PathRef>(full, NativePathFormat());
        if (p->StartsWith(kBaseAbsolute) || p->StartsWith(kBaseUNC)) return p;
        std::fprintf(stderr, "tqcore %s: \"%s\" is not an absolute path\n", command, text);
    } catch (const PKExcept& e) {
        std::fprintf(stderr, "tqcore %s: \"%s\" is not a path: error %d: %s\n", command, text,
                     int(e.ErrorCode()), e.Detail());
    }
    return nullptr;
}

std::string NativeText(const PathRef& p) {
    std::string text;
    if (p.ItemCount() == 0) return p.StartsWith(kBaseAbsolute) ? "/" : "";
    return p.ConvertToString(&text, NativePathFormat()) == kErrNone ? text : std::string("?");
}

std::string DateText(uInt32 secs) {
    if (secs == 0) return "-";
    char iso[ATime128::kTextSize];
    ATime128(int64(secs), 0).ToText(iso, sizeof iso);
    // "YYYY-MM-DDTHH:MM:SS.nnnnnnnnnZ" without its fraction.
    iso[10] = ' ';
    iso[19] = 0;
    return iso;
}

std::string RightsText(uInt32 permissions) {
    std::string text = "rwxrwxrwx";
    for (int bit = 0; bit < 9; ++bit)
        if (!(permissions & (0400u >> bit))) text[size_t(bit)] = '-';
    return text;
}

std::string CodeText(int32 code) {
    char chars[4];
    std::memcpy(chars, &code, 4);
    std::string text(chars, 4);
    for (char& c : text)
        if (c < 0x20 || c > 0x7e) c = '.';
    return text;
}

}  // namespace tool
