#include <cstdio>
#include <cstring>
#include <string>

#include "Command.h"
#include "tqcore/core.h"
#include "tqcore/paths.h"

namespace {

int Run(int argc, char** argv);

const tool::Command kCommand{
    "path", "read path text in one format and write it in the others",
    "usage: tqcore path TEXT [--from FORMAT] [--to FORMAT]\n"
    "Reads TEXT as a path in FORMAT (default: the operating system's own form) and prints its base,\n"
    "item count and items, then its text in every format, or in the --to FORMAT only.\n"
    "FORMAT: display, commandline, dos, unix, platformindependent, platformagnostic\n"
    "(with or without the pathref_ prefix). Exit 1 when TEXT is not a path in FORMAT.\n",
    Run};

const char* const kFormats[] = {"pathref_display", "pathref_commandline",         "pathref_dos",
                                "pathref_unix",    "pathref_platformindependent", "pathref_platformagnostic"};

// The text handed to the operating system: DOS text on Windows, Unix text elsewhere.
const char* NativeFormat() {
#if defined(_WIN32)
    return "pathref_dos";
#else
    return "pathref_unix";
#endif
}

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

int Show(const char* text, const char* from, const char* to) {
    try {
        const PathRef p(text, from);
        std::printf("base: %s\nitems: %d\n", BaseName(p), int(p.ItemCount()));
        for (int32 i = 0; i < p.ItemCount(); ++i)
            std::printf("  %d: %s\n", int(i), p.ItemAt(i).empty() ? "(up)" : p.ItemAt(i).c_str());
        if (to) {
            PrintText(p, to);
            return 0;
        }
        for (const char* f : kFormats) PrintText(p, f);
        return 0;
    } catch (const PKExcept& e) {
        std::fprintf(stderr, "tqcore path: \"%s\" is not a path in %s: error %d: %s\n", text, from,
                     int(e.ErrorCode()), e.Detail());
        return 1;
    }
}

int Run(int argc, char** argv) {
    const char* text = nullptr;
    const char* from = NativeFormat();
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
