// [X] messageBox: MessageBoxW owned by the open window with controls, MB_OK plus the flags;
//     without an interactive desktop the box could never be dismissed, so its caption and
//     text go to standard error instead
// [X] The terminate message registered as "drape - terminate"; the program window an
//     invisible top-level window at (10, 10), 100 x 100, titled as asked
// [X] The layer's hidden top-level event window, made at start-up: with the program window
//     each instance owns two top-level windows that hear every broadcast, so each broadcast
//     is counted twice, which the resident loop's "more than 2" rule relies on. The windows
//     with controls hear it too but do not count, so the count is the same with them open.
// [X] broadcastTerminate: PostMessageW(HWND_BROADCAST, message, 0, 0)
// [X] waitEvent: MsgWaitForMultipleObjectsEx and PeekMessageW, no busy waiting; Terminate,
//     Control, Close and Key events queued by the window procedures come out in order, any
//     other message is Other, the time-out None
// [X] hasGraphicalDisplay: the process's window station is interactive (WSF_VISIBLE)
// [X] Page viewer (win32_console_pager.cpp) for a console without a desktop
#include "platform/win32/win32_windowing.h"

#include <algorithm>

#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window_layer.h"

namespace drape::platform::win32 {

namespace {

// The program window's place and size; it is never shown, but tools that list windows see it.
constexpr int kProgramWindowX = 10;
constexpr int kProgramWindowY = 10;
constexpr int kProgramWindowSize = 100;

ATOM registerListenerClass(const wchar_t* name, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = name;
    const ATOM atom = RegisterClassExW(&windowClass);
    // Several layers in one process (tests) share the classes.
    return atom != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS ? ATOM{1} : ATOM{0};
}

}  // namespace

void writeToStandardHandle(DWORD which, const std::string& text) {
    const HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        const std::wstring units = wide(text);
        WriteConsoleW(handle, units.data(), static_cast<DWORD>(units.size()), &written, nullptr);
    } else {
        WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
}

WindowLayer::WindowLayer() : terminateMessage_(RegisterWindowMessageW(kTerminateMessageName)) {
    if (registerListenerClass(kProgramWindowClass, listenerProc) == 0 ||
        registerListenerClass(kEventWindowClass, listenerProc) == 0) {
        return;
    }
    // Top-level, not message-only: a message-only window hears no broadcast.
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
    // What it heard is gone with it, as on a socket that closes.
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
        // Without the program window the instance is not listening; the event window's copy
        // of a broadcast counts only beside the program window's.
        if (layer->programWindow_ != nullptr) {
            layer->push({EventKind::Terminate});
        }
        return 0;
    }
    if (message == WM_CLOSE) {
        // A close request for the instance (a tool asking it to end) is the program
        // window's close; the event window stays as long as the layer.
        if (window == layer->programWindow_) {
            layer->push({EventKind::Close, 0, 0});
        }
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
        // Nothing here ends the loop by quitting; leave it for whoever posted it.
        PostQuitMessage(static_cast<int>(message.wParam));
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
        // Peeking delivers messages sent from other threads and processes, which may have
        // queued events.
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

Win32Windowing::Win32Windowing() : layer_(std::make_unique<WindowLayer>()) {}

Win32Windowing::~Win32Windowing() {
    closeViewer();
}

void Win32Windowing::messageBox(const std::string& caption, const std::string& text,
                                uint32_t flags) {
    if (!hasGraphicalDisplay()) {
        writeToStandardHandle(STD_ERROR_HANDLE, caption + ": " + text + "\r\n");
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

Event Win32Windowing::waitEvent(uint32_t timeoutMs) {
    return layer_->wait(timeoutMs);
}

bool Win32Windowing::hasGraphicalDisplay() {
    const HWINSTA station = GetProcessWindowStation();
    USEROBJECTFLAGS flags{};
    return station != nullptr &&
           GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr) &&
           (flags.dwFlags & WSF_VISIBLE) != 0;
}

}  // namespace drape::platform::win32
