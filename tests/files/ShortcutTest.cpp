// Shortcut files on names and paths: links made by the tests' own writer, resolved one by one, along a name,
// and by the file functions that resolve them (and not by those that must not).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "ScratchFolder.h"
#include "ShortcutFiles.h"
#include "support/Platform.h"
#include "support/ReportCapture.h"
#include "support/ShellLinkWriter.h"
#include "tqcore/core.h"
#include "tqcore/files.h"
#include "tqcore/paths.h"

namespace {

using tq::test::LinkText;
using tq::test::ScratchFolder;
using tq::test::ShellLinkLayout;
using tq::test::ShellLinkParts;
using tq::test::ShellLinkWriter;
using tq::test::WriteLink;
namespace fs = std::filesystem;

using tq::test::kWindows;

// A name in a buffer of the size the functions expect, in the library's text (ASCII here unless a test says).
struct Name {
    char text[260] = {};
    explicit Name(const std::string& s) { std::memcpy(text, s.c_str(), std::min(s.size() + 1, sizeof text)); }
    std::string str() const { return text; }
};

std::string OsName(const fs::path& p) {
    return tq::test::Utf8(fs::path(p).make_preferred());
}

ShellLinkParts LocalLink(const PathRef& target) {
    ShellLinkParts parts;
    parts.localBasePath = LinkText(target);
    return parts;
}

TEST(Shortcuts, AbsoluteTargetReplacesTheName) {
    ScratchFolder scratch;
    scratch.File("target.txt", "through the link");
    for (const bool unicode : {true, false}) {
        ShellLinkParts parts = LocalLink(scratch.Ref("target.txt"));
        parts.unicode = unicode;
        parts.name = u"described";
        WriteLink(scratch / "link.lnk", parts);
        Name name(OsName(scratch / "link.lnk"));
        EXPECT_EQ(Win32ResolveShortCut(name.text), 1);
        EXPECT_EQ(name.str(), OsName(scratch / "target.txt"));
        Name hinted(OsName(scratch / "link.lnk"));
        EXPECT_EQ(Win32ResolveShortCutExists(hinted.text, 1), 1);
        EXPECT_EQ(hinted.str(), OsName(scratch / "target.txt"));
    }
}

TEST(Shortcuts, RelativeTargetIsTakenFromTheLinksFolder) {
    ScratchFolder scratch;
    fs::create_directories(scratch / "links");
    scratch.File("target.txt");
    ShellLinkParts parts;
    parts.relativePath = u"..\\target.txt";
    WriteLink(scratch / "links" / "up.lnk", parts);
    Name name(OsName(scratch / "links" / "up.lnk"));
    EXPECT_EQ(Win32ResolveShortCut(name.text), 1);
    EXPECT_EQ(name.str(), OsName(scratch / "target.txt"));
}

TEST(Shortcuts, NetworkTargetHasNoNameHere) {
    if (kWindows) GTEST_SKIP() << "there is no server to reach";
    ScratchFolder scratch;
    ShellLinkParts parts;
    parts.netName = u"\\\\server\\share";
    parts.commonPathSuffix = u"dir\\file.txt";
    WriteLink(scratch / "net.lnk", parts);
    const std::string before = OsName(scratch / "net.lnk");
    Name name(before);
    EXPECT_EQ(Win32ResolveShortCut(name.text), 0) << "a server share is no POSIX name";
    EXPECT_EQ(name.str(), before);
}

TEST(Shortcuts, UnicodeNames) {
    ScratchFolder scratch;
    // The names in the ANSI code page 1252, the default of both systems here: "verknüpfung.lnk" and
    // "Ziel-é€.txt".
    const std::string folder = OsName(scratch.Root()) + (kWindows ? "\\" : "/");
    const std::string link = folder + "verkn\xFCpfung.lnk";
    const std::string target = folder + "Ziel-\xE9\x80.txt";
    tq::test::WriteText(scratch.Root() / fs::path(u8"Ziel-\u00e9\u20ac.txt"), "x");
    ShellLinkParts parts;
    parts.localBasePath = LinkText(scratch.Ref()) + u"\\Ziel-\u00e9\u20ac.txt";
    WriteLink(scratch.Root() / fs::path(u8"verkn\u00fcpfung.lnk"), parts);
    Name name(link);
    EXPECT_EQ(Win32ResolveShortCut(name.text), 1);
    EXPECT_EQ(name.str(), target);
    PathRef linkPath(link, kWindows ? PathRef::StringDOS() : PathRef::StringUnix());
    EXPECT_EQ(FExists(&linkPath), 1);
}

TEST(Shortcuts, NameWithoutExtensionAndTheExistsHint) {
    ReportCapture capture;
    ScratchFolder scratch;
    scratch.File("target.txt");
    WriteLink(scratch / "a.lnk", LocalLink(scratch.Ref("target.txt")));
    const std::string a = OsName(scratch / "a");
    Name missing(a);
    EXPECT_EQ(Win32ResolveShortCut(missing.text), 1) << "a is missing and a.lnk is a link";
    EXPECT_EQ(missing.str(), OsName(scratch / "target.txt"));
    Name saidToExist(a);
    EXPECT_EQ(Win32ResolveShortCutExists(saidToExist.text, 1), 0);
    EXPECT_EQ(saidToExist.str(), a);
    scratch.File("a");
    Name ordinary(a);
    EXPECT_EQ(Win32ResolveShortCut(ordinary.text), 0) << "a exists: an ordinary file";
    EXPECT_EQ(ordinary.str(), a);
    Name saidMissing(a);
    EXPECT_EQ(Win32ResolveShortCutExists(saidMissing.text, 2), 1);
    EXPECT_EQ(ReportCapture::Count(kDbgWarn, "Bogus Value"), 0);
    Name bogus(a);
    EXPECT_EQ(Win32ResolveShortCutExists(bogus.text, 7), 0) << "an unknown hint asks the file system";
    EXPECT_EQ(ReportCapture::Count(kDbgWarn, "Bogus Value"), 1);
    Name noLinkEither(OsName(scratch / "b"));
    EXPECT_EQ(Win32ResolveShortCut(noLinkEither.text), 0);
    EXPECT_EQ(noLinkEither.str(), OsName(scratch / "b")) << "the .lnk tried is taken off again";
}

TEST(Shortcuts, MiddleFolderLinkKeepsTheLaterItems) {
    ScratchFolder scratch;
    fs::create_directories(scratch / "real" / "deeper");
    scratch.File("real/deeper/inner.txt", "inside");
    WriteLink(scratch / "first.lnk", LocalLink(scratch.Ref("real")));
    WriteLink(scratch / "real" / "second.lnk", LocalLink(scratch.Ref("real/deeper")));
    Name name(OsName(scratch / "first.lnk" / "second.lnk" / "inner.txt"));
    EXPECT_EQ(Win32ResolveAllShortCuts(name.text), 1);
    EXPECT_EQ(name.str(), OsName(scratch / "real" / "deeper" / "inner.txt"));

    // The file functions that resolve reach the file through both links.
    PathRef through = scratch.Ref("first.lnk/second.lnk/inner.txt");
    EXPECT_EQ(FExists(&through), 1);
    File fd = 0;
    ASSERT_EQ(FMOpen(&fd, &through, kOpenRead, kDenyNone), kErrNone);
    char text[16] = {};
    int32 actual = 0;
    EXPECT_EQ(FMRead(fd, 6, &actual, reinterpret_cast<UPtr>(text)), kErrNone);
    EXPECT_STREQ(text, "inside");
    FMClose(fd);
    Path resolved = FResolvePath(nullptr, &through);
    ASSERT_NE(resolved, nullptr);
    EXPECT_TRUE(resolved->Equals(scratch.Ref("real/deeper/inner.txt")));
    PathRef::DisposePath(resolved);
    PathRef link = scratch.Ref("first.lnk");
    EXPECT_EQ(FExists(&link), 2) << "the link's target is a folder";
    int32 isShortcut = 0;
    EXPECT_EQ(FIsShortcut(&link, &isShortcut), kErrNone);
    EXPECT_EQ(isShortcut, 1) << "the link itself is read without resolving";

    // Those that must not resolve see the link file as it is.
    PathRef newFolder = scratch.Ref("first.lnk/made");
    EXPECT_NE(FNewDir(&newFolder, 0777), kErrNone);
    EXPECT_FALSE(fs::exists(scratch / "real" / "made"));
    EXPECT_NE(FRemove(&through), kErrNone);
    EXPECT_TRUE(fs::exists(scratch / "real" / "deeper" / "inner.txt"));
    EXPECT_EQ(FRemove(&link), kErrNone) << "removing a link removes the link file";
    EXPECT_FALSE(fs::exists(scratch / "first.lnk"));
    EXPECT_TRUE(fs::exists(scratch / "real"));
}

TEST(Shortcuts, DamagedLinksLeaveTheNameAlone) {
    ScratchFolder scratch;
    scratch.File("target.txt");
    ShellLinkLayout layout;
    const std::vector<uint8_t> whole = ShellLinkWriter::Make(LocalLink(scratch.Ref("target.txt")), &layout);
    const std::string before = OsName(scratch / "bad.lnk");
    std::vector<std::vector<uint8_t>> damaged;
    for (const size_t size : {size_t(0), size_t(40), size_t(0x4C), layout.linkInfo + 30, whole.size() / 2})
        damaged.emplace_back(whole.begin(), whole.begin() + std::ptrdiff_t(size));
    std::vector<uint8_t> outside = whole;
    ShellLinkWriter::Put32(outside, layout.linkInfo + 16, 0x7FFFFFF0);  // local base path offset
    ShellLinkWriter::Put32(outside, layout.linkInfo + 28, 0x7FFFFFF0);  // and its Unicode form
    damaged.push_back(outside);
    for (const std::vector<uint8_t>& bytes : damaged) {
        std::ofstream(scratch / "bad.lnk", std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        Name name(before);
        EXPECT_EQ(Win32ResolveShortCut(name.text), 0) << bytes.size() << " bytes";
        EXPECT_EQ(name.str(), before);
    }
}

TEST(Shortcuts, OrdinaryNamesAreLeftAlone) {
    ScratchFolder scratch;
    scratch.File("plain.txt");
    scratch.File("fake.lnk",
                 "not a link at all, only text that is long enough to be read as a header........");
    fs::create_directory(scratch / "folder.lnk");
    for (const char* item : {"plain.txt", "fake.lnk", "folder.lnk", "missing.lnk"}) {
        const std::string before = OsName(scratch / item);
        Name one(before), all(before);
        EXPECT_EQ(Win32ResolveShortCut(one.text), 0) << item;
        EXPECT_EQ(one.str(), before);
        EXPECT_EQ(Win32ResolveAllShortCuts(all.text), 0) << item;
        EXPECT_EQ(all.str(), before);
    }
    EXPECT_EQ(Win32ResolveShortCut(nullptr), 0);
    EXPECT_EQ(Win32ResolveAllShortCuts(nullptr), 0);
    PathRef folder = scratch.Ref("folder.lnk");
    EXPECT_EQ(FExists(&folder), 2);
}

TEST(Shortcuts, LinksAndSymbolicLinksTogether) {
    if (kWindows) GTEST_SKIP() << "symbolic links need privileges there";
    ScratchFolder scratch;
    fs::create_directories(scratch / "real");
    scratch.File("target.txt");
    WriteLink(scratch / "real" / "x.lnk", LocalLink(scratch.Ref("target.txt")));
    fs::create_directory_symlink(scratch / "real", scratch / "sym");
    PathRef p = scratch.Ref("sym/x.lnk");
    Path resolved = FResolvePath(nullptr, &p);
    ASSERT_NE(resolved, nullptr);
    EXPECT_TRUE(resolved->Equals(scratch.Ref("target.txt")));
    PathRef::DisposePath(resolved);
    EXPECT_TRUE(p.ResolveShortcuts(1).Equals(scratch.Ref("real/x.lnk"))) << "the parent alone";
}

TEST(Shortcuts, AThreadWithoutComIsReportedAndStillResolves) {
    if (!kWindows) GTEST_SKIP() << "no COM on POSIX: links are read as the files they are";
    ReportCapture capture;
    ScratchFolder scratch;
    scratch.File("target.txt");
    WriteLink(scratch / "link.lnk", LocalLink(scratch.Ref("target.txt")));
    Name name(OsName(scratch / "link.lnk"));
    int32 resolved = 0;
    std::thread([&] { resolved = Win32ResolveShortCut(name.text); }).join();
    EXPECT_EQ(resolved, 1);
    EXPECT_EQ(name.str(), OsName(scratch / "target.txt"));
    EXPECT_EQ(ReportCapture::Count(kDbgWarn,
                                   "Win32ResolveShortCut called from thread that wasn't CoInitialized()."),
              1);
}

}  // namespace
