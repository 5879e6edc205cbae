#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Command.h"
#include "RsrcFile.h"
#include "tqcore/bindata.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"
#include "tqcore/paths.h"
#include "tqcore/resources.h"

namespace {

using tool::rsrc::Bytes;

int Run(int argc, char** argv);

const tool::Command kCommand{
    "rsrc", "inspect and edit resource files",
    "usage: tqcore rsrc list FILE [--json]\n"
    "       tqcore rsrc show FILE TYPE ID|NAME\n"
    "       tqcore rsrc extract FILE TYPE ID -o OUT\n"
    "       tqcore rsrc add FILE TYPE ID [--name N] (--from FILE | --string S... | --path P...)\n"
    "       tqcore rsrc remove FILE TYPE ID\n"
    "       tqcore rsrc compact FILE\n"
    "       tqcore rsrc check FILE\n"
    "       tqcore rsrc new FILE [--type T] [--creator C]\n"
    "TYPE is four characters (quote it when it holds spaces: \"STR \"); ID is a signed 16-bit number.\n"
    "show decodes \"STR \", \"STR#\", \"PTH0\" and \"PTH#\" and dumps other data as hex with ASCII.\n"
    "add makes a string (\"STR \"), a string list (\"STR#\", --string repeated), a path (\"PTH0\") or a\n"
    "path list (\"PTH#\", --path repeated) from text, or takes a file's bytes whole (--from).\n"
    "Edits are made on a copy that replaces FILE only once it is complete and reads back valid.\n"
    "check opens FILE as the library does and reads every resource; a failure names the rule and exits 1.\n",
    Run};

constexpr ResType kStr = TQFourCC("STR ");
constexpr ResType kStrList = TQFourCC("STR#");
constexpr ResType kPath = TQFourCC("PTH0");
constexpr ResType kPathList = TQFourCC("PTH#");

std::string TypeText(ResType t) {
    return std::string(reinterpret_cast<const char*>(&t), 4);
}

bool ParseType(const char* text, ResType* t) {
    if (std::strlen(text) != 4) return false;
    std::memcpy(t, text, 4);
    return true;
}

bool ParseId(const char* text, int32* id) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (!*text || *end || errno || v < -32768 || v > 32767) return false;
    *id = int32(v);
    return true;
}

int Fail(const std::string& what) {
    std::fprintf(stderr, "tqcore rsrc: %s\n", what.c_str());
    return 1;
}

int FailCode(const std::string& what, TqErr e) {
    return Fail(what + ": error " + std::to_string(e));
}

// An open read-only view of FILE's bytes for the reading commands.
struct Reader {
    Bytes bytes;
    uInt32 ref = 0;
    ~Reader() {
        if (ref) RCloseFile(ref);
    }
    int Open(const char* path) {
        std::string why;
        if (!tool::rsrc::ReadWhole(path, &bytes, &why)) return Fail(why);
        if (const TqErr e = ROpenUPtr(bytes.data(), bytes.size(), &ref, nullptr, nullptr))
            return FailCode(std::string(path) + " is not a valid resource file (see tqcore rsrc check)", e);
        return 0;
    }
};

std::string Escaped(const uInt8* p, size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        const char c = char(p[i]);
        if (c == '"' || c == '\\') {
            s += '\\', s += c;
        } else if (uInt8(c) < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", unsigned(uInt8(c)));
            s += buf;
        } else {
            s += c;
        }
    }
    return s;
}

// ---- list

int List(const char* file, bool json) {
    Reader r;
    if (const int rc = r.Open(file)) return rc;
    int32 types = 0;
    RCountTypes(r.ref, &types);
    if (json) std::printf("[");
    bool first = true;
    for (int32 t = 1; t <= types; ++t) {
        ResType type = 0;
        int32 count = 0;
        RGetIndType(r.ref, &type, t);
        RCount(r.ref, type, &count);
        for (int32 i = 1; i <= count; ++i) {
            UHandle h = nullptr;
            if (const TqErr e = RGetInd(r.ref, type, i, &h)) return FailCode("cannot read a resource", e);
            int32 id = 0, attrs = 0, size = 0;
            Str255 name;
            RGetInfo(h, &id, nullptr, name);
            RGetAttrs(h, &attrs);
            RSize(h, &size);
            const std::string tt = Escaped(reinterpret_cast<const uInt8*>(&type), 4);
            const std::string nn = Escaped(name + 1, name[0]);
            if (json)
                std::printf(
                    "%s\n  {\"type\": \"%s\", \"id\": %d, \"name\": \"%s\", \"attributes\": %d, \"size\": "
                    "%d}",
                    first ? "" : ",", tt.c_str(), int(id), nn.c_str(), int(attrs), int(size));
            else
                std::printf("\"%s\" %6d  attrs 0x%02X  %8d bytes  %s\n", tt.c_str(), int(id), unsigned(attrs),
                            int(size), nn.c_str());
            first = false;
            RRelease(h);
        }
    }
    if (json) std::printf("%s]\n", first ? "" : "\n");
    return 0;
}

// ---- show

void HexDump(const uInt8* p, int32 n) {
    for (int32 row = 0; row < n; row += 16) {
        std::printf("%08X ", unsigned(row));
        for (int32 i = row; i < row + 16; ++i)
            i < n ? (void)std::printf(" %02X", p[i]) : (void)std::printf("   ");
        std::printf("  |");
        for (int32 i = row; i < row + 16 && i < n; ++i) std::putchar(std::isprint(p[i]) ? p[i] : '.');
        std::printf("|\n");
    }
}

void PrintPath(const PathRef* p) {
    std::string text;
    if (p && !p->ConvertToString(&text, PathRef::StringDisplay()))
        std::printf("%s\n", text.c_str());
    else
        std::printf("(not a path)\n");
}

int ShowDecoded(uInt32 ref, ResType type, int32 id, const uInt8* data, int32 size) {
    if (type == kStr) {
        std::string s;
        if (RGetLongStringStd(ref, &s, id) == 0) std::printf("%s\n", s.c_str());
        return 0;
    }
    if (type == kStrList) {
        const int32 count = size >= 2 ? (data[0] << 8 | data[1]) : 0;
        for (int32 i = 1; i <= count; ++i) {
            Str255 s;
            if (RGetIndString(ref, s, id, i)) break;
            std::printf("%d: %.*s\n", int(i), int(s[0]), reinterpret_cast<char*>(s + 1));
        }
        return 0;
    }
    if (type == kPath) {
        Path p = nullptr;
        RGetPath(ref, type, id, &p);
        PrintPath(p);
        PathRef::DisposePath(p);
        return 0;
    }
    if (type == kPathList) {
        const int32 count =
            size >= 4 ? int32(uInt32(data[0]) << 24 | data[1] << 16 | data[2] << 8 | data[3]) : 0;
        for (int32 i = 1; i <= count; ++i) {
            Path p = nullptr;
            if (RGetIndPath(ref, &p, id, i)) break;
            std::printf("%d: ", int(i));
            PrintPath(p);
            PathRef::DisposePath(p);
        }
        return 0;
    }
    HexDump(data, size);
    return 0;
}

int Show(const char* file, const char* typeText, const char* which) {
    ResType type = 0;
    if (!ParseType(typeText, &type)) return tool::UsageError(kCommand, "TYPE must be four characters");
    Reader r;
    if (const int rc = r.Open(file)) return rc;
    UHandle h = nullptr;
    int32 id = 0;
    TqErr e;
    if (ParseId(which, &id)) {
        e = RGet(r.ref, type, id, &h);
    } else {
        const std::string n(which);
        if (n.size() > 255) return tool::UsageError(kCommand, "NAME is longer than 255 characters");
        Str255 name;
        name[0] = uInt8(n.size());
        std::memcpy(name + 1, n.data(), n.size());
        e = RGetNamed(r.ref, type, name, &h);
        if (!e) RGetInfo(h, &id, nullptr, nullptr);
    }
    if (e) return FailCode("no resource \"" + TypeText(type) + "\" " + which, e);
    int32 size = 0;
    RSize(h, &size);
    return ShowDecoded(r.ref, type, id, *h, size);
}

// ---- extract

int Extract(const char* file, const char* typeText, const char* idText, const char* out) {
    ResType type = 0;
    int32 id = 0;
    if (!ParseType(typeText, &type) || !ParseId(idText, &id))
        return tool::UsageError(kCommand, "bad TYPE or ID");
    Reader r;
    if (const int rc = r.Open(file)) return rc;
    UHandle h = nullptr;
    if (const TqErr e = RGet(r.ref, type, id, &h))
        return FailCode("no resource \"" + TypeText(type) + "\" " + idText, e);
    FILE* f = std::fopen(out, "wb");
    if (!f) return Fail(std::string("cannot create ") + out);
    const size_t n = size_t(DSGetHandleSize(h));
    const bool ok = std::fwrite(*h, 1, n, f) == n;
    return std::fclose(f) == 0 && ok ? 0 : Fail(std::string("cannot write ") + out);
}

// ---- editing

// Opens FILE for editing, runs edit on the refnum, and writes the result back safely.
template <class Edit>
int EditFile(const char* file, Edit edit) {
    Bytes bytes;
    std::string why;
    if (!tool::rsrc::ReadWhole(file, &bytes, &why)) return Fail(why);
    TqErr e = 0;
    const uInt32 ref = tool::rsrc::OpenForEdit(bytes, &e);
    if (!ref) return FailCode(std::string(file) + " is not a valid resource file (see tqcore rsrc check)", e);
    if (const int rc = edit(ref)) {
        RCloseFileForce(ref);
        return rc;
    }
    Bytes image;
    const bool made = tool::rsrc::Image(ref, &image, &e);
    RCloseFileForce(ref);
    if (!made) return FailCode("cannot write the new image", e);
    return tool::rsrc::ReplaceSafely(file, image, &why) ? 0 : Fail(why);
}

std::string FlatPath(const char* text) {
    const PathRef p(text, PathRef::StringDisplay());
    HandleOutputBuf out;
    uInt64 written = 0;
    if (p.Flatten(&out, kFlattenPTH0, &written, BigEndianizer())) return {};
    UHandle h = out.GetHandle(1);
    std::string s(reinterpret_cast<const char*>(*h), size_t(DSGetHandleSize(h)));
    DSDisposeHandle(h);
    return s;
}

std::string BE32(uInt32 v) {
    return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

struct AddArgs {
    ResType type = 0;
    int32 id = 0;
    std::string name;
    const char* from = nullptr;
    std::vector<std::string> strings;
    std::vector<std::string> paths;
};

// Kept out of line: inlined into its caller, GCC 12 under -fsanitize=thread misreads the records' release as
// freeing a local string.
[[gnu::noinline]] bool MakePathData(const AddArgs& a, std::string* data, std::string* why) {
    std::vector<std::string> records;
    for (const auto& p : a.paths) {
        try {
            records.push_back(FlatPath(p.c_str()));
        } catch (const PKExcept&) {
            records.push_back({});
        }
        if (records.back().empty()) return *why = "\"" + p + "\" is not a path", false;
    }
    if (a.type == kPathList) {
        *data = BE32(uInt32(records.size()));
        for (const auto& r : records) *data += r + std::string((4 - r.size() % 4) % 4, '\0');
        return true;
    }
    if (records.size() != 1) return *why = "several --path need the type \"PTH#\"", false;
    *data = records[0];
    return true;
}

// The resource's bytes from the arguments, or false with a message.
bool MakeData(const AddArgs& a, std::string* data, std::string* why) {
    if (a.from) {
        Bytes b;
        if (!tool::rsrc::ReadWhole(a.from, &b, why)) return false;
        data->assign(b.begin(), b.end());
        return true;
    }
    for (const auto& s : a.strings)
        if (s.size() > 255) return *why = "a string is longer than 255 bytes", false;
    if (!a.strings.empty()) {
        if (a.type == kStrList) {
            *data = {char(a.strings.size() >> 8), char(a.strings.size())};
            for (const auto& s : a.strings) data->push_back(char(s.size())), data->append(s);
            return true;
        }
        if (a.strings.size() != 1) return *why = "several --string need the type \"STR#\"", false;
        *data = char(a.strings[0].size()) + a.strings[0];
        return true;
    }
    return MakePathData(a, data, why);
}

int Add(const char* file, int argc, char** argv) {
    AddArgs a;
    if (argc < 2 || !ParseType(argv[0], &a.type) || !ParseId(argv[1], &a.id))
        return tool::UsageError(kCommand, "add: TYPE and ID expected");
    for (int i = 2; i < argc; ++i) {
        const bool more = i + 1 < argc;
        if (!std::strcmp(argv[i], "--name") && more)
            a.name = argv[++i];
        else if (!std::strcmp(argv[i], "--from") && more)
            a.from = argv[++i];
        else if (!std::strcmp(argv[i], "--string") && more)
            a.strings.push_back(argv[++i]);
        else if (!std::strcmp(argv[i], "--path") && more)
            a.paths.push_back(argv[++i]);
        else
            return tool::UsageError(kCommand, "add: unknown argument");
    }
    if ((a.from != nullptr) + !a.strings.empty() + !a.paths.empty() != 1)
        return tool::UsageError(kCommand, "add: one of --from, --string or --path");
    if (a.name.size() > 255) return tool::UsageError(kCommand, "add: --name is longer than 255 characters");
    std::string data, why;
    if (!MakeData(a, &data, &why)) return Fail(why);
    return EditFile(file, [&](uInt32 ref) {
        UHandle h = nullptr;
        if (DSPtrToHand(data.data(), &h, data.size())) return Fail("out of memory");
        Str255 name;
        name[0] = uInt8(a.name.size());
        std::memcpy(name + 1, a.name.data(), a.name.size());
        if (const TqErr e = RAdd(h, ref, a.type, a.id, a.name.empty() ? nullptr : name)) {
            DSDisposeHandle(h);
            return FailCode(e == kErrResourceExists ? "the resource exists already" : "cannot add", e);
        }
        return 0;
    });
}

int Remove(const char* file, const char* typeText, const char* idText) {
    ResType type = 0;
    int32 id = 0;
    if (!ParseType(typeText, &type) || !ParseId(idText, &id))
        return tool::UsageError(kCommand, "bad TYPE or ID");
    return EditFile(file, [&](uInt32 ref) {
        UHandle h = nullptr;
        if (const TqErr e = RGet(ref, type, id, &h))
            return FailCode("no resource \"" + TypeText(type) + "\" " + idText, e);
        const TqErr e = RRemove(h, ref);
        DSDisposeHandle(h);
        return e ? FailCode("cannot remove", e) : 0;
    });
}

int Compact(const char* file) {
    return EditFile(file, [](uInt32 ref) {
        int32 attrs = 0;
        RGetFileAttrs(ref, &attrs);
        RSetFileAttrs(ref, attrs | kResMapChanged);
        return 0;
    });
}

int New(const char* file, int argc, char** argv) {
    ResType type = TQFourCC("rsrc"), creator = TQFourCC("tqcr");
    for (int i = 0; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--type") && i + 1 < argc && ParseType(argv[i + 1], &type))
            ++i;
        else if (!std::strcmp(argv[i], "--creator") && i + 1 < argc && ParseType(argv[i + 1], &creator))
            ++i;
        else
            return tool::UsageError(kCommand, "new: bad argument");
    }
    if (FILE* f = std::fopen(file, "rb")) {
        std::fclose(f);
        return Fail(std::string(file) + " exists already");
    }
    uInt32 ref = 0;
    if (const TqErr e = RCreateMemFile(&ref, creator, type)) return FailCode("cannot make a file", e);
    Bytes image;
    TqErr e = 0;
    const bool made = tool::rsrc::Image(ref, &image, &e);
    RCloseFileForce(ref);
    std::string why;
    if (!made) return FailCode("cannot make a file", e);
    return tool::rsrc::ReplaceSafely(file, image, &why) ? 0 : Fail(why);
}

int CheckFile(const char* file) {
    Bytes bytes;
    std::string why;
    if (!tool::rsrc::ReadWhole(file, &bytes, &why)) return Fail(why);
    const tool::rsrc::Check c = tool::rsrc::CheckBytes(bytes);
    if (!c.code) {
        std::printf("%s: valid\n", file);
        return 0;
    }
    if (c.rule)
        std::printf("%s: %s rule %d fails: %s (error %d)\n", file, c.header ? "header" : "map", int(c.rule),
                    c.detail.c_str(), int(c.code));
    else
        std::printf("%s: %s (error %d)\n", file, c.detail.empty() ? "cannot be read" : c.detail.c_str(),
                    int(c.code));
    return 1;
}

int Run(int argc, char** argv) {
    if (argc < 3) return tool::UsageError(kCommand, "a subcommand and FILE are expected");
    const std::string sub = argv[1];
    const char* file = argv[2];
    const int rest = argc - 3;
    char** more = argv + 3;
    try {
        if (sub == "list" && (rest == 0 || (rest == 1 && !std::strcmp(more[0], "--json"))))
            return List(file, rest == 1);
        if (sub == "show" && rest == 2) return Show(file, more[0], more[1]);
        if (sub == "extract" && rest == 4 && !std::strcmp(more[2], "-o"))
            return Extract(file, more[0], more[1], more[3]);
        if (sub == "add") return Add(file, rest, more);
        if (sub == "remove" && rest == 2) return Remove(file, more[0], more[1]);
        if (sub == "compact" && rest == 0) return Compact(file);
        if (sub == "check" && rest == 0) return CheckFile(file);
        if (sub == "new") return New(file, rest, more);
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
    return tool::UsageError(kCommand, "unknown subcommand or wrong arguments");
}

const tool::CommandRegistrar kRegistrar(kCommand);

}  // namespace
