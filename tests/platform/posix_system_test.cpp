#include <fcntl.h>
#include <sched.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <numeric>

#include "posix_test_env.h"

namespace drape::platform::posix::testing {
namespace {

// Milliseconds of `clock`, cut to 32 bits as the tick counter is.
uint32_t clockMs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                                 static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}

TEST_F(PosixTest, TickCountGoesOnWhileTheMachineSleeps) {
    // A time namespace whose boot clock is 100000 s ahead of its monotonic clock stands for a
    // machine that slept that long: the tick counter follows the boot clock.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (unshare(CLONE_NEWTIME) != 0) {
            _exit(77);
        }
        const int offsets = open("/proc/self/timens_offsets", O_WRONLY);
        const char line[] = "boottime 100000 0\n";
        if (offsets < 0 || write(offsets, line, std::strlen(line)) < 0) {
            _exit(77);
        }
        close(offsets);
        // Only children enter the new namespace.
        const pid_t inside = fork();
        if (inside == 0) {
            const uint32_t ticks = platform_.tickCount();
            const uint32_t boot = clockMs(CLOCK_BOOTTIME);
            const uint32_t monotonic = clockMs(CLOCK_MONOTONIC);
            const bool follows = boot - ticks < 1000u && ticks - monotonic > 99000000u;
            // A sleep is on the same clock: 30 ms of it are 30 ms of ticks.
            const uint32_t before = platform_.tickCount();
            platform_.sleepMs(30);
            const uint32_t slept = platform_.tickCount() - before;
            _exit(follows && slept >= 30u && slept < 1000u ? 0 : 1);
        }
        int status = 0;
        waitpid(inside, &status, 0);
        _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 2);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) {
        GTEST_SKIP() << "no time namespaces here (needs Linux 5.6 and the right to unshare)";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the tick counter does not follow the boot clock";
}

TEST(PosixProgramArguments, AreArgvAfterTheProgramsNameByteForByte) {
    char name[] = "/usr/bin/drape";
    char plain[] = "*";
    char blank[] = "two words";
    char empty[] = "";
    char latin1[] = "caf\xE9";  // not UTF-8: handed on as it came
    char* argv[] = {name, plain, blank, empty, latin1, nullptr};
    EXPECT_EQ(programArguments(5, argv),
              (std::vector<std::string>{"*", "two words", "", "caf\xE9"}));
    EXPECT_TRUE(programArguments(1, argv).empty());
    EXPECT_TRUE(programArguments(0, argv).empty());
    EXPECT_TRUE(programArguments(0, nullptr).empty());
}

TEST_F(PosixTest, LargePageAdviceNeverChangesTheBuffer) {
    // Buffers smaller than a page, unaligned, and spanning several pages.
    std::vector<uint8_t> buffer(5 * 4096 + 123);
    std::iota(buffer.begin(), buffer.end(), uint8_t{0});
    const std::vector<uint8_t> before = buffer;
    for (const size_t offset : {size_t{0}, size_t{1}, size_t{4095}}) {
        for (const size_t bytes : {size_t{0}, size_t{1}, size_t{4096}, buffer.size() - offset}) {
            platform_.adviseLargePages(buffer.data() + offset, bytes);
        }
    }
    platform_.adviseLargePages(nullptr, 0);
    EXPECT_EQ(buffer, before);
    EXPECT_TRUE(reports_.empty());
}

TEST_F(PosixTest, ProblemsOfEveryConcernTakeTheOneReporter) {
    platform_.reportError("from the core");
    // The registry's problem with an unreadable hive, told once.
    std::filesystem::create_directories(hivePath());
    RegValue value;
    platform_.regQueryValue(kHkeyCurrentUser, "Software", "x", 16, value);
    platform_.regQueryValue(kHkeyCurrentUser, "Software", "x", 16, value);
    ASSERT_EQ(reports_.size(), 2u);
    EXPECT_EQ(reports_[0], "from the core");
    EXPECT_NE(reports_[1].find("registry hive"), std::string::npos) << reports_[1];
}

}  // namespace
}  // namespace drape::platform::posix::testing
