// Services of managers that have no start work yet. When a manager gains start work, its service class and
// accessor move into the manager's own unit and leave this file.
#include "assembly/PendingServices.h"
#include "memory/Services.h"

namespace {

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

IServiceObject* tq::resources::ResourceManagerService() {
    return ResourceManager_Service::Get();
}
