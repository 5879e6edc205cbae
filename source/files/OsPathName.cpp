// From a Path to the operating system's name for it, and names back from the OS.
#include "files/OsPathName.h"

#include <vector>

#include "files/NameCheck.h"
#include "files/Shortcuts.h"
#include "platform/CodePage.h"
#include "tqcore/core.h"

namespace tq::files {

namespace {

bool IsDriveLetter(const std::string& item) {
    return item.size() == 1 && ((item[0] >= 'A' && item[0] <= 'Z') || (item[0] >= 'a' && item[0] <= 'z'));
}

bool IsLegalName(const std::string& item) {
    return NameCheckFlags(item.data(), item.size(), nullptr) == 0;
}

// Item 0 as the OS spells it: a drive, a server and share, or a top-level folder.
TqErr VolumeText(const PathRef& p, platform::OsNameStyle style, bool unc, std::string& text) {
    const std::string& volume = p.ItemAt(0);
    if (style == platform::OsNameStyle::kUnix) {
        // No server names here: a network share appears as a mounted folder.
        if (unc || !IsLegalName(volume)) return kErrArgument;
        text = "/" + volume;
        return kErrNone;
    }
    if (unc) {
        if (volume.size() < 3) return kErrArgument;
        text = volume;
        return kErrNone;
    }
    if (!IsDriveLetter(volume)) return kErrArgument;
    text = volume + ":";
    if (p.ItemCount() == 1) text += '\\';
    return kErrNone;
}

// Every code page here spells ASCII as ASCII: most names need no conversion at all.
bool IsAscii(const std::string& text) {
    for (const char c : text)
        if (uChar(c) >= 0x80) return false;
    return true;
}

bool Convert(uInt32 from, uInt32 to, uInt32 flags, const std::string& in, std::string& out) {
    if (IsAscii(in)) {
        out = in;
        return true;
    }
    out.clear();
    const int32 units = platform::MultiByteToWide(from, flags, in.data(), int32(in.size()), nullptr, 0);
    if (units <= 0) return false;
    std::vector<TQWChar> wide(static_cast<size_t>(units));
    if (platform::MultiByteToWide(from, flags, in.data(), int32(in.size()), wide.data(), units) != units)
        return false;
    const int32 bytes = platform::WideToMultiByte(to, flags, wide.data(), units, nullptr, 0);
    if (bytes <= 0) return false;
    out.resize(size_t(bytes));
    return platform::WideToMultiByte(to, flags, wide.data(), units, out.data(), bytes) == bytes;
}

}  // namespace

TqErr OsNameText(const PathRef& p, platform::OsNameStyle style, std::string& text) {
    text.clear();
    const bool unc = p.StartsWith(kBaseUNC);
    if ((!unc && !p.StartsWith(kBaseAbsolute)) || p.ItemCount() < 1) return kErrArgument;
    if (const TqErr err = VolumeText(p, style, unc, text)) return err;
    const char separator = style == platform::OsNameStyle::kUnix ? '/' : '\\';
    for (int32 i = 1; i < p.ItemCount(); ++i) {
        const std::string& item = p.ItemAt(i);
        if (!IsLegalName(item)) return kErrArgument;
        text += separator;
        text += item;
        if (text.size() >= kMaxOsNameBytes) return kErrPathTooLong;
    }
    return text.size() < kMaxOsNameBytes ? kErrNone : kErrPathTooLong;
}

TqErr OsPathName(Path p, bool resolveShortcuts, std::string& utf8) {
    utf8.clear();
    if (!p) return kErrArgument;
    std::string text;
    try {
        if (const TqErr err = OsNameText(*p, platform::NativeNameStyle(), text)) return err;
    } catch (...) {
        return GetExceptionInCatch_FileAndLine("source\\OsPathName", __LINE__).ErrorCode();
    }
    if (resolveShortcuts) ResolveShortcutsOnName(text);
    return OsTextFromLibrary(text, utf8) ? kErrNone : kErrArgument;
}

bool OsTextFromLibrary(const std::string& text, std::string& utf8) {
    return Convert(platform::kCodePageAnsi, platform::kCodePageUtf8, platform::kConvertStrict, text, utf8);
}

std::string LibraryTextFromOs(const std::string& utf8) {
    std::string text;
    if (!Convert(platform::kCodePageUtf8, platform::kCodePageAnsi, 0, utf8, text)) return utf8;
    return text;
}

}  // namespace tq::files

TqErr MakeDOSPathName(Path p, TQWChar* buf, int32 resolveShortcuts) {
    if (!buf) return kErrArgument;
    buf[0] = 0;
    std::string utf8;
    if (const TqErr err = tq::files::OsPathName(p, resolveShortcuts != 0, utf8)) return err;
    constexpr int32 kUnits = int32(tq::files::kMaxOsNameBytes);
    const int32 n =
        tq::platform::MultiByteToWide(tq::platform::kCodePageUtf8, 0, utf8.c_str(), -1, buf, kUnits);
    if (n <= 0) {
        buf[0] = 0;
        return kErrPathTooLong;
    }
    return kErrNone;
}
