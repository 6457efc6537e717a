// The only access to the registry: read, write and delete a value by root, key and name.
//
// Status codes: 0 success, -1 key or value not found, -2 a value that cannot be read as text;
// any other value is the platform's own error code.
#pragma once

#include <cstdint>
#include <string>

namespace drape {

inline constexpr uint32_t kHkeyCurrentUser = 0x80000001u;
inline constexpr const char* kDesktopKey = "Control Panel\\Desktop";

inline constexpr int kRegistryOk = 0;
inline constexpr int kRegistryNotFound = -1;
inline constexpr int kRegistryNotText = -2;

// On success leaves the value as text in `RegistryResult()`.
int RegistryRead(uint32_t root, const std::string& keyPath, const std::string& name);
const std::string& RegistryResult();
// Writes `text` as a string value. Without `create` the key and value must already exist.
int RegistryWrite(uint32_t root, const std::string& keyPath, const std::string& name,
                  const std::string& text, bool create);
int RegistryDelete(uint32_t root, const std::string& keyPath, const std::string& name);

}  // namespace drape
