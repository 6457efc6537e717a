// Built programs started as real processes, each "user" with its own home, temporary, config
// and runtime folders, so that tests running in parallel never reach each other's instances;
// the fixture watches resident instances find and end each other through the runtime folder.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/drape_process.h"

namespace drape::test {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Long enough for a sanitizer build on a loaded machine to start and paint a small desktop.
inline constexpr auto kStartLimit = 10s;
// How long an instance is watched to show that something did not end it: more than one
// resident check, and far more than a terminate datagram takes to arrive.
inline constexpr auto kSurvival = 1500ms;

// Replaces the file in one step, so that a reader never sees half of it.
inline void replaceFile(const fs::path& path, const std::string& text) {
    const fs::path temporary = path.string() + ".new";
    std::ofstream(temporary, std::ios::binary) << text;
    fs::rename(temporary, path);
}

inline bool exitedCleanly(int status) {
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct User {
    fs::path home;
    fs::path runtime;  // what XDG_RUNTIME_DIR points at; Drape works in its "drape" folder
};

class ResidentProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        program_ = builtDrape();
        if (program_.empty()) {
            GTEST_SKIP() << "DRAPE_BIN_DIR does not hold the built program";
        }
        std::string pattern = (fs::temp_directory_path() / "drape-resident-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        user_ = makeUser("a");
    }

    // A failed test must not leave instances behind: ask them to stop, then force them.
    void TearDown() override {
        for (const pid_t pid : running_) {
            kill(pid, SIGTERM);
        }
        const auto deadline = Clock::now() + 2s;
        while (!running_.empty() && Clock::now() < deadline) {
            for (const pid_t pid : std::set<pid_t>(running_)) {
                ended(pid);
            }
            std::this_thread::sleep_for(10ms);
        }
        for (const pid_t pid : running_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        running_.clear();
        if (!root_.empty()) {
            std::error_code ignored;
            fs::remove_all(root_, ignored);
        }
    }

    User makeUser(const std::string& name) {
        const User user{root_ / name / "home", root_ / name / "run"};
        fs::create_directories(user.home);
        fs::create_directories(user.runtime);
        fs::permissions(user.runtime, fs::perms::owner_all, fs::perm_options::replace);
        return user;
    }

    // Starts drape (or another built `program`) with `words` as its arguments, in `user`'s
    // environment, without a display.
    pid_t start(const std::vector<std::string>& words, const User& user,
                const std::string& monitors = "64x32@0,0", const std::string& program = "") {
        std::vector<std::string> environment = {
            "HOME=" + user.home.string(),
            "TMPDIR=" + user.home.string(),
            "XDG_CONFIG_HOME=" + (user.home / "config").string(),
            "XDG_RUNTIME_DIR=" + user.runtime.string(),
            "DRAPE_MONITORS=" + monitors,
        };
        const fs::path log = root_ / ("output-" + std::to_string(++started_) + ".txt");
        const pid_t pid = spawnDrape(program.empty() ? program_ : program, words,
                                     std::move(environment), log.string());
        if (pid < 0) {
            return -1;
        }
        running_.insert(pid);
        logs_[pid] = log;
        return pid;
    }

    // Reaps `pid` if it has ended, keeping its status.
    bool ended(pid_t pid) {
        if (statuses_.count(pid) != 0) {
            return true;
        }
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) != pid) {
            return false;
        }
        statuses_[pid] = status;
        running_.erase(pid);
        return true;
    }

    // The wait status of `pid` if it ends within `limit`.
    std::optional<int> endsWithin(pid_t pid, Clock::duration limit) {
        const auto deadline = Clock::now() + limit;
        while (!ended(pid)) {
            if (Clock::now() >= deadline) {
                return std::nullopt;
            }
            std::this_thread::sleep_for(10ms);
        }
        return statuses_[pid];
    }

    // Runs drape to its end, which a one-shot run reaches quickly.
    bool runOnce(const std::vector<std::string>& words, const User& user) {
        const pid_t pid = start(words, user);
        const std::optional<int> status = endsWithin(pid, kStartLimit);
        return status && exitedCleanly(*status);
    }

    // Waits until `pid` has entered the resident loop and heard its own announcement: its
    // socket is bound and it sleeps in poll(2). Where the kernel hides the wait channel, a
    // grace period after the socket appears stands in for it.
    bool waitsInTheLoop(pid_t pid, const User& user) {
        const std::string own = "instance-" + std::to_string(pid) + "-";
        const std::string wchan = "/proc/" + std::to_string(pid) + "/wchan";
        const auto deadline = Clock::now() + kStartLimit;
        std::optional<Clock::time_point> bound;
        while (Clock::now() < deadline && !ended(pid)) {
            const std::vector<std::string> names = sockets(user);
            if (!bound && std::any_of(names.begin(), names.end(), [&](const std::string& name) {
                    return name.starts_with(own);
                })) {
                bound = Clock::now();
            }
            if (bound) {
                const std::string channel = slurp(wchan);
                const bool hidden = channel.empty() || channel == "0";
                if (channel.find("poll") != std::string::npos ||
                    (hidden && Clock::now() - *bound > 500ms)) {
                    return true;
                }
            }
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }

    pid_t startResident(const std::vector<std::string>& words, const User& user,
                        const std::string& monitors = "64x32@0,0",
                        const std::string& program = "") {
        const pid_t pid = start(words, user, monitors, program);
        EXPECT_TRUE(waitsInTheLoop(pid, user)) << output(pid);
        return pid;
    }

    std::vector<std::string> sockets(const User& user) {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(user.runtime / "drape", error)) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with("instance-")) {
                names.push_back(name);
            }
        }
        return names;
    }

    std::string output(pid_t pid) {
        return "output of " + std::to_string(pid) + ":\n" + slurp(logs_[pid]);
    }

    fs::path root_;
    User user_;

  private:
    std::string program_;
    int started_ = 0;
    std::set<pid_t> running_;
    std::map<pid_t, int> statuses_;
    std::map<pid_t, fs::path> logs_;
};

}  // namespace drape::test
