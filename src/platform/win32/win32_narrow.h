// The win32 backend's 8-bit services: the "A" forms of the Windows functions, for drape98,
// which keeps its strings in the system's code page.
#pragma once

#include <string>
#include <vector>

#include "platform/narrow.h"

namespace drape::platform::win32 {

class Win32Narrow final : public Narrow {
  public:
    std::string programPath() override;
    std::string tempFolder() override;
    std::string toUtf8(const std::string& text) override;
    std::string fromUtf8(const std::string& text) override;
    std::vector<Monitor> enumerateMonitors() override;
    void broadcastTerminate() override;
    bool setWallpaper(const std::string& path, uint32_t flags) override;
    std::string wallpaper() override;
    int regSetString(uint32_t root, const std::string& keyPath, const std::string& name,
                     const std::string& data, size_t dataBytes) override;
    BitmapLoad loadBitmapFile(const std::string& path, LoadedBitmap& out) override;
    void messageBox(const std::string& caption, const std::string& text, uint32_t flags) override;
    std::vector<std::string> listFiles(const std::string& folder,
                                       const std::string& pattern) override;
};

}  // namespace drape::platform::win32
