// Test support: shell-link (".lnk") files laid out byte by byte from the published format, with the parts a
// test asks for. Bytes only; the tests write them where they want them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tq::test {

struct ShellLinkParts {
    std::u16string localBasePath;     // link info: volume and local base path; empty for none
    std::u16string netName;           // link info: network share ("\\server\share"); empty for none
    std::u16string commonPathSuffix;  // link info: the part after either of the above
    std::u16string name;              // string data: description; empty for none
    std::u16string relativePath;      // string data: relative to the link's folder; empty for none
    std::u16string workingDir;        // string data; empty for none
    // Unicode string data and the link info's Unicode strings; otherwise 8-bit text (Windows-1252 here).
    bool unicode = true;
    // An empty item ID list before the link info, which readers skip.
    bool idList = false;
};

// Where the fields that tests corrupt lie in a link made by MakeShellLink.
struct ShellLinkLayout {
    size_t linkInfo = 0;  // offset of the link info (0: none)
};

class ShellLinkWriter {
  public:
    static constexpr uint32_t kHasIdList = 0x1, kHasLinkInfo = 0x2, kHasName = 0x4, kHasRelativePath = 0x8,
                              kHasWorkingDir = 0x10, kIsUnicode = 0x80;

    static std::vector<uint8_t> Make(const ShellLinkParts& parts, ShellLinkLayout* layout = nullptr) {
        std::vector<uint8_t> out;
        uint32_t flags = parts.unicode ? kIsUnicode : 0;
        if (parts.idList) flags |= kHasIdList;
        const bool linkInfo = !parts.localBasePath.empty() || !parts.netName.empty();
        if (linkInfo) flags |= kHasLinkInfo;
        if (!parts.name.empty()) flags |= kHasName;
        if (!parts.relativePath.empty()) flags |= kHasRelativePath;
        if (!parts.workingDir.empty()) flags |= kHasWorkingDir;
        Header(out, flags);
        if (parts.idList) U16(out, 0);
        if (layout) layout->linkInfo = linkInfo ? out.size() : 0;
        if (linkInfo) LinkInfo(out, parts);
        for (const std::u16string* s : {&parts.name, &parts.relativePath, &parts.workingDir})
            if (!s->empty()) Counted(out, *s, parts.unicode);
        U32(out, 0);  // the terminal block of the extra data
        return out;
    }

    static void U16(std::vector<uint8_t>& out, uint32_t v) {
        out.push_back(uint8_t(v));
        out.push_back(uint8_t(v >> 8));
    }
    static void U32(std::vector<uint8_t>& out, uint32_t v) {
        U16(out, v & 0xFFFF);
        U16(out, v >> 16);
    }
    static void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) out[at + size_t(i)] = uint8_t(v >> (8 * i));
    }

  private:
    static void Header(std::vector<uint8_t>& out, uint32_t flags) {
        static const uint8_t kClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                           0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
        U32(out, 0x4C);
        out.insert(out.end(), kClsid, kClsid + 16);
        U32(out, flags);
        U32(out, 0x20);                           // file attributes: archive
        out.insert(out.end(), 24, 0);             // creation, access and write times
        U32(out, 0);                              // file size
        U32(out, 0);                              // icon index
        U32(out, 1);                              // show normally
        out.insert(out.end(), 2 + 2 + 4 + 4, 0);  // hot key, reserved
    }

    // Windows-1252, the ANSI code page the tests run with; '?' for what it lacks.
    static uint8_t Ansi(char16_t c) {
        static const char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                           0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
        if (c < 0x80 || (c >= 0xA0 && c < 0x100)) return uint8_t(c);
        for (int i = 0; i < 32; ++i)
            if (kHigh[i] == c) return uint8_t(0x80 + i);
        return uint8_t('?');
    }
    static std::vector<uint8_t> Ansi(const std::u16string& s) {
        std::vector<uint8_t> bytes;
        for (const char16_t c : s) bytes.push_back(Ansi(c));
        return bytes;
    }
    static void AnsiZ(std::vector<uint8_t>& out, const std::u16string& s) {
        const std::vector<uint8_t> bytes = Ansi(s);
        out.insert(out.end(), bytes.begin(), bytes.end());
        out.push_back(0);
    }
    static void WideZ(std::vector<uint8_t>& out, const std::u16string& s) {
        for (const char16_t c : s) U16(out, c);
        U16(out, 0);
    }
    static void Counted(std::vector<uint8_t>& out, const std::u16string& s, bool unicode) {
        U16(out, uint32_t(s.size()));
        if (unicode) {
            for (const char16_t c : s) U16(out, c);
        } else {
            const std::vector<uint8_t> bytes = Ansi(s);
            out.insert(out.end(), bytes.begin(), bytes.end());
        }
    }

    // Header fields are written last, once every offset is known.
    static void LinkInfo(std::vector<uint8_t>& out, const ShellLinkParts& p) {
        const bool local = !p.localBasePath.empty(), network = !p.netName.empty();
        const uint32_t headerSize = p.unicode ? 0x24 : 0x1C;
        std::vector<uint8_t> info(headerSize, 0);
        uint32_t volume = 0, base = 0, share = 0, suffix = 0, baseWide = 0, suffixWide = 0;
        if (local) {
            volume = uint32_t(info.size());
            U32(info, 0x11);  // volume ID: size, fixed drive, serial number, label offset, empty label
            U32(info, 3);
            U32(info, 0x1234ABCD);
            U32(info, 0x10);
            info.push_back(0);
            base = uint32_t(info.size());
            AnsiZ(info, p.localBasePath);
        }
        if (network) {
            share = uint32_t(info.size());
            std::vector<uint8_t> net;
            const uint32_t nameAt = p.unicode ? 0x1C : 0x14;
            U32(net, 0);
            U32(net, 0x2);  // the provider type is valid
            U32(net, nameAt);
            U32(net, 0);        // no device name
            U32(net, 0x20000);  // a LAN manager share
            if (p.unicode) {
                U32(net, 0);  // patched below
                U32(net, 0);
            }
            AnsiZ(net, p.netName);
            if (p.unicode) {
                Put32(net, 0x14, uint32_t(net.size()));
                WideZ(net, p.netName);
            }
            Put32(net, 0, uint32_t(net.size()));
            info.insert(info.end(), net.begin(), net.end());
        }
        suffix = uint32_t(info.size());
        AnsiZ(info, p.commonPathSuffix);
        if (p.unicode) {
            if (local) {
                baseWide = uint32_t(info.size());
                WideZ(info, p.localBasePath);
            }
            suffixWide = uint32_t(info.size());
            WideZ(info, p.commonPathSuffix);
        }
        Put32(info, 0, uint32_t(info.size()));
        Put32(info, 4, headerSize);
        Put32(info, 8, (local ? 0x1 : 0) | (network ? 0x2 : 0));
        Put32(info, 12, volume);
        Put32(info, 16, base);
        Put32(info, 20, share);
        Put32(info, 24, suffix);
        if (p.unicode) {
            Put32(info, 28, baseWide);
            Put32(info, 32, suffixWide);
        }
        out.insert(out.end(), info.begin(), info.end());
    }
};

}  // namespace tq::test
