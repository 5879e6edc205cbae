// Settings shared by the memory units (guard modes, handle-check level, switches, read once from the
// environment) and the guard-byte helpers.
#pragma once

#include <atomic>
#include <thread>

#include "tqcore/memory.h"

namespace tq::memory {

enum GuardKind : int32 { kGuardHandles = 0, kGuardPtrs = 1, kGuardNewDelete = 2, kGuardKinds = 3 };
inline constexpr uInt64 kGuardSize = 8;

struct Settings {
    std::atomic<bool> configured{false};
    std::atomic<uInt32> mode[kGuardKinds] = {0, 0, 0};
    std::atomic<int32> checkLevel{2};
    std::atomic<bool> fastPath{true};
    std::atomic<bool> neverShrink{false};
    std::atomic<bool> stress{false};
    std::atomic<bool> memChecking{false};
};
extern Settings gSettings;

// Reads the environment on the first call only.
void ConfigureFromEnvironment();
inline void EnsureConfigured() {
    if (!gSettings.configured.load(std::memory_order_acquire)) ConfigureFromEnvironment();
}
inline uInt32 GuardMode(GuardKind kind) {
    return gSettings.mode[kind].load(std::memory_order_relaxed);
}
inline bool Has(GuardKind kind, uInt32 bits) {
    return (GuardMode(kind) & bits) == bits;
}
// Replaces a kind's mode and recomputes the fast-path flag.
void SetGuardMode(GuardKind kind, uInt32 mode);

// "off", "alloc" or "check"; anything else keeps current.
uInt32 ParseGuardMode(const char* text, uInt32 current);
// "all"/"2", "resize"/"1", "off"/"none"/"0"/""; anything else keeps current.
int32 ParseHandleCheck(const char* text, int32 current);

enum class GuardState { kIntact, kFrontDamaged, kRearDamaged, kOtherVersion };
// Guards sit in the 8 bytes before data and the 8 bytes at data + rearOffset.
void WriteGuards(uChar* data, uInt64 rearOffset);
GuardState InspectGuards(const uChar* data, uInt64 rearOffset);
// Hands a failed check to the installed guard-failure procedure, or reports it.
void ReportGuardFailure(void* data, GuardState state);

// Reader/writer lock on one atomic word: -1 while written, else the number of readers. It stands in for the
// library's reader/writer mutex until that exists, and is cheap enough for every master-pointer exchange.
class RwSpinLock {
  public:
    void lock() {
        for (int32 idle = 0;; Backoff(idle)) {
            int32 expected = 0;
            if (state_.compare_exchange_weak(expected, -1, std::memory_order_acquire,
                                             std::memory_order_relaxed))
                return;
        }
    }
    void unlock() { state_.store(0, std::memory_order_release); }
    void lock_shared() {
        for (int32 idle = 0;; Backoff(idle)) {
            int32 s = state_.load(std::memory_order_relaxed);
            if (s >= 0 &&
                state_.compare_exchange_weak(s, s + 1, std::memory_order_acquire, std::memory_order_relaxed))
                return;
        }
    }
    void unlock_shared() { state_.fetch_sub(1, std::memory_order_release); }

  private:
    static void Backoff(int32& idle) {
        if (++idle > 16) std::this_thread::yield();
    }
    std::atomic<int32> state_{0};
};

// "0x" and lowercase hex digits of a pointer, for reports.
struct HexText {
    char text[2 + 2 * sizeof(void*) + 1];
};
HexText ToHex(const void* p);

}  // namespace tq::memory
