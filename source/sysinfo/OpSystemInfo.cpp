// OSInfo: the operating system's identity and its debug-stream form.
#include <cstdio>

#include "platform/OsInfo.h"
#include "tqcore/diagnostics.h"
#include "tqcore/sysinfo.h"

OpSystemInfo::~OpSystemInfo() = default;

namespace {

// The running system, read once from the platform layer.
class RunningSystem final : public OpSystemInfo {
  public:
    RunningSystem() : id_(tq::platform::QueryOsIdentity()) {
        char pair[32];
        std::snprintf(pair, sizeof pair, "%d.%d", int(id_.major), int(id_.minor));
        version_ = (id_.productName.empty() ? std::string("unknown") : id_.productName) + " " + pair;
        extra_ = id_.detail.empty() ? "unknown" : id_.detail;
        features_ = OpSystemFeatureFlags::k64Bit();
        if (id_.isNT) features_ = features_ | OpSystemFeatureFlags::kIsNTOS();
    }
    int32 TargetCode() const override { return id_.isNT ? kOSWindowsX64 : kOSLinuxX64; }
    const char* TargetName() const override { return GetOSNameFromID(TargetCode()); }
    const std::string& VersionText() const override { return version_; }
    const std::string& ExtraText() const override { return extra_; }
    uInt32 MajorVersion() const override { return id_.major; }
    uInt32 MinorVersion() const override { return id_.minor; }
    uInt32 BuildNumber() const override { return id_.build; }
    OpSystemFeatureFlags Features() const override { return features_; }
    HiResClock CreationTime() const override { return created_; }

  private:
    tq::platform::OsIdentity id_;
    std::string version_;
    std::string extra_;
    OpSystemFeatureFlags features_;
    HiResClock created_{HiResClock::kInitNow};
};

}  // namespace

const OpSystemInfo& OSInfo() {
    // Function-local static: built once under the language's thread-safe initialisation, destroyed at unload.
    static const RunningSystem system;
    return system;
}

void ToDebugStream(DebugStream& s, const OpSystemInfo& info) {
    s.Append("OS: ");
    s.Append(info.TargetName());
    s.Append(", Version: ");
    s.Append(info.VersionText().c_str());
    s.Append(", Detail: ");
    s.Append(info.ExtraText().c_str());
}
