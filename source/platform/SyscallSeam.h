// The machinery of the per-OS system-call tables: typed entries that the OS calls go through (one relaxed
// pointer load more than a direct call), and the stand-in that makes an entry's calls fail on request.
// Only the platform layer's OS units include it, through their own Syscalls.h.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>
#include <utility>

#include "platform/Syscalls.h"

namespace tq::platform {

// Failure values that are not values: the entry returns its error number instead of setting the thread's
// error (the pthread calls), or the call has no failure to inject.
inline constexpr intptr_t kReturnsError = INTPTR_MIN;
inline constexpr intptr_t kCannotFail = INTPTR_MIN + 1;
// For entries that move bytes: which argument is the byte count; others have none.
inline constexpr int kNoCount = -1;

// What the stand-in does with one call of its entry.
struct FaultDecision {
    enum Kind : uInt8 { kPass, kFail, kShorten };
    Kind kind = kPass;
    int32 error = 0;
    uInt64 limit = 0;
};
// Counts the call against the calling thread's faults for the entry.
FaultDecision DecideFault(const void* entry);
// errno on POSIX, the thread's last error on Windows.
void SetNativeError(int32 error);

template <class F>
class SyscallEntry;

template <class R, class... A>
class SyscallEntry<R(A...)> {
  public:
    using Fn = R (*)(A...);

    constexpr explicit SyscallEntry(Fn fn) : current_(fn), original_(fn) {}
    SyscallEntry(const SyscallEntry&) = delete;
    SyscallEntry& operator=(const SyscallEntry&) = delete;

    R operator()(A... a) const { return current_.load(std::memory_order_relaxed)(a...); }

    Fn Current() const { return current_.load(std::memory_order_relaxed); }
    Fn Original() const { return original_; }
    void Replace(Fn fn) { current_.store(fn ? fn : original_, std::memory_order_relaxed); }

    // Stands in for Self while a fault is pending: the original call, unless the calling thread's fault is
    // due. The thread's error is set last, after the bookkeeping, which may itself touch it.
    template <SyscallEntry& Self, intptr_t Failure, int Count>
    static R WithFaults(A... a) {
        const FaultDecision d = DecideFault(&Self);
        if (d.kind == FaultDecision::kShorten)
            return CallShortened<Count>(Self.original_, d.limit, std::index_sequence_for<A...>{}, a...);
        if (d.kind == FaultDecision::kPass) return Self.original_(a...);
        if constexpr (Failure == kReturnsError) {
            return R(d.error);
        } else {
            SetNativeError(d.error);
            if constexpr (std::is_pointer_v<R>)
                return reinterpret_cast<R>(Failure);
            else
                return static_cast<R>(Failure);
        }
    }

  private:
    template <int Count, size_t I, class T>
    static T Clip(T value, [[maybe_unused]] uInt64 limit) {
        if constexpr (std::is_integral_v<T> && int(I) == Count) {
            if (uInt64(value) > limit) return T(limit);
        }
        return value;
    }

    template <int Count, size_t... I>
    static R CallShortened(Fn fn, [[maybe_unused]] uInt64 limit, std::index_sequence<I...>, A... a) {
        return fn(Clip<Count, I>(a, limit)...);
    }

    std::atomic<Fn> current_;
    const Fn original_;
};

// An entry seen without its type: how the name-based test controls reach it.
struct SyscallSlot {
    const char* name;
    const void* entry;
    bool canFail;
    bool movesBytes;
    SyscallPointer (*current)();
    SyscallPointer (*original)();
    void (*replace)(SyscallPointer);
    SyscallPointer (*withFaults)();
};

template <auto& E, intptr_t Failure, int Count>
constexpr SyscallSlot SlotOf(const char* name) {
    using Entry = std::remove_reference_t<decltype(E)>;
    return {name,
            &E,
            Failure != kCannotFail,
            Count != kNoCount,
            [] { return reinterpret_cast<SyscallPointer>(E.Current()); },
            [] { return reinterpret_cast<SyscallPointer>(E.Original()); },
            [](SyscallPointer fn) { E.Replace(reinterpret_cast<typename Entry::Fn>(fn)); },
            [] {
                if constexpr (Failure == kCannotFail)
                    return SyscallPointer(nullptr);
                else
                    return reinterpret_cast<SyscallPointer>(&Entry::template WithFaults<E, Failure, Count>);
            }};
}

// The OS folder's table, in the order it lists its entries.
std::span<const SyscallSlot> OsSyscallSlots();

}  // namespace tq::platform
