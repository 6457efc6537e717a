#include "state/tokens.h"

#include "platform/unicode.h"

namespace drape {

namespace {

// Calls `visit(begin, end)` for every token, stopping early when it returns false.
template <typename Visit>
void forEachToken(std::string_view text, Visit visit) {
    bool quoted = false;
    size_t start = std::string_view::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            quoted = !quoted;
        }
        if (c == ' ' && !quoted) {
            if (start != std::string_view::npos) {
                if (!visit(start, i)) {
                    return;
                }
                start = std::string_view::npos;
            }
        } else if (start == std::string_view::npos) {
            start = i;
        }
    }
    if (start != std::string_view::npos) {
        visit(start, text.size());
    }
}

// Byte length of the last UTF-8 character of a non-empty string.
size_t lastCharacterLength(std::string_view text) {
    size_t length = 1;
    while (length < text.size() && length < 4 &&
           (static_cast<unsigned char>(text[text.size() - length]) & 0xC0) == 0x80) {
        ++length;
    }
    // A run of continuation bytes without a lead byte is not one character.
    const auto lead = static_cast<unsigned char>(text[text.size() - length]);
    return (lead & 0xC0) == 0xC0 ? length : 1;
}

}  // namespace

int32_t CountTokens(std::string_view text) {
    int32_t count = 0;
    forEachToken(text, [&](size_t, size_t) {
        ++count;
        return true;
    });
    return count;
}

std::string TrimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string_view> SplitTokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    forEachToken(text, [&](size_t begin, size_t end) {
        tokens.push_back(text.substr(begin, end - begin));
        return true;
    });
    return tokens;
}

std::string TokenAt(const std::vector<std::string_view>& tokens, int32_t n, bool unquote) {
    if (n <= 0 || static_cast<size_t>(n) > tokens.size()) {
        return {};
    }
    return TokenText(tokens[static_cast<size_t>(n) - 1], unquote);
}

std::string GetToken(std::string_view text, int32_t n, bool unquote) {
    if (n <= 0) {
        return {};
    }
    std::string_view token;
    int32_t index = 0;
    forEachToken(text, [&](size_t begin, size_t end) {
        if (++index == n) {
            token = text.substr(begin, end - begin);
            return false;
        }
        return true;
    });
    return TokenText(token, unquote);
}

std::string TokenText(std::string_view token, bool unquote) {
    if (!unquote || token.empty() || token.front() != '"') {
        return std::string(token);
    }
    if (token.size() == 1) {
        return {};
    }
    token.remove_prefix(1);
    token.remove_suffix(lastCharacterLength(token));
    return TrimBlanks(token);
}

int32_t ParseInteger(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    uint32_t base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i < text.size() && text[i] == '%') {
        base = 2;
        ++i;
    }
    uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = platform::hexDigitValue(text[i]);
        if (digit < 0 || digit >= static_cast<int>(base)) {
            break;
        }
        value = value * base + static_cast<uint32_t>(digit);
    }
    if (negative) {
        value = 0u - value;
    }
    return static_cast<int32_t>(value);
}

std::vector<std::string> SplitTextLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string line;
    bool any = false;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\0') {
            continue;
        }
        any = true;
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            any = false;
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                ++i;
            }
        } else {
            line += c;
        }
    }
    if (any) {
        lines.push_back(line);
    }
    return lines;
}

bool IsPictureFileName(std::string_view name) {
    if (platform::countCharacters(name) <= 4) {
        return false;
    }
    std::string ending(name.substr(name.size() - 4));
    for (char& c : ending) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return ending == ".jpg" || ending == ".png" || ending == ".bmp";
}

std::string MessageExcerpt(std::string_view text, size_t maxCharacters) {
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        // A character starts at every byte that is not a UTF-8 continuation byte.
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && characters++ == maxCharacters) {
            return std::string(text.substr(0, i)) + "\xE2\x80\xA6";  // U+2026, the ellipsis
        }
    }
    return std::string(text);
}

}  // namespace drape
