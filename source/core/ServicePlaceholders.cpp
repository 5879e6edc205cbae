// Services of managers that have no start work yet. When a manager gains start work, its service class and
// accessor move into the manager's own unit and leave this file.
#include "core/ServiceAccessors.h"

namespace {

class TrackedMallocFree_Service final : public RefcountedServiceObject_T<TrackedMallocFree_Service> {
  public:
    const char* Name() override { return "TrackedMallocFree"; }
    void Dependencies(IServiceDependencyList& list) override { list.Add(MemoryManagerService()); }
};

class FileManager_Service final : public RefcountedServiceObject_T<FileManager_Service> {
  public:
    const char* Name() override { return "FileManager"; }
    void Dependencies(IServiceDependencyList& list) override {
        list.Add(PathManagerService());
        list.Add(MemoryManagerService());
    }
};

class ConfigManager_Service final : public RefcountedServiceObject_T<ConfigManager_Service> {
  public:
    const char* Name() override { return "ConfigManager"; }
    void Dependencies(IServiceDependencyList& list) override {
        list.Add(tq::ThMutexService());
        list.Add(PathManagerService());
        list.Add(tq::FileManagerService());
        list.Add(MemoryManagerService());
    }
};

class ConfigCoreTypes_Service final : public RefcountedServiceObject_T<ConfigCoreTypes_Service> {
  public:
    const char* Name() override { return "ConfigCoreTypes"; }
    void Dependencies(IServiceDependencyList& list) override {
        list.Add(PathManagerService());
        list.Add(tq::ConfigManagerService());
    }
};

class ResourceManager_Service final : public RefcountedServiceObject_T<ResourceManager_Service> {
  public:
    const char* Name() override { return "ResourceManager"; }
    void Dependencies(IServiceDependencyList& list) override {
        list.Add(MemoryManagerService());
        list.Add(PathManagerService());
        list.Add(tq::FileManagerService());
    }
};

class OccurrenceManager_Service final : public RefcountedServiceObject_T<OccurrenceManager_Service> {
  public:
    const char* Name() override { return "OccurrenceManager"; }
    void Dependencies(IServiceDependencyList& list) override {
        list.Add(HardWaitBehaviorService());
        list.Add(tq::ThMutexService());
        list.Add(tq::ThThreadService());
    }
};

class HardWaitBehavior_Service final : public RefcountedServiceObject_T<HardWaitBehavior_Service> {
  public:
    const char* Name() override { return "HardWaitBehavior"; }
    void Dependencies(IServiceDependencyList& list) override {
        list.Add(tq::ConfigManagerService());
        list.Add(tq::ConfigCoreTypesService());
    }
};

}  // namespace

IServiceObject* tq::TrackedMallocFreeService() {
    return TrackedMallocFree_Service::Get();
}
IServiceObject* tq::FileManagerService() {
    return FileManager_Service::Get();
}
IServiceObject* tq::ConfigManagerService() {
    return ConfigManager_Service::Get();
}
IServiceObject* tq::ConfigCoreTypesService() {
    return ConfigCoreTypes_Service::Get();
}
IServiceObject* tq::ResourceManagerService() {
    return ResourceManager_Service::Get();
}
IServiceObject* OccurrenceManagerService(void) {
    return OccurrenceManager_Service::Get();
}
IServiceObject* HardWaitBehaviorService(void) {
    return HardWaitBehavior_Service::Get();
}
