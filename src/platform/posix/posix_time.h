// The clock helpers that several posix backend files share.
#pragma once

#include <cstdint>

namespace drape::platform::posix {

// The boot clock (CLOCK_BOOTTIME), which counts the time the machine slept; the same in every
// process, so instances may compare their readings.
uint64_t bootTimeNs();
uint64_t bootTimeMs();

// Sleeps `ms` milliseconds of the boot clock, resumed after signals.
void sleepMilliseconds(uint32_t ms);

}  // namespace drape::platform::posix
