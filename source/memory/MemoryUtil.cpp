// Block operations, guard bytes and the settings read from the environment.
#include "memory/MemoryUtil.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "diagnostics/Report.h"

#define TQ_UNIT "source\\MemoryUtil"

namespace tq::memory {

Settings gSettings;

namespace {

constexpr char kGuardValue[kGuardSize] = {'P', 'E', 'L', '1', '4', 'M', 'E', 'M'};
std::atomic<MemoryCheckCallback> gCheckCallback{nullptr};
std::atomic<GuardByteCheckFailedProc> gGuardFailedProc{nullptr};

void RecomputeFastPath() {
    const bool fast = !Has(kGuardHandles, kGuardReserve) && !Has(kGuardPtrs, kGuardReserve) &&
                      !Has(kGuardNewDelete, kGuardVerify);
    gSettings.fastPath.store(fast, std::memory_order_relaxed);
}

void NotifyCheckCallback() {
    if (MemoryCheckCallback cb = gCheckCallback.load(std::memory_order_relaxed)) cb(0);
}

const char* Env(const char* name) {
    return std::getenv(name);
}

bool SameAs(const char* a, const char* b) {
    return std::strcmp(a, b) == 0;
}

// Both guards carry the frame of the value with another two version characters.
bool OtherVersion(const uChar* front, const uChar* rear) {
    auto framed = [](const uChar* g) {
        return std::memcmp(g, kGuardValue, 3) == 0 && std::memcmp(g + 5, kGuardValue + 5, 3) == 0;
    };
    return framed(front) && framed(rear) && std::memcmp(front, rear, kGuardSize) == 0;
}

}  // namespace

uInt32 ParseGuardMode(const char* text, uInt32 current) {
    if (!text) return current;
    if (SameAs(text, "off")) return kGuardModeOff;
    if (SameAs(text, "alloc")) return kGuardModeAlloc;
    if (SameAs(text, "check")) return kGuardModeCheck;
    return current;
}

int32 ParseHandleCheck(const char* text, int32 current) {
    if (!text) return current;
    if (SameAs(text, "all") || SameAs(text, "2")) return 2;
    if (SameAs(text, "resize") || SameAs(text, "1")) return 1;
    if (!*text || SameAs(text, "off") || SameAs(text, "none") || SameAs(text, "0")) return 0;
    return current;
}

void ConfigureFromEnvironment() {
    static std::once_flag once;
    std::call_once(once, [] {
        static constexpr const char* kNames[kGuardKinds] = {"PKGuardBytes_Handle", "PKGuardBytes_Ptr",
                                                            "PKGuardBytes_NewDelete"};
        const char* common = Env("PKGuardBytes");
        for (int32 k = 0; k < kGuardKinds; ++k) {
            const char* own = Env(kNames[k]);
            gSettings.mode[k].store(ParseGuardMode(own ? own : common, GuardMode(GuardKind(k))));
        }
        gSettings.checkLevel.store(ParseHandleCheck(Env("PKHandleCheck"), gSettings.checkLevel.load()));
        RecomputeFastPath();
        gSettings.configured.store(true, std::memory_order_release);
    });
}

void SetGuardMode(GuardKind kind, uInt32 mode) {
    gSettings.mode[kind].store(mode & kGuardModeCheck, std::memory_order_relaxed);
    RecomputeFastPath();
}

void WriteGuards(uChar* data, uInt64 rearOffset) {
    std::memcpy(data - kGuardSize, kGuardValue, kGuardSize);
    std::memcpy(data + rearOffset, kGuardValue, kGuardSize);
}

GuardState InspectGuards(const uChar* data, uInt64 rearOffset) {
    const uChar* front = data - kGuardSize;
    const uChar* rear = data + rearOffset;
    const bool frontOk = std::memcmp(front, kGuardValue, kGuardSize) == 0;
    const bool rearOk = std::memcmp(rear, kGuardValue, kGuardSize) == 0;
    if (frontOk && rearOk) return GuardState::kIntact;
    if (!frontOk && !rearOk && OtherVersion(front, rear)) return GuardState::kOtherVersion;
    return frontOk ? GuardState::kRearDamaged : GuardState::kFrontDamaged;
}

void ReportGuardFailure(void* data, GuardState state) {
    if (state == GuardState::kIntact) return;
    GuardByteCheckFailedProc proc = gGuardFailedProc.load(std::memory_order_relaxed);
    if (!proc) {
        TQ_REPORT(kDbgBroken, "No guard byte check failed reporting proc installed!");
        return;
    }
    const auto* front = static_cast<const char*>(data) - kGuardSize;
    const char version[3] = {front[3], front[4], 0};
    switch (state) {
        case GuardState::kFrontDamaged:
            proc(data, 0, nullptr);
            break;
        case GuardState::kRearDamaged:
            proc(data, 1, nullptr);
            break;
        default:
            proc(data, 2, version);
            break;
    }
}

HexText ToHex(const void* p) {
    static constexpr char kDigits[] = "0123456789abcdef";
    HexText h{};
    auto v = reinterpret_cast<uintptr_t>(p);
    char* out = h.text;
    *out++ = '0';
    *out++ = 'x';
    bool started = false;
    for (int shift = int(sizeof(v) * 8) - 4; shift >= 0; shift -= 4) {
        const auto digit = (v >> shift) & 0xf;
        if (digit || started || shift == 0) {
            *out++ = kDigits[digit];
            started = true;
        }
    }
    *out = 0;
    return h;
}

}  // namespace tq::memory

using namespace tq::memory;

MemoryCheckCallback SetMemoryCheckCallback(MemoryCheckCallback cb) {
    return gCheckCallback.exchange(cb);
}

GuardByteCheckFailedProc SetGuardByteCheckFailedProc(GuardByteCheckFailedProc proc) {
    return gGuardFailedProc.exchange(proc);
}

void MoveBlock(const void* src, void* dst, uInt64 n) {
    if (n && src != dst) std::memmove(dst, src, size_t(n));
    NotifyCheckCallback();
}

void ClearMem(void* p, uInt64 n) {
    if (n) std::memset(p, 0, size_t(n));
    NotifyCheckCallback();
}

int32 BlockCmp(const void* a, const void* b, uInt64 n) {
    if (!n) return 0;
    const int c = std::memcmp(a, b, size_t(n));
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

void SwapBlock(void* a, void* b, uInt64 n) {
    auto* x = static_cast<uChar*>(a);
    auto* y = static_cast<uChar*>(b);
    uChar chunk[256];
    while (n) {
        const size_t step = n < sizeof(chunk) ? size_t(n) : sizeof(chunk);
        std::memcpy(chunk, x, step);
        std::memcpy(x, y, step);
        std::memcpy(y, chunk, step);
        x += step;
        y += step;
        n -= step;
    }
}

namespace {
template <size_t N>
void Reverse(void* p) {
    auto* b = static_cast<uChar*>(p);
    for (size_t i = 0; i < N / 2; ++i) {
        const uChar t = b[i];
        b[i] = b[N - 1 - i];
        b[N - 1 - i] = t;
    }
}
}  // namespace

void RevBL(void* p) {
    Reverse<4>(p);
}
void RevBQ(void* p) {
    Reverse<8>(p);
}
void SwapBW(void* p) {
    Reverse<2>(p);
}

void SwapWL(void* p) {
    uInt16 halves[2];
    std::memcpy(halves, p, 4);
    const uInt16 swapped[2] = {halves[1], halves[0]};
    std::memcpy(p, swapped, 4);
}
