// UTF-8 inside, UTF-16 at the Windows boundary: the conversions every part of the win32 backend
// shares.
#pragma once

#include <string>
#include <string_view>

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

}  // namespace drape::platform::win32
