// The posix backend's FLTK controls on a private Xvfb, watched and driven from outside as a user
// would: xdotool types and clicks, xclip reads the clipboard, Xlib reads titles, sizes and
// pixels. FLTK keeps one display connection per process, so every test here shares one server.
// gtest and the platform's header first: Xlib's macros (None, Bool) would break them.
#include "posix_test_env.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>

#include "x11_test_support.h"

namespace drape::platform::posix::testing {
namespace {

using namespace std::chrono_literals;

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
constexpr auto kPatience = 5s;
// EventKind::None, which Xlib's None macro hides.
constexpr EventKind kNothing = EventKind{};

// The one server of this process's FLTK tests, started at the first use.
XvfbServer* sharedServer() {
    static XvfbServer server;
    static const bool started =
        server.start(std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24");
    return started ? &server : nullptr;
}

// A command that runs while the test keeps the program's wait going (an xclip that asks us for
// the clipboard, an xdotool that answers a modal box). Standard output goes to `outputPath`.
class Background {
  public:
    Background(const std::string& command, const std::string& outputPath) {
        pid_ = fork();
        if (pid_ == 0) {
            const int out = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(out, STDOUT_FILENO);
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Background() {
        if (pid_ > 0 && !finished()) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;

    bool finished() {
        if (pid_ <= 0 || done_) {
            return true;
        }
        done_ = waitpid(pid_, nullptr, WNOHANG) == pid_;
        return done_;
    }

  private:
    pid_t pid_ = -1;
    bool done_ = false;
};

ControlSpec control(int id, ControlKind kind, ControlRect rect, const std::string& text = "") {
    ControlSpec spec;
    spec.id = id;
    spec.kind = kind;
    spec.rect = rect;
    spec.text = text;
    return spec;
}

enum : int { kList = 1, kBox = 2, kField = 3, kButton = 4, kIconButton = 5 };

// A list, an unfocusable label, a check box, a field and a button, in that table order.
std::vector<ControlSpec> formControls() {
    ControlSpec list = control(kList, ControlKind::DropDownList, {10, 10, 120, 22});
    list.items = {"first", "second / with slash", "third & last"};
    return {control(0, ControlKind::Label, {140, 12, 60, 16}, "Label @ 1"), list,
            control(kBox, ControlKind::CheckBox, {10, 40, 100, 16}, "Tick"),
            control(kField, ControlKind::TextField, {10, 64, 150, 20}, "start"),
            control(kButton, ControlKind::PushButton, {10, 92, 80, 24}, "Press")};
}

class FltkTest : public PosixTest {
  protected:
    void SetUp() override {
        PosixTest::SetUp();
        DRAPE_REQUIRE_INSTALLED(XvfbServer::installed(), "Xvfb");
        DRAPE_REQUIRE_INSTALLED(!programOnPath("xdotool").empty(), "xdotool");
        DRAPE_REQUIRE_INSTALLED(!programOnPath("xclip").empty(), "xclip");
        XvfbServer* server = sharedServer();
        ASSERT_NE(server, nullptr) << "Xvfb did not start";
        env_.set("DISPLAY", server->name());
        observer_ = XOpenDisplay(server->name().c_str());
        ASSERT_NE(observer_, nullptr);
        // A modal box or chooser that nobody closes must end the test, not hang the suite.
        alarm(30);
    }
    void TearDown() override {
        alarm(0);
        if (window_ != 0) {
            platform_.controls().closeWindow(window_);
        }
        if (observer_ != nullptr) {
            XCloseDisplay(observer_);
        }
        PosixTest::TearDown();
    }

    Controls& controls() { return platform_.controls(); }

    WindowId open(const std::string& title, const std::vector<ControlSpec>& specs,
                  bool reportKeys = false, int width = 300, int height = 200) {
        WindowSpec spec{title, width, height, reportKeys};
        window_ = controls().openWindow(spec, specs);
        return window_;
    }

    // The X window titled `title`, found with xdotool as a user's script would; 0 when none
    // appears within the patience.
    Window findWindow(const std::string& title) {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (std::chrono::steady_clock::now() < deadline) {
            const std::string found =
                commandOutput("xdotool search --onlyvisible --name '^" + title + "$' 2>/dev/null");
            if (!found.empty()) {
                return std::stoul(found.substr(0, found.find('\n')));
            }
            platform_.waitEvent(20);
        }
        return 0;
    }

    // Focuses the window (there is no window manager to do it) and lets FLTK see it.
    Window focusWindow(const std::string& title) {
        const Window window = findWindow(title);
        if (window != 0) {
            commandOutput("xdotool windowfocus " + std::to_string(window));
            drain(100ms);
        }
        return window;
    }

    void xdotool(const std::string& arguments) { commandOutput("xdotool " + arguments); }

    // Runs the wait until `enough` says the events so far suffice or the patience runs out.
    std::vector<Event> collect(const std::function<bool(const std::vector<Event>&)>& enough) {
        std::vector<Event> events;
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (!enough(events) && std::chrono::steady_clock::now() < deadline) {
            const Event event = platform_.waitEvent(50);
            if (event.kind != kNothing && event.kind != EventKind::Other) {
                events.push_back(event);
            }
        }
        return events;
    }
    std::vector<Event> collect(size_t count) {
        return collect([count](const std::vector<Event>& got) { return got.size() >= count; });
    }
    // Every event that arrives within `span`.
    std::vector<Event> drain(std::chrono::milliseconds span) {
        std::vector<Event> events;
        const auto deadline = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < deadline) {
            const Event event = platform_.waitEvent(20);
            if (event.kind != kNothing && event.kind != EventKind::Other) {
                events.push_back(event);
            }
        }
        return events;
    }

    Colour pixel(Window window, int x, int y) {
        XImage* image = XGetImage(observer_, window, x, y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr) {
            return {-1, -1, -1};
        }
        const unsigned long value = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        return {static_cast<int>(value >> 16 & 0xFF), static_cast<int>(value >> 8 & 0xFF),
                static_cast<int>(value & 0xFF)};
    }

    Display* observer_ = nullptr;
    WindowId window_ = 0;
};

std::vector<int> controlIds(const std::vector<Event>& events) {
    std::vector<int> ids;
    for (const Event& event : events) {
        ids.push_back(event.kind == EventKind::Control ? event.controlId : -1);
    }
    return ids;
}

TEST(FltkFileFilter, TurnsNamePatternPairsIntoFltkEntries) {
    EXPECT_EQ(fltkFileFilter("Image (*.JPG)|*.jpg|All (*.*)|*.*"), "Image (*.jpg)\tAll (*)");
    // Several patterns become one alternative; "*.*" anywhere means every file.
    EXPECT_EQ(fltkFileFilter("Pictures|*.jpg; *.bmp;*.png"), "Pictures ({*.jpg,*.bmp,*.png})");
    EXPECT_EQ(fltkFileFilter("Odd|*.a;*.*"), "Odd (*)");
    EXPECT_EQ(fltkFileFilter("Nameless (x)|  |"), "Nameless (*)");
}

TEST(FltkFileFilter, MalformedFiltersStillOfferEveryFile) {
    EXPECT_EQ(fltkFileFilter(""), "All (*)");
    // A name without its patterns is dropped; a pair after it is kept.
    EXPECT_EQ(fltkFileFilter("Lonely"), "All (*)");
    EXPECT_EQ(fltkFileFilter("(*.x)|*.x|Dangling"), "Files (*.x)");
    // A tab or closing parenthesis in a name would split or end FLTK's entry.
    EXPECT_EQ(fltkFileFilter("A\tB) c|*.c"), "AB c (*.c)");
}

TEST(FltkFontSize, PointsBecomePixelsAtTheDisplaysResolution) {
    EXPECT_EQ(pointsToPixels(9, 96), 12);
    EXPECT_EQ(pointsToPixels(9, 120), 15);
    EXPECT_EQ(pointsToPixels(9, 72), 9);
    EXPECT_EQ(pointsToPixels(10, 97), 13);  // 13.47 rounds down
}

TEST_F(PosixTest, WithoutADisplayNoWindowOpensAndNothingBlocks) {
    ASSERT_EQ(std::getenv("DISPLAY"), nullptr);
    Controls& c = platform_.controls();
    EXPECT_EQ(c.openWindow({"Drape v1.81", 510, 408, false}, formControls()), 0u);
    EXPECT_EQ(c.listIndex(kList), -1);
    EXPECT_EQ(c.chooseFile("Pick", "All|*.*"), "");
    c.setClipboardText("nowhere");
    const auto start = std::chrono::steady_clock::now();
    platform_.messageBox("Drape", "no display", kMbIconError);
    EXPECT_EQ(platform_.waitEvent(0).kind, kNothing);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}

TEST_F(FltkTest, WindowHasItsTitleAndClientSizeCentredAndFixed) {
    ASSERT_NE(open("Drape v1.81", formControls(), false, 510, 408), 0u);
    const Window window = findWindow("Drape v1.81");
    ASSERT_NE(window, 0u);
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(observer_, window, &attributes));
    EXPECT_EQ(attributes.width, 510);
    EXPECT_EQ(attributes.height, 408);
    // No window manager here: the window stands where the program put it.
    EXPECT_EQ(attributes.x, (kScreenWidth - 510) / 2);
    EXPECT_EQ(attributes.y, (kScreenHeight - 408) / 2);
    XSizeHints hints{};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(observer_, window, &hints, &supplied));
    EXPECT_EQ(hints.min_width, 510);
    EXPECT_EQ(hints.max_width, 510);
    EXPECT_EQ(hints.min_height, 408);
    EXPECT_EQ(hints.max_height, 408);
}

TEST_F(FltkTest, StatesAreReadBackAsTheProgramSetThem) {
    ASSERT_NE(open("States", formControls()), 0u);
    Controls& c = controls();
    EXPECT_EQ(c.listIndex(kList), 0);
    EXPECT_EQ(c.controlText(kList), "first");
    c.setListIndex(kList, 2);
    EXPECT_EQ(c.controlText(kList), "third & last");  // as given, not as FLTK draws it
    c.setListIndex(kList, 3);
    EXPECT_EQ(c.listIndex(kList), -1);
    EXPECT_EQ(c.controlText(kField), "start");
    c.setControlText(kField, "ünïcode ~host~");
    EXPECT_EQ(c.controlText(kField), "ünïcode ~host~");
    c.setTicked(kBox, true);
    EXPECT_TRUE(c.ticked(kBox));
    EXPECT_FALSE(c.ticked(kField));
    c.setControlText(kButton, "Renamed");
    EXPECT_EQ(c.controlText(kButton), "Renamed");
    // Unknown ids read as nothing and are ignored.
    EXPECT_EQ(c.controlText(999), "");
    EXPECT_EQ(c.listIndex(999), -1);
    c.setTicked(999, true);
    // The program's own changes are not the user's: they queue no events.
    EXPECT_TRUE(drain(200ms).empty());
}

TEST_F(FltkTest, ClickOnButtonIsAControlEventUnlessDisabledOrHidden) {
    const WindowId id = open("Click", formControls());
    const Window window = focusWindow("Click");
    ASSERT_NE(window, 0u);
    const std::string at = "mousemove --window " + std::to_string(window) + " 50 104 click 1";
    xdotool(at);
    const std::vector<Event> events = collect(1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, EventKind::Control);
    EXPECT_EQ(events[0].controlId, kButton);
    EXPECT_EQ(events[0].window, id);

    controls().setEnabled(kButton, false);
    xdotool(at);
    EXPECT_TRUE(drain(300ms).empty());
    controls().setEnabled(kButton, true);
    controls().setVisible(kButton, false);
    xdotool(at);
    EXPECT_TRUE(drain(300ms).empty());
    controls().setVisible(kButton, true);
    xdotool(at);
    EXPECT_EQ(controlIds(collect(1)), std::vector<int>{kButton});
}

TEST_F(FltkTest, TypingIntoAFieldReportsEachEdit) {
    open("Typing", formControls());
    const Window window = focusWindow("Typing");
    ASSERT_NE(window, 0u);
    // A click puts the caret after "start"; each typed character and the erasure is an edit.
    xdotool("mousemove --window " + std::to_string(window) + " 155 74 click 1");
    xdotool("type --delay 20 abc");
    xdotool("key BackSpace");
    const std::vector<Event> events = collect(4);
    EXPECT_EQ(controlIds(events), (std::vector<int>{kField, kField, kField, kField}));
    EXPECT_EQ(controls().controlText(kField), "startab");
}

TEST_F(FltkTest, KeyboardWalksTheControlsInTableOrder) {
    open("Keys", formControls());
    ASSERT_NE(focusWindow("Keys"), 0u);
    Controls& c = controls();
    // The list has the focus from the start: Up at the first entry changes nothing, Down
    // chooses the next entry without opening the menu.
    xdotool("key Up");
    EXPECT_TRUE(drain(200ms).empty());
    xdotool("key Down");
    EXPECT_EQ(controlIds(collect(1)), std::vector<int>{kList});
    EXPECT_EQ(c.listIndex(kList), 1);
    xdotool("key Down Down");  // the second stops at the last entry
    EXPECT_EQ(controlIds(collect(1)), std::vector<int>{kList});
    EXPECT_TRUE(drain(200ms).empty());
    EXPECT_EQ(c.listIndex(kList), 2);
    xdotool("key Up");
    EXPECT_EQ(controlIds(collect(1)), std::vector<int>{kList});
    EXPECT_EQ(c.listIndex(kList), 1);

    // Tab skips the label; Space ticks the box.
    xdotool("key Tab space");
    EXPECT_EQ(controlIds(collect(1)), std::vector<int>{kBox});
    EXPECT_TRUE(c.ticked(kBox));
    // Tab into the field selects its text, so typing replaces it.
    xdotool("key Tab x");
    EXPECT_EQ(controlIds(collect(1)), std::vector<int>{kField});
    EXPECT_EQ(c.controlText(kField), "x");
    // Return presses the focused button.
    xdotool("key Tab Return");
    EXPECT_EQ(controlIds(collect(1)), std::vector<int>{kButton});
    // Shift-Tab goes back to the field.
    xdotool("key shift+Tab y");
    EXPECT_EQ(controlIds(collect(1)), std::vector<int>{kField});
    EXPECT_EQ(c.controlText(kField), "y");
}

TEST_F(FltkTest, EscapeCloseBoxAndRequestCloseAskToClose) {
    const WindowId id = open("Closing", formControls());
    const Window window = focusWindow("Closing");
    ASSERT_NE(window, 0u);
    xdotool("key Escape");
    std::vector<Event> events = collect(1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, EventKind::Close);
    EXPECT_EQ(events[0].window, id);

    // The close box as a window manager delivers it.
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = window;
    message.xclient.message_type = XInternAtom(observer_, "WM_PROTOCOLS", False);
    message.xclient.format = 32;
    message.xclient.data.l[0] =
        static_cast<long>(XInternAtom(observer_, "WM_DELETE_WINDOW", False));
    message.xclient.data.l[1] = CurrentTime;
    XSendEvent(observer_, window, False, NoEventMask, &message);
    XFlush(observer_);
    events = collect(1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, EventKind::Close);
    EXPECT_EQ(events[0].window, id);

    // Asking is not closing: the window stays until the program closes it.
    controls().requestClose(id);
    EXPECT_EQ(platform_.waitEvent(0).kind, EventKind::Close);
    EXPECT_NE(findWindow("Closing"), 0u);

    // Closing drops what the window still had queued and takes it off the screen.
    controls().requestClose(id);
    controls().closeWindow(id);
    window_ = 0;
    EXPECT_TRUE(drain(200ms).empty());
    EXPECT_EQ(commandOutput("xdotool search --onlyvisible --name '^Closing$'"), "");
    EXPECT_EQ(controls().controlText(kField), "");
}

TEST_F(FltkTest, WindowThatReportsKeysReportsOnlyItsFive) {
    const WindowId id = open("Viewer", formControls(), true);
    ASSERT_NE(focusWindow("Viewer"), 0u);
    xdotool("key Return Escape space Up Down Tab x");
    const std::vector<Event> events = collect(5);
    ASSERT_EQ(events.size(), 5u);
    const Key expected[] = {Key::Return, Key::Escape, Key::Space, Key::Up, Key::Down};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(events[i].kind, EventKind::Key) << i;
        EXPECT_EQ(events[i].key, expected[i]) << i;
        EXPECT_EQ(events[i].window, id) << i;
    }
    // Tab moved on to the box and the "x" went nowhere that reports: no more events, and the
    // list kept its entry although Up and Down were pressed on it.
    EXPECT_TRUE(drain(200ms).empty());
    EXPECT_EQ(controls().listIndex(kList), 0);
}

TEST_F(FltkTest, IconsKeepTheirColoursAndTransparency) {
    // Left half opaque blue, right half fully transparent, given as BGRA.
    IconPixels icon{16, 16, std::vector<uint8_t>(16 * 16 * 4, 0)};
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 8; ++x) {
            uint8_t* p = &icon.pixels[static_cast<size_t>(y * 16 + x) * 4];
            p[0] = 255;  // blue
            p[3] = 255;
        }
    }
    ControlSpec button = control(kIconButton, ControlKind::IconButton, {100, 100, 32, 32});
    button.icon = icon;
    button.tooltip = "An icon";
    open("Icons", {button});
    const Window window = focusWindow("Icons");
    ASSERT_NE(window, 0u);
    // The picture is centred: its left half covers x 108..115 of the window.
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!(pixel(window, 110, 116) == Colour{0, 0, 255}) &&
           std::chrono::steady_clock::now() < deadline) {
        platform_.waitEvent(20);
    }
    EXPECT_EQ(pixel(window, 110, 116), (Colour{0, 0, 255}));
    const Colour behind = pixel(window, 120, 116);
    EXPECT_FALSE(behind == (Colour{0, 0, 255}));
    EXPECT_FALSE(behind == (Colour{0, 0, 0}));
}

TEST_F(FltkTest, ClipboardIsReadableByOtherProgramsWhileWaiting) {
    open("Clip", formControls());
    const std::string text = "drape \"Dots 2\" ~host~ ünï";
    controls().setClipboardText(text);
    const std::string out = root_ + "tmp/clip.txt";
    Background reader("xclip -o -selection clipboard", out);
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!reader.finished() && std::chrono::steady_clock::now() < deadline) {
        platform_.waitEvent(20);
    }
    ASSERT_TRUE(reader.finished());
    EXPECT_EQ(readText(out), text);
    // A second copy replaces the first.
    controls().setClipboardText("second");
    Background again("xclip -o -selection clipboard", out);
    while (!again.finished() && std::chrono::steady_clock::now() < deadline + kPatience) {
        platform_.waitEvent(20);
    }
    EXPECT_EQ(readText(out), "second");
}

TEST_F(FltkTest, TerminateBroadcastsStillCountTwiceWhileAWindowIsOpen) {
    ASSERT_TRUE(platform_.openProgramWindow("Drape"));
    open("Resident", formControls());
    const Window window = focusWindow("Resident");
    ASSERT_NE(window, 0u);
    PosixPlatform sender;
    sender.broadcastTerminate();
    xdotool("mousemove --window " + std::to_string(window) + " 50 104 click 1");
    std::vector<Event> events = collect(3);
    ASSERT_EQ(events.size(), 3u);
    int terminates = 0;
    int clicks = 0;
    for (const Event& event : events) {
        terminates += event.kind == EventKind::Terminate;
        clicks += event.kind == EventKind::Control && event.controlId == kButton;
    }
    EXPECT_EQ(terminates, 2);
    EXPECT_EQ(clicks, 1);
    // Waiting for ever ends with the next broadcast, not at once with nothing.
    sender.broadcastTerminate();
    EXPECT_EQ(platform_.waitEvent(kWaitForever).kind, EventKind::Terminate);
    EXPECT_EQ(platform_.waitEvent(kWaitForever).kind, EventKind::Terminate);
    // With nothing to report the wait lasts its time-out, without spinning.
    const auto start = std::chrono::steady_clock::now();
    const clock_t cpuBefore = clock();
    EXPECT_EQ(platform_.waitEvent(300).kind, kNothing);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 290ms);
    EXPECT_LT(waited, 1500ms);
    EXPECT_LT(static_cast<double>(clock() - cpuBefore) / CLOCKS_PER_SEC, 0.1);
}

TEST_F(FltkTest, MessageBoxIsClosedByReturn) {
    open("Owner", formControls());
    const std::string out = root_ + "tmp/box.txt";
    // The box is modal, so the answer comes from another process that waits for it to appear.
    // Keys go through XTEST to the focus, as a user's would; a chained "key" would be sent
    // to the box directly and stumble when the box is gone before the key's release.
    Background answer(
        "xdotool search --sync --onlyvisible --name '^Drape Box$' windowfocus --sync && "
        "xdotool key Return && echo answered",
        out);
    platform_.messageBox("Drape Box", "Image file missing\r\nsecond line", kMbIconError);
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!answer.finished() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(readText(out), "answered\n");
    EXPECT_EQ(commandOutput("xdotool search --onlyvisible --name '^Drape Box$'"), "");
}

TEST_F(FltkTest, FileChooserAnswersTheTypedPathOrNothingWhenCancelled) {
    open("Owner", formControls());
    const std::string picked = root_ + "tmp/picked.jpg";
    writeText(picked, "x");
    const std::string out = root_ + "tmp/answer.txt";
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(root_ + "tmp");
    {
        // The chooser starts in the current folder and completes names as they are typed, so
        // the test types a name that needs no completion over the field's whole text.
        Background answer(
            "xdotool search --sync --onlyvisible --name '^Pick an image$' "
            "windowfocus --sync && sleep 0.2 && xdotool key End shift+Home && "
            "xdotool type --delay 5 picked.jpg && xdotool key Return",
            out);
        EXPECT_EQ(controls().chooseFile("Pick an image", "Image (*.JPG)|*.jpg|All (*.*)|*.*"),
                  picked);
    }
    {
        Background cancel(
            "xdotool search --sync --onlyvisible --name '^Pick a folder$' "
            "windowfocus --sync && xdotool key Escape",
            out);
        EXPECT_EQ(controls().chooseFolder("Pick a folder"), "");
    }
    std::filesystem::current_path(before);
}

}  // namespace
}  // namespace drape::platform::posix::testing
