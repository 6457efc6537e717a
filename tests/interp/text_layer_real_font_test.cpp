// The text layer on the real font backend: positions that a fake rasteriser cannot vouch for.
#include <gtest/gtest.h>

#include <cstdlib>

#include "interp/text_layer.h"
#include "platform/platform.h"
#include "raster/raster.h"
#include "state/monitor_selection.h"
#include "state/settings.h"
#include "support/bmp_image.h"

namespace drape {
namespace {

class RealFontTest : public ::testing::Test {
  protected:
    std::unique_ptr<platform::Platform> native;

    void SetUp() override {
        setenv("DRAPE_DPI", "96", 1);  // point sizes in pixels as at the standard setting
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
        unsetenv("DRAPE_DPI");
    }

    // Rows [top, bottom) of image 1 that hold any pixel brighter than `level` in red.
    std::pair<int, int> inkRows(int level) {
        const raster::RasterImage* canvas = raster::imageHandle(1);
        int top = -1;
        int bottom = -1;
        for (int y = 0; y < canvas->height; ++y) {
            const uint8_t* row = canvas->row(y);
            for (int x = 0; x < canvas->width; ++x) {
                if (row[3 * x + 2] > level) {
                    top = top < 0 ? y : top;
                    bottom = y + 1;
                    break;
                }
            }
        }
        return {top, bottom};
    }
};

TEST_F(RealFontTest, HeadingAndSecondLineSitWhereTheLayoutPutsTheirCells) {
    // Each line alone: its ink must lie inside the cell that starts at the layout's row.
    DrawTextLines("X");
    raster::openFont(9, "Arial", 64, raster::kFontBold | raster::kFontHighQuality);
    raster::openContext(1);
    raster::selectFont(raster::fontHandle(9));
    const int headingHeight = raster::measureTextHeight("X");
    raster::closeContext();
    const auto [headingTop, headingBottom] = inkRows(128);
    EXPECT_GE(headingTop, 540 - 32);
    EXPECT_LT(headingTop, 540 - 32 + headingHeight / 2);
    EXPECT_LE(headingBottom, 540 - 32 + headingHeight + 2);  // the shadow reaches 2 further

    raster::newImage(1, 1920, 1080, 24, 0);
    DrawTextLines("|Y");
    raster::openFont(9, "Arial", 32, raster::kFontBold | raster::kFontHighQuality);
    raster::openContext(1);
    raster::selectFont(raster::fontHandle(9));
    const int lineHeight = raster::measureTextHeight("Y");
    raster::closeContext();
    const auto [lineTop, lineBottom] = inkRows(128);
    EXPECT_GE(lineTop, 540 + 77);
    EXPECT_LT(lineTop, 540 + 77 + lineHeight / 2);
    EXPECT_LE(lineBottom, 540 + 77 + lineHeight + 2);
}

TEST_F(RealFontTest, BigAddressShowsItsLastNumberCentred) {
    state().addresses.currentAddress = 192u | 168u << 8 | 1u << 16 | 23u << 24;
    DrawBigText("~ip~");
    const raster::RasterImage* canvas = raster::imageHandle(1);
    int left = canvas->width;
    int right = -1;
    for (int y = 0; y < canvas->height; ++y) {
        for (int x = 0; x < canvas->width; ++x) {
            if (canvas->row(y)[3 * x + 2] > 128) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    ASSERT_GE(right, 0);
    // "23" and nothing of "192.168.1." is drawn: two digits of a 720-point (960-pixel) font
    // are about a thousand pixels wide, centred on 960.
    EXPECT_NEAR((left + right) / 2.0, 960.0, 40.0);
    EXPECT_GT(right - left, 600);
    EXPECT_LT(right - left, 1500);
}

}  // namespace
}  // namespace drape
