// [X] desktopFolder: XDG_DESKTOP_DIR from user-dirs.dirs, else ~/Desktop
// [X] createShortcut: an executable .desktop launcher (Exec, Path, Icon, Comment)
// [X] Page viewer in the terminal (raw keys: Return/Escape close, Space/Down next, Up back);
//     without a terminal the caller prints the text instead
// [X] printText to stdout, reportError to stderr, hasGraphicalDisplay: whether the X display
// answers [ ] A graphical page viewer and settings window
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
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

void writeOut(FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

}  // namespace

std::string PosixPlatform::desktopFolder() {
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

bool PosixPlatform::createShortcut(const ShortcutLink& shortcut) {
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

bool PosixPlatform::openViewer(const std::string& title, int) {
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
        return false;
    }
    termios raw{};
    if (tcgetattr(STDIN_FILENO, &raw) != 0) {
        return false;
    }
    savedTerminal_ = raw;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw) != 0) {
        return false;
    }
    viewerOpen_ = true;
    viewerTitle_ = title;
    return true;
}

void PosixPlatform::showViewerPage(const std::string& page, int number, int count) {
    std::string screen = "\x1b[H\x1b[2J" + viewerTitle_ + "\n\n";
    for (char c : page) {
        if (c != '\r') {
            screen += c;
        }
    }
    screen += "\n\n" + std::to_string(number) + "/" + std::to_string(count) + "   " +
              (number > 1 ? "[<] " : "    ") + (number < count ? "[>] " : "    ") +
              "[Ok]   Space/Down: next  Up: previous  Return/Escape: close";
    writeOut(stdout, screen);
}

ViewerInput PosixPlatform::waitViewerInput() {
    for (;;) {
        unsigned char key = 0;
        const ssize_t got = ::read(STDIN_FILENO, &key, 1);
        if (got <= 0) {
            return ViewerInput::Close;  // the terminal went away
        }
        if (key == '\r' || key == '\n') {
            return ViewerInput::Close;
        }
        if (key == ' ') {
            return ViewerInput::NextPage;
        }
        if (key != 0x1b) {
            continue;
        }
        // A lone Escape closes; the arrows arrive as ESC [ A and ESC [ B right behind it.
        pollfd poller{STDIN_FILENO, POLLIN, 0};
        if (poll(&poller, 1, 50) <= 0) {
            return ViewerInput::Close;
        }
        unsigned char sequence[2] = {0, 0};
        if (::read(STDIN_FILENO, &sequence[0], 1) != 1 || sequence[0] != '[' ||
            ::read(STDIN_FILENO, &sequence[1], 1) != 1) {
            continue;
        }
        if (sequence[1] == 'A') {
            return ViewerInput::PreviousPage;
        }
        if (sequence[1] == 'B') {
            return ViewerInput::NextPage;
        }
    }
}

void PosixPlatform::closeViewer() {
    if (viewerOpen_) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal_);
        writeOut(stdout, "\n");
        viewerOpen_ = false;
    }
}

void PosixPlatform::printText(const std::string& text) {
    writeOut(stdout, text);
}

void PosixPlatform::reportError(const std::string& line) {
    report(line);
}

bool PosixPlatform::hasGraphicalDisplay() {
    if (!displayChecked_) {
        displayChecked_ = true;
        graphicalDisplay_ = x11_.get() != nullptr;
    }
    return graphicalDisplay_;
}

}  // namespace drape::platform::posix
