// The autorun entry that starts Drape at log-on, and the desktop shortcut.
#pragma once

#include <optional>
#include <string>

namespace drape {

inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kAutorunValue = "Drape";

// Writes the entry for the current command string: the quoted program path, a blank and the
// command. Does nothing for an empty command string.
void CreateAutorunEntry();
void RemoveAutorunEntry();
bool AutorunEntryExists();
// The command string of the entry (its data without the program path), if there is one.
std::optional<std::string> ReadAutorunEntry();

// The file name (without extension) that a shortcut for `commandString` gets.
std::string MakeShortcutName(const std::string& commandString);
// Puts a shortcut that runs the current command string on the desktop.
void CreateDesktopShortcut();

}  // namespace drape
