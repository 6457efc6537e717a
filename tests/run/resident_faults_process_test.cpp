// Resident instances whose surroundings go wrong: instances started at the same moment, a
// runtime folder deleted or too long for a socket address, a /tmp folder taken by another user,
// a monitor file or an X display that vanish and come back, and other users trying to reach an
// instance. Tests that need another user run as root and switch to a throw-away uid.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include "platform/x11_test_support.h"
#include "support/bmp_image.h"
#include "support/resident_processes.h"

namespace drape::test {
namespace {

using platform::posix::testing::Colour;
using platform::posix::testing::WindowPixels;
using platform::posix::testing::XvfbServer;

const std::vector<std::string> kResident = {"red", "background"};

// Clock ticks of CPU time (user and system) that `pid` used so far; -1 when it is gone.
long cpuTicks(pid_t pid) {
    const std::string stat = slurp("/proc/" + std::to_string(pid) + "/stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) {
        return -1;
    }
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    long utime = 0;
    long stime = 0;
    // After the name: state is field 3, utime field 14 and stime field 15.
    for (int number = 3; number <= 15 && fields >> field; ++number) {
        if (number == 14) {
            utime = std::stol(field);
        } else if (number == 15) {
            stime = std::stol(field);
        }
    }
    return utime + stime;
}

// The share of one core that `pid` uses over `span`.
double cpuShare(pid_t pid, std::chrono::milliseconds span) {
    const long before = cpuTicks(pid);
    std::this_thread::sleep_for(span);
    const long after = cpuTicks(pid);
    const double ticks = static_cast<double>(after - before);
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK)) /
           (static_cast<double>(span.count()) / 1000.0);
}

class ResidentFaultTest : public ResidentProcessTest {
  protected:
    // Waits until a socket of `pid` is in `folder`.
    bool socketAppears(pid_t pid, const fs::path& folder, Clock::duration limit) {
        const std::string own = "instance-" + std::to_string(pid) + "-";
        const auto deadline = Clock::now() + limit;
        while (Clock::now() < deadline) {
            std::error_code error;
            for (const auto& entry : fs::directory_iterator(folder, error)) {
                if (entry.path().filename().string().starts_with(own)) {
                    return true;
                }
            }
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }

    // Environment of a throw-away user `uid` whose folders live under the test's root.
    std::vector<std::string> throwAwayUser(uid_t uid, const std::string& name, fs::path& home) {
        home = root_ / name;
        fs::create_directories(home);
        chmod(root_.c_str(), 0711);
        EXPECT_EQ(chown(home.c_str(), uid, uid), 0);
        return {"HOME=" + home.string(), "TMPDIR=" + home.string(), "DRAPE_MONITORS=64x32@0,0"};
    }

    // Starts drape as `uid` with exactly `environment`.
    pid_t startAs(uid_t uid, const std::vector<std::string>& words,
                  const std::vector<std::string>& environment) {
        std::vector<std::string> all = {"--reuid=" + std::to_string(uid),
                                        "--regid=" + std::to_string(uid), "--clear-groups",
                                        builtDrape()};
        all.insert(all.end(), words.begin(), words.end());
        const fs::path log =
            root_ / ("as-" + std::to_string(uid) + "-" + std::to_string(++startedAs_) + ".txt");
        const pid_t pid = spawnDrape("/usr/bin/setpriv", all, environment, log.string());
        if (pid > 0) {
            children_.push_back(pid);
        }
        return pid;
    }

    bool endsAs(pid_t pid, Clock::duration limit) {
        const auto deadline = Clock::now() + limit;
        while (Clock::now() < deadline) {
            if (waitpid(pid, nullptr, WNOHANG) == pid) {
                children_.erase(std::remove(children_.begin(), children_.end(), pid),
                                children_.end());
                return true;
            }
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }

    void TearDown() override {
        for (const pid_t pid : children_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        ResidentProcessTest::TearDown();
    }

    static bool canSwitchUsers() { return geteuid() == 0 && access("/usr/bin/setpriv", X_OK) == 0; }

  private:
    int startedAs_ = 0;
    std::vector<pid_t> children_;
};

TEST_F(ResidentFaultTest, OfTwoStartedTogetherExactlyOneStays) {
    // Each round starts two instances a few milliseconds apart; before, each heard the other's
    // announcement and both ended, in every round. The one that enters its loop last is the
    // newest and stays, whichever of the two that is.
    for (int round = 0; round < 6; ++round) {
        const pid_t first = start(kResident, user_);
        std::this_thread::sleep_for(std::chrono::milliseconds(1 + round));
        const pid_t second = start(kResident, user_);
        const auto deadline = Clock::now() + 5s;
        while (!ended(first) && !ended(second) && Clock::now() < deadline) {
            std::this_thread::sleep_for(5ms);
        }
        const pid_t older = ended(first) ? first : second;
        const pid_t newer = older == first ? second : first;
        ASSERT_TRUE(ended(older)) << "round " << round << ": neither ended";
        EXPECT_FALSE(endsWithin(newer, 700ms)) << "round " << round << ": both ended\n"
                                               << output(older) << output(newer);
        ASSERT_TRUE(waitsInTheLoop(newer, user_)) << output(newer);
        ASSERT_TRUE(runOnce({"kill"}, user_));
        ASSERT_TRUE(endsWithin(newer, 3s)) << output(newer);
    }
}

TEST_F(ResidentFaultTest, DeletedRuntimeFolderComesBackWithItsSocketAtRest) {
    const pid_t resident = startResident(kResident, user_);
    fs::remove_all(user_.runtime / "drape");
    ASSERT_TRUE(socketAppears(resident, user_.runtime / "drape", 4s))
        << "the resident did not bind again\n"
        << output(resident);
    EXPECT_LT(cpuShare(resident, 2000ms), 0.05);

    // Newer instances reach it again.
    const pid_t newer = start(kResident, user_);
    EXPECT_TRUE(endsWithin(resident, 3s)) << output(resident);
    ASSERT_TRUE(waitsInTheLoop(newer, user_));
    ASSERT_TRUE(runOnce({"kill"}, user_));
    EXPECT_TRUE(endsWithin(newer, 3s));
    EXPECT_TRUE(sockets(user_).empty());
}

TEST_F(ResidentFaultTest, LongRuntimeFolderStillHasASocketAndOneShotRunsSayNothing) {
    // Far beyond the 108 bytes of a socket address.
    const User deep = makeUser(std::string(120, 'd'));
    const pid_t resident = startResident(kResident, deep);
    ASSERT_EQ(sockets(deep).size(), 1u) << output(resident);

    const pid_t once = start({"blue"}, deep);
    ASSERT_TRUE(endsWithin(once, kStartLimit));
    EXPECT_EQ(output(once), "output of " + std::to_string(once) + ":\n");
    EXPECT_FALSE(endsWithin(resident, 0s));

    const pid_t killer = start({"kill"}, deep);
    ASSERT_TRUE(endsWithin(killer, kStartLimit));
    EXPECT_EQ(output(killer), "output of " + std::to_string(killer) + ":\n");
    EXPECT_TRUE(endsWithin(resident, 3s)) << output(resident);
    EXPECT_TRUE(sockets(deep).empty());
}

TEST_F(ResidentFaultTest, MonitorFileThatVanishesAndComesBackIsFollowed) {
    const fs::path layout = root_ / "monitors.txt";
    const fs::path out = root_ / "out.bmp";
    replaceFile(layout, "64x32@0,0\n");
    const pid_t resident =
        startResident({"red", "save", out.string(), "background"}, user_, "@" + layout.string());
    fs::remove(layout);
    EXPECT_LT(cpuShare(resident, 2500ms), 0.05);
    EXPECT_FALSE(endsWithin(resident, 0s)) << output(resident);

    replaceFile(layout, "48x16@0,0\n");
    const auto deadline = Clock::now() + 3s;
    std::error_code error;
    while (fs::file_size(out, error) != 54u + 16u * 144u && Clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    const std::optional<BmpImage> image = parseBmp24(slurp(out));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 48) << output(resident);
    EXPECT_EQ(image->height, 16);
    EXPECT_LT(cpuShare(resident, 1500ms), 0.05);
    ASSERT_TRUE(runOnce({"kill"}, user_));
    EXPECT_TRUE(endsWithin(resident, 3s));
}

TEST_F(ResidentFaultTest, XDisplayThatGoesAwayAndComesBackIsSurvived) {
    if (!XvfbServer::installed()) {
        GTEST_SKIP() << "Xvfb is not installed";
    }
    XvfbServer server;
    ASSERT_TRUE(server.start("96x48x24"));
    const std::string display = server.name();
    const User user = makeUser("x");
    std::vector<std::string> environment = {
        "HOME=" + user.home.string(), "TMPDIR=" + user.home.string(),
        "XDG_CONFIG_HOME=" + (user.home / "config").string(),
        "XDG_RUNTIME_DIR=" + user.runtime.string(), "DISPLAY=" + display};
    const fs::path log = root_ / "x-resident.txt";
    const pid_t resident = spawnDrape(builtDrape(), kResident, environment, log.string());
    ASSERT_GT(resident, 0);
    EXPECT_TRUE(waitsInTheLoop(resident, user)) << slurp(log);

    server.stop();
    EXPECT_LT(cpuShare(resident, 2500ms), 0.05) << slurp(log);
    EXPECT_EQ(waitpid(resident, nullptr, WNOHANG), 0) << "it ended with the display\n"
                                                      << slurp(log);

    // The same display number again: the resident paints the new server's root.
    ASSERT_TRUE(server.start("96x48x24", {display}));
    bool red = false;
    const auto deadline = Clock::now() + 5s;
    while (!red && Clock::now() < deadline) {
        if (Display* x = XOpenDisplay(display.c_str())) {
            WindowPixels pixels(x, 1, 1);
            red = pixels.valid() && pixels.at(0, 0) == Colour{127, 0, 0};
            XCloseDisplay(x);
        }
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_TRUE(red) << "the new server's root was not painted\n" << slurp(log);
    EXPECT_LT(cpuShare(resident, 1500ms), 0.05);

    const pid_t killer = spawnDrape(builtDrape(), {"kill"}, environment, log.string());
    waitpid(killer, nullptr, 0);
    bool ended = false;
    for (int i = 0; i < 300 && !ended; ++i) {
        ended = waitpid(resident, nullptr, WNOHANG) == resident;
        std::this_thread::sleep_for(10ms);
    }
    if (!ended) {
        kill(resident, SIGKILL);
        waitpid(resident, nullptr, 0);
    }
    EXPECT_TRUE(ended) << slurp(log);
}

TEST_F(ResidentFaultTest, TmpFolderTakenByAnotherUserGivesWayToAPrivateOne) {
    if (!canSwitchUsers()) {
        GTEST_SKIP() << "needs root and setpriv to run as a throw-away user";
    }
    constexpr uid_t kUid = 12345;
    // Someone else (root here) made the folder this user's instances would use in /tmp.
    const fs::path taken = "/tmp/drape-" + std::to_string(kUid);
    fs::remove_all(taken);
    fs::create_directory(taken);
    chmod(taken.c_str(), 0777);
    fs::path home;
    const std::vector<std::string> environment = throwAwayUser(kUid, "u", home);
    const pid_t resident = startAs(kUid, kResident, environment);
    const fs::path runtime = home / ".cache" / "drape";
    std::error_code error;
    bool bound = false;
    for (int i = 0; i < 500 && !bound; ++i) {
        for (const auto& entry : fs::recursive_directory_iterator(runtime, error)) {
            bound = bound || entry.path().filename().string().starts_with("instance-");
        }
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(bound) << "no socket in the private folder";
    std::this_thread::sleep_for(1200ms);
    // Without keep, a missing record read as a replaced wallpaper and the resident painted
    // at every check.
    EXPECT_LT(cpuShare(resident, 2500ms), 0.05);
    EXPECT_TRUE(fs::is_empty(taken)) << "something was put into the other user's folder";

    const pid_t killer = startAs(kUid, {"kill"}, environment);
    EXPECT_TRUE(endsAs(killer, kStartLimit));
    EXPECT_TRUE(endsAs(resident, 3s)) << "kill did not reach the resident";
    fs::remove_all(taken);
}

TEST_F(ResidentFaultTest, AnotherUserCanNeitherEndNorReachAnInstance) {
    if (!canSwitchUsers()) {
        GTEST_SKIP() << "needs root and setpriv to run as a throw-away user";
    }
    constexpr uid_t kUid = 12346;
    const pid_t mine = startResident(kResident, user_);
    const std::vector<std::string> names = sockets(user_);
    ASSERT_EQ(names.size(), 1u);
    const fs::path socketPath = user_.runtime / "drape" / names[0];
    chmod(root_.c_str(), 0711);

    // Their kill, pointed at this user's runtime folder, and their own resident instance.
    fs::path home;
    std::vector<std::string> environment = throwAwayUser(kUid, "intruder", home);
    environment.push_back("XDG_RUNTIME_DIR=" + user_.runtime.string());
    const pid_t killer = startAs(kUid, {"kill"}, environment);
    EXPECT_TRUE(endsAs(killer, kStartLimit));
    const pid_t theirs = startAs(kUid, kResident, environment);
    std::this_thread::sleep_for(800ms);
    EXPECT_FALSE(endsWithin(mine, kSurvival)) << "another user's instance ended it";

    // A datagram straight at the socket, as that user.
    const pid_t sender = fork();
    ASSERT_GE(sender, 0);
    if (sender == 0) {
        if (setresgid(kUid, kUid, kUid) != 0 || setresuid(kUid, kUid, kUid) != 0) {
            _exit(2);
        }
        const int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
        const char message[9] = {'T', 0, 0, 0, 0, 0, 0, 0, 0x7f};
        const bool sent = sendto(fd, message, sizeof message, 0,
                                 reinterpret_cast<const sockaddr*>(&address), sizeof address) >= 0;
        _exit(sent ? 1 : 0);
    }
    int status = 0;
    waitpid(sender, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the datagram got through";
    EXPECT_FALSE(endsWithin(mine, kSurvival));

    kill(theirs, SIGTERM);
    endsAs(theirs, 3s);
    ASSERT_TRUE(runOnce({"kill"}, user_));
    EXPECT_TRUE(endsWithin(mine, 3s));
}

}  // namespace
}  // namespace drape::test
