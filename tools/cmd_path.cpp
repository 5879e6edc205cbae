#include <cstdio>
#include <cstring>
#include <string>

#include "Command.h"
#include "FileText.h"
#include "PathResolve.h"
#include "PathShort.h"
#include "tqcore/bindata.h"
#include "tqcore/core.h"
#include "tqcore/paths.h"

namespace {

int Run(int argc, char** argv);

const tool::Command kCommand{
    "path", "read path text in one format and write it in the others",
    "usage: tqcore path TEXT [--from FORMAT] [--to FORMAT]\n"
    "       tqcore path flatten TEXT [--from FORMAT] [--utf8] [--prev-version]\n"
    "       tqcore path unflatten HEX\n"
    "       tqcore path short PATH... --width N [--style trim|full]\n"
    "       tqcore path resolve PATH\n"
    "Reads TEXT as a path in FORMAT (default: the operating system's own form) and prints its base,\n"
    "item count and items, then its text in every format, or in the --to FORMAT only.\n"
    "FORMAT: display, commandline, dos, unix, platformindependent, platformagnostic\n"
    "(with or without the pathref_ prefix). Exit 1 when TEXT is not a path in FORMAT.\n"
    "flatten prints the path's big-endian flattened record as hex (--utf8: UTF-8 names always,\n"
    "--prev-version: as saved for a previous version); unflatten reads such a record back and prints\n"
    "the path, or exits 1 with the reader's error.\n"
    "short prints each PATH's display string cut to at most N characters: the trim style shows names\n"
    "alone while they differ, full always starts from the whole text; items go from the front first.\n"
    "resolve follows PATH's shortcut files and symbolic links from its root on, printing each step, then\n"
    "the path reached; exit 1 when that does not exist or the links loop.\n",
    Run};

const char* const kFormats[] = {"pathref_display", "pathref_commandline",         "pathref_dos",
                                "pathref_unix",    "pathref_platformindependent", "pathref_platformagnostic"};

const char* FormatNamed(const char* name) {
    for (const char* f : kFormats)
        if (!std::strcmp(name, f) || !std::strcmp(name, f + std::strlen("pathref_"))) return f;
    return nullptr;
}

const char* BaseName(const PathRef& p) {
    if (p.StartsWith(kBaseAbsolute)) return "absolute";
    if (p.StartsWith(kBaseRelative)) return "relative";
    if (p.StartsWith(kBaseUNC)) return "unc";
    return p.StartsWith(kBaseNull) ? "null" : "notapath";
}

void PrintText(const PathRef& p, const char* format) {
    std::string text;
    const TqErr err = p.ConvertToString(&text, format);
    if (err)
        std::printf("%s: (error %d)\n", format, int(err));
    else
        std::printf("%s: %s\n", format, text.c_str());
}

void PrintPath(const PathRef& p, const char* to) {
    std::printf("base: %s\nitems: %d\n", BaseName(p), int(p.ItemCount()));
    for (int32 i = 0; i < p.ItemCount(); ++i)
        std::printf("  %d: %s\n", int(i), p.ItemAt(i).empty() ? "(up)" : p.ItemAt(i).c_str());
    if (to) {
        PrintText(p, to);
        return;
    }
    for (const char* f : kFormats) PrintText(p, f);
}

int Show(const char* text, const char* from, const char* to) {
    try {
        PrintPath(PathRef(text, from), to);
        return 0;
    } catch (const PKExcept& e) {
        std::fprintf(stderr, "tqcore path: \"%s\" is not a path in %s: error %d: %s\n", text, from,
                     int(e.ErrorCode()), e.Detail());
        return 1;
    }
}

// ---- Flattened records.

int Flatten(int argc, char** argv) {
    const char* text = nullptr;
    const char* from = tool::NativePathFormat();
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--utf8")) {
            PathRef::Setting("utf8");
        } else if (!std::strcmp(argv[i], "--prev-version")) {
            TQSetSaveForPrevVersion(1);
        } else if (!std::strcmp(argv[i], "--from")) {
            if (i + 1 >= argc || !(from = FormatNamed(argv[i + 1])))
                return tool::UsageError(kCommand, "flatten: --from needs a FORMAT");
            ++i;
        } else if (!text) {
            text = argv[i];
        } else {
            return tool::UsageError(kCommand, "flatten: one TEXT only");
        }
    }
    if (!text) return tool::UsageError(kCommand, "flatten: TEXT is missing");
    try {
        const PathRef p(text, from);
        HandleOutputBuf out;
        const uInt32 n = FFlattenPath2(&p, &out, BigEndianizer());
        UHandle h = out.GetHandle(0);
        if (n == 0 || !h) {
            std::fprintf(stderr, "tqcore path flatten: \"%s\" cannot be flattened\n", text);
            return 1;
        }
        for (uInt32 i = 0; i < n; ++i) std::printf(i ? " %02X" : "%02X", unsigned((*h)[i]));
        std::printf("\n");
        return 0;
    } catch (const PKExcept& e) {
        std::fprintf(stderr, "tqcore path flatten: \"%s\" is not a path in %s: error %d: %s\n", text, from,
                     int(e.ErrorCode()), e.Detail());
        return 1;
    }
}

// Hex digits with any spaces between them; false for anything else or an odd count.
bool ParseHex(const char* hex, std::string* bytes) {
    int high = -1;
    for (const char* c = hex; *c; ++c) {
        if (*c == ' ') continue;
        const char* digits = "0123456789abcdef";
        const char* d = std::strchr(digits, *c >= 'A' && *c <= 'F' ? *c - 'A' + 'a' : *c);
        if (!d) return false;
        const int v = int(d - digits);
        if (high < 0) {
            high = v;
        } else {
            bytes->push_back(char(high << 4 | v));
            high = -1;
        }
    }
    return high < 0;
}

int Unflatten(int argc, char** argv) {
    std::string bytes;
    if (argc != 2 || !ParseHex(argv[1], &bytes))
        return tool::UsageError(kCommand, "unflatten: one HEX record expected");
    MemInputBuf in(bytes.data(), bytes.size());
    try {
        PrintPath(PathRef(&in, BigEndianizer()), nullptr);
        return 0;
    } catch (const PKExcept& e) {
        std::fprintf(stderr, "tqcore path unflatten: error %d: %s\n", int(e.ErrorCode()), e.Detail());
        return 1;
    }
}

int Run(int argc, char** argv) {
    if (argc > 1 && !std::strcmp(argv[1], "flatten")) return Flatten(argc - 1, argv + 1);
    if (argc > 1 && !std::strcmp(argv[1], "unflatten")) return Unflatten(argc - 1, argv + 1);
    if (argc > 1 && !std::strcmp(argv[1], "short"))
        return tool::PathShort(argc - 1, argv + 1, tool::NativePathFormat());
    if (argc > 1 && !std::strcmp(argv[1], "resolve")) return tool::PathResolve(argc - 1, argv + 1);
    const char* text = nullptr;
    const char* from = tool::NativePathFormat();
    const char* to = nullptr;
    for (int i = 1; i < argc; ++i) {
        const bool option = !std::strcmp(argv[i], "--from") || !std::strcmp(argv[i], "--to");
        if (option) {
            if (i + 1 >= argc) return tool::UsageError(kCommand, "an option lacks its FORMAT");
            const char* format = FormatNamed(argv[i + 1]);
            if (!format) return tool::UsageError(kCommand, "unknown FORMAT");
            (argv[i][2] == 'f' ? from : to) = format;
            ++i;
        } else if (!text) {
            text = argv[i];
        } else {
            return tool::UsageError(kCommand, "one TEXT only");
        }
    }
    if (!text) return tool::UsageError(kCommand, "TEXT is missing");
    return Show(text, from, to);
}

const tool::CommandRegistrar kRegistrar(kCommand);

}  // namespace
