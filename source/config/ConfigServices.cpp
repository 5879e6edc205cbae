// The configuration manager's and the built-in types' services.
#include "config/ConfigTypeRegistry.h"
#include "config/Services.h"
#include "files/Services.h"
#include "memory/Services.h"
#include "threads/ThThread.h"
#include "tqcore/strings.h"

namespace {

// Threads sit below the configuration and read their integer settings (the priorities) through this while
// the built-in types, I32 among them, are registered.
bool ReadIntegerSetting(const char* token, int32* value) {
    Str255 name;
    CToPStr(token, name);
    return CfgGetDefault(TQFourCC("I32 "), name, value) == kErrNone;
}

class ConfigManager_Service final : public RefcountedServiceObject_T<ConfigManager_Service> {
  public:
    const char* Name() override { return "ConfigManager"; }
    void Dependencies(IServiceDependencyList& list) override {
        list.Add(tq::threads::ThMutexService());
        list.Add(PathManagerService());
        list.Add(tq::files::FileManagerService());
        list.Add(MemoryManagerService());
    }
    TqErr InitService() override { return tq::config::StartMainManager(); }
    TqErr UninitService() override { return tq::config::StopMainManager(); }
};

class ConfigCoreTypes_Service final : public RefcountedServiceObject_T<ConfigCoreTypes_Service> {
  public:
    const char* Name() override { return "ConfigCoreTypes"; }
    void Dependencies(IServiceDependencyList& list) override {
        list.Add(PathManagerService());
        list.Add(tq::config::ConfigManagerService());
    }
    TqErr InitService() override {
        const TqErr err = tq::config::RegisterCoreConfigTypes();
        if (err == kErrNone) tq::threads::SetIntegerSettingReader(ReadIntegerSetting);
        return err;
    }
    TqErr UninitService() override {
        tq::threads::SetIntegerSettingReader(nullptr);
        tq::config::UnregisterCoreConfigTypes();
        return kErrNone;
    }
};

}  // namespace

IServiceObject* tq::config::ConfigManagerService() {
    return ConfigManager_Service::Get();
}
IServiceObject* tq::config::ConfigCoreTypesService() {
    return ConfigCoreTypes_Service::Get();
}
