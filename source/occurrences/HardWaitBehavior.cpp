// The hard-wait setting: its service, its settings group and what the occurrence thread reads of it.
#include "occurrences/HardWaitBehavior.h"

#include "threads/Services.h"

namespace tq::occurrences {

namespace {

class HardWaitBehavior_Service final : public RefcountedServiceObject_T<HardWaitBehavior_Service> {
  public:
    ~HardWaitBehavior_Service() override {
        (void)settings_.Uninit(cfgNeverSavePolicy, nullptr);
        settings_.ReleaseData();
        settings_.ClearName();
    }
    const char* Name() override { return "HardWaitBehavior"; }
    void Dependencies(IServiceDependencyList& list) override {
        list.Add(tq::config::ConfigManagerService());
        list.Add(tq::config::ConfigCoreTypesService());
    }
    // A setting the configuration cannot give keeps the host's default: starting never fails on it.
    TqErr InitService() override {
        (void)settings_.Init(-1, nullptr);
        if (HardWaitBehaviorCfgData* data = settings_.GetData())
            current_.store(data->Current(), std::memory_order_relaxed);
        return kErrNone;
    }
    TqErr UninitService() override { return settings_.Uninit(cfgNeverSavePolicy, nullptr); }

    // Read from any thread.
    int32 TimeCritical() const { return current_.load(std::memory_order_relaxed); }

  private:
    HardWaitBehaviorSettings settings_{kHardWaitSettingsName};
    std::atomic<int32> current_{HardWaitHostDefault()};
};

}  // namespace

int32 HardWaitHostDefault() {
    TQAppInterface* app = TQApp();
    // The host's seventeenth operation answers whether waiting should be time-critical by default.
    return app && app->IsEmbeddedRunTime() ? 1 : 0;
}

HardWaitBehaviorCfgData::HardWaitBehaviorCfgData() : entry_(kEntryName, HardWaitHostDefault()) {}

}  // namespace tq::occurrences

IServiceObject* HardWaitBehaviorService(void) {
    return tq::occurrences::HardWaitBehavior_Service::Get();
}

int32 GetHardWaitTimeCritical(void) {
    if (auto* service = tq::occurrences::HardWaitBehavior_Service::Peek()) return service->TimeCritical();
    return tq::occurrences::HardWaitHostDefault();
}
