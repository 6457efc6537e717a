#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "images/image_sources.h"
#include "raster/raster.h"
#include "support/run_fixture.h"

namespace drape {
namespace {

constexpr float kFullHd = 1920.0f / 1080.0f;

TEST(WholeDesktop, DefaultsOnAFullHdMonitor) {
    EXPECT_TRUE(IsWholeDesktopPicture(1920, 1080, 1920, 1080, 15, 53));
    EXPECT_TRUE(IsWholeDesktopPicture(1920, 1200, 1920, 1080, 15, 53));
    EXPECT_TRUE(IsWholeDesktopPicture(1600, 1200, 1920, 1080, 15, 53));
    // Condition 2 fails: 1.25 * 115 is not more than 1.777 * 85.
    EXPECT_FALSE(IsWholeDesktopPicture(1000, 800, 1920, 1080, 15, 53));
    // Too small: 800 * 100 is not more than 1920 * 47.
    EXPECT_FALSE(IsWholeDesktopPicture(800, 600, 1920, 1080, 15, 53));
    EXPECT_FALSE(IsWholeDesktopPicture(1080, 1920, 1920, 1080, 15, 53));
}

TEST(WholeDesktop, SizeLimitIsStrict) {
    // 903 * 100 = 90300 > 1920 * 47 = 90240; 902 * 100 is not.
    EXPECT_TRUE(IsWholeDesktopPicture(903, 508, 1920, 1080, 15, 53));
    EXPECT_FALSE(IsWholeDesktopPicture(902, 508, 1920, 1080, 15, 53));
}

TEST(WholeDesktop, TwoMonitorsSideBySide) {
    EXPECT_TRUE(IsWholeDesktopPicture(3840, 1080, 3840, 1080, 15, 53));
    EXPECT_FALSE(IsWholeDesktopPicture(1920, 1080, 3840, 1080, 15, 53));
    EXPECT_FALSE(IsWholeDesktopPicture(1920, 1440, 3840, 1080, 15, 53));
}

TEST(WholeDesktop, ExpandAndDistortExtremes) {
    // expand 100 or more: any size, as long as the shape fits.
    EXPECT_TRUE(IsWholeDesktopPicture(16, 9, 1920, 1080, 15, 100));
    EXPECT_TRUE(IsWholeDesktopPicture(16, 9, 1920, 1080, 15, 2000000000));
    EXPECT_FALSE(IsWholeDesktopPicture(9, 16, 1920, 1080, 15, 100));
    // distort 100 or more: the shape no longer matters.
    EXPECT_TRUE(IsWholeDesktopPicture(1080, 1920, 1920, 1080, 100, 53));
    EXPECT_TRUE(IsWholeDesktopPicture(1920, 600, 1920, 1080, 150, 53));
}

TEST(Crop, RectanglesForAFullHdMonitor) {
    EXPECT_EQ(ChooseCrop(1920, 1080, kFullHd, 15), (CropRect{0, 0, 1920, 1080}));
    EXPECT_EQ(ChooseCrop(1920, 1200, kFullHd, 15), (CropRect{0, 0, 1920, 1200}));
    EXPECT_EQ(ChooseCrop(1600, 1200, kFullHd, 15), (CropRect{0, 70, 1600, 1059}));
    EXPECT_EQ(ChooseCrop(1000, 800, kFullHd, 7.5), (CropRect{0, 96, 1000, 608}));
    EXPECT_EQ(ChooseCrop(800, 600, kFullHd, 7.5), (CropRect{0, 57, 800, 486}));
    EXPECT_EQ(ChooseCrop(1080, 1920, kFullHd, 7.5), (CropRect{0, 631, 1080, 657}));
}

TEST(Crop, WiderPhotosLoseTheirSides) {
    EXPECT_EQ(ChooseCrop(1920, 1440, kFullHd, 7.5), (CropRect{0, 136, 1920, 1168}));
    // A panorama on one monitor: the height is kept and the width cut around the centre.
    const CropRect crop = ChooseCrop(6000, 1000, kFullHd, 7.5);
    EXPECT_EQ(crop.y, 0);
    EXPECT_EQ(crop.height, 1000);
    EXPECT_EQ(crop.width, 1922);  // nearest(1000 * 1.7777778 * 100 / 92.5)
    EXPECT_EQ(crop.x, (6000 - 1922) / 2);
}

TEST(Crop, DistortZeroCutsToTheExactShape) {
    const CropRect crop = ChooseCrop(1920, 1080, kFullHd, 0);
    // Even the exact shape fails the strict test, so the "crop" is the whole photo by size.
    EXPECT_EQ(crop, (CropRect{0, 0, 1920, 1080}));
    EXPECT_EQ(ChooseCrop(1600, 1200, kFullHd, 0), (CropRect{0, 150, 1600, 900}));
}

TEST(Crop, ToleranceOf100OrMoreAlwaysStretches) {
    EXPECT_EQ(ChooseCrop(100, 4000, kFullHd, 100), (CropRect{0, 0, 100, 4000}));
    EXPECT_EQ(ChooseCrop(4000, 100, kFullHd, 250), (CropRect{0, 0, 4000, 100}));
}

TEST(Crop, HalvesGoToTheEvenNeighbour) {
    // 10 / 1.0 * 100 / 80 = 12.5 rounds to 12; 14 / 1.0 * 100 / 80 = 17.5 rounds to 18.
    EXPECT_EQ(ChooseCrop(10, 100, 1.0f, 20), (CropRect{0, 44, 10, 12}));
    EXPECT_EQ(ChooseCrop(14, 100, 1.0f, 20), (CropRect{0, 41, 14, 18}));
}

// --- Fitting photographs on the canvas ------------------------------------------------------

constexpr test::Rgb kRed{200, 0, 0};
constexpr test::Rgb kGreen{0, 200, 0};
constexpr test::Rgb kBlue{0, 0, 200};

class FitTest : public test::RunTest {
  protected:
    // A photo whose row y has the colour `rowColour(y)`, written as a BMP; returns its path.
    std::string photo(int width, int height, const std::function<test::Rgb(int)>& rowColour) {
        raster::RasterImage* image = raster::newImage(9, width, height, 24, 0);
        EXPECT_NE(image, nullptr);
        for (int y = 0; y < height; ++y) {
            const test::Rgb c = rowColour(y);
            for (int x = 0; x < width; ++x) {
                uint8_t* p = image->row(y) + 3 * x;
                p[0] = static_cast<uint8_t>(c.b);
                p[1] = static_cast<uint8_t>(c.g);
                p[2] = static_cast<uint8_t>(c.r);
            }
        }
        const std::string path = os.root + "photo.bmp";
        EXPECT_NE(raster::writeBmpFile(9, path), 0);
        raster::releaseImage(9);
        return path;
    }

    // The installed picture's row y is `colour` from x0 for `width` pixels.
    ::testing::AssertionResult rowIs(int y, int x0, int width, test::Rgb colour) {
        const auto image = installed();
        if (!image) {
            return ::testing::AssertionFailure() << "nothing installed";
        }
        for (int x = x0; x < x0 + width; ++x) {
            if (!(image->at(x, y) == colour)) {
                return ::testing::AssertionFailure() << "(" << x << ", " << y << ") differs";
            }
        }
        return ::testing::AssertionSuccess();
    }
};

TEST_F(FitTest, OneMonitorCropsWithHalfTheDistortion) {
    // A 20 x 40 photo on a square monitor is no whole-desktop picture. Distort 15 allows
    // 7.5 % per monitor: 20 * 100 / 92.5 = 21.6 keeps 22 rows from row 9, which reach the green
    // row 30. With 5 % it would be 21 rows (9..29, all blue), with 15 % 24 rows from the red
    // row 8.
    useMonitors({{0, 0, 10, 10, 24}});
    const std::string path =
        photo(20, 40, [](int y) { return y == 30 ? kGreen : (y >= 9 && y <= 29 ? kBlue : kRed); });
    run("load " + path);
    for (int y = 0; y < 9; ++y) {
        EXPECT_TRUE(rowIs(y, 0, 10, kBlue)) << y;
    }
    // The last row averages crop rows 19.8 to 22: 1.2 rows of blue, 1 of green.
    const test::Rgb last = installed()->at(5, 9);
    EXPECT_EQ(last.r, 0);
    EXPECT_NEAR(last.g, 200 / 2.2, 1.0);
    EXPECT_NEAR(last.b, 200 * 1.2 / 2.2, 1.0);
    EXPECT_TRUE(rowIs(9, 0, 10, last));
}

TEST_F(FitTest, WholeDesktopPictureCropsWithTheFullDistortion) {
    // 30 x 20 on a 20 x 10 desktop is a whole-desktop picture that still needs a crop: at 15 %
    // 15 * 100 / 85 = 17.6 keeps 18 rows from row 1, so both green rows show at the top and
    // the bottom; at 7.5 % the 16 blue rows 2..17 alone would be kept.
    useMonitors({{0, 0, 10, 10, 24}, {10, 0, 10, 10, 24}});
    const std::string path = photo(30, 20, [](int y) {
        return y == 1 || y == 18 ? kGreen : (y >= 2 && y <= 17 ? kBlue : kRed);
    });
    run("monitor 1 load " + path);
    // 18 rows onto 10: the top row covers crop rows 0 to 1.8, the bottom one 16.2 to 18.
    const test::Rgb top = installed()->at(3, 0);
    EXPECT_EQ(top.r, 0);
    EXPECT_NEAR(top.g, 200 / 1.8, 1.0);
    EXPECT_NEAR(top.b, 200 * 0.8 / 1.8, 1.0);
    EXPECT_TRUE(rowIs(0, 0, 20, top));
    EXPECT_TRUE(rowIs(9, 0, 20, top));
    for (int y = 1; y < 9; ++y) {
        EXPECT_TRUE(rowIs(y, 0, 20, kBlue)) << y;
    }
}

TEST_F(FitTest, APhotoCutShortIsMissingAndLeavesTheCanvasAlone) {
    // A photo whose data ends early is reported missing and nothing of it shows, as when
    // photos were decoded whole before anything was drawn (the raster tests cut files whose
    // rows have already reached the resamplers).
    useMonitors({{0, 0, 10, 10, 24}});
    const std::string path = photo(20, 40, [](int) { return kGreen; });
    const std::optional<std::string> bytes = os.readFile(path, 1 << 20);
    ASSERT_TRUE(bytes.has_value());
    const std::string cut = os.root + "cut.bmp";
    std::ofstream(cut, std::ios::binary) << bytes->substr(0, bytes->size() / 2);
    run("load " + cut);
    ASSERT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_EQ(os.messageBoxes[0].text, "Missing image file\r\n\r\n" + cut);
    for (int y = 0; y < 10; ++y) {
        EXPECT_TRUE(rowIs(y, 0, 10, kStart)) << y;
    }
}

TEST_F(FitTest, EachMonitorGetsItsOwnPartFromOneDecode) {
    // Two monitors of different shapes each take their own crop of one photo: the wide one
    // the middle rows, the tall one the middle columns.
    useMonitors({{0, 0, 20, 10, 24}, {20, 0, 10, 20, 24}});
    // The wide one keeps rows 9 to 30, the tall one halves all 40.
    const std::string path = photo(40, 40, [](int y) { return y < 8 || y >= 32 ? kRed : kBlue; });
    run("monitor all load " + path);
    for (int y = 0; y < 10; ++y) {
        EXPECT_TRUE(rowIs(y, 0, 20, kBlue)) << y;
    }
    EXPECT_TRUE(rowIs(0, 20, 10, kRed));
    EXPECT_TRUE(rowIs(10, 20, 10, kBlue));
    EXPECT_TRUE(rowIs(19, 20, 10, kRed));
}

}  // namespace
}  // namespace drape
