// The shell-link file format, read from the published layout of its parts: header, target ID list (skipped),
// link info, string data and extra data. Every read goes through a bounded view, so a short or lying file is
// refused, never read past.
#include "platform/ShellLinkFormat.h"

#include <cstring>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Utf8Codec.h"

namespace tq::platform {

namespace {

constexpr uInt32 kHeaderSize = 0x4C;
constexpr uInt8 kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                  0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr size_t kFlagsAt = 20;

enum : uInt32 {
    kHasTargetIdList = 0x1,
    kHasLinkInfo = 0x2,
    kHasName = 0x4,
    kHasRelativePath = 0x8,
    kHasWorkingDir = 0x10,
    kHasArguments = 0x20,
    kHasIconLocation = 0x40,
    kIsUnicode = 0x80,
    kForceNoLinkInfo = 0x100,
};

// Link info: flags and the offsets of its strings, all from the start of the link info.
enum : uInt32 { kVolumeIdAndLocalBasePath = 0x1, kCommonNetworkRelativeLinkAndPathSuffix = 0x2 };
constexpr uInt32 kLinkInfoMinimumHeader = 0x1C;
constexpr uInt32 kLinkInfoUnicodeHeader = 0x24;
// The network part: a name offset beyond its basic header means the Unicode offsets follow.
constexpr uInt32 kNetworkBasicHeader = 0x14;
constexpr uInt32 kNetworkUnicodeHeader = 0x1C;

// A block of extra data shorter than this ends the list.
constexpr uInt32 kExtraDataTerminal = 4;
constexpr uInt32 kExtraDataMinimumBlock = 8;

class Bytes {
  public:
    Bytes(const uInt8* data, size_t size) : data_(data), size_(size) {}
    size_t Size() const { return size_; }
    bool Has(size_t at, size_t n) const { return at <= size_ && n <= size_ - at; }
    bool U16(size_t at, uInt32* v) const {
        if (!Has(at, 2)) return false;
        *v = uInt32(data_[at]) | uInt32(data_[at + 1]) << 8;
        return true;
    }
    bool U32(size_t at, uInt32* v) const {
        if (!Has(at, 4)) return false;
        *v = uInt32(data_[at]) | uInt32(data_[at + 1]) << 8 | uInt32(data_[at + 2]) << 16 |
             uInt32(data_[at + 3]) << 24;
        return true;
    }
    // Callers check Has(at, n) first.
    Bytes Sub(size_t at, size_t n) const { return Bytes(data_ + at, n); }
    const uInt8* At(size_t at) const { return data_ + at; }

  private:
    const uInt8* data_;
    size_t size_;
};

bool WideToUtf8(const std::vector<TQWChar>& wide, std::string* out) {
    out->clear();
    if (wide.empty()) return true;
    const int32 n = Utf16ToUtf8(wide.data(), int32(wide.size()), nullptr, 0, false);
    if (n <= 0) return false;
    out->resize(size_t(n));
    return Utf16ToUtf8(wide.data(), int32(wide.size()), out->data(), n, false) == n;
}

// count units of little-endian UTF-16 at at; a NUL among them is refused (no name holds one).
bool WideText(const Bytes& b, size_t at, size_t count, std::string* out) {
    if (count > b.Size() / 2 || !b.Has(at, count * 2)) return false;
    std::vector<TQWChar> wide(count);
    for (size_t i = 0; i < count; ++i) {
        wide[i] = TQWChar(b.At(at)[2 * i] | b.At(at)[2 * i + 1] << 8);
        if (wide[i] == 0) return false;
    }
    return WideToUtf8(wide, out);
}

// count bytes of text in the ANSI code page of the machine reading it, as the link's writer meant.
bool AnsiText(const Bytes& b, size_t at, size_t count, std::string* out) {
    out->clear();
    if (!b.Has(at, count)) return false;
    if (count == 0) return true;
    const char* text = reinterpret_cast<const char*>(b.At(at));
    if (std::memchr(text, 0, count)) return false;
    const int32 units = MultiByteToWide(kCodePageAnsi, 0, text, int32(count), nullptr, 0);
    if (units <= 0) return false;
    std::vector<TQWChar> wide(static_cast<size_t>(units));
    if (MultiByteToWide(kCodePageAnsi, 0, text, int32(count), wide.data(), units) != units) return false;
    return WideToUtf8(wide, out);
}

// NUL-terminated text at at, which must end inside b.
bool AnsiZ(const Bytes& b, size_t at, std::string* out) {
    if (!b.Has(at, 1)) return false;
    const void* nul = std::memchr(b.At(at), 0, b.Size() - at);
    if (!nul) return false;
    return AnsiText(b, at, size_t(static_cast<const uInt8*>(nul) - b.At(at)), out);
}

bool WideZ(const Bytes& b, size_t at, std::string* out) {
    size_t count = 0;
    for (uInt32 unit = 1;; ++count) {
        if (!b.U16(at + 2 * count, &unit)) return false;
        if (unit == 0) break;
    }
    return WideText(b, at, count, out);
}

// A string of the link info: its Unicode form when the header has room for that offset and it is set. The
// 8-bit form must be sound either way: readers that know no Unicode take it.
bool LinkInfoString(const Bytes& info, uInt32 headerSize, size_t ansiField, size_t wideField,
                    std::string* out) {
    uInt32 offset = 0, wideOffset = 0;
    if (!info.U32(ansiField, &offset) || !AnsiZ(info, offset, out)) return false;
    if (headerSize >= kLinkInfoUnicodeHeader && info.U32(wideField, &wideOffset) && wideOffset != 0)
        return WideZ(info, wideOffset, out);
    return true;
}

// Two parts of a Windows path with one backslash between them.
std::string JoinWindows(const std::string& head, const std::string& tail) {
    if (head.empty() || tail.empty() || head.back() == '\\' || tail.front() == '\\') return head + tail;
    return head + '\\' + tail;
}

bool NetworkShare(const Bytes& info, size_t at, std::string* share) {
    uInt32 size = 0, nameOffset = 0, wideOffset = 0;
    if (!info.U32(at, &size) || size < kNetworkBasicHeader || !info.Has(at, size)) return false;
    const Bytes network = info.Sub(at, size);
    if (!network.U32(8, &nameOffset) || !AnsiZ(network, nameOffset, share)) return false;
    if (nameOffset > kNetworkBasicHeader && size >= kNetworkUnicodeHeader && network.U32(0x14, &wideOffset) &&
        wideOffset != 0)
        return WideZ(network, wideOffset, share);
    return true;
}

// The target the link info names; an empty *target when it names none, false when it is malformed.
bool LinkInfoTarget(const Bytes& info, ShellLinkTarget* target) {
    uInt32 headerSize = 0, flags = 0;
    if (!info.U32(4, &headerSize) || headerSize < kLinkInfoMinimumHeader || headerSize > info.Size() ||
        !info.U32(8, &flags))
        return false;
    std::string suffix, base;
    const bool local = flags & kVolumeIdAndLocalBasePath,
               network = flags & kCommonNetworkRelativeLinkAndPathSuffix;
    if ((local || network) && !LinkInfoString(info, headerSize, 24, 32, &suffix)) return false;
    if (local) {
        if (!LinkInfoString(info, headerSize, 16, 28, &base)) return false;
        if (!base.empty()) {
            *target = {ShellLinkTargetKind::kLocal, JoinWindows(base, suffix)};
            return true;
        }
    }
    uInt32 networkOffset = 0;
    if (network) {
        if (!info.U32(20, &networkOffset) || !NetworkShare(info, networkOffset, &base)) return false;
        if (!base.empty()) *target = {ShellLinkTargetKind::kNetwork, JoinWindows(base, suffix)};
    }
    return true;
}

// One counted string of the string data at *at, moved past it.
bool CountedString(const Bytes& b, bool unicode, size_t* at, std::string* out) {
    uInt32 count = 0;
    if (!b.U16(*at, &count)) return false;
    const size_t bytes = unicode ? size_t(count) * 2 : count;
    if (!(unicode ? WideText(b, *at + 2, count, out) : AnsiText(b, *at + 2, count, out))) return false;
    *at += 2 + bytes;
    return true;
}

// The extra data blocks up to the terminal block, which must be there.
bool ExtraDataWhole(const Bytes& b, size_t at) {
    for (uInt32 size = 0;; at += size) {
        if (!b.U32(at, &size)) return false;
        if (size < kExtraDataTerminal) return true;
        if (size < kExtraDataMinimumBlock || !b.Has(at, size)) return false;
    }
}

}  // namespace

bool ParseShellLink(const uInt8* data, size_t size, ShellLinkTarget* target) {
    *target = {};
    const Bytes link(data, data ? size : 0);
    uInt32 headerSize = 0, flags = 0;
    if (!link.U32(0, &headerSize) || headerSize != kHeaderSize || !link.Has(0, kHeaderSize) ||
        std::memcmp(link.At(4), kLinkClsid, sizeof kLinkClsid) != 0 || !link.U32(kFlagsAt, &flags))
        return false;
    size_t at = kHeaderSize;
    uInt32 part = 0;
    if (flags & kHasTargetIdList) {
        if (!link.U16(at, &part) || !link.Has(at + 2, part)) return false;
        at += 2 + part;
    }
    ShellLinkTarget found;
    if (flags & kHasLinkInfo) {
        if (!link.U32(at, &part) || part < kLinkInfoMinimumHeader || !link.Has(at, part)) return false;
        if (!LinkInfoTarget(link.Sub(at, part), &found)) return false;
        if (flags & kForceNoLinkInfo) found = {};
        at += part;
    }
    const bool unicode = flags & kIsUnicode;
    std::string text;
    for (const uInt32 field : {kHasName, kHasRelativePath, kHasWorkingDir, kHasArguments, kHasIconLocation}) {
        if (!(flags & field)) continue;
        if (!CountedString(link, unicode, &at, &text)) return false;
        if (field == kHasRelativePath && found.text.empty() && !text.empty())
            found = {ShellLinkTargetKind::kRelative, text};
    }
    if (!ExtraDataWhole(link, at) || found.text.empty()) return false;
    *target = found;
    return true;
}

}  // namespace tq::platform
