// The win32 backend's Controls concern: top-level windows of native controls (statics,
// buttons, combo boxes, edits, icons, tooltips), their keyboard rules, the file and folder
// choosers and the clipboard. Their events go into the window layer's queue, which the
// Windowing concern's wait hands out.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/controls.h"
#include "platform/platform.h"
#include "platform/win32/win32_window_layer.h"

namespace drape::platform::win32 {

// The window class of the windows with controls, for whoever looks them up.
inline constexpr const wchar_t* kControlsWindowClass = L"DrapeControlsWindow";

// Our filter ("Image (*.JPG)|*.jpg;*.png|All (*.*)|*.*") in the form the file-open chooser
// reads: each name and pattern ended by a NUL, the whole by a second one. A name without a
// pattern is dropped; an empty result means no filter.
std::wstring win32FileFilter(const std::string& filter);

// A 32-bit icon with its alpha channel; nullptr for a picture without pixels.
HICON makeIcon(const IconPixels& icon);

class Win32Controls final : public Controls, private MessageFilter {
  public:
    // Installs itself as the layer's message filter for as long as it lives; `windowing` tells
    // whether anyone can see a window (a service's desktop is not shown).
    Win32Controls(WindowLayer& layer, Windowing& windowing);
    ~Win32Controls() override;
    Win32Controls(const Win32Controls&) = delete;
    Win32Controls& operator=(const Win32Controls&) = delete;

    WindowId openWindow(const WindowSpec& window,
                        const std::vector<ControlSpec>& controls) override;
    void closeWindow(WindowId window) override;
    void showWindow(WindowId window, bool visible) override;
    void requestClose(WindowId window) override;
    std::string controlText(int id) override;
    void setControlText(int id, const std::string& text) override;
    bool ticked(int id) override;
    void setTicked(int id, bool ticked) override;
    int listIndex(int id) override;
    void setListIndex(int id, int index) override;
    void setEnabled(int id, bool enabled) override;
    void setVisible(int id, bool visible) override;
    std::string chooseFile(const std::string& title, const std::string& filter) override;
    std::string chooseFolder(const std::string& title) override;
    void setClipboardText(const std::string& text) override;

    // The native windows behind the ids (nullptr for none): for tests and tools.
    HWND windowHandle(WindowId window) const;
    HWND controlHandle(int id) const;

  private:
    struct Control {
        ControlSpec spec;
        WindowId window = 0;
        HWND handle = nullptr;
        HICON icon = nullptr;  // owned
    };
    struct Window {
        WindowSpec spec;
        HWND handle = nullptr;
        HWND tooltip = nullptr;
        HWND focus = nullptr;  // the control that had the focus when the window went inactive
        std::map<std::pair<std::string, int>, HFONT> fonts;  // owned, by face and points
        std::vector<std::unique_ptr<Control>> controls;      // table order
    };

    bool preTranslate(MSG& message) override;
    HWND ownerWindow() override;

    static LRESULT CALLBACK windowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onMessage(Window& window, UINT message, WPARAM wParam, LPARAM lParam);
    // Applies the keyboard rules to a key press in one of our windows; true when handled.
    bool handleKey(Window& window, const MSG& message);
    void createControl(Window& window, Control& control);
    HFONT fontFor(Window& window, const ControlSpec& spec);
    void addTooltip(Window& window, const Control& control);
    void focusFirst(Window& window);
    Window* windowOf(HWND handle);
    Control* find(int id) const;
    Control* controlOf(HWND handle) const;
    WindowId idOf(const Window& window) const;

    WindowLayer& layer_;
    Windowing& windowing_;
    WindowId nextWindow_ = 1;
    std::map<WindowId, Window> windows_;
    std::map<int, Control*> byId_;  // the controls that have an id, of every window
    std::map<HWND, Control*> byHandle_;
    // Set while the program itself changes a field, whose change notice is no user's edit.
    bool settingText_ = false;
};

}  // namespace drape::platform::win32
