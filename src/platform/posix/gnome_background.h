// GNOME's own desktop background, which it draws over the X root window and reads from its
// settings (org.gnome.desktop.background), changed through the gsettings program.
#pragma once

#include <string>
#include <string_view>

namespace drape::platform::posix {

// True when XDG_CURRENT_DESKTOP names GNOME among its desktops, in any letter case.
bool isGnomeSession();

// The full path of an executable found on PATH, as execvp would find it; "" when none.
std::string findProgram(const std::string& name);

// Makes `bitmap` (the file's bytes) the tiled GNOME background through `gsettings`, from a
// copy of its own in the cache folder. False with a one-line `problem` when any step failed.
bool setGnomeBackground(std::string_view bitmap, const std::string& gsettings,
                        std::string& problem);

}  // namespace drape::platform::posix
