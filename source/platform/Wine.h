// Whether the process runs under Wine, which reproduces most but not all of Windows' behaviour.
#pragma once

namespace tq::platform {

// True only for a Windows build running under Wine; never for a native build.
bool RunningUnderWine();

}  // namespace tq::platform
