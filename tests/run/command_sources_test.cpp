#include "run/command_sources.h"

#include <gtest/gtest.h>

#include "run/run_sequence.h"
#include "state/autorun.h"
#include "state/registry.h"
#include "state/tokens.h"
#include "support/run_fixture.h"

namespace drape::test {
namespace {

class SourcesTest : public RunTest {
  protected:
    void writeFile(const std::string& path, const std::string& bytes) {
        auto file = os.createFile(path);
        ASSERT_TRUE(file);
        ASSERT_TRUE(file->write(bytes.data(), bytes.size()));
        ASSERT_TRUE(file->close());
    }

    // The pre-pass over `command` as if it came from the command line.
    std::string prepare(const std::string& command) {
        settings().commandString = command;
        settings().tokenCount = CountTokens(command);
        PrepareCommands();
        return settings().commandString;
    }
};

TEST(JoinArguments, RequotesArgumentsWithBlanks) {
    EXPECT_EQ(JoinArguments({}), "");
    EXPECT_EQ(JoinArguments({"red", "dots"}), "red dots");
    EXPECT_EQ(JoinArguments({"text", "A | B", "fade"}), "text \"A | B\"  fade");
    EXPECT_EQ(JoinArguments({"text", "A B"}), "text \"A B\"");
}

TEST(CommandFile, LinesAreTrimmedJoinedAndCommentsDropped) {
    EXPECT_EQ(JoinCommandFileLines(";\r\nsilent\nrandom c:\\software\\wallpaper\rmark \"SERVER1\""),
              "silent random c:\\software\\wallpaper mark \"SERVER1\"");
    EXPECT_EQ(JoinCommandFileLines("red\r\ndots\r\n"), "red dots");
    EXPECT_EQ(JoinCommandFileLines("  red  \n\n   \n\tdots\t\n ; not a command\n"), "red \tdots\t");
    // Zero bytes vanish, as in a file saved as UTF-16 by mistake.
    EXPECT_EQ(JoinCommandFileLines(std::string("r\0e\0d\0\n", 7)), "red");
}

TEST(CommandFile, ByteOrderMarkIsAnOrdinaryCharacter) {
    // The mark hides the comment sign, so the first line is a command.
    EXPECT_EQ(JoinCommandFileLines("\xEF\xBB\xBF; comment\nred"), "\xEF\xBB\xBF; comment red");
}

TEST_F(SourcesTest, CommandLineComesFirst) {
    writeFile(os.programDir + "drape.cmd", "blue\n");
    ChooseCommandSource({"red"});
    EXPECT_EQ(settings().commandString, "red");
    EXPECT_EQ(settings().presetSource, 0);
}

TEST_F(SourcesTest, CommandFileWhenThereAreNoArguments) {
    writeFile(os.programDir + "drape.cmd", "; wallpaper\r\nred\r\ndots\r\n");
    ChooseCommandSource({});
    EXPECT_EQ(settings().commandString, "red dots");
    EXPECT_EQ(settings().tokenCount, 2);
    EXPECT_EQ(settings().presetSource, 0);
}

TEST_F(SourcesTest, TinyOrCommentOnlyCommandFileFallsThrough) {
    writeFile(os.programDir + "drape.cmd", "r\n");
    ChooseCommandSource({});
    EXPECT_EQ(settings().commandString, kDefaultCommand);
    EXPECT_EQ(settings().presetSource, 1);
    writeFile(os.programDir + "drape.cmd", "; only a comment\n");
    ChooseCommandSource({});
    EXPECT_EQ(settings().presetSource, 1);
}

TEST_F(SourcesTest, AutorunEntryPlusGuiWhenNoFile) {
    RegistryWrite(kHkeyCurrentUser, kRunKey, kAutorunValue, "\"C:\\Tools\\drape.exe\" red dots",
                  true);
    ChooseCommandSource({});
    EXPECT_EQ(settings().commandString, "red dots gui");
    EXPECT_EQ(settings().presetSource, 2);
}

TEST_F(SourcesTest, ABlankArgumentIsOneQuotedToken) {
    ChooseCommandSource({"   "});
    EXPECT_EQ(settings().commandString, "\"   \"");
    EXPECT_EQ(settings().tokenCount, 1);
}

TEST_F(SourcesTest, DefaultWhenNothingElse) {
    ChooseCommandSource({});
    EXPECT_EQ(settings().commandString,
              "distort 10 expand 100 random programfolder fade renew 600 nouser 120 gui");
    EXPECT_EQ(settings().presetSource, 1);
}

TEST_F(SourcesTest, PresetsExpandWithTheirParameter) {
    EXPECT_EQ(prepare("mark \"TEST PC\""),
              "transparent big ~ip~ fade text \"TEST PC| ~host~ ~ip~\"");
    EXPECT_EQ(prepare("mark"), "transparent big ~ip~ fade text \"| ~host~ ~ip~\"");
    EXPECT_EQ(prepare("lowmark X"), "transparent big ~ip~ fade text \"X| ~host~ ~ip~\"");
    EXPECT_EQ(prepare("highmark X"), "big ~ip~ fade text \"X| ~host~ ~ip~\"");
    EXPECT_EQ(prepare("basemark X"),
              "base fade text \" BASE IMAGE | X | NOT FOR REGULAR USE | ~host~ ~ip~\"");
    EXPECT_EQ(prepare("darkmark X"), "fade big ~ip~ darken text \"X| ~host~ ~ip~\" darken darken");
    EXPECT_EQ(prepare("dotmark X"), "big ~ip~ dots text \"X| ~host~ ~ip~ \" fade");
    EXPECT_EQ(prepare("ipallmark X"), "big ~ip~ dots text \"X| ~host~ ~ipall~ \" fade");
}

TEST_F(SourcesTest, AdminmarkConsumesNothingAndCaseMatters) {
    EXPECT_EQ(prepare("adminmark red"),
              "traffic darken big ~ip~ fade text \"ADMIN | ~host~ ~ip~\" red");
    EXPECT_EQ(prepare("MARK x"), "MARK x");
}

TEST_F(SourcesTest, DroppedImagesBecomeLoadCommands) {
    EXPECT_EQ(prepare("c:\\pics\\a.jpg c:\\pics\\b.png"),
              "load \"c:\\pics\\a.jpg\" fade monitor 2 load \"c:\\pics\\b.png\" fade");
    EXPECT_EQ(prepare("red A.JPG b.Bmp"), "red load \"A.JPG\" fade monitor 2 load \"b.Bmp\" fade");
    // Too short, wrong ending, or quoted (the raw word ends in a quote): left alone.
    EXPECT_EQ(prepare(".jpg x.jpeg \"c:\\my pics\\a.jpg\""), ".jpg x.jpeg \"c:\\my pics\\a.jpg\"");
}

TEST_F(SourcesTest, FileNamesAfterSaveOrLoadStayArguments) {
    EXPECT_EQ(prepare("save c:\\out.bmp"), "save c:\\out.bmp");
    EXPECT_EQ(prepare("load a.jpg b.jpg"), "load a.jpg load \"b.jpg\" fade");
    // Only ordinary words count as the previous word; a preset in between does not.
    EXPECT_EQ(prepare("save mark x.png"),
              "save transparent big ~ip~ fade text \"x.png| ~host~ ~ip~\"");
}

TEST_F(SourcesTest, GuiIsNotedAndDropped) {
    EXPECT_EQ(prepare("red gui"), "red");
    EXPECT_TRUE(settings().guiMode);
}

TEST_F(SourcesTest, HelpShowsTheManualAndEmptiesEverything) {
    EXPECT_EQ(prepare("red help blue"), "");
    EXPECT_EQ(settings().tokenCount, 0);
    ASSERT_FALSE(os.viewerPages.empty());
    EXPECT_EQ(os.viewerTitle, " Drape v1.81 - 02.04.2016 build 209 save 4605");
    prepare("gui help");
    EXPECT_TRUE(settings().guiMode);
}

TEST_F(SourcesTest, DelayWaitsOnTheTickCounterIn128MsSteps) {
    const uint32_t start = os.tick;
    EXPECT_EQ(prepare("delay 5 red"), "red");
    EXPECT_GE(os.tick - start, 5000u);
    EXPECT_LT(os.tick - start, 5000u + 128u);
    EXPECT_EQ((os.tick - start) % 128, 0u);
    const uint32_t before = os.tick;
    prepare("delay -3 delay abc delay");
    EXPECT_EQ(os.tick, before);
}

TEST_F(SourcesTest, ADelayLongerThanTheTickCounterCanCountStillEnds) {
    // 4294968 s is 704 ms more than the 2^32 ms after which the counter wraps; waiting is in
    // whole 128 ms steps, 33554438 of them, which end 768 ms past the wrap.
    os.tick = 0xFFFFF000u;
    const uint32_t start = os.tick;
    EXPECT_EQ(prepare("delay 4294968 red"), "red");
    EXPECT_EQ(os.tick - start, 768u);
}

TEST_F(SourcesTest, DelayHoldsUpLaterActionsOnly) {
    const std::string file = os.root + "a.bmp";
    writeFile(file, "BMxxxx");
    prepare("set " + file + " delay 5");
    ASSERT_EQ(os.wallpaperCalls.size(), 2u);
    EXPECT_EQ(os.tick - 1000u, 5120u);
}

TEST_F(SourcesTest, GetNameShowsThePath) {
    os.shownWallpaper = "/pics/w.bmp";
    prepare("get name");
    ASSERT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_EQ(os.messageBoxes[0].text, "Current wallpaper is \r\n\r\n/pics/w.bmp");
    EXPECT_EQ(os.messageBoxes[0].flags, 0u);
    os.shownWallpaper.clear();
    prepare("get name");
    EXPECT_EQ(os.messageBoxes[1].text, "Current wallpaper is \r\n\r\n");
}

TEST_F(SourcesTest, GetCopiesOrReportsEvenWhenSilent) {
    os.shownWallpaper = os.root + "current.bmp";
    writeFile(os.shownWallpaper, "picture");
    prepare("silent get " + os.root + "copy.bmp");
    EXPECT_EQ(os.readFile(os.root + "copy.bmp", 100), "picture");
    EXPECT_TRUE(os.messageBoxes.empty());
    prepare("get " + os.root + "no/such/dir/x.bmp");
    ASSERT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_EQ(os.messageBoxes[0].text, "Could not copy \r\n\r\n" + os.root +
                                           "current.bmp\r\n\r\nto\r\n\r\n" + os.root +
                                           "no/such/dir/x.bmp");
    EXPECT_EQ(os.messageBoxes[0].flags, 0x10u);
    prepare("get");  // an empty parameter does nothing
    EXPECT_EQ(os.messageBoxes.size(), 1u);
}

TEST_F(SourcesTest, SetInstallsPersistentlyAndTurnsTilingOffOnlyWhereItExists) {
    const std::string file = os.root + "a.jpg";
    writeFile(file, "jpeg");
    EXPECT_EQ(prepare("set " + file), "");
    ASSERT_EQ(os.wallpaperCalls.size(), 2u);
    EXPECT_EQ(os.wallpaperCalls[0].flags, 1u);
    EXPECT_EQ(os.wallpaperCalls[1].flags, 2u);
    EXPECT_FALSE(os.hasValue("Control Panel\\Desktop", "TileWallPaper"));
    RegistryWrite(kHkeyCurrentUser, kDesktopKey, "TileWallPaper", "1", true);
    prepare("set " + file);
    EXPECT_EQ(os.stringValue("Control Panel\\Desktop", "TileWallPaper"), "0");
}

TEST_F(SourcesTest, SetOfAMissingFileOrAFolderReports) {
    prepare("set " + os.root + "missing.jpg");
    prepare("set " + os.root);
    ASSERT_EQ(os.messageBoxes.size(), 2u);
    EXPECT_EQ(os.messageBoxes[0].text, "Could not find \r\n\r\n" + os.root + "missing.jpg");
    EXPECT_EQ(os.messageBoxes[0].flags, 0x10u);
    EXPECT_TRUE(os.wallpaperCalls.empty());
}

TEST_F(SourcesTest, PrePassThatEmptiesTheStringEndsTheRunUntouched) {
    const std::string file = os.root + "a.bmp";
    writeFile(file, "BM");
    RunProgram({"set", file});
    EXPECT_EQ(os.wallpaperCalls.size(), 2u);  // from "set", not from an interpretation
    EXPECT_FALSE(os.hasValue("Control Panel\\Desktop", "TileWallPaper"));
}

TEST_F(SourcesTest, GuiWithoutTheSettingsWindowRunsTheCommandsOnce) {
    RunProgram({});
    ASSERT_EQ(os.errors.size(), 1u);
    EXPECT_FALSE(settings().guiMode);
    // The default command renders once (its photographs folder is empty) and stays resident
    // only when asked to.
    EXPECT_EQ(os.wallpaperCalls.size(), 1u);
    EXPECT_EQ(os.broadcasts, 0);
}

}  // namespace
}  // namespace drape::test
