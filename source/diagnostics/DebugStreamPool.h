// The debug-stream buffer pool, owned by the debug-stream service: what callers outside DebugStream may see.
#pragma once

#include "tqcore/diagnostics.h"

namespace tq::diagnostics {

// Checkouts that found all pool buffers busy, and how many of their call stacks were kept (at most 100),
// since the service last started; both 0 while it is not running.
int32 DebugStreamFailedCheckouts();
int32 DebugStreamRecordedFailureStacks();
// Copies the index-th recorded stack; false when there is none.
bool DebugStreamFailureStack(int32 index, StackChainFS<16>* out);

}  // namespace tq::diagnostics
