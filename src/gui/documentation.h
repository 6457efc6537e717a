// The manual that the program carries, and the page viewer that shows it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace drape {

// Text with LF line ends as the viewers show it: CR LF between lines, none after the last.
std::string WithCrLf(std::string_view text);
// The embedded manual: plain text for a fixed-pitch font, lines separated by CR LF.
const std::string& HelpText();
// " Drape v1.81 - 02.04.2016 build 209 save 4605": the viewer's title.
std::string DocumentationTitle();

struct Page {
    size_t start = 0;   // 0-based byte offset into the text
    size_t length = 0;  // bytes, without the CR LF that ends the page
};

// Splits text at CR LF into pages of `linesPerPage` lines (at least one line per page).
std::vector<Page> SplitPages(const std::string& text, int linesPerPage);
// Lines per page for a main display of `height` pixels.
int LinesPerPage(int height);

// Shows `text` page by page until the user closes the viewer: in a window of its own where a
// graphical display is reachable, else in the terminal's pager; without either the text is
// printed whole.
void ShowDocumentation(const std::string& title, const std::string& text);
// The viewer's stand-in without a window: the terminal's pager, or the text printed whole.
void ShowPagesInTerminal(const std::string& title, const std::string& text, int linesPerPage);

// The viewer window's controls.
enum ViewerControl : int {
    kPageText = 300,
    kPageCounter,
    kPreviousPageButton,
    kNextPageButton,
    kCloseViewerButton,
};
inline constexpr const char* kViewerFace = "Courier New";
inline constexpr int kViewerPoints = 9;

}  // namespace drape
