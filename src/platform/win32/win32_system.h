// The win32 backend's System concern: machine facts, folders, files, the clock and output.
#pragma once

#include "platform/platform.h"
#include "platform/win32/win32_text.h"

namespace drape::platform::win32 {

// A Windows version as the OS tells it: platform id (1 for 9x, 2 for NT), major and minor
// number, and whether it is a workstation rather than a server edition.
struct WindowsVersion {
    uint32_t platformId = 0;
    uint32_t major = 0;
    uint32_t minor = 0;
    bool workstation = true;
};

// The code that orders Windows versions for the program (60 for XP, 80 for Windows 7, 200 for
// anything newer than Windows 8 or unknown).
int osVersionCodeOf(const WindowsVersion& version);

// Writes text to the standard error as the System concern's reports go: UTF-16 to a console
// (the parent's, borrowed when the program has none), UTF-8 bytes to a file or pipe.
void writeToStandardError(const std::string& text);

class Win32System final : public System {
  public:
    std::string hostName() override;
    std::vector<uint32_t> ipv4Addresses() override;
    std::string userName() override;
    LocalTime localTime() override;
    int osVersionCode() override;
    std::string programPath() override;
    std::string programFolder() override;
    std::string currentFolder() override;
    std::string tempFolder() override;

    int64_t fileSize(const std::string& path) override;
    std::optional<std::string> readFile(const std::string& path, size_t maxBytes) override;
    std::unique_ptr<OutputFile> createFile(const std::string& path) override;
    bool copyFile(const std::string& from, const std::string& to) override;
    bool deleteFile(const std::string& path) override;
    std::vector<std::string> listFiles(const std::string& folder) override;

    uint32_t tickCount() override;
    void sleepMs(uint32_t ms) override;
    uint32_t lastInputTick() override;

    void printText(const std::string& text) override;
    void reportError(const std::string& line) override;
    void adviseLargePages(void*, size_t) override {}
    char pathSeparator() const override { return '\\'; }
};

}  // namespace drape::platform::win32
