// [X] programPath: GetModuleFileNameA
// [X] tempFolder: GetTempPathA in its long form where kernel32 has GetLongPathNameA (looked up
//     at run time: Windows 95 lacks it), ending in '\'
// [X] toUtf8/fromUtf8: MultiByteToWideChar / WideCharToMultiByte with CP_ACP
// [X] enumerateMonitors: EnumDisplayDevicesA (looked up in user32 at run time) and
//     EnumDisplaySettingsA over the attached devices, the primary first; one monitor of the
//     screen's metrics without the call or without an attached device
// [X] broadcastTerminate: RegisterWindowMessageA of the wide program's name, PostMessageA to
//     HWND_BROADCAST
// [X] setWallpaper/wallpaper: SystemParametersInfoA (the getter's buffer 255 characters);
//     unlike the wide setter, the wallpaper style is left to the caller
// [X] regSetString: RegCreateKeyExA (full access) + RegSetValueExA of REG_SZ with the caller's
//     count, no terminator counted in that the count leaves out
// [X] loadBitmapFile: LoadImageA (LR_LOADFROMFILE | LR_CREATEDIBSECTION), any depth read back
//     as 24-bit rows with GetDIBits; Failed when the loader refuses the file
// [X] messageBox: MessageBoxA with MB_OK and the flags; standard error without an interactive
//     desktop, as the wide box does
// [X] listFiles: FindFirstFileA / FindNextFileA on folder + pattern, folders left out
// [X] narrowArguments: GetCommandLineA split by splitNarrowCommandLine
// [ ] Message boxes have no owner window (drape98 opens none of the wide program's windows)
#include <windows.h>

#include "platform/win32/win32_narrow.h"

#include <limits>

#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_drawing.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_window_layer.h"
#include "platform/win32/win32_windowing.h"

namespace drape::platform {

std::unique_ptr<Narrow> createNativeNarrow(Platform&) {
    // The A functions stand on their own; nothing of the wide platform is shared.
    return std::make_unique<win32::Win32Narrow>();
}

std::vector<std::string> narrowArguments(int, char**) {
    return splitNarrowCommandLine(GetCommandLineA());
}

namespace win32 {

namespace {

// The wallpaper getter's buffer, in characters.
constexpr UINT kWallpaperCapacity = 255;

// The name the wide program registers its terminate message under: ASCII, so the same bytes
// in every code page.
std::string terminateMessageName() {
    return narrow(kTerminateMessageName);
}

// An open search that closes itself.
class FileSearch {
  public:
    FileSearch(const std::string& pattern, WIN32_FIND_DATAA& entry)
        : search_(FindFirstFileA(pattern.c_str(), &entry)) {}
    ~FileSearch() {
        if (found()) {
            FindClose(search_);
        }
    }
    FileSearch(const FileSearch&) = delete;
    FileSearch& operator=(const FileSearch&) = delete;

    bool found() const { return search_ != INVALID_HANDLE_VALUE; }
    bool next(WIN32_FIND_DATAA& entry) { return FindNextFileA(search_, &entry) != 0; }

  private:
    HANDLE search_;
};

// A loaded bitmap that deletes itself.
class LoadedImage {
  public:
    explicit LoadedImage(const std::string& path)
        : bitmap_(static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                                  LR_LOADFROMFILE | LR_CREATEDIBSECTION))) {}
    ~LoadedImage() {
        if (bitmap_ != nullptr) {
            DeleteObject(bitmap_);
        }
    }
    LoadedImage(const LoadedImage&) = delete;
    LoadedImage& operator=(const LoadedImage&) = delete;

    HBITMAP get() const { return bitmap_; }

  private:
    HBITMAP bitmap_;
};

}  // namespace

std::string Win32Narrow::programPath() {
    return growingString<char>(
        [](char* buffer, DWORD capacity) { return GetModuleFileNameA(nullptr, buffer, capacity); });
}

std::string Win32Narrow::tempFolder() {
    std::string folder = growingString<char>(
        [](char* buffer, DWORD capacity) { return GetTempPathA(capacity, buffer); });
    if (folder.empty()) {
        return {};
    }
    using GetLongPathNameACall = DWORD(WINAPI*)(LPCSTR, LPSTR, DWORD);
    const auto getLongPathName =
        systemFunction<GetLongPathNameACall>(L"kernel32.dll", "GetLongPathNameA");
    if (getLongPathName != nullptr) {
        // A folder that does not exist has no long form and keeps the one the system gave.
        const std::string longForm = growingString<char>([&](char* buffer, DWORD capacity) {
            return getLongPathName(folder.c_str(), buffer, capacity);
        });
        if (!longForm.empty()) {
            folder = longForm;
        }
    }
    if (folder.back() != '\\' && folder.back() != '/') {
        folder.push_back('\\');
    }
    return folder;
}

std::string Win32Narrow::toUtf8(const std::string& text) {
    if (text.empty() || text.size() > static_cast<size_t>(std::numeric_limits<int>::max())) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring units(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, units.data(), length);
    return narrow(units);
}

std::string Win32Narrow::fromUtf8(const std::string& text) {
    const std::wstring units = wide(text);
    if (units.empty() || units.size() > static_cast<size_t>(std::numeric_limits<int>::max())) {
        return {};
    }
    const int size = static_cast<int>(units.size());
    // Characters the code page lacks become its default character ('?'), as the A calls
    // would show them.
    const int length =
        WideCharToMultiByte(CP_ACP, 0, units.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return {};
    }
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, units.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

std::vector<Monitor> Win32Narrow::enumerateMonitors() {
    // Windows 95 and NT 4 have no EnumDisplayDevicesA and only one monitor.
    using EnumDisplayDevicesACall = BOOL(WINAPI*)(LPCSTR, DWORD, PDISPLAY_DEVICEA, DWORD);
    const auto enumDisplayDevices =
        systemFunction<EnumDisplayDevicesACall>(L"user32.dll", "EnumDisplayDevicesA");
    if (enumDisplayDevices == nullptr) {
        return screenMonitor();
    }
    return enumerateDisplays<DISPLAY_DEVICEA, DEVMODEA>(enumDisplayDevices, EnumDisplaySettingsA);
}

void Win32Narrow::broadcastTerminate() {
    const UINT message = RegisterWindowMessageA(terminateMessageName().c_str());
    if (message != 0) {
        PostMessageA(HWND_BROADCAST, message, 0, 0);
    }
}

bool Win32Narrow::setWallpaper(const std::string& path, uint32_t flags) {
    std::string file = path;
    return SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, file.data(), flags) != 0;
}

std::string Win32Narrow::wallpaper() {
    char path[kWallpaperCapacity] = {};
    if (!SystemParametersInfoA(SPI_GETDESKWALLPAPER, kWallpaperCapacity, path, 0)) {
        return {};
    }
    path[kWallpaperCapacity - 1] = '\0';
    return path;
}

int Win32Narrow::regSetString(uint32_t root, const std::string& keyPath, const std::string& name,
                              const std::string& data, size_t dataBytes) {
    const std::string_view counted = countedBytes(data, dataBytes);
    if (counted.size() > std::numeric_limits<DWORD>::max() / 2) {
        return kRegInvalidData;
    }
    HKEY key = nullptr;
    const LONG created =
        RegCreateKeyExA(rootKey(root), keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (created != ERROR_SUCCESS) {
        return static_cast<int>(created);
    }
    const std::vector<uint8_t> bytes = guardedValueData(counted);
    const LONG status = RegSetValueExA(key, name.c_str(), 0, REG_SZ, bytes.data(),
                                       static_cast<DWORD>(counted.size()));
    RegCloseKey(key);
    return static_cast<int>(status);
}

BitmapLoad Win32Narrow::loadBitmapFile(const std::string& path, LoadedBitmap& out) {
    const LoadedImage image(path);
    BITMAP shape{};
    if (image.get() == nullptr || GetObjectA(image.get(), sizeof shape, &shape) == 0 ||
        shape.bmWidth <= 0 || shape.bmHeight <= 0) {
        return BitmapLoad::Failed;
    }
    // GetDIBits converts from whatever depth the file had, its palette applied.
    BITMAPINFO info = dibInfo(shape.bmWidth, shape.bmHeight);
    LoadedBitmap bitmap;
    bitmap.width = shape.bmWidth;
    bitmap.height = shape.bmHeight;
    bitmap.stride = dibStride(shape.bmWidth);
    bitmap.pixels.resize(bitmap.stride * static_cast<size_t>(bitmap.height));
    const HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, image.get(), 0, static_cast<UINT>(bitmap.height),
                               bitmap.pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != bitmap.height) {
        return BitmapLoad::Failed;
    }
    out = std::move(bitmap);
    return BitmapLoad::Loaded;
}

void Win32Narrow::messageBox(const std::string& caption, const std::string& text, uint32_t flags) {
    if (messageBoxToStandardError(toUtf8(caption), toUtf8(text))) {
        return;
    }
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | flags);
}

std::vector<std::string> Win32Narrow::listFiles(const std::string& folder,
                                                const std::string& pattern) {
    std::vector<std::string> names;
    std::string query = folder;
    if (!query.empty() && query.back() != '\\' && query.back() != '/') {
        query.push_back('\\');
    }
    query += pattern;
    WIN32_FIND_DATAA entry{};
    FileSearch search(query, entry);
    if (!search.found()) {
        return names;
    }
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            names.emplace_back(entry.cFileName);
        }
    } while (search.next(entry));
    return names;
}

}  // namespace win32
}  // namespace drape::platform
