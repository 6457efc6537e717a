// The win32 backend's Windowing concern: message boxes, the program window and the instances'
// terminate broadcast, and the one event wait, all over the window layer that the Controls
// concern shares.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/win32/win32_window_layer.h"

namespace drape::platform::win32 {

// True when the process's window station is interactive, so that a window can be seen.
bool interactiveDesktop();

// Without an interactive desktop nobody could dismiss a message box: its caption and text
// (UTF-8) go to standard error instead. True when that is where they went.
bool messageBoxToStandardError(const std::string& caption, const std::string& text);

class Win32Windowing final : public Windowing {
  public:
    Win32Windowing();
    ~Win32Windowing() override;
    Win32Windowing(const Win32Windowing&) = delete;
    Win32Windowing& operator=(const Win32Windowing&) = delete;

    void messageBox(const std::string& caption, const std::string& text, uint32_t flags) override;
    bool openProgramWindow(const std::string& title) override;
    void closeProgramWindow() override;
    void broadcastTerminate() override;
    void setBroadcastDeliveries(int deliveries) override;
    Event waitEvent(uint32_t timeoutMs) override;

    // No terminal pager: on Windows the documentation window is made of controls.
    bool openViewer(const std::string&, int) override { return false; }
    void showViewerPage(const std::string&, int, int) override {}
    ViewerInput waitViewerInput() override { return ViewerInput::Close; }
    void closeViewer() override {}
    bool hasGraphicalDisplay() override;

    // The loop and windows that the Controls concern shares.
    WindowLayer& layer() { return *layer_; }

  private:
    std::unique_ptr<WindowLayer> layer_;
};

}  // namespace drape::platform::win32
