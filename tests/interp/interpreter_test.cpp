#include "interp/interpreter.h"

#include <gtest/gtest.h>

#include "interp/wallpaper_output.h"
#include "support/run_fixture.h"

namespace drape::test {
namespace {

constexpr Rgb kRed{127, 0, 0};
constexpr Rgb kBlue{0, 0, 127};
constexpr Rgb kOrange{255, 128, 0};

class InterpreterTest : public RunTest {
  protected:
    // Every pixel of the rectangle in the installed picture has `colour`.
    ::testing::AssertionResult uniform(int x, int y, int w, int h, Rgb colour) {
        const auto image = installed();
        if (!image) {
            return ::testing::AssertionFailure() << "no wallpaper installed";
        }
        for (int j = y; j < y + h; ++j) {
            for (int i = x; i < x + w; ++i) {
                if (!(image->at(i, j) == colour)) {
                    return ::testing::AssertionFailure()
                           << "pixel (" << i << ", " << j << ") is " << image->at(i, j).r << ","
                           << image->at(i, j).g << "," << image->at(i, j).b;
                }
            }
        }
        return ::testing::AssertionSuccess();
    }

    void twoMonitors() { useMonitors({{0, 0, 1920, 1080, 24}, {1920, 0, 1280, 1024, 24}}); }
};

TEST_F(InterpreterTest, LaterFillsPaintOverEarlierOnes) {
    run("red blue");
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, kBlue));
}

TEST_F(InterpreterTest, CanvasStartsWithAColourDrawnFrom64To128PerChannel) {
    std::vector<std::pair<int32_t, int32_t>> ranges;
    int32_t next = 70;
    SetUniformSource([&](int32_t lo, int32_t hi) {
        ranges.emplace_back(lo, hi);
        return next++;
    });
    run("keep");
    ASSERT_EQ(ranges.size(), 3u);
    for (const auto& range : ranges) {
        EXPECT_EQ(range, std::make_pair(64, 128));
    }
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, {70, 71, 72}));
}

TEST_F(InterpreterTest, MonitorSelectionPaintsOnlyTheChosenMonitor) {
    twoMonitors();
    run("monitor 1 red");
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, kStart));
    EXPECT_TRUE(uniform(1920, 0, 1280, 1024, kRed));
}

TEST_F(InterpreterTest, MonitorBeyondTheTablePaintsThePrimaryOnce) {
    run("monitor 1 red");
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, kRed));
    twoMonitors();
    run("monitor 7 blue");
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, kBlue));
    EXPECT_TRUE(uniform(1920, 0, 1280, 1024, kStart));
}

TEST_F(InterpreterTest, TheLargestMonitorNumberStillPaintsThePrimaryOnce) {
    twoMonitors();
    run("monitor 0 text A");
    const size_t once = os.textRenders.size();
    ASSERT_GT(once, 0u);
    os.textRenders.clear();
    // The visit of monitors n .. n must end although n + 1 does not fit in 32 bits.
    run("desktop 2147483647 blue text A");
    EXPECT_TRUE(uniform(0, 0, 100, 100, kBlue));  // a corner the text does not reach
    EXPECT_TRUE(uniform(1920, 0, 1280, 1024, kStart));
    EXPECT_EQ(os.textRenders.size(), once);
}

TEST_F(InterpreterTest, MonitorAllThenOneMonitor) {
    twoMonitors();
    run("monitor all red monitor 0 blue");
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, kBlue));
    EXPECT_TRUE(uniform(1920, 0, 1280, 1024, kRed));
    run("desktop 1 red desktop all blue");
    EXPECT_TRUE(uniform(1920, 0, 1280, 1024, kBlue));
}

TEST_F(InterpreterTest, MonitorAsLastTokenSelectsMonitorZero) {
    twoMonitors();
    run("red monitor");
    EXPECT_TRUE(uniform(1920, 0, 1280, 1024, kRed));
    EXPECT_EQ(settings().monitorSelection, 0);
}

TEST_F(InterpreterTest, SelectionIsResetAtTheStartOfEveryRun) {
    twoMonitors();
    run("monitor 1 red");
    run("blue");
    EXPECT_TRUE(uniform(0, 0, 3200, 1024, kBlue));
}

TEST_F(InterpreterTest, RejectedKeywordShowsTheBoxAndOutputsNothing) {
    run("Red");
    ASSERT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_EQ(os.messageBoxes[0].caption, "Drape v1.81");
    EXPECT_EQ(os.messageBoxes[0].text, "Unrecognized command or missing parameter\r\n\r\nRed");
    EXPECT_EQ(os.messageBoxes[0].flags, 0x10u);
    EXPECT_TRUE(settings().errorFlag);
    EXPECT_TRUE(os.wallpaperCalls.empty());
    EXPECT_FALSE(os.hasValue("Control Panel\\Desktop", "TileWallPaper"));
    EXPECT_EQ(os.fileSize(settings().outputPath), -1);
}

TEST_F(InterpreterTest, RejectionStopsTheRunAtTheBadToken) {
    run("xyz silent red");
    EXPECT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_TRUE(os.wallpaperCalls.empty());
    // "colour" is not a spelling the language knows.
    run("colour FF8000");
    EXPECT_EQ(os.messageBoxes.back().text,
              "Unrecognized command or missing parameter\r\n\r\ncolour");
}

TEST_F(InterpreterTest, AHugeUnknownWordIsCutInTheBox) {
    // The first 200 characters are shown, then an ellipsis.
    const std::string word = std::string(2, 'x') + std::string(1000000, 'y');
    run("red " + word);
    ASSERT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_EQ(os.messageBoxes[0].text, "Unrecognized command or missing parameter\r\n\r\nxx" +
                                           std::string(198, 'y') + "\xE2\x80\xA6");
    const std::string exact(200, 'q');
    run(exact);
    EXPECT_EQ(os.messageBoxes.back().text,
              "Unrecognized command or missing parameter\r\n\r\n" + exact);
}

TEST_F(InterpreterTest, SilentSkipsUnknownWordsAndTheFlagIsResetPerRun) {
    run("silent Red blue");
    EXPECT_TRUE(os.messageBoxes.empty());
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, kBlue));
    run("Red");
    EXPECT_EQ(os.messageBoxes.size(), 1u);
}

TEST_F(InterpreterTest, EndStopsWithoutLookingFurther) {
    run("red end blue");
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, kRed));
    run("red end nonsense");
    EXPECT_TRUE(os.messageBoxes.empty());
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, kRed));
}

TEST_F(InterpreterTest, HelpIsRejectedAndEndsTheRunEvenWhenSilent) {
    run("red help blue");
    EXPECT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_TRUE(os.wallpaperCalls.empty());
    run("silent red help blue");
    EXPECT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, kRed));
}

TEST_F(InterpreterTest, ColourArgumentWithOrWithoutLeadingCharacter) {
    run("color $FF8000");
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, kOrange));
    run("color FF8000");
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, kOrange));
    run("color #0080ff");
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, {0, 128, 255}));
    // A pair with a non-hex character keeps its leading hex digit, or gives 0.
    run("color 1G2x3z");
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, {1, 2, 3}));
    run("color G1FFFF");
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, {0, 255, 255}));
}

TEST_F(InterpreterTest, ColourArgumentOfAnotherLengthPaintsNothingButIsConsumed) {
    run("color 12345 red");
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, kRed));
    run("color 12345");
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, kStart));
    run("blue color");
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, kBlue));
    // The token after the short argument is the next keyword, so an unknown one is rejected.
    run("color 1234567X red");
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, kRed));
}

TEST_F(InterpreterTest, EveryNamedColourFillsWithItsValue) {
    const std::pair<const char*, Rgb> colours[] = {
        {"red", {127, 0, 0}},       {"green", {0, 127, 0}},    {"blue", {0, 0, 127}},
        {"pink", {224, 32, 96}},    {"lime", {160, 240, 0}},   {"black", {0, 0, 0}},
        {"white", {255, 255, 255}}, {"grey", {63, 63, 63}},    {"brown", {128, 64, 0}},
        {"cyan", {0, 255, 255}},    {"orange", {255, 128, 0}},
    };
    for (const auto& [name, colour] : colours) {
        run(name);
        EXPECT_TRUE(uniform(0, 0, 1920, 1080, colour)) << name;
    }
    EXPECT_TRUE(os.messageBoxes.empty());
}

TEST_F(InterpreterTest, ArgumentsAreConsumedWhetherOrNotTheyAreValid) {
    // Each keyword swallows the next token, so "red" here is an argument, never a fill.
    for (const char* keyword :
         {"distort", "expand", "pairs", "renew", "nouser", "big", "text", "load", "random"}) {
        run(std::string("silent ") + keyword + " red");
        // "big" and "text" write the word in the middle; a fill would reach the corner too.
        EXPECT_TRUE(uniform(0, 0, 200, 50, kStart)) << keyword;
    }
    run("font red red");
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, kStart));
    run("save " + os.root + "red");
    EXPECT_EQ(settings().outputPath, os.root + "red");
    EXPECT_TRUE(os.messageBoxes.empty());
}

TEST_F(InterpreterTest, SettingsKeepTheirValuesAcrossRuns) {
    run("distort 7 expand 99 pairs 3 renew 600 nouser 30 font Verdana 12 keep background");
    run("red");
    const Settings& s = settings();
    EXPECT_EQ(s.distort, 7);
    EXPECT_EQ(s.expand, 99);
    EXPECT_EQ(s.pairs, 3);
    EXPECT_EQ(s.renew, 600);
    EXPECT_EQ(s.nouser, 30);
    EXPECT_EQ(s.fontName, "Verdana");
    EXPECT_EQ(s.fontSize, 12);
    EXPECT_TRUE(s.keep);
    EXPECT_TRUE(s.background);
}

TEST_F(InterpreterTest, PerRunSettingsAreReset) {
    run("silent transparent reverse monitor 0 red");
    EXPECT_TRUE(settings().silent);
    EXPECT_TRUE(settings().transparent);
    EXPECT_EQ(settings().textColour, 0u);
    EXPECT_EQ(settings().monitorSelection, 0);
    run("red");
    EXPECT_FALSE(settings().silent);
    EXPECT_FALSE(settings().transparent);
    EXPECT_EQ(settings().textColour, 0xFFFFFFu);
    EXPECT_EQ(settings().monitorSelection, -1);
}

TEST_F(InterpreterTest, ReverseAndSolidAndMissingNumbers) {
    run("reverse reverse transparent solid distort");
    EXPECT_EQ(settings().textColour, 0xFFFFFFu);
    EXPECT_FALSE(settings().transparent);
    EXPECT_EQ(settings().distort, 0);
    run("font Verdana");
    EXPECT_EQ(settings().fontName, "Verdana");
    EXPECT_EQ(settings().fontSize, 0);
    run("font \"Courier New\" $10");
    EXPECT_EQ(settings().fontName, "Courier New");
    EXPECT_EQ(settings().fontSize, 16);
}

TEST_F(InterpreterTest, EmptyOrBlankCommandDoesNothingAtAll) {
    run("");
    run("    ");
    EXPECT_TRUE(os.wallpaperCalls.empty());
    EXPECT_TRUE(os.registry.empty());
    EXPECT_EQ(settings().tokenCount, 0);
}

TEST_F(InterpreterTest, QuotedKeywordsAreUnquotedAndEmptyTokensIgnored) {
    run("\"red\" \"\" \" blue \"");
    EXPECT_TRUE(os.messageBoxes.empty());
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, kBlue));
}

TEST_F(InterpreterTest, SaveTargetsNameTheFoldersAndSetKeep) {
    run("save programfolder");
    EXPECT_EQ(settings().outputPath, os.programDir + "drape.bmp");
    EXPECT_TRUE(settings().keep);
    run("save currentfolder");
    EXPECT_EQ(settings().outputPath, os.currentDir + "drape.bmp");
    os.currentDir.pop_back();  // a current folder without its separator gets one
    run("save currentfolder");
    EXPECT_EQ(settings().outputPath, os.currentDir + "/drape.bmp");
    run("save tempfolder");
    EXPECT_EQ(settings().outputPath, os.tempDir + "drape.bmp");
    run("save \"" + os.root + "my walls.bmp\"");
    EXPECT_EQ(settings().outputPath, os.root + "my walls.bmp");
    EXPECT_GT(os.fileSize(os.root + "my walls.bmp"), 0);
}

TEST_F(InterpreterTest, KillBroadcastsAndGoesOn) {
    run("kill red kill");
    EXPECT_EQ(os.broadcasts, 2);
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, kRed));
}

TEST_F(InterpreterTest, ResidentAndBackgroundBothSetBackground) {
    run("resident");
    EXPECT_TRUE(settings().background);
    ResetProcessState();
    ApplyDefaults();
    run("background");
    EXPECT_TRUE(settings().background);
}

TEST_F(InterpreterTest, FrompanelWithoutAUsableWallpaperDoesNothing) {
    run("frompanel red");
    EXPECT_TRUE(os.messageBoxes.empty());
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, kRed));
    os.regCreateKey(platform::kHkeyCurrentUser, "Control Panel\\Desktop");
    os.setString("Control Panel\\Desktop", "Wallpaper", os.root + "missing.bmp");
    run("frompanel");
    EXPECT_TRUE(os.messageBoxes.empty());
    EXPECT_TRUE(uniform(0, 0, 1920, 1080, kStart));
}

TEST_F(InterpreterTest, NoMonitorsGiveNoCanvasAndNoCrash) {
    useMonitors({});
    run("red dots fade frame invert darken drain base traffic blur monitor 3 blue");
    EXPECT_TRUE(os.messageBoxes.empty());
    EXPECT_FALSE(settings().errorFlag);
    // An empty desktop gives no canvas: nothing is painted, written, installed or stored, and
    // one line says why.
    EXPECT_TRUE(os.wallpaperCalls.empty());
    EXPECT_EQ(os.errors, (std::vector<std::string>{"there is no monitor to paint (a 0 x 0 "
                                                   "desktop); the wallpaper stays as it is"}));
    EXPECT_EQ(os.fileSize(os.tempDir + "drape.bmp"), -1);
    EXPECT_FALSE(os.hasValue("Control Panel\\Desktop", "TileWallPaper"));
}

TEST_F(InterpreterTest, ABitmapThatCannotBeWrittenIsNotInstalledAndSaysSo) {
    const std::string nowhere = os.root + "/no such folder/x.bmp";
    run("red save \"" + nowhere + "\"");
    EXPECT_TRUE(os.wallpaperCalls.empty());
    EXPECT_EQ(os.errors, (std::vector<std::string>{"could not write the wallpaper bitmap \"" +
                                                   nowhere + "\": the file could not be written"}));
}

TEST_F(InterpreterTest, ACanvasThatCannotBeMadeInstallsNothingAndSaysWhy) {
    // Wider than a bitmap can be: the canvas is refused as a failed allocation would be.
    useMonitors({{0, 0, 20000, 100, 24}, {20000, 0, 20000, 100, 24}});
    run("red keep");
    EXPECT_TRUE(os.wallpaperCalls.empty());
    EXPECT_EQ(os.errors,
              (std::vector<std::string>{"a 40000 x 100 desktop is larger than the 32767 x 32767 "
                                        "pixels a bitmap holds; the wallpaper stays as it is"}));
    EXPECT_FALSE(os.hasValue("Control Panel\\Desktop", "TileWallPaper"));
    EXPECT_EQ(CanvasProblem(3000, 2000), "not enough memory for a 3000 x 2000 desktop");
}

TEST_F(InterpreterTest, TheBitmapIsComposedStraightFromTheCanvasWithoutASecondImage) {
    // The primary at the origin, one monitor left of it and one above it: both wrap.
    useMonitors({{0, 0, 64, 32, 24}, {-16, 0, 16, 8, 24}, {0, -8, 8, 8, 24}});
    run("red monitor 1 blue monitor 2 green keep");
    const auto picture = installed();
    ASSERT_TRUE(picture);
    ASSERT_EQ(picture->width, 80);
    ASSERT_EQ(picture->height, 40);
    EXPECT_EQ(picture->at(0, 0), kRed);               // the primary at the bitmap's corner
    EXPECT_EQ(picture->at(64, 0), (Rgb{0, 0, 127}));  // monitor 1 wrapped to the right
    EXPECT_EQ(picture->at(0, 32), (Rgb{0, 127, 0}));  // monitor 2 wrapped to the bottom
    EXPECT_EQ(picture->at(79, 39), (Rgb{0, 0, 0}));   // no monitor shows there
    EXPECT_EQ(picture->at(15, 31), kRed);
    EXPECT_EQ(picture->at(79, 7), (Rgb{0, 0, 127}));
}

}  // namespace
}  // namespace drape::test
