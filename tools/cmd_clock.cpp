#include <cinttypes>
#include <cstdio>

#include "Command.h"
#include "tqcore/clocks.h"

namespace {

int Run(int argc, char** argv);

const tool::Command kClock = {
    "clock",
    "show the millisecond, high-resolution and absolute clocks",
    "usage: tqcore clock\n"
    "\n"
    "Prints the three clocks of the library as they read now:\n"
    "  the millisecond tick from both of its sources (wraps about every 49.7 days),\n"
    "  the high-resolution tick since the library was loaded, as a record and as a HiResClock,\n"
    "  the absolute time (seconds since 1904-01-01 UTC as 64.64 fixed point) and its UTC text.\n",
    Run,
};
const tool::CommandRegistrar kRegistrar(kClock);

void PrintMillisecondTicks() {
    const uInt32 tick = MilliSecs();
    MillisecSetUseMultimediaTimer(1);
    const uInt32 multimedia = MilliSecs();
    MillisecSetUseMultimediaTimer(0);
    std::printf("millisecond tick      %10" PRIu32 " ms  (%.2f days)\n", tick, tick / 86400000.0);
    std::printf("multimedia tick       %10" PRIu32 " ms\n", multimedia);
}

void PrintHighResolution() {
    _HRTime t;
    HRWallClockTime(&t);
    const _HRTime oneTick = {0, 1};
    std::printf("high-resolution tick  0x%08" PRIX32 "%08" PRIX32 "  (%.9f s since load, %.0f ticks/s)\n",
                t.hi, t.lo, HRTimeToSeconds(&t), 1.0 / HRTimeToSeconds(&oneTick));
    const HiResClock clock(HiResClock::kInitNow);
    std::printf("HiResClock            %" PRId64 " ticks  (%.9f s)\n", clock.Ticks(), clock.ToSeconds());
}

void PrintAbsolute() {
    const ATime128 now = GetCurrentATime128();
    char text[ATime128::kTextSize];
    now.ToText(text, sizeof text);
    std::printf("absolute time         %s\n", text);
    std::printf("                      %" PRId64 " s + 0x%016" PRIX64 " / 2^64 since 1904-01-01\n",
                now.GetInt64Seconds(), now.GetUInt64Fraction());
}

int Run(int argc, char** argv) {
    if (argc > 1) return tool::UsageError(kClock, "takes no arguments");
    PrintMillisecondTicks();
    PrintHighResolution();
    PrintAbsolute();
    return 0;
}

}  // namespace
