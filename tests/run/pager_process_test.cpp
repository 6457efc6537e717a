// The manual in the terminal's page viewer, run in a pseudo-terminal of 80 x 24: each screen
// fits the terminal, and echo and line editing come back however the program ends.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/drape_process.h"

namespace drape::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

class PagerProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        program_ = builtDrape();
        if (program_.empty()) {
            GTEST_SKIP() << "DRAPE_BIN_DIR does not hold the built program";
        }
        std::string pattern = (fs::temp_directory_path() / "drape-pager-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master_, 0);
        ASSERT_EQ(grantpt(master_), 0);
        ASSERT_EQ(unlockpt(master_), 0);
        const char* name = ptsname(master_);
        ASSERT_NE(name, nullptr);
        slaveName_ = name;
        // Kept open by the test, so that the terminal's settings outlive the program.
        slave_ = open(name, O_RDWR | O_NOCTTY);
        ASSERT_GE(slave_, 0);
        const winsize size{24, 80, 0, 0};
        ASSERT_EQ(ioctl(master_, TIOCSWINSZ, &size), 0);
    }

    void TearDown() override {
        if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        for (const int fd : {master_, slave_}) {
            if (fd >= 0) {
                close(fd);
            }
        }
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    // Starts "drape help" on the terminal, as its own session's controlling terminal.
    void startHelp() {
        const std::string home = root_.string();
        pid_ = fork();
        ASSERT_GE(pid_, 0);
        if (pid_ == 0) {
            setsid();
            const int tty = open(slaveName_.c_str(), O_RDWR);
            if (tty < 0) {
                _exit(127);
            }
            ioctl(tty, TIOCSCTTY, 0);
            dup2(tty, 0);
            dup2(tty, 1);
            dup2(tty, 2);
            const std::string variables[] = {"HOME=" + home, "TMPDIR=" + home,
                                             "XDG_CONFIG_HOME=" + home + "/config",
                                             "XDG_RUNTIME_DIR=" + home, "TERM=xterm"};
            std::vector<char*> envp;
            for (const std::string& variable : variables) {
                envp.push_back(const_cast<char*>(variable.c_str()));
            }
            envp.push_back(nullptr);
            char help[] = "help";
            char* argv[] = {const_cast<char*>(program_.c_str()), help, nullptr};
            execve(program_.c_str(), argv, envp.data());
            _exit(127);
        }
    }

    // Takes what the program wrote within `ms`.
    void drain(int ms) {
        pollfd poller{master_, POLLIN, 0};
        if (poll(&poller, 1, ms) > 0) {
            char buffer[4096];
            const ssize_t got = read(master_, buffer, sizeof buffer);
            if (got > 0) {
                screen_.append(buffer, static_cast<size_t>(got));
            }
        }
    }

    // Reads what the program writes until `text` shows up after `from`, or the time is up.
    bool readUntil(const std::string& text, size_t from = 0) {
        const auto deadline = Clock::now() + 10s;
        while (screen_.find(text, from) == std::string::npos && Clock::now() < deadline) {
            drain(50);
        }
        return screen_.find(text, from) != std::string::npos;
    }

    tcflag_t localFlags() {
        termios settings{};
        tcgetattr(slave_, &settings);
        return settings.c_lflag;
    }

    int waitForEnd() {
        int status = 0;
        for (int i = 0; i < 500; ++i) {
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return status;
            }
            // Drained, so that a program writing to the terminal is never stuck.
            drain(10);
        }
        return -1;
    }

    fs::path root_;
    std::string program_;
    std::string slaveName_;
    int master_ = -1;
    int slave_ = -1;
    pid_t pid_ = -1;
    std::string screen_;
};

TEST_F(PagerProcessTest, EachScreenFitsTheTerminal) {
    startHelp();
    ASSERT_TRUE(readUntil("Return/Escape: close")) << screen_;
    // The terminal turns each line break into CR LF; the screen starts after the clearing.
    const std::string first = screen_.substr(screen_.rfind("\x1b[2J"));
    const long rows = std::count(first.begin(), first.end(), '\n') + 1;
    EXPECT_LE(rows, 24) << first;
    EXPECT_GE(rows, 20) << "the screen is not used whole\n" << first;
    EXPECT_NE(first.find("1/"), std::string::npos);

    // Space moves a screenful down the same page before the next one.
    const size_t mark = screen_.size();
    ASSERT_EQ(write(master_, " ", 1), 1);
    ASSERT_TRUE(readUntil("Return/Escape: close", mark));
    const std::string second = screen_.substr(screen_.rfind("\x1b[2J"));
    EXPECT_LE(std::count(second.begin(), second.end(), '\n') + 1, 24) << second;
    EXPECT_NE(second, first);

    ASSERT_EQ(write(master_, "\r", 1), 1);
    const int status = waitForEnd();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_NE(localFlags() & ECHO, 0u);
}

TEST_F(PagerProcessTest, EchoAndLineEditingComeBackWhenASignalEndsTheProgram) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        screen_.clear();
        startHelp();
        ASSERT_TRUE(readUntil("Return/Escape: close")) << screen_;
        ASSERT_EQ(localFlags() & ECHO, 0u) << "the viewer did not switch echo off";
        kill(pid_, signal);
        const int status = waitForEnd();
        ASSERT_NE(status, -1) << "signal " << signal << " did not end it";
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal)
            << "the signal's own ending was not kept, signal " << signal;
        EXPECT_NE(localFlags() & ECHO, 0u) << "no echo after signal " << signal;
        EXPECT_NE(localFlags() & ICANON, 0u) << "no line editing after signal " << signal;
    }
}

}  // namespace
}  // namespace drape::test
