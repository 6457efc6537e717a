// The built program's windows on a private Xvfb without a window manager, driven from outside
// with xdotool as a user would drive them.
// gtest first: Xlib's macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include "support/drape_process.h"
#include "support/require_installed.h"

// Xlib after gtest.
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/x11_test_support.h"

namespace drape::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using platform::posix::testing::programOnPath;
using platform::posix::testing::XvfbServer;
using Clock = std::chrono::steady_clock;

constexpr auto kPatience = 10s;

class WindowProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        program_ = builtDrape();
        if (program_.empty()) {
            GTEST_SKIP() << "DRAPE_BIN_DIR does not hold the built program";
        }
        DRAPE_REQUIRE_INSTALLED(XvfbServer::installed(), "Xvfb");
        DRAPE_REQUIRE_INSTALLED(!programOnPath("xdotool").empty(), "xdotool");
        ASSERT_TRUE(server_.start("1024x768x24"));
        std::string pattern = (fs::temp_directory_path() / "drape-window-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        fs::create_directories(root_ / "home");
        fs::create_directories(root_ / "run");
        fs::permissions(root_ / "run", fs::perms::owner_all, fs::perm_options::replace);
        observer_ = XOpenDisplay(server_.name().c_str());
        ASSERT_NE(observer_, nullptr);
    }
    void TearDown() override {
        if (pid_ > 0 && !ended()) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (observer_ != nullptr) {
            XCloseDisplay(observer_);
        }
        server_.stop();
        if (!root_.empty()) {
            std::error_code ignored;
            fs::remove_all(root_, ignored);
        }
    }

    void start(const std::vector<std::string>& words) {
        pid_ = spawnDrape(program_, words,
                          {"HOME=" + (root_ / "home").string(), "TMPDIR=" + root_.string(),
                           "XDG_CONFIG_HOME=" + (root_ / "home" / "config").string(),
                           "XDG_RUNTIME_DIR=" + (root_ / "run").string(),
                           "DRAPE_MONITORS=1024x768@0,0", "DISPLAY=" + server_.name()},
                          (root_ / "output.txt").string());
        ASSERT_GT(pid_, 0);
    }

    bool ended() {
        if (status_) {
            return true;
        }
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) != pid_) {
            return false;
        }
        status_ = status;
        return true;
    }
    // The program's exit status once it ended within the patience.
    std::optional<int> exitStatus() {
        const auto deadline = Clock::now() + kPatience;
        while (!ended() && Clock::now() < deadline) {
            std::this_thread::sleep_for(10ms);
        }
        if (!status_ || !WIFEXITED(*status_)) {
            return std::nullopt;
        }
        return WEXITSTATUS(*status_);
    }

    std::string xdotool(const std::string& arguments) {
        const std::string command = "DISPLAY=" + server_.name() + " xdotool " + arguments;
        std::string out;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[256];
            size_t got = 0;
            while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
                out.append(buffer, got);
            }
            pclose(pipe);
        }
        while (!out.empty() && out.back() == '\n') {
            out.pop_back();
        }
        return out;
    }

    // The visible window whose title matches `pattern`, within the patience; 0 when none.
    Window waitForWindow(const std::string& pattern) {
        const auto deadline = Clock::now() + kPatience;
        while (Clock::now() < deadline) {
            const std::string found = xdotool("search --onlyvisible --name '" + pattern + "'");
            if (!found.empty()) {
                return std::stoul(found.substr(0, found.find('\n')));
            }
            std::this_thread::sleep_for(20ms);
        }
        return 0;
    }

    std::vector<char> windowPixels(Window window) {
        XWindowAttributes attributes{};
        XGetWindowAttributes(observer_, window, &attributes);
        XImage* image = XGetImage(observer_, window, 0, 0, static_cast<unsigned>(attributes.width),
                                  static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
        if (image == nullptr) {
            return {};
        }
        std::vector<char> pixels(image->data,
                                 image->data + static_cast<size_t>(image->bytes_per_line) *
                                                   static_cast<size_t>(image->height));
        XDestroyImage(image);
        return pixels;
    }

    // Waits until the window's picture differs from `before`; false when it stays.
    bool pictureChanges(Window window, const std::vector<char>& before) {
        const auto deadline = Clock::now() + kPatience;
        while (Clock::now() < deadline) {
            if (windowPixels(window) != before) {
                return true;
            }
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }
    // Waits until the picture has stopped changing, so that a later change is the user's doing.
    std::vector<char> settledPixels(Window window) {
        std::vector<char> last = windowPixels(window);
        const auto deadline = Clock::now() + kPatience;
        while (Clock::now() < deadline) {
            std::this_thread::sleep_for(100ms);
            std::vector<char> now = windowPixels(window);
            if (now == last) {
                return now;
            }
            last = std::move(now);
        }
        return last;
    }

    std::string program_;
    XvfbServer server_;
    fs::path root_;
    Display* observer_ = nullptr;
    pid_t pid_ = -1;
    std::optional<int> status_;
};

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
