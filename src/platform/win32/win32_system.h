// The win32 backend's System concern: machine facts, folders, files, the clock and output.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "platform/win32/win32_text.h"

namespace drape::platform::win32 {

// MAX_PATH: the buffer a path is first read into.
inline constexpr size_t kPathCapacity = 260;

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

// Calls `fill(buffer, capacity)`, which returns the length it wrote or the capacity it needs,
// as many Win32 calls do, growing the buffer until the text fits; empty when the call fails.
// `Char` is wchar_t for the wide calls and char for the code page's.
template <typename Char, typename Fill>
std::basic_string<Char> growingString(Fill fill) {
    std::basic_string<Char> buffer(kPathCapacity, Char{});
    while (true) {
        const auto capacity = static_cast<uint32_t>(buffer.size());
        const uint32_t got = fill(buffer.data(), capacity);
        if (got == 0) {
            return {};
        }
        if (got < capacity) {
            buffer.resize(got);
            return buffer;
        }
        // Too small: the call told the size it needs, or (GetModuleFileName) filled it all.
        buffer.resize(std::max<size_t>(got + size_t{1}, buffer.size() * 2));
    }
}

// A function of a system library that not every Windows version has, looked up at run time;
// nullptr when `module` is not loaded or lacks it.
using SystemEntry = void (*)();
SystemEntry systemEntry(const wchar_t* module, const char* name);

template <typename Call>
Call systemFunction(const wchar_t* module, const char* name) {
    // Through the generic function type, which GCC accepts as a cast to any other.
    return reinterpret_cast<Call>(systemEntry(module, name));
}

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
