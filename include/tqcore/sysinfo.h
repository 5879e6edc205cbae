// tqcore/sysinfo.h - CPU and operating-system information, the command line, module paths, versions and
// GUIDs. Every function may be called from any thread, except the command-line setters
// (Init/Uninit/SetIgnore/SetPrefsPath), which belong to start-up and shut-down.
#pragma once

#include "tqcore/types.h"

// PKGuidType (types.h): 16 bytes in the platform GUID layout.
// Bytes of a GUID's text form including its NUL.
enum { kPKGuidTextSize = 37 };

// Detail of a packed version's text: 0 default, 1 major.minor, 2 major.minor.fix, 3 everything.
typedef int32 VersionStringDetailLevel;
enum TQ_ENUM_TYPE(VersionStringDetailLevel) {
    kVersionDefault = 0,
    kVersionMajorMinor = 1,
    kVersionMajorMinorFix = 2,
    kVersionFull = 3,
};

// Buffer size of the fixed-buffer module path functions.
enum { kModulePathBufferSize = 260 };

// CPU architecture codes (GetCPUArchName, CPUInformation::Architecture).
enum TQ_ENUM_TYPE(int32) {
    kCPUInvalid = 0,
    kCPUX86 = 3,
    kCPUArm = 8,
    kCPUX64 = 9,
};

// Operating-system target codes (GetOSNameFromID, OpSystemInfo::TargetCode).
enum TQ_ENUM_TYPE(int32) {
    kOSInvalid = 0,
    kOSLinux = 8,
    kOSWindowsX64 = 18,
    kOSLinuxX64 = 19,
};

TQ_EXTERN_C_BEGIN

// ---- GUIDs
// Fills a new GUID; never fails (falls back to the random generator).
TQ_API void PKGuidCreate(PKGuidType* guid);
// Creates a GUID and writes its 36-character text into a 37-byte buffer. Null buffer: 0, nothing written;
// kErrGuidText when the conversion fails.
TQ_API TqErr PKGuidCreateStr(char* text);
// Text form into a 37-byte buffer (first byte cleared first). Null buffer: 0; failure: kErrGuidText.
TQ_API TqErr PKGuidToCStr(const PKGuidType* guid, char* text);
// Parses 8-4-4-4-12 hexadecimal text. Null text: kErrArgument; null guid: 0 without parsing; bad text:
// kErrGuidText.
TQ_API TqErr PKGuidFromCStr(const char* text, PKGuidType* guid);
// 1 when the 16 bytes are equal, else 0.
TQ_API Bool32 PKGuidsEqual(const PKGuidType* a, const PKGuidType* b);

// ---- Packed version numbers
// Default-level text as a Pascal string (out holds at least 256 bytes).
TQ_API void BuildVersStr(uInt32 version, PStr pascalOut);
// Text for the detail level; a non-null buffer is cleared and receives the C string when bufferSize exceeds
// its length. Returns the length. Levels outside 0..3 print as the default.
TQ_API int32 BuildVersionString(uInt32 version, VersionStringDetailLevel level, char* buffer,
                                int32 bufferSize);

// ---- Command line (the arrays stay owned by the library or the host; callers never free them)
// 0; kErrArgument when count is 0, arguments is null or a user line exists; kErrMemoryFull when the user
// array cannot be made; kErrNotSupported when the host disables command-line handling (nothing stored).
TQ_API TqErr InitUserCommandLine(int32 count, char** arguments);
TQ_API void GetRawCommandLine(int32* countOut, char*** arrayOut);
TQ_API void GetAppCommandLine(int32* countOut, char*** arrayOut);
TQ_API void GetUserCommandLine(int32* countOut, char*** arrayOut);
// Frees the user array and clears every stored value; returns 0.
TQ_API TqErr UninitUserCommandLine(void);
// Nonzero: "--" is not looked for and every argument belongs to the application.
TQ_API void SetIgnoreCommandLine(Bool32 ignore);
// Stores a copy (kErrMemoryFull when it cannot); null clears it.
TQ_API TqErr SetPrefsPath(const char* path);
// The stored path, else the argument after the last "-pref" among the application arguments, else null.
TQ_API const char* GetPrefsPath(void);
// 1 for arguments the library consumes; "-pref" also increments *skipCount (when non-null) so the caller
// skips its path.
TQ_API Bool32 ShouldIgnoreCommandLineArg(const char* argument, int32* skipCount);
// Splits one line into arguments (element 0 is programName) in one allocation freed by
// DeleteCommandLineArgsFromSingleLine. kErrArgument for null arguments, kErrMemoryFull when allocation fails.
TQ_API TqErr NewCommandLineArgsFromSingleLine(const char* line, const char* programName, int32* countOut,
                                              char*** arrayOut);
TQ_API void DeleteCommandLineArgsFromSingleLine(int32 count, char** array);

// ---- Module paths. A module is a module handle (an HMODULE; a dlopen handle on POSIX); null names the host
// executable. Text is copied into the 260-byte buffer only when shorter than 260; the result is the text's
// length (0 when the module is unknown). The location is the folder without a trailing separator.
TQ_API int32 MSWinGetModuleFileName(const void* module, char* buffer);
TQ_API int32 MSWinGetModuleLocation(const void* module, char* buffer);
TQ_API int32 MSWinGetModulePath(const void* module, char* buffer);
// Last-write time in UTC as "MM/DD/YYYY hh:mm GMT"; empty when the file cannot be read. buffer holds at
// least 32 bytes.
TQ_API void MSWinGetModuleModDate(const void* module, char* buffer);

// ---- CPU and operating-system codes
// Name of a CPU architecture code, "<unknown value>" for others.
TQ_API const char* GetCPUArchName(int32 code);
// Name of an operating-system target code, "<unknown value>" for others.
TQ_API const char* GetOSNameFromID(int32 code);
// Destroys the process-wide CPUInformation; the next CPUInfo() builds a new one.
TQ_API void UninitCPUInformation(void);

TQ_EXTERN_C_END

#ifdef __cplusplus
#include <string>

#include "tqcore/clocks.h"

class DebugStream;
namespace tq::platform {
class MachineDescription;
}

// The all-zero GUID.
TQ_API const PKGuidType& NullPKGuid();
// Appends the text form, or "<<Error printing PKGuidType>>".
TQ_API void ToDebugStream(DebugStream& s, const PKGuidType& guid);

TQ_API std::string BuildVersStdStr(uInt32 version, VersionStringDetailLevel level);

TQ_API std::string MSWinGetModuleLongFileName(const void* module);
TQ_API std::string MSWinGetModuleLongLocation(const void* module);
TQ_API std::string MSWinGetModuleLongPath(const void* module);

// The running machine, read once from the CPU-information layer.
class TQ_API CPUInformation {
  public:
    virtual ~CPUInformation();
    int32 Architecture() const { return arch_; }
    const char* ArchitectureName() const;
    int32 NumLogicalCPUs() const { return logical_; }
    int32 NumPhysicalCPUs() const { return physical_; }
    // Registers a, b, c, d of one CPUID leaf; false where the processor has no such instruction or leaf.
    bool CPUID(uInt32 leaf, uInt32 subleaf, uInt32 regs[4]) const;
    // Vendor text from CPUID leaf 0 ("" when unavailable).
    const std::string& Vendor() const { return vendor_; }
    // Brand text from the extended CPUID leaves ("" when unavailable).
    const std::string& Brand() const { return brand_; }

    CPUInformation(const CPUInformation&) = delete;
    CPUInformation& operator=(const CPUInformation&) = delete;

  protected:
    CPUInformation();
    friend CPUInformation* CPUInfo();

  private:
    tq::platform::MachineDescription* machine_ = nullptr;
    int32 arch_ = kCPUInvalid;
    int32 logical_ = 0;
    int32 physical_ = 0;
    std::string vendor_;
    std::string brand_;
};

// The process-wide CPUInformation, created on first call.
TQ_API CPUInformation* CPUInfo();
// "CPUArch: <name>, NumLogicalCPUs: <n>", or "Invalid CPUInformation" for null.
TQ_API void ToDebugStream(DebugStream& s, const CPUInformation* info);

// A set of operating-system feature bits.
class TQ_API OpSystemFeatureFlags {
  public:
    constexpr OpSystemFeatureFlags() = default;
    constexpr explicit OpSystemFeatureFlags(uInt64 bits) : bits_(bits) {}
    static const OpSystemFeatureFlags& kNone();
    static const OpSystemFeatureFlags& kFirstBit();
    static const OpSystemFeatureFlags& k64Bit();
    static const OpSystemFeatureFlags& kIsNTOS();
    uInt64 Bits() const { return bits_; }
    bool Has(const OpSystemFeatureFlags& f) const { return (bits_ & f.bits_) == f.bits_; }
    OpSystemFeatureFlags operator|(const OpSystemFeatureFlags& o) const {
        return OpSystemFeatureFlags(bits_ | o.bits_);
    }
    bool operator==(const OpSystemFeatureFlags& o) const { return bits_ == o.bits_; }

  private:
    uInt64 bits_ = 0;
};

// The running operating system.
class TQ_API OpSystemInfo {
  public:
    virtual ~OpSystemInfo();
    virtual int32 TargetCode() const = 0;
    virtual const char* TargetName() const = 0;
    // Product name, a space and "major.minor".
    virtual const std::string& VersionText() const = 0;
    // Further detail (kernel release or build); "unknown" when the system gave none.
    virtual const std::string& ExtraText() const = 0;
    virtual uInt32 MajorVersion() const = 0;
    virtual uInt32 MinorVersion() const = 0;
    virtual uInt32 BuildNumber() const = 0;
    virtual OpSystemFeatureFlags Features() const = 0;
    // High-resolution clock reading taken when the object was built.
    virtual HiResClock CreationTime() const = 0;
};

// The process-wide OpSystemInfo, built once on first call.
TQ_API const OpSystemInfo& OSInfo();
TQ_API void ToDebugStream(DebugStream& s, const OpSystemInfo& info);
#endif
