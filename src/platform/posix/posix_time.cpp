// [X] tickCount: CLOCK_MONOTONIC in milliseconds, wrapping at 2^32 like GetTickCount
// [X] sleepMs: nanosleep, resumed after signals
// [X] lastInputTick: from the X display (x11_idle.cpp)
#include <time.h>

#include <cerrno>

#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_time.h"

namespace drape::platform::posix {

uint32_t PosixSystem::tickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms =
        static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

void sleepMilliseconds(uint32_t ms) {
    timespec left{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

void PosixSystem::sleepMs(uint32_t ms) {
    sleepMilliseconds(ms);
}

}  // namespace drape::platform::posix
