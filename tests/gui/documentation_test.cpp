#include "gui/documentation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "interp/interpreter.h"
#include "support/run_fixture.h"

namespace drape::test {
namespace {

std::string linesOfText(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) {
        if (i > 1) {
            text += "\r\n";
        }
        text += "line " + std::to_string(i);
    }
    return text;
}

TEST(Pages, FullHdDisplayShows46LinesAndTwelvePagesOfTheManualLength) {
    EXPECT_EQ(LinesPerPage(1080), 46);
    const std::string text = linesOfText(532);
    const std::vector<Page> pages = SplitPages(text, 46);
    ASSERT_EQ(pages.size(), 12u);
    EXPECT_EQ(text.substr(pages[0].start, pages[0].length), linesOfText(46));
    EXPECT_EQ(text.substr(pages[1].start, 7), "line 47");
    EXPECT_EQ(text.substr(pages[11].start), text.substr(text.find("line 507")));
    EXPECT_EQ(pages[11].start + pages[11].length, text.size());
}

TEST(Pages, XgaDisplayGives33LinesAndSeventeenPages) {
    EXPECT_EQ(LinesPerPage(768), 33);
    EXPECT_EQ(SplitPages(linesOfText(532), 33).size(), 17u);
}

TEST(Pages, TextWithoutLineBreaksIsOnePage) {
    const std::vector<Page> pages = SplitPages("just one line", 46);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].length, 13u);
    EXPECT_EQ(SplitPages("", 46).size(), 1u);
}

TEST(Pages, LineBreakAtThePageStartDoesNotCountAsALine) {
    // Page 1 holds "a"; page 2 starts with an empty line whose break is not counted, so it
    // takes "" and "b" and "c" on two lines per page.
    const std::string text = "a\r\n\r\nb\r\nc";
    const std::vector<Page> pages = SplitPages(text, 1);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(text.substr(pages[0].start, pages[0].length), "a");
    EXPECT_EQ(text.substr(pages[1].start, pages[1].length), "\r\nb");
    EXPECT_EQ(text.substr(pages[2].start, pages[2].length), "c");
}

TEST(Pages, DisplayTooSmallForALineStillPages) {
    EXPECT_EQ(LinesPerPage(22), 0);
    EXPECT_EQ(SplitPages("a\r\nb\r\nc", 0).size(), 3u);
}

TEST(Manual, UsesCrLfAndNamesEveryKeywordPresetAndPlaceholder) {
    const std::string& text = HelpText();
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
    EXPECT_NE(text.substr(text.size() - 2), "\r\n");
    for (const char* word :
         {"silent",    "distort",   "expand",    "transparent",   "solid",         "monitor",
          "desktop",   "frame",     "red",       "green",         "blue",          "pink",
          "lime",      "black",     "white",     "grey",          "brown",         "cyan",
          "orange",    "color",     "base",      "traffic",       "drain",         "blur",
          "dots",      "fade",      "darken",    "invert",        "reverse",       "font",
          "big",       "text",      "load",      "frompanel",     "pairs",         "keep",
          "random",    "save",      "end",       "resident",      "background",    "kill",
          "renew",     "nouser",    "gui",       "help",          "delay",         "get",
          "set",       "adminmark", "basemark",  "highmark",      "lowmark",       "mark",
          "darkmark",  "dotmark",   "ipallmark", "~ip~",          "~ipall~",       "~host~",
          "~HOST~",    "~user~",    "~USER~",    "~timestamp~",   "~monitor~",     "~desktop~",
          "drape.cmd", "drape.lst", "drape.bmp", "programfolder", "currentfolder", "tempfolder"}) {
        EXPECT_NE(text.find(std::string(" ") + word), std::string::npos) << word;
    }
}

class ViewerTest : public RunTest {};

TEST_F(ViewerTest, PagesTurnWithinTheirBoundsAndCloseEnds) {
    os.monitors = {{0, 0, 1920, 1080, 24}};
    using platform::ViewerInput;
    os.viewerInputs = {ViewerInput::PreviousPage, ViewerInput::NextPage, ViewerInput::NextPage,
                       ViewerInput::PreviousPage, ViewerInput::Close};
    ShowDocumentation("title", linesOfText(100));
    EXPECT_EQ(os.viewerLinesPerPage, 46);
    std::vector<int> shown;
    for (const auto& page : os.viewerPages) {
        shown.push_back(page.number);
        EXPECT_EQ(page.count, 3);
    }
    EXPECT_EQ(shown, (std::vector<int>{1, 1, 2, 3, 2}));
    EXPECT_FALSE(os.viewerOpen);
}

TEST_F(ViewerTest, NextOnTheLastPageStaysThere) {
    os.monitors = {{0, 0, 800, 100, 24}};  // 4 lines a page
    using platform::ViewerInput;
    os.viewerInputs = {ViewerInput::NextPage, ViewerInput::NextPage, ViewerInput::NextPage};
    ShowDocumentation("t", linesOfText(6));
    ASSERT_EQ(os.viewerPages.size(), 4u);
    EXPECT_EQ(os.viewerPages.back().number, 2);
    EXPECT_EQ(os.viewerPages[1].text, "line 5\r\nline 6");
}

TEST_F(ViewerTest, WithoutAViewerTheTextIsPrintedWhole) {
    os.viewerAvailable = false;
    ShowDocumentation("t", "a\r\nb");
    EXPECT_EQ(os.printed, "a\nb\n");
    EXPECT_TRUE(os.viewerPages.empty());
}

class ViewerWindowTest : public RunTest {
  protected:
    void SetUp() override {
        RunTest::SetUp();
        os.graphicalDisplay = true;
    }
    void keys(std::initializer_list<platform::Key> pressed) {
        for (platform::Key key : pressed) {
            os.events.push_back({platform::EventKind::Key, 0, 0, key});
        }
    }
    void click(int control) { os.events.push_back({platform::EventKind::Control, control}); }
    // The page counters shown, in order.
    std::vector<std::string> counters() const {
        std::vector<std::string> shown;
        for (const auto& [id, text] : os.ui.textLog) {
            if (id == kPageCounter) {
                shown.push_back(text);
            }
        }
        return shown;
    }
    const FakeControls::Window& viewer() const { return os.ui.windows.begin()->second; }
};

TEST_F(ViewerWindowTest, FullHdDisplayGivesAWindowOf46LinesAndTwelvePages) {
    os.monitors = {{0, 0, 1920, 1080, 24}};
    keys({platform::Key::Escape});
    ShowDocumentation("the title", linesOfText(532));
    ASSERT_EQ(os.ui.windows.size(), 1u);
    EXPECT_EQ(viewer().spec.title, "the title");
    EXPECT_EQ(viewer().spec.clientWidth, 616);
    EXPECT_EQ(viewer().spec.clientHeight, 798);
    EXPECT_TRUE(viewer().spec.reportKeys);
    EXPECT_FALSE(viewer().open);
    EXPECT_EQ(counters(), std::vector<std::string>{"1/12"});
    ASSERT_FALSE(os.ui.textLog.empty());
    EXPECT_EQ(os.ui.textLog.front(), std::make_pair(int{kPageText}, linesOfText(46)));
    // The page and its counter in the fixed-pitch face; the buttons at the bottom.
    const auto& controls = viewer().controls;
    ASSERT_EQ(controls.size(), 5u);
    EXPECT_EQ(controls[0].fontFace, "Courier New");
    EXPECT_EQ(controls[0].fontPoints, 9);
    EXPECT_EQ(controls[0].rect.height, 782 - 60);
    EXPECT_EQ(controls[4].text, "Ok");
    EXPECT_EQ(controls[4].rect.y, 770);
    EXPECT_TRUE(os.viewerPages.empty());
}

TEST_F(ViewerWindowTest, KeysAndButtonsTurnPagesWithinTheirBounds) {
    os.monitors = {{0, 0, 800, 100, 24}};  // 4 lines a page: 10 lines make 3 pages
    keys({platform::Key::Up, platform::Key::Space, platform::Key::Down, platform::Key::Down,
          platform::Key::Space});
    click(kPreviousPageButton);
    click(kNextPageButton);
    click(kNextPageButton);
    keys({platform::Key::Return});
    ShowDocumentation("t", linesOfText(10));
    EXPECT_EQ(counters(), (std::vector<std::string>{"1/3", "2/3", "3/3", "2/3", "3/3"}));
    EXPECT_EQ(os.ui.textLog.back().second, "3/3");
    EXPECT_TRUE(os.events.empty());
    EXPECT_EQ(os.foreverWaitsRunDry, 0);
}

TEST_F(ViewerWindowTest, ButtonsAreDisabledAtTheEndsAndOkCloses) {
    os.monitors = {{0, 0, 800, 100, 24}};
    click(kNextPageButton);
    click(kCloseViewerButton);
    ShowDocumentation("t", linesOfText(5));
    EXPECT_EQ(counters(), (std::vector<std::string>{"1/2", "2/2"}));
    EXPECT_EQ(os.foreverWaitsRunDry, 0);
    using State = std::pair<int, bool>;
    EXPECT_EQ(os.ui.enabledLog, (std::vector<State>{{kPreviousPageButton, false},
                                                    {kNextPageButton, true},
                                                    {kPreviousPageButton, true},
                                                    {kNextPageButton, false}}));
    EXPECT_TRUE(os.ui.controls.empty());
}

TEST_F(ViewerWindowTest, OnlyItsOwnCloseRequestClosesIt) {
    os.monitors = {{0, 0, 800, 100, 24}};
    os.events.push_back({platform::EventKind::Close, 0, 0});  // the program window
    os.events.push_back({platform::EventKind::Terminate});
    keys({platform::Key::Space});
    os.events.push_back({platform::EventKind::Close, 0, 1});
    ShowDocumentation("t", linesOfText(9));
    EXPECT_EQ(counters(), (std::vector<std::string>{"1/3", "2/3"}));
    EXPECT_EQ(os.foreverWaitsRunDry, 0);
}

TEST_F(ViewerWindowTest, OneLineTextIsOnePageWithBothButtonsOff) {
    os.monitors = {{0, 0, 1366, 768, 24}};
    ShowDocumentation("t", "no line break here");
    EXPECT_EQ(viewer().spec.clientHeight, 17 * 33 + 16);
    EXPECT_EQ(counters(), std::vector<std::string>{"1/1"});
}

TEST_F(ViewerWindowTest, WithoutAWindowTheTerminalPagerShowsIt) {
    os.ui.available = false;
    os.viewerInputs = {platform::ViewerInput::Close};
    ShowDocumentation("t", "a\r\nb");
    EXPECT_EQ(os.viewerPages.size(), 1u);
}

// A 24-bit bottom-up BMP of `width` x `height`, red in its left half and blue in its right.
std::string halvesBmp(int width, int height) {
    const int stride = (width * 3 + 3) / 4 * 4;
    const uint32_t size = 54u + static_cast<uint32_t>(stride * height);
    std::string file(size, '\0');
    const auto put = [&](size_t at, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            file[at + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
        }
    };
    file[0] = 'B';
    file[1] = 'M';
    put(2, size, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, static_cast<uint32_t>(width), 4);
    put(22, static_cast<uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const size_t at = 54u + static_cast<size_t>(y * stride + x * 3);
            file[at + (x < width / 2 ? 2 : 0)] = static_cast<char>(0xFF);
        }
    }
    return file;
}

// The command lines the manual shows: every indented "drape ..." line, and the drape.cmd
// example as the one command its lines make.
std::vector<std::string> manualExamples() {
    std::vector<std::string> examples;
    std::istringstream text(HelpText());
    std::string line;
    std::string commandFile;
    bool inCommandFile = false;
    while (std::getline(text, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.starts_with("    drape ")) {
            examples.push_back(line.substr(10));
        }
        if (line.starts_with("drape.cmd")) {
            inCommandFile = true;
        } else if (inCommandFile && line.empty() && !commandFile.empty()) {
            examples.push_back(commandFile);
            inCommandFile = false;
        } else if (inCommandFile && line.starts_with("    ") && line[4] != ';') {
            commandFile += (commandFile.empty() ? "" : " ") + line.substr(4);
        }
    }
    return examples;
}

class ManualExamples : public RunTest {
  protected:
    // The example with its Windows folders replaced by folders of this test holding photos.
    std::string withTestFolders(std::string command) {
        for (const std::string folder : {"c:\\photos", "c:\\software\\wallpaper"}) {
            const std::string local = os.root + "photos-" + std::to_string(folders_++);
            std::filesystem::create_directories(local);
            std::ofstream(local + "/panorama.jpg", std::ios::binary) << halvesBmp(384, 108);
            for (size_t at = command.find(folder); at != std::string::npos;
                 at = command.find(folder)) {
                command.replace(at, folder.size(), local);
            }
        }
        for (size_t at = command.find('\\'); at != std::string::npos; at = command.find('\\')) {
            command[at] = '/';
        }
        return command;
    }

    int folders_ = 0;
};

TEST_F(ManualExamples, EveryExampleRunsWithoutAnUnknownWord) {
    std::ofstream(os.programDir + "panorama.jpg", std::ios::binary) << halvesBmp(384, 108);
    const std::vector<std::string> examples = manualExamples();
    ASSERT_GE(examples.size(), 7u) << "the examples were not found in the manual";
    for (const std::string& example : examples) {
        ResetProcessState();
        ApplyDefaults();
        os.messageBoxes.clear();
        os.wallpaperCalls.clear();
        run(withTestFolders(example));
        for (const FakePlatform::MessageBoxCall& box : os.messageBoxes) {
            EXPECT_EQ(box.text.find(kUnrecognizedMessage), std::string::npos) << example << "\n"
                                                                              << box.text;
            EXPECT_EQ(box.text.find("Missing image file"), std::string::npos) << example << "\n"
                                                                              << box.text;
        }
        EXPECT_FALSE(os.wallpaperCalls.empty()) << "nothing installed by: " << example;
    }
}

TEST_F(ManualExamples, PanoramaExampleSpreadsThePictureOverTheWholeDesktop) {
    useMonitors({{0, 0, 1920, 1080, 24}, {1920, 0, 1920, 1080, 24}});
    const std::vector<std::string> examples = manualExamples();
    const auto panorama = std::find_if(examples.begin(), examples.end(), [](const auto& line) {
        return line.find("panorama") != std::string::npos;
    });
    ASSERT_NE(panorama, examples.end());
    run(withTestFolders(*panorama));
    const std::optional<BmpImage> image = installed();
    ASSERT_TRUE(image);
    ASSERT_EQ(image->width, 3840);
    // Red on the left monitor, blue on the right: one picture across both. Fitted to each
    // monitor alone, the right monitor would start with the picture's red half.
    const Rgb left = image->at(10, 540);
    const Rgb right = image->at(1930, 540);
    EXPECT_GT(left.r, 200) << *panorama;
    EXPECT_LT(left.b, 50);
    EXPECT_GT(right.b, 200) << *panorama;
    EXPECT_LT(right.r, 50);
}

}  // namespace
}  // namespace drape::test
