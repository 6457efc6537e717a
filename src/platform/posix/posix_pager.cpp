// [X] Page viewer in the terminal (raw keys: Return/Escape close, Space/Down next, Up back);
//     without a terminal the caller prints the text instead
// [ ] A graphical page viewer and settings window
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>

#include "platform/posix/posix_platform.h"

namespace drape::platform::posix {

namespace {

void writeOut(FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

}  // namespace

bool PosixWindowing::openViewer(const std::string& title, int) {
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

void PosixWindowing::showViewerPage(const std::string& page, int number, int count) {
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

ViewerInput PosixWindowing::waitViewerInput() {
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

void PosixWindowing::closeViewer() {
    if (viewerOpen_) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal_);
        writeOut(stdout, "\n");
        viewerOpen_ = false;
    }
}

}  // namespace drape::platform::posix
