#include "gui/documentation.h"

#include <algorithm>

#include "gui/manual_text.h"
#include "platform/platform.h"
#include "state/product.h"

namespace drape {

namespace {
constexpr int kPixelsPerLine = 23;
}

std::string WithCrLf(std::string_view text) {
    std::string crlf;
    for (char c : text) {
        if (c == '\n') {
            crlf += '\r';
        }
        crlf += c;
    }
    // The last line has no line break after it.
    while (crlf.size() >= 2 && crlf.compare(crlf.size() - 2, 2, "\r\n") == 0) {
        crlf.resize(crlf.size() - 2);
    }
    return crlf;
}

const std::string& HelpText() {
    static const std::string text = WithCrLf(kManualText);
    return text;
}

std::string DocumentationTitle() {
    return std::string(" ") + kProductTitle + " - 02.04.2016 build 209 save 4605";
}

int LinesPerPage(int height) {
    return height / kPixelsPerLine;
}

std::vector<Page> SplitPages(const std::string& text, int linesPerPage) {
    // A display too small for one line still shows one line per page.
    const int perPage = linesPerPage < 1 ? 1 : linesPerPage;
    std::vector<Page> pages;
    size_t start = 0;
    for (;;) {
        // The search starts one character after the page's start, so a CR LF right at the
        // start of a page does not count as a line.
        size_t found = std::string::npos;
        size_t from = start + 1;
        for (int lines = 0; lines < perPage; ++lines) {
            found = from <= text.size() ? text.find("\r\n", from) : std::string::npos;
            if (found == std::string::npos) {
                break;
            }
            from = found + 1;
        }
        if (found == std::string::npos) {
            pages.push_back({start, text.size() >= start ? text.size() - start : 0});
            return pages;
        }
        pages.push_back({start, found - start});
        start = found + 2;
    }
}

namespace {

// Pixels of a line of the page text, and what the window adds around the page.
constexpr int kPixelsPerPageLine = 17;
constexpr int kWindowMargin = 16;
constexpr int kWindowWidth = 616;

platform::ControlSpec control(int id, platform::ControlKind kind, platform::ControlRect rect,
                              const char* text, bool fixedPitch) {
    platform::ControlSpec spec;
    spec.id = id;
    spec.kind = kind;
    spec.rect = rect;
    spec.text = text;
    if (fixedPitch) {
        spec.fontFace = kViewerFace;
        spec.fontPoints = kViewerPoints;
    }
    return spec;
}

std::vector<platform::ControlSpec> viewerControls(int pageHeight) {
    using platform::ControlKind;
    const int h = pageHeight;
    return {
        control(kPageText, ControlKind::WrappingLabel, {16, 16, 600, h - 60}, "", true),
        control(kPageCounter, ControlKind::Label, {16, h - 12, 32, 16}, "", true),
        control(kPreviousPageButton, ControlKind::PushButton, {460, h - 12, 50, 22}, "<", false),
        control(kNextPageButton, ControlKind::PushButton, {510, h - 12, 50, 22}, ">", false),
        control(kCloseViewerButton, ControlKind::PushButton, {560, h - 12, 50, 22}, "Ok", false),
    };
}

// The page viewer in a window of its own; false when no window could be opened.
bool showInWindow(const std::string& title, const std::string& text, int linesPerPage) {
    platform::Platform& os = platform::current();
    platform::Controls& ui = os.controls();
    const int pageHeight = kPixelsPerPageLine * linesPerPage;
    const platform::WindowId window = ui.openWindow(
        {title, kWindowWidth, pageHeight + kWindowMargin, true}, viewerControls(pageHeight));
    if (window == 0) {
        return false;
    }
    const std::vector<Page> pages = SplitPages(text, linesPerPage);
    const int count = static_cast<int>(pages.size());
    int page = 1;
    bool shown = false;
    for (;;) {
        if (!shown) {
            const Page& at = pages[static_cast<size_t>(page - 1)];
            ui.setControlText(kPageText, text.substr(at.start, at.length));
            ui.setControlText(kPageCounter, std::to_string(page) + "/" + std::to_string(count));
            ui.setEnabled(kPreviousPageButton, page > 1);
            ui.setEnabled(kNextPageButton, page < count);
            shown = true;
        }
        // Nothing else of the program runs while the viewer waits, the resident checks
        // included: a terminate broadcast heard meanwhile is not counted.
        const platform::Event event = os.waitEvent(platform::kWaitForever);
        int turn = 0;
        bool close = false;
        if (event.kind == platform::EventKind::Close) {
            close = event.window == window;
        } else if (event.kind == platform::EventKind::Key) {
            close = event.key == platform::Key::Return || event.key == platform::Key::Escape;
            turn = event.key == platform::Key::Space || event.key == platform::Key::Down ? 1
                   : event.key == platform::Key::Up                                      ? -1
                                                                                         : 0;
        } else if (event.kind == platform::EventKind::Control) {
            close = event.controlId == kCloseViewerButton;
            turn = event.controlId == kNextPageButton       ? 1
                   : event.controlId == kPreviousPageButton ? -1
                                                            : 0;
        }
        if (close) {
            break;
        }
        if (turn != 0 && page + turn >= 1 && page + turn <= count) {
            page += turn;
            shown = false;
        }
    }
    ui.closeWindow(window);
    return true;
}

}  // namespace

void ShowPagesInTerminal(const std::string& title, const std::string& text, int linesPerPage) {
    platform::Platform& os = platform::current();
    if (!os.openViewer(title, linesPerPage)) {
        std::string plain;
        for (char c : text) {
            if (c != '\r') {
                plain += c;
            }
        }
        os.printText(plain + "\n");
        return;
    }
    const std::vector<Page> pages = SplitPages(text, linesPerPage);
    const int count = static_cast<int>(pages.size());
    int page = 1;
    for (;;) {
        const Page& shown = pages[static_cast<size_t>(page - 1)];
        os.showViewerPage(text.substr(shown.start, shown.length), page, count);
        const platform::ViewerInput input = os.waitViewerInput();
        if (input == platform::ViewerInput::Close) {
            break;
        }
        if (input == platform::ViewerInput::NextPage && page < count) {
            ++page;
        } else if (input == platform::ViewerInput::PreviousPage && page > 1) {
            --page;
        }
    }
    os.closeViewer();
}

void ShowDocumentation(const std::string& title, const std::string& text) {
    platform::Platform& os = platform::current();
    // The page size follows the main display as it is now.
    const std::vector<platform::Monitor> monitors = os.enumerateMonitors();
    const int linesPerPage = LinesPerPage(monitors.empty() ? 0 : monitors.front().height);
    if (os.hasGraphicalDisplay() && showInWindow(title, text, std::max(linesPerPage, 1))) {
        return;
    }
    ShowPagesInTerminal(title, text, linesPerPage);
}

}  // namespace drape
