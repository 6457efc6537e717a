// [X] lastInputTick: the MIT-SCREEN-SAVER extension's idle time on the backend's kept
//     connection; without a display (or the extension) the user counts as idle for as long as
//     the core can tell
// The interface first: Xlib defines macros (None, Status) that would rename its enumerators.
#include "platform/posix/posix_platform.h"

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

#include <algorithm>
#include <limits>
#include <optional>

#include "platform/posix/x11_trap.h"

namespace drape::platform::posix {

namespace {

// Milliseconds since the last keyboard or pointer input on `display`, as the screen saver
// extension counts them; nullopt when the server lacks the extension.
std::optional<uint32_t> idleMilliseconds(XDisplay* display) {
    int eventBase = 0;
    int errorBase = 0;
    if (!XScreenSaverQueryExtension(display, &eventBase, &errorBase)) {
        return std::nullopt;
    }
    XScreenSaverInfo* info = XScreenSaverAllocInfo();
    if (info == nullptr) {
        return std::nullopt;
    }
    XErrorTrap trap;
    const Status answered = XScreenSaverQueryInfo(display, DefaultRootWindow(display), info);
    const unsigned long idle = info->idle;
    XFree(info);
    if (answered == 0 || trap.failed(display)) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(
        std::min<unsigned long>(idle, std::numeric_limits<uint32_t>::max()));
}

}  // namespace

uint32_t PosixSystem::lastInputTick() {
    // The core takes its own "now" just before calling here and reads now - lastInput as a
    // signed 32-bit difference, a negative one meaning "idle". So the tick is taken before the
    // server is asked, and one more millisecond goes off for the server's truncated count:
    // a user typing right now never reads as idle because the clock moved on in between.
    constexpr uint32_t kLongestIdle = 0x7FFFFFFF;
    const uint32_t now = tickCount();
    if (XDisplay* display = shared_.x11().get()) {
        if (const std::optional<uint32_t> idle = idleMilliseconds(display)) {
            return now - (std::min(*idle, kLongestIdle - 1) + 1);
        }
    }
    // The largest difference the core can see: idle longer than any `nouser`.
    return now - kLongestIdle;
}

}  // namespace drape::platform::posix
