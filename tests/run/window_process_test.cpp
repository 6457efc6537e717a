// The built program's windows on a private Xvfb without a window manager, driven from outside
// with xdotool as a user would drive them.
// gtest first: Xlib's macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include "run/window_process_fixture.h"

namespace drape::test {
namespace {

using namespace std::chrono_literals;

TEST_F(WindowProcessTest, HelpOpensTheViewerSpaceTurnsAPageEscapeClosesIt) {
    start({"help"});
    const Window window = waitForWindow("Drape v1.81 - ");
    ASSERT_NE(window, 0u) << "no viewer window appeared";
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(observer_, window, &attributes));
    EXPECT_EQ(attributes.width, 616);
    xdotool("windowfocus " + std::to_string(window));
    const std::vector<char> first = settledPixels(window);
    ASSERT_FALSE(first.empty());
    xdotool("key space");
    EXPECT_TRUE(pictureChanges(window, first)) << "Space did not turn the page";
    // Up goes back to the very picture of the first page.
    const std::vector<char> second = settledPixels(window);
    xdotool("key Up");
    ASSERT_TRUE(pictureChanges(window, second));
    EXPECT_TRUE(settledPixels(window) == first);
    xdotool("key Escape");
    EXPECT_EQ(exitStatus(), std::optional<int>(0));
    EXPECT_EQ(xdotool("search --onlyvisible --name 'Drape v1.81 - '"), "");
}

TEST_F(WindowProcessTest, ViewerOkButtonClosesItAndKillFromElsewhereDoesNotEndIt) {
    start({"help"});
    const Window window = waitForWindow("Drape v1.81 - ");
    ASSERT_NE(window, 0u);
    // The viewer listens to no broadcast: another process's kill leaves it open.
    const pid_t killer =
        spawnDrape(program_, {"kill"},
                   {"HOME=" + (root_ / "home").string(),
                    "XDG_CONFIG_HOME=" + (root_ / "home" / "config").string(),
                    "XDG_RUNTIME_DIR=" + (root_ / "run").string(), "DRAPE_MONITORS=1024x768@0,0"},
                   (root_ / "kill.txt").string());
    ASSERT_GT(killer, 0);
    waitpid(killer, nullptr, 0);
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(ended());
    // Ok sits at (560, h - 12) of the client area, 50 x 22.
    XWindowAttributes attributes{};
    ASSERT_TRUE(XGetWindowAttributes(observer_, window, &attributes));
    xdotool("mousemove --window " + std::to_string(window) + " 585 " +
            std::to_string(attributes.height - 16 - 12 + 11) + " click 1");
    EXPECT_EQ(exitStatus(), std::optional<int>(0));
}

}  // namespace
}  // namespace drape::test
