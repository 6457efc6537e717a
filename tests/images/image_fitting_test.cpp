#include <gtest/gtest.h>

#include "images/image_sources.h"

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

}  // namespace
}  // namespace drape
