// [X] Page viewer in the terminal (raw keys: Return/Escape close, Space/Down next, Up back);
//     without a terminal the caller prints the text instead
// [X] A page taller than the terminal is shown a screenful at a time, Space/Down and Up moving
//     through it before the next or previous page
// [X] The terminal's echo and line editing come back on every way out: a normal close, and
//     Ctrl-C, SIGTERM, SIGHUP or SIGQUIT while the viewer is open
// [ ] A graphical page viewer and settings window
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "platform/posix/posix_platform.h"

namespace drape::platform::posix {

namespace {

// The terminal as it was before the viewer opened, for the signal handler: process-wide
// because a signal handler reaches nothing else. One viewer is open at a time.
termios gSavedTerminal{};
volatile sig_atomic_t gTerminalRaw = 0;

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
struct sigaction gPreviousActions[std::size(kEndingSignals)];

// The frame around the page text: the title and a blank line above, a blank line and the
// buttons below.
constexpr int kFrameLines = 4;

void restoreTerminal() {
    if (gTerminalRaw != 0) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &gSavedTerminal);
        gTerminalRaw = 0;
    }
}

void putBackSignalActions() {
    for (size_t i = 0; i < std::size(kEndingSignals); ++i) {
        sigaction(kEndingSignals[i], &gPreviousActions[i], nullptr);
    }
}

// Gives the terminal back, then lets the signal do what it did before the viewer opened
// (usually ending the process); only async-signal-safe calls.
void onEndingSignal(int signal) {
    restoreTerminal();
    putBackSignalActions();
    raise(signal);
}

void writeOut(FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

// Lines of page text the terminal shows below the title and above the buttons; 0 when the
// terminal does not tell its size.
int terminalTextRows() {
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_row == 0) {
        return 0;
    }
    return std::max(1, static_cast<int>(size.ws_row) - kFrameLines);
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
    gSavedTerminal = raw;
    struct sigaction action {};
    action.sa_handler = onEndingSignal;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(kEndingSignals); ++i) {
        sigaction(kEndingSignals[i], &action, &gPreviousActions[i]);
    }
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    gTerminalRaw = 1;
    if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw) != 0) {
        gTerminalRaw = 0;
        putBackSignalActions();
        return false;
    }
    viewerOpen_ = true;
    viewerTitle_ = title;
    viewerRows_ = terminalTextRows();
    viewerNumber_ = 0;
    return true;
}

void PosixWindowing::showViewerPage(const std::string& page, int number, int count) {
    std::vector<std::string> lines(1);
    for (char c : page) {
        if (c == '\n') {
            lines.emplace_back();
        } else if (c != '\r') {
            lines.back() += c;
        }
    }
    const size_t fit = viewerRows_ > 0 ? static_cast<size_t>(viewerRows_) : lines.size();
    if (number != viewerNumber_ || lines != viewerLines_) {
        // Back from the next page, the screen shows this page's end, where the reader left it.
        const bool back = number < viewerNumber_ && lines.size() > fit;
        viewerOffset_ = back ? lines.size() - fit : 0;
    }
    viewerLines_ = std::move(lines);
    viewerNumber_ = number;
    viewerCount_ = count;
    drawViewerScreen();
}

void PosixWindowing::drawViewerScreen() {
    const size_t fit = viewerRows_ > 0 ? static_cast<size_t>(viewerRows_) : viewerLines_.size();
    const size_t end = std::min(viewerLines_.size(), viewerOffset_ + fit);
    std::string screen = "\x1b[H\x1b[2J" + viewerTitle_ + "\n\n";
    for (size_t i = viewerOffset_; i < end; ++i) {
        screen += viewerLines_[i];
        if (i + 1 < end) {
            screen += '\n';
        }
    }
    const bool more = end < viewerLines_.size();
    const bool earlier = viewerOffset_ > 0;
    std::string position = std::to_string(viewerNumber_) + "/" + std::to_string(viewerCount_);
    if (more || earlier) {
        position += " (lines " + std::to_string(viewerOffset_ + 1) + "-" + std::to_string(end) +
                    " of " + std::to_string(viewerLines_.size()) + ")";
    }
    screen += "\n\n" + position + "   " + (viewerNumber_ > 1 || earlier ? "[<] " : "    ") +
              (viewerNumber_ < viewerCount_ || more ? "[>] " : "    ") +
              "[Ok]   Space/Down: next  Up: previous  Return/Escape: close";
    writeOut(stdout, screen);
}

ViewerInput PosixWindowing::waitViewerInput() {
    for (;;) {
        ViewerInput input = ViewerInput::Close;
        unsigned char key = 0;
        const ssize_t got = ::read(STDIN_FILENO, &key, 1);
        if (got <= 0) {
            return ViewerInput::Close;  // the terminal went away
        }
        if (key == '\r' || key == '\n') {
            return ViewerInput::Close;
        }
        if (key == ' ') {
            input = ViewerInput::NextPage;
        } else if (key != 0x1b) {
            continue;
        } else {
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
                input = ViewerInput::PreviousPage;
            } else if (sequence[1] == 'B') {
                input = ViewerInput::NextPage;
            } else {
                continue;
            }
        }
        // Within a page taller than the terminal the keys move a screenful first.
        const size_t fit = viewerRows_ > 0 ? static_cast<size_t>(viewerRows_) : 0;
        if (fit > 0 && input == ViewerInput::NextPage &&
            viewerOffset_ + fit < viewerLines_.size()) {
            viewerOffset_ += fit;
            drawViewerScreen();
            continue;
        }
        if (fit > 0 && input == ViewerInput::PreviousPage && viewerOffset_ > 0) {
            viewerOffset_ = viewerOffset_ > fit ? viewerOffset_ - fit : 0;
            drawViewerScreen();
            continue;
        }
        return input;
    }
}

void PosixWindowing::closeViewer() {
    if (viewerOpen_) {
        restoreTerminal();
        putBackSignalActions();
        writeOut(stdout, "\n");
        viewerOpen_ = false;
    }
}

}  // namespace drape::platform::posix
