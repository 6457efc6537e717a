#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "posix_test_env.h"

namespace drape::platform::posix::testing {
namespace {

int terminatesWaiting(Platform& platform) {
    int count = 0;
    while (platform.waitEvent(0).kind == EventKind::Terminate) {
        ++count;
    }
    return count;
}

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

TEST_F(PosixTest, EveryOpenWindowCountsEachBroadcastTwice) {
    PosixPlatform second;
    ASSERT_TRUE(platform_.openProgramWindow("Drape"));
    ASSERT_TRUE(second.openProgramWindow("Drape"));
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

TEST_F(PosixTest, BroadcastRemovesSocketsOfEndedInstances) {
    ASSERT_TRUE(platform_.openProgramWindow("Drape"));
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
