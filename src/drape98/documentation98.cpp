#include "drape98/documentation98.h"

#include <algorithm>
#include <string>
#include <vector>

#include "drape98/product98.h"
#include "drape98/release_notes98.h"
#include "drape98/run98.h"
#include "gui/documentation.h"
#include "platform/narrow.h"
#include "platform/platform.h"
#include "state/settings.h"

namespace drape {

namespace {

constexpr int kMargin98 = 16;

platform::ControlSpec control98(int id, platform::ControlKind kind, platform::ControlRect rect,
                                const char* text) {
    platform::ControlSpec spec;
    spec.id = id;
    spec.kind = kind;
    spec.rect = rect;
    spec.text = text;
    return spec;
}

std::vector<platform::ControlSpec> viewerControls98(int h) {
    using platform::ControlKind;
    platform::ControlSpec page =
        control98(kPageText98, ControlKind::WrappingLabel, {16, 16, kPageWidth98, h - 50}, "");
    page.fontFace = kViewerFace;
    page.fontPoints = kViewerPoints;
    return {
        page,
        control98(kPreviousPageButton98, ControlKind::PushButton, {360, h - 12, 50, 22}, "<"),
        control98(kNextPageButton98, ControlKind::PushButton, {410, h - 12, 50, 22}, ">"),
        control98(kCloseButton98, ControlKind::PushButton, {460, h - 12, 50, 22}, "Ok"),
    };
}

// The page viewer in its window; false when none could be opened.
bool showInWindow98(const std::string& title, const std::string& text, int linesFit,
                    int pageLines) {
    platform::Platform& os = platform::current();
    platform::Controls& ui = os.controls();
    const int h = linesFit * kPixelsPerPageLine98;
    platform::Narrow& narrow = platform::currentNarrow();
    const platform::WindowId window = ui.openWindow(
        {narrow.toUtf8(title), kPageWidth98 + kMargin98, h + kMargin98, true}, viewerControls98(h));
    if (window == 0) {
        return false;
    }
    const std::vector<Page> pages = SplitPages(text, pageLines);
    const int count = static_cast<int>(pages.size());
    int page = 1;
    const auto showPage = [&] {
        const Page& at = pages[static_cast<size_t>(page - 1)];
        ui.setControlText(kPageText98, narrow.toUtf8(text.substr(at.start, at.length)));
    };
    showPage();
    for (;;) {
        ui.setEnabled(kPreviousPageButton98, page > 1);
        ui.setEnabled(kNextPageButton98, page < count);
        const platform::Event event = os.waitEvent(platform::kWaitForever);
        if ((event.kind == platform::EventKind::Close && event.window == window) ||
            (event.kind == platform::EventKind::Key &&
             (event.key == platform::Key::Return || event.key == platform::Key::Escape))) {
            break;
        }
        if (event.kind != platform::EventKind::Control) {
            continue;
        }
        if (event.controlId == kCloseButton98) {
            break;
        }
        if (event.controlId == kPreviousPageButton98 && page > 1) {
            --page;
        } else if (event.controlId == kNextPageButton98 && page < count) {
            ++page;
        }
        showPage();
    }
    ui.closeWindow(window);
    return true;
}

}  // namespace

const std::string& ReleaseNotes98() {
    static const std::string text = WithCrLf(kReleaseNotes98);
    return text;
}

std::string DocumentationTitle98() {
    return std::string(" ") + kProductTitle98 + " - 22.08.10 build 3 save 3";
}

void ShowDocumentation98(const std::string& title, const std::string& text, int reservedLines) {
    platform::Platform& os = platform::current();
    CheckScreens98();
    const MonitorTable& table = state().monitors;
    const int height = table.count > 0 ? table.records[0].height : 0;
    const int linesFit = height / kPixelsPerLine98;
    // A display too small for a line, or more lines reserved than fit, still shows one.
    const int pageLines = std::max(linesFit - reservedLines, 1);
    if (os.hasGraphicalDisplay() && linesFit >= 3 &&
        showInWindow98(title, text, linesFit, pageLines)) {
        return;
    }
    ShowPagesInTerminal(platform::currentNarrow().toUtf8(title),
                        platform::currentNarrow().toUtf8(text), pageLines);
}

}  // namespace drape
