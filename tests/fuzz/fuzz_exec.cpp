// The autostart entry's Exec line: quoted arguments split back to themselves, an autorun
// command line survives the trip through Exec, and the desktop file's string escapes undo.
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/posix/posix_desktop_entry.h"

using namespace drape::platform::posix;

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

    // The autorun data, once read back, is a fixed point of the trip.
    if (const auto once = commandLineFromExec(execFromCommandLine(text))) {
        const auto twice = commandLineFromExec(execFromCommandLine(*once));
        DRAPE_FUZZ_CHECK(twice.has_value() && *twice == *once);
    }
    desktopEntryValue(text, "Exec");
    return 0;
}
