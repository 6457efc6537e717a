// The win32 backend's Desktop concern: monitors, the wallpaper, the desktop folder and shell
// links.
#pragma once

#include <windows.h>

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

// The attached monitors through one pair of enumeration calls, the wide ones (DISPLAY_DEVICEW,
// DEVMODEW) or the code page's, with the screen's monitor when they find none.
template <typename Device, typename Mode, typename EnumDevices, typename EnumSettings>
std::vector<Monitor> enumerateDisplays(EnumDevices enumDevices, EnumSettings enumSettings) {
    std::vector<DisplayDevice> devices;
    for (DWORD index = 0;; ++index) {
        Device device{};
        device.cb = sizeof device;
        if (!enumDevices(nullptr, index, &device, 0)) {
            break;
        }
        DisplayDevice found;
        found.stateFlags = device.StateFlags;
        Mode mode{};
        mode.dmSize = sizeof mode;
        if (enumSettings(device.DeviceName, ENUM_CURRENT_SETTINGS, &mode)) {
            found.hasMode = true;
            found.mode = {
                mode.dmPosition.x, mode.dmPosition.y, static_cast<int32_t>(mode.dmPelsWidth),
                static_cast<int32_t>(mode.dmPelsHeight), static_cast<int32_t>(mode.dmBitsPerPel)};
        }
        devices.push_back(found);
    }
    std::vector<Monitor> monitors = attachedMonitors(devices);
    return monitors.empty() ? screenMonitor() : monitors;
}

}  // namespace drape::platform::win32
