// The built program's windows on a private Xvfb without a window manager, driven from outside
// with xdotool as a user would drive them. Include it after gtest: Xlib's macros (None, Bool)
// would break gtest's headers.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/x11_test_support.h"
#include "support/drape_process.h"
#include "support/require_installed.h"

namespace drape::test {

using Clock = std::chrono::steady_clock;
inline constexpr auto kWindowPatience = std::chrono::seconds(10);

class WindowProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        using platform::posix::testing::programOnPath;
        using platform::posix::testing::XvfbServer;
        program_ = builtDrape();
        if (program_.empty()) {
            GTEST_SKIP() << "DRAPE_BIN_DIR does not hold the built program";
        }
        DRAPE_REQUIRE_INSTALLED(XvfbServer::installed(), "Xvfb");
        DRAPE_REQUIRE_INSTALLED(!programOnPath("xdotool").empty(), "xdotool");
        ASSERT_TRUE(server_.start("1024x768x24"));
        std::string pattern =
            (std::filesystem::temp_directory_path() / "drape-window-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        std::filesystem::create_directories(root_ / "home");
        std::filesystem::create_directories(root_ / "run");
        std::filesystem::permissions(root_ / "run", std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace);
        observer_ = XOpenDisplay(server_.name().c_str());
        ASSERT_NE(observer_, nullptr);
    }
    void TearDown() override {
        for (const pid_t other : others_) {
            kill(other, SIGKILL);
            waitpid(other, nullptr, 0);
        }
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
            std::filesystem::remove_all(root_, ignored);
        }
    }

    std::vector<std::string> environment(bool withDisplay = true) const {
        std::vector<std::string> names = {
            "HOME=" + (root_ / "home").string(), "TMPDIR=" + root_.string(),
            "XDG_CONFIG_HOME=" + configHome().string(),
            "XDG_RUNTIME_DIR=" + (root_ / "run").string(), "DRAPE_MONITORS=" + monitors_};
        if (withDisplay) {
            names.push_back("DISPLAY=" + server_.name());
        }
        return names;
    }
    std::filesystem::path configHome() const { return root_ / "home" / "config"; }

    // Starts the program under test; its output goes to output.txt.
    void start(const std::vector<std::string>& words) {
        pid_ = spawnDrape(program_, words, environment(), (root_ / "output.txt").string());
        ASSERT_GT(pid_, 0);
    }
    // Starts another instance beside it, ended at the latest when the test ends.
    pid_t startAnother(const std::vector<std::string>& words, const std::string& log,
                       bool withDisplay = true) {
        const pid_t other =
            spawnDrape(program_, words, environment(withDisplay), (root_ / log).string());
        if (other > 0) {
            others_.push_back(other);
        }
        return other;
    }
    // Whether another instance ended within the patience (and is reaped).
    bool otherEnds(pid_t other, std::chrono::milliseconds patience = kWindowPatience) {
        const auto deadline = Clock::now() + patience;
        do {
            if (waitpid(other, nullptr, WNOHANG) == other) {
                std::erase(others_, other);
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } while (Clock::now() < deadline);
        return false;
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
        const auto deadline = Clock::now() + kWindowPatience;
        while (!ended() && Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!status_ || !WIFEXITED(*status_)) {
            return std::nullopt;
        }
        return WEXITSTATUS(*status_);
    }

    // What a shell command with this display prints, trailing newlines removed.
    std::string shell(const std::string& command) {
        return platform::posix::testing::commandOutput("DISPLAY=" + server_.name() + " " + command);
    }
    std::string xdotool(const std::string& arguments) { return shell("xdotool " + arguments); }

    // The visible windows whose title matches the regular expression `pattern`.
    std::vector<Window> visibleWindows(const std::string& pattern) {
        std::vector<Window> windows;
        const std::string found = xdotool("search --onlyvisible --name '" + pattern + "'");
        size_t start = 0;
        while (start < found.size()) {
            const size_t end = std::min(found.find('\n', start), found.size());
            windows.push_back(std::stoul(found.substr(start, end - start)));
            start = end + 1;
        }
        return windows;
    }
    // The visible window whose title matches `pattern` and is not `other`, within the
    // patience; 0 when none.
    Window waitForWindow(const std::string& pattern, Window other = 0) {
        const auto deadline = Clock::now() + kWindowPatience;
        while (Clock::now() < deadline) {
            for (const Window window : visibleWindows(pattern)) {
                if (window != other) {
                    return window;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return 0;
    }
    // Whether no visible window matches `pattern` within the patience.
    bool windowGoes(const std::string& pattern) {
        const auto deadline = Clock::now() + kWindowPatience;
        while (Clock::now() < deadline) {
            if (visibleWindows(pattern).empty()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
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
        const auto deadline = Clock::now() + kWindowPatience;
        while (Clock::now() < deadline) {
            if (windowPixels(window) != before) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    // Waits until the picture has stopped changing, so that a later change is the user's doing.
    std::vector<char> settledPixels(Window window) {
        std::vector<char> last = windowPixels(window);
        const auto deadline = Clock::now() + kWindowPatience;
        while (Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            std::vector<char> now = windowPixels(window);
            if (now == last) {
                return now;
            }
            last = std::move(now);
        }
        return last;
    }

    std::string program_;
    platform::posix::testing::XvfbServer server_;
    std::filesystem::path root_;
    std::string monitors_ = "1024x768@0,0";
    Display* observer_ = nullptr;
    pid_t pid_ = -1;
    std::optional<int> status_;
    std::vector<pid_t> others_;
};

}  // namespace drape::test
