// The win32 Controls concern against Wine: real windows and controls made from a small table,
// read back through the native API; the events that clicks, choices, edits, keys and close
// requests give; the clipboard; the chooser filter and icons.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/unavailable.h"
#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_windowing.h"

namespace drape::platform::win32 {
namespace {

enum : int { kList = 10, kBox, kField, kButton, kPicture, kIconButton, kNote, kEmptyList };

IconPixels square(int size, uint8_t alpha) {
    IconPixels icon{size, size, {}};
    for (int i = 0; i < size * size; ++i) {
        icon.pixels.insert(icon.pixels.end(), {0x10, 0x20, 0xC0, alpha});
    }
    return icon;
}

std::vector<ControlSpec> table() {
    std::vector<ControlSpec> specs;
    const auto add = [&](int id, ControlKind kind, ControlRect rect, std::string text) {
        ControlSpec spec;
        spec.id = id;
        spec.kind = kind;
        spec.rect = rect;
        spec.text = std::move(text);
        specs.push_back(spec);
        return &specs.back();
    };
    add(0, ControlKind::Label, {10, 10, 80, 16}, "Distort & Renew");
    add(kList, ControlKind::DropDownList, {100, 8, 150, 22}, "")->items = {"None", "Red", "Blue"};
    add(kBox, ControlKind::CheckBox, {10, 40, 90, 16}, "R&D")->tooltip = "Tick me";
    add(0, ControlKind::GroupFrame, {5, 60, 290, 60}, "");
    add(kField, ControlKind::TextField, {10, 70, 120, 18}, "start")->tooltip = "Type here";
    add(kButton, ControlKind::PushButton, {140, 70, 40, 22}, "...");
    add(kPicture, ControlKind::Icon, {190, 70, 16, 16}, "")->icon = square(16, 255);
    add(kIconButton, ControlKind::IconButton, {220, 70, 32, 32}, "")->icon = square(16, 128);
    ControlSpec* note = add(kNote, ControlKind::WrappingLabel, {10, 130, 280, 40}, "");
    note->fontFace = "Courier New";
    note->fontPoints = 9;
    add(kEmptyList, ControlKind::DropDownList, {10, 175, 80, 22}, "");
    return specs;
}

std::wstring className(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::string windowText(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return narrow(text);
}

RECT clientRectOf(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class Win32ControlsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window_ = controls_.openWindow({"Probe \xC3\xBC", 300, 200, false}, table());
        ASSERT_NE(window_, 0u);
        events();
    }

    // The events queued until the layer stays quiet, without Other.
    std::vector<Event> events() {
        std::vector<Event> out;
        for (Event event = layer_.wait(100); event.kind != EventKind::None;
             event = layer_.wait(100)) {
            if (event.kind != EventKind::Other) {
                out.push_back(event);
            }
        }
        return out;
    }

    void key(int id, WPARAM virtualKey) {
        const HWND target = id != 0 ? controls_.controlHandle(id) : GetFocus();
        PostMessageW(target, WM_KEYDOWN, virtualKey, 1);
        PostMessageW(target, WM_KEYUP, virtualKey, 0xC0000001);
    }

    HWND control(int id) { return controls_.controlHandle(id); }

    Win32Windowing windowing_;
    WindowLayer& layer_ = windowing_.layer();
    Win32Controls controls_{layer_, windowing_};
    WindowId window_ = 0;
};

void expectControl(const std::vector<Event>& events, int id, WindowId window) {
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, EventKind::Control);
    EXPECT_EQ(events[0].controlId, id);
    EXPECT_EQ(events[0].window, window);
}

TEST_F(Win32ControlsTest, TheWindowHasTheExactClientAreaOnlyACloseBoxAndIsCentred) {
    const HWND window = controls_.windowHandle(window_);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 200);
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(windowText(window), "Probe \xC3\xBC");
    RECT frame{}, area{};
    GetWindowRect(window, &frame);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_LE(std::abs((frame.left + frame.right) - (area.left + area.right)), 1);
    EXPECT_LE(std::abs((frame.top + frame.bottom) - (area.top + area.bottom)), 1);
    // The list takes the focus first: the label before it does not.
    EXPECT_EQ(GetFocus(), control(kList));
}

TEST_F(Win32ControlsTest, EachKindIsItsNativeClassAndStyleAtItsPlace) {
    struct Expected {
        int id;
        const wchar_t* name;
        LONG_PTR mask, style;
    };
    const Expected expected[] = {
        {kList, L"ComboBox", 0xF, CBS_DROPDOWNLIST},
        {kBox, L"Button", BS_TYPEMASK, BS_AUTOCHECKBOX},
        {kField, L"Edit", ES_AUTOHSCROLL, ES_AUTOHSCROLL},
        {kButton, L"Button", BS_TYPEMASK, BS_PUSHBUTTON},
        {kIconButton, L"Button", BS_ICON, BS_ICON},
        {kPicture, L"Static", SS_TYPEMASK, SS_ICON},
        {kNote, L"Static", SS_TYPEMASK, SS_LEFT},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.id);
        const HWND handle = control(e.id);
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(_wcsicmp(className(handle).c_str(), e.name), 0);
        EXPECT_EQ(GetWindowLongPtrW(handle, GWL_STYLE) & e.mask, e.style);
        EXPECT_EQ(GetDlgCtrlID(handle), e.id);
    }
    for (const ControlSpec& spec : table()) {
        if (spec.id == 0) {
            continue;
        }
        SCOPED_TRACE(spec.id);
        const RECT rect = clientRectOf(control(spec.id));
        EXPECT_EQ(rect.left, spec.rect.x);
        EXPECT_EQ(rect.top, spec.rect.y);
        EXPECT_EQ(rect.right - rect.left, spec.rect.width);
        // A closed list is as high as its place.
        EXPECT_EQ(rect.bottom - rect.top, spec.rect.height);
    }
    // The tab stops are the controls that take the focus, in table order.
    std::vector<int> stops;
    const HWND window = controls_.windowHandle(window_);
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetWindowLongPtrW(child, GWL_STYLE) & WS_TABSTOP) {
            stops.push_back(GetDlgCtrlID(child));
        }
    }
    EXPECT_EQ(stops, (std::vector<int>{kList, kBox, kField, kButton, kIconButton, kEmptyList}));
}

TEST_F(Win32ControlsTest, IconsFontsAndTooltipsAreAttached) {
    ICONINFO info{};
    const auto icon =
        reinterpret_cast<HICON>(SendMessageW(control(kIconButton), BM_GETIMAGE, IMAGE_ICON, 0));
    ASSERT_NE(icon, nullptr);
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP colour{};
    GetObjectW(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, 16);
    EXPECT_EQ(colour.bmBitsPixel, 32);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_NE(SendMessageW(control(kPicture), STM_GETICON, 0, 0), 0);

    const auto gui = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control(kBox), WM_GETFONT, 0, 0)), gui);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control(kNote), WM_GETFONT, 0, 0)), sizeof font,
               &font);
    EXPECT_EQ(narrow(font.lfFaceName), "Courier New");
    const HDC screen = GetDC(nullptr);
    EXPECT_EQ(font.lfHeight, -MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72));
    ReleaseDC(nullptr, screen);

    // One tooltip window of the window, with a tool for each control that has a tip.
    HWND tips = nullptr;
    for (HWND w = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); w != nullptr;
         w = FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr)) {
        if (GetWindow(w, GW_OWNER) == controls_.windowHandle(window_)) {
            tips = w;
        }
    }
    ASSERT_NE(tips, nullptr);
    EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 2);
    wchar_t text[64] = {};
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = controls_.windowHandle(window_);
    tool.uId = reinterpret_cast<UINT_PTR>(control(kField));
    tool.lpszText = text;
    SendMessageW(tips, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(narrow(text), "Type here");
}

TEST_F(Win32ControlsTest, StatesRoundTripAndUnknownIdsReadEmpty) {
    EXPECT_EQ(controls_.controlText(kField), "start");
    controls_.setControlText(kField, "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC");
    EXPECT_EQ(controls_.controlText(kField), "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC");
    // "&" is shown as it is: doubled on a button, left alone on a label without prefixes.
    EXPECT_EQ(windowText(control(kBox)), "R&&D");
    EXPECT_EQ(controls_.controlText(kBox), "R&D");
    controls_.setControlText(kNote, "a & b\r\nline two");
    EXPECT_EQ(windowText(control(kNote)), "a & b\r\nline two");
    EXPECT_EQ(controls_.controlText(kNote), "a & b\r\nline two");

    EXPECT_FALSE(controls_.ticked(kBox));
    controls_.setTicked(kBox, true);
    EXPECT_TRUE(controls_.ticked(kBox));
    EXPECT_FALSE(controls_.ticked(kField));  // not a box

    EXPECT_EQ(controls_.listIndex(kList), 0);
    controls_.setListIndex(kList, 2);
    EXPECT_EQ(controls_.listIndex(kList), 2);
    EXPECT_EQ(controls_.controlText(kList), "Blue");
    controls_.setListIndex(kList, 3);  // past the end: nothing chosen
    EXPECT_EQ(controls_.listIndex(kList), -1);
    EXPECT_EQ(controls_.controlText(kList), "");
    EXPECT_EQ(controls_.listIndex(kEmptyList), -1);

    controls_.setEnabled(kButton, false);
    EXPECT_FALSE(IsWindowEnabled(control(kButton)));
    controls_.setVisible(kPicture, false);
    EXPECT_FALSE(IsWindowVisible(control(kPicture)));
    controls_.setVisible(kPicture, true);
    EXPECT_TRUE(IsWindowVisible(control(kPicture)));

    EXPECT_EQ(controls_.controlText(999), "");
    EXPECT_FALSE(controls_.ticked(999));
    EXPECT_EQ(controls_.listIndex(999), -1);
    // The program's own changes are no user's action.
    EXPECT_TRUE(events().empty());
}

TEST_F(Win32ControlsTest, ClicksChoicesAndEditsBecomeControlEvents) {
    SendMessageW(control(kBox), BM_CLICK, 0, 0);
    EXPECT_TRUE(controls_.ticked(kBox));
    expectControl(events(), kBox, window_);
    SendMessageW(control(kButton), BM_CLICK, 0, 0);
    expectControl(events(), kButton, window_);
    SendMessageW(control(kIconButton), BM_CLICK, 0, 0);
    expectControl(events(), kIconButton, window_);

    // The list has the focus; Down on the closed list chooses the next entry.
    key(kList, VK_DOWN);
    const std::vector<Event> chosen = events();
    EXPECT_EQ(controls_.listIndex(kList), 1);
    expectControl(chosen, kList, window_);

    PostMessageW(control(kField), WM_CHAR, L'x', 1);
    expectControl(events(), kField, window_);
    EXPECT_EQ(controls_.controlText(kField), "xstart");
}

TEST_F(Win32ControlsTest, TheKeyboardMovesTicksPressesAndCloses) {
    key(0, VK_TAB);
    events();
    EXPECT_EQ(GetFocus(), control(kBox));
    key(0, VK_SPACE);
    expectControl(events(), kBox, window_);
    EXPECT_TRUE(controls_.ticked(kBox));
    key(0, VK_TAB);
    key(0, VK_TAB);
    events();
    EXPECT_EQ(GetFocus(), control(kButton));
    key(0, VK_RETURN);
    expectControl(events(), kButton, window_);

    // Escape in an open list only closes the list.
    SetFocus(control(kList));
    SendMessageW(control(kList), CB_SHOWDROPDOWN, TRUE, 0);
    key(0, VK_ESCAPE);
    EXPECT_TRUE(events().empty());
    EXPECT_FALSE(SendMessageW(control(kList), CB_GETDROPPEDSTATE, 0, 0));

    // Return in a field does nothing; Escape anywhere else asks to close.
    SetFocus(control(kField));
    key(0, VK_RETURN);
    EXPECT_TRUE(events().empty());
    key(0, VK_ESCAPE);
    const std::vector<Event> closing = events();
    ASSERT_EQ(closing.size(), 1u);
    EXPECT_EQ(closing[0].kind, EventKind::Close);
    EXPECT_EQ(closing[0].window, window_);
}

TEST_F(Win32ControlsTest, CloseRequestsQueueAndAClosedWindowLeavesNothing) {
    PostMessageW(controls_.windowHandle(window_), WM_CLOSE, 0, 0);
    std::vector<Event> got = events();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].kind, EventKind::Close);
    EXPECT_EQ(got[0].window, window_);
    EXPECT_TRUE(IsWindow(controls_.windowHandle(window_)));  // the program decides

    controls_.requestClose(window_);
    SendMessageW(control(kButton), BM_CLICK, 0, 0);
    const HWND gone = controls_.windowHandle(window_);
    controls_.closeWindow(window_);
    EXPECT_FALSE(IsWindow(gone));
    EXPECT_TRUE(events().empty());
    EXPECT_EQ(controls_.controlHandle(kButton), nullptr);
    EXPECT_EQ(controls_.controlText(kField), "");
    controls_.requestClose(window_);  // no such window any more
    controls_.closeWindow(window_);
    EXPECT_TRUE(events().empty());
}

TEST_F(Win32ControlsTest, AReportingWindowReportsItsFiveKeysAndStillTabs) {
    ControlSpec ok;
    ok.id = 50;
    ok.kind = ControlKind::PushButton;
    ok.rect = {10, 10, 50, 22};
    ControlSpec next = ok;
    next.id = 51;
    next.rect.x = 70;
    const WindowId viewer = controls_.openWindow({"Viewer", 200, 60, true}, {ok, next});
    ASSERT_NE(viewer, 0u);
    EXPECT_EQ(GetFocus(), control(50));
    for (const WPARAM k : {VK_RETURN, VK_ESCAPE, VK_SPACE, VK_UP, VK_DOWN}) {
        key(0, k);
    }
    const std::vector<Event> got = events();
    ASSERT_EQ(got.size(), 5u);
    const Key expected[] = {Key::Return, Key::Escape, Key::Space, Key::Up, Key::Down};
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].kind, EventKind::Key);
        EXPECT_EQ(got[i].key, expected[i]);
        EXPECT_EQ(got[i].window, viewer);
    }
    key(0, VK_TAB);
    EXPECT_TRUE(events().empty());
    EXPECT_EQ(GetFocus(), control(51));
    // Modal boxes belong to the newest showing window.
    EXPECT_EQ(layer_.ownerWindow(), controls_.windowHandle(viewer));
    controls_.showWindow(viewer, false);
    EXPECT_EQ(layer_.ownerWindow(), controls_.windowHandle(window_));
}

TEST_F(Win32ControlsTest, DisablingTheFocusedButtonHandsTheFocusOnAndKeysStillArrive) {
    ControlSpec previous;
    previous.id = 60;
    previous.kind = ControlKind::PushButton;
    previous.rect = {10, 10, 50, 22};
    ControlSpec next = previous;
    next.id = 61;
    next.rect.x = 70;
    const WindowId viewer = controls_.openWindow({"Pages", 200, 60, true}, {previous, next});
    ASSERT_NE(viewer, 0u);
    ASSERT_EQ(GetFocus(), control(60));
    controls_.setEnabled(60, false);
    EXPECT_EQ(GetFocus(), control(61));
    // With nothing left to focus, the window itself takes the keys.
    controls_.setEnabled(61, false);
    EXPECT_EQ(GetFocus(), controls_.windowHandle(viewer));
    key(0, VK_ESCAPE);
    const std::vector<Event> got = events();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].key, Key::Escape);
    controls_.closeWindow(viewer);
}

std::wstring clipboardText() {
    std::wstring text;
    if (OpenClipboard(nullptr)) {
        if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const wchar_t*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    return text;
}

TEST_F(Win32ControlsTest, TheClipboardHoldsTheLastTextAsUnicode) {
    controls_.setClipboardText("first");
    controls_.setClipboardText("drape text \"\xC3\xBC\xE2\x82\xAC\"");
    EXPECT_EQ(narrow(clipboardText()), "drape text \"\xC3\xBC\xE2\x82\xAC\"");
    controls_.setClipboardText("");
    EXPECT_EQ(clipboardText(), L"");
}

// What a timer saw of the modal chooser it then answered.
struct ChooserSeen {
    bool found = false;
    HWND owner = nullptr;
    LRESULT fileTypes = 0;  // the entries of the chooser's file type list
    std::wstring fileName;  // typed into the chooser and accepted; empty: cancelled
} gSeen;

BOOL CALLBACK hasText(HWND child, LPARAM wanted) {
    wchar_t text[128] = {};
    GetWindowTextW(child, text, 128);
    return reinterpret_cast<const wchar_t*>(wanted) != std::wstring(text);
}

void CALLBACK answerChooser(HWND, UINT, UINT_PTR timer, DWORD) {
    // The chooser is the thread's dialog that carries the title or shows it as its prompt.
    for (HWND dialog = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); dialog != nullptr;
         dialog = FindWindowExW(nullptr, dialog, L"#32770", nullptr)) {
        if (GetWindowThreadProcessId(dialog, nullptr) != GetCurrentThreadId()) {
            continue;
        }
        const bool titled =
            windowText(dialog) == "Select image" ||
            !EnumChildWindows(dialog, hasText, reinterpret_cast<LPARAM>(L"Select folder"));
        if (!titled) {
            continue;
        }
        KillTimer(nullptr, timer);
        gSeen.found = true;
        gSeen.owner = GetWindow(dialog, GW_OWNER);
        gSeen.fileTypes = SendDlgItemMessageW(dialog, cmb1, CB_GETCOUNT, 0, 0);
        if (gSeen.fileName.empty()) {
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        // The name field is a combo box in newer choosers and an edit in older ones.
        for (const int field : {cmb13, edt1}) {
            SetDlgItemTextW(dialog, field, gSeen.fileName.c_str());
        }
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return;
    }
}

TEST_F(Win32ControlsTest, ChoosersBelongToTheWindowAndGiveNothingWhenCancelled) {
    gSeen = {};
    SetTimer(nullptr, 0, 300, answerChooser);
    EXPECT_EQ(controls_.chooseFile("Select image", "Image|*.bmp|All|*.*"), "");
    EXPECT_TRUE(gSeen.found);
    EXPECT_EQ(gSeen.fileTypes, 2);
    EXPECT_EQ(gSeen.owner, controls_.windowHandle(window_));

    gSeen = {};
    SetTimer(nullptr, 0, 300, answerChooser);
    EXPECT_EQ(controls_.chooseFolder("Select folder"), "");
    EXPECT_TRUE(gSeen.found);
    EXPECT_EQ(gSeen.owner, controls_.windowHandle(window_));
}

TEST_F(Win32ControlsTest, TheFileChooserGivesTheFileTypedIntoIt) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"chosen \u00fc.bmp";
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    gSeen = {};
    gSeen.fileName = path;
    SetTimer(nullptr, 0, 300, answerChooser);
    const std::string chosen = controls_.chooseFile("Select image", "Image|*.bmp|All|*.*");
    DeleteFileW(path.c_str());
    EXPECT_TRUE(gSeen.found);
    EXPECT_EQ(chosen, narrow(path));
}

TEST(Win32ControlsWithoutDesktop, NoWindowOpensAndChoosersAreCancelledAtOnce) {
    WindowLayer layer;
    UnavailableWindowing hidden;  // a desktop that nobody sees
    Win32Controls controls{layer, hidden};
    EXPECT_EQ(controls.openWindow({"Nobody", 100, 100, false}, table()), 0u);
    EXPECT_EQ(FindWindowW(kControlsWindowClass, L"Nobody"), nullptr);
    // A chooser that showed anyway is answered, so that the test fails instead of hanging.
    gSeen = {};
    const UINT_PTR timer = SetTimer(nullptr, 0, 300, answerChooser);
    EXPECT_EQ(controls.chooseFile("Select image", "All|*.*"), "");
    EXPECT_EQ(controls.chooseFolder("Select folder"), "");
    KillTimer(nullptr, timer);
    EXPECT_FALSE(gSeen.found);
}

TEST(Win32FileFilter, PairsBecomeNulSeparatedWithASecondNulAtTheEnd) {
    using namespace std::string_literals;
    EXPECT_EQ(win32FileFilter("Image (*.JPG)|*.jpg;*.png|All (*.*)|*.*"),
              L"Image (*.JPG)\0*.jpg;*.png\0All (*.*)\0*.*\0\0"s);
    EXPECT_EQ(win32FileFilter(""), L""s);
    EXPECT_EQ(win32FileFilter("Lonely"), L""s);
    EXPECT_EQ(win32FileFilter("a|b|dangling"), L"a\0b\0\0"s);
    EXPECT_EQ(win32FileFilter("a||c|d"), L"c\0d\0\0"s);
}

TEST(Win32Icon, PixelsThatDoNotFillThePictureMakeNoIcon) {
    EXPECT_EQ(makeIcon({}), nullptr);
    IconPixels shortOne = square(4, 255);
    shortOne.pixels.pop_back();
    EXPECT_EQ(makeIcon(shortOne), nullptr);
    const HICON made = makeIcon(square(4, 0));
    EXPECT_NE(made, nullptr);
    DestroyIcon(made);
}

}  // namespace
}  // namespace drape::platform::win32
