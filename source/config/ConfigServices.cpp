// The configuration manager's and the built-in types' services.
#include "config/ConfigTypeRegistry.h"
#include "config/Services.h"
#include "files/Services.h"
#include "memory/Services.h"

namespace {

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
    TqErr InitService() override { return tq::config::RegisterCoreConfigTypes(); }
    TqErr UninitService() override {
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
