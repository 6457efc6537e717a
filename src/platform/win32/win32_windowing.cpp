// [X] messageBox: MessageBoxW with one OK button plus the flags (0, or MB_ICONERROR), owned by
//     the window the controls name; without an interactive desktop nobody could dismiss the
//     box, so its caption and text go to standard error instead
// [X] openProgramWindow/closeProgramWindow, waitEvent: the window layer
//     (win32_window_layer.cpp)
// [X] broadcastTerminate: PostMessageW(HWND_BROADCAST, terminate message, 0, 0)
// [X] setBroadcastDeliveries: 1 leaves the event window's copy uncounted (drape98's one window)
// [X] hasGraphicalDisplay: the process's window station is interactive (WSF_VISIBLE)
// [X] Page viewer: none (openViewer false); the documentation window is built from controls
#include "platform/win32/win32_windowing.h"

#include "platform/win32/win32_system.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window_layer.h"

namespace drape::platform::win32 {

Win32Windowing::Win32Windowing() : layer_(std::make_unique<WindowLayer>()) {}

Win32Windowing::~Win32Windowing() = default;

bool interactiveDesktop() {
    const HWINSTA station = GetProcessWindowStation();
    USEROBJECTFLAGS flags{};
    return station != nullptr &&
           GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr) &&
           (flags.dwFlags & WSF_VISIBLE) != 0;
}

bool messageBoxToStandardError(const std::string& caption, const std::string& text) {
    if (interactiveDesktop()) {
        return false;
    }
    writeToStandardError(caption + ": " + text + "\r\n");
    return true;
}

void Win32Windowing::messageBox(const std::string& caption, const std::string& text,
                                uint32_t flags) {
    if (messageBoxToStandardError(caption, text)) {
        return;
    }
    MessageBoxW(layer_->ownerWindow(), wide(text).c_str(), wide(caption).c_str(), MB_OK | flags);
}

bool Win32Windowing::openProgramWindow(const std::string& title) {
    return layer_->openProgramWindow(title);
}

void Win32Windowing::closeProgramWindow() {
    layer_->closeProgramWindow();
}

void Win32Windowing::broadcastTerminate() {
    if (layer_->terminateMessage() != 0) {
        PostMessageW(HWND_BROADCAST, layer_->terminateMessage(), 0, 0);
    }
}

void Win32Windowing::setBroadcastDeliveries(int deliveries) {
    layer_->setEventWindowCounts(deliveries >= 2);
}

Event Win32Windowing::waitEvent(uint32_t timeoutMs) {
    return layer_->wait(timeoutMs);
}

bool Win32Windowing::hasGraphicalDisplay() {
    return interactiveDesktop();
}

}  // namespace drape::platform::win32
