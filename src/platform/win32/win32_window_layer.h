// The window layer that the Windowing and Controls concerns of the win32 backend share: the
// thread's one message loop, the queue of events it hands to the program, the hidden event
// window and the program window. Only the backend's own files include this header.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <string>

#include "platform/platform.h"

namespace drape::platform::win32 {

// What the loop asks of the part that owns windows with controls.
class MessageFilter {
  public:
    virtual ~MessageFilter() = default;
    // Handles a message before it is translated and dispatched (keyboard rules, dialog
    // navigation); true when it was handled and must not be dispatched.
    virtual bool preTranslate(MSG& message) = 0;
    // The window that modal boxes and choosers belong to; nullptr for none.
    virtual HWND ownerWindow() = 0;
};

class WindowLayer {
  public:
    // Registers the terminate message and the window classes and creates the event window.
    WindowLayer();
    ~WindowLayer();
    WindowLayer(const WindowLayer&) = delete;
    WindowLayer& operator=(const WindowLayer&) = delete;

    UINT terminateMessage() const { return terminateMessage_; }
    // The hidden top-level window the layer owns from start-up to exit; nullptr when it could
    // not be made.
    HWND eventWindow() const { return eventWindow_; }
    HWND programWindow() const { return programWindow_; }

    bool openProgramWindow(const std::string& title);
    void closeProgramWindow();

    // Queues an event for the program's wait, behind those queued before.
    void push(const Event& event) { events_.push_back(event); }
    // Forgets the queued events of a window that is gone.
    void dropEventsOf(WindowId window);
    // The next event, at most `timeoutMs` (kWaitForever: none) from now.
    Event wait(uint32_t timeoutMs);

    void setFilter(MessageFilter* filter) { filter_ = filter; }
    HWND ownerWindow() { return filter_ != nullptr ? filter_->ownerWindow() : nullptr; }

  private:
    static LRESULT CALLBACK listenerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Dispatches one message; false when the queue had none.
    bool pumpOne();

    UINT terminateMessage_ = 0;
    HWND eventWindow_ = nullptr;
    HWND programWindow_ = nullptr;
    std::deque<Event> events_;
    MessageFilter* filter_ = nullptr;
};

}  // namespace drape::platform::win32
