// Desktop Entry files (freedesktop.org): the autostart entry and desktop launchers.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace drape::platform::posix {

// A string value as a desktop file writes it: backslash, newline, tab and CR escaped.
std::string escapeDesktopString(std::string_view text);
std::string unescapeDesktopString(std::string_view text);

// One argument of an Exec line: quoted when it holds a reserved character, with '"', '`',
// '$' and '\' escaped inside the quotes, and '%' doubled.
std::string quoteExecArgument(std::string_view argument);
// Splits an Exec value (already string-unescaped) into its arguments; nullopt when a quote is
// left open.
std::optional<std::vector<std::string>> splitExec(std::string_view exec);

// The autorun data "<"program"> <command string>" as an Exec value and back. Tokens of the
// command string become one argument each, a quoted token losing its quotes; reading back
// quotes again every argument that holds a blank.
std::string execFromCommandLine(std::string_view data);
std::optional<std::string> commandLineFromExec(std::string_view exec);

// The value of `key` in the [Desktop Entry] group of a desktop file's text, unescaped.
std::optional<std::string> desktopEntryValue(std::string_view file, std::string_view key);

}  // namespace drape::platform::posix
