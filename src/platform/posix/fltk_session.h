// The FLTK side of `FltkControls`: the toolkit's windows and widgets, the queue of events their
// callbacks fill, and the keyboard rules that make the windows behave as a Windows user expects.
// Only the fltk_* files include this header, so FLTK's types stay inside them.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Ours before FLTK's: FLTK brings in Xlib, whose macros (None, Status) would rename ours.
#include "platform/controls.h"
#include "platform/platform.h"
#include "platform/posix/fltk_controls.h"

#include <FL/Fl_Widget.H>
#include <FL/Fl_Window.H>

class Fl_RGB_Image;

namespace drape::platform::posix {

class FltkSession {
  public:
    // Opens FLTK's display connection; `dpi` sizes the texts that ask for points.
    explicit FltkSession(int dpi);
    ~FltkSession();
    FltkSession(const FltkSession&) = delete;
    FltkSession& operator=(const FltkSession&) = delete;

    WindowId openWindow(const WindowSpec& window, const std::vector<ControlSpec>& controls);
    void closeWindow(WindowId window);
    void showWindow(WindowId window, bool visible);
    void queueClose(WindowId window);

    std::string controlText(int id);
    void setControlText(int id, const std::string& text);
    bool ticked(int id);
    void setTicked(int id, bool ticked);
    int listIndex(int id);
    void setListIndex(int id, int index);
    void setEnabled(int id, bool enabled);
    void setVisible(int id, bool visible);

    std::string chooseFile(const std::string& title, const std::string& filter);
    std::string chooseFolder(const std::string& title);
    void setClipboardText(const std::string& text);
    void messageBox(const std::string& caption, const std::string& text, uint32_t flags);

    bool running() const { return !windows_.empty() || clipboardHeld_; }
    bool takeEvent(Event& event);
    void wait(uint32_t timeoutMs, int fd);

    // The keyboard rules for a key press that FLTK is about to deliver to `window`; true when
    // the key was handled here and FLTK must not see it.
    bool handleKey(Fl_Window* window);

  private:
    struct Control {
        ControlSpec spec;
        WindowId window = 0;
        Fl_Widget* widget = nullptr;  // owned by its window
        std::string label;            // the caption as FLTK draws it ('@' and '&' doubled)
        std::vector<uint8_t> rgba;    // the icon's pixels for `image`
        std::unique_ptr<Fl_RGB_Image> image;
        std::vector<std::string> itemLabels;  // the list's entries as FLTK draws them
        FltkSession* session = nullptr;
    };
    struct Window {
        WindowSpec spec;
        Fl_Window* window = nullptr;
        std::vector<std::unique_ptr<Control>> controls;  // table order
    };

    Fl_Widget* makeWidget(Control& control);
    void applyFont(Fl_Widget& widget, const ControlSpec& spec);
    // The FLTK font number of a face, registered at its first use.
    Fl_Font faceNumber(const std::string& face);
    Control* find(int id);
    WindowId windowIdOf(const Fl_Widget* window) const;  // 0: not one of ours
    void push(const Event& event) { events_.push_back(event); }
    static void controlActed(Fl_Widget* widget, void* data);
    static void windowClosing(Fl_Widget* widget, void* data);

    int dpi_;
    WindowId nextWindow_ = 1;
    std::map<WindowId, Window> windows_;
    std::map<int, Control*> byId_;  // the controls that have an id, of every window
    std::deque<Event> events_;
    bool clipboardHeld_ = false;
};

}  // namespace drape::platform::posix
