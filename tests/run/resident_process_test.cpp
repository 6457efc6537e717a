// Starts the built program as real processes and watches resident instances find and end each
// other through the runtime folder. Every "user" gets its own home, temporary, config and
// runtime folders, so tests running in parallel never reach each other's instances.
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

#include "support/bmp_image.h"
#include "support/drape_process.h"

namespace drape::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Long enough for a sanitizer build on a loaded machine to start and paint a small desktop.
constexpr auto kStartLimit = 10s;
// How long an instance is watched to show that something did not end it: more than one
// resident check, and far more than a terminate datagram takes to arrive.
constexpr auto kSurvival = 1500ms;

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

// Replaces the file in one step, so that a reader never sees half of it.
void replaceFile(const fs::path& path, const std::string& text) {
    const fs::path temporary = path.string() + ".new";
    std::ofstream(temporary, std::ios::binary) << text;
    fs::rename(temporary, path);
}

bool exitedCleanly(int status) {
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

    // Starts drape with `words` as its arguments, in `user`'s environment, without a display.
    pid_t start(const std::vector<std::string>& words, const User& user,
                const std::string& monitors = "64x32@0,0") {
        std::vector<std::string> environment = {
            "HOME=" + user.home.string(),
            "TMPDIR=" + user.home.string(),
            "XDG_CONFIG_HOME=" + (user.home / "config").string(),
            "XDG_RUNTIME_DIR=" + user.runtime.string(),
            "DRAPE_MONITORS=" + monitors,
        };
        const fs::path log = root_ / ("output-" + std::to_string(++started_) + ".txt");
        const pid_t pid = spawnDrape(program_, words, std::move(environment), log.string());
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
                        const std::string& monitors = "64x32@0,0") {
        const pid_t pid = start(words, user, monitors);
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

const std::vector<std::string> kResident = {"red", "background"};

TEST_F(ResidentProcessTest, NewerInstanceEndsTheOlderOneAndStays) {
    const pid_t older = startResident(kResident, user_);
    const pid_t newer = start(kResident, user_);
    const std::optional<int> status = endsWithin(older, 3s);
    ASSERT_TRUE(status) << "the older instance outlived the newer one's start";
    EXPECT_TRUE(exitedCleanly(*status)) << output(older);

    // Its own announcement does not end the newer instance.
    EXPECT_TRUE(waitsInTheLoop(newer, user_)) << output(newer);
    EXPECT_FALSE(endsWithin(newer, kSurvival));

    ASSERT_TRUE(runOnce({"kill"}, user_));
    const std::optional<int> killed = endsWithin(newer, 3s);
    ASSERT_TRUE(killed);
    EXPECT_TRUE(exitedCleanly(*killed)) << output(newer);
    EXPECT_TRUE(sockets(user_).empty());
}

TEST_F(ResidentProcessTest, KillEndsTheResidentInstanceAndClosesItsSocket) {
    // With nobody resident, "kill" is an ordinary one-shot run.
    ASSERT_TRUE(runOnce({"kill"}, user_));

    const pid_t resident = startResident(kResident, user_);
    ASSERT_EQ(sockets(user_).size(), 1u);
    ASSERT_TRUE(runOnce({"kill"}, user_));
    const std::optional<int> status = endsWithin(resident, 3s);
    ASSERT_TRUE(status);
    EXPECT_TRUE(exitedCleanly(*status)) << output(resident);
    // What stays is the session's wallpaper record, never a socket.
    EXPECT_TRUE(sockets(user_).empty());
    EXPECT_TRUE(fs::exists(user_.runtime / "drape" / "wallpaper"));
}

TEST_F(ResidentProcessTest, KillTogetherWithBackgroundEndsRightAfterEnteringTheLoop) {
    const pid_t alone = start({"kill", "red", "background"}, user_);
    const std::optional<int> status = endsWithin(alone, 3s);
    ASSERT_TRUE(status) << "it should count its own kill and announcement and end";
    EXPECT_TRUE(exitedCleanly(*status)) << output(alone);
    // It painted before it ended.
    EXPECT_TRUE(fs::exists(user_.runtime / "drape" / "wallpaper"));

    // Beside another resident instance, both end.
    const pid_t resident = startResident(kResident, user_);
    const pid_t both = start({"kill", "red", "background"}, user_);
    EXPECT_TRUE(endsWithin(resident, 3s));
    EXPECT_TRUE(endsWithin(both, 3s));
    EXPECT_TRUE(sockets(user_).empty());
}

TEST_F(ResidentProcessTest, LayoutChangeInTheMonitorFileRendersAgainWithinTwoSeconds) {
    const fs::path layout = root_ / "monitors.txt";
    const fs::path out = root_ / "out.bmp";
    replaceFile(layout, "64x32@0,0\n");
    const pid_t resident =
        startResident({"red", "save", out.string(), "background"}, user_, "@" + layout.string());
    ASSERT_EQ(fs::file_size(out), 54u + 32u * 192u);
    struct stat first {};
    ASSERT_EQ(stat(out.c_str(), &first), 0);

    // Nothing changed: the checks come and go without painting (the bitmap is written by
    // replacing the file, so every rendering gives it a new inode).
    std::this_thread::sleep_for(2200ms);
    struct stat idle {};
    ASSERT_EQ(stat(out.c_str(), &idle), 0);
    EXPECT_EQ(idle.st_ino, first.st_ino) << "rendered again although nothing changed";

    // A second monitor to the right: 120x40, rows of 360 bytes.
    replaceFile(layout, "80x40@0,0\n40x40@80,0\n");
    const auto deadline = Clock::now() + 2s;
    std::error_code error;
    while (fs::file_size(out, error) != 54u + 40u * 360u && Clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    const std::optional<BmpImage> image = parseBmp24(slurp(out));
    ASSERT_TRUE(image) << "not rendered again within 2 s";
    ASSERT_EQ(image->width, 120);
    ASSERT_EQ(image->height, 40);
    for (const Rgb& pixel : image->pixels) {
        ASSERT_EQ(pixel, (Rgb{127, 0, 0}));
    }
    EXPECT_FALSE(endsWithin(resident, 0s)) << output(resident);
    ASSERT_TRUE(runOnce({"kill"}, user_));
    EXPECT_TRUE(endsWithin(resident, 3s));
}

TEST_F(ResidentProcessTest, AnotherUsersInstancesAreOutOfReach) {
    const User other = makeUser("b");
    const pid_t mine = startResident(kResident, user_);
    const pid_t theirs = startResident(kResident, other);
    EXPECT_FALSE(endsWithin(mine, kSurvival)) << "another user's announcement ended it";

    ASSERT_TRUE(runOnce({"kill"}, other));
    EXPECT_TRUE(endsWithin(theirs, 3s));
    EXPECT_FALSE(endsWithin(mine, kSurvival)) << "another user's kill ended it";

    ASSERT_TRUE(runOnce({"kill"}, user_));
    EXPECT_TRUE(endsWithin(mine, 3s));
}

TEST_F(ResidentProcessTest, SocketOfAKilledProcessIsClearedByTheNextInstance) {
    const pid_t crashed = startResident(kResident, user_);
    kill(crashed, SIGKILL);
    ASSERT_TRUE(endsWithin(crashed, 3s));
    const std::vector<std::string> left = sockets(user_);
    ASSERT_EQ(left.size(), 1u) << "a killed process cannot remove its socket";

    const pid_t next = startResident(kResident, user_);
    const std::vector<std::string> now = sockets(user_);
    ASSERT_EQ(now.size(), 1u);
    EXPECT_NE(now[0], left[0]);

    ASSERT_TRUE(runOnce({"kill"}, user_));
    EXPECT_TRUE(endsWithin(next, 3s));
}

}  // namespace
}  // namespace drape::test
