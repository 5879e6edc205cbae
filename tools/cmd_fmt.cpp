#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Command.h"
#include "tqcore/diagnostics.h"
#include "tqcore/strings.h"

namespace {

int Run(int argc, char** argv);

const tool::Command kFmt = {
    "fmt",
    "format arguments with the library's printf engine",
    "usage: tqcore fmt FORMAT [ARG...]\n"
    "\n"
    "Formats the arguments with the library's formatting engine and prints the result.\n"
    "Each argument is typed by the conversion that takes it:\n"
    "  d i u x o b a c   an integer (with ll or I: 64-bit)\n"
    "  e E f F g G       a real\n"
    "  s                 a string;  p a Pascal string;  P and lp a long string\n"
    "Escapes (\\n, \\t, \\41 ...) and decimal-point switches (%,; and %;) work as in the library.\n"
    "Positional arguments, type selectors and the record conversions (h H z R r Q q) take\n"
    "pointers to values of the library's own types and cannot be fed from the command line.\n",
    Run,
};
const tool::CommandRegistrar kRegistrar(kFmt);

enum class ArgKind { kNone, kInt32, kInt64, kReal, kCString, kPascal, kLong };

// One conversion and the literal text before it, formatted by one engine call.
struct Segment {
    std::string format;
    ArgKind kind = ArgKind::kNone;
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Skips "%" + flags/width/precision/size and returns the argument kind of the conversion, or an error text.
const char* Classify(const std::string& f, size_t& i, ArgKind& kind) {
    size_t j = i + 1;
    size_t digits = j;
    while (j < f.size() && IsDigit(f[j])) ++j;
    if (j < f.size() && f[j] == '$' && j > digits)
        return "positional arguments cannot be fed from the command line";
    if (j < f.size() && f[j] == '-') ++j;
    while (j < f.size() && IsDigit(f[j])) ++j;
    if (j < f.size() && f[j] == '.') {
        ++j;
        while (j < f.size() && IsDigit(f[j])) ++j;
    }
    bool wide = false, isLong = false;
    if (j < f.size() && f[j] == '{')
        return "type selectors take pointers and cannot be fed from the command line";
    if (j < f.size() && f[j] == 'I')
        wide = true, ++j;
    else if (j + 1 < f.size() && f[j] == 'l' && f[j + 1] == 'l')
        wide = true, j += 2;
    else if (j < f.size() && f[j] == 'l')
        isLong = true, ++j;
    if (j >= f.size()) return "the format ends inside a conversion";
    const char c = f[j];
    i = j + 1;
    if (std::strchr("diuxobc", c))
        kind = wide ? ArgKind::kInt64 : ArgKind::kInt32;
    else if (c == 'a')
        kind = ArgKind::kInt64;
    else if (std::strchr("eEfFgG", c))
        kind = ArgKind::kReal;
    else if (c == 's')
        kind = ArgKind::kCString;
    else if (c == 'p')
        kind = isLong ? ArgKind::kLong : ArgKind::kPascal;
    else if (c == 'P')
        kind = ArgKind::kLong;
    else if (std::strchr("hHzRrQq", c))
        return "record conversions cannot be fed from the command line";
    else
        kind = ArgKind::kNone;  // the engine itself reports an unknown conversion
    return nullptr;
}

// A decimal-point switch ("%X;" or "%;") at i, which must carry over to later segments.
bool IsSwitch(const std::string& f, size_t i, size_t& end) {
    if (i + 1 < f.size() && f[i + 1] == ';') return end = i + 2, true;
    if (i + 2 < f.size() && f[i + 1] != '%' && f[i + 1] != '[' && f[i + 1] != '\\' && f[i + 2] == ';' &&
        std::ispunct(static_cast<unsigned char>(f[i + 1])))
        return end = i + 3, true;
    return false;
}

const char* Split(const std::string& f, std::vector<Segment>& out) {
    Segment cur;
    std::string activeSwitch;
    for (size_t i = 0; i < f.size();) {
        if (f[i] == '\\') {
            cur.format += f.substr(i, 2);
            i += 2;
            continue;
        }
        if (f[i] != '%') {
            cur.format += f[i++];
            continue;
        }
        size_t end;
        if (i + 1 < f.size() && f[i + 1] == '%') {
            cur.format += "%%";
            i += 2;
        } else if (IsSwitch(f, i, end)) {
            activeSwitch = f.substr(i, end - i);
            cur.format += activeSwitch;
            i = end;
        } else {
            const size_t start = i;
            if (const char* err = Classify(f, i, cur.kind)) return err;
            cur.format += f.substr(start, i - start);
            out.push_back(cur);
            cur = Segment{activeSwitch, ArgKind::kNone};
        }
    }
    if (!cur.format.empty()) out.push_back(cur);
    return nullptr;
}

bool ParseInteger(const char* text, long long& v) {
    errno = 0;
    char* end;
    v = std::strtoll(text, &end, 0);
    if (errno == ERANGE) v = static_cast<long long>(std::strtoull(text, &end, 0)), errno = 0;
    return *text && !*end && errno == 0;
}

std::string FormatOne(const Segment& s, const char* arg) {
    uChar buf[8192];
    int32 n = 0;
    long long i = 0;
    switch (s.kind) {
        case ArgKind::kNone:
            n = SNPrintf(buf, sizeof buf, s.format.c_str());
            break;
        case ArgKind::kInt32:
        case ArgKind::kInt64:
            if (!ParseInteger(arg, i)) return std::string("\x01") + "not an integer: " + arg;
            n = s.kind == ArgKind::kInt32 ? SNPrintf(buf, sizeof buf, s.format.c_str(), int32(i))
                                          : SNPrintf(buf, sizeof buf, s.format.c_str(), i);
            break;
        case ArgKind::kReal: {
            char* end;
            const double d = std::strtod(arg, &end);
            if (!*arg || *end) return std::string("\x01") + "not a number: " + arg;
            n = SNPrintf(buf, sizeof buf, s.format.c_str(), d);
            break;
        }
        case ArgKind::kCString:
            n = SNPrintf(buf, sizeof buf, s.format.c_str(), arg);
            break;
        case ArgKind::kPascal: {
            uChar p[256];
            const size_t len = std::strlen(arg) > 255 ? 255 : std::strlen(arg);
            p[0] = uChar(len);
            std::memcpy(p + 1, arg, len);
            n = SNPrintf(buf, sizeof buf, s.format.c_str(), p);
            break;
        }
        case ArgKind::kLong: {
            std::vector<uChar> block(4 + std::strlen(arg));
            const int32 len = int32(std::strlen(arg));
            std::memcpy(block.data(), &len, 4);
            std::memcpy(block.data() + 4, arg, size_t(len));
            n = SNPrintf(buf, sizeof buf, s.format.c_str(), block.data());
            break;
        }
    }
    if (n > int32(sizeof buf) - 1) n = int32(sizeof buf) - 1;
    return std::string(reinterpret_cast<char*>(buf), size_t(n));
}

std::vector<std::string> gReports;

void CollectReport(const char*, int32, const char*, DebugOutputLevel, uInt32, const char* message) {
    gReports.push_back(message);
}

int Run(int argc, char** argv) {
    if (argc < 2) return tool::UsageError(kFmt, "a format is required");
    std::vector<Segment> segments;
    if (const char* err = Split(argv[1], segments)) return tool::UsageError(kFmt, err);
    size_t needed = 0;
    for (const Segment& s : segments) needed += s.kind != ArgKind::kNone;
    if (needed != size_t(argc - 2)) {
        const std::string why = "the format takes " + std::to_string(needed) + " argument(s), " +
                                std::to_string(argc - 2) + " given";
        return tool::UsageError(kFmt, why.c_str());
    }
    std::string out;
    int next = 2;
    const DebugOutputHandler previous = DebugOutputGetHandler();
    DebugOutputSetHandler(CollectReport);
    for (const Segment& s : segments) {
        const std::string piece = FormatOne(s, s.kind == ArgKind::kNone ? nullptr : argv[next++]);
        if (!piece.empty() && piece[0] == '\x01') {
            DebugOutputSetHandler(previous);
            return tool::UsageError(kFmt, piece.c_str() + 1);
        }
        out += piece;
    }
    DebugOutputSetHandler(previous);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fputc('\n', stdout);
    for (const std::string& r : gReports)
        std::fprintf(stderr, "tqcore fmt: the engine reported: %s\n", r.c_str());
    return gReports.empty() ? 0 : 1;
}

}  // namespace
