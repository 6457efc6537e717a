// Tokens and numbers of the command language, shared by the interpreter and run control.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace drape {

// Number of blank-separated tokens; double quotes group blanks into one token.
int32_t CountTokens(std::string_view text);
// Token `n` (1-based), empty when there is none. With `unquote`, a token that begins with a
// double quote loses its first and last character and is trimmed of blanks.
std::string GetToken(std::string_view text, int32_t n, bool unquote);
// Every token of `text` as it stands there, quotes included, in one pass: the loops over a
// command string index these instead of asking GetToken, which scans from the start each time.
std::vector<std::string_view> SplitTokens(std::string_view text);
// A token of SplitTokens as GetToken gives it, unquoted when asked.
std::string TokenText(std::string_view token, bool unquote);
// Token `n` (1-based) of a split, as GetToken gives it; empty when there is none.
std::string TokenAt(const std::vector<std::string_view>& tokens, int32_t n, bool unquote);
// Leading blanks and tabs, a sign, then "$" hex, "%" binary or decimal digits; else 0.
// The value wraps to 32 bits.
int32_t ParseInteger(std::string_view text);
// Removes blanks (not tabs) from both ends.
std::string TrimBlanks(std::string_view text);

// The lines of a text file split at CR, LF or CR LF, with zero bytes dropped.
std::vector<std::string> SplitTextLines(const std::string& bytes);
// True for a name of more than four characters that ends in ".jpg", ".png" or ".bmp", in any
// letter case: what counts as a photograph by its name.
bool IsPictureFileName(std::string_view name);
// `text` for a message box: whole up to `maxCharacters` UTF-8 characters, else its first
// `maxCharacters` followed by "…", so that a huge word cannot make a huge box.
std::string MessageExcerpt(std::string_view text, size_t maxCharacters = 200);

}  // namespace drape
