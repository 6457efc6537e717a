// [X] File-open and folder choosers: FLTK's own chooser (it needs nothing but the X display),
//     modal, "" when cancelled; our filter converted by fltkFileFilter
// [X] Clipboard: the text as Unicode on the CLIPBOARD selection, served while the program waits
// [X] Message box: modal, titled with the caption, one OK button, the error icon for
//     kMbIconError; Return, Escape or OK close it
// [ ] The chooser's starting folder: it opens in the current folder
// The session first: its header orders ours before FLTK's and Xlib's macros.
#include "platform/posix/fltk_session.h"

#include <FL/Fl.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/fl_ask.H>

#include <string>

namespace drape::platform::posix {

namespace {

// Runs a chooser until it is closed; its value, or "" when cancelled.
std::string runChooser(Fl_File_Chooser& chooser) {
    chooser.show();
    while (chooser.shown() != 0) {
        Fl::wait();
    }
    const char* chosen = chooser.value();
    return chosen != nullptr ? chosen : "";
}

}  // namespace

std::string FltkSession::chooseFile(const std::string& title, const std::string& filter) {
    const std::string patterns = fltkFileFilter(filter);
    Fl_File_Chooser chooser(".", patterns.c_str(), Fl_File_Chooser::SINGLE, title.c_str());
    std::string chosen = runChooser(chooser);
    // The chooser answers a folder when one is typed and accepted; that is no file.
    if (!chosen.empty() && chosen.back() == '/') {
        return {};
    }
    return chosen;
}

std::string FltkSession::chooseFolder(const std::string& title) {
    Fl_File_Chooser chooser(".", "*", Fl_File_Chooser::DIRECTORY, title.c_str());
    std::string chosen = runChooser(chooser);
    // Folders come back without the separator at the end, as Windows' folder browser gives them.
    while (chosen.size() > 1 && chosen.back() == '/') {
        chosen.pop_back();
    }
    return chosen;
}

void FltkSession::setClipboardText(const std::string& text) {
    Fl::copy(text.data(), static_cast<int>(text.size()), 1);
    // Other programs fetch the text from us, so the wait must keep answering them.
    clipboardHeld_ = true;
}

void FltkSession::messageBox(const std::string& caption, const std::string& text, uint32_t flags) {
    fl_message_title(caption.c_str());
    fl_close = "OK";
    // Centred on the screen like Windows' boxes, not under the mouse.
    fl_message_hotspot(0);
    if ((flags & kMbIconError) != 0) {
        fl_alert("%s", text.c_str());
    } else {
        fl_message("%s", text.c_str());
    }
    // FLTK keeps the box for the next one; unmapping it must not wait for the next wait.
    Fl::flush();
}

}  // namespace drape::platform::posix
