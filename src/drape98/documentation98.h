// drape98's release notes and the older page viewer that shows them.
#pragma once

#include <string>

namespace drape {

// The embedded release notes: plain text for a fixed-pitch font, lines separated by CR LF.
const std::string& ReleaseNotes98();
// " Drape98 v1.34x - 22.08.10 build 3 save 3": the viewer's title.
std::string DocumentationTitle98();

// Shows `text` page by page until the user closes the viewer: in a window where a graphical
// display is reachable, else in the terminal's pager or printed whole. A page holds the lines
// that fit monitor 0 less `reservedLines`.
void ShowDocumentation98(const std::string& title, const std::string& text, int reservedLines);

// The viewer window's controls and geometry.
enum Viewer98Control : int {
    kPageText98 = 400,
    kPreviousPageButton98,
    kNextPageButton98,
    kCloseButton98,
};
inline constexpr int kPageWidth98 = 500;
inline constexpr int kPixelsPerLine98 = 23;      // of the monitor's height, per line that fits
inline constexpr int kPixelsPerPageLine98 = 17;  // of the text area

}  // namespace drape
