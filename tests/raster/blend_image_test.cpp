#include <gtest/gtest.h>

#include "raster/raster.h"
#include "raster_test_support.h"

namespace drape::raster::testing {
namespace {

using BlendImage = RasterTest;

RasterImage& blackTarget(DrawMode mode) {
    RasterImage& target = *newImage(1, 4, 4, 24, 0);
    EXPECT_NE(openContext(1), 0);
    setMode(mode);
    return target;
}

TEST_F(BlendImage, ConstantAlphaMixesEachByte) {
    newImage(2, 2, 2, 24, makeColour(255, 255, 255));
    RasterImage& target = blackTarget(DrawMode::Opaque);
    blendImage(imageHandle(2), 1, 1, 32);
    EXPECT_EQ(rawPixel(target, 1, 1), makeColour(32, 32, 32));
    EXPECT_EQ(rawPixel(target, 2, 2), makeColour(32, 32, 32));
    EXPECT_EQ(rawPixel(target, 0, 0), makeColour(0, 0, 0));
    EXPECT_EQ(rawPixel(target, 3, 3), makeColour(0, 0, 0));
    // (200 * 64 + 32 * 191) / 255 = 74
    newImage(3, 1, 1, 24, makeColour(200, 0, 255));
    blendImage(imageHandle(3), 1, 1, 64);
    EXPECT_EQ(rawPixel(target, 1, 1), makeColour(74, 23, 87));
}

TEST_F(BlendImage, AlphaZeroDrawsNothingAndFullAlphaCopies) {
    newImage(2, 4, 4, 24, makeColour(9, 8, 7));
    RasterImage& target = blackTarget(DrawMode::Opaque);
    blendImage(imageHandle(2), 0, 0, 0);
    EXPECT_EQ(rawPixel(target, 2, 2), makeColour(0, 0, 0));
    blendImage(imageHandle(2), -2, -2, 255);
    EXPECT_EQ(rawPixel(target, 1, 1), makeColour(9, 8, 7));
    EXPECT_EQ(rawPixel(target, 2, 2), makeColour(0, 0, 0));
}

TEST_F(BlendImage, ThirtyTwoBitSourceScalesItsOwnAlpha) {
    RasterImage& source = *newImage(2, 2, 1, 32, 0);
    setRawPixel(source, 0, 0, makeColourAlpha(255, 255, 255, 255));
    setRawPixel(source, 1, 0, makeColourAlpha(255, 255, 255, 0));
    RasterImage& target = blackTarget(DrawMode::Opaque);
    blendImage(imageHandle(2), 0, 0, 128);
    EXPECT_EQ(rawPixel(target, 0, 0), makeColour(128, 128, 128));
    EXPECT_EQ(rawPixel(target, 1, 0), makeColour(0, 0, 0));
    // At full constant alpha the source alpha still counts, unlike a plain paste.
    blendImage(imageHandle(2), 0, 1, 255);
    EXPECT_EQ(rawPixel(target, 1, 1), makeColour(0, 0, 0));
    pasteImage(imageHandle(2), 0, 2);
    EXPECT_EQ(rawPixel(target, 1, 2), makeColour(255, 255, 255));
}

TEST_F(BlendImage, XorModeIgnoresTheAlpha) {
    newImage(2, 1, 1, 24, makeColour(255, 255, 255));
    RasterImage& target = blackTarget(DrawMode::Xor);
    setRawPixel(target, 0, 0, makeColour(10, 200, 255));
    blendImage(imageHandle(2), 0, 0, 32);
    EXPECT_EQ(rawPixel(target, 0, 0), makeColour(245, 55, 0));
}

TEST_F(BlendImage, BlendingTheTargetOntoItselfReadsTheOriginal) {
    RasterImage& target = *newImage(1, 3, 1, 24, 0);
    setRawPixel(target, 0, 0, makeColour(255, 255, 255));
    ASSERT_NE(openContext(1), 0);
    blendImage(imageHandle(1), 1, 0, 255);
    EXPECT_EQ(rawPixel(target, 1, 0), makeColour(255, 255, 255));
    EXPECT_EQ(rawPixel(target, 2, 0), makeColour(0, 0, 0));
}

}  // namespace
}  // namespace drape::raster::testing
