#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "posix_test_env.h"

namespace drape::platform::posix::testing {
namespace {

std::vector<std::string> socketsIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with("instance-")) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Opens the program window and waits once, which binds its socket.
void openAndListen(Platform& platform) {
    ASSERT_TRUE(platform.openProgramWindow("Drape"));
    EXPECT_EQ(platform.waitEvent(0).kind, EventKind::None);
}

TEST_F(PosixTest, EveryOpenWindowCountsEachBroadcastTwice) {
    PosixPlatform second;
    openAndListen(platform_);
    openAndListen(second);
    ASSERT_EQ(socketsIn(root_ + "run/drape").size(), 2u);
    EXPECT_EQ(terminatesWaiting(platform_), 0);

    second.broadcastTerminate();
    EXPECT_EQ(terminatesWaiting(platform_), 2);
    EXPECT_EQ(terminatesWaiting(second), 2);

    platform_.broadcastTerminate();
    platform_.broadcastTerminate();
    EXPECT_EQ(terminatesWaiting(platform_), 4);
    EXPECT_EQ(terminatesWaiting(second), 4);

    second.closeProgramWindow();
    EXPECT_EQ(socketsIn(root_ + "run/drape").size(), 1u);
    platform_.broadcastTerminate();
    EXPECT_EQ(terminatesWaiting(platform_), 2);
    EXPECT_EQ(second.waitEvent(0).kind, EventKind::None);
}

TEST_F(PosixTest, AnnouncementMadeBeforeAnInstanceAnnouncedItselfIsNotHeard) {
    // Two instances that started together and both listen before either announces: the one
    // that announces last hears only itself and stays; the other hears both and ends.
    PosixPlatform second;
    openAndListen(platform_);
    openAndListen(second);
    platform_.broadcastTerminate();
    second.broadcastTerminate();
    EXPECT_EQ(terminatesWaiting(platform_), 4);
    EXPECT_EQ(terminatesWaiting(second), 2);

    // Later announcements of either are heard by both; so is a one-shot kill, which makes no
    // socket of its own.
    second.broadcastTerminate();
    EXPECT_EQ(terminatesWaiting(platform_), 2);
    EXPECT_EQ(terminatesWaiting(second), 2);
    PosixPlatform killer;
    killer.broadcastTerminate();
    EXPECT_EQ(terminatesWaiting(platform_), 2);
    EXPECT_EQ(terminatesWaiting(second), 2);
    EXPECT_EQ(socketsIn(root_ + "run/drape").size(), 2u);
}

TEST_F(PosixTest, OpenWindowHasNoSocketUntilItListensAndGetsOneBackWhenItsFileGoes) {
    ASSERT_TRUE(platform_.openProgramWindow("Drape"));
    EXPECT_TRUE(socketsIn(root_ + "run/drape").empty()) << "a one-shot run needs no socket";
    EXPECT_EQ(platform_.waitEvent(0).kind, EventKind::None);
    ASSERT_EQ(socketsIn(root_ + "run/drape").size(), 1u);

    std::filesystem::remove_all(root_ + "run/drape");
    EXPECT_EQ(platform_.waitEvent(0).kind, EventKind::None);
    ASSERT_EQ(socketsIn(root_ + "run/drape").size(), 1u);
    PosixPlatform newer;
    newer.broadcastTerminate();
    EXPECT_EQ(terminatesWaiting(platform_), 2) << "the new socket is not reached";
    platform_.closeProgramWindow();
    EXPECT_TRUE(socketsIn(root_ + "run/drape").empty());
}

TEST_F(PosixTest, RuntimeFolderLongerThanASocketAddressStillHasReachableSockets) {
    const std::string deep = root_ + std::string(150, 'r');
    std::filesystem::create_directory(deep);
    env_.set("XDG_RUNTIME_DIR", deep);
    PosixPlatform second;
    openAndListen(platform_);
    openAndListen(second);
    ASSERT_EQ(socketsIn(deep + "/drape").size(), 2u);
    second.broadcastTerminate();
    EXPECT_EQ(terminatesWaiting(platform_), 2);
    EXPECT_EQ(terminatesWaiting(second), 2);
    EXPECT_TRUE(reports_.empty()) << reports_.front();
    second.closeProgramWindow();
    EXPECT_EQ(socketsIn(deep + "/drape").size(), 1u);
}

TEST_F(PosixTest, BroadcastRemovesSocketsOfEndedInstances) {
    openAndListen(platform_);
    const std::string own = socketsIn(root_ + "run/drape").at(0);
    // An instance that ended without closing its window leaves its socket file behind.
    const std::string stale = root_ + "run/drape/instance-999999999-1.sock";
    const int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, stale.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
    writeText(root_ + "run/drape/wallpaper", "/not/a/socket.bmp");

    platform_.broadcastTerminate();
    EXPECT_EQ(socketsIn(root_ + "run/drape"), std::vector<std::string>{own});
    EXPECT_TRUE(std::filesystem::exists(root_ + "run/drape/wallpaper"));
    EXPECT_EQ(terminatesWaiting(platform_), 2);
}

// A socket bound at `path`; `keepOpen` false leaves the file of an ended process behind.
int bindSocketAt(const std::string& path, bool keepOpen) {
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
    if (!keepOpen) {
        close(fd);
        return -1;
    }
    return fd;
}

TEST_F(PosixTest, OnlyTheUserMaySendToTheWindowWhateverTheUmask) {
    const mode_t saved = umask(0);
    const bool opened = platform_.openProgramWindow("Drape");
    platform_.waitEvent(0);
    const mode_t during = umask(saved);
    ASSERT_TRUE(opened);
    EXPECT_EQ(during, 0u) << "the umask was not given back";
    struct stat info {};
    ASSERT_EQ(stat((root_ + "run/drape/" + socketsIn(root_ + "run/drape").at(0)).c_str(), &info),
              0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(PosixTest, WindowNameHeldByALiveProcessIsNotTakenOver) {
    // Learn which serial this process reached, so that the next names are known.
    openAndListen(platform_);
    const std::string used = socketsIn(root_ + "run/drape").at(0);
    platform_.closeProgramWindow();
    const std::string stem = used.substr(0, used.rfind('-') + 1);
    const int serial = std::stoi(used.substr(stem.size()));
    const auto name = [&](int n) { return stem + std::to_string(n) + ".sock"; };

    // The next name is held by a live process of another pid namespace that shares the folder,
    // the one after it by a process that had this pid and has ended.
    const int live = bindSocketAt(root_ + "run/drape/" + name(serial + 1), true);
    bindSocketAt(root_ + "run/drape/" + name(serial + 2), false);

    openAndListen(platform_);
    EXPECT_EQ(socketsIn(root_ + "run/drape"),
              (std::vector<std::string>{name(serial + 1), name(serial + 2)}));
    platform_.broadcastTerminate();
    char message = 0;
    EXPECT_EQ(recv(live, &message, 1, 0), 1) << "the live holder can no longer be reached";
    EXPECT_EQ(message, 'T');
    EXPECT_EQ(terminatesWaiting(platform_), 2);
    close(live);
}

TEST_F(PosixTest, WaitingHonoursTheTimeOut) {
    uint32_t start = platform_.tickCount();
    EXPECT_EQ(platform_.waitEvent(40).kind, EventKind::None);
    EXPECT_GE(platform_.tickCount() - start, 40u);

    ASSERT_TRUE(platform_.openProgramWindow("Drape"));
    start = platform_.tickCount();
    EXPECT_EQ(platform_.waitEvent(40).kind, EventKind::None);
    const uint32_t waited = platform_.tickCount() - start;
    EXPECT_GE(waited, 40u);
    EXPECT_LT(waited, 2000u);

    // A broadcast from another process wakes the wait long before its time-out.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        usleep(50 * 1000);
        PosixPlatform sender;
        sender.broadcastTerminate();
        _exit(0);
    }
    start = platform_.tickCount();
    EXPECT_EQ(platform_.waitEvent(10000).kind, EventKind::Terminate);
    EXPECT_LT(platform_.tickCount() - start, 5000u);
    EXPECT_EQ(platform_.waitEvent(10000).kind, EventKind::Terminate);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(platform_.waitEvent(0).kind, EventKind::None);

    platform_.closeProgramWindow();
    EXPECT_TRUE(socketsIn(root_ + "run/drape").empty());
}

}  // namespace
}  // namespace drape::platform::posix::testing
