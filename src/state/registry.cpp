#include "state/registry.h"

#include <limits>

#include "platform/platform.h"
#include "platform/unicode.h"

namespace drape {

namespace {

// Values larger than this read as absent, as with the fixed buffer on Windows.
constexpr size_t kReadBufferBytes = 2048;

std::string registryResult;

uint64_t littleEndian(const std::vector<uint8_t>& data, size_t bytes) {
    uint64_t value = 0;
    for (size_t i = 0; i < bytes && i < data.size(); ++i) {
        value |= uint64_t{data[i]} << (8 * i);
    }
    return value;
}

// The stored UTF-16 up to its first zero character or the end of the data.
std::string storedString(const std::vector<uint8_t>& data) {
    std::u16string units;
    for (size_t i = 0; i + 1 < data.size(); i += 2) {
        const auto unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (unit == 0) {
            break;
        }
        units.push_back(unit);
    }
    return platform::utf16ToUtf8(units);
}

}  // namespace

const std::string& RegistryResult() {
    return registryResult;
}

int RegistryRead(uint32_t root, const std::string& keyPath, const std::string& name) {
    platform::Platform& os = platform::current();
    if (os.regOpenKey(root, keyPath) != platform::kRegSuccess) {
        return kRegistryNotFound;
    }
    platform::RegValue value;
    if (os.regQueryValue(root, keyPath, name, kReadBufferBytes, value) != platform::kRegSuccess) {
        return kRegistryNotFound;
    }
    switch (value.type) {
        case platform::RegType::Dword:
            registryResult = std::to_string(littleEndian(value.data, 4));
            return kRegistryOk;
        case platform::RegType::Qword:
            registryResult = std::to_string(littleEndian(value.data, 8));
            return kRegistryOk;
        case platform::RegType::Sz:
        case platform::RegType::ExpandSz:
        case platform::RegType::Link:
            registryResult = storedString(value.data);
            return kRegistryOk;
        default:
            return kRegistryNotText;
    }
}

int RegistryWrite(uint32_t root, const std::string& keyPath, const std::string& name,
                  const std::string& text, bool create) {
    platform::Platform& os = platform::current();
    if (!create) {
        if (const int status = os.regOpenKey(root, keyPath); status != platform::kRegSuccess) {
            return status;
        }
        platform::RegValue existing;
        const int status =
            os.regQueryValue(root, keyPath, name, std::numeric_limits<size_t>::max(), existing);
        if (status != platform::kRegSuccess) {
            return status;
        }
    } else if (const int status = os.regCreateKey(root, keyPath); status != platform::kRegSuccess) {
        return status;
    }
    platform::RegValue value{platform::RegType::Sz, {}};
    for (char16_t unit : platform::utf8ToUtf16(text)) {
        value.data.push_back(static_cast<uint8_t>(unit & 0xFF));
        value.data.push_back(static_cast<uint8_t>(unit >> 8));
    }
    value.data.push_back(0);
    value.data.push_back(0);
    return os.regSetValue(root, keyPath, name, value);
}

int RegistryDelete(uint32_t root, const std::string& keyPath, const std::string& name) {
    platform::Platform& os = platform::current();
    if (os.regOpenKey(root, keyPath) != platform::kRegSuccess) {
        return kRegistryNotFound;
    }
    return os.regDeleteValue(root, keyPath, name);
}

}  // namespace drape
