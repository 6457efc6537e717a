#include "state/autorun.h"

#include <gtest/gtest.h>

#include "state/registry.h"
#include "support/run_fixture.h"

namespace drape::test {
namespace {

class AutorunTest : public RunTest {};

TEST_F(AutorunTest, EntryHoldsTheQuotedProgramAndTheCommand) {
    settings().commandString = "random programfolder fade renew 600 background";
    CreateAutorunEntry();
    EXPECT_EQ(os.stringValue(kRunKey, "Drape"),
              "\"" + os.programDir + "drape\" random programfolder fade renew 600 background");
    EXPECT_TRUE(AutorunEntryExists());
    EXPECT_EQ(ReadAutorunEntry(), "random programfolder fade renew 600 background");
    RemoveAutorunEntry();
    EXPECT_FALSE(AutorunEntryExists());
    EXPECT_EQ(ReadAutorunEntry(), std::nullopt);
}

TEST_F(AutorunTest, EmptyCommandCreatesNothing) {
    settings().commandString = "";
    CreateAutorunEntry();
    EXPECT_FALSE(AutorunEntryExists());
}

TEST_F(AutorunTest, ReadingBackDropsTheFirstRawToken) {
    RegistryWrite(kHkeyCurrentUser, kRunKey, kAutorunValue, "\"C:\\Tools\\drape.exe\" red dots",
                  true);
    EXPECT_EQ(ReadAutorunEntry(), "red dots");
    RegistryWrite(kHkeyCurrentUser, kRunKey, kAutorunValue, "  \"C:\\My Tools\\drape.exe\"   ",
                  true);
    EXPECT_EQ(ReadAutorunEntry(), "");
}

TEST_F(AutorunTest, EntryTooLongForTheBufferReadsAsAbsent) {
    settings().commandString = "text \"" + std::string(1100, 'x') + "\"";
    CreateAutorunEntry();
    EXPECT_TRUE(os.hasValue(kRunKey, "Drape"));
    EXPECT_FALSE(AutorunEntryExists());
}

TEST(ShortcutName, WordsAndParametersAreLowerCased) {
    EXPECT_EQ(MakeShortcutName("random c:\\pics\\ fade text \"Hello World\" renew 600"),
              "Drape random pics hello world renew");
    EXPECT_EQ(MakeShortcutName("load c:\\Pics\\Beach.JPG red keep"), "Drape beach.jpg red keep");
    EXPECT_EQ(MakeShortcutName("distort 10 expand 100 BLUE frame"), "Drape blue frame");
    EXPECT_EQ(MakeShortcutName("random /home/u/Photos/"), "Drape random photos");
}

TEST(ShortcutName, UnlistedWordsGiveTheWholeCommand) {
    EXPECT_EQ(MakeShortcutName("dots fade"), "Drapedots fade");
}

TEST(ShortcutName, LongTextsAndNamesAreCutInCharacters) {
    EXPECT_EQ(MakeShortcutName("text " + std::string(29, 'a')), "Drape " + std::string(29, 'a'));
    EXPECT_EQ(MakeShortcutName("text " + std::string(30, 'a')),
              "Drape " + std::string(27, 'a') + "...");
    // Two-byte characters count once each.
    std::string umlauts;
    for (int i = 0; i < 30; ++i) {
        umlauts += "\xC3\xA4";
    }
    std::string cut;
    for (int i = 0; i < 27; ++i) {
        cut += "\xC3\xA4";
    }
    EXPECT_EQ(MakeShortcutName("text " + umlauts), "Drape " + cut + "...");
    const std::string name =
        MakeShortcutName("text " + std::string(25, 'a') + " text " + std::string(25, 'b') +
                         " text " + std::string(25, 'c'));
    EXPECT_EQ(name, "Drape " + std::string(25, 'a') + " " + std::string(25, 'b') + " " +
                        std::string(14, 'c') + "...");
}

TEST(ShortcutName, CharactersAFileNameCannotHoldAreReplaced) {
    EXPECT_EQ(MakeShortcutName("text \"a~b:c\\d/e|f<g>h*i?j\""), "Drape abc_d_e f_g_h_i_j");
    EXPECT_EQ(MakeShortcutName("text \"a    b\""), "Drape a b");
    EXPECT_EQ(MakeShortcutName("text \"a     b\""), "Drape a  b");
    EXPECT_EQ(MakeShortcutName("\"~~::\""), "Drape");
    EXPECT_EQ(MakeShortcutName("text \"\\\"\""), "Drape _");
}

TEST_F(AutorunTest, ShortcutGoesToTheDesktopWithTheCommandAsArguments) {
    settings().commandString = "random c:\\pics\\ fade text \"Hello World\" renew 600";
    CreateDesktopShortcut();
    ASSERT_EQ(os.shortcuts.size(), 1u);
    const platform::ShortcutLink& s = os.shortcuts[0];
    EXPECT_EQ(s.linkPath, os.desktopDir + "Drape random pics hello world renew");
    EXPECT_EQ(s.target, os.programDir + "drape");
    EXPECT_EQ(s.arguments, settings().commandString);
    EXPECT_EQ(s.workingFolder, os.programDir);
    EXPECT_EQ(s.iconFile, os.programDir + "drape");
    EXPECT_EQ(s.iconIndex, 0);
    EXPECT_EQ(s.description, "");
}

TEST_F(AutorunTest, ShortcutWithoutDesktopOrCommand) {
    settings().commandString = "";
    CreateDesktopShortcut();
    EXPECT_TRUE(os.shortcuts.empty());
    os.desktopDir.clear();
    settings().commandString = "\"::\"";
    CreateDesktopShortcut();
    ASSERT_EQ(os.shortcuts.size(), 1u);
    EXPECT_EQ(os.shortcuts[0].linkPath, "Drape");
}

}  // namespace
}  // namespace drape::test
