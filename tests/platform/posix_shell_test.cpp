#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/posix/posix_desktop_entry.h"
#include "posix_test_env.h"

namespace drape::platform::posix::testing {
namespace {

const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::vector<uint8_t> sz(const std::string& text) {
    std::vector<uint8_t> bytes;
    for (unsigned char c : text) {
        bytes.push_back(c);
        bytes.push_back(0);
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

TEST(DesktopEntry, StringEscapesRoundTrip) {
    const std::string text = "a\\b\nc\td\re";
    EXPECT_EQ(escapeDesktopString(text), "a\\\\b\\nc\\td\\re");
    EXPECT_EQ(unescapeDesktopString(escapeDesktopString(text)), text);
    EXPECT_EQ(unescapeDesktopString("x\\sy"), "x y");
}

TEST(DesktopEntry, ExecArgumentsAreQuotedWhenTheyHoldReservedCharacters) {
    EXPECT_EQ(quoteExecArgument("red"), "red");
    EXPECT_EQ(quoteExecArgument("~ip~"), "\"~ip~\"");
    EXPECT_EQ(quoteExecArgument("A | B"), "\"A | B\"");
    EXPECT_EQ(quoteExecArgument("say \"$x\" `y` \\z"), "\"say \\\"\\$x\\\" \\`y\\` \\\\z\"");
    EXPECT_EQ(quoteExecArgument("50%"), "50%%");
    EXPECT_EQ(quoteExecArgument(""), "\"\"");
}

TEST(DesktopEntry, SplittingUndoesQuoting) {
    for (const std::string argument :
         {"red", "~ip~", "A | B", "say \"$x\" `y` \\z", "50%", "", "tab\there"}) {
        const auto split = splitExec("prog " + quoteExecArgument(argument) + " end");
        ASSERT_TRUE(split) << argument;
        EXPECT_EQ(*split, (std::vector<std::string>{"prog", argument, "end"}));
    }
    EXPECT_EQ(splitExec("a \"open"), std::nullopt);
}

TEST(DesktopEntry, AutorunDataSurvivesTheTripThroughExec) {
    for (const std::string data :
         {"\"/opt/drape/drape\" random programfolder fade renew 600 background",
          "\"/opt/my tools/drape\" red big ~ip~ text \"SERVER | ~host~\" fade",
          "\"/usr/bin/drape\" color $FF8000 text \"50% done\""}) {
        EXPECT_EQ(commandLineFromExec(execFromCommandLine(data)), data);
    }
}

// An empty quoted token and a token with quotes inside it keep their place and their meaning:
// the interpreter reads the same words from the autorun entry as from the command string.
TEST(DesktopEntry, AutorunTokensWithQuotesInsideOrNothingInsideSurviveTheTrip) {
    for (const std::string data :
         {"\"/opt/drape/drape\" text \"\" fade", "\"/opt/drape/drape\" text a\"b c\"d fade",
          "\"/opt/drape/drape\" text \"a\"b\" c\" fade"}) {
        EXPECT_EQ(commandLineFromExec(execFromCommandLine(data)), data);
    }
}

TEST(DesktopEntry, ValuesAreReadFromTheDesktopEntryGroupOnly) {
    const std::string file =
        "[Other]\nExec=wrong\n[Desktop Entry]\r\nName=Drape\r\nExec = a\\\\b c\r\n";
    EXPECT_EQ(desktopEntryValue(file, "Exec"), "a\\b c");
    EXPECT_EQ(desktopEntryValue(file, "Icon"), std::nullopt);
}

TEST_F(PosixTest, AutorunValueIsTheAutostartEntry) {
    const std::string data = "\"/opt/drape/drape\" red big ~ip~ text \"A | B\"";
    EXPECT_EQ(platform_.regOpenKey(kHkeyCurrentUser, kRun), kRegSuccess);
    ASSERT_EQ(platform_.regSetValue(kHkeyCurrentUser, kRun, "Drape", {RegType::Sz, sz(data)}),
              kRegSuccess);
    const std::string file = root_ + "config/autostart/drape.desktop";
    const std::string text = readText(file);
    EXPECT_NE(text.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(text.find("Exec=/opt/drape/drape red big \"~ip~\" text \"A | B\"\n"),
              std::string::npos)
        << text;
    RegValue value;
    ASSERT_EQ(platform_.regQueryValue(kHkeyCurrentUser, kRun, "drape", 2048, value), kRegSuccess);
    EXPECT_EQ(value.type, RegType::Sz);
    EXPECT_EQ(value.data, sz(data));
    // The hive is not where it lives.
    EXPECT_FALSE(std::filesystem::exists(hivePath()));
    ASSERT_EQ(platform_.regDeleteValue(kHkeyCurrentUser, kRun, "Drape"), kRegSuccess);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(platform_.regQueryValue(kHkeyCurrentUser, kRun, "Drape", 2048, value),
              kRegFileNotFound);
    EXPECT_EQ(platform_.regDeleteValue(kHkeyCurrentUser, kRun, "Drape"), kRegFileNotFound);
}

TEST_F(PosixTest, LongAutorunEntryDoesNotFitTheBuffer) {
    const std::string data = "\"/opt/drape/drape\" text \"" + std::string(1100, 'x') + "\"";
    ASSERT_EQ(platform_.regSetValue(kHkeyCurrentUser, kRun, "Drape", {RegType::Sz, sz(data)}),
              kRegSuccess);
    RegValue value;
    EXPECT_EQ(platform_.regQueryValue(kHkeyCurrentUser, kRun, "Drape", 2048, value), kRegMoreData);
}

TEST_F(PosixTest, ShortcutIsAnExecutableLauncher) {
    std::filesystem::create_directory(root_ + "home/Desktop");
    const std::string desktop = platform_.desktopFolder();
    EXPECT_EQ(desktop, root_ + "home/Desktop/");
    ShortcutLink shortcut;
    shortcut.target = "/opt/drape/drape";
    shortcut.linkPath = desktop + "Drape red";
    shortcut.arguments = "red text \"A B\"";
    shortcut.workingFolder = "/opt/drape/";
    shortcut.iconFile = "/opt/drape/drape";
    ASSERT_TRUE(platform_.createShortcut(shortcut));
    const std::string path = desktop + "Drape red.desktop";
    const std::string text = readText(path);
    EXPECT_EQ(desktopEntryValue(text, "Exec"), "/opt/drape/drape red text \"A B\"");
    EXPECT_EQ(desktopEntryValue(text, "Path"), "/opt/drape/");
    EXPECT_EQ(desktopEntryValue(text, "Name"), "Drape red");
    EXPECT_EQ(desktopEntryValue(text, "Type"), "Application");
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0111, 0111u);
}

TEST_F(PosixTest, DesktopFolderFollowsUserDirs) {
    std::filesystem::create_directory(root_ + "home/Schreibtisch");
    writeText(root_ + "config/user-dirs.dirs",
              "# comment\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    EXPECT_EQ(platform_.desktopFolder(), root_ + "home/Schreibtisch/");
    // A named folder that does not exist gives none.
    writeText(root_ + "config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Nowhere\"\n");
    EXPECT_EQ(platform_.desktopFolder(), "");
}

TEST_F(PosixTest, NoViewerWithoutATerminalAndNoDisplayWithoutX) {
    // Test runners do not give the program a terminal on both ends.
    if (!isatty(0) || !isatty(1)) {
        EXPECT_FALSE(platform_.openViewer("t", 10));
    }
    EXPECT_FALSE(platform_.hasGraphicalDisplay());
}

}  // namespace
}  // namespace drape::platform::posix::testing
