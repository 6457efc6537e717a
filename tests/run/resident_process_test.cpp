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
#include "support/resident_processes.h"

namespace drape::test {
namespace {

using namespace std::chrono_literals;

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
