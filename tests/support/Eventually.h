// Waits for a condition another thread brings about. The limit only ends a test that would otherwise hang: it
// is generous so that load, sanitizers or an emulator never reach it, and a passing test never waits for it.
#pragma once

#include <chrono>
#include <thread>

namespace tq::test {

template <class Pred>
bool Eventually(Pred pred, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace tq::test
