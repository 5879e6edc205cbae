// The shell-link reader against links laid out by the tests' own writer: each kind of target, the choice
// between them, and files cut short or pointing outside themselves.
#include <gtest/gtest.h>

#include <vector>

#include "platform/ShellLinkFormat.h"
#include "support/ShellLinkWriter.h"

namespace {

using tq::platform::ParseShellLink;
using tq::platform::ShellLinkTarget;
using tq::platform::ShellLinkTargetKind;
using tq::test::ShellLinkLayout;
using tq::test::ShellLinkParts;
using tq::test::ShellLinkWriter;
using Bytes = std::vector<uint8_t>;

ShellLinkTarget Parse(const Bytes& bytes, bool* ok = nullptr) {
    ShellLinkTarget target;
    const bool parsed = ParseShellLink(bytes.data(), bytes.size(), &target);
    if (ok) *ok = parsed;
    return target;
}

void ExpectTarget(const ShellLinkParts& parts, ShellLinkTargetKind kind, const std::string& text) {
    bool ok = false;
    const ShellLinkTarget target = Parse(ShellLinkWriter::Make(parts), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(target.kind, kind);
    EXPECT_EQ(target.text, text);
}

ShellLinkParts Local(bool unicode) {
    ShellLinkParts parts;
    parts.localBasePath = u"C:\\Program Files\\app.exe";
    parts.name = u"the app";
    parts.workingDir = u"C:\\Program Files";
    parts.unicode = unicode;
    return parts;
}

TEST(ShellLinkFormat, EachKindOfTargetInBothTextForms) {
    for (const bool unicode : {true, false}) {
        SCOPED_TRACE(unicode ? "unicode" : "8-bit");
        ExpectTarget(Local(unicode), ShellLinkTargetKind::kLocal, "C:\\Program Files\\app.exe");
        ShellLinkParts suffixed = Local(unicode);
        suffixed.localBasePath = u"D:\\data";
        suffixed.commonPathSuffix = u"x\\y.txt";
        suffixed.idList = true;
        ExpectTarget(suffixed, ShellLinkTargetKind::kLocal, "D:\\data\\x\\y.txt");
        ShellLinkParts network;
        network.netName = u"\\\\server\\share";
        network.commonPathSuffix = u"dir\\file.txt";
        network.unicode = unicode;
        ExpectTarget(network, ShellLinkTargetKind::kNetwork, "\\\\server\\share\\dir\\file.txt");
        ShellLinkParts relative;
        relative.relativePath = u"..\\other\\file.txt";
        relative.unicode = unicode;
        ExpectTarget(relative, ShellLinkTargetKind::kRelative, "..\\other\\file.txt");
    }
}

TEST(ShellLinkFormat, UnicodeNamesKeepEveryCharacter) {
    ShellLinkParts parts;
    parts.localBasePath = u"C:\\\u00e9t\u00e9\\\u65e5\u672c\\\u20ac.txt";
    ExpectTarget(parts, ShellLinkTargetKind::kLocal, "C:\\\u00e9t\u00e9\\\u65e5\u672c\\\u20ac.txt");
    parts.localBasePath.clear();
    parts.relativePath = u".\\caf\u00e9.txt";
    parts.unicode = false;
    // Latin-1 bytes read in the default ANSI code page, which spells them the same.
    ExpectTarget(parts, ShellLinkTargetKind::kRelative, ".\\caf\u00e9.txt");
}

TEST(ShellLinkFormat, LinkInfoComesBeforeTheRelativePath) {
    ShellLinkParts parts = Local(true);
    parts.relativePath = u"..\\elsewhere.exe";
    ExpectTarget(parts, ShellLinkTargetKind::kLocal, "C:\\Program Files\\app.exe");
    Bytes bytes = ShellLinkWriter::Make(parts);
    bytes[21] |= 0x01;  // ForceNoLinkInfo, in the second byte of the flags
    EXPECT_EQ(Parse(bytes).text, "..\\elsewhere.exe");
    parts.relativePath.clear();
    bytes = ShellLinkWriter::Make(parts);
    bytes[21] |= 0x01;
    bool ok = true;
    EXPECT_TRUE(Parse(bytes, &ok).text.empty());
    EXPECT_FALSE(ok) << "a link whose only target is to be ignored names none";
}

TEST(ShellLinkFormat, EveryShortenedFileIsRefused) {
    ShellLinkParts parts = Local(true);
    parts.relativePath = u"..\\app.exe";
    parts.idList = true;
    const Bytes whole = ShellLinkWriter::Make(parts);
    ASSERT_EQ(Parse(whole).kind, ShellLinkTargetKind::kLocal);
    for (size_t size = 0; size < whole.size(); ++size) {
        const Bytes cut(whole.begin(), whole.begin() + std::ptrdiff_t(size));
        bool ok = true;
        const ShellLinkTarget target = Parse(cut, &ok);
        EXPECT_FALSE(ok) << "cut to " << size << " bytes";
        EXPECT_EQ(target.kind, ShellLinkTargetKind::kNone);
        EXPECT_TRUE(target.text.empty());
    }
    ShellLinkTarget target;
    EXPECT_FALSE(ParseShellLink(nullptr, 100, &target));
}

TEST(ShellLinkFormat, OffsetsAndSizesOutsideTheFileAreRefused) {
    ShellLinkParts parts = Local(true);
    parts.netName = u"\\\\server\\share";
    ShellLinkLayout layout;
    const Bytes whole = ShellLinkWriter::Make(parts, &layout);
    ASSERT_TRUE(Parse(whole).kind == ShellLinkTargetKind::kLocal);
    const size_t info = layout.linkInfo;
    // Each field of the link info in turn, pointed just past the link info, then far away.
    struct Field {
        size_t at;
        const char* what;
    };
    const Field fields[] = {{0, "link info size"},           {4, "link info header size"},
                            {16, "local base path"},         {24, "common path suffix"},
                            {28, "unicode local base path"}, {32, "unicode common path suffix"}};
    uint32_t infoSize = 0;
    for (int i = 0; i < 4; ++i) infoSize |= uint32_t(whole[info + size_t(i)]) << (8 * i);
    for (const Field& f : fields) {
        for (const uint32_t value : {uint32_t(infoSize), uint32_t(whole.size()), 0xFFFFFFF0u}) {
            // The sizes are whole at their own value: only an offset is out of bounds there.
            if (f.at < 16 && value == infoSize) continue;
            Bytes bytes = whole;
            ShellLinkWriter::Put32(bytes, info + f.at, value);
            bool ok = true;
            Parse(bytes, &ok);
            EXPECT_FALSE(ok) << f.what << " set to " << value;
        }
    }
    // The network part is read only without a local base path.
    parts.localBasePath.clear();
    const Bytes net = ShellLinkWriter::Make(parts, &layout);
    ASSERT_EQ(Parse(net).kind, ShellLinkTargetKind::kNetwork);
    for (const size_t at : {size_t(20), size_t(0)}) {
        Bytes bytes = net;
        const size_t field = at == 20 ? layout.linkInfo + 20 : 0;
        if (at == 0) {
            // The network part's own size, found through the link info's offset to it.
            uint32_t share = 0;
            for (int i = 0; i < 4; ++i) share |= uint32_t(net[layout.linkInfo + 20 + size_t(i)]) << (8 * i);
            ShellLinkWriter::Put32(bytes, layout.linkInfo + share, 0xFFFF);
        } else {
            ShellLinkWriter::Put32(bytes, field, 0xFFFF);
        }
        bool ok = true;
        Parse(bytes, &ok);
        EXPECT_FALSE(ok) << (at == 20 ? "network part offset" : "network part size");
    }
}

TEST(ShellLinkFormat, WrongHeadersAndCountsAreRefused) {
    ShellLinkParts parts;
    parts.relativePath = u"..\\a.txt";
    parts.idList = true;
    const Bytes whole = ShellLinkWriter::Make(parts);
    ASSERT_EQ(Parse(whole).kind, ShellLinkTargetKind::kRelative);
    Bytes bytes = whole;
    bytes[0] = 0x4D;  // header size
    EXPECT_EQ(Parse(bytes).kind, ShellLinkTargetKind::kNone);
    bytes = whole;
    bytes[19] ^= 0xFF;  // the class identifier's last byte
    EXPECT_EQ(Parse(bytes).kind, ShellLinkTargetKind::kNone);
    bytes = whole;
    bytes[0x4C] = 0xFF;  // the ID list's size
    EXPECT_EQ(Parse(bytes).kind, ShellLinkTargetKind::kNone);
    bytes = whole;
    bytes[0x4E] = 0xFF;  // the relative path's character count, just after the empty ID list
    EXPECT_EQ(Parse(bytes).kind, ShellLinkTargetKind::kNone);
    bytes = whole;
    ShellLinkWriter::Put32(bytes, bytes.size() - 4, 0x100);  // an extra block where the terminal one was
    EXPECT_EQ(Parse(bytes).kind, ShellLinkTargetKind::kNone);
    bytes = whole;
    bytes[0x50] = 0;  // a NUL inside the relative path
    bytes[0x51] = 0;
    EXPECT_EQ(Parse(bytes).kind, ShellLinkTargetKind::kNone);
}

}  // namespace
