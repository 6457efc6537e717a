#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/posix/posix_text.h"
#include "posix_test_env.h"

namespace drape::platform::posix::testing {
namespace {

constexpr const char* kDesktop = "Control Panel\\Desktop";

std::string valueName(int writer, int index) {
    std::string name = std::to_string(writer);
    name += '-';
    name += std::to_string(index);
    return name;
}

RegValue text(std::string_view value) {
    return {RegType::Sz, regSzData(value)};
}

TEST_F(PosixTest, RegistryStatusCodesFollowWindows) {
    RegValue out;
    EXPECT_EQ(platform_.regOpenKey(kHkeyCurrentUser, kDesktop), kRegFileNotFound);
    EXPECT_EQ(platform_.regQueryValue(kHkeyCurrentUser, kDesktop, "Wallpaper", 2048, out),
              kRegFileNotFound);
    EXPECT_EQ(platform_.regSetValue(kHkeyCurrentUser, kDesktop, "TileWallPaper", text("1")),
              kRegFileNotFound);
    EXPECT_EQ(platform_.regDeleteValue(kHkeyCurrentUser, kDesktop, "TileWallPaper"),
              kRegFileNotFound);

    EXPECT_EQ(platform_.regCreateKey(kHkeyCurrentUser, kDesktop), kRegSuccess);
    EXPECT_EQ(platform_.regCreateKey(kHkeyCurrentUser, "control panel\\DESKTOP"), kRegSuccess);
    EXPECT_EQ(platform_.regOpenKey(kHkeyCurrentUser, "Control Panel"), kRegSuccess);
    EXPECT_EQ(platform_.regOpenKey(kHkeyCurrentUser, ""), kRegSuccess);
    EXPECT_EQ(platform_.regOpenKey(kHkeyCurrentUser, "Control Panel\\Desktop\\Sub"),
              kRegFileNotFound);
    EXPECT_EQ(platform_.regQueryValue(kHkeyCurrentUser, kDesktop, "TileWallPaper", 2048, out),
              kRegFileNotFound);

    EXPECT_EQ(platform_.regSetValue(kHkeyCurrentUser, kDesktop, "TileWallPaper", text("1")),
              kRegSuccess);
    EXPECT_EQ(platform_.regQueryValue(kHkeyCurrentUser, "CONTROL PANEL\\desktop", "tilewallpaper",
                                      4, out),
              kRegSuccess);
    EXPECT_EQ(out.type, RegType::Sz);
    EXPECT_EQ(out.data, (std::vector<uint8_t>{'1', 0, 0, 0}));
    // One byte short of the data: the type is told, the data is not.
    out = {};
    EXPECT_EQ(platform_.regQueryValue(kHkeyCurrentUser, kDesktop, "TileWallPaper", 3, out),
              kRegMoreData);
    EXPECT_EQ(out.type, RegType::Sz);
    EXPECT_TRUE(out.data.empty());

    EXPECT_EQ(platform_.regSetValue(kHkeyCurrentUser, kDesktop, "Bad\nName", text("1")),
              kRegInvalidData);
    EXPECT_EQ(platform_.regOpenKey(kHkeyCurrentUser, "\\Control Panel"), kRegFileNotFound);
    EXPECT_EQ(platform_.regDeleteValue(kHkeyCurrentUser, kDesktop, "TILEWALLPAPER"), kRegSuccess);
    EXPECT_EQ(platform_.regDeleteValue(kHkeyCurrentUser, kDesktop, "TileWallPaper"),
              kRegFileNotFound);
    EXPECT_EQ(platform_.regQueryValue(kHkeyCurrentUser, kDesktop, "TileWallPaper", 2048, out),
              kRegFileNotFound);

    // Only the current user's hive exists here.
    EXPECT_EQ(platform_.regOpenKey(0x80000002u, "Software"), kRegFileNotFound);
    EXPECT_EQ(platform_.regCreateKey(0x80000002u, "Software"), kRegAccessDenied);
    EXPECT_TRUE(reports_.empty());
}

TEST_F(PosixTest, HiveIsAPrivateRegistryExport) {
    ASSERT_EQ(platform_.regCreateKey(kHkeyCurrentUser, kDesktop), kRegSuccess);
    ASSERT_EQ(platform_.regSetValue(kHkeyCurrentUser, kDesktop, "Wallpaper",
                                    text("/home/\xC3\xA9/a \"b\"\\c.bmp")),
              kRegSuccess);
    ASSERT_EQ(platform_.regSetValue(kHkeyCurrentUser, kDesktop, "", {RegType::Dword, {5, 0, 0, 0}}),
              kRegSuccess);
    EXPECT_EQ(readText(hivePath()),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\Control Panel]\n\n"
              "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
              "\"Wallpaper\"=\"/home/\xC3\xA9/a \\\"b\\\"\\\\c.bmp\"\n"
              "@=dword:00000005\n\n");
    struct stat info {};
    ASSERT_EQ(stat((root_ + "config/drape").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    // Only the hive and its lock: no temporary file is left behind.
    EXPECT_EQ(platform_.listFiles(root_ + "config/drape").size(), 2u);

    // Without XDG_CONFIG_HOME the hive lives under the home folder.
    env_.unset("XDG_CONFIG_HOME");
    EXPECT_EQ(platform_.regCreateKey(kHkeyCurrentUser, "Software\\Drape"), kRegSuccess);
    EXPECT_GT(platform_.fileSize(root_ + "home/.config/drape/registry.reg"), 0);
}

TEST_F(PosixTest, HiveWrittenOnWindowsIsRead) {
    std::string exported = "\xFF\xFE";
    for (const char c : std::string("Windows Registry Editor Version 5.00\r\n\r\n"
                                    "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
                                    "\"Wallpaper\"=\"C:\\\\w.bmp\"\r\n")) {
        exported += c;
        exported += '\0';
    }
    std::filesystem::create_directories(root_ + "config/drape");
    writeText(hivePath(), exported);
    EXPECT_EQ(platform_.wallpaper(), "C:\\w.bmp");
    // A change rewrites it as UTF-8.
    EXPECT_EQ(platform_.regSetValue(kHkeyCurrentUser, kDesktop, "TileWallPaper", text("1")),
              kRegSuccess);
    EXPECT_TRUE(readText(hivePath()).starts_with("Windows Registry"));
    EXPECT_EQ(platform_.wallpaper(), "C:\\w.bmp");
}

TEST_F(PosixTest, CorruptHiveIsReportedOnceAndKeptAside) {
    std::filesystem::create_directories(root_ + "config/drape");
    const std::string garbage =
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n"
        "\"x\"=\"1\"\n\"y\"=oops\n";
    writeText(hivePath(), garbage);
    RegValue out;
    EXPECT_EQ(platform_.regQueryValue(kHkeyCurrentUser, "A", "x", 2048, out), kRegFileNotFound);
    EXPECT_EQ(platform_.regOpenKey(kHkeyCurrentUser, "A"), kRegFileNotFound);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_NE(reports_[0].find(hivePath() + " line 5: "), std::string::npos) << reports_[0];

    // A change that writes nothing leaves the file alone.
    EXPECT_EQ(platform_.regSetValue(kHkeyCurrentUser, "A", "x", text("2")), kRegFileNotFound);
    EXPECT_EQ(readText(hivePath()), garbage);

    EXPECT_EQ(platform_.regCreateKey(kHkeyCurrentUser, "B"), kRegSuccess);
    EXPECT_EQ(readText(hivePath() + ".bad"), garbage);
    EXPECT_EQ(platform_.regOpenKey(kHkeyCurrentUser, "B"), kRegSuccess);
    EXPECT_EQ(reports_.size(), 1u);

    // A second bad hive does not replace the first one kept aside.
    writeText(hivePath(), "junk");
    EXPECT_EQ(platform_.regCreateKey(kHkeyCurrentUser, "C"), kRegSuccess);
    EXPECT_EQ(readText(hivePath() + ".bad"), garbage);
    EXPECT_EQ(readText(hivePath() + ".bad.1"), "junk");
}

TEST_F(PosixTest, HiveThatIsASymbolicLinkIsWrittenWhereItLies) {
    std::filesystem::create_directories(root_ + "dotfiles");
    std::filesystem::create_directories(root_ + "config/drape");
    const std::string target = root_ + "dotfiles/registry.reg";
    writeText(target,
              "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Old]\n\"v\"=\"1\"\n");
    std::filesystem::create_symlink("../../dotfiles/registry.reg", hivePath());
    ASSERT_EQ(platform_.regCreateKey(kHkeyCurrentUser, kDesktop), kRegSuccess);
    ASSERT_EQ(platform_.regSetValue(kHkeyCurrentUser, kDesktop, "Wallpaper", text("/w.bmp")),
              kRegSuccess);
    EXPECT_TRUE(std::filesystem::is_symlink(hivePath()));
    const std::string written = readText(target);
    EXPECT_NE(written.find("[HKEY_CURRENT_USER\\Old]\n\"v\"=\"1\""), std::string::npos) << written;
    EXPECT_NE(written.find("\"Wallpaper\"=\"/w.bmp\""), std::string::npos) << written;

    // An unreadable target is moved aside beside itself, and the link names the new one.
    writeText(target, "junk");
    ASSERT_EQ(platform_.regCreateKey(kHkeyCurrentUser, "Software\\Drape"), kRegSuccess);
    EXPECT_TRUE(std::filesystem::is_symlink(hivePath()));
    EXPECT_EQ(readText(target + ".bad"), "junk");
    EXPECT_EQ(platform_.regOpenKey(kHkeyCurrentUser, "Software\\Drape"), kRegSuccess);
    EXPECT_EQ(reports_.size(), 1u) << ::testing::PrintToString(reports_);
}

TEST_F(PosixTest, HiveThatCannotBeSavedIsToldOnce) {
    // The hive's folder is taken by a file.
    writeText(root_ + "config/drape", "not a folder");
    EXPECT_EQ(platform_.regCreateKey(kHkeyCurrentUser, kDesktop), kRegAccessDenied);
    EXPECT_FALSE(platform_.setWallpaper("/w.bmp", kSpifUpdateIniFile));
    EXPECT_EQ(platform_.regCreateKey(kHkeyCurrentUser, kDesktop), kRegAccessDenied);
    ASSERT_EQ(reports_.size(), 1u) << ::testing::PrintToString(reports_);
    EXPECT_EQ(reports_[0], "cannot save the registry hive " + hivePath() + ": " + root_ +
                               "config/drape is not a folder; settings such as the wallpaper "
                               "are not saved");

    // The lock file is a folder.
    PosixPlatform second;
    std::vector<std::string> told;
    second.setReporter([&](const std::string& line) { told.push_back(line); });
    std::filesystem::remove(root_ + "config/drape");
    std::filesystem::create_directories(hivePath() + ".lock");
    EXPECT_EQ(second.regCreateKey(kHkeyCurrentUser, kDesktop), kRegAccessDenied);
    EXPECT_EQ(second.regCreateKey(kHkeyCurrentUser, kDesktop), kRegAccessDenied);
    ASSERT_EQ(told.size(), 1u) << ::testing::PrintToString(told);
    EXPECT_EQ(told[0], "cannot save the registry hive " + hivePath() + ": cannot lock " +
                           hivePath() +
                           ".lock: Is a directory; settings such as the wallpaper are not saved");
}

TEST_F(PosixTest, AHeldLockIsWaitedForOnlySoLong) {
    ASSERT_EQ(platform_.regCreateKey(kHkeyCurrentUser, kDesktop), kRegSuccess);
    // flock belongs to the open file, so a second open in this process contends as another
    // process would.
    const int held = open((hivePath() + ".lock").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    platform_.setHiveLockWaitMs(300);
    EXPECT_EQ(platform_.regSetValue(kHkeyCurrentUser, kDesktop, "Wallpaper", text("/w.bmp")),
              kRegAccessDenied);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0], "cannot save the registry hive " + hivePath() +
                               ": another process held " + hivePath() +
                               ".lock for more than 300 ms; settings such as the wallpaper are "
                               "not saved");
    // Released in time, the lock is taken and the change made.
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        flock(held, LOCK_UN);
    });
    platform_.setHiveLockWaitMs(5000);
    EXPECT_EQ(platform_.regSetValue(kHkeyCurrentUser, kDesktop, "Wallpaper", text("/w.bmp")),
              kRegSuccess);
    release.join();
    close(held);
}

TEST_F(PosixTest, UnusableConfigFolderFailsWithoutCrashing) {
    writeText(root_ + "file", "x");
    env_.set("XDG_CONFIG_HOME", root_ + "file");
    RegValue out;
    EXPECT_EQ(platform_.regCreateKey(kHkeyCurrentUser, kDesktop), kRegAccessDenied);
    EXPECT_EQ(platform_.regQueryValue(kHkeyCurrentUser, kDesktop, "Wallpaper", 2048, out),
              kRegFileNotFound);
    EXPECT_FALSE(platform_.setWallpaper("/w.bmp", kSpifUpdateIniFile));

    // The hive path taken by a folder: it cannot be read or replaced.
    env_.set("XDG_CONFIG_HOME", root_ + "config");
    std::filesystem::create_directories(hivePath());
    EXPECT_EQ(platform_.regOpenKey(kHkeyCurrentUser, ""), kRegAccessDenied);
    EXPECT_EQ(platform_.regCreateKey(kHkeyCurrentUser, kDesktop), kRegAccessDenied);
}

TEST_F(PosixTest, ConcurrentWritersLoseNothing) {
    constexpr int kWriters = 8;
    constexpr int kValuesEach = 40;
    ASSERT_EQ(platform_.regCreateKey(kHkeyCurrentUser, "Software\\Drape"), kRegSuccess);
    std::vector<pid_t> children;
    for (int writer = 0; writer < kWriters; ++writer) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            PosixPlatform own;
            int failures = 0;
            for (int i = 0; i < kValuesEach; ++i) {
                const std::string name = valueName(writer, i);
                failures += own.regSetValue(kHkeyCurrentUser, "Software\\Drape", name,
                                            text(name)) != kRegSuccess;
            }
            _exit(failures == 0 ? 0 : 1);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    RegValue out;
    for (int writer = 0; writer < kWriters; ++writer) {
        for (int i = 0; i < kValuesEach; ++i) {
            const std::string name = valueName(writer, i);
            ASSERT_EQ(platform_.regQueryValue(kHkeyCurrentUser, "Software\\Drape", name, 2048, out),
                      kRegSuccess)
                << name;
            EXPECT_EQ(regSzText(out.data), name);
        }
    }
}

TEST_F(PosixTest, SessionWallpaperComesBeforeTheStoredOne) {
    EXPECT_EQ(platform_.wallpaper(), "");
    ASSERT_TRUE(platform_.setWallpaper("/tmp/drape.bmp", 0));
    EXPECT_EQ(platform_.wallpaper(), "/tmp/drape.bmp");
    RegValue out;
    EXPECT_EQ(platform_.regQueryValue(kHkeyCurrentUser, kDesktop, "Wallpaper", 2048, out),
              kRegFileNotFound);

    ASSERT_TRUE(platform_.setWallpaper("/keep/\xC3\xA9.bmp", kSpifUpdateIniFile));
    ASSERT_TRUE(platform_.setWallpaper("/keep/\xC3\xA9.bmp", kSpifSendWinIniChange));
    ASSERT_EQ(platform_.regQueryValue(kHkeyCurrentUser, kDesktop, "Wallpaper", 2048, out),
              kRegSuccess);
    EXPECT_EQ(out.type, RegType::Sz);
    EXPECT_EQ(out.data, regSzData("/keep/\xC3\xA9.bmp"));

    ASSERT_TRUE(platform_.setWallpaper("/tmp/other.bmp", 0));
    EXPECT_EQ(platform_.wallpaper(), "/tmp/other.bmp");

    // The next login session has a new runtime folder: the stored path shows again.
    std::filesystem::create_directory(root_ + "run2");
    env_.set("XDG_RUNTIME_DIR", root_ + "run2");
    EXPECT_EQ(platform_.wallpaper(), "/keep/\xC3\xA9.bmp");
    // Setting "" removes the wallpaper for the session, as on Windows.
    ASSERT_TRUE(platform_.setWallpaper("", 0));
    EXPECT_EQ(platform_.wallpaper(), "");
    EXPECT_TRUE(reports_.empty());
}

TEST_F(PosixTest, RuntimeFolderMustBeOwnedAndReal) {
    std::filesystem::create_directory(root_ + "elsewhere");
    std::filesystem::create_directory(root_ + "run2");
    std::filesystem::create_directory_symlink(root_ + "elsewhere", root_ + "run2/drape");
    env_.set("XDG_RUNTIME_DIR", root_ + "run2");
    EXPECT_EQ(platform_.wallpaper(), "");
    EXPECT_FALSE(platform_.setWallpaper("/w.bmp", 0));
    EXPECT_FALSE(platform_.openProgramWindow("Drape"));
    // Without a record to read, what this instance set stands: read as "replaced", a resident
    // would paint again at every check.
    EXPECT_EQ(platform_.wallpaper(), "/w.bmp");
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0],
              "refusing the runtime folder " + root_ + "run2/drape: it is a symbolic link");
    EXPECT_FALSE(std::filesystem::exists(root_ + "elsewhere/wallpaper"));

    PosixPlatform other;
    std::vector<std::string> otherReports;
    other.setReporter([&](const std::string& line) { otherReports.push_back(line); });
    chmod((root_ + "run").c_str(), 0777);
    std::filesystem::create_directory(root_ + "run/drape");
    chmod((root_ + "run/drape").c_str(), 0777);
    env_.set("XDG_RUNTIME_DIR", root_ + "run");
    EXPECT_FALSE(other.setWallpaper("/w.bmp", 0));
    ASSERT_EQ(otherReports.size(), 1u);
    EXPECT_NE(otherReports[0].find("other users may write to it"), std::string::npos);
}

}  // namespace
}  // namespace drape::platform::posix::testing
