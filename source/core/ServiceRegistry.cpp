// Service registries: dependency-ordered start and stop, and the process-wide started-service set.
#define TQ_UNIT "source\\ServiceRegistry"

#include "core/ServiceRegistry.h"

#include <list>
#include <new>
#include <set>

#include "diagnostics/Report.h"

namespace tq::core {

namespace {
// Shared by every registry; start-up runs on one thread, so it takes no lock.
std::set<IServiceObject*>& StartedServices() {
    static std::set<IServiceObject*> started;
    return started;
}
}  // namespace

bool IsServiceStarted(IServiceObject* service) {
    return StartedServices().count(service) != 0;
}

ServiceRegistry::~ServiceRegistry() = default;

void ServiceRegistry::Release() {
    delete this;
}

ServiceRegistryItem* ServiceRegistry::Find(IServiceObject* service) const {
    const auto it = items_.find(service);
    return it == items_.end() ? nullptr : it->second.get();
}

TqErr ServiceRegistry::Register(IServiceObject* service) {
    if (startedCount_ > 0) return kErrGeneric;
    if (!service || Find(service)) return kErrArgument;
    items_.emplace(service, std::make_unique<ServiceRegistryItem>(service));
    return kErrNone;
}

TqErr ServiceRegistry::RegisterReportingDuplicates(IServiceObject* service) {
    if (service && Find(service)) {
        TQ_REPORT(kDbgFatal, "ServiceRegistry: A service has already been registered that has the name \"",
                  service->Name(), "\".");
        return kErrArgument;
    }
    return Register(service);
}

TqErr ServiceRegistry::Unregister(IServiceObject* service) {
    if (startedCount_ > 0) return kErrGeneric;
    if (!service || !items_.erase(service)) return kErrArgument;
    return kErrNone;
}

bool ServiceRegistry::IsRegistered(IServiceObject* service) {
    return Find(service) != nullptr;
}

// Counts each item's unmet dependencies and lists its dependents; false after reporting a missing one.
bool ServiceRegistry::LinkDependencies() {
    for (auto& entry : items_) {
        entry.second->unmetDependencies = 0;
        entry.second->dependents.Clear();
    }
    ServiceDependencyList deps;
    for (auto& [service, item] : items_) {
        deps.Clear();
        service->Dependencies(deps);
        for (int32 i = 0; i < deps.Count(); ++i) {
            IServiceObject* d = deps.At(i);
            if (ServiceRegistryItem* target = Find(d)) {
                ++item->unmetDependencies;
                target->dependents.Add(service);
            } else if (!IsServiceStarted(d)) {
                TQ_REPORT(kDbgFatal, "ServiceRegistry: Service \"", service->Name(), "\" has a dependency \"",
                          d->Name(), "\" that does not exist!");
                return false;
            }
        }
    }
    return true;
}

bool ServiceRegistry::ComputeStartOrder() {
    startOrder_.clear();
    if (!LinkDependencies()) return false;
    std::list<ServiceRegistryItem*> pending;
    for (auto& entry : items_) pending.push_back(entry.second.get());
    while (!pending.empty()) {
        auto ready = pending.begin();
        while (ready != pending.end() && (*ready)->unmetDependencies != 0) ++ready;
        if (ready == pending.end()) {
            TQ_REPORT(kDbgFatal, "ServiceRegistry: Service dependencies form a cycle.");
            startOrder_.clear();
            items_.clear();
            return false;
        }
        ServiceRegistryItem* item = *ready;
        startOrder_.push_back(item);
        for (int32 i = 0; i < item->dependents.Count(); ++i)
            --Find(item->dependents.At(i))->unmetDependencies;
        pending.erase(ready);
    }
    return true;
}

TqErr ServiceRegistry::InitAll() {
    ComputeStartOrder();
    startedCount_ = 0;
    for (ServiceRegistryItem* item : startOrder_) {
        const TqErr err = item->Start();
        if (err != kErrNone) {
            TQ_REPORT(kDbgNote, "ServiceRegistry: Service ", item->service->Name(),
                      " init failed with error ", err);
            return err;
        }
        StartedServices().insert(item->service);
        ++startedCount_;
    }
    return kErrNone;
}

TqErr ServiceRegistry::UninitAll() {
    if (startOrder_.empty() || startedCount_ < 1) return kErrNone;
    for (int32 i = startedCount_ - 1; i >= 0; --i) {
        ServiceRegistryItem* item = startOrder_[size_t(i)];
        // The last Uninit destroys the service: read its name first for the report.
        const char* name = item->service->Name();
        const TqErr err = item->Stop();
        if (err != kErrNone) {
            TQ_REPORT(kDbgNote, "ServiceRegistry: Service ", name, " uninit failed with error ", err);
            return err;
        }
        StartedServices().erase(item->service);
        --startedCount_;
    }
    return kErrNone;
}

}  // namespace tq::core

IServiceRegistry* CreateServiceRegistry(IServiceObject* const* services) {
    if (!services) return nullptr;
    tq::core::ServiceRegistry* registry = nullptr;
    try {
        registry = new tq::core::ServiceRegistry();
        for (IServiceObject* const* s = services; *s; ++s) registry->RegisterReportingDuplicates(*s);
    } catch (const std::bad_alloc&) {
        if (registry) registry->Release();
        return nullptr;
    }
    return registry;
}
