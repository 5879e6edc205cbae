// The plain configuration functions over the main manager, the manager's host defaults and the INI names.
#include <cstdio>
#include <cstring>

#include "config/ConfigManagerDefaults.h"
#include "config/ConfigOperations.h"
#include "config/Services.h"
#include "diagnostics/Report.h"
#include "platform/Registry.h"
#include "tqcore/config.h"
#include "tqcore/core.h"
#include "tqcore/files.h"
#include "tqcore/sysinfo.h"

#define TQ_UNIT "source\\ConfigManagerUtils"

namespace tq::config {

namespace {
std::atomic<ConfigManager*> gMain{nullptr};

std::string Text(const char* s) {
    return s ? std::string(s) : std::string();
}
}  // namespace

std::string HostPrefsSection() {
    TQAppInterface* app = TQApp();
    if (!app) return "TQCore";  // without a host there is no product to name the section after
    if (app->IsEmbeddedRunTime()) return "pkrt";
    if (TQGetIsBoundApp(app)) return Text(app->BuiltAppName());
    if (TQGetIsRunTime(app)) return Text(app->AppName()) + "RT";
    if (TQGetIsFullFeatureRunTime(app)) return Text(app->AppName()) + "FFRT";
    return Text(app->ProductName());
}

PathRef DefaultPrefFile() {
    TQAppInterface* app = TQApp();
    const std::string name = app ? Text(app->BuiltAppName()) : std::string("tqcore");
    if (name.empty()) {
        TQ_REPORT(kDbgError, "The config filename was never assigned a value!");
        return PathRef();
    }
    try {
        PathRef folder;
        if (FAppPath(&folder) != kErrNone) return PathRef();
        folder.Append(name + ".ini");
        return folder;
    } catch (const PKExcept&) {
        return PathRef();
    }
}

ConfigManager* MainManager() {
    return gMain.load(std::memory_order_acquire);
}

TqErr StartMainManager() {
    if (MainManager()) return kErrGeneric;
    const TqErr r = InitConfigTypeRegistry();
    if (r != kErrNone) return r;
    PathRef file;
    if (const char* text = GetPrefsPath(); text && *text) {
        try {
            file = PathRef(text, PathRef::StringCommandLine());
        } catch (const PKExcept&) {
            file = PathRef();
        }
    }
    try {
        auto* main = new ConfigManager(file);
        main->AddRef();
        gMain.store(main, std::memory_order_release);
    } catch (const std::bad_alloc&) {
        (void)UninitConfigTypeRegistry();
        return kErrMemoryFull;
    }
    return StartSettingsRegistry();
}

TqErr StopMainManager() {
    if (ConfigManager* main = gMain.exchange(nullptr)) main->RemoveRef();
    (void)UninitConfigTypeRegistry();
    StopSettingsRegistry();
    return kErrNone;
}

}  // namespace tq::config

using tq::config::MainManager;

TqErr CfgGetDefault(int32 type, ConstPStr token, void* value) {
    ConfigManager* m = MainManager();
    return m ? m->GetDefault(type, token, value) : kErrGeneric;
}

TqErr CfgWrite(int32 type, ConstPStr token, const void* value) {
    ConfigManager* m = MainManager();
    if (!m) return kErrGeneric;
    const TqErr r = m->Write(type, token, value, 0);
    if (r != kErrNone && !TQGetIsRunTime(nullptr))
        TQ_REPORT(r == kErrPermission ? kDbgError : kDbgBroken, "Writing config token produced error ", r);
    return r;
}

TqErr CfgRemove(int32 type, ConstPStr token) {
    ConfigManager* m = MainManager();
    return m ? m->Remove(type, token, 0) : kErrGeneric;
}

TqErr CfgGetPrefFilePath(Path* out) {
    ConfigManager* m = MainManager();
    if (!m) return kErrGeneric;
    if (!out) return kErrArgument;
    PathRef p;
    const TqErr r = m->GetPrefFilePath(&p);
    if (r != kErrNone) return r;
    try {
        *out = new PathRef(p);
    } catch (const std::bad_alloc&) {
        return kErrMemoryFull;
    }
    return kErrNone;
}

TqErr CfgGetHostPrefsSection(LStrHandle* out) {
    ConfigManager* m = MainManager();
    return m ? m->GetHostPrefsSection(out) : kErrGeneric;
}

TqErr CfgGetDefaultFrom(Path path, int32 type, ConstPStr token, void* value) {
    if (!path || !path->IsValid()) return kErrNone;
    try {
        ConfigManager* m = new ConfigManager(*path);
        m->AddRef();
        const TqErr r = m->GetDefault(type, token, value);
        m->RemoveRef();
        return r;
    } catch (const std::bad_alloc&) {
        return kErrMemoryFull;
    }
}

TqErr ConstructCfgAccessPathRef(const PathRef& path, ConfigManager** out) {
    if (!path.IsValid()) {
        TQ_REPORT(kDbgWarn, "Not a Valid path to a preference file.");
        return kErrArgument;
    }
    if (!out) return kErrArgument;
    try {
        *out = new ConfigManager(path);
    } catch (const std::bad_alloc&) {
        return kErrMemoryFull;
    }
    (*out)->AddRef();
    return kErrNone;
}

TqErr ConstructCfgAccess(Path path, ConfigManager** out) {
    if (!path || !path->IsValid() || !out) return kErrNone;
    return ConstructCfgAccessPathRef(*path, out);
}

TqErr ConstructCfgAccessCStr(const char* path, ConfigManager** out) {
    if (!path) return kErrArgument;
    try {
        return ConstructCfgAccessPathRef(PathRef(path, PathRef::StringCommandLine()), out);
    } catch (const PKExcept& e) {
        TQ_REPORT(kDbgWarn, "Error constructing Config Manager");
        return e.ErrorCode();
    }
}

ConfigManager* GetMainCfgAccess(void) {
    return MainManager();
}

void GetConfigPath(const char* in, char* out) {
    if (!out) return;
    if (!in) in = "";
    const char* dot = std::strrchr(in, '.');
    const size_t keep = dot && dot != in ? size_t(dot - in) : std::strlen(in);
    std::memmove(out, in, keep);
    std::memcpy(out + keep, ".ini", 5);
}

// The registry records where each installed version lives. POSIX has no registry: the lookup finds nothing
// and the result is kErrNotFound, as for a version that was never installed.
TqErr CfgGetPathToPreviousVersion(const char* product, const char* version, const char* fileName, char* out) {
    if (!product || !version || !fileName || !out) return kErrArgument;
    char key[512];
    std::snprintf(key, sizeof key, "SOFTWARE\\KESTRANE\\%s\\%s", product, version);
    std::string folder;
    if (!tq::platform::RegistryReadMachineString(key, "Path", folder)) return kErrNotFound;
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder.push_back('\\');
    const std::string file = folder + fileName;
    if (file.size() + 5 > size_t(kCfgPreviousPathSize)) return kErrArgument;
    GetConfigPath(file.c_str(), out);
    return kErrNone;
}
