// The shell-link (".lnk") file format: the target a link file names, read from its bytes alone. No OS call,
// the same on every OS; any thread.
#pragma once

#include <cstddef>
#include <string>

#include "tqcore/types.h"

namespace tq::platform {

enum class ShellLinkTargetKind : uInt8 { kNone, kLocal, kNetwork, kRelative };

struct ShellLinkTarget {
    ShellLinkTargetKind kind = ShellLinkTargetKind::kNone;
    // UTF-8 in the form the link's writer used: "C:\dir\x" (local), "\\server\share\x" (network), or a path
    // relative to the link's own folder such as "..\dir\x".
    std::string text;
};

// The link's target: its local base path (with the common suffix), else its network share with the suffix,
// else its relative path. False, with *target empty, for bytes that are not a whole link or name no target;
// every length and offset is checked against size first.
bool ParseShellLink(const uInt8* data, size_t size, ShellLinkTarget* target);

}  // namespace tq::platform
