// The clock helpers that several posix backend files share.
#pragma once

#include <cstdint>

namespace drape::platform::posix {

// Sleeps `ms` milliseconds, resumed after signals.
void sleepMilliseconds(uint32_t ms);

}  // namespace drape::platform::posix
