// [X] RandR 1.5 monitors of the default screen, primary first, X errors trapped
// [X] Without RandR 1.5 monitors: the screen as one monitor
// [X] A connection that is lost on the way gives no monitors (the caller falls back)
#include "platform/posix/x11_monitors.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include "platform/posix/x11_trap.h"

namespace drape::platform::posix {

std::vector<Monitor> monitorsFromX(XDisplay* display) {
    std::vector<Monitor> monitors;
    const int screen = DefaultScreen(display);
    const int depth = DefaultDepth(display, screen);
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    int opcode = 0;
    XErrorTrap trap;
    // Asked of Xlib first: libXrandr keeps a block it never frees for every connection to a
    // server without the extension.
    if (XQueryExtension(display, "RANDR", &opcode, &eventBase, &errorBase) &&
        XRRQueryExtension(display, &eventBase, &errorBase) &&
        XRRQueryVersion(display, &major, &minor) && (major > 1 || (major == 1 && minor >= 5))) {
        int count = 0;
        XRRMonitorInfo* info = XRRGetMonitors(display, RootWindow(display, screen), True, &count);
        if (info != nullptr && !trap.failed(display)) {
            for (const bool primaryPass : {true, false}) {
                for (int i = 0; i < count; ++i) {
                    const XRRMonitorInfo& m = info[i];
                    if ((m.primary != 0) == primaryPass && m.width > 0 && m.height > 0) {
                        monitors.push_back({m.x, m.y, m.width, m.height, depth});
                    }
                }
            }
        }
        if (info != nullptr) {
            XRRFreeMonitors(info);
        }
    }
    if (monitors.empty() && !trap.failed(display) && !displayLost(display)) {
        monitors.push_back(
            {0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen), depth});
    }
    return monitors;
}

}  // namespace drape::platform::posix
