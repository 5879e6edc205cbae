// Services of managers that have no start work yet. When a manager gains start work, its service class and
// accessor move into the manager's own unit and leave this file.
#include "assembly/PendingServices.h"
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
};

class ConfigCoreTypes_Service final : public RefcountedServiceObject_T<ConfigCoreTypes_Service> {
  public:
    const char* Name() override { return "ConfigCoreTypes"; }
    void Dependencies(IServiceDependencyList& list) override {
        list.Add(PathManagerService());
        list.Add(tq::config::ConfigManagerService());
    }
};

class ResourceManager_Service final : public RefcountedServiceObject_T<ResourceManager_Service> {
  public:
    const char* Name() override { return "ResourceManager"; }
    void Dependencies(IServiceDependencyList& list) override {
        list.Add(MemoryManagerService());
        list.Add(PathManagerService());
        list.Add(tq::files::FileManagerService());
    }
};

}  // namespace

IServiceObject* tq::config::ConfigManagerService() {
    return ConfigManager_Service::Get();
}
IServiceObject* tq::config::ConfigCoreTypesService() {
    return ConfigCoreTypes_Service::Get();
}
IServiceObject* tq::resources::ResourceManagerService() {
    return ResourceManager_Service::Get();
}
