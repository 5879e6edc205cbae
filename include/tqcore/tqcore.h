// tqcore/tqcore.h - the whole public interface.
#pragma once

#include "tqcore/types.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"
#include "tqcore/strings.h"
#include "tqcore/paths.h"
#include "tqcore/files.h"
#include "tqcore/bindata.h"
#include "tqcore/resources.h"
#include "tqcore/threads.h"
#include "tqcore/config.h"
#include "tqcore/cookies.h"
#include "tqcore/clocks.h"
#include "tqcore/numerics.h"
#include "tqcore/diagnostics.h"
#include "tqcore/sysinfo.h"
#include "tqcore/sortsearch.h"
