#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Command.h"
#include "config/ConfigTypedValue.h"
#include "config/IniDocument.h"
#include "tqcore/config.h"
#include "tqcore/memory.h"

namespace {

int Run(int argc, char** argv);

const tool::Command kCommand{
    "cfg", "read and write preference (INI) files through the configuration manager",
    "usage: tqcore cfg get FILE SECTION TOKEN [--type CODE]\n"
    "       tqcore cfg set FILE SECTION TOKEN VALUE [--type CODE]\n"
    "       tqcore cfg remove FILE SECTION TOKEN\n"
    "       tqcore cfg list FILE [SECTION]\n"
    "FILE is named as the operating system names it. CODE is a configuration type: a four-character\n"
    "code (Bool, 'I32 ', Path, PStr, NStr...; a shorter code is padded with spaces) or its number.\n"
    "set reads VALUE as the type reads text and writes it through the manager; get prints the value as\n"
    "the type writes it. The default type is NStr. Failures print the library's code, exit 1.\n"
    "Path values are text as the file stores them: the display form (home:\\ann\\a.txt), or the Unix\n"
    "form for text that opens with / or ./ (/home/ann/a.txt), used for a path the display form cannot "
    "hold.\n",
    Run};

int Fail(TqErr code, const std::string& what) {
    std::fprintf(stderr, "tqcore cfg: error %d: %s\n", int(code), what.c_str());
    return 1;
}

bool ParseType(const char* text, int32& type) {
    char* end = nullptr;
    const long n = std::strtol(text, &end, 10);
    if (*text && !*end) {
        type = int32(n);
        return n > 0 && n < 256;
    }
    const size_t len = std::strlen(text);
    if (len == 0 || len > 4) return false;
    char code[5] = "    ";
    std::memcpy(code, text, len);
    type = TQFourCC(code);
    return true;
}

// The file as a path of the library, named as the operating system names it.
PathRef FilePath(const char* file) {
    const std::string absolute = std::filesystem::absolute(file).lexically_normal().string();
#ifdef _WIN32
    return PathRef(absolute, PathRef::StringDOS());
#else
    return PathRef(absolute, PathRef::StringUnix());
#endif
}

// A manager over FILE addressing SECTION; released when it goes.
class Access {
  public:
    explicit Access(const char* file, const char* section) {
        try {
            result_ = ConstructCfgAccessPathRef(FilePath(file), &m_);
        } catch (const PKExcept& e) {
            result_ = e.ErrorCode();
        }
        if (result_ == kErrNone) result_ = m_->UpdateSectionHeader(section);
    }
    ~Access() {
        if (m_) m_->RemoveRef();
    }
    Access(const Access&) = delete;
    Access& operator=(const Access&) = delete;
    TqErr Result() const { return result_; }
    ConfigManager* operator->() { return m_; }

  private:
    ConfigManager* m_ = nullptr;
    TqErr result_ = kErrNone;
};

int Get(const char* file, const char* section, const char* token, int32 type) {
    Access cfg(file, section);
    if (cfg.Result() != kErrNone) return Fail(cfg.Result(), std::string("cannot use ") + file);
    tq::config::TypedValue v;
    TqErr r = cfg->GetDefault(type, std::string(token), v.For(type));
    if (r == kErrConfigNotFound) return Fail(r, std::string("no token ") + token + " in [" + section + "]");
    if (r != kErrNone) return Fail(r, std::string("cannot read ") + token);
    std::string text;
    r = ConfigTypeToString(type, v.For(type), &text);
    if (r != kErrNone) return Fail(r, "cannot write the value as text");
    std::printf("%s\n", text.c_str());
    return 0;
}

int Set(const char* file, const char* section, const char* token, const char* value, int32 type) {
    Access cfg(file, section);
    if (cfg.Result() != kErrNone) return Fail(cfg.Result(), std::string("cannot use ") + file);
    tq::config::TypedValue v;
    TqErr r = ConfigTypeFromString(type, value, v.For(type));
    if (r != kErrNone) return Fail(r, std::string("not a value of this type: ") + value);
    r = cfg->Write(type, std::string(token), v.For(type), 0);
    return r == kErrNone ? 0 : Fail(r, std::string("cannot write ") + token);
}

int Remove(const char* file, const char* section, const char* token) {
    Access cfg(file, section);
    if (cfg.Result() != kErrNone) return Fail(cfg.Result(), std::string("cannot use ") + file);
    const TqErr r = cfg->Remove(TQFourCC("NStr"), std::string(token), 0);
    return r == kErrNone ? 0 : Fail(r, std::string("cannot remove ") + token);
}

// Sections and tokens as the library's INI reader sees the file.
int List(const char* file, const char* section) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return Fail(kErrNotFound, std::string("cannot open ") + file);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    tq::config::IniDocument doc;
    if (doc.Parse(bytes.str()) != tq::config::kIniOk) return Fail(kErrNotSupported, "UTF-16 or UTF-32 text");
    bool shown = false;
    for (const auto& s : doc.Sections()) {
        if (section && tq::config::NormaliseName(s.name) != tq::config::NormaliseName(section)) continue;
        shown = true;
        std::printf("[%s]\n", s.name.c_str());
        for (const auto& e : s.entries)
            std::printf("  %s = %s%s%s\n", e.key.c_str(), e.quote ? "\"" : "", e.value.c_str(),
                        e.quote ? "\"" : "");
    }
    if (section && !shown) return Fail(kErrConfigNotFound, std::string("no section [") + section + "]");
    return 0;
}

int Run(int argc, char** argv) {
    std::vector<const char*> args;
    int32 type = TQFourCC("NStr");
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--type") == 0) {
            if (++i >= argc || !ParseType(argv[i], type))
                return tool::UsageError(kCommand, "bad --type CODE");
            continue;
        }
        args.push_back(argv[i]);
    }
    if (args.empty()) return tool::UsageError(kCommand, "get, set, remove or list expected");
    const std::string op = args[0];
    const size_t n = args.size();
    if (op == "get" && n == 4) return Get(args[1], args[2], args[3], type);
    if (op == "set" && n == 5) return Set(args[1], args[2], args[3], args[4], type);
    if (op == "remove" && n == 4) return Remove(args[1], args[2], args[3]);
    if (op == "list" && (n == 2 || n == 3)) return List(args[1], n == 3 ? args[2] : nullptr);
    return tool::UsageError(kCommand, "wrong arguments");
}

const tool::CommandRegistrar kRegistrar(kCommand);

}  // namespace
