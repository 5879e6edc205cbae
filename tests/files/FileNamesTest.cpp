// Names: legality, OS names of paths, resource-file extensions, sorted name lists, wildcard characters.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FilesTestSupport.h"
#include "support/Exceptions.h"
#include "tqcore/memory.h"
#include "tqcore/strings.h"

namespace {

std::vector<uChar> PStr(const std::string& s) {
    std::vector<uChar> p(256, 0);
    p[0] = uChar(s.size());
    std::memcpy(p.data() + 1, s.data(), s.size());
    return p;
}

std::string Text(const std::vector<uChar>& p) {
    return std::string(reinterpret_cast<const char*>(p.data() + 1), p[0]);
}

int32 Check(const std::string& name, std::string* bad = nullptr, int32 skip = 0) {
    char found[16] = "junk";
    const auto p = PStr(name);
    const int32 flags = FileNameChk(p.data(), 0, skip, found);
    if (bad) *bad = found;
    return flags;
}

PathRef Absolute(std::initializer_list<const char*> items) {
    PathRef p(kBaseAbsolute);
    for (const char* item : items) p.Append(item);
    return p;
}

std::u16string OsName(PathRef& p, TqErr* err = nullptr) {
    TQWChar buf[260];
    buf[0] = 'x';
    const TqErr e = MakeDOSPathName(&p, buf, 1);
    if (err) *err = e;
    std::u16string out;
    for (const TQWChar* c = buf; *c; ++c) out.push_back(char16_t(*c));
    return out;
}

TEST(FileNames, LegalAndIllegalNames) {
    std::string bad;
    EXPECT_EQ(Check("report.txt", &bad), 0);
    EXPECT_EQ(bad, "");
    EXPECT_EQ(Check(""), kNameEmpty);
    EXPECT_EQ(Check("ends."), kNameEndsInDot);
    EXPECT_EQ(Check("."), kNameEndsInDot);
    EXPECT_EQ(Check("a*b?c*", &bad), kNameForbiddenChar);
    EXPECT_EQ(bad, "*?");
    EXPECT_EQ(Check("\"*/:<>?\\|", &bad), kNameForbiddenChar);
    EXPECT_EQ(bad, "\"*/:<>?\\|");
    EXPECT_EQ(Check("x:.", &bad), kNameForbiddenChar | kNameEndsInDot);
    EXPECT_EQ(bad, ":");
    for (const char* device : {"AUX", "clock$", "Con", "NUL", "prn", "COM1", "lpt9"})
        EXPECT_EQ(Check(device), kNameReservedDevice) << device;
    for (const char* name : {"CON.txt", "COM10", "COMX", "LPT", "AUXX"}) EXPECT_EQ(Check(name), 0) << name;
    EXPECT_EQ(Check("a:b", &bad, 1), 0);
    EXPECT_EQ(bad, "");
    EXPECT_EQ(FileNameChk(nullptr, 0, 0, nullptr), kNameEmpty);
}

TEST(FileNames, OsNameOfAPath) {
    PathRef p = Absolute({"C", "dir", "f.txt"});
#ifdef _WIN32
    EXPECT_EQ(OsName(p), u"C:\\dir\\f.txt");
    PathRef volume = Absolute({"C"});
    EXPECT_EQ(OsName(volume), u"C:\\");
#else
    EXPECT_EQ(OsName(p), u"/C/dir/f.txt");
    PathRef top = Absolute({"home"});
    EXPECT_EQ(OsName(top), u"/home");
#endif
    TqErr err = kErrNone;
    PathRef root(kBaseAbsolute);
    EXPECT_EQ(OsName(root, &err), u"");
    EXPECT_EQ(err, kErrArgument);
    PathRef relative(kBaseRelative);
    relative.Append("a");
    OsName(relative, &err);
    EXPECT_EQ(err, kErrArgument);
    PathRef illegal = Absolute({"C", "a?b"});
    OsName(illegal, &err);
    EXPECT_EQ(err, kErrArgument);
    PathRef device = Absolute({"C", "NUL"});
    OsName(device, &err);
    EXPECT_EQ(err, kErrArgument);
    EXPECT_EQ(MakeDOSPathName(nullptr, nullptr, 0), kErrArgument);
}

TEST(FileNames, OsNamesStayBelow260Bytes) {
    // Item 0 and its separator take two bytes in either form ("/C" or "C:"); each further item one more.
    PathRef p = Absolute({"C"});
    p.Append(std::string(200, 'a'));
    p.Append(std::string(55, 'b'));
    TqErr err = kErrNone;
    EXPECT_EQ(OsName(p, &err).size(), 2u + 201u + 56u);
    EXPECT_EQ(err, kErrNone);
    p = p.GetParentDirectory();
    p.Append(std::string(56, 'b'));
    EXPECT_EQ(OsName(p, &err), u"");
    EXPECT_EQ(err, kErrPathTooLong);
}

struct Extensions {
    int32 count = 2;
    ExtensionListEntry entries[2] = {{0x11, "rsc"}, {0x22, "tql"}};
};

TEST(FileNames, ResourceFileExtensions) {
    static Extensions list;
    PathRef::SetExtensionList(reinterpret_cast<const ExtensionList*>(&list), nullptr);
    EXPECT_EQ(PStrHasRezExt(PStr("menu.RSC").data()), 0x11);
    EXPECT_EQ(PStrHasRezExt(PStr("menu.txt").data()), 0);
    EXPECT_EQ(PStrHasRezExt(PStr("rsc").data()), 0);
    PathRef p = Absolute({"C", "lib.tql"});
    EXPECT_EQ(HasRezExt(&p), 0x22);
    PathRef root(kBaseAbsolute);
    EXPECT_EQ(HasRezExt(&root), 0);
    auto name = PStr("menu");
    EXPECT_EQ(PStrAppendRezExt(name.data(), 0x11), 0);
    EXPECT_EQ(Text(name), "menu.rsc");
    EXPECT_EQ(PStrAppendRezExt(name.data(), 0x99), 0);
    EXPECT_EQ(Text(name), "menu.rsc");
    EXPECT_EQ(PStrStripRezExt(name.data(), 0x22), 0);
    EXPECT_EQ(Text(name), "menu.rsc");
    EXPECT_EQ(PStrStripRezExt(name.data(), 0x11), 4);
    EXPECT_EQ(Text(name), "menu");
    auto other = PStr("a.b.unknown");
    EXPECT_EQ(PStrStripRezExt(other.data(), 0), 8);
    EXPECT_EQ(Text(other), "a.b");
    auto plain = PStr("plain");
    EXPECT_EQ(PStrStripRezExt(plain.data(), 0), 0);
    auto full = PStr(std::string(253, 'n'));
    PStrAppendRezExt(full.data(), 0x11);
    EXPECT_EQ(full[0], 253);
}

CPStrHandle PackedList(const std::vector<std::string>& names) {
    std::vector<uChar> bytes(sizeof(int32));
    const int32 count = int32(names.size());
    std::memcpy(bytes.data(), &count, sizeof count);
    for (const std::string& n : names) {
        bytes.push_back(uChar(n.size()));
        bytes.insert(bytes.end(), n.begin(), n.end());
    }
    UHandle h = DSNewHandle(bytes.size());
    std::memcpy(*h, bytes.data(), bytes.size());
    return reinterpret_cast<CPStrHandle>(h);
}

std::vector<std::string> Unpacked(CPStrHandle h) {
    std::vector<std::string> out;
    const uChar* p = (*h)->str;
    for (int32 i = 0; i < (*h)->cnt; ++i) {
        out.emplace_back(reinterpret_cast<const char*>(p + 1), p[0]);
        p += 1 + p[0];
    }
    return out;
}

TEST(FileNames, SortedNameListsCarryTheirInformation) {
    CPStrHandle names = PackedList({"delta", "Alpha", "charlie", "bravo"});
    UHandle info = DSNewHandle(4 * sizeof(VolKindRec));
    auto* kinds = reinterpret_cast<VolKindRec*>(*info);
    for (uInt32 i = 0; i < 4; ++i) kinds[i] = {i, {'k', 'i', 'n', char('0' + i)}};
    LSort(names, info);
    EXPECT_EQ(Unpacked(names), (std::vector<std::string>{"Alpha", "bravo", "charlie", "delta"}));
    kinds = reinterpret_cast<VolKindRec*>(*info);
    EXPECT_EQ(kinds[0].flags, 1u);
    EXPECT_EQ(kinds[1].flags, 3u);
    EXPECT_EQ(kinds[2].flags, 2u);
    EXPECT_EQ(kinds[3].flags, 0u);
    EXPECT_EQ(kinds[1].kind[3], '3');
    LSort(names, nullptr);
    EXPECT_EQ(Unpacked(names).size(), 4u);
    LSort(nullptr, nullptr);
    DSDisposeHandle(info);
    DSDisposeHandle(reinterpret_cast<UHandle>(names));
}

TEST(FileNames, WildcardCharacters) {
    std::string s = "ab*c?d`e";
    UPtr text = reinterpret_cast<UPtr>(s.data());
    // From each start: where the next wildcard is, or the end when there is none.
    const std::pair<int32, int32> finds[] = {{0, 2}, {3, 4}, {5, 6}, {7, int32(s.size())}};
    for (auto [from, at] : finds) {
        int32 pos = from;
        EXPECT_EQ(FFindMatchCh(text, &pos, int32(s.size())), at < int32(s.size()) ? 1 : 0) << from;
        EXPECT_EQ(pos, at) << from;
    }
    int64 at = 0;
    EXPECT_EQ(FMFindWildCardMatchCh(text, &at, int64(s.size()), 'e'), 1);
    EXPECT_EQ(at, 2);
    at = 5;
    EXPECT_EQ(FMFindWildCardMatchCh(text, &at, int64(s.size()), 'e'), 1);
    EXPECT_EQ(at, 7);
    at = 5;
    EXPECT_EQ(FMFindWildCardMatchCh(text, &at, 7, 'x'), 0);
    EXPECT_EQ(at, 7);
}

}  // namespace

namespace {

TEST(FileLocations, TemporaryFolderOrAsGiven) {
    std::unique_ptr<FileLoc> temp(CreateFileLoc(FileLoc::kTempDir, "dump", true));
    ASSERT_NE(temp, nullptr);
    const std::string path = temp->GetPath();
    const std::string folder = std::filesystem::temp_directory_path().string();
    EXPECT_EQ(path.rfind("dump.txt"), path.size() - 8);
    EXPECT_EQ(path.size(), folder.size() + (folder.back() == '/' || folder.back() == '\\' ? 0 : 1) + 8);
    std::unique_ptr<FileLoc> copy(temp->Clone());
    EXPECT_STREQ(copy->GetPath(), temp->GetPath());
    std::unique_ptr<FileLoc> given(CreateFileLoc(FileLoc::kAsGiven, "/x/y", false));
    EXPECT_STREQ(given->GetPath(), "/x/y");
    std::unique_ptr<FileLoc> logged(CreateFileLoc(FileLoc::kAsGivenLog, "rel", true));
    EXPECT_STREQ(logged->GetPath(), "rel.txt");
}

TEST(FileLocations, NullAndOverlongNames) {
    EXPECT_EQ(CreateFileLoc(FileLoc::kAsGiven, nullptr, false), nullptr);
    const std::string longest(FileLoc::kMaxPath, 'n');
    std::unique_ptr<FileLoc> fits(CreateFileLoc(FileLoc::kAsGiven, longest.c_str(), false));
    ASSERT_NE(fits, nullptr);
    EXPECT_EQ(std::strlen(fits->GetPath()), size_t(FileLoc::kMaxPath));
    EXPECT_EQ(CreateFileLoc(FileLoc::kAsGiven, longest.c_str(), true), nullptr);
    const std::string tooLong(FileLoc::kMaxPath + 1, 'n');
    EXPECT_EQ(CreateFileLoc(FileLoc::kAsGiven, tooLong.c_str(), false), nullptr);
    EXPECT_PKEXCEPT((void)Win32FileLoc(FileLoc::kAsGiven, nullptr, false), kErrArgument,
                    "inFilename is NULL");
    EXPECT_PKEXCEPT((void)Win32FileLoc(FileLoc::kAsGiven, tooLong.c_str(), false), kErrNotFound,
                    "Path too long");
    EXPECT_PKEXCEPT((void)Win32FileLoc(FileLoc::kAsGiven, longest.c_str(), true), kErrNotFound, "");
}

}  // namespace
