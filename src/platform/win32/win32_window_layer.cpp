// [X] The terminate message registered once per layer as "drape - terminate"
// [X] The hidden event window: top-level (a message-only window hears no broadcast), unowned,
//     never shown, alive from start-up to exit
// [X] The program window: an invisible top-level window at (10, 10), 100 x 100, titled as
//     asked. With the event window each instance owns two top-level windows that hear every
//     broadcast, so each broadcast is counted twice while the program window is open, which
//     the resident loop's "more than 2" rule relies on. Windows with controls hear it too, but
//     their procedures do not count it, so the count is the same with them open.
// [X] The one message loop: PeekMessageW, the controls' filter, then translate and dispatch;
//     MsgWaitForMultipleObjectsEx between messages, no busy waiting
// [X] Events queued by the window procedures come out oldest first; a message that queued
//     none is Other, the time-out None; a close request of the program window (WM_CLOSE,
//     the session ending, WM_QUIT) is Close of window 0
#include "platform/win32/win32_window_layer.h"

#include <algorithm>

#include "platform/win32/win32_text.h"

namespace drape::platform::win32 {

namespace {

// The program window's place and size; it is never shown, but tools that list windows see it.
constexpr int kProgramWindowX = 10;
constexpr int kProgramWindowY = 10;
constexpr int kProgramWindowSize = 100;

bool registerClass(const wchar_t* name, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = name;
    // Several layers in one process (the tests) share the classes.
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

WindowLayer::WindowLayer() : terminateMessage_(RegisterWindowMessageW(kTerminateMessageName)) {
    if (!registerClass(kProgramWindowClass, listenerProc) ||
        !registerClass(kEventWindowClass, listenerProc)) {
        return;
    }
    eventWindow_ = CreateWindowExW(WS_EX_TOOLWINDOW, kEventWindowClass, L"", WS_POPUP, 0, 0, 0, 0,
                                   nullptr, nullptr, GetModuleHandleW(nullptr), this);
}

WindowLayer::~WindowLayer() {
    closeProgramWindow();
    if (eventWindow_ != nullptr) {
        DestroyWindow(eventWindow_);
    }
}

bool WindowLayer::openProgramWindow(const std::string& title) {
    if (programWindow_ != nullptr) {
        return true;
    }
    // Not WS_VISIBLE: the window is never shown.
    programWindow_ = CreateWindowExW(0, kProgramWindowClass, wide(title).c_str(),
                                     WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, kProgramWindowX,
                                     kProgramWindowY, kProgramWindowSize, kProgramWindowSize,
                                     nullptr, nullptr, GetModuleHandleW(nullptr), this);
    return programWindow_ != nullptr;
}

void WindowLayer::closeProgramWindow() {
    if (programWindow_ == nullptr) {
        return;
    }
    const HWND window = programWindow_;
    programWindow_ = nullptr;
    DestroyWindow(window);
    // What the instance heard as a listener, and the requests to close it, went with it.
    events_.erase(std::remove_if(events_.begin(), events_.end(),
                                 [](const Event& event) {
                                     return event.kind == EventKind::Terminate ||
                                            (event.kind == EventKind::Close && event.window == 0);
                                 }),
                  events_.end());
}

void WindowLayer::dropEventsOf(WindowId window) {
    events_.erase(std::remove_if(events_.begin(), events_.end(),
                                 [window](const Event& event) {
                                     return event.kind != EventKind::Terminate &&
                                            event.window == window;
                                 }),
                  events_.end());
}

LRESULT CALLBACK WindowLayer::listenerProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    if (message == WM_GETMINMAXINFO) {
        // An overlapped window is kept at least as large as its caption needs; the program
        // window keeps the size it was made with. (This comes before WM_NCCREATE.)
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {0, 0};
        return 0;
    }
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* layer = reinterpret_cast<WindowLayer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (layer == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == layer->terminateMessage_ && layer->terminateMessage_ != 0) {
        // Only an instance with its program window open is listening; then the event
        // window's copy counts as well, unless the program counts one window only.
        if (layer->programWindow_ != nullptr &&
            (window == layer->programWindow_ || layer->eventWindowCounts_)) {
            layer->push({EventKind::Terminate});
        }
        return 0;
    }
    const bool programWindow = window == layer->programWindow_ && window != nullptr;
    if (message == WM_CLOSE) {
        // A request to end the instance is the program window's close; the event window
        // stays as long as the layer.
        if (programWindow) {
            layer->push({EventKind::Close, 0, 0});
        }
        return 0;
    }
    if (message == WM_ENDSESSION && wParam != FALSE && programWindow) {
        layer->push({EventKind::Close, 0, 0});
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool WindowLayer::pumpOne() {
    MSG message{};
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        return false;
    }
    if (message.message == WM_QUIT) {
        // Whoever asked the thread to quit asked the instance to end.
        push({EventKind::Close, 0, 0});
        return true;
    }
    if (filter_ == nullptr || !filter_->preTranslate(message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

Event WindowLayer::wait(uint32_t timeoutMs) {
    const bool forever = timeoutMs == kWaitForever;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (!events_.empty()) {
            const Event event = events_.front();
            events_.pop_front();
            return event;
        }
        if (pumpOne()) {
            if (events_.empty()) {
                return {EventKind::Other};
            }
            continue;
        }
        // Peeking also delivers messages sent from other threads and processes, which may
        // have queued events without leaving a message behind.
        if (!events_.empty()) {
            continue;
        }
        const ULONGLONG now = GetTickCount64();
        if (!forever && now >= deadline) {
            return {};
        }
        const DWORD left = forever ? INFINITE : static_cast<DWORD>(deadline - now);
        MsgWaitForMultipleObjectsEx(0, nullptr, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

}  // namespace drape::platform::win32
