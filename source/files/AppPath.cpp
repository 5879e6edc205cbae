// The application's own file name, read once from the host's module.
#define TQ_UNIT "source\\AppPath"

#include <cstring>
#include <mutex>
#include <string>

#include "diagnostics/Report.h"
#include "files/OsPathName.h"
#include "files/PathSupport.h"
#include "platform/FileSystem.h"
#include "platform/ModulePath.h"
#include "tqcore/core.h"
#include "tqcore/paths.h"

namespace {

// The host's module name with long item names, as the OS spells it (UTF-8); empty when it cannot be had.
std::string ReadAppName() {
    TQAppInterface* app = TQApp();
    if (app && app->IsEmbeddedRunTime()) app->PrepareAppFileName();
    const std::string module = tq::platform::ModuleFilePath(TQModuleGetInstance());
    if (module.empty()) return module;
    const std::string longName = tq::platform::LongPathName(module.c_str());
    const std::string name = longName.empty() ? module : longName;
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.size() - dot != 4 || name.find('/', dot) != std::string::npos)
        TQ_REPORT(kDbgNote, "app name should end in .EXE: \"", name.c_str(), "\"");
    return name;
}

const std::string& AppName() {
    static std::once_flag once;
    static std::string name;
    std::call_once(once, [] { name = ReadAppName(); });
    return name;
}

}  // namespace

TqErr FAppName(Path p) {
    if (!p) return kErrArgument;
    if (AppName().empty()) return kErrNotFound;
    return tq::files::PathFromOsName(AppName(), &p);
}

TqErr FAppPath(Path p) {
    if (const TqErr err = FAppName(p)) return err;
    return FDirName(p, p);
}

TqErr FAppCStr(CStr buf, int32 size) {
    if (!buf || size <= 0) return kErrArgument;
    if (AppName().empty()) return kErrNotFound;
    const std::string text = tq::files::LibraryTextFromOs(AppName());
    const size_t n = std::min(text.size(), size_t(size) - 1);
    std::memcpy(buf, text.data(), n);
    buf[n] = 0;
    return kErrNone;
}
