// [X] UTF-8 <-> UTF-16 conversion with U+FFFD for anything malformed
// [X] REG_SZ byte form (UTF-16LE with its terminating zero character)
// [X] Case-insensitive registry names: ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic
// [ ] Full Unicode case mapping as Windows uses it (other scripts compare exactly)
#include "platform/posix/posix_text.h"

namespace drape::platform::posix {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Decodes the character at `pos` and moves past it; one bad byte is skipped at a time.
char32_t decodeUtf8(std::string_view text, size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1Fu;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0Fu;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07u;
        minimum = 0x10000;
    } else {
        ++pos;
        return kReplacement;
    }
    if (pos + length > text.size()) {
        ++pos;
        return kReplacement;
    }
    for (size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[pos + i]);
        if (!isContinuation(byte)) {
            ++pos;
            return kReplacement;
        }
        value = (value << 6) | (byte & 0x3Fu);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not characters.
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++pos;
        return kReplacement;
    }
    pos += length;
    return value;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

char16_t unitAt(const std::vector<uint8_t>& data, size_t index) {
    return static_cast<char16_t>(data[2 * index] | (data[2 * index + 1] << 8));
}

char32_t upperCase(char32_t c) {
    if (c >= 'a' && c <= 'z') {
        return c - 0x20;
    }
    if (c < 0xE0) {
        return c;
    }
    if (c <= 0xFE) {
        return c == 0xF7 ? c : c - 0x20;
    }
    if (c == 0xFF) {
        return 0x178;
    }
    // Latin Extended-A pairs its cases in two runs with upper case on even code points and
    // two runs with upper case on odd ones.
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) {
        return c & ~char32_t{1};
    }
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
        return (c & 1) == 0 ? c - 1 : c;
    }
    if ((c >= 0x3B1 && c <= 0x3C9) || (c >= 0x430 && c <= 0x44F)) {
        return c - 0x20;
    }
    if (c >= 0x450 && c <= 0x45F) {
        return c - 0x50;
    }
    switch (c) {
        case 0x3AC:
            return 0x386;
        case 0x3AD:
        case 0x3AE:
        case 0x3AF:
            return c - 0x25;
        case 0x3CC:
            return 0x38C;
        case 0x3CD:
        case 0x3CE:
            return c - 0x3F;
        default:
            return c;
    }
}

}  // namespace

std::u16string utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t c = decodeUtf8(utf8, pos);
        if (c < 0x10000) {
            out += static_cast<char16_t>(c);
        } else {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (size_t i = 0; i < utf16.size(); ++i) {
        const char16_t unit = utf16[i];
        if (isHighSurrogate(unit) && i + 1 < utf16.size() && isLowSurrogate(utf16[i + 1])) {
            appendUtf8(out, 0x10000 + ((char32_t{unit} - 0xD800) << 10) +
                                (char32_t{utf16[i + 1]} - 0xDC00));
            ++i;
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            appendUtf8(out, kReplacement);
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

std::vector<uint8_t> regSzData(std::string_view utf8) {
    const std::u16string units = utf8ToUtf16(utf8);
    std::vector<uint8_t> data;
    data.reserve(2 * units.size() + 2);
    for (const char16_t unit : units) {
        data.push_back(static_cast<uint8_t>(unit & 0xFF));
        data.push_back(static_cast<uint8_t>(unit >> 8));
    }
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
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (upperCase(decodeUtf8(a, i)) != upperCase(decodeUtf8(b, j))) {
            return false;
        }
    }
    return i == a.size() && j == b.size();
}

}  // namespace drape::platform::posix
