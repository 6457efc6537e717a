#include "gui/documentation.h"

#include "gui/manual_text.h"
#include "platform/platform.h"
#include "state/product.h"

namespace drape {

namespace {
constexpr int kPixelsPerLine = 23;
}

const std::string& HelpText() {
    static const std::string text = [] {
        std::string crlf;
        for (char c : std::string_view(kManualText)) {
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
    }();
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

void ShowDocumentation(const std::string& title, const std::string& text) {
    platform::Platform& os = platform::current();
    const std::vector<platform::Monitor> monitors = os.enumerateMonitors();
    const int linesPerPage = LinesPerPage(monitors.empty() ? 0 : monitors.front().height);
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

}  // namespace drape
