// CPUInfo: the processor description and its reports.
#define TQ_UNIT "source\\CPUInformation"

#include <atomic>
#include <new>

#include "diagnostics/Report.h"
#include "platform/CpuInfo.h"
#include "tqcore/sysinfo.h"

namespace {

std::atomic<CPUInformation*> gCPUInfo{nullptr};

int32 ClampLevel(int32 level) {
    return level < kDbgNote ? kDbgNote : level > kDbgFatal ? kDbgFatal : level;
}

void PlainReport(int32 level, const char* message) {
    TQ_REPORT(ClampLevel(level), "CPU information: ", message ? message : "");
}

void DetailedReport(int32 level, const char* where, int32 line, const char* message) {
    TQ_REPORT(ClampLevel(level), "CPU information (", where ? where : "?", ":", line,
              "): ", message ? message : "");
}

void InstallReportCallbacks() {
    using namespace tq::platform;
    if (SetCPUInfoDetailedErrorReportCallback) {
        SetCPUInfoDetailedErrorReportCallback(DetailedReport);
        SetCPUInfoErrorReportCallback(nullptr);
    } else {
        SetCPUInfoErrorReportCallback(PlainReport);
    }
}

std::string RegisterText(const uInt32* regs, int count) {
    std::string s;
    for (int i = 0; i < count; ++i)
        for (int b = 0; b < 4; ++b) s += char((regs[i] >> (8 * b)) & 0xFF);
    while (!s.empty() && (s.back() == '\0' || s.back() == ' ')) s.pop_back();
    while (!s.empty() && s.front() == ' ') s.erase(s.begin());
    return s;
}

}  // namespace

CPUInformation::CPUInformation() {
    InstallReportCallbacks();
    machine_ = tq::platform::GetMachineDescription();
    if (!machine_) {
        TQ_REPORT(kDbgError, "CPU information: no machine description");
        logical_ = physical_ = tq::platform::NumLogicalProcessors();
        return;
    }
    arch_ = machine_->Architecture();
    logical_ = machine_->NumLogicalProcessors();
    physical_ = machine_->NumPhysicalProcessors();
    uInt32 r[4];
    // Leaf 0 holds the vendor in b, d, c order.
    if (CPUID(0, 0, r)) {
        const uInt32 bdc[3] = {r[1], r[3], r[2]};
        vendor_ = RegisterText(bdc, 3);
    }
    uInt32 brand[12];
    bool haveBrand = true;
    for (uInt32 i = 0; i < 3 && haveBrand; ++i) haveBrand = CPUID(0x80000002u + i, 0, brand + 4 * i);
    if (haveBrand) brand_ = RegisterText(brand, 12);
}

CPUInformation::~CPUInformation() {
    delete machine_;
}

const char* CPUInformation::ArchitectureName() const {
    return GetCPUArchName(arch_);
}

bool CPUInformation::CPUID(uInt32 leaf, uInt32 subleaf, uInt32 regs[4]) const {
    tq::platform::CPUIDRegisters r;
    if (!machine_ || !regs || !machine_->CPUID(leaf, subleaf, r)) return false;
    regs[0] = r.a;
    regs[1] = r.b;
    regs[2] = r.c;
    regs[3] = r.d;
    return true;
}

CPUInformation* CPUInfo() {
    if (CPUInformation* p = gCPUInfo.load(std::memory_order_acquire)) return p;
    CPUInformation* made = new CPUInformation();
    CPUInformation* expected = nullptr;
    if (gCPUInfo.compare_exchange_strong(expected, made, std::memory_order_acq_rel)) return made;
    delete made;  // another thread won the race
    return expected;
}

void UninitCPUInformation() {
    delete gCPUInfo.exchange(nullptr);
}

void ToDebugStream(DebugStream& s, const CPUInformation* info) {
    if (!info) {
        s.Append("Invalid CPUInformation");
        return;
    }
    s.Append("CPUArch: ");
    s.Append(info->ArchitectureName());
    s.Append(", NumLogicalCPUs: ");
    ToDebugStream(s, info->NumLogicalCPUs());
}
