// The win32 backend's Registry concern: the real registry under the caller's root.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/win32_text.h"

namespace drape::platform::win32 {

// The predefined root key of its Windows number (0x80000001 for HKEY_CURRENT_USER).
HKEY rootKey(uint32_t root);

// The bytes of a value for RegSetValueEx, followed by a guard that the call does not store.
// A string whose last character is not zero gets a terminator counted in when the character
// after its end is zero (NT "repairs" a count that forgot it, in both the wide and the 8-bit
// call); that character lies beyond the caller's data, so the guard makes it non-zero and the
// value is stored exactly as counted. Pass `bytes.size()` as the count.
std::vector<uint8_t> guardedValueData(std::string_view bytes);

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
