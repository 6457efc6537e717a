// Tokens and numbers of the command language, shared by the interpreter and run control.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace drape {

// Number of blank-separated tokens; double quotes group blanks into one token.
int32_t CountTokens(std::string_view text);
// Token `n` (1-based), empty when there is none. With `unquote`, a token that begins with a
// double quote loses its first and last character and is trimmed of blanks.
std::string GetToken(std::string_view text, int32_t n, bool unquote);
// Leading blanks and tabs, a sign, then "$" hex, "%" binary or decimal digits; else 0.
// The value wraps to 32 bits.
int32_t ParseInteger(std::string_view text);
// Removes blanks (not tabs) from both ends.
std::string TrimBlanks(std::string_view text);

}  // namespace drape
