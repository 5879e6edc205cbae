// Module file names, locations and modification dates.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/FileTimes.h"
#include "platform/ModulePath.h"
#include "tqcore/sysinfo.h"

namespace {

std::string PathOf(const void* module) {
    return tq::platform::ModuleFilePath(const_cast<void*>(module));
}

// Both separators count on every OS: module paths are compared the way Windows spells them too.
size_t NameStart(const std::string& path) {
    const size_t sep = path.find_last_of("/\\");
    return sep == std::string::npos ? 0 : sep + 1;
}

int32 CopyOut(const std::string& text, char* buffer) {
    if (buffer && text.size() < size_t(kModulePathBufferSize))
        std::memcpy(buffer, text.c_str(), text.size() + 1);
    return int32(text.size());
}

}  // namespace

std::string MSWinGetModuleLongPath(const void* module) {
    return PathOf(module);
}

std::string MSWinGetModuleLongFileName(const void* module) {
    const std::string path = PathOf(module);
    return path.substr(NameStart(path));
}

// The folder without its trailing separator, except for a root folder, which keeps it.
std::string MSWinGetModuleLongLocation(const void* module) {
    const std::string path = PathOf(module);
    const size_t start = NameStart(path);
    if (start == 0) return {};
    return path.substr(0, start == 1 ? 1 : start - 1);
}

int32 MSWinGetModuleFileName(const void* module, char* buffer) {
    return CopyOut(MSWinGetModuleLongFileName(module), buffer);
}

int32 MSWinGetModuleLocation(const void* module, char* buffer) {
    return CopyOut(MSWinGetModuleLongLocation(module), buffer);
}

int32 MSWinGetModulePath(const void* module, char* buffer) {
    return CopyOut(MSWinGetModuleLongPath(module), buffer);
}

void MSWinGetModuleModDate(const void* module, char* buffer) {
    if (!buffer) return;
    buffer[0] = '\0';
    TQFileTime ft;
    if (!tq::platform::FileLastWriteTime(PathOf(module), ft)) return;
    // The absolute time's UTC text is "YYYY-MM-DDTHH:MM:SS...": reorder its fields.
    char iso[ATime128::kTextSize];
    ATime128FromFILETIME(ft).ToText(iso, sizeof iso);
    int year, month, day, hour, minute;
    if (std::sscanf(iso, "%d-%d-%dT%d:%d", &year, &month, &day, &hour, &minute) != 5) return;
    std::snprintf(buffer, 32, "%02d/%02d/%04d %02d:%02d GMT", month, day, year, hour, minute);
}
