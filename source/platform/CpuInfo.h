// The CPU-information layer: machine description from the cpuid instruction and the operating system.
#pragma once

#include "tqcore/types.h"

namespace tq::platform {

// Receives the layer's problems: a debug level 0..4 and a message.
using CPUInfoErrorReportCallback = void (*)(int32 level, const char* message);
// The detailed form adds where in the layer the problem arose.
using CPUInfoDetailedErrorReportCallback = void (*)(int32 level, const char* where, int32 line,
                                                    const char* message);

void SetCPUInfoErrorReportCallback(CPUInfoErrorReportCallback callback);
// Null where the layer has no detailed reporting; callers install it when present.
extern void (*const SetCPUInfoDetailedErrorReportCallback)(CPUInfoDetailedErrorReportCallback callback);

struct CPUIDRegisters {
    uInt32 a = 0, b = 0, c = 0, d = 0;
};

class MachineDescription {
  public:
    virtual ~MachineDescription() = default;
    // Architecture code of the CPU table (3 x86, 8 ARM, 9 x64, 0 unknown).
    virtual int32 Architecture() const = 0;
    virtual int32 NumLogicalProcessors() const = 0;
    // Cores; equals the logical count where the system does not tell them apart.
    virtual int32 NumPhysicalProcessors() const = 0;
    // False where there is no cpuid instruction or the leaf is above the highest supported one.
    virtual bool CPUID(uInt32 leaf, uInt32 subleaf, CPUIDRegisters& out) const = 0;
};

// A new description of this machine, owned by the caller; null on failure (reported through the callback).
MachineDescription* GetMachineDescription();
int32 NumLogicalProcessors();

// Processor cores as the system counts them; 0 when it cannot tell.
int32 CountPhysicalCores();
// Raw cpuid; false on processors without the instruction. Shared by both implementations.
bool ExecuteCPUID(uInt32 leaf, uInt32 subleaf, CPUIDRegisters& out);
// Architecture code of the processor this build targets.
int32 CompiledArchitecture();
// Reports through whichever callback is installed.
void ReportCPUInfoProblem(int32 level, int32 line, const char* message);

}  // namespace tq::platform
