#pragma once

#include "tqcore/types.h"

// A file type code of the extension lists (0: none).
typedef int32 _FMFileType;
