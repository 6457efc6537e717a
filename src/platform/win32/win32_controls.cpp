// [X] No window where the desktop is not shown (a service's): openWindow gives 0
// [X] Top-level windows of an exact client size (AdjustWindowRectEx), centred on the work
//     area, a caption with only a close box, not resizable
// [X] Every control kind: STATIC labels (wrapping or not, "&" shown as it is), a caption-less
//     BS_GROUPBOX frame, CBS_DROPDOWNLIST lists, BS_AUTOCHECKBOX boxes, ES_AUTOHSCROLL edits,
//     push buttons, BS_ICON buttons and SS_ICON pictures from 32-bit pixels with alpha
// [X] Tooltips (tooltips_class32, TTF_SUBCLASS | TTF_IDISHWND); the default GUI font, or a
//     face at a size in points for the display's vertical DPI
// [X] Events into the layer's queue: BN_CLICKED, CBN_SELCHANGE and the user's EN_CHANGE as
//     Control, WM_CLOSE and requestClose as Close, the reported keys of reportKeys windows
// [X] Keyboard through IsDialogMessageW: Tab / Shift-Tab in table order, Space ticks, Up /
//     Down choose on a closed list; Return presses a focused button, Escape closes; the first
//     control that takes the focus has it when the window opens, and again when it comes back
// [X] Choosers and clipboard (win32_dialogs.cpp)
// [ ] Keyboard accelerators (Alt + letter) and a default button: the windows have none
#include "platform/win32/win32_controls.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/win32_text.h"

namespace drape::platform::win32 {

namespace {

// How far below a closed drop-down list its open list reaches.
constexpr int kDropDownListHeight = 240;
// Long tooltips break into lines of at most this width.
constexpr int kTooltipWidth = 400;

bool takesFocus(ControlKind kind) {
    switch (kind) {
        case ControlKind::DropDownList:
        case ControlKind::CheckBox:
        case ControlKind::TextField:
        case ControlKind::PushButton:
        case ControlKind::IconButton:
            return true;
        default:
            return false;
    }
}

bool isButton(ControlKind kind) {
    return kind == ControlKind::PushButton || kind == ControlKind::IconButton;
}

// Buttons and check boxes underline the letter after "&"; doubling it shows the text as it is.
std::wstring buttonCaption(const std::string& text) {
    std::wstring out;
    for (const wchar_t c : wide(text)) {
        if (c == L'&') {
            out += c;
        }
        out += c;
    }
    return out;
}

std::wstring captionOf(const ControlSpec& spec) {
    switch (spec.kind) {
        case ControlKind::CheckBox:
        case ControlKind::PushButton:
            return buttonCaption(spec.text);
        case ControlKind::Label:
        case ControlKind::WrappingLabel:
        case ControlKind::TextField:
            return wide(spec.text);
        default:
            return {};
    }
}

struct NativeKind {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

NativeKind nativeKind(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
            return {L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
        case ControlKind::WrappingLabel:
            return {L"STATIC", SS_LEFT | SS_NOPREFIX, 0};
        case ControlKind::GroupFrame:
            return {L"BUTTON", BS_GROUPBOX, 0};
        case ControlKind::DropDownList:
            return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
        case ControlKind::CheckBox:
            return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
        case ControlKind::TextField:
            return {L"EDIT", ES_AUTOHSCROLL | ES_LEFT | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case ControlKind::PushButton:
            return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
        case ControlKind::IconButton:
            return {L"BUTTON", BS_PUSHBUTTON | BS_ICON | WS_TABSTOP, 0};
        case ControlKind::Icon:
            return {L"STATIC", SS_ICON | SS_CENTERIMAGE, 0};
    }
    return {L"STATIC", 0, 0};
}

// The tooltips need the common controls loaded; the class is registered once per process.
bool registerWindowClass(WNDPROC procedure) {
    static bool registered = false;
    if (registered) {
        return true;
    }
    INITCOMMONCONTROLSEX common{sizeof common, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&common);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    constexpr WORD kArrowCursor = 32512;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(kArrowCursor));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kControlsWindowClass;
    registered =
        RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return registered;
}

int windowHeight(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return static_cast<int>(rect.bottom - rect.top);
}

// A closed list is as high as its selection field and the border around it, which the font
// decides; the field is made to fit the list's place in the table. Implementations disagree on
// whether the height that is read back includes the field's padding, so each setting is
// measured and corrected by what it missed.
void fitClosedHeight(HWND list, int height) {
    LRESULT field = SendMessageW(list, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    for (int pass = 0; pass < 3 && field > 0; ++pass) {
        const int missed = height - windowHeight(list);
        if (missed == 0 || field + missed <= 0) {
            return;
        }
        field += missed;
        SendMessageW(list, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
}

bool modifierHeld() {
    return (GetKeyState(VK_SHIFT) | GetKeyState(VK_CONTROL) | GetKeyState(VK_MENU)) < 0;
}

}  // namespace

HICON makeIcon(const IconPixels& icon) {
    if (icon.width <= 0 || icon.height <= 0 ||
        icon.pixels.size() <
            static_cast<size_t>(icon.width) * static_cast<size_t>(icon.height) * 4) {
        return nullptr;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = icon.width;
    info.bmiHeader.biHeight = -icon.height;  // rows top first, as the pixels come
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC screen = GetDC(nullptr);
    HBITMAP colour = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (colour == nullptr) {
        return nullptr;
    }
    std::copy_n(icon.pixels.data(), static_cast<size_t>(icon.width) * icon.height * 4,
                static_cast<uint8_t*>(bits));
    // With a 32-bit colour bitmap the alpha channel decides; the mask only has to exist.
    HBITMAP mask = CreateBitmap(icon.width, icon.height, 1, 1, nullptr);
    ICONINFO parts{};
    parts.fIcon = TRUE;
    parts.hbmMask = mask;
    parts.hbmColor = colour;
    const HICON made = mask != nullptr ? CreateIconIndirect(&parts) : nullptr;
    DeleteObject(colour);
    if (mask != nullptr) {
        DeleteObject(mask);
    }
    return made;
}

Win32Controls::Win32Controls(WindowLayer& layer, Windowing& windowing)
    : layer_(layer), windowing_(windowing) {
    layer_.setFilter(this);
}

Win32Controls::~Win32Controls() {
    while (!windows_.empty()) {
        closeWindow(windows_.begin()->first);
    }
    layer_.setFilter(nullptr);
}

WindowId Win32Controls::openWindow(const WindowSpec& spec,
                                   const std::vector<ControlSpec>& controls) {
    // A window on a desktop nobody sees could never be closed.
    if (!windowing_.hasGraphicalDisplay() || !registerWindowClass(windowProc)) {
        return 0;
    }

    constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
    RECT frame{0, 0, spec.clientWidth, spec.clientHeight};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT area{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) {
        area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    const int x = area.left + (area.right - area.left - width) / 2;
    const int y = area.top + (area.bottom - area.top - height) / 2;

    const WindowId id = nextWindow_++;
    Window& entry = windows_[id];
    entry.spec = spec;
    HWND handle =
        CreateWindowExW(kExStyle, kControlsWindowClass, wide(spec.title).c_str(), kStyle, x, y,
                        width, height, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (handle == nullptr) {
        windows_.erase(id);
        return 0;
    }
    entry.handle = handle;
    entry.tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                    WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, handle, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
    if (entry.tooltip != nullptr) {
        SendMessageW(entry.tooltip, TTM_SETMAXTIPWIDTH, 0, kTooltipWidth);
    }
    for (const ControlSpec& controlSpec : controls) {
        auto control = std::make_unique<Control>();
        control->spec = controlSpec;
        control->window = id;
        createControl(entry, *control);
        if (control->handle != nullptr) {
            byHandle_[control->handle] = control.get();
        }
        // Ids are unique across windows; a repeated one, or the labels' 0, is not addressable.
        if (controlSpec.id != 0 && byId_.count(controlSpec.id) == 0) {
            byId_[controlSpec.id] = control.get();
        }
        addTooltip(entry, *control);
        entry.controls.push_back(std::move(control));
    }
    ShowWindow(handle, SW_SHOW);
    UpdateWindow(handle);
    SetForegroundWindow(handle);
    focusFirst(entry);
    return id;
}

void Win32Controls::createControl(Window& window, Control& control) {
    const ControlSpec& spec = control.spec;
    const NativeKind native = nativeKind(spec.kind);
    const int height = spec.kind == ControlKind::DropDownList
                           ? spec.rect.height + kDropDownListHeight
                           : spec.rect.height;
    control.handle = CreateWindowExW(native.exStyle, native.className, captionOf(spec).c_str(),
                                     WS_CHILD | WS_VISIBLE | native.style, spec.rect.x, spec.rect.y,
                                     spec.rect.width, height, window.handle,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)),
                                     GetModuleHandleW(nullptr), nullptr);
    if (control.handle == nullptr) {
        return;
    }
    SendMessageW(control.handle, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(window, spec)),
                 FALSE);
    if (spec.kind == ControlKind::DropDownList) {
        for (const std::string& item : spec.items) {
            SendMessageW(control.handle, CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(wide(item).c_str()));
        }
        fitClosedHeight(control.handle, spec.rect.height);
        SendMessageW(control.handle, CB_SETCURSEL, spec.items.empty() ? -1 : 0, 0);
    } else if (spec.kind == ControlKind::IconButton || spec.kind == ControlKind::Icon) {
        control.icon = makeIcon(spec.icon);
        if (control.icon != nullptr) {
            if (spec.kind == ControlKind::IconButton) {
                SendMessageW(control.handle, BM_SETIMAGE, IMAGE_ICON,
                             reinterpret_cast<LPARAM>(control.icon));
            } else {
                SendMessageW(control.handle, STM_SETICON, reinterpret_cast<WPARAM>(control.icon),
                             0);
            }
        }
    }
}

HFONT Win32Controls::fontFor(Window& window, const ControlSpec& spec) {
    if (spec.fontFace.empty() && spec.fontPoints <= 0) {
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
    const auto key = std::make_pair(spec.fontFace, spec.fontPoints);
    const auto known = window.fonts.find(key);
    if (known != window.fonts.end()) {
        return known->second;
    }
    LOGFONTW font{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    if (spec.fontPoints > 0) {
        const HDC screen = GetDC(nullptr);
        font.lfHeight = -MulDiv(spec.fontPoints, GetDeviceCaps(screen, LOGPIXELSY), 72);
        ReleaseDC(nullptr, screen);
        font.lfWidth = 0;
    }
    if (!spec.fontFace.empty()) {
        const std::wstring face = wide(spec.fontFace);
        const size_t length = std::min(face.size(), static_cast<size_t>(LF_FACESIZE - 1));
        std::copy_n(face.data(), length, font.lfFaceName);
        font.lfFaceName[length] = L'\0';
        font.lfPitchAndFamily = DEFAULT_PITCH;
    }
    HFONT made = CreateFontIndirectW(&font);
    if (made == nullptr) {
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
    window.fonts.emplace(key, made);
    return made;
}

void Win32Controls::addTooltip(Window& window, const Control& control) {
    if (window.tooltip == nullptr || control.handle == nullptr || control.spec.tooltip.empty()) {
        return;
    }
    std::wstring text = wide(control.spec.tooltip);
    TOOLINFOW tool{};
    // The size every version of the common controls accepts.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_SUBCLASS | TTF_IDISHWND;
    tool.hwnd = window.handle;
    tool.uId = reinterpret_cast<UINT_PTR>(control.handle);
    tool.lpszText = text.data();  // the tooltip keeps its own copy
    SendMessageW(window.tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32Controls::focusFirst(Window& window) {
    for (const auto& control : window.controls) {
        if (takesFocus(control->spec.kind) && control->handle != nullptr &&
            IsWindowVisible(control->handle) && IsWindowEnabled(control->handle)) {
            SetFocus(control->handle);
            return;
        }
    }
    // Nothing to focus: the window itself takes the keys.
    SetFocus(window.handle);
}

void Win32Controls::closeWindow(WindowId id) {
    const auto found = windows_.find(id);
    if (found == windows_.end()) {
        return;
    }
    Window& window = found->second;
    for (const auto& control : window.controls) {
        const auto named = byId_.find(control->spec.id);
        if (named != byId_.end() && named->second == control.get()) {
            byId_.erase(named);
        }
        byHandle_.erase(control->handle);
    }
    // Destroying the window takes its controls and tooltip with it; what they queued goes too,
    // as a destroyed window's messages never arrive.
    DestroyWindow(window.handle);
    layer_.dropEventsOf(id);
    for (const auto& control : window.controls) {
        if (control->icon != nullptr) {
            DestroyIcon(control->icon);
        }
    }
    for (const auto& [key, font] : window.fonts) {
        DeleteObject(font);
    }
    windows_.erase(found);
}

void Win32Controls::showWindow(WindowId id, bool visible) {
    const auto found = windows_.find(id);
    if (found == windows_.end()) {
        return;
    }
    Window& window = found->second;
    if (!visible) {
        ShowWindow(window.handle, SW_HIDE);
        return;
    }
    ShowWindow(window.handle, SW_SHOW);
    SetForegroundWindow(window.handle);
    if (window.focus != nullptr && IsWindow(window.focus)) {
        SetFocus(window.focus);
    } else {
        focusFirst(window);
    }
}

void Win32Controls::requestClose(WindowId id) {
    if (windows_.count(id) != 0) {
        layer_.push({EventKind::Close, 0, id});
    }
}

Win32Controls::Control* Win32Controls::find(int id) const {
    const auto found = byId_.find(id);
    return found != byId_.end() ? found->second : nullptr;
}

Win32Controls::Control* Win32Controls::controlOf(HWND handle) const {
    const auto found = byHandle_.find(handle);
    return found != byHandle_.end() ? found->second : nullptr;
}

Win32Controls::Window* Win32Controls::windowOf(HWND handle) {
    for (auto& [id, window] : windows_) {
        if (window.handle == handle) {
            return &window;
        }
    }
    return nullptr;
}

WindowId Win32Controls::idOf(const Window& window) const {
    for (const auto& [id, entry] : windows_) {
        if (&entry == &window) {
            return id;
        }
    }
    return 0;
}

HWND Win32Controls::windowHandle(WindowId id) const {
    const auto found = windows_.find(id);
    return found != windows_.end() ? found->second.handle : nullptr;
}

HWND Win32Controls::controlHandle(int id) const {
    const Control* control = find(id);
    return control != nullptr ? control->handle : nullptr;
}

std::string Win32Controls::controlText(int id) {
    const Control* control = find(id);
    if (control == nullptr) {
        return {};
    }
    switch (control->spec.kind) {
        case ControlKind::TextField: {
            const int length = GetWindowTextLengthW(control->handle);
            std::wstring text(static_cast<size_t>(length) + 1, L'\0');
            const int copied = GetWindowTextW(control->handle, text.data(), length + 1);
            text.resize(static_cast<size_t>(std::max(0, copied)));
            return narrow(text);
        }
        case ControlKind::DropDownList: {
            const LRESULT index = SendMessageW(control->handle, CB_GETCURSEL, 0, 0);
            return index >= 0 && static_cast<size_t>(index) < control->spec.items.size()
                       ? control->spec.items[static_cast<size_t>(index)]
                       : std::string();
        }
        default:
            return control->spec.text;
    }
}

void Win32Controls::setControlText(int id, const std::string& text) {
    Control* control = find(id);
    if (control == nullptr) {
        return;
    }
    switch (control->spec.kind) {
        case ControlKind::DropDownList:
        case ControlKind::IconButton:
        case ControlKind::Icon:
        case ControlKind::GroupFrame:
            return;  // their text is not shown
        case ControlKind::TextField:
            settingText_ = true;
            SetWindowTextW(control->handle, wide(text).c_str());
            settingText_ = false;
            return;
        default:
            control->spec.text = text;
            SetWindowTextW(control->handle, captionOf(control->spec).c_str());
            return;
    }
}

bool Win32Controls::ticked(int id) {
    const Control* control = find(id);
    return control != nullptr && control->spec.kind == ControlKind::CheckBox &&
           SendMessageW(control->handle, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Controls::setTicked(int id, bool ticked) {
    const Control* control = find(id);
    if (control != nullptr && control->spec.kind == ControlKind::CheckBox) {
        SendMessageW(control->handle, BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

int Win32Controls::listIndex(int id) {
    const Control* control = find(id);
    if (control == nullptr || control->spec.kind != ControlKind::DropDownList) {
        return -1;
    }
    const LRESULT index = SendMessageW(control->handle, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

void Win32Controls::setListIndex(int id, int index) {
    const Control* control = find(id);
    if (control == nullptr || control->spec.kind != ControlKind::DropDownList) {
        return;
    }
    const bool inRange = index >= 0 && static_cast<size_t>(index) < control->spec.items.size();
    SendMessageW(control->handle, CB_SETCURSEL, inRange ? index : -1, 0);
}

void Win32Controls::setEnabled(int id, bool enabled) {
    const Control* control = find(id);
    if (control == nullptr) {
        return;
    }
    const bool hadFocus = GetFocus() == control->handle;
    EnableWindow(control->handle, enabled ? TRUE : FALSE);
    // A disabled control keeps the focus but hears no keys: hand it on, as a dialog does, so
    // that the window's keys still arrive.
    if (!enabled && hadFocus) {
        const auto found = windows_.find(control->window);
        if (found != windows_.end()) {
            focusFirst(found->second);
        }
    }
}

void Win32Controls::setVisible(int id, bool visible) {
    if (const Control* control = find(id)) {
        ShowWindow(control->handle, visible ? SW_SHOWNA : SW_HIDE);
    }
}

HWND Win32Controls::ownerWindow() {
    // The newest window that is showing: the viewer over the settings window.
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
        if (IsWindowVisible(it->second.handle)) {
            return it->second.handle;
        }
    }
    return nullptr;
}

bool Win32Controls::preTranslate(MSG& message) {
    if (message.hwnd == nullptr) {
        return false;
    }
    Window* window = windowOf(GetAncestor(message.hwnd, GA_ROOT));
    if (window == nullptr) {
        return false;  // a chooser, a message box or a window of the layer
    }
    if (message.message == WM_KEYDOWN && handleKey(*window, message)) {
        return true;
    }
    return IsDialogMessageW(window->handle, &message) != FALSE;
}

bool Win32Controls::handleKey(Window& window, const MSG& message) {
    if (modifierHeld()) {
        return false;
    }
    const WindowId id = idOf(window);
    const WPARAM key = message.wParam;
    const Control* focused = controlOf(GetFocus());
    // An open list takes Return and Escape itself, to choose or to close the list.
    if (focused != nullptr && focused->spec.kind == ControlKind::DropDownList &&
        SendMessageW(focused->handle, CB_GETDROPPEDSTATE, 0, 0) != FALSE) {
        return false;
    }
    if (window.spec.reportKeys) {
        Key reported = Key::Return;
        switch (key) {
            case VK_RETURN:
                reported = Key::Return;
                break;
            case VK_ESCAPE:
                reported = Key::Escape;
                break;
            case VK_SPACE:
                reported = Key::Space;
                break;
            case VK_UP:
                reported = Key::Up;
                break;
            case VK_DOWN:
                reported = Key::Down;
                break;
            default:
                return false;
        }
        layer_.push({EventKind::Key, 0, id, reported});
        return true;
    }
    if (key == VK_ESCAPE) {
        layer_.push({EventKind::Close, 0, id});
        return true;
    }
    if (key == VK_RETURN) {
        // The dialog manager would send IDOK, which no control of ours is; a focused button is
        // pressed instead, anywhere else Return does nothing.
        if (focused != nullptr && focused->window == id && focused->spec.id != 0 &&
            isButton(focused->spec.kind)) {
            layer_.push({EventKind::Control, focused->spec.id, id});
        }
        return true;
    }
    return false;
}

LRESULT CALLBACK Win32Controls::windowProc(HWND handle, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(handle, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Controls*>(GetWindowLongPtrW(handle, GWLP_USERDATA));
    Window* window = self != nullptr ? self->windowOf(handle) : nullptr;
    // Messages of creation arrive before the window is entered in the table.
    if (window == nullptr) {
        return DefWindowProcW(handle, message, wParam, lParam);
    }
    return self->onMessage(*window, message, wParam, lParam);
}

LRESULT Win32Controls::onMessage(Window& window, UINT message, WPARAM wParam, LPARAM lParam) {
    const WindowId id = idOf(window);
    switch (message) {
        case WM_COMMAND: {
            const Control* control = controlOf(reinterpret_cast<HWND>(lParam));
            if (control == nullptr) {
                // The dialog manager's cancel, for Escape in a list that is open.
                if (lParam == 0 && LOWORD(wParam) == IDCANCEL) {
                    layer_.push({EventKind::Close, 0, id});
                }
                return 0;
            }
            if (control->spec.id == 0 || !takesFocus(control->spec.kind)) {
                return 0;
            }
            const WORD code = HIWORD(wParam);
            const bool acted =
                control->spec.kind == ControlKind::DropDownList ? code == CBN_SELCHANGE
                : control->spec.kind == ControlKind::TextField  ? code == EN_CHANGE && !settingText_
                                                                : code == BN_CLICKED;
            if (acted) {
                layer_.push({EventKind::Control, control->spec.id, id});
            }
            return 0;
        }
        case WM_CLOSE:
            layer_.push({EventKind::Close, 0, id});
            return 0;
        case WM_ACTIVATE:
            // A plain window forgets which control had the focus; give it back on return.
            if (LOWORD(wParam) == WA_INACTIVE) {
                const HWND focused = GetFocus();
                if (focused != nullptr && IsChild(window.handle, focused)) {
                    window.focus = focused;
                }
            } else if (window.focus != nullptr && IsWindow(window.focus)) {
                SetFocus(window.focus);
            } else {
                focusFirst(window);
            }
            return 0;
        default:
            return DefWindowProcW(window.handle, message, wParam, lParam);
    }
}

}  // namespace drape::platform::win32
