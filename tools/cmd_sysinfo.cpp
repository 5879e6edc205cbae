#include <cstdio>

#include "Command.h"
#include "tqcore/diagnostics.h"
#include "tqcore/sysinfo.h"

namespace {

// Renders through the same debug-stream form the library logs, without delivering the message.
template <class T>
void PrintForm(const T& value) {
    DebugStream s("tqcore", 0, "", kDbgNote);
    ToDebugStream(s, value);
    std::printf("%s\n", s.Text());
}

int Run(int argc, char** argv);

const tool::Command kCommand{"sysinfo", "print CPU and operating-system information",
                             "usage: tqcore sysinfo\n"
                             "Prints the processor and operating-system description the library uses.\n",
                             Run};

int Run(int argc, char** argv) {
    if (argc > 1) return tool::UsageError(kCommand, "no arguments expected");
    const CPUInformation* cpu = CPUInfo();
    PrintForm(cpu);
    std::printf("PhysicalCPUs: %d\n", cpu->NumPhysicalCPUs());
    if (!cpu->Vendor().empty()) std::printf("Vendor: %s\n", cpu->Vendor().c_str());
    if (!cpu->Brand().empty()) std::printf("Brand: %s\n", cpu->Brand().c_str());
    PrintForm(OSInfo());
    return 0;
}

const tool::CommandRegistrar kRegistrar(kCommand);

}  // namespace
