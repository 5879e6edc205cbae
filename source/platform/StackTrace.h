// Stack capture and address symbolisation of the platform layer.
// Capture runs on any thread without locks; the symbol state is created once, on first use, under a lock.
#pragma once

#include <cstddef>

#include "tqcore/types.h"

namespace tq::platform {

// Stores at most capacity return addresses of the calling thread's stack, leaving out skipFrames frames above
// the caller of this function; returns how many were stored. Never inlined, so the count of frames is exact.
int32 CaptureStack(void** frames, int32 capacity, int32 skipFrames);

// The same from a saved context record (ucontext_t on POSIX, CONTEXT on Windows) whose stack belongs to the
// calling thread; frame is the frame address or null to take it from the context. Returns 0 on failure.
int32 CaptureStackFrom(const void* context, const void* frame, void** frames, int32 capacity,
                       int32 skipFrames);

// Writes "<module> <symbol>+0x<offset>" for a code address, C++ names demangled; a part that cannot be found
// is "<unknown>". text is always NUL-terminated and cut to size.
void DescribeAddress(const void* address, char* text, size_t size);

// The name of the symbol holding a code address (C++ names demangled) and the address's offset inside it;
// an empty name and offset 0 when it cannot be found. name is always NUL-terminated and cut to size.
void DescribeSymbol(const void* address, char* name, size_t size, uInt64* offset);

}  // namespace tq::platform
