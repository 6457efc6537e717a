// What the win32 tests see of windows: the events the layer hands out, and a message box read
// while it is up.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window_layer.h"

namespace drape::platform::win32 {

// The kinds of events the layer hands out until it stays quiet for `quietMs`, without the
// Other events of messages that queued nothing.
inline std::vector<EventKind> drain(WindowLayer& layer, uint32_t quietMs = 200) {
    std::vector<EventKind> kinds;
    for (;;) {
        const Event event = layer.wait(quietMs);
        if (event.kind == EventKind::None) {
            return kinds;
        }
        if (event.kind != EventKind::Other) {
            kinds.push_back(event.kind);
        }
    }
}

inline size_t terminates(const std::vector<EventKind>& kinds) {
    size_t count = 0;
    for (const EventKind kind : kinds) {
        count += kind == EventKind::Terminate ? 1 : 0;
    }
    return count;
}

// What a message box showed, read by a second thread while the box is up.
struct SeenBox {
    bool found = false;
    HWND owner = nullptr;
    std::vector<std::string> buttons;
    std::vector<std::string> texts;
    bool icon = false;
};

inline BOOL CALLBACK collectChild(HWND child, LPARAM data) {
    auto* seen = reinterpret_cast<SeenBox*>(data);
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    wchar_t text[256] = {};
    GetWindowTextW(child, text, 256);
    const std::wstring kind = className;
    if (kind == L"Button") {
        seen->buttons.push_back(narrow(text));
    } else if (kind == L"Static") {
        const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON) {
            seen->icon = seen->icon ||
                         (IsWindowVisible(child) && SendMessageW(child, STM_GETICON, 0, 0) != 0);
        } else if (text[0] != 0) {
            seen->texts.push_back(narrow(text));
        }
    }
    return TRUE;
}

// Calls `show`, which puts up a modal box of the caption (UTF-8), and reads the box from a second
// thread before pressing its OK button.
inline SeenBox readBoxWhileShown(const std::string& caption, const std::function<void()>& show) {
    SeenBox seen;
    std::thread reader([&] {
        const ULONGLONG deadline = GetTickCount64() + 20000;
        HWND box = nullptr;
        while (box == nullptr && GetTickCount64() < deadline) {
            Sleep(50);
            box = FindWindowW(L"#32770", wide(caption).c_str());
        }
        if (box == nullptr) {
            return;
        }
        Sleep(200);  // let it lay out its controls
        seen.found = true;
        seen.owner = GetWindow(box, GW_OWNER);
        EnumChildWindows(box, collectChild, reinterpret_cast<LPARAM>(&seen));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    show();
    reader.join();
    return seen;
}

}  // namespace drape::platform::win32
