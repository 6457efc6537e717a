// The win32 backend's Windowing concern: message boxes, the program window and the instances'
// terminate broadcast, the one event wait, and the page viewer of a console without a desktop.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace drape::platform::win32 {

class WindowLayer;

// The name every instance registers the terminate message under.
inline constexpr const wchar_t* kTerminateMessageName = L"drape - terminate";
// Window classes, for whoever looks the windows up (tests, other tools).
inline constexpr const wchar_t* kProgramWindowClass = L"DrapeProgramWindow";
inline constexpr const wchar_t* kEventWindowClass = L"DrapeEventWindow";

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
    Event waitEvent(uint32_t timeoutMs) override;

    bool openViewer(const std::string& title, int linesPerPage) override;
    void showViewerPage(const std::string& page, int number, int count) override;
    ViewerInput waitViewerInput() override;
    void closeViewer() override;
    bool hasGraphicalDisplay() override;

    // The loop and windows that the Controls concern shares.
    WindowLayer& layer() { return *layer_; }

  private:
    std::unique_ptr<WindowLayer> layer_;
    // The console pager's state between openViewer and closeViewer.
    bool viewerOpen_ = false;
    std::string viewerTitle_;
    unsigned long savedInputMode_ = 0;
};

}  // namespace drape::platform::win32
