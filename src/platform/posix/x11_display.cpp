// [X] displayDpiY from the X display's physical height, read once; DRAPE_DPI overrides at
//     every call; 96 without a display
// [X] hasGraphicalDisplay: whether the X display answers, asked once
// The interface first: Xlib defines macros (None, Status) that would rename its enumerators.
#include "platform/posix/posix_platform.h"

#include <X11/Xlib.h>

#include <cmath>
#include <cstdlib>

namespace drape::platform::posix {

namespace {

constexpr int kDefaultDpi = 96;

// The vertical dots per inch of `display`'s default screen; 96 without a display.
int queryDisplayDpi(XDisplay* display) {
    if (display == nullptr) {
        return kDefaultDpi;
    }
    const int screen = DefaultScreen(display);
    const int pixels = DisplayHeight(display, screen);
    const int millimetres = DisplayHeightMM(display, screen);
    if (pixels <= 0 || millimetres <= 0) {
        return kDefaultDpi;
    }
    const long dpi = std::lround(pixels * 25.4 / millimetres);
    // Servers that make up a physical size sometimes make up absurd ones.
    return dpi >= 24 && dpi <= 1200 ? static_cast<int>(dpi) : kDefaultDpi;
}

}  // namespace

int PosixDrawing::displayDpiY() {
    // Read at every call so that tests and users can pin the size of text.
    if (const char* forced = std::getenv("DRAPE_DPI"); forced != nullptr && *forced != '\0') {
        char* end = nullptr;
        const long dpi = std::strtol(forced, &end, 10);
        if (*end == '\0' && dpi > 0 && dpi <= 10000) {
            return static_cast<int>(dpi);
        }
    }
    // The display's own figure is read once, as Windows fixes it for a process.
    if (!displayDpi_) {
        displayDpi_ = queryDisplayDpi(shared_.x11().get());
    }
    return *displayDpi_;
}

bool PosixWindowing::hasGraphicalDisplay() {
    if (!displayChecked_) {
        displayChecked_ = true;
        graphicalDisplay_ = shared_.x11().get() != nullptr;
    }
    return graphicalDisplay_;
}

}  // namespace drape::platform::posix
