// Scratch places for the win32 backend's tests against the real OS (Windows or Wine): a folder
// in the temporary folder and a key under HKEY_CURRENT_USER\Software, each unique to the test
// and removed with everything in it afterwards.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/win32_text.h"

namespace drape::platform {

inline bool operator==(const RegValue& a, const RegValue& b) {
    return a.type == b.type && a.data == b.data;
}

// Type and bytes in hex, so that a failed comparison shows what differs.
inline void PrintTo(const RegValue& value, std::ostream* os) {
    static const char* digits = "0123456789abcdef";
    *os << "type " << static_cast<uint32_t>(value.type) << " [";
    for (const uint8_t byte : value.data) {
        *os << ' ' << digits[byte >> 4] << digits[byte & 15];
    }
    *os << " ]";
}

}  // namespace drape::platform

namespace drape::platform::win32::testing {

// A name no other test of this run uses: the test's own name and the process.
inline std::string scratchName(const std::string& prefix) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return prefix + "-" + test->test_suite_name() + "-" + test->name() + "-" +
           std::to_string(GetCurrentProcessId());
}

inline std::filesystem::path widePath(const std::string& utf8) {
    return std::filesystem::path(wide(utf8));
}

class ScratchFolder {
  public:
    // `root` ends in '\' (the platform's temporary or desktop folder).
    explicit ScratchFolder(const std::string& root) : path_(root + scratchName("drape")) {
        std::filesystem::remove_all(widePath(path_));
        std::filesystem::create_directories(widePath(path_));
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(widePath(path_), ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder without a trailing separator.
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

  private:
    std::string path_;
};

class ScratchKey {
  public:
    ScratchKey() : path_("Software\\" + scratchName("DrapeTest")) { remove(); }
    ~ScratchKey() { remove(); }
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& sub) const { return path_ + "\\" + sub; }

  private:
    void remove() { RegDeleteTreeW(HKEY_CURRENT_USER, wide(path_).c_str()); }
    std::string path_;
};

// Windows compares paths and names without regard to ASCII case.
inline std::string lowerAscii(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// A string as REG_SZ stores it: UTF-16LE with its terminating zero.
inline std::vector<uint8_t> regSz(const std::string& utf8) {
    const std::wstring units = wide(utf8);
    std::vector<uint8_t> bytes;
    for (const wchar_t unit : units) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

// A string value read straight from the registry, bypassing the backend; nullopt when missing
// or not a string.
inline std::optional<std::string> rawString(const std::string& key, const std::string& name) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, wide(key).c_str(), wide(name).c_str(), RRF_RT_REG_SZ,
                     nullptr, buffer, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return narrow(buffer);
}

}  // namespace drape::platform::win32::testing
