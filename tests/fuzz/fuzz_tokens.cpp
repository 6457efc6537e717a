// The tokenizer, the number rule and the joins of arguments and command-file lines.
#include <algorithm>
#include <string>

#include "fuzz_support.h"
#include "run/command_sources.h"
#include "state/tokens.h"

using namespace drape;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text = fuzz::asText(data, size);
    const int32_t count = CountTokens(text);
    DRAPE_FUZZ_CHECK(GetToken(text, 0, false).empty());
    DRAPE_FUZZ_CHECK(GetToken(text, count + 1, true).empty());

    // The tokens joined again with one blank read as the same tokens. Each look-up scans from
    // the start, so only the first ones are compared, to keep a long input fast.
    const int32_t compared = std::min(count, int32_t{64});
    // The split the interpreters read from gives the look-up's tokens.
    const std::vector<std::string_view> split = SplitTokens(text);
    DRAPE_FUZZ_CHECK(split.size() == static_cast<size_t>(count));
    DRAPE_FUZZ_CHECK(TokenAt(split, count + 1, true).empty());
    std::string rejoined;
    std::vector<std::string> unquoted;
    for (int32_t i = 1; i <= compared; ++i) {
        const std::string token = GetToken(text, i, false);
        DRAPE_FUZZ_CHECK(!token.empty());
        DRAPE_FUZZ_CHECK(TokenAt(split, i, false) == token);
        DRAPE_FUZZ_CHECK(TokenAt(split, i, true) == GetToken(text, i, true));
        rejoined += (i > 1 ? " " : "") + token;
        unquoted.push_back(GetToken(text, i, true));
    }
    DRAPE_FUZZ_CHECK(compared < count || CountTokens(rejoined) == count);
    for (int32_t i = 1; i <= compared; ++i) {
        DRAPE_FUZZ_CHECK(GetToken(rejoined, i, true) == unquoted[i - 1]);
    }
    // Arguments without quotes come back one token each, blanks inside them kept.
    std::vector<std::string> arguments;
    for (const std::string& token : unquoted) {
        if (!token.empty() && token.find('"') == std::string::npos) {
            arguments.push_back(token);
        }
    }
    const std::string joined = JoinArguments(arguments);
    DRAPE_FUZZ_CHECK(CountTokens(joined) == static_cast<int32_t>(arguments.size()));
    for (size_t i = 0; i < arguments.size(); ++i) {
        DRAPE_FUZZ_CHECK(GetToken(joined, static_cast<int32_t>(i + 1), true) == arguments[i]);
    }

    const std::string trimmed = TrimBlanks(text);
    DRAPE_FUZZ_CHECK(TrimBlanks(trimmed) == trimmed);
    DRAPE_FUZZ_CHECK(trimmed.empty() || (trimmed.front() != ' ' && trimmed.back() != ' '));

    // A number printed in decimal reads back as itself.
    const int32_t value = ParseInteger(text);
    DRAPE_FUZZ_CHECK(ParseInteger(std::to_string(value)) == value);

    const std::string bytes(text);
    for (const std::string& line : SplitTextLines(bytes)) {
        DRAPE_FUZZ_CHECK(line.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
    }
    const std::string command = JoinCommandFileLines(bytes);
    DRAPE_FUZZ_CHECK(command.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
    DRAPE_FUZZ_CHECK(TrimBlanks(command) == command);
    IsPictureFileName(text);
    return 0;
}
