// [X] regOpenKey, regQueryValue, regCreateKey, regSetValue, regDeleteValue on the real
//     registry, each opening and closing its key; Windows status codes passed through as given
// [X] Roots by their HKEY numbers (HKEY_CURRENT_USER = 0x80000001), sign-extended as Windows
//     defines them on 64 bits
// [X] Value data as Windows stores it: no terminator added or removed (on writing, too, where
//     NT would count in one that follows an unterminated string); a value larger than the
//     caller's buffer gives ERROR_MORE_DATA with its type told
// [X] Key paths and value names converted from UTF-8
// [ ] Values larger than 4 GiB, key security, volatile keys, change notification
#include <windows.h>

#include <array>
#include <limits>
#include <vector>

#include "platform/win32/win32_registry.h"

namespace drape::platform::win32 {

namespace {

// Follows the data of a value when it is stored; see guardedValueData.
constexpr std::array<uint8_t, 2> kStringGuard = {0xFF, 0xFF};

// An open key that closes itself.
class OpenKey {
  public:
    OpenKey(uint32_t root, const std::string& keyPath, REGSAM access) {
        status_ = RegOpenKeyExW(rootKey(root), wide(keyPath).c_str(), 0, access, &key_);
    }
    ~OpenKey() {
        if (status_ == ERROR_SUCCESS) {
            RegCloseKey(key_);
        }
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    int status() const { return static_cast<int>(status_); }
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
    LONG status_ = ERROR_INVALID_HANDLE;
};

}  // namespace

// The predefined roots are LONG constants cast to a handle, so 0x80000001 is the handle
// 0xFFFFFFFF80000001 on 64-bit Windows; zero-extending it names no key at all.
HKEY rootKey(uint32_t root) {
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(root)));
}

std::vector<uint8_t> guardedValueData(std::string_view bytes) {
    std::vector<uint8_t> data(bytes.begin(), bytes.end());
    data.insert(data.end(), kStringGuard.begin(), kStringGuard.end());
    return data;
}

int Win32Registry::regOpenKey(uint32_t root, const std::string& keyPath) {
    return OpenKey(root, keyPath, KEY_ALL_ACCESS).status();
}

int Win32Registry::regQueryValue(uint32_t root, const std::string& keyPath, const std::string& name,
                                 size_t maxBytes, RegValue& out) {
    const OpenKey key(root, keyPath, KEY_QUERY_VALUE);
    if (key.status() != ERROR_SUCCESS) {
        return key.status();
    }
    const std::wstring valueName = wide(name);
    // Asks for the size first and reads into a buffer of exactly that size, so that a huge
    // `maxBytes` costs nothing; the value may grow in between, which the loop catches.
    while (true) {
        DWORD type = REG_NONE;
        DWORD size = 0;
        LONG status =
            RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size);
        if (status != ERROR_SUCCESS) {
            return static_cast<int>(status);
        }
        out.type = static_cast<RegType>(type);
        if (size > maxBytes) {
            out.data.clear();
            return kRegMoreData;
        }
        out.data.resize(size);
        status =
            RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, out.data.data(), &size);
        if (status == ERROR_MORE_DATA) {
            continue;
        }
        out.type = static_cast<RegType>(type);
        if (status != ERROR_SUCCESS) {
            out.data.clear();
            return static_cast<int>(status);
        }
        out.data.resize(size);
        return kRegSuccess;
    }
}

int Win32Registry::regCreateKey(uint32_t root, const std::string& keyPath) {
    HKEY key = nullptr;
    const LONG status =
        RegCreateKeyExW(rootKey(root), wide(keyPath).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
    return static_cast<int>(status);
}

int Win32Registry::regSetValue(uint32_t root, const std::string& keyPath, const std::string& name,
                               const RegValue& value) {
    if (value.data.size() > std::numeric_limits<DWORD>::max() - kStringGuard.size()) {
        return kRegInvalidData;
    }
    const OpenKey key(root, keyPath, KEY_SET_VALUE);
    if (key.status() != ERROR_SUCCESS) {
        return key.status();
    }
    const std::vector<uint8_t> data =
        guardedValueData({reinterpret_cast<const char*>(value.data.data()), value.data.size()});
    return static_cast<int>(RegSetValueExW(key.get(), wide(name).c_str(), 0,
                                           static_cast<DWORD>(value.type), data.data(),
                                           static_cast<DWORD>(value.data.size())));
}

int Win32Registry::regDeleteValue(uint32_t root, const std::string& keyPath,
                                  const std::string& name) {
    const OpenKey key(root, keyPath, KEY_SET_VALUE);
    if (key.status() != ERROR_SUCCESS) {
        return key.status();
    }
    return static_cast<int>(RegDeleteValueW(key.get(), wide(name).c_str()));
}

}  // namespace drape::platform::win32
