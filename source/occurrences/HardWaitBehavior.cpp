// The hard-wait setting: its service, its settings group and what the occurrence thread reads of it.
#include "occurrences/HardWaitBehavior.h"

#include "threads/Services.h"

namespace tq::occurrences {

namespace {

// The typed-settings read of a group's signed 32-bit entry.
int32 ReadSettingInt32(const char* /*group*/, const char* /*entry*/, int32 fallback) {
    return fallback;  // the configuration manager supplies the stored value once it exists
}

class HardWaitBehavior_Service final : public RefcountedServiceObject_T<HardWaitBehavior_Service> {
  public:
    ~HardWaitBehavior_Service() override {
        settings_.Uninit(0, nullptr);
        settings_.ClearName();
    }
    const char* Name() override { return "HardWaitBehavior"; }
    void Dependencies(IServiceDependencyList& list) override {
        list.Add(tq::config::ConfigManagerService());
        list.Add(tq::config::ConfigCoreTypesService());
    }
    TqErr InitService() override { return settings_.Init(-1, nullptr); }
    TqErr UninitService() override { return settings_.Uninit(0, nullptr); }

    int32 TimeCritical() { return settings_.Data().Current(); }

  private:
    HardWaitBehaviorSettings settings_;
};

}  // namespace

int32 HardWaitHostDefault() {
    TQAppInterface* app = TQApp();
    // The host's seventeenth operation answers whether waiting should be time-critical by default.
    return app && app->IsEmbeddedRunTime() ? 1 : 0;
}

HardWaitBehaviorCfgData::HardWaitBehaviorCfgData() : default_(HardWaitHostDefault()), current_(default_) {}

TqErr HardWaitBehaviorSettings::Init(int32 loadFlag, void*) {
    if (loadFlag != 0 && name_)
        data_.SetCurrent(ReadSettingInt32(name_, HardWaitBehaviorCfgData::kEntryName, data_.Default()));
    return kErrNone;
}

TqErr HardWaitBehaviorSettings::Uninit(int32, void*) {
    return kErrNone;
}

}  // namespace tq::occurrences

IServiceObject* HardWaitBehaviorService(void) {
    return tq::occurrences::HardWaitBehavior_Service::Get();
}

int32 GetHardWaitTimeCritical(void) {
    if (auto* service = tq::occurrences::HardWaitBehavior_Service::Peek()) return service->TimeCritical();
    return tq::occurrences::HardWaitHostDefault();
}
