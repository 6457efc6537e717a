// The win32 backend's Registry concern: the real registry under the caller's root.
#pragma once

#include "platform/platform.h"
#include "platform/win32/win32_text.h"

namespace drape::platform::win32 {

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
