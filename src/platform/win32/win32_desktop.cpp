// [X] enumerateMonitors: EnumDisplayDevicesW + EnumDisplaySettingsW (current mode) over the
//     devices attached to the desktop, the primary first; one monitor from the screen's
//     metrics and bits per pixel when enumeration finds none
// [X] setWallpaper: SPI_SETDESKWALLPAPER with the caller's flags; a tiled wallpaper also gets
//     WallpaperStyle "0", without which Windows 7 and later place it by the Fill/Fit/Span style
// [X] wallpaper: SPI_GETDESKWALLPAPER
// [X] desktopFolder: CSIDL_DESKTOPDIRECTORY through its item list, ending in '\'
// [X] createShortcut: a .lnk written by the shell's link object (IShellLinkW + IPersistFile);
//     COM started for the call and ended after it (a thread in either apartment model works)
// [ ] An attached device whose current mode cannot be read is left out
// [ ] Per-monitor wallpapers (IDesktopWallpaper): not used, the program lays one tiled bitmap
//     out over all monitors itself
#include <windows.h>
// After windows.h, which they need.
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/win32/win32_com.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_text.h"

namespace drape::platform::win32 {

namespace {

constexpr const wchar_t* kDesktopKey = L"Control Panel\\Desktop";

// Holds one reference to a COM interface and releases it.
template <typename Interface>
class ComPointer {
  public:
    ComPointer() = default;
    ~ComPointer() {
        if (pointer_ != nullptr) {
            pointer_->Release();
        }
    }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;

    Interface* operator->() const { return pointer_; }
    Interface* get() const { return pointer_; }
    // Where a call that hands out a reference puts it.
    void** out() {
        reset();
        return reinterpret_cast<void**>(&pointer_);
    }

  private:
    void reset() {
        if (pointer_ != nullptr) {
            pointer_->Release();
            pointer_ = nullptr;
        }
    }
    Interface* pointer_ = nullptr;
};

// A string value under the desktop key, "" when it is missing or not a string.
std::wstring desktopString(const wchar_t* name) {
    wchar_t buffer[64] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, name, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    return buffer;
}

bool setDesktopString(const wchar_t* name, const std::wstring& text) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    const LONG status =
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

}  // namespace

std::vector<Monitor> attachedMonitors(const std::vector<DisplayDevice>& devices) {
    std::vector<Monitor> monitors;
    for (const DisplayDevice& device : devices) {
        if ((device.stateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP) == 0 || !device.hasMode) {
            continue;
        }
        if ((device.stateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) != 0) {
            monitors.insert(monitors.begin(), device.mode);
        } else {
            monitors.push_back(device.mode);
        }
    }
    return monitors;
}

std::vector<Monitor> screenMonitor() {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    const HDC screen = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
    if (screen == nullptr || width <= 0 || height <= 0) {
        if (screen != nullptr) {
            DeleteDC(screen);
        }
        return {};
    }
    const int depth = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    DeleteDC(screen);
    return {Monitor{0, 0, width, height, depth}};
}

std::vector<Monitor> Win32Desktop::enumerateMonitors() {
    return enumerateDisplays<DISPLAY_DEVICEW, DEVMODEW>(EnumDisplayDevicesW, EnumDisplaySettingsW);
}

bool Win32Desktop::setWallpaper(const std::string& path, uint32_t flags) {
    // The program lays its bitmap out for tiling from the primary monitor's corner. Since
    // Windows 7 the style decides first: with Fill, Fit or Span (the default of Windows 10 and
    // 11) TileWallPaper is ignored and each monitor's picture lands in the wrong place. Style
    // "0" with tiling on means tiled everywhere; a wallpaper set with tiling off keeps the
    // user's style.
    if (desktopString(L"TileWallPaper") == L"1") {
        setDesktopString(L"WallpaperStyle", L"0");
    }
    std::wstring file = wide(path);
    return SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, file.data(), flags) != 0;
}

std::string Win32Desktop::wallpaper() {
    wchar_t path[MAX_PATH] = {};
    if (!SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, path, 0)) {
        return {};
    }
    path[MAX_PATH - 1] = L'\0';
    return narrow(path);
}

std::string Win32Desktop::desktopFolder() {
    PIDLIST_ABSOLUTE items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOPDIRECTORY, &items)) ||
        items == nullptr) {
        return {};
    }
    wchar_t path[MAX_PATH] = {};
    const bool found = SHGetPathFromIDListW(items, path) != 0;
    CoTaskMemFree(items);
    std::wstring folder = found ? std::wstring(path) : std::wstring();
    if (folder.empty()) {
        return {};
    }
    if (folder.back() != L'\\') {
        folder.push_back(L'\\');
    }
    return narrow(folder);
}

bool Win32Desktop::createShortcut(const ShortcutLink& shortcut) {
    const ComApartment apartment;
    if (!apartment.usable()) {
        return false;
    }
    // Declared after the apartment, so released before it ends.
    ComPointer<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.out()))) {
        return false;
    }
    ComPointer<IPersistFile> file;
    if (FAILED(link->SetPath(wide(shortcut.target).c_str())) ||
        FAILED(link->SetArguments(wide(shortcut.arguments).c_str())) ||
        FAILED(link->SetDescription(wide(shortcut.description).c_str())) ||
        FAILED(link->SetWorkingDirectory(wide(shortcut.workingFolder).c_str())) ||
        FAILED(link->SetIconLocation(wide(shortcut.iconFile).c_str(), shortcut.iconIndex)) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.out()))) {
        return false;
    }
    return SUCCEEDED(file->Save(wide(shortcut.linkPath + ".lnk").c_str(), TRUE));
}

}  // namespace drape::platform::win32
