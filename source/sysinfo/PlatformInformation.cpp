// Names of CPU architectures and operating systems from their identifiers.
#include "tqcore/sysinfo.h"

namespace {

constexpr const char* kUnknown = "<unknown value>";

constexpr const char* kCPUNames[] = {"InvalidCPU", "68K",   "PowerPC", "X86", "Sparc", "PARisc",
                                     "MIPS",       "Alpha", "ARM",     "x64", "PIC"};

constexpr const char* kOSNames[] = {
    "invalid OS target", "Mac OS", "Windows 3.1", "Windows 95/NT", "Solaris 1",
    "Solaris 2",         "HP-UX",  "PowerMAX",    "Linux",         "Irix",
    "Rhapsody",          "BeOS",   "AIX",         "OSF1",          "VxWorks",
    "PharLap",           "Carbon", "RTX",         "Windows x64",   "Linux x64",
    "Mac OS X x64"};

template <size_t N>
const char* Lookup(const char* const (&table)[N], int32 code) {
    return code >= 0 && size_t(code) < N ? table[code] : kUnknown;
}

}  // namespace

const char* GetCPUArchName(int32 code) {
    return Lookup(kCPUNames, code);
}

const char* GetOSNameFromID(int32 code) {
    return Lookup(kOSNames, code);
}
