// The concerns of the win32 backend that are real so far, and the UTF-8/UTF-16 conversions at
// the Windows boundary that they share.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/unavailable.h"
#include "platform/unicode.h"

namespace drape::platform::win32 {

// wchar_t is one UTF-16 unit with mingw-w64 and MSVC alike.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline std::wstring wide(std::string_view text) {
    const std::u16string units = utf8ToUtf16(text);
    return std::wstring(units.begin(), units.end());
}

inline std::string narrow(std::wstring_view text) {
    return utf16ToUtf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

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

class Win32Registry final : public Registry {
  public:
    int regOpenKey(uint32_t root, const std::string& keyPath) override;
    int regQueryValue(uint32_t root, const std::string& keyPath, const std::string& name,
                      size_t maxBytes, RegValue& out) override;
    int regCreateKey(uint32_t root, const std::string& keyPath) override;
    int regSetValue(uint32_t root, const std::string& keyPath, const std::string& name,
                    const RegValue& value) override;
    int regDeleteValue(uint32_t root, const std::string& keyPath, const std::string& name) override;
};

}  // namespace drape::platform::win32
