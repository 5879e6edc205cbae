// Checks of the exceptions the library throws.
#pragma once

#include <gtest/gtest.h>

#include "tqcore/core.h"

// Runs statement, which must throw PKExcept with the code and detail text given.
#define EXPECT_PKEXCEPT(statement, code, text)                \
    do {                                                      \
        try {                                                 \
            statement;                                        \
            ADD_FAILURE() << "no exception from " #statement; \
        } catch (const PKExcept& e) {                         \
            EXPECT_EQ(e.ErrorCode(), (code)) << #statement;   \
            EXPECT_STREQ(e.Detail(), (text)) << #statement;   \
        }                                                     \
    } while (0)
