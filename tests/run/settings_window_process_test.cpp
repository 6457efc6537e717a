// The settings window of the built program, driven with the mouse and keyboard under a private
// Xvfb and judged only from outside: the window tree, the CLIPBOARD, the files the buttons
// write and the root window's pixels.
// gtest first: Xlib's macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "run/window_process_fixture.h"

namespace drape::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using platform::posix::testing::Colour;
using platform::posix::testing::kGreen;
using platform::posix::testing::kRed;
using platform::posix::testing::programOnPath;
using platform::posix::testing::solidBmp;
using platform::posix::testing::WindowPixels;

// The settings window's title alone; the viewer's title starts with it.
constexpr const char* kSettingsTitle = "^Drape v1.81$";

// Client coordinates of the controls the tests use: the middle of each.
struct Point {
    int x;
    int y;
};
constexpr Point kAuto{424, 31};
constexpr Point kApply{480, 28};
constexpr Point kFileField{374, 74};
constexpr Point kBackgroundDots{128, 103};
constexpr Point kNormalText{220, 190};
constexpr Point kKeep{128, 287};
constexpr Point kCreateAutorun{306, 379};
constexpr Point kRemoveAutorun{341, 379};
constexpr Point kShortcut{376, 379};
constexpr Point kClipboard{411, 379};
constexpr Point kDocumentation{446, 379};

std::string fileText(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class SettingsWindowProcessTest : public WindowProcessTest {
  protected:
    void SetUp() override {
        WindowProcessTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        DRAPE_REQUIRE_INSTALLED(!programOnPath("xclip").empty(), "xclip");
    }

    // Starts the program and waits for its settings window, drawn and focused.
    Window openSettings(const std::vector<std::string>& words) {
        start(words);
        const Window window = waitForWindow(kSettingsTitle);
        if (window != 0) {
            settledPixels(window);
            xdotool("windowfocus --sync " + std::to_string(window));
        }
        return window;
    }

    void click(Window window, Point at) {
        xdotool("mousemove --sync --window " + std::to_string(window) + " " + std::to_string(at.x) +
                " " + std::to_string(at.y) + " click 1");
    }

    std::string clipboard() { return shell("timeout 2 xclip -o -selection clipboard 2>/dev/null"); }
    // Presses the clipboard button until the CLIPBOARD holds `expected` (a button press that
    // raced a previous event is simply repeated); what it last held.
    std::string copiedCommand(Window window, const std::string& expected) {
        std::string held;
        const auto deadline = Clock::now() + kWindowPatience;
        while (Clock::now() < deadline) {
            click(window, kClipboard);
            for (int poll = 0; poll < 10; ++poll) {
                held = clipboard();
                if (held == expected) {
                    return held;
                }
                std::this_thread::sleep_for(20ms);
            }
        }
        return held;
    }

    // The pixels of a rectangle of the window's client area.
    std::vector<char> areaPixels(Window window, int x, int y, int width, int height) {
        XImage* image = XGetImage(observer_, window, x, y, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
        if (image == nullptr) {
            return {};
        }
        std::vector<char> pixels(image->data,
                                 image->data + static_cast<size_t>(image->bytes_per_line) *
                                                   static_cast<size_t>(image->height));
        XDestroyImage(image);
        return pixels;
    }
    // Waits until `condition` holds; false when it does not within the patience.
    template <typename Condition>
    bool becomes(Condition condition) {
        const auto deadline = Clock::now() + kWindowPatience;
        while (Clock::now() < deadline) {
            if (condition()) {
                return true;
            }
            std::this_thread::sleep_for(20ms);
        }
        return condition();
    }

    // A root pixel that the window does not cover.
    Point rootPointBeside(Window window) {
        int x = 0;
        int y = 0;
        Window child = 0;
        XTranslateCoordinates(observer_, window, DefaultRootWindow(observer_), 0, 0, &x, &y,
                              &child);
        return {x > 20 ? 5 : 1018, y > 20 ? 5 : 762};
    }
    Colour rootColour(Point at) {
        WindowPixels pixels(observer_, at.x + 1, at.y + 1);
        return pixels.valid() ? pixels.at(at.x, at.y) : Colour{-1, -1, -1};
    }

    std::string output() { return fileText(root_ / "output.txt"); }

    // Solid green and red pictures the size of the screen, and the window showing the green.
    Window openWithGreenPicture() {
        std::ofstream(root_ / "green.bmp", std::ios::binary) << solidBmp(1024, 768, kGreen);
        std::ofstream(root_ / "red.bmp", std::ios::binary) << solidBmp(1024, 768, kRed);
        return openSettings({"gui", "load", (root_ / "green.bmp").string()});
    }
    // Turns the file field's ".../green.bmp" into ".../red.bmp".
    void replaceGreenByRed(Window window) {
        click(window, kFileField);
        xdotool("key End");
        xdotool("key --delay 10 --repeat 9 BackSpace");
        xdotool("type --delay 10 red.bmp");
    }
};

TEST_F(SettingsWindowProcessTest, GuiOpensTheWindowWithItsClientSizeAndExitButtonEndsIt) {
    const Window window = openSettings({"gui", "red"});
    ASSERT_NE(window, 0u) << "no settings window appeared";
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(observer_, window, &attributes));
    EXPECT_EQ(attributes.width, 510);
    EXPECT_EQ(attributes.height, 408);
    // Exactly one such window: the program's own window, which hears broadcasts, stays unseen.
    EXPECT_EQ(visibleWindows(kSettingsTitle).size(), 1u);
    click(window, {481, 379});
    EXPECT_EQ(exitStatus(), std::optional<int>(0));
}

// Text drawn on the desktop and text drawn in the window both use fontconfig; shutting it down
// under the toolkit's feet at exit once aborted the program instead of ending it with 0.
TEST_F(SettingsWindowProcessTest, ExitAfterPaintingTextEndsWithStatusZero) {
    const Window window = openSettings({"gui", "red", "big", "A", "text", "B"});
    ASSERT_NE(window, 0u) << "no settings window appeared";
    // The first check paints the window's command, text included.
    ASSERT_TRUE(becomes([&] {
        return rootColour({2, 2}) == kRed;
    })) << "root pixel is "
        << ::testing::PrintToString(rootColour({2, 2}));
    click(window, {481, 379});
    EXPECT_EQ(exitStatus(), std::optional<int>(0));
}

TEST_F(SettingsWindowProcessTest, NoCommandFileAndNoAutorunEntryOpensTheWindow) {
    const Window window = openSettings({});
    ASSERT_NE(window, 0u);
    EXPECT_FALSE(ended());
}

TEST_F(SettingsWindowProcessTest, DownAndUpOnThePresetListChoosePresets) {
    const Window window = openSettings({"gui", "red"});
    ASSERT_NE(window, 0u);
    // Up on the first entry stays there rather than wrapping round to the last.
    xdotool("key --delay 50 Up Down Down Down Up Up");
    EXPECT_EQ(copiedCommand(window,
                            "drape distort 10 expand 100 random programfolder fade renew 600 "
                            "nouser 120"),
              "drape distort 10 expand 100 random programfolder fade renew 600 nouser 120");
}

TEST_F(SettingsWindowProcessTest, ADotsBoxAddsItsWordAndASecondClickTakesItAway) {
    const Window window = openSettings({"gui", "red"});
    ASSERT_NE(window, 0u);
    EXPECT_EQ(copiedCommand(window, "drape red"), "drape red");
    click(window, kBackgroundDots);
    EXPECT_EQ(copiedCommand(window, "drape red dots"), "drape red dots");
    click(window, kBackgroundDots);
    EXPECT_EQ(copiedCommand(window, "drape red"), "drape red");
}

TEST_F(SettingsWindowProcessTest, TypingNormalTextRebuildsTheCommandAndErasingItRestoresIt) {
    const Window window = openSettings({"gui", "red"});
    ASSERT_NE(window, 0u);
    click(window, kNormalText);
    xdotool("type --delay 10 'Hi there'");
    EXPECT_EQ(copiedCommand(window, "drape red text \"Hi there\""), "drape red text \"Hi there\"");
    click(window, kNormalText);
    xdotool("key End");
    xdotool("key --delay 10 --repeat 8 BackSpace");
    EXPECT_EQ(copiedCommand(window, "drape red"), "drape red");
}

TEST_F(SettingsWindowProcessTest, ApplyPaintsTheEditedCommandAndKeepsTheBitmapWhenTicked) {
    const Window window = openWithGreenPicture();
    ASSERT_NE(window, 0u);
    const Point beside = rootPointBeside(window);
    // The first idle check puts the shown command's wallpaper up, as it would replace a
    // stranger's; without Keep no bitmap stays behind.
    ASSERT_TRUE(becomes([&] { return rootColour(beside) == kGreen; }))
        << "root pixel is " << ::testing::PrintToString(rootColour(beside));
    // The temporary bitmap goes once the wallpaper is set, so the desktop can show the
    // picture a moment before the file is gone.
    EXPECT_TRUE(becomes([&] { return !fs::exists(root_ / "drape.bmp"); }));

    replaceGreenByRed(window);
    click(window, kKeep);
    const std::string edited = "drape load \"" + (root_ / "red.bmp").string() + "\" keep";
    ASSERT_EQ(copiedCommand(window, edited), edited);
    // Edits wait for Apply while Auto is unticked.
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(rootColour(beside), kGreen);

    click(window, kApply);
    EXPECT_TRUE(becomes([&] { return rootColour(beside) == kRed; }))
        << "root pixel stays " << ::testing::PrintToString(rootColour(beside));
    EXPECT_TRUE(becomes([&] { return fs::exists(root_ / "drape.bmp"); }));
    EXPECT_FALSE(ended());
}

TEST_F(SettingsWindowProcessTest, TickingAutoAppliesTheEditedCommandWithoutApply) {
    const Window window = openWithGreenPicture();
    ASSERT_NE(window, 0u);
    const Point beside = rootPointBeside(window);
    ASSERT_TRUE(becomes([&] { return rootColour(beside) == kGreen; }));
    replaceGreenByRed(window);
    const std::string edited = "drape load \"" + (root_ / "red.bmp").string() + "\"";
    ASSERT_EQ(copiedCommand(window, edited), edited);
    std::this_thread::sleep_for(300ms);
    ASSERT_EQ(rootColour(beside), kGreen);
    click(window, kAuto);
    EXPECT_TRUE(becomes([&] { return rootColour(beside) == kRed; }))
        << "root pixel stays " << ::testing::PrintToString(rootColour(beside));
    // The temporary bitmap goes once the wallpaper is set, so the desktop can show the
    // picture a moment before the file is gone.
    EXPECT_TRUE(becomes([&] { return !fs::exists(root_ / "drape.bmp"); }));
}

TEST_F(SettingsWindowProcessTest, AutorunButtonsWriteAndRemoveTheEntryAndTheIndicatorFollows) {
    const Window window = openSettings({"gui", "red"});
    ASSERT_NE(window, 0u);
    const fs::path entry = configHome() / "autostart" / "drape.desktop";
    const auto indicator = [&] { return areaPixels(window, 265, 372, 16, 16); };
    const std::vector<char> hidden = indicator();
    ASSERT_FALSE(hidden.empty());
    ASSERT_FALSE(fs::exists(entry));

    click(window, kCreateAutorun);
    ASSERT_TRUE(becomes([&] { return fs::exists(entry); })) << "no autorun entry written";
    EXPECT_NE(fileText(entry).find(program_), std::string::npos) << fileText(entry);
    EXPECT_NE(fileText(entry).find("red"), std::string::npos) << fileText(entry);
    EXPECT_TRUE(becomes([&] { return indicator() != hidden; })) << "the indicator stays hidden";

    click(window, kRemoveAutorun);
    EXPECT_TRUE(becomes([&] { return !fs::exists(entry); })) << "the entry stays";
    EXPECT_TRUE(becomes([&] { return indicator() == hidden; })) << "the indicator stays shown";
}

TEST_F(SettingsWindowProcessTest, AnExistingAutorunEntryShowsTheIndicatorAtOnce) {
    // The entry a first instance writes; a second window shows it before any click.
    const Window first = openSettings({"gui", "red"});
    ASSERT_NE(first, 0u);
    click(first, kCreateAutorun);
    ASSERT_TRUE(becomes([&] { return fs::exists(configHome() / "autostart" / "drape.desktop"); }));
    std::vector<char> shown;
    ASSERT_TRUE(becomes([&] {
        shown = areaPixels(first, 265, 372, 16, 16);
        return shown != std::vector<char>(shown.size(), shown.empty() ? 0 : shown.front());
    }));
    click(first, {481, 379});
    ASSERT_EQ(exitStatus(), std::optional<int>(0));
    status_.reset();
    const Window second = openSettings({"gui", "blue"});
    ASSERT_NE(second, 0u);
    EXPECT_EQ(areaPixels(second, 265, 372, 16, 16), shown);
}

TEST_F(SettingsWindowProcessTest, ShortcutButtonWritesTheLauncherOnTheDesktopFolder) {
    fs::create_directories(root_ / "home" / "Desktop");
    const Window window = openSettings({"gui", "red"});
    ASSERT_NE(window, 0u);
    click(window, kShortcut);
    const fs::path launcher = root_ / "home" / "Desktop" / "Drape red.desktop";
    ASSERT_TRUE(becomes([&] { return fs::exists(launcher); })) << "no launcher written";
    const std::string text = fileText(launcher);
    EXPECT_NE(text.find("[Desktop Entry]"), std::string::npos) << text;
    EXPECT_NE(text.find("Exec="), std::string::npos) << text;
    EXPECT_NE(text.find(" red"), std::string::npos) << text;
    struct stat info {};
    ASSERT_EQ(stat(launcher.c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IXUSR, 0u) << "desktops start only executable launchers";
}

TEST_F(SettingsWindowProcessTest, ShortcutFollowsTheUserDirsDesktopAndNamesTheTextShown) {
    fs::create_directories(configHome());
    fs::create_directories(root_ / "home" / "Schreibtisch");
    fs::create_directories(root_ / "home" / "Desktop");
    std::ofstream(configHome() / "user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n";
    const Window window = openSettings({"gui", "blue", "text", "Hello"});
    ASSERT_NE(window, 0u);
    click(window, kShortcut);
    const fs::path launcher = root_ / "home" / "Schreibtisch" / "Drape blue hello.desktop";
    EXPECT_TRUE(becomes([&] { return fs::exists(launcher); }))
        << "no launcher written; the folder holds "
        << shell("ls '" + (root_ / "home" / "Schreibtisch").string() + "'");
    EXPECT_TRUE(fs::is_empty(root_ / "home" / "Desktop")) << "user-dirs.dirs was passed over";
}

TEST_F(SettingsWindowProcessTest, DocumentationButtonSwapsInTheViewerAndEscapeSwapsBack) {
    const Window window = openSettings({"gui", "red"});
    ASSERT_NE(window, 0u);
    click(window, kDocumentation);
    const Window viewer = waitForWindow("^ Drape v1.81 - 02.04.2016 build 209 save 4605$");
    ASSERT_NE(viewer, 0u) << "no viewer appeared";
    EXPECT_TRUE(windowGoes(kSettingsTitle)) << "the settings window stays shown";
    xdotool("windowfocus --sync " + std::to_string(viewer));
    const std::vector<char> first = settledPixels(viewer);
    xdotool("key space");
    EXPECT_TRUE(pictureChanges(viewer, first)) << "Space did not turn the page";
    xdotool("key Escape");
    EXPECT_TRUE(windowGoes(" Drape v1.81 - ")) << "Escape left the viewer open";
    // Hiding destroys the X window, so the settings window returns as a new one.
    const Window again = waitForWindow(kSettingsTitle);
    ASSERT_NE(again, 0u) << "the settings window did not return";
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(observer_, again, &attributes));
    EXPECT_EQ(attributes.width, 510);
    EXPECT_FALSE(ended());
    // It still acts after the viewer's modal loop.
    settledPixels(again);
    click(again, kBackgroundDots);
    EXPECT_EQ(copiedCommand(again, "drape red dots"), "drape red dots");
}

TEST_F(SettingsWindowProcessTest, ApplyWithAMissingImageShowsTheMessageAndReturnClosesIt) {
    const Window window = openSettings({"gui", "load", "/nonexistent.jpg"});
    ASSERT_NE(window, 0u);
    click(window, kApply);
    const Window box = waitForWindow(kSettingsTitle, window);
    ASSERT_NE(box, 0u) << "no message box; output: " << output();
    EXPECT_TRUE(becomes([&] { return output().find("Missing image file") != std::string::npos; }))
        << output();
    xdotool("windowfocus --sync " + std::to_string(box));
    xdotool("key Return");
    EXPECT_TRUE(becomes([&] { return visibleWindows(kSettingsTitle).size() == 1; }))
        << "Return left the message box open";
    EXPECT_EQ(waitForWindow(kSettingsTitle), window);
    EXPECT_FALSE(ended()) << "the error ended the window's process";
}

TEST_F(SettingsWindowProcessTest, KillEndsAResidentInstanceButNotTheOpenWindow) {
    const Window window = openSettings({"gui", "red"});
    ASSERT_NE(window, 0u);
    // A newer instance ends older residents, so the resident starts after the window.
    const pid_t resident = startAnother({"blue", "background"}, "resident.txt");
    ASSERT_GT(resident, 0);
    const Point beside = rootPointBeside(window);
    ASSERT_TRUE(becomes([&] {
        return rootColour(beside) == Colour{0, 0, 127};
    })) << "the resident did not paint";
    EXPECT_FALSE(otherEnds(resident, 300ms)) << "the resident did not stay";

    const pid_t killer = startAnother({"kill"}, "kill.txt", false);
    ASSERT_GT(killer, 0);
    EXPECT_TRUE(otherEnds(killer));
    EXPECT_TRUE(otherEnds(resident)) << "kill left the resident running";
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(ended()) << "kill ended the open window's process";
    EXPECT_EQ(waitForWindow(kSettingsTitle), window);
}

}  // namespace
}  // namespace drape::test
