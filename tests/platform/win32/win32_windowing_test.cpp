// The win32 window layer and Windowing concern against Wine: the two top-level windows that
// hear the terminate broadcast, the double count it gives (also from another process), the
// event wait's order and time-out, close requests, the controls' filter, and real message
// boxes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win32_text.h"
#include "platform/win32/win32_window_layer.h"
#include "platform/win32/win32_windowing.h"
#include "win32_built_program.h"
#include "win32_window_probes.h"

namespace drape::platform::win32 {
namespace {

constexpr const char* kTitle = "Drape v1.81";

bool topLevel(HWND window) {
    return GetAncestor(window, GA_PARENT) == GetDesktopWindow() &&
           GetWindow(window, GW_OWNER) == nullptr;
}

class Win32WindowLayer : public ::testing::Test {
  protected:
    void SetUp() override { drain(windowing_.layer(), 50); }
    Win32Windowing windowing_;
    WindowLayer& layer_ = windowing_.layer();
};

TEST_F(Win32WindowLayer, TheProgramAndEventWindowsAreHiddenUnownedTopLevelWindows) {
    ASSERT_EQ(layer_.programWindow(), nullptr);
    const HWND events = layer_.eventWindow();
    ASSERT_NE(events, nullptr);
    EXPECT_TRUE(topLevel(events));
    EXPECT_FALSE(IsWindowVisible(events));

    const std::string title = "Drape v1.81 \xC3\xBC\xE2\x82\xAC";  // non-ASCII survives
    ASSERT_TRUE(windowing_.openProgramWindow(title));
    const HWND program = layer_.programWindow();
    ASSERT_NE(program, nullptr);
    EXPECT_NE(program, events);
    EXPECT_TRUE(topLevel(program));
    EXPECT_FALSE(IsWindowVisible(program));
    RECT rect{};
    ASSERT_TRUE(GetWindowRect(program, &rect));
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 10);
    EXPECT_EQ(rect.right - rect.left, 100);
    EXPECT_EQ(rect.bottom - rect.top, 100);
    wchar_t text[64] = {};
    GetWindowTextW(program, text, 64);
    EXPECT_EQ(narrow(text), title);
    // Other programs find it as a window of the desktop.
    EXPECT_EQ(FindWindowW(kProgramWindowClass, wide(title).c_str()), program);

    // Opening again keeps the one window; closing destroys it.
    EXPECT_TRUE(windowing_.openProgramWindow("another"));
    EXPECT_EQ(layer_.programWindow(), program);
    windowing_.closeProgramWindow();
    EXPECT_FALSE(IsWindow(program));
    EXPECT_TRUE(IsWindow(events));
}

TEST_F(Win32WindowLayer, EachBroadcastCountsTwiceOnlyWhileTheProgramWindowIsOpen) {
    EXPECT_EQ(layer_.terminateMessage(), RegisterWindowMessageW(L"drape - terminate"));
    EXPECT_GE(layer_.terminateMessage(), 0xC000u);

    // Not yet listening: the event window alone hears it and nothing counts.
    windowing_.broadcastTerminate();
    EXPECT_EQ(terminates(drain(layer_)), 0u);

    ASSERT_TRUE(windowing_.openProgramWindow(kTitle));
    // The instance's own announcement: 2, which the resident loop survives.
    windowing_.broadcastTerminate();
    EXPECT_EQ(terminates(drain(layer_)), 2u);
    // Its own announcement and another instance's: 4, more than 2.
    windowing_.broadcastTerminate();
    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(kTerminateMessageName), 0, 0);
    EXPECT_EQ(terminates(drain(layer_)), 4u);

    // Broadcasts still unread when the window closes are not counted afterwards.
    windowing_.broadcastTerminate();
    windowing_.closeProgramWindow();
    EXPECT_EQ(terminates(drain(layer_)), 0u);
}

TEST_F(Win32WindowLayer, AKillFromAnotherProcessCountsTwice) {
    const std::wstring program = builtProgram();
    if (program.empty()) {
        GTEST_SKIP() << "drape.exe is not built";
    }
    ASSERT_TRUE(windowing_.openProgramWindow(kTitle));
    std::wstring command = L"\"" + program + L"\" kill";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    std::vector<EventKind> kinds;
    // Keep the queue moving while the other process runs, as a resident instance would.
    const ULONGLONG deadline = GetTickCount64() + 30000;
    while (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT &&
           GetTickCount64() < deadline) {
        const Event event = layer_.wait(100);
        if (event.kind != EventKind::None && event.kind != EventKind::Other) {
            kinds.push_back(event.kind);
        }
    }
    const bool ended = WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
    if (!ended) {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ASSERT_TRUE(ended) << "drape kill did not end";
    for (const EventKind kind : drain(layer_)) {
        kinds.push_back(kind);
    }
    EXPECT_EQ(terminates(kinds), 2u);
}

TEST_F(Win32WindowLayer, TheWaitTimesOutWithNoneAndHandsOutQueuedEventsFirstInOrder) {
    ULONGLONG before = GetTickCount64();
    EXPECT_EQ(layer_.wait(0).kind, EventKind::None);
    EXPECT_EQ(layer_.wait(300).kind, EventKind::None);
    // It waited (the tick has a granularity of some milliseconds), rather than giving up.
    EXPECT_GE(GetTickCount64() - before, 250u);

    layer_.push({EventKind::Control, 7, 3});
    layer_.push({EventKind::Terminate});
    layer_.push({EventKind::Close, 0, 3});
    layer_.push({EventKind::Key, 0, 4, Key::Escape});
    layer_.push({EventKind::Control, 8, 5});
    // A window that goes takes its events along, but not the instance's broadcasts.
    layer_.dropEventsOf(3);
    before = GetTickCount64();
    Event event = layer_.wait(kWaitForever);
    EXPECT_EQ(event.kind, EventKind::Terminate);
    event = layer_.wait(1000);
    EXPECT_EQ(event.kind, EventKind::Key);
    EXPECT_EQ(event.window, 4u);
    EXPECT_EQ(event.key, Key::Escape);
    event = layer_.wait(1000);
    EXPECT_EQ(event.kind, EventKind::Control);
    EXPECT_EQ(event.controlId, 8);
    EXPECT_LT(GetTickCount64() - before, 1000u);  // queued events do not wait
    EXPECT_EQ(layer_.wait(0).kind, EventKind::None);
}

TEST_F(Win32WindowLayer, CloseRequestsOfTheProgramWindowEndTheInstanceOthersDoNot) {
    ASSERT_TRUE(windowing_.openProgramWindow(kTitle));
    PostMessageW(layer_.eventWindow(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(drain(layer_).empty());
    EXPECT_TRUE(IsWindow(layer_.eventWindow()));

    PostMessageW(layer_.programWindow(), WM_CLOSE, 0, 0);
    Event event{};
    do {
        event = layer_.wait(1000);
    } while (event.kind == EventKind::Other);
    EXPECT_EQ(event.kind, EventKind::Close);
    EXPECT_EQ(event.window, 0u);
    EXPECT_TRUE(IsWindow(layer_.programWindow()));  // the program decides when to close it

    PostQuitMessage(0);
    EXPECT_EQ(drain(layer_), std::vector<EventKind>{EventKind::Close});

    // A request still queued when the window closes is gone with it.
    PostMessageW(layer_.programWindow(), WM_CLOSE, 0, 0);
    drain(layer_, 0);
    layer_.push({EventKind::Close, 0, 0});
    windowing_.closeProgramWindow();
    EXPECT_TRUE(drain(layer_).empty());
}

class ClaimingFilter final : public MessageFilter {
  public:
    explicit ClaimingFilter(WindowLayer& layer) : layer_(layer) {}
    bool preTranslate(MSG& message) override {
        seen.push_back(message.message);
        if (message.message == WM_APP + 1) {
            layer_.push({EventKind::Control, 41, 0});
            return true;
        }
        return false;
    }
    HWND ownerWindow() override { return owner; }
    std::vector<UINT> seen;
    HWND owner = nullptr;

  private:
    WindowLayer& layer_;
};

TEST_F(Win32WindowLayer, TheFilterSeesEachMessageFirstAndNamesTheOwner) {
    EXPECT_EQ(layer_.ownerWindow(), nullptr);
    ClaimingFilter filter(layer_);
    filter.owner = layer_.eventWindow();
    layer_.setFilter(&filter);
    EXPECT_EQ(layer_.ownerWindow(), layer_.eventWindow());

    PostMessageW(layer_.eventWindow(), WM_APP + 2, 0, 0);
    PostMessageW(layer_.eventWindow(), WM_APP + 1, 0, 0);
    EXPECT_EQ(layer_.wait(1000).kind, EventKind::Other);  // dispatched, queued nothing
    const Event claimed = layer_.wait(1000);
    EXPECT_EQ(claimed.kind, EventKind::Control);
    EXPECT_EQ(claimed.controlId, 41);
    EXPECT_EQ(filter.seen, (std::vector<UINT>{WM_APP + 2, WM_APP + 1}));

    layer_.setFilter(nullptr);
    EXPECT_EQ(layer_.ownerWindow(), nullptr);
    PostMessageW(layer_.eventWindow(), WM_APP + 1, 0, 0);
    EXPECT_EQ(drain(layer_), std::vector<EventKind>{});
    EXPECT_EQ(filter.seen.size(), 2u);
}

SeenBox showAndRead(Win32Windowing& windowing, const std::string& caption, const std::string& text,
                    uint32_t flags) {
    return readBoxWhileShown(caption, [&] { windowing.messageBox(caption, text, flags); });
}

TEST(Win32MessageBox, AModalBoxWithOneOkButtonTheCaptionTextAndIconAsAsked) {
    Win32Windowing windowing;
    ASSERT_TRUE(windowing.hasGraphicalDisplay());
    ASSERT_TRUE(windowing.openProgramWindow(kTitle));

    const SeenBox plain = showAndRead(windowing, "Drape v1.81 plain",
                                      "Current wallpaper is \r\n\r\nC:\\w\xC3\xA4ll.bmp", kMbOk);
    ASSERT_TRUE(plain.found) << "no box appeared";
    EXPECT_EQ(plain.buttons, std::vector<std::string>{"OK"});
    ASSERT_FALSE(plain.texts.empty());
    EXPECT_EQ(plain.texts[0], "Current wallpaper is \r\n\r\nC:\\w\xC3\xA4ll.bmp");
    EXPECT_FALSE(plain.icon);
    EXPECT_EQ(plain.owner, nullptr);  // no window with controls is open

    // The error icon, and the owner the controls name.
    ClaimingFilter filter(windowing.layer());
    filter.owner = windowing.layer().programWindow();
    windowing.layer().setFilter(&filter);
    const SeenBox error =
        showAndRead(windowing, "Drape v1.81 error", "Unknown command\r\n\r\nRed", kMbIconError);
    windowing.layer().setFilter(nullptr);
    ASSERT_TRUE(error.found) << "no box appeared";
    EXPECT_EQ(error.buttons, std::vector<std::string>{"OK"});
    EXPECT_TRUE(error.icon);
    EXPECT_EQ(error.owner, windowing.layer().programWindow());
}

}  // namespace
}  // namespace drape::platform::win32
