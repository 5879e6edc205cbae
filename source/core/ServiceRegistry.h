// The private registry behind IServiceRegistry and the process-wide set of started services.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "core/ServiceRegistryItem.h"

namespace tq::core {

class ServiceRegistry final : public IServiceRegistry {
  public:
    TqErr InitAll() override;
    TqErr UninitAll() override;
    void Release() override;
    TqErr Register(IServiceObject* service) override;
    TqErr Unregister(IServiceObject* service) override;
    bool IsRegistered(IServiceObject* service) override;
    ~ServiceRegistry() override;

    // Register that reports a second service of the same identity by name (used while filling from an array).
    TqErr RegisterReportingDuplicates(IServiceObject* service);
    // Items in start order as computed by the last InitAll; the first StartedCount() are running.
    const std::vector<ServiceRegistryItem*>& StartOrder() const { return startOrder_; }
    int32 StartedCount() const { return startedCount_; }
    size_t Size() const { return items_.size(); }

  private:
    bool ComputeStartOrder();
    bool LinkDependencies();
    ServiceRegistryItem* Find(IServiceObject* service) const;

    std::map<IServiceObject*, std::unique_ptr<ServiceRegistryItem>> items_;
    std::vector<ServiceRegistryItem*> startOrder_;
    int32 startedCount_ = 0;
};

// Whether some registry has started the service and not stopped it yet.
bool IsServiceStarted(IServiceObject* service);

}  // namespace tq::core
