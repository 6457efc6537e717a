#include "gui/documentation.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace drape::test
