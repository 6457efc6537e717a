// "text" and "big" through the raster layer on the native win32 platform: the coverage GDI
// draws must land where the text layer's layout puts each cell.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>

#include "interp/text_layer.h"
#include "platform/platform.h"
#include "raster/raster.h"
#include "state/monitor_selection.h"
#include "state/settings.h"

namespace drape {
namespace {

struct Ink {
    int left = 1 << 30;
    int top = 1 << 30;
    int right = -1;  // inclusive
    int bottom = -1;
    int peak = 0;  // the brightest red seen
};

// Where image 1 holds red above `level`, within rows [fromRow, toRow).
Ink inkOf(int level, int fromRow = 0, int toRow = 1 << 30) {
    const raster::RasterImage* canvas = raster::imageHandle(1);
    Ink ink;
    for (int y = fromRow; y < std::min(toRow, static_cast<int>(canvas->height)); ++y) {
        const uint8_t* row = canvas->row(y);
        for (int x = 0; x < canvas->width; ++x) {
            const int red = row[3 * x + 2];
            ink.peak = std::max(ink.peak, red);
            if (red > level) {
                ink.left = std::min(ink.left, x);
                ink.top = std::min(ink.top, y);
                ink.right = std::max(ink.right, x);
                ink.bottom = std::max(ink.bottom, y);
            }
        }
    }
    return ink;
}

class Win32TextLayerTest : public ::testing::Test {
  protected:
    std::unique_ptr<platform::Platform> native;

    void SetUp() override {
        native = platform::createNative();
        platform::setCurrent(native.get());
        ResetProcessState();
        ApplyDefaults();
        MonitorTable& table = state().monitors;
        table.count = 1;
        table.records[0] = {0, 0, 1920, 1080, 24};
        table.bounds = {0, 0, 1920, 1080};
        DeriveMonitorRange();
        SelectMonitor(0);
        raster::newImage(1, 1920, 1080, 24, 0);
    }
    void TearDown() override {
        ResetProcessState();
        platform::setCurrent(nullptr);
    }

    // Width and cell height of `text` in Arial bold of `points`, as the text layer opens it.
    std::pair<int, int> cellOf(const std::string& text, int points) {
        raster::openFont(9, "Arial", points, raster::kFontBold | raster::kFontHighQuality);
        raster::openContext(1);
        raster::selectFont(raster::fontHandle(9));
        const std::pair<int, int> cell{raster::measureTextWidth(text),
                                       raster::measureTextHeight(text)};
        raster::closeContext();
        raster::closeFont(9);
        return cell;
    }
};

TEST_F(Win32TextLayerTest, HeadingAndThirdLineSitInTheCellsTheLayoutGivesThem) {
    ASSERT_EQ(native->displayDpiY(), 96);  // points as 4/3 pixels, as the layout assumes
    DrawTextLines("A||B");
    const auto [headingWidth, headingHeight] = cellOf("A", 64);
    const auto [lineWidth, lineHeight] = cellOf("B", 32);
    ASSERT_GT(headingHeight, 0);
    ASSERT_GT(lineHeight, 0);

    // The heading's cell starts at the middle less half the size; its shadow reaches 2 further.
    const int headingTop = 540 - 32;
    const Ink heading = inkOf(128, 0, headingTop + headingHeight + 2);
    ASSERT_GE(heading.right, 0);
    EXPECT_GE(heading.top, headingTop);
    EXPECT_LT(heading.top, headingTop + headingHeight / 2);
    EXPECT_GE(heading.left, 960 - headingWidth / 2);
    EXPECT_LE(heading.right, 960 - headingWidth / 2 + headingWidth + 2);
    EXPECT_NEAR((heading.left + heading.right) / 2.0, 960, 4);
    EXPECT_EQ(heading.peak, 255);  // solid white text

    // Line 3, with line 2 left empty: round(540 - 25.6 + 0.8 * 64 * 3) = 668.
    const int lineTop = 668;
    const Ink gap = inkOf(128, headingTop + headingHeight + 2, lineTop);
    EXPECT_LT(gap.right, 0);
    const Ink line = inkOf(128, lineTop, 1080);
    ASSERT_GE(line.right, 0);
    EXPECT_LT(line.top, lineTop + lineHeight / 2);
    EXPECT_LE(line.bottom, lineTop + lineHeight + 2);
    EXPECT_NEAR((line.left + line.right) / 2.0, 960, 4);
    EXPECT_LT(line.right - line.left, lineWidth + 2);
}

TEST_F(Win32TextLayerTest, BigTextIsCentredOnTheMonitorAndBlendsWhenTransparent) {
    // 6/9 of 1080 is 720 points, an em of 960 pixels.
    DrawBigText("7");
    const auto [cellWidth, cellHeight] = cellOf("7", 720);
    const Ink solid = inkOf(128);
    ASSERT_GE(solid.right, 0);
    EXPECT_NEAR((solid.left + solid.right) / 2.0, 960, 960 * 0.03);
    EXPECT_GE(solid.top, 540 - cellHeight / 2);
    EXPECT_LT(solid.bottom, 540 - cellHeight / 2 + cellHeight);
    // A capital figure is about 0.7 em high.
    EXPECT_NEAR(solid.bottom - solid.top + 1, 0.7 * 960, 0.05 * 960);
    EXPECT_LT(solid.right - solid.left, cellWidth);
    EXPECT_EQ(solid.peak, 255);

    // Alpha 64 of white over black: 64 where the figure covers the pixel fully.
    raster::newImage(1, 1920, 1080, 24, 0);
    state().settings.transparent = true;
    DrawBigText("7");
    const Ink faint = inkOf(0);
    EXPECT_EQ(faint.peak, 64);
    EXPECT_NEAR(faint.left, solid.left, 2);
    EXPECT_NEAR(faint.right, solid.right, 2);
}

}  // namespace
}  // namespace drape
