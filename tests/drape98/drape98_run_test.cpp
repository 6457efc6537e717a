// drape98 from its command words to the installed wallpaper, on the fake platform.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "drape98/documentation98.h"
#include "drape98/drape98_fixture.h"
#include "drape98/interpreter98.h"
#include "drape98/product98.h"

namespace drape::test {
namespace {

using Words = std::vector<std::string>;

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST_F(Drape98Test, PresetsExpandOnceAndDelayLeavesItsNumber) {
    ApplyDefaults98();
    for (const char* word : {"mark", "mark", "basemark", "TEST", "delay", "2", "red", "mark"}) {
        state98().tokens.append(word);
    }
    const uint32_t before = os.tick;
    EXPECT_TRUE(ExpandPresets98());
    EXPECT_EQ(
        state98().tokens.words(),
        (Words{"big", "~ip~", "dots", "text", "mark| ~host~ ~ip~ ", "fade", "base", "fade", "text",
               "BASE IMAGE | TEST | NOT FOR REGULAR USE | ~host~ ~ip~", "2", "red", "mark"}));
    EXPECT_GE(os.tick - before, 2000u);
}

TEST_F(Drape98Test, ACloseRequestDuringADelayEndsTheProgramUnpainted) {
    os.events.push_back({platform::EventKind::Close, 0});
    run({"delay", "5", "red", "resident"});
    EXPECT_TRUE(os.wallpaperCalls.empty());
    EXPECT_EQ(os.broadcasts, 0);
    EXPECT_FALSE(os.windowOpen);
}

TEST_F(Drape98Test, TheCommandFileSkipsCommentsAndGroupsQuotedWords) {
    writeText(os.programDir + "drape.cmd", ";old\r\n  silent  \r\n\r\nmark \"PC 1\"\n");
    run({});
    // silent, then the expansion of mark "PC 1": an unknown "~ip~"-free run without boxes.
    EXPECT_TRUE(os.messageBoxes.empty());
    ASSERT_EQ(os.wallpaperCalls.size(), 1u);
    EXPECT_EQ(state98().tokens.words(), (Words{"silent", "big", "~ip~", "dots", "text",
                                               "PC 1| ~host~ ~ip~ ", "fade", "end"}));
}

TEST_F(Drape98Test, ArgumentsComeBeforeTheCommandFileAndAShortFileShowsTheNotes) {
    writeText(os.programDir + "drape.cmd", "\r\n");
    run({});
    EXPECT_TRUE(os.wallpaperCalls.empty());
    EXPECT_EQ(os.viewerTitle, " Drape98 v1.34x - 22.08.10 build 3 save 3");
    os.viewerTitle.clear();
    writeText(os.programDir + "drape.cmd", "blue");
    run({"red"});
    EXPECT_EQ(installed()->at(0, 0), kRed);
    EXPECT_TRUE(os.viewerTitle.empty());
}

TEST_F(Drape98Test, HelpAloneShowsTheNotesButAfterAColourStopsWithoutInstalling) {
    for (const Words& words : {Words{"help"}, Words{"/?"}}) {
        os.viewerPages.clear();
        run(words);
        EXPECT_TRUE(os.wallpaperCalls.empty());
        ASSERT_FALSE(os.viewerPages.empty());
        EXPECT_EQ(os.viewerPages[0].text.rfind("Drape98 v1.34x", 0), 0u);
        // 480 pixels give 20 lines a page.
        EXPECT_EQ(os.viewerLinesPerPage, 20);
    }
    os.viewerPages.clear();
    run({"red", "help"});
    EXPECT_TRUE(os.wallpaperCalls.empty());
    EXPECT_TRUE(os.messageBoxes.empty());
    EXPECT_TRUE(os.viewerPages.empty());
    // Without a pager the notes are printed whole, with LF line ends.
    os.viewerAvailable = false;
    run({"help"});
    EXPECT_NE(os.printed.find("\nPRESETS\n"), std::string::npos);
    EXPECT_EQ(os.printed.find('\r'), std::string::npos);
}

TEST_F(Drape98Test, UnknownWordsAreReportedAndSkippedUnlessSilent) {
    run({"red", "xyz", "blue", ""});
    ASSERT_EQ(os.messageBoxes.size(), 2u);
    EXPECT_EQ(os.messageBoxes[0].caption, "Drape98 v1.34x");
    EXPECT_EQ(os.messageBoxes[0].text, "Unrecognized command: \r\n\r\nxyz");
    EXPECT_EQ(os.messageBoxes[0].flags, 0u);
    EXPECT_EQ(os.messageBoxes[1].text, "Unrecognized command: \r\n\r\n");
    EXPECT_EQ(installed()->at(0, 0), kBlue);

    // A huge word is shown by its first 200 characters.
    os.messageBoxes.clear();
    run({std::string(100000, 'w')});
    ASSERT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_EQ(os.messageBoxes[0].text.rfind(
                  "Unrecognized command: \r\n\r\n" + std::string(200, 'w') + "\xe2\x80\xa6", 0),
              0u);
    EXPECT_LT(os.messageBoxes[0].text.size(), 300u);

    os.messageBoxes.clear();
    run({"silent", "red", "xyz", "orange", "solid", "blue"});
    EXPECT_TRUE(os.messageBoxes.empty());
    EXPECT_EQ(installed()->at(0, 0), kBlue);
}

TEST_F(Drape98Test, ColourIsAnUnknownWordAndSoAreItsDigits) {
    run({"colour", "00FF00"});
    ASSERT_EQ(os.messageBoxes.size(), 2u);
    EXPECT_EQ(os.messageBoxes[1].text, "Unrecognized command: \r\n\r\n00FF00");
    EXPECT_EQ(installed()->at(0, 0), kStart);
    run({"color", "00FF00"});
    EXPECT_EQ(installed()->at(0, 0), (Rgb{0, 255, 0}));
}

TEST_F(Drape98Test, BigShowsTheFourthDottedFieldWhateverTheNumberOfDots) {
    EXPECT_EQ(BigTextPart98("192.168.1.23"), "23");
    EXPECT_EQ(BigTextPart98("1.2.3.4.5"), "4");
    EXPECT_EQ(BigTextPart98("a.b"), "a.b");
    EXPECT_EQ(BigTextPart98("1.2.3."), "1.2.3.");
    EXPECT_EQ(BigTextPart98(""), "");
}

TEST_F(Drape98Test, BigDrawsTheLastNumberOfAnAddressInAFontOfTwoThirdsOfTheMonitor) {
    os.addresses = {FakePlatform::address(192, 168, 1, 23)};
    run({"big", "~ip~", "big", "1.2.3.4.5"});
    ASSERT_EQ(os.textRenders.size(), 2u);
    EXPECT_EQ(os.textRenders[0].text, "23");
    EXPECT_EQ(os.textRenders[1].text, "4");
    // 480 * 6 / 9 = 320 points, at 96 dpi 427 pixels, bold and anti-aliased.
    ASSERT_FALSE(os.fontRequests.empty());
    EXPECT_EQ(os.fontRequests[0].face, "Arial");
    EXPECT_EQ(os.fontRequests[0].pixelHeight, 427);
    EXPECT_EQ(os.fontRequests[0].weight, 700);
    EXPECT_TRUE(os.fontRequests[0].highQuality);
}

TEST_F(Drape98Test, PlaceholdersAreLookedUpAtEveryExpansion) {
    ApplyDefaults98();
    os.addresses = {FakePlatform::address(127, 0, 0, 1), FakePlatform::address(10, 1, 2, 3)};
    EXPECT_EQ(ExpandPlaceholders98("~ip~ ~host~ ~user~ ~monitor~ ~desktop~ ~HOST~"),
              "10.1.2.3 testhost ~user~ 1 1 ~HOST~");
    os.addresses = {};
    os.host = "other";
    EXPECT_EQ(ExpandPlaceholders98("~ip~/~host~/~timestamp~"), "0.0.0.0/other/08/12/26 09:05:07");
}

TEST_F(Drape98Test, AMissingArgumentIsTheClosingEnd) {
    run({"red", "font", "Verdana"});
    EXPECT_EQ(settings98().fontName, "Verdana");
    EXPECT_EQ(settings98().fontSize, 0);
    EXPECT_EQ(installed()->at(0, 0), kRed);
    run({"blue", "load"});
    ASSERT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_EQ(os.messageBoxes[0].text, "Missing file:\r\n\r\nend");
    EXPECT_EQ(installed()->at(0, 0), kBlue);
}

TEST_F(Drape98Test, ADesktopWithoutACanvasInstallsNothing) {
    os.monitors = {{0, 0, 20000, 100, 24}, {20000, 0, 20000, 100, 24}};
    run({"red", "save", os.root + "/big.bmp"});
    EXPECT_TRUE(os.wallpaperCalls.empty());
    ASSERT_EQ(os.errors.size(), 1u);
    EXPECT_EQ(os.errors[0].rfind("a 40000 x 100 desktop is larger", 0), 0u) << os.errors[0];
    EXPECT_FALSE(os.hasValue("Control Panel\\Desktop", "TileWallPaper"));
    EXPECT_LT(os.fileSize(os.root + "/big.bmp"), 0);
}

TEST_F(Drape98Test, AMonitorOutsideTheTableMeansMonitorZero) {
    os.monitors = {{0, 0, 640, 480, 24}, {640, 0, 640, 480, 24}};
    run({"monitor", "5", "red"});
    EXPECT_EQ(installed()->at(10, 10), kRed);
    EXPECT_EQ(installed()->at(700, 10), kStart);
    run({"monitor", "1", "blue", "monitor", "all", "dots"});
    EXPECT_EQ(installed()->at(700, 0), kBlue);
    EXPECT_EQ(installed()->at(2, 2), (Rgb{0, 0, 0}));
}

TEST_F(Drape98Test, SavedBitmapsAreKeptAndTheTemporaryOneIsDeleted) {
    run({"red"});
    ASSERT_EQ(os.wallpaperCalls.size(), 1u);
    EXPECT_EQ(os.wallpaperCalls[0].path, os.tempDir + "drape.bmp");
    EXPECT_EQ(os.wallpaperCalls[0].flags, platform::kSpifSendWinIniChange);
    EXPECT_LT(os.fileSize(os.tempDir + "drape.bmp"), 0);
    const platform::RegValue& tile = os.registry["control panel\\desktop"]["tilewallpaper"];
    EXPECT_EQ(tile.type, platform::RegType::Sz);
    EXPECT_EQ(tile.data, (std::vector<uint8_t>{'1', 0}));

    const std::string saved = os.root + "/y.bmp";
    run({"red", "save", saved});
    EXPECT_EQ(os.wallpaperCalls.back().path, saved);
    const auto kept = parseBmp24(*os.readFile(saved, 1 << 24));
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->at(639, 479), kRed);

    // "nearby": the folder keeps its separator and gets another one.
    narrow.programPathAs = "C:\\tools\\drape98.exe";
    ApplyDefaults98();
    // "help" ends the walk before anything is written to that Windows path.
    state98().tokens.append("save");
    state98().tokens.append("nearby");
    state98().tokens.append("help");
    state98().tokens.append("end");
    CheckScreens98();
    Interpret98();
    EXPECT_EQ(settings98().outputPath, "C:\\tools\\\\drape.bmp");
}

TEST_F(Drape98Test, ReverseSubtractsSoThatASecondOneDoesNotGiveWhiteAgain) {
    run({"reverse", "text", "X"});
    EXPECT_EQ(settings98().textColour, 0u);
    // Black text where the white shadow does not reach, mixed by one grey coverage for all
    // channels: the fake glyph's (255, 128, 64) gives 149, so 64 becomes 64 * 106 / 255.
    const BmpImage picture = *installed();
    const auto count = [&](Rgb colour) {
        return std::count(picture.pixels.begin(), picture.pixels.end(), colour);
    };
    EXPECT_GT(count(Rgb{26, 26, 26}), 0);
    EXPECT_GT(count(Rgb{175, 175, 175}), 0);  // the white shadow where the text does not cover it
    run({"reverse", "reverse"});
    EXPECT_EQ(settings98().textColour, 0xFF000001u);
}

TEST_F(Drape98Test, PairsFileLinesGoToTheMonitorsInTurn) {
    os.monitors = {{0, 0, 320, 240, 24}, {320, 0, 320, 240, 24}};
    const std::string folder = os.root + "/pics/";
    std::filesystem::create_directories(folder);
    writePicture(folder + "left.jpg", 320, 240, raster::makeColour(0, 255, 0));
    writePicture(folder + "right.jpg", 320, 240, raster::makeColour(255, 0, 255));
    writeText(folder + "drape.lst", "; halves\r\nleft.jpg , right.jpg\r\n");
    run({"random", folder});
    EXPECT_EQ(installed()->at(10, 10), (Rgb{0, 255, 0}));
    EXPECT_EQ(installed()->at(330, 10), (Rgb{255, 0, 255}));
}

TEST_F(Drape98Test, FolderPicksTakeOnlyJpegNamesAndPngIsNotRead) {
    const std::string folder = os.root + "/pics/";
    std::filesystem::create_directories(folder);
    writePicture(folder + "a.jpg", 64, 48, raster::makeColour(0, 0, 255));
    writePicture(folder + "b.png", 64, 48, raster::makeColour(255, 0, 0));
    writePicture(folder + "c.bmp", 64, 48, raster::makeColour(255, 0, 0));
    // A pairs file that the chance of 20 in 101 passes over: the draw is 100 here.
    writeText(folder + "drape.lst", "b.png,c.bmp\r\n");
    SetUniformSource([](int32_t lo, int32_t hi) { return hi == 100 ? hi : lo; });
    run({"random", folder.substr(0, folder.size() - 1)});
    EXPECT_EQ(narrow.bitmapLoads, (Words{folder + "a.jpg"}));
    EXPECT_EQ(installed()->at(320, 240), (Rgb{0, 0, 255}));

    SetUniformSource([](int32_t lo, int32_t) { return lo; });
    run({"load", folder + "x.png"});
    ASSERT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_EQ(os.messageBoxes[0].text, "Missing file:\r\n\r\n" + folder + "x.png");
    os.messageBoxes.clear();
    run({"silent", "load", folder + "x.png"});
    EXPECT_TRUE(os.messageBoxes.empty());
}

TEST_F(Drape98Test, TheViewerFitsItsPageToMonitorZero) {
    os.graphicalDisplay = true;
    for (const auto& [height, area, buttons] : {std::tuple{768, 561, 549}, {1080, 782, 770}}) {
        os.monitors = {{0, 0, 1024, height, 24}};
        os.ui.windows.clear();
        os.ui.controls.clear();
        os.userActions.push_back(
            {nullptr, {platform::EventKind::Key, 0, 0, platform::Key::Escape}});
        run({});
        ASSERT_EQ(os.ui.windows.size(), 1u);
        const auto& window = os.ui.windows.begin()->second;
        EXPECT_EQ(window.spec.clientWidth, 516);
        EXPECT_EQ(window.spec.clientHeight, area + 16);
        EXPECT_EQ(window.controls[0].rect.height, area - 50);
        for (size_t i = 1; i < 4; ++i) {
            EXPECT_EQ(window.controls[i].rect.y, buttons);
            EXPECT_EQ(window.controls[i].rect.x, 360 + 50 * int(i - 1));
        }
        EXPECT_TRUE(os.wallpaperCalls.empty());
    }
}

TEST_F(Drape98Test, TheViewerTurnsPagesWithItsButtonsAndDisablesThemAtTheEnds) {
    os.graphicalDisplay = true;
    os.monitors = {{0, 0, 1024, 768, 24}};
    const auto press = [](int id) {
        return FakePlatform::UserAction{nullptr, {platform::EventKind::Control, id}};
    };
    for (int i = 0; i < 10; ++i) {
        os.userActions.push_back(press(kNextPageButton98));
    }
    os.userActions.push_back(press(kCloseButton98));
    run({"help"});
    const std::string& notes = ReleaseNotes98();
    const int lines = static_cast<int>(std::count(notes.begin(), notes.end(), '\n')) + 1;
    const int pages = (lines - 1) / 33 + 1;
    ASSERT_GE(pages, 3);
    // The last setEnabled of ">" switched it off on the last page.
    bool nextEnabled = true;
    for (const auto& [id, enabled] : os.ui.enabledLog) {
        if (id == kNextPageButton98) {
            nextEnabled = enabled;
        }
    }
    EXPECT_FALSE(nextEnabled);
    EXPECT_EQ(os.ui.textLog.back().first, kPageText98);
    EXPECT_EQ(os.ui.textLog.back().second.find("EXAMPLES") != std::string::npos, true);
}

TEST_F(Drape98Test, ResidentIgnoresItsOwnAnnouncementOnceAndAKillEndsIt) {
    // "kill" with "resident": the kill is taken for the announcement, the announcement ends it.
    run({"red", "kill", "resident"});
    EXPECT_EQ(os.broadcasts, 2);
    EXPECT_EQ(os.wallpaperCalls.size(), 1u);
}

TEST_F(Drape98Test, ResidentRenewsAtTheFirstCheckAfterTheInterval) {
    // The first check comes with the instance's own announcement and starts the interval; the
    // others follow every 1024 ms, so 10 s are over at the tenth after it and the twentieth.
    os.timeoutsBeforeClose = 25;
    run({"red", "renew", "10", "resident"});
    EXPECT_TRUE(os.closeDelivered);
    EXPECT_EQ(os.wallpaperCalls.size(), 3u);
}

TEST_F(Drape98Test, ResidentPutsItsWallpaperBackFromXpOnAndNoticesNewMonitors) {
    // Someone else's wallpaper on show at every check.
    os.reportWallpaperAs = [](const std::string&) { return std::string("C:\\other.bmp"); };
    os.osVersion = 50;  // Windows 98 cannot tell
    os.timeoutsBeforeClose = 3;
    run({"red", "resident"});
    EXPECT_EQ(os.wallpaperCalls.size(), 1u);
    os.wallpaperCalls.clear();
    os.osVersion = 60;
    os.timeoutsBeforeClose = 3;
    run({"red", "resident"});
    // The first run, then a check after its own announcement and one after each time-out.
    EXPECT_EQ(os.wallpaperCalls.size(), 5u);

    // A second monitor appearing while resident paints a wider bitmap.
    os.reportWallpaperAs = nullptr;
    os.wallpaperCalls.clear();
    os.timeoutsBeforeClose = 2;
    os.userActions.push_back({[this](FakeControls&) {
                                  os.monitors.push_back({640, 0, 640, 480, 24});
                              },
                              {}});
    run({"red", "resident"});
    ASSERT_EQ(os.wallpaperCalls.size(), 2u);
    EXPECT_EQ(parseBmp24(os.wallpaperCalls[1].contents)->width, 1280);
}

TEST_F(Drape98Test, SettingsLastAcrossRenewalsButTheMonitorSelectionDoesNot) {
    os.monitors = {{0, 0, 640, 480, 24}, {640, 0, 640, 480, 24}};
    os.timeoutsBeforeClose = 12;
    run({"red", "renew", "1", "monitor", "1", "blue", "transparent", "resident"});
    ASSERT_GE(os.wallpaperCalls.size(), 2u);
    EXPECT_TRUE(settings98().transparent);
    EXPECT_EQ(settings98().monitorSelection, 1);
    // Every run starts again from all monitors: "red" reaches both each time.
    const BmpImage last = *parseBmp24(os.wallpaperCalls.back().contents);
    EXPECT_EQ(last.at(10, 10), kRed);
    EXPECT_EQ(last.at(700, 10), kBlue);
}

}  // namespace
}  // namespace drape::test
