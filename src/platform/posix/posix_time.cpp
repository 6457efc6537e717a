// [X] tickCount: CLOCK_BOOTTIME in milliseconds, wrapping at 2^32 like GetTickCount; unlike
//     CLOCK_MONOTONIC it goes on while the machine sleeps, as the resident loop's suspension
//     rule expects of a tick counter
// [X] sleepMs: nanosleep, resumed after signals; the time left is measured on the same clock
// [X] lastInputTick: from the X display (x11_idle.cpp)
#include <time.h>

#include <cerrno>

#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_time.h"

namespace drape::platform::posix {

uint64_t bootTimeNs() {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
}

uint64_t bootTimeMs() {
    return bootTimeNs() / 1000000u;
}

uint32_t PosixSystem::tickCount() {
    return static_cast<uint32_t>(bootTimeMs());
}

void sleepMilliseconds(uint32_t ms) {
    // An absolute end on the boot clock: a suspend in the middle ends the sleep on time, as
    // the tick counter sees it.
    const uint64_t end = bootTimeNs() + uint64_t{ms} * 1000000u;
    const timespec until{static_cast<time_t>(end / 1000000000u),
                         static_cast<long>(end % 1000000000u)};
    int result = 0;
    while ((result = clock_nanosleep(CLOCK_BOOTTIME, TIMER_ABSTIME, &until, nullptr)) == EINTR) {
    }
    if (result != 0) {
        // A kernel without the boot clock for sleeping: a plain sleep of the time left.
        const uint64_t now = bootTimeNs();
        const uint64_t ns = end > now ? end - now : 0;
        timespec left{static_cast<time_t>(ns / 1000000000u), static_cast<long>(ns % 1000000000u)};
        while (nanosleep(&left, &left) != 0 && errno == EINTR) {
        }
    }
}

void PosixSystem::sleepMs(uint32_t ms) {
    sleepMilliseconds(ms);
}

}  // namespace drape::platform::posix
