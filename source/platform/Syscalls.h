// Test-only control of the operating-system calls the platform layer makes. Each OS folder keeps one table of
// them, every call goes through it, and a test may point an entry elsewhere or make its calls fail. Entries
// are named as the OS names the function ("write" on POSIX, "WriteFile" on Windows).
#pragma once

#include "tqcore/types.h"

namespace tq::platform {

// Any entry's function, whatever its type; cast back to the entry's own type before calling.
using SyscallPointer = void (*)();

// The name of the index-th entry, or null past the last: walks the table.
const char* SyscallName(uInt32 index);
// What an entry calls now, and what it was built with; null for an unknown name.
SyscallPointer CurrentSyscall(const char* name);
SyscallPointer DefaultSyscall(const char* name);
// Points an entry at fn, which must have the entry's own type; null points it back at its default.
// False for an unknown name.
bool SetSyscallForTest(const char* name, SyscallPointer fn);
// Every entry back at its default, and the calling thread's faults dropped.
void ResetSyscallsForTest();

// A failure for the calling thread's calls of one entry. Calls from other threads pass untouched and are not
// counted, so a library thread running meanwhile cannot move the failure.
struct SyscallFault {
    // The first call that fails, counted from the injection: 1 is the next call.
    uInt32 nth = 1;
    // How many calls fail from there on; 0 for every one.
    uInt32 times = 1;
    // The OS's own error number: an errno value on POSIX, a Win32 error on Windows.
    int32 error = 0;
    // At least 0: instead of failing, the call succeeds having moved at most this many bytes (a short read or
    // write). Only for entries that move bytes.
    int64 transferLimit = -1;
};
// False for an unknown name, for a short transfer on an entry that moves no bytes, for an entry that cannot
// fail, and when the thread has too many faults pending.
bool InjectSyscallFault(const char* name, const SyscallFault& fault);
// The calls failed (or shortened) by injection on the calling thread since its faults were last reset.
uInt32 InjectedSyscallFaults();

}  // namespace tq::platform
