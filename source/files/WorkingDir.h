// The process's current directory as a Path, and moving it out of a folder about to be removed or moved.
#pragma once

#include "tqcore/files.h"

namespace tq::files {

// When the current directory is folder or lies inside it, makes folder's parent the current directory.
TqErr LeaveFolder(Path folder);

}  // namespace tq::files
