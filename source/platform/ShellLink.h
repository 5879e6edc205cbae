// Shell links (".lnk" files): the target a link names. Windows asks the shell's link object, which must run
// in a single-threaded COM apartment; POSIX reads the link's bytes (platform/ShellLinkFormat.h). Any thread;
// the calling thread's COM state is left as it was.
#pragma once

#include <string>
#include <vector>

#include "tqcore/types.h"

namespace tq::platform {

// What happened on the way, for the caller to report; code is the HRESULT or the OS error named.
enum class ShellLinkEvent : uInt8 {
    // The calling thread had not initialised COM: it was done for this call alone.
    kThreadWithoutCom,
    // A thread in a multithreaded apartment needs a thread of its own, which could not be started (OS error).
    kApartmentThreadNotStarted,
    // That thread's exit code could not be read (OS error).
    kApartmentThreadAbnormalEnd,
    // COM could not be initialised on the calling thread (HRESULT).
    kComInitFailed,
    // The shell's link object could not be made (HRESULT).
    kLinkObjectMissing,
    // COM could not be initialised on the thread of its own (HRESULT).
    kApartmentComInitFailed,
};

struct ShellLinkNote {
    ShellLinkEvent event;
    uInt32 code;
};

struct ShellLinkResolution {
    // UTF-8 in the Windows form the link holds: "C:\dir\x", "\\server\share\x", or relative to the link's own
    // folder ("..\dir\x"; POSIX only, the shell makes every target absolute).
    std::string target;
    std::vector<ShellLinkNote> notes;
};

// True with out->target set when the file at utf8Path is a link naming a target; out->notes is filled either
// way.
bool ResolveShellLink(const char* utf8Path, ShellLinkResolution* out);

}  // namespace tq::platform
