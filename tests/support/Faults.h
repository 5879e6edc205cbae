// Test support: faults made on purpose, for death tests of the fault handling.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "tqcore/types.h"

namespace tq::test {

inline volatile int gFaultSink;
inline volatile int gNoDepthLimit = -1;
// Hidden from the compiler and the sanitizers so the write really faults.
inline volatile uintptr_t gUnmappedAddress = 16;

// Each frame keeps a buffer alive across the call, so the recursion cannot become a loop.
[[gnu::noinline]] inline int RecurseForever(int depth) {
    if (depth == gNoDepthLimit) return 0;
    volatile char frame[1024];
    frame[depth % sizeof frame] = char(depth);
    gFaultSink = frame[0];
    return RecurseForever(depth + 1) + frame[depth % 7];
}

inline void WriteToUnmappedMemory() {
    *reinterpret_cast<volatile int*>(gUnmappedAddress) = 1;
}

// The exit status carries the whole code on Windows and its low byte on POSIX.
inline bool EndedWithCode(int status, uInt32 code) {
    return ::testing::ExitedWithCode(int(code))(status) ||
           ::testing::ExitedWithCode(int(code & 0xFF))(status);
}

}  // namespace tq::test
