// The list a service fills with the services it depends on; registries also keep dependents in it.
#pragma once

#include <vector>

#include "tqcore/core.h"

namespace tq::core {

class ServiceDependencyList final : public IServiceDependencyList {
  public:
    static constexpr int32 kInitialCapacity = 4;
    static constexpr int32 kMaxEntries = 1024;

    ServiceDependencyList();
    // Appends a service (the same one may stand twice); null and a full list are reported, not added.
    void Add(IServiceObject* service) override;
    int32 Count() const { return int32(services_.size()); }
    // Null (reported) for an index outside 0..Count()-1.
    IServiceObject* At(int32 index) const;
    void Clear() { services_.clear(); }

  private:
    std::vector<IServiceObject*> services_;
};

}  // namespace tq::core
