// CPU identification through CPUID, shared by both OS implementations.
#include <atomic>
#include <new>

#include "platform/CpuInfo.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace tq::platform {

int32 CompiledArchitecture() {
#if defined(__x86_64__)
    return 9;
#elif defined(__i386__)
    return 3;
#elif defined(__aarch64__) || defined(__arm__)
    return 8;
#else
    return 0;
#endif
}

namespace {
std::atomic<CPUInfoErrorReportCallback> gPlain{nullptr};
std::atomic<CPUInfoDetailedErrorReportCallback> gDetailed{nullptr};

void SetDetailed(CPUInfoDetailedErrorReportCallback callback) {
    gDetailed.store(callback);
}
}  // namespace

void SetCPUInfoErrorReportCallback(CPUInfoErrorReportCallback callback) {
    gPlain.store(callback);
}

void (*const SetCPUInfoDetailedErrorReportCallback)(CPUInfoDetailedErrorReportCallback) = SetDetailed;

void ReportCPUInfoProblem(int32 level, int32 line, const char* message) {
    if (const auto detailed = gDetailed.load())
        detailed(level, "CpuInfo", line, message);
    else if (const auto plain = gPlain.load())
        plain(level, message);
}

bool ExecuteCPUID(uInt32 leaf, uInt32 subleaf, CPUIDRegisters& out) {
#if defined(__x86_64__) || defined(__i386__)
    const uInt32 highest = __get_cpuid_max(leaf & 0x80000000u, nullptr);
    if (highest == 0 || leaf > highest) return false;
    unsigned a, b, c, d;
    __cpuid_count(leaf, subleaf, a, b, c, d);
    out = {a, b, c, d};
    return true;
#else
    (void)leaf;
    (void)subleaf;
    out = {};
    return false;
#endif
}

namespace {

class Machine final : public MachineDescription {
  public:
    Machine() : logical_(tq::platform::NumLogicalProcessors()) {
        const int32 cores = CountPhysicalCores();
        if (cores == 0)
            ReportCPUInfoProblem(1, __LINE__, "processor topology unavailable; counting logical CPUs");
        physical_ = cores > 0 && cores <= logical_ ? cores : logical_;
    }
    int32 Architecture() const override { return CompiledArchitecture(); }
    int32 NumLogicalProcessors() const override { return logical_; }
    int32 NumPhysicalProcessors() const override { return physical_; }
    bool CPUID(uInt32 leaf, uInt32 subleaf, CPUIDRegisters& out) const override {
        return ExecuteCPUID(leaf, subleaf, out);
    }

  private:
    int32 logical_;
    int32 physical_ = 0;
};

}  // namespace

MachineDescription* GetMachineDescription() {
    return new (std::nothrow) Machine();
}

}  // namespace tq::platform
