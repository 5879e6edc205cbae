// tqcore/tqcore.h - the whole public interface.
#pragma once

#include "tqcore/bindata.h"
#include "tqcore/clocks.h"
#include "tqcore/config.h"
#include "tqcore/cookies.h"
#include "tqcore/core.h"
#include "tqcore/diagnostics.h"
#include "tqcore/files.h"
#include "tqcore/memory.h"
#include "tqcore/numerics.h"
#include "tqcore/paths.h"
#include "tqcore/resources.h"
#include "tqcore/sortsearch.h"
#include "tqcore/strings.h"
#include "tqcore/sysinfo.h"
#include "tqcore/threads.h"
#include "tqcore/types.h"
