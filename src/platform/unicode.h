// UTF-8 inside the program, UTF-16 where Windows data formats want it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace drape::platform {

// Converts UTF-8 to UTF-16 code units. Invalid bytes become U+FFFD, never a failure.
std::u16string utf8ToUtf16(std::string_view text);
// The same units as the bytes Windows stores them in, low byte first; no terminator added.
std::vector<uint8_t> utf16leBytes(std::string_view text);
// Converts UTF-16 to UTF-8. Unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(std::u16string_view text);
// Number of characters (code points) in UTF-8 text; an invalid byte counts as one.
size_t countCharacters(std::string_view text);

// Simple case mappings of the letters of ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic,
// as the Windows character functions map them; other characters stay as they are.
std::string toUpper(std::string_view text);
std::string toLower(std::string_view text);
char32_t upperOf(char32_t c);
char32_t lowerOf(char32_t c);

// The value of a hexadecimal digit in either letter case; -1 for any other character.
int hexDigitValue(char c);

}  // namespace drape::platform
