// Test support: skip a test on Wine only, when its subject is a Windows behaviour Wine does not reproduce.
#pragma once

#include <gtest/gtest.h>

#include "platform/Wine.h"

namespace tq::test {

inline bool RunningUnderWine() {
    return ::tq::platform::RunningUnderWine();
}

}  // namespace tq::test

// Use at the top of a test body; the reason names what Wine does differently.
#define TQ_SKIP_UNDER_WINE(reason)                                                                  \
    do {                                                                                            \
        if (::tq::test::RunningUnderWine()) GTEST_SKIP() << "not reproduced by Wine: " << (reason); \
    } while (0)
