// [X] UTF-8 <-> UTF-16 conversion with U+FFFD for anything malformed
// [X] REG_SZ byte form (UTF-16LE with its terminating zero character)
// [X] Case-insensitive registry names: ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic
// [ ] Full Unicode case mapping as Windows uses it (other scripts compare exactly)
#include "platform/posix/posix_text.h"

#include "platform/unicode.h"

namespace drape::platform::posix {

namespace {

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

char16_t unitAt(const std::vector<uint8_t>& data, size_t index) {
    return static_cast<char16_t>(data[2 * index] | data[2 * index + 1] << 8);
}

}  // namespace

std::u16string utf8ToUtf16(std::string_view utf8) {
    return platform::utf8ToUtf16(utf8);
}

std::string utf16ToUtf8(std::u16string_view utf16) {
    return platform::utf16ToUtf8(utf16);
}

std::vector<uint8_t> regSzData(std::string_view utf8) {
    std::vector<uint8_t> data = platform::utf16leBytes(utf8);
    data.push_back(0);
    data.push_back(0);
    return data;
}

std::string regSzText(const std::vector<uint8_t>& data) {
    std::u16string units;
    for (size_t i = 0; i < data.size() / 2; ++i) {
        const char16_t unit = unitAt(data, i);
        if (unit == 0) {
            break;
        }
        units += unit;
    }
    return utf16ToUtf8(units);
}

bool isPlainRegSz(const std::vector<uint8_t>& data) {
    if (data.size() < 2 || data.size() % 2 != 0) {
        return false;
    }
    const size_t count = data.size() / 2;
    if (unitAt(data, count - 1) != 0) {
        return false;
    }
    for (size_t i = 0; i + 1 < count; ++i) {
        const char16_t unit = unitAt(data, i);
        if (unit == 0 || unit == u'\r' || unit == u'\n') {
            return false;
        }
        if (isHighSurrogate(unit)) {
            if (i + 2 >= count || !isLowSurrogate(unitAt(data, i + 1))) {
                return false;
            }
            ++i;
        } else if (isLowSurrogate(unit)) {
            return false;
        }
    }
    return true;
}

bool sameRegistryName(std::string_view a, std::string_view b) {
    return platform::toUpper(a) == platform::toUpper(b);
}

}  // namespace drape::platform::posix
