// [X] tickCount: CLOCK_MONOTONIC in milliseconds, wrapping at 2^32 like GetTickCount
// [X] sleepMs: nanosleep, resumed after signals
// [ ] lastInputTick: no idle source yet (the X screensaver extension comes later); it returns
//     0, so the user counts as idle since the counter began
#include <time.h>

#include <cerrno>

#include "platform/posix/posix_platform.h"

namespace drape::platform::posix {

uint32_t PosixPlatform::tickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms =
        static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

void PosixPlatform::sleepMs(uint32_t ms) {
    timespec left{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

uint32_t PosixPlatform::lastInputTick() {
    return 0;
}

}  // namespace drape::platform::posix
