// Text conversions at the boundary between the program's UTF-8 strings and the UTF-16LE form
// in which Windows (and so the registry stand-in) stores text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace drape::platform::posix {

// Malformed input never fails: every byte or unit that does not form a character becomes
// U+FFFD, so text from the environment or a damaged file cannot stop the program.
std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);

// REG_SZ data: the text as UTF-16LE bytes followed by one zero character.
std::vector<uint8_t> regSzData(std::string_view utf8);

// The text of REG_SZ data up to its first zero character (or its end), as Windows hands a
// string value to a program that reads it. An odd trailing byte is ignored.
std::string regSzText(const std::vector<uint8_t>& data);

// True when `data` is exactly what `regSzData` makes of some text without line breaks, so that
// it can be written as a quoted string and read back byte for byte.
bool isPlainRegSz(const std::vector<uint8_t>& data);

// Registry names compare case-insensitively. Upper and lower case are matched for ASCII,
// Latin-1, Latin Extended-A, Greek and Cyrillic; other characters compare exactly.
bool sameRegistryName(std::string_view a, std::string_view b);

}  // namespace drape::platform::posix
