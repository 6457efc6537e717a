// Windows with controls drawn by FLTK 1.3 on the X display, and the part of the event wait
// that runs FLTK. No FLTK type appears here: the toolkit's objects live behind `FltkSession`,
// which is made at the first use that finds a display, so a run without one never starts FLTK.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/controls.h"
#include "platform/platform.h"
#include "platform/unavailable.h"

namespace drape::platform::posix {

// What the program's event wait needs of the toolkit that draws the windows with controls.
class WindowToolkit {
  public:
    virtual ~WindowToolkit() = default;
    // True while the toolkit must be run to do its part: windows are open, or the clipboard
    // holds text that other programs may ask for.
    virtual bool running() = 0;
    // Takes the oldest queued control, close or key event; false when none is queued.
    virtual bool takeEvent(Event& event) = 0;
    // Handles the toolkit's input until something happened or `timeoutMs` passed
    // (kWaitForever: no limit), returning early also when `fd` (-1: none) becomes readable.
    virtual void wait(uint32_t timeoutMs, int fd) = 0;
    // A modal box with one OK button; false (at once) when no display can show one.
    virtual bool messageBox(const std::string& caption, const std::string& text,
                            uint32_t flags) = 0;
};

class FltkSession;

// Our filter ("Image (*.JPG)|*.jpg;*.jpeg|All (*.*)|*.*") in the form FLTK's file chooser reads:
// entries "Name (pattern)" separated by tabs, several patterns as one "{a,b}" alternative.
std::string fltkFileFilter(const std::string& filter);

// The pixel size of a text of `points` points on a display of `dpi` dots per inch.
int pointsToPixels(int points, int dpi);

class FltkControls final : public Controls, public WindowToolkit {
  public:
    // `windowing` tells whether a display is reachable, `drawing` its resolution.
    FltkControls(Windowing& windowing, Drawing& drawing);
    ~FltkControls() override;
    FltkControls(const FltkControls&) = delete;
    FltkControls& operator=(const FltkControls&) = delete;

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

    bool running() override;
    bool takeEvent(Event& event) override;
    void wait(uint32_t timeoutMs, int fd) override;
    bool messageBox(const std::string& caption, const std::string& text, uint32_t flags) override;

  private:
    // The session once a display was found; nullptr before the first use and without one.
    FltkSession* session();

    Windowing& windowing_;
    Drawing& drawing_;
    bool decided_ = false;
    std::unique_ptr<FltkSession> session_;
    UnavailableControls unavailable_;
};

}  // namespace drape::platform::posix
