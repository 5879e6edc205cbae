// Shared by the occurrence tests: the services the manager needs, and small waiting helpers.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "support/Eventually.h"
#include "threads/Services.h"
#include "tqcore/clocks.h"
#include "tqcore/core.h"
#include "tqcore/threads.h"

namespace occtest {

using tq::test::Eventually;

// Starts what the occurrence manager depends on, then the manager; stops them in reverse.
class OccurrenceFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(tq::threads::ThThreadService()->Init(), kErrNone);
        AssimilateStartUpThread();
        ASSERT_EQ(HardWaitBehaviorService()->Init(), kErrNone);
        ASSERT_EQ(OccurrenceManagerService()->Init(), kErrNone);
    }
    void TearDown() override {
        OccurrenceManagerService()->Uninit();
        HardWaitBehaviorService()->Uninit();
        tq::threads::ThThreadService()->Uninit();
    }
};

struct Calls {
    std::atomic<int> count{0};
    std::atomic<std::thread::id> thread{};
};

inline void CountCall(void* arg) {
    auto* c = static_cast<Calls*>(arg);
    c->thread = std::this_thread::get_id();
    c->count.fetch_add(1);
}

}  // namespace occtest
