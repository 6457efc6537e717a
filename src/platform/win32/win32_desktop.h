// The win32 backend's Desktop concern: monitors, the wallpaper, the desktop folder and shell
// links.
#pragma once

#include <vector>

#include "platform/platform.h"

namespace drape::platform::win32 {

class Win32Desktop final : public Desktop {
  public:
    std::vector<Monitor> enumerateMonitors() override;
    bool setWallpaper(const std::string& path, uint32_t flags) override;
    std::string wallpaper() override;
    std::string desktopFolder() override;
    bool createShortcut(const ShortcutLink& shortcut) override;
};

// One display device as enumeration found it: its state flags and, when its current mode
// could be read, that mode.
struct DisplayDevice {
    uint32_t stateFlags = 0;
    bool hasMode = false;
    Monitor mode;
};

// The devices attached to the desktop, the primary first and the others in device order.
std::vector<Monitor> attachedMonitors(const std::vector<DisplayDevice>& devices);

// The one monitor that the screen's metrics describe, for when enumeration finds none; empty
// without a screen.
std::vector<Monitor> screenMonitor();

}  // namespace drape::platform::win32
