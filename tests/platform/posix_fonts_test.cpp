// Fonts through FreeType and fontconfig on the machine's own fonts (the build installs
// fonts-liberation, the metric twins of the Windows core fonts).
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "font_test_support.h"
#include "posix_test_env.h"

namespace drape::platform::posix::testing {
namespace {

using fonttest::Canvas;
using fonttest::Ink;
using fonttest::inkOf;
using fonttest::meanColumn;

class PosixFontsTest : public fonttest::FontsFixture {
  protected:
    void SetUp() override {
        env_.unset("DISPLAY");
        env_.unset("DRAPE_DPI");
        platform_.setReporter([this](const std::string& line) { reports_.push_back(line); });
    }

    // True when fontconfig has the Liberation fonts, which stand in for Arial.
    bool haveLiberation() {
        const FontId liberation = font("Liberation Sans", 40, false);
        const FontId fallback = font("No Such Face Whatsoever", 40, false);
        return width(liberation, "0123456789") != width(fallback, "0123456789");
    }

    Drawing& drawing() override { return platform_.drawing(); }

    ScopedEnv env_;
    PosixPlatform platform_;
    std::vector<std::string> reports_;
};

TEST_F(PosixFontsTest, WiderTextMeasuresWiderAndBoldWiderStill) {
    const FontId regular = font("Arial", 40, false);
    const FontId bold = font("Arial", 40, true);
    EXPECT_LT(width(regular, "iii"), width(regular, "WWW"));
    EXPECT_LT(width(regular, "WW"), width(regular, "WWW"));
    EXPECT_LT(width(regular, "Hello"), width(bold, "Hello"));
    EXPECT_EQ(width(regular, "ab") + width(regular, "cd"), width(regular, "abcd"));  // no kerning
    const TextExtent extent = platform_.measureText(regular, "x");
    // The cell holds the em and the face's extra room above and below it.
    EXPECT_GE(extent.height, 40);
    EXPECT_LE(extent.height, 60);
    EXPECT_EQ(platform_.measureText(regular, "").width, 0);
    EXPECT_EQ(platform_.measureText(regular, "").height, 0);
}

TEST_F(PosixFontsTest, ArialResolvesToItsMetricTwin) {
    DRAPE_REQUIRE_INSTALLED(haveLiberation(), "fonts-liberation");
    const FontId arial = font("Arial", 2048, false);
    const FontId liberation = font("Liberation Sans", 2048, false);
    for (const char* text : {"0123456789", "Wide margins", "iiiii"}) {
        EXPECT_EQ(width(arial, text), width(liberation, text)) << text;
    }
    // Arial's digits are 1139 units of a 2048-unit em wide; at an em of 2048 px, 1139 px.
    EXPECT_NEAR(width(arial, "0000000000"), 11390, 10);
}

TEST_F(PosixFontsTest, AnUnknownFaceFallsBackAndStillDraws) {
    const FontId unknown = font("Qwertyuiop Sans Nonexistent", 40);
    ASSERT_NE(unknown, 0u);
    const FontId standard = font("sans-serif", 40);
    EXPECT_EQ(width(unknown, "Fallback"), width(standard, "Fallback"));
    const Canvas canvas = render(unknown, "Hi", 0, 100, 60);
    EXPECT_FALSE(inkOf(canvas).empty());
    EXPECT_TRUE(reports_.empty());
}

TEST_F(PosixFontsTest, HeightIsTheCharacterHeightWithTheBaselineAtTheAscent) {
    DRAPE_REQUIRE_INSTALLED(haveLiberation(), "fonts-liberation");
    // The heading of "text X" at 64 pt and 96 dpi: an em of 85 px.
    const FontId heading = font("Arial", 85);
    const TextExtent cell = platform_.measureText(heading, "X");
    const Canvas canvas = render(heading, "X", 20, cell.width + 40, cell.height + 20);
    const Ink ink = inkOf(canvas);
    ASSERT_FALSE(ink.empty());
    // Every bit of ink lies inside the cell the caller was given...
    EXPECT_GE(ink.left, 20);
    EXPECT_LT(ink.right, 20 + cell.width);
    EXPECT_LT(ink.bottom, cell.height);
    // ... the capital stands on the baseline, ascent rows down (77 for this face and size) ...
    EXPECT_NEAR(ink.bottom + 1, 77, 1);
    // ... and is as tall as capitals (0.69 to 0.72 em) on an 85 px em; on an 85 px cell (an em
    // of 76 px) they would be 55 px at most.
    EXPECT_NEAR(ink.bottom - ink.top + 1, 60, 3);
    EXPECT_NEAR(ink.top, 77 - 60, 3);  // so the visible top lies about 17 px under the cell's
}

TEST_F(PosixFontsTest, BigTextCentredByItsCellHasItsInkCentred) {
    // "big ~ip~" on a 1920 x 1080 monitor: 720 pt, an em of 960 px, the text "23".
    const FontId big = font("Arial", 960);
    const TextExtent cell = platform_.measureText(big, "23");
    ASSERT_GT(cell.width, 0);
    const int x = 960 - cell.width / 2;
    const Canvas canvas = render(big, "23", x, 1920, cell.height);
    const Ink ink = inkOf(canvas);
    ASSERT_FALSE(ink.empty());
    EXPECT_GE(ink.left, x);
    EXPECT_LT(ink.right, x + cell.width);
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 960, 960 * 0.03);
}

TEST_F(PosixFontsTest, QualityChoosesGreyOrTwoLevelCoverageInAllChannelsAlike) {
    FontRequest request;
    request.face = "Arial";
    request.pixelHeight = 30;
    request.highQuality = true;
    const Canvas smooth = render(make(request), "Rounded", 0, 200, 40);
    request.highQuality = false;
    const Canvas crisp = render(make(request), "Rounded", 0, 200, 40);
    const auto levels = [](const Canvas& canvas) {
        std::vector<bool> seen(256);
        for (int y = 0; y < canvas.height; ++y) {
            for (int x = 0; x < canvas.width; ++x) {
                const uint8_t* pixel = canvas.at(x, y);
                EXPECT_EQ(pixel[0], pixel[1]);
                EXPECT_EQ(pixel[0], pixel[2]);
                seen[pixel[0]] = true;
            }
        }
        return std::count(seen.begin() + 1, seen.end() - 1, true);
    };
    EXPECT_GT(levels(smooth), 10);
    EXPECT_EQ(levels(crisp), 0);
    EXPECT_FALSE(inkOf(crisp).empty());
}

TEST_F(PosixFontsTest, UnderlineAndStrikeOutAreBarsAcrossTheWholeText) {
    FontRequest request;
    request.face = "Arial";
    request.pixelHeight = 40;
    request.highQuality = true;
    const FontId plainFont = make(request);
    request.underline = true;
    const FontId underlined = make(request);
    request.underline = false;
    request.strikeOut = true;
    const FontId struck = make(request);
    const TextExtent cell = platform_.measureText(plainFont, "a a");
    const int ascent = inkOf(render(plainFont, "H", 0, 60, cell.height)).bottom + 1;

    // A row fully covered from the first to the last column of the text, and where it is.
    const auto barRows = [&](FontId id) {
        const Canvas canvas = render(id, "a a", 5, cell.width + 10, cell.height);
        std::vector<int> rows;
        for (int y = 0; y < canvas.height; ++y) {
            bool full = true;
            for (int x = 5; x < 5 + cell.width; ++x) {
                full = full && canvas.at(x, y)[0] == 255;
            }
            if (full && !canvas.inked(4, y) && !canvas.inked(5 + cell.width, y)) {
                rows.push_back(y);
            }
        }
        return rows;
    };
    EXPECT_TRUE(barRows(plainFont).empty());
    const std::vector<int> under = barRows(underlined);
    ASSERT_FALSE(under.empty());
    EXPECT_GE(under.front(), ascent);  // below the baseline
    EXPECT_LT(under.back(), cell.height);
    const std::vector<int> strike = barRows(struck);
    ASSERT_FALSE(strike.empty());
    EXPECT_LT(strike.back(), ascent);  // above the baseline, through the lower case
    EXPECT_GT(strike.front(), ascent / 2);
}

TEST_F(PosixFontsTest, ItalicLeansToTheRight) {
    const FontId upright = font("Arial", 80, false, false);
    const FontId italic = font("Arial", 80, false, true);
    const Canvas straight = render(upright, "l", 10, 80, 100);
    const Canvas slanted = render(italic, "l", 10, 80, 100);
    const Ink ink = inkOf(straight);
    const int third = (ink.bottom - ink.top) / 3;
    EXPECT_NEAR(meanColumn(straight, ink.top, ink.top + third),
                meanColumn(straight, ink.bottom - third, ink.bottom), 1.0);
    EXPECT_GT(meanColumn(slanted, ink.top, ink.top + third),
              meanColumn(slanted, ink.bottom - third, ink.bottom) + 5);
}

TEST_F(PosixFontsTest, RenderingIsClippedToTheBufferWhereverTheTextStarts) {
    const FontId id = font("Arial", 40);
    const int w = width(id, "Clipped text");
    // Starting left of the buffer: the part from column 0 on is the text's tail.
    const Canvas whole = render(id, "Clipped text", 0, w, 50);
    const Canvas shifted = render(id, "Clipped text", -30, w - 30, 50);
    for (int y = 0; y < 50; ++y) {
        for (int x = 0; x < w - 30; ++x) {
            ASSERT_EQ(shifted.at(x, y)[0], whole.at(x + 30, y)[0]) << x << "," << y;
        }
    }
    // Far away on either side, nothing is drawn and nothing breaks.
    for (const int x : {-100000000, -w, 20, 100000000}) {
        const Canvas small = render(id, "Clipped text", x, 20, 10);
        EXPECT_TRUE(x == 20 || inkOf(small).empty()) << x;
    }
}

TEST_F(PosixFontsTest, OddTextNeverBreaksRendering) {
    const FontId id = font("Arial", 24);
    const std::string odd[] = {
        "\xF0\x9F\x98\x80 emoji", "\xFF\xFE\xC3 broken UTF-8",    "tab\tand\nnewline",
        std::string(5000, 'W'),   std::string("nul\0inside", 10),
    };
    for (const std::string& text : odd) {
        const TextExtent extent = platform_.measureText(id, text);
        EXPECT_GT(extent.width, 0);
        const Canvas canvas = render(id, text, 0, 300, extent.height);
        EXPECT_FALSE(inkOf(canvas).empty());
    }
}

TEST_F(PosixFontsTest, DestroyedAndUnmadeFontsDrawNothing) {
    FontRequest request;
    request.face = "Arial";
    request.pixelHeight = 0;
    EXPECT_EQ(platform_.createFont(request), 0u);
    request.pixelHeight = 40000;
    EXPECT_EQ(platform_.createFont(request), 0u);
    request.pixelHeight = 20;
    const FontId id = platform_.createFont(request);
    ASSERT_NE(id, 0u);
    platform_.destroyFont(id);
    platform_.destroyFont(id);
    EXPECT_EQ(platform_.measureText(id, "gone").width, 0);
    EXPECT_TRUE(inkOf(render(id, "gone", 0, 50, 30)).empty());
    // A buffer of no size is left alone.
    const FontId live = font("Arial", 20);
    platform_.renderText(live, "x", 0, {0, 0, 0, nullptr});
}

TEST_F(PosixFontsTest, ResolutionComesFromTheSettingOrDefaultsTo96) {
    EXPECT_EQ(platform_.displayDpiY(), 96);  // no display in this test
    env_.set("DRAPE_DPI", "120");
    EXPECT_EQ(platform_.displayDpiY(), 120);
    env_.set("DRAPE_DPI", "12x");
    EXPECT_EQ(platform_.displayDpiY(), 96);
    env_.set("DRAPE_DPI", "-5");
    EXPECT_EQ(platform_.displayDpiY(), 96);
}

}  // namespace
}  // namespace drape::platform::posix::testing
