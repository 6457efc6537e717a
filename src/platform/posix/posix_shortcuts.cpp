// [X] desktopFolder: XDG_DESKTOP_DIR from user-dirs.dirs, else ~/Desktop
// [X] createShortcut: an executable .desktop launcher (Exec, Path, Icon, Comment)
#include <sys/stat.h>

#include <cstdlib>

#include "platform/posix/posix_desktop_entry.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_userdirs.h"

namespace drape::platform::posix {

namespace {

// The value of XDG_DESKTOP_DIR in user-dirs.dirs, with $HOME expanded; "" when not set there.
std::string desktopFromUserDirs(const std::string& home) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string base =
        config != nullptr && *config == '/' ? std::string(config) : home + "/.config";
    int error = 0;
    const auto text = readWholeFile(base + "/user-dirs.dirs", 1 << 20, error);
    if (!text) {
        return {};
    }
    const std::string key = "XDG_DESKTOP_DIR=";
    size_t start = 0;
    while (start < text->size()) {
        size_t end = text->find('\n', start);
        if (end == std::string::npos) {
            end = text->size();
        }
        std::string line = text->substr(start, end - start);
        start = end + 1;
        if (line.compare(0, key.size(), key) != 0) {
            continue;
        }
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.compare(0, 5, "$HOME") == 0) {
            value = home + value.substr(5);
        }
        return value.empty() || value.front() != '/' ? std::string() : value;
    }
    return {};
}

}  // namespace

std::string PosixDesktop::desktopFolder() {
    const std::string home = homeFolder();
    if (home.empty()) {
        return {};
    }
    std::string folder = desktopFromUserDirs(home);
    if (folder.empty()) {
        folder = home + "/Desktop";
    }
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return {};
    }
    return folder.back() == '/' ? folder : folder + "/";
}

bool PosixDesktop::createShortcut(const ShortcutLink& shortcut) {
    const size_t slash = shortcut.linkPath.rfind('/');
    const std::string name =
        slash == std::string::npos ? shortcut.linkPath : shortcut.linkPath.substr(slash + 1);
    std::string exec = quoteExecArgument(shortcut.target);
    if (!shortcut.arguments.empty()) {
        exec += ' ' + execFromCommandLine(shortcut.arguments);
    }
    std::string text = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
    text += "Name=" + escapeDesktopString(name) + "\n";
    if (!shortcut.description.empty()) {
        text += "Comment=" + escapeDesktopString(shortcut.description) + "\n";
    }
    text += "Exec=" + escapeDesktopString(exec) + "\n";
    if (!shortcut.workingFolder.empty()) {
        text += "Path=" + escapeDesktopString(shortcut.workingFolder) + "\n";
    }
    if (!shortcut.iconFile.empty()) {
        text += "Icon=" + escapeDesktopString(shortcut.iconFile) + "\n";
    }
    text += "Terminal=false\n";
    // Desktops start only launchers marked executable (and trusted, which is the user's say).
    return writeFileAtomically(shortcut.linkPath + ".desktop", text, 0755);
}

}  // namespace drape::platform::posix
