// The autostart entry's Exec line: quoted arguments split back to themselves, an autorun
// command line survives the trip through Exec, and the desktop file's string escapes undo.
#include <algorithm>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/posix/posix_desktop_entry.h"
#include "state/tokens.h"

using namespace drape::platform::posix;

namespace {

bool closedQuotes(std::string_view command) {
    if (std::count(command.begin(), command.end(), '"') % 2 != 0) {
        return false;
    }
    for (const std::string_view token : drape::SplitTokens(command)) {
        if (token.front() == '"' && (token.size() < 2 || token.back() != '"')) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text = drape::fuzz::asText(data, size);

    // Arguments separated by zero bytes.
    std::vector<std::string> arguments;
    std::string exec;
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find('\0', start), text.size());
        arguments.emplace_back(text.substr(start, end - start));
        exec += (start > 0 ? " " : "") + quoteExecArgument(arguments.back());
        start = end + 1;
    }
    const auto split = splitExec(exec);
    DRAPE_FUZZ_CHECK(split.has_value() && *split == arguments);

    const std::string escaped = escapeDesktopString(exec);
    DRAPE_FUZZ_CHECK(unescapeDesktopString(escaped) == exec);
    const std::string file = "[Desktop Entry]\nType=Application\nExec=" + escaped + "\n";
    const auto value = desktopEntryValue(file, "Exec");
    DRAPE_FUZZ_CHECK(value.has_value() && *value == exec);

    // The autorun data: the command string's words come back from the Exec line as the
    // interpreter reads them. A quote left open, or a token that opens with a quote it does not
    // end with, has no spelling as an argument that reads back the same.
    const std::string command = "\"/opt/drape/drape\" " + std::string(text);
    if (!closedQuotes(command)) {
        return 0;
    }
    const auto back = commandLineFromExec(execFromCommandLine(command));
    DRAPE_FUZZ_CHECK(back.has_value());
    const std::vector<std::string_view> words = drape::SplitTokens(command);
    const std::vector<std::string_view> backWords = drape::SplitTokens(*back);
    DRAPE_FUZZ_CHECK(backWords.size() == words.size());
    for (size_t i = 0; i < words.size(); ++i) {
        DRAPE_FUZZ_CHECK(drape::TokenText(backWords[i], true) == drape::TokenText(words[i], true));
    }
    desktopEntryValue(text, "Exec");
    return 0;
}
