// Tests that need a tool or package which tools/install-deps.sh installs skip on a developer's
// machine without it; in CI, where a missing one means a broken set-up rather than a choice,
// they fail instead, so that a whole group of tests can never pass by silently skipping.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

// Ends the test for `reason`: a skip, or in CI a failure.
#define DRAPE_TOOL_MISSING(reason)                                                     \
    do {                                                                               \
        if (std::getenv("CI") != nullptr) {                                            \
            FAIL() << (reason) << " (tools/install-deps.sh installs what tests need)"; \
        }                                                                              \
        GTEST_SKIP() << (reason);                                                      \
    } while (false)

#define DRAPE_REQUIRE_INSTALLED(present, what)                           \
    do {                                                                 \
        if (!(present)) {                                                \
            DRAPE_TOOL_MISSING(std::string(what) + " is not installed"); \
        }                                                                \
    } while (false)
