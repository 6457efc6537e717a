#include "platform/posix/posix_facts.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <unistd.h>

#include "posix_test_env.h"

namespace drape::platform::posix::testing {
namespace {

TEST(Ipv4Addresses, LoopbackAndOtherFamiliesAreLeftOutInOrder) {
    const auto inet = [](const char* text) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        inet_pton(AF_INET, text, &address.sin_addr);
        return address;
    };
    sockaddr_in lo = inet("127.0.0.1");
    sockaddr_in first = inet("192.168.1.20");
    sockaddr_in alias127 = inet("127.5.5.5");
    sockaddr_in second = inet("10.0.0.7");
    sockaddr_in6 v6{};
    v6.sin6_family = AF_INET6;
    sockaddr_in onLoopback = inet("10.9.9.9");

    ifaddrs entries[7] = {};
    const std::pair<sockaddr*, unsigned> layout[7] = {
        {reinterpret_cast<sockaddr*>(&lo), IFF_UP | IFF_LOOPBACK},
        {reinterpret_cast<sockaddr*>(&first), IFF_UP},
        {nullptr, IFF_UP},
        {reinterpret_cast<sockaddr*>(&alias127), IFF_UP},
        {reinterpret_cast<sockaddr*>(&v6), IFF_UP},
        {reinterpret_cast<sockaddr*>(&onLoopback), IFF_UP | IFF_LOOPBACK},
        {reinterpret_cast<sockaddr*>(&second), IFF_UP},
    };
    for (int i = 0; i < 7; ++i) {
        entries[i].ifa_addr = layout[i].first;
        entries[i].ifa_flags = layout[i].second;
        entries[i].ifa_next = i + 1 < 7 ? &entries[i + 1] : nullptr;
    }
    const std::vector<uint32_t> addresses = ipv4AddressesOf(entries);
    ASSERT_EQ(addresses.size(), 2u);
    // Network byte order as it lies in memory: the first octet in the lowest byte.
    EXPECT_EQ(addresses[0] & 0xFF, 192u);
    EXPECT_EQ(addresses[0] >> 24, 20u);
    EXPECT_EQ(addresses[1], second.sin_addr.s_addr);
    EXPECT_TRUE(ipv4AddressesOf(nullptr).empty());
}

TEST_F(PosixTest, FoldersAreAbsoluteAndEndInASlash) {
    const std::string program = platform_.programFolder();
    ASSERT_TRUE(program.starts_with('/') && program.ends_with('/')) << program;
    char self[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    EXPECT_EQ(program + std::filesystem::path(self).filename().string(), self);

    const std::string before = platform_.currentFolder();
    ASSERT_EQ(chdir((root_ + "home").c_str()), 0);
    EXPECT_EQ(platform_.currentFolder(), std::filesystem::canonical(root_ + "home").string() + "/");
    ASSERT_EQ(chdir("/"), 0);
    EXPECT_EQ(platform_.currentFolder(), "/");
    ASSERT_EQ(chdir(before.c_str()), 0);
    EXPECT_EQ(platform_.pathSeparator(), '/');
}

TEST_F(PosixTest, TempFolderFollowsTmpdirWithLinksResolved) {
    const std::string real = std::filesystem::canonical(root_ + "tmp").string();
    EXPECT_EQ(platform_.tempFolder(), real + "/");
    std::filesystem::create_directory_symlink(root_ + "tmp", root_ + "link");
    env_.set("TMPDIR", root_ + "link/");
    EXPECT_EQ(platform_.tempFolder(), real + "/");
}

TEST_F(PosixTest, UnusableTmpdirFallsBackToAPrivateFolderOfTheUser) {
    // The bitmap's path is recorded as the wallpaper: never relative, never another user's.
    const std::string own =
        std::filesystem::canonical("/tmp").string() + "/drape-" + std::to_string(geteuid()) + "/";
    writeText(root_ + "plain", "");
    ASSERT_EQ(chdir(root_.c_str()), 0);
    for (const std::string& tmpdir : {root_ + "missing", root_ + "plain", std::string("tmp"),
                                      std::string("tmp/"), std::string("")}) {
        env_.set("TMPDIR", tmpdir);
        EXPECT_EQ(platform_.tempFolder(), own) << "TMPDIR=" << tmpdir;
    }
    env_.unset("TMPDIR");
    EXPECT_EQ(platform_.tempFolder(), own);
    ASSERT_EQ(chdir("/"), 0);
    struct stat info {};
    ASSERT_EQ(lstat(own.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(info.st_uid, geteuid());
    EXPECT_TRUE(reports_.empty());
}

TEST_F(PosixTest, UserNameComesFromUsernameFirst) {
    env_.set("USERNAME", "Administrator");
    EXPECT_EQ(platform_.userName(), "Administrator");
    env_.unset("USERNAME");
    EXPECT_FALSE(platform_.userName().empty());
}

TEST_F(PosixTest, TicksAdvanceWithSleep) {
    const uint32_t start = platform_.tickCount();
    platform_.sleepMs(30);
    const uint32_t elapsed = platform_.tickCount() - start;
    EXPECT_GE(elapsed, 30u);
    EXPECT_LT(elapsed, 2000u);
    EXPECT_GE(platform_.osVersionCode(), 60);
}

TEST_F(PosixTest, MessageBoxGoesToStderrWithUnixLineEnds) {
    ::testing::internal::CaptureStderr();
    platform_.messageBox("Drape v1.81", "Cannot load\r\n\r\nC:\\x.jpg\r", kMbIconError);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Drape v1.81\nCannot load\n\nC:\\x.jpg\r\n");
}

}  // namespace
}  // namespace drape::platform::posix::testing
