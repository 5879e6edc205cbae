// Test support: the process's open descriptors, for checks that an operation leaves none behind.
#pragma once

#include <cstdint>
#include <filesystem>
#include <system_error>

namespace tq::test {

// The count where the OS lists them, else -1: Windows has no such list, and what Wine shows there is the
// emulator's own, which changes by itself.
inline int64_t OpenDescriptors() {
#ifdef _WIN32
    return -1;
#else
    std::error_code ec;
    int64_t n = 0;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd", ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
        ++n;
    return ec ? -1 : n;
#endif
}

}  // namespace tq::test
