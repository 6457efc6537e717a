// Windows and their controls: the small widget vocabulary that the settings window and the
// documentation viewer are built from, and that each backend draws with its own toolkit (FLTK
// on posix, native controls on Windows).
//
// Controls are addressed by ids that are unique across the program's windows; their states
// live in the toolkit and are read back when needed. What a control does when it acts arrives
// through `Platform::waitEvent` as `EventKind::Control` with its id, so the program keeps one
// event loop. No toolkit or OS type appears here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace drape::platform {

enum class ControlKind {
    Label,          // one line of text
    WrappingLabel,  // text broken into lines at the control's width
    GroupFrame,     // a frame without a caption around other controls
    DropDownList,   // a list that shows one entry and cannot be typed into
    CheckBox,
    TextField,  // single line, any text
    PushButton,
    IconButton,  // a button that shows a picture instead of text
    Icon,        // a picture alone
};

struct ControlRect {
    int x = 0;  // in the window's client area
    int y = 0;
    int width = 0;
    int height = 0;
};

// A picture for an icon or icon button: 32-bit rows top first, bytes blue, green, red, alpha.
struct IconPixels {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // width * height * 4 bytes
};

struct ControlSpec {
    int id = 0;
    ControlKind kind = ControlKind::Label;
    ControlRect rect;
    std::string text;  // caption or initial text
    std::string tooltip;
    std::vector<std::string> items;  // the entries of a drop-down list
    IconPixels icon;                 // icons and icon buttons
    // A face and size for the text instead of the toolkit's default ("" and 0: the default).
    std::string fontFace;
    int fontPoints = 0;
};

struct WindowSpec {
    std::string title;
    int clientWidth = 0;  // not resizable, centred on the screen, no minimise or maximise box
    int clientHeight = 0;
    // Keys that the window reports as events (`EventKind::Key`) instead of handling them.
    bool reportKeys = false;
};

using WindowId = uint32_t;  // 0 = no window

// Keys a window with `reportKeys` delivers.
enum class Key { Return, Escape, Space, Up, Down };

class Controls {
  public:
    virtual ~Controls() = default;

    // Opens a visible window with its controls; 0 when no graphical display can show one.
    virtual WindowId openWindow(const WindowSpec& window,
                                const std::vector<ControlSpec>& controls) = 0;
    virtual void closeWindow(WindowId window) = 0;
    virtual void showWindow(WindowId window, bool visible) = 0;
    // Queues the close request that the window's close box would make.
    virtual void requestClose(WindowId window) = 0;

    virtual std::string controlText(int id) = 0;
    virtual void setControlText(int id, const std::string& text) = 0;
    virtual bool ticked(int id) = 0;
    virtual void setTicked(int id, bool ticked) = 0;
    virtual int listIndex(int id) = 0;
    virtual void setListIndex(int id, int index) = 0;
    virtual void setEnabled(int id, bool enabled) = 0;
    virtual void setVisible(int id, bool visible) = 0;

    // Modal choosers; each returns "" when cancelled. The filter holds pairs of a name and a
    // pattern list separated by "|": "Image (*.JPG)|*.jpg|All (*.*)|*.*".
    virtual std::string chooseFile(const std::string& title, const std::string& filter) = 0;
    virtual std::string chooseFolder(const std::string& title) = 0;
    // Replaces the clipboard's content with the text.
    virtual void setClipboardText(const std::string& text) = 0;
};

}  // namespace drape::platform
