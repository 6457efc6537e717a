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

// The name every instance registers the terminate message under.
inline constexpr const wchar_t* kTerminateMessageName = L"drape - terminate";
// Window classes, for whoever looks the windows up (tests, other tools).
inline constexpr const wchar_t* kProgramWindowClass = L"DrapeProgramWindow";
inline constexpr const wchar_t* kEventWindowClass = L"DrapeEventWindow";

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
    // The layer belongs to the thread that made it, which alone may wait on it.
    WindowLayer();
    ~WindowLayer();
    WindowLayer(const WindowLayer&) = delete;
    WindowLayer& operator=(const WindowLayer&) = delete;

    UINT terminateMessage() const { return terminateMessage_; }
    // The hidden top-level window the layer owns from start-up to exit; nullptr when it could
    // not be made.
    HWND eventWindow() const { return eventWindow_; }
    HWND programWindow() const { return programWindow_; }

    // Opens the invisible program window (nothing when it is open already); false when it
    // cannot be made. Terminate broadcasts count only while it is open.
    bool openProgramWindow(const std::string& title);
    // Whether the event window's copy of a broadcast counts beside the program window's.
    void setEventWindowCounts(bool counts) { eventWindowCounts_ = counts; }
    // Closes it and forgets the broadcasts and close requests it had queued.
    void closeProgramWindow();

    // Queues an event for the program's wait, behind those queued before.
    void push(const Event& event) { events_.push_back(event); }
    // Forgets the queued events of a window that is gone (broadcasts stay: they are the
    // instance's).
    void dropEventsOf(WindowId window);
    // The next event, at most `timeoutMs` (kWaitForever: no limit) from now: a queued one, else
    // Other for a message that queued none, else None when the time is up.
    Event wait(uint32_t timeoutMs);

    void setFilter(MessageFilter* filter) { filter_ = filter; }
    HWND ownerWindow() { return filter_ != nullptr ? filter_->ownerWindow() : nullptr; }

  private:
    static LRESULT CALLBACK listenerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Dispatches one message; false when the thread's queue had none.
    bool pumpOne();

    UINT terminateMessage_ = 0;
    HWND eventWindow_ = nullptr;
    bool eventWindowCounts_ = true;
    HWND programWindow_ = nullptr;
    std::deque<Event> events_;
    MessageFilter* filter_ = nullptr;
};

}  // namespace drape::platform::win32
