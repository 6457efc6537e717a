// [X] tickCount: CLOCK_MONOTONIC in milliseconds, wrapping at 2^32 like GetTickCount
// [X] sleepMs: nanosleep, resumed after signals
// [X] lastInputTick: the X screen saver extension's idle time; without a display (or the
//     extension) the user counts as idle for as long as the core can tell
#include <time.h>

#include <algorithm>
#include <cerrno>

#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_x11.h"

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
    // The core takes its own "now" just before calling here and reads now - lastInput as a
    // signed 32-bit difference, a negative one meaning "idle". So the tick is taken before the
    // server is asked, and one more millisecond goes off for the server's truncated count:
    // a user typing right now never reads as idle because the clock moved on in between.
    constexpr uint32_t kLongestIdle = 0x7FFFFFFF;
    const uint32_t now = tickCount();
    if (XDisplay* display = x11_.get()) {
        if (const std::optional<uint32_t> idle = idleMilliseconds(display)) {
            return now - (std::min(*idle, kLongestIdle - 1) + 1);
        }
    }
    // The largest difference the core can see: idle longer than any `nouser`.
    return now - kLongestIdle;
}

}  // namespace drape::platform::posix
