// The host's command line: splitting, the user part, the preference path and ignoring it.
#include <cstring>
#include <new>
#include <string>

#include "tqcore/core.h"
#include "tqcore/sysinfo.h"

namespace {

// Written only during start-up and shut-down, read afterwards: no lock, as the header states.
struct CommandLineState {
    int32 rawCount = 0;
    char** raw = nullptr;
    int32 appCount = 0;
    int32 userCount = 0;
    char** user = nullptr;
    bool ignoreSeparator = false;
    char* prefsPath = nullptr;
};
CommandLineState gLine;

bool IsSeparator(const char* arg) {
    return arg && std::strcmp(arg, "--") == 0;
}

int32 FindSeparator(int32 count, char** args) {
    for (int32 i = 0; i < count; ++i)
        if (IsSeparator(args[i])) return i;
    return -1;
}

// An embedded run-time leaves the command line to its host.
bool HostDisablesCommandLine() {
    TQAppInterface* app = TQApp();
    return app && app->IsEmbeddedRunTime();
}

bool StartsWith(const char* s, const char* prefix) {
    return std::strncmp(s, prefix, std::strlen(prefix)) == 0;
}

}  // namespace

TqErr InitUserCommandLine(int32 count, char** arguments) {
    if (HostDisablesCommandLine()) return kErrNotSupported;
    if (count <= 0 || !arguments || gLine.user) return kErrArgument;
    gLine.rawCount = count;
    gLine.raw = arguments;
    const int32 sep = gLine.ignoreSeparator ? -1 : FindSeparator(count, arguments);
    gLine.appCount = sep < 0 ? count : sep;
    const int32 userCount = sep < 0 ? 1 : count - sep;
    gLine.user = new (std::nothrow) char*[size_t(userCount)];
    if (!gLine.user) {
        gLine.userCount = 0;
        return kErrMemoryFull;
    }
    gLine.user[0] = arguments[0];
    for (int32 i = 1; i < userCount; ++i) gLine.user[i] = arguments[sep + i];
    gLine.userCount = userCount;
    return kErrNone;
}

void GetRawCommandLine(int32* countOut, char*** arrayOut) {
    if (countOut) *countOut = gLine.rawCount;
    if (arrayOut) *arrayOut = gLine.raw;
}

void GetAppCommandLine(int32* countOut, char*** arrayOut) {
    if (countOut) *countOut = gLine.appCount;
    if (arrayOut) *arrayOut = gLine.raw;
}

void GetUserCommandLine(int32* countOut, char*** arrayOut) {
    if (countOut) *countOut = gLine.userCount;
    if (arrayOut) *arrayOut = gLine.user;
}

TqErr UninitUserCommandLine() {
    if (HostDisablesCommandLine()) return kErrNone;
    delete[] gLine.user;
    delete[] gLine.prefsPath;
    gLine = CommandLineState{};
    return kErrNone;
}

void SetIgnoreCommandLine(Bool32 ignore) {
    if (HostDisablesCommandLine()) return;
    gLine.ignoreSeparator = ignore != 0;
}

TqErr SetPrefsPath(const char* path) {
    delete[] gLine.prefsPath;
    gLine.prefsPath = nullptr;
    if (!path) return kErrNone;
    const size_t n = std::strlen(path) + 1;
    gLine.prefsPath = new (std::nothrow) char[n];
    if (!gLine.prefsPath) return kErrMemoryFull;
    std::memcpy(gLine.prefsPath, path, n);
    return kErrNone;
}

const char* GetPrefsPath() {
    if (gLine.prefsPath) return gLine.prefsPath;
    const char* found = nullptr;
    // A trailing "-pref" with nothing after it names no file and leaves an earlier choice standing.
    for (int32 i = 0; i + 1 < gLine.appCount && !IsSeparator(gLine.raw[i]); ++i)
        if (gLine.raw[i] && std::strcmp(gLine.raw[i], "-pref") == 0) found = gLine.raw[i + 1];
    return found;
}

Bool32 ShouldIgnoreCommandLineArg(const char* argument, int32* skipCount) {
    if (!argument) return 0;
    if (std::strcmp(argument, "-pref") == 0) {
        if (skipCount) ++*skipCount;
        return 1;
    }
    return StartsWith(argument, "PK_ALLOC_TRACKER=") || StartsWith(argument, "PK_USE_MALLOC=") ||
           StartsWith(argument, "tqcore=");
}

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Walks one line's arguments; each call to emit gets the argument's start and length in the line.
template <class Emit>
void ForEachArgument(const char* line, Emit&& emit) {
    const char* p = line;
    while (*p) {
        while (IsBlank(*p)) ++p;
        if (!*p) break;
        if (*p == '"') {
            const char* start = ++p;
            while (*p && *p != '"') ++p;
            emit(start, size_t(p - start));
            if (*p) ++p;  // a quoted argument ends at its closing quote even when text follows directly
        } else {
            const char* start = p;
            while (*p && !IsBlank(*p)) ++p;
            emit(start, size_t(p - start));
        }
    }
}

}  // namespace

TqErr NewCommandLineArgsFromSingleLine(const char* line, const char* programName, int32* countOut,
                                       char*** arrayOut) {
    if (countOut) *countOut = 0;
    if (arrayOut) *arrayOut = nullptr;
    if (!line || !countOut || !arrayOut) return kErrArgument;
    if (!programName) programName = "";
    size_t count = 1;
    ForEachArgument(line, [&](const char*, size_t) { ++count; });
    // Pointers, then the program name, then every argument with its NUL; the name is copied too so the
    // array never outlives the caller's text.
    const size_t nameBytes = std::strlen(programName) + 1, lineBytes = std::strlen(line) + count;
    const size_t total = count * sizeof(char*) + nameBytes + lineBytes;
    char* block = new (std::nothrow) char[total];
    if (!block) return kErrMemoryFull;
    char** array = reinterpret_cast<char**>(block);
    char* text = block + count * sizeof(char*);
    std::memcpy(text, programName, nameBytes);
    array[0] = text;
    text += nameBytes;
    size_t i = 1;
    ForEachArgument(line, [&](const char* start, size_t n) {
        std::memcpy(text, start, n);
        text[n] = '\0';
        array[i++] = text;
        text += n + 1;
    });
    *countOut = int32(count);
    *arrayOut = array;
    return kErrNone;
}

void DeleteCommandLineArgsFromSingleLine(int32 count, char** array) {
    delete[] reinterpret_cast<char*>(array);
}
