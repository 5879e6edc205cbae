#include <cstring>
#include <string>

#include "PathTestSupport.h"
#include "paths/PathFormatReader.h"
#include "platform/CodePage.h"
#include "platform/CurrentDirectory.h"
#include "support/ReportCapture.h"
#include "support/TestHost.h"
#include "tqcore/memory.h"
#include "tqcore/strings.h"

namespace {

const char* const kDisplay = PathRef::StringDisplay();
const char* const kUnix = PathRef::StringUnix();
const char* const kPI = PathRef::StringPlatformIndependent();
const char* const kAgnostic = PathRef::StringPlatformAgnostic();

std::string Text(const PathRef& p, const char* format) {
    std::string out;
    EXPECT_EQ(p.ConvertToString(&out, format), kErrNone) << format;
    return out;
}

struct Expected {
    PathBase base;
    Names items;
};

void ExpectRead(const std::string& text, const char* format, PathBase base, const Names& items) {
    const PathRef p(text, format);
    EXPECT_TRUE(p.StartsWith(base)) << "\"" << text << "\" in " << format;
    EXPECT_EQ(Items(p), items) << "\"" << text << "\" in " << format;
}

template <class Reader>
PathRef ReadAs(const std::string& text) {
    Reader reader(text);
    PathRef p;
    EXPECT_EQ(tq::paths::ReadWith(reader, &p), kErrNone) << text;
    return p;
}

TEST(PathTextWriters, GrammarOfEachFormat) {
    struct Row {
        PathRef path;
        const char* win;
        const char* unix;
        const char* pi;
    };
    const Row rows[] = {
        {MakePath(kBaseAbsolute, {"D", "a", "b"}), "D:\\a\\b", "/D/a/b", "/D/a/b"},
        {MakePath(kBaseAbsolute, {"D"}), "D:\\", "/D", "/D"},
        {PathRef(kBaseAbsolute), "", "/", ""},
        {MakePath(kBaseRelative, {"a", "b"}), "a\\b", "a/b", "a/b"},
        {MakePath(kBaseRelative, {UP, "a"}), "..\\a", "../a", "../a"},
        {PathRef(kBaseRelative), ".", ".", ""},
        {MakePath(kBaseUNC, {"\\\\srv\\share", "a"}), "\\\\srv\\share\\a", "\\\\srv\\share/a",
         "//srv/share/a"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(Text(r.path, kDisplay), r.win);
        EXPECT_EQ(Text(r.path, PathRef::StringDOS()), r.win);
        EXPECT_EQ(Text(r.path, kUnix), r.unix);
        EXPECT_EQ(Text(r.path, kPI), r.pi);
        EXPECT_EQ(Text(r.path, kAgnostic), r.pi);
        EXPECT_EQ(r.path.ToString(kDisplay), r.win);
    }
}

TEST(PathTextWriters, NotAPathNullMarkerAndCommandLine) {
    PathRef::SetNotAPathString("<Not A Path>");
    std::string out = "x";
    EXPECT_EQ(PathRef().ConvertToString(&out, kDisplay), kErrNone);
    EXPECT_EQ(out, "<Not A Path>");
    EXPECT_EQ(PathRef(kBaseNull).ConvertToString(&out, kUnix), kErrArgument);
    EXPECT_EQ(out, "<Not A Path>");
    PathRef::SetNotAPathString("");
    EXPECT_EQ(PathRef().ToString(kPI), "");
    EXPECT_EQ(Text(MakePath(kBaseAbsolute, {"D", "x"}), PathRef::StringCommandLine()), "D:\\x");
    EXPECT_EQ(PathRef(kBaseAbsolute).ConvertToString(&out, PathRef::StringCommandLine()), kErrArgument);
    EXPECT_EQ(PathRef().ConvertToString(&out, PathRef::StringCommandLine()), kErrArgument);
    EXPECT_EQ(PathRef(kBaseAbsolute).ConvertToString(&out, "pathref_mac"), kErrNotSupported);
    EXPECT_EQ(PathRef(kBaseAbsolute).ConvertToString(nullptr, kDisplay), kErrArgument);
    EXPECT_EQ(PathRef(kBaseAbsolute).ConvertToString(&out, nullptr), kErrArgument);
    const PathRef p = MakePath(kBaseAbsolute, {"D"});
    EXPECT_PKEXCEPT(p.ToString("nonsense"), kErrNotSupported, "PathRef ToString");
    EXPECT_PKEXCEPT(PathRef(kBaseAbsolute).ToString(PathRef::StringCommandLine()), kErrArgument,
                    "PathRef ToString");
}

TEST(PathTextReaders, WindowsText) {
    ExpectRead("D:", kDisplay, kBaseAbsolute, {"D"});
    ExpectRead("D:\\", kDisplay, kBaseAbsolute, {"D"});
    EXPECT_EQ(PathRef("D:", kDisplay).ToString(kDisplay), "D:\\");
    ExpectRead("D:name", kDisplay, kBaseAbsolute, {"D", "name"});
    ExpectRead("D:name\\x", kDisplay, kBaseAbsolute, {"D", "name", "x"});
    ExpectRead("D::name", kDisplay, kBaseAbsolute, {"D", "name"});
    ExpectRead("D:\\a\\b", kDisplay, kBaseAbsolute, {"D", "a", "b"});
    ExpectRead("D:\\a\\..\\b", kDisplay, kBaseAbsolute, {"D", "b"});
    ExpectRead("\\\\srv\\share\\a", kDisplay, kBaseUNC, {"\\\\srv\\share", "a"});
    ExpectRead("\\\\srv", kDisplay, kBaseUNC, {"\\\\srv\\"});
    ExpectRead("a/b", kDisplay, kBaseRelative, {"a/b"});
    ExpectRead("a\\.\\b\\\\c\\", kDisplay, kBaseRelative, {"a", "b", "c"});
    ExpectRead("..\\..\\a", kDisplay, kBaseRelative, {"UP", "UP", "a"});
    ExpectRead(".", kDisplay, kBaseRelative, {});
    ExpectRead("a\\b:c", kDisplay, kBaseRelative, {"a", "b:c"});
    ExpectRead("", kDisplay, kBaseAbsolute, {});
    ExpectRead("", PathRef::StringDOS(), kBaseAbsolute, {});
}

TEST(PathTextReaders, RootedWindowsTextStandsOnTheCurrentVolume) {
    const std::string volume = tq::platform::CurrentVolume();
    if (volume.empty()) {
        ExpectRead("\\a", kDisplay, kBaseAbsolute, {"a"});
        return;
    }
    ExpectRead("\\a", kDisplay, kBaseAbsolute, {volume, "a"});
    ExpectRead("\\", kDisplay, kBaseAbsolute, {volume});
}

TEST(PathTextReaders, UnixText) {
    ExpectRead("/usr/lib/../bin/./x", kUnix, kBaseAbsolute, {"usr", "bin", "x"});
    ExpectRead("/", kUnix, kBaseAbsolute, {});
    ExpectRead("", kUnix, kBaseAbsolute, {});
    ExpectRead("a//b/", kUnix, kBaseRelative, {"a", "b"});
    ExpectRead("..", kUnix, kBaseRelative, {"UP"});
    ExpectRead("../../x", kUnix, kBaseRelative, {"UP", "UP", "x"});
    ExpectRead("a\\b", kUnix, kBaseRelative, {"a\\b"});
    ExpectRead("\\\\srv\\share/a", kUnix, kBaseUNC, {"\\\\srv\\share", "a"});
    ExpectRead(".", kUnix, kBaseRelative, {});
}

TEST(PathTextReaders, PlatformIndependentText) {
    ExpectRead("/", kPI, kBaseRelative, {});
    ExpectRead("", kPI, kBaseAbsolute, {});
    ExpectRead("/D/a/b", kPI, kBaseAbsolute, {"D", "a", "b"});
    ExpectRead("/D", kPI, kBaseAbsolute, {"D"});
    ExpectRead("//srv/share/a", kPI, kBaseUNC, {"\\\\srv\\share", "a"});
    ExpectRead("//srv/share", kPI, kBaseUNC, {"\\\\srv\\share"});
    ExpectRead("../a/./b", kPI, kBaseRelative, {"UP", "a", "b"});
    ExpectRead("a/b/..", kPI, kBaseRelative, {"a"});
}

TEST(PathTextReaders, ColonText) {
    using WidePathFormat::PathFormatReaderMac;
    const PathRef disk = ReadAs<PathFormatReaderMac>("Disk:a:b");
    EXPECT_TRUE(disk.StartsWith(kBaseAbsolute));
    EXPECT_EQ(Items(disk), (Names{"Disk", "a", "b"}));
    const PathRef rel = ReadAs<PathFormatReaderMac>(":a");
    EXPECT_TRUE(rel.StartsWith(kBaseRelative));
    EXPECT_EQ(Items(rel), (Names{"a"}));
    EXPECT_EQ(Items(ReadAs<PathFormatReaderMac>("::b")), (Names{"UP", "b"}));
    EXPECT_TRUE(ReadAs<PathFormatReaderMac>("").StartsWith(kBaseAbsolute));
    EXPECT_TRUE(ReadAs<PathFormatReaderMac>("name").StartsWith(kBaseRelative));
}

TEST(PathTextReaders, AgnosticTextPicksItsReader) {
    ExpectRead("/usr/x", kAgnostic, kBaseAbsolute, {"usr", "x"});
    ExpectRead("D:\\x", kAgnostic, kBaseAbsolute, {"D", "x"});
    ExpectRead("Disk:Folder:File", kAgnostic, kBaseAbsolute, {"Disk", "Folder", "File"});
    ExpectRead("a/b/c", kAgnostic, kBaseRelative, {"a", "b", "c"});
    ExpectRead("a\\b", kAgnostic, kBaseRelative, {"a", "b"});
}

TEST(PathTextReaders, Errors) {
    EXPECT_PKEXCEPT(PathRef("x", "pathref_mac"), kErrNotSupported, "PathRef from string constructor");
    EXPECT_PKEXCEPT(PathRef("x", nullptr), kErrArgument, "PathRef from string constructor");
    EXPECT_PKEXCEPT(PathRef("", PathRef::StringCommandLine()), kErrArgument,
                    "Empty command line strings cannot be converted to Path");
    ExpectRead("C:\\x", PathRef::StringCommandLine(), kBaseAbsolute, {"C", "x"});
    EXPECT_PKEXCEPT(PathRef("\\\\srv/..", kUnix), kErrArgument, "PathRef from string constructor");
}

TEST(PathTextRoundTrips, EveryFormatReadsBackItsOwnText) {
    const PathRef paths[] = {
        MakePath(kBaseAbsolute, {"D", "a", "b"}),
        MakePath(kBaseAbsolute, {"D"}),
        MakePath(kBaseRelative, {"a", "b"}),
        MakePath(kBaseRelative, {UP, UP, "a"}),
        MakePath(kBaseUNC, {"\\\\srv\\share", "x", "y"}),
        MakePath(kBaseAbsolute, {"Dvol", "with space", "n.ext"}),
        PathRef(kBaseAbsolute),
    };
    for (const PathRef& p : paths) {
        for (const char* format : {kDisplay, PathRef::StringDOS(), kUnix, kPI, kAgnostic}) {
            if (format == kAgnostic && p.StartsWith(kBaseUNC)) continue;
            const std::string text = Text(p, format);
            const PathRef back(text, format);
            EXPECT_TRUE(back.Equals(p, kCompareExact)) << format << ": \"" << text << "\"";
        }
    }
    // Agnostic reading takes any text that starts with "/" as Unix text, a network path's included.
    ExpectRead("//srv/share/x", kAgnostic, kBaseAbsolute, {"srv", "share", "x"});
    EXPECT_TRUE(PathRef(".", kDisplay).Equals(PathRef(kBaseRelative)));
    EXPECT_TRUE(PathRef(".", kUnix).Equals(PathRef(kBaseRelative)));
}

TEST(PathTextReaders, DoubleByteCharactersAreNotSplit) {
    const uInt32 previous = tq::platform::AnsiCodePage();
    if (!tq::platform::SetAnsiCodePage(932)) GTEST_SKIP() << "code page 932 is not available";
    // 0x81 0x5C is one character whose second byte is a backslash.
    const std::string name = "\x81\x5c";
    ExpectRead(name + "\\b", kDisplay, kBaseRelative, {name, "b"});
    ExpectRead("D:\\" + name + "\\b", kDisplay, kBaseAbsolute, {"D", name, "b"});
    ExpectRead(name + "/b", kUnix, kBaseRelative, {name, "b"});
    EXPECT_TRUE(PathRef::NameWildCardMatch(name, "?"));
    tq::platform::SetAnsiCodePage(previous);
    ExpectRead(name + "\\b", kDisplay, kBaseRelative, {"\x81", "b"});
}

class EmbeddedHost : public TestHost {
  public:
    bool IsEmbeddedRunTime() override { return true; }
};

TEST(PathTextCache, ConvertedTextIsCachedUnlessTheHostSaysNot) {
    const PathRef cached = MakePath(kBaseRelative, {"cache-test", "one"});
    const uInt64 before = cached.MemorySize();
    cached.ToString(kUnix);
    const uInt64 withText = cached.MemorySize();
    EXPECT_GE(withText, before + 48) << "the text buffer and the cached text";
    PathRef plain = MakePath(kBaseRelative, {"cache-test", "two"});
    const uInt64 buffer = 2 * 16 + 48;  // room the empty text buffer will have at least
    EmbeddedHost host;
    TQAppInterfaceSet(&host);
    const uInt64 plainBefore = plain.MemorySize();
    plain.ToString(kUnix);
    const uInt64 plainAfter = plain.MemorySize();
    TQAppInterfaceSet(nullptr);
    EXPECT_LT(plainAfter - plainBefore, buffer + 2 * 32) << "only the text buffer, no cached text";
    EXPECT_GT(withText - before, plainAfter - plainBefore);
}

// --- Plain functions ---

std::string HandleText(LStrHandle h) {
    return std::string(reinterpret_cast<const char*>((*h)->str), size_t((*h)->cnt));
}

TEST(PathPlainFunctions, TextToPathAndBack) {
    Path p = nullptr;
    const char text[] = "D:\\dir\\file";
    EXPECT_EQ(FTextToPath(reinterpret_cast<UPtr>(const_cast<char*>(text)), int32(std::strlen(text)), &p), 0);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(Items(*p), (Names{"D", "dir", "file"}));
    EXPECT_EQ(FFileSystemCStrToPath("E:\\x", &p), 0);
    EXPECT_EQ(Items(*p), (Names{"E", "x"}));
    {
        ReportCapture capture;
        EXPECT_EQ(FFileSystemCStrToPath(nullptr, &p), kErrArgument);
        EXPECT_EQ(ReportCapture::Count(kDbgError, "FFileSystemCStrToPath: don't pass NULL for text"), 1);
    }
    EXPECT_EQ(FTextToPath(nullptr, 3, &p), kErrArgument);
    EXPECT_EQ(FTextToPath(nullptr, 0, nullptr), kErrArgument);

    LStrHandle h = nullptr;
    EXPECT_EQ(FPathToDSString(p, &h), 0);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(HandleText(h), "E:\\x");
    EXPECT_EQ((*h)->str[(*h)->cnt], 0) << "a NUL follows the text";
    EXPECT_EQ(FStringToPath(h, &p), 0);
    EXPECT_EQ(Items(*p), (Names{"E", "x"}));
    EXPECT_EQ(FPathToUnixString(p, &h), 0);
    EXPECT_EQ(HandleText(h), "/E/x");
    EXPECT_EQ(FPathToStringRTF(p, &h), 0);
    EXPECT_EQ(HandleText(h), "E:\\\\x");
    EXPECT_EQ(FPathToDSString(nullptr, &h), 0);
    EXPECT_EQ(HandleText(h), PathRef::GetNotAPathString());
    EXPECT_EQ(ConvertPathToPlatformIndependentText(p, &h), 0);
    EXPECT_EQ(HandleText(h), "/E/x");
    Path q = nullptr;
    EXPECT_EQ(ConvertPlatformIndependentTextToPath(&q, h), 0);
    ASSERT_NE(q, nullptr);
    EXPECT_TRUE(q->Equals(*p));
    EXPECT_EQ(ConvertPathToPlatformIndependentText(nullptr, &h), kErrArgument);
    {
        ReportCapture capture;
        EXPECT_EQ(ConvertPlatformIndependentTextToPath(&q, nullptr), kErrArgument);
        EXPECT_EQ(
            ReportCapture::Count(kDbgError, "ConvertPlatformIndependentTextToPathNew: NULL text passed in"),
            1);
    }
    EXPECT_EQ(FPathToURL(p, &h), kErrNotFound);
    DSDisposeHandle(reinterpret_cast<UHandle>(h));
    LStrHandle az = nullptr;
    EXPECT_EQ(FPathToAZString(p, &az), 0);
    EXPECT_EQ(HandleText(az), "E:\\x");
    AZDisposeHandle(reinterpret_cast<UHandle>(az));
    PathRef::DisposePath(p);
    PathRef::DisposePath(q);
}

TEST(PathPlainFunctions, BuffersAndCStrings) {
    PathRef p = MakePath(kBaseAbsolute, {"C", "temp"});
    struct {
        int32 cnt;
        uChar str[64];
    } buf{};
    buf.cnt = -1;
    EXPECT_EQ(FPathToText(&p, reinterpret_cast<LStrPtr>(&buf)), 0);
    EXPECT_EQ(buf.cnt, 7);
    EXPECT_EQ(buf.str[0], 0) << "a negative count only measures";
    buf.cnt = 0;
    EXPECT_EQ(FPathToText(&p, reinterpret_cast<LStrPtr>(&buf)), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf.str), 7), "C:\\temp");
    EXPECT_EQ(FPathToText(&p, nullptr), kErrArgument);

    UHandle c = PathToCString(&p);
    ASSERT_NE(c, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(*c), "C:\\temp");
    EXPECT_EQ(DSGetHandleSize(c), 8);
    DSDisposeHandle(c);

    UPtr s = nullptr;
    EXPECT_EQ(FPathToMaxCString(&p, &s), 0);
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(s), "C:\\temp");
    DSDisposePtr(s);
    PathRef longest = MakePath(kBaseAbsolute, {"C", std::string(254, 'n').c_str()});  // 3 + 254 + ... bytes
    EXPECT_EQ(longest.ToString(kDisplay).size(), 257u);
    EXPECT_EQ(FPathToMaxCString(&longest, &s), 0);
    DSDisposePtr(s);
    longest.Append("abcd");
    EXPECT_EQ(longest.ToString(kDisplay).size(), 262u);
    EXPECT_EQ(FPathToMaxCString(&longest, &s), kErrMemoryFull);
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(FPathToMaxCString(&p, nullptr), kErrArgument);
}

TEST(PathPlainFunctions, ProcessWideStrings) {
    const uChar notAPath[] = "\x05none!";
    FSetNotAPathString(notAPath);
    EXPECT_EQ(std::memcmp(FGetNotAPathString(), notAPath, 6), 0);
    FSetNotAPathString(nullptr);
    EXPECT_EQ(FGetNotAPathString()[0], 0);
    PathRef::SetPathTooLongString("long");
    EXPECT_EQ(PathRef::GetPathTooLongString(), "long");
    PathRef::SetPathTooLongString("");
}

// --- The formatting engine's %z ---

std::string Formatted(const char* format, const void* path) {
    uChar out[600];
    const int32 n = SNPrintf(out, sizeof out, format, path);
    return std::string(reinterpret_cast<char*>(out), size_t(n < 0 ? 0 : n));
}

TEST(PathFormatting, PercentZPrintsTheDisplayText) {
    PathRef p = MakePath(kBaseAbsolute, {"D", "x"});
    EXPECT_EQ(Formatted("[%z]", &p), "[D:\\x]");
    EXPECT_EQ(Formatted("[%z]", nullptr), "[NULL]");
    PathRef::SetNotAPathString("<none>");
    PathRef notAPath, marker(kBaseNull);
    EXPECT_EQ(Formatted("[%z]", &notAPath), "[<none>]");
    EXPECT_EQ(Formatted("[%z]", &marker), "[<none>]");
    PathRef::SetNotAPathString("");
    const uChar tooLong[] = "\x08(too long)";
    FSetPathTooLongString(tooLong);
    // "D:\" and a name: 3 + n bytes.
    PathRef fits = MakePath(kBaseAbsolute, {"D", std::string(249, 'f').c_str()});
    EXPECT_EQ(fits.ToString(kDisplay).size(), 252u);
    EXPECT_EQ(Formatted("%z", &fits), fits.ToString(kDisplay));
    PathRef over = MakePath(kBaseAbsolute, {"D", std::string(250, 'f').c_str()});
    EXPECT_EQ(over.ToString(kDisplay).size(), 253u);
    EXPECT_EQ(Formatted("%z", &over), "(too lon");
    FSetPathTooLongString(nullptr);
    EXPECT_EQ(Formatted("<%z>", &over), "<>");
}

}  // namespace
