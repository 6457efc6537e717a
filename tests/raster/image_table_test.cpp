#include <gtest/gtest.h>

#include "platform/platform.h"
#include "raster/raster.h"
#include "raster_test_support.h"
#include "support/fake_platform.h"

namespace drape::raster::testing {
namespace {

using ImageTable = RasterTest;

TEST_F(ImageTable, StrideRoundsRowsUpToFourBytes) {
    EXPECT_EQ(strideFor(1, 24), 4u);
    EXPECT_EQ(strideFor(3, 24), 12u);
    EXPECT_EQ(strideFor(4, 24), 12u);
    EXPECT_EQ(strideFor(1366, 24), 4100u);
    EXPECT_EQ(strideFor(1920, 24), 5760u);
    EXPECT_EQ(strideFor(3, 32), 12u);
    EXPECT_EQ(strideFor(kMaxImageSide, 32), 131068u);
}

TEST_F(ImageTable, NewImageFills24BitWithTheColourIgnoringAlpha) {
    const ImageHandle image = newImage(1, 3, 2, 24, makeColourAlpha(10, 20, 30, 99));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image, imageHandle(1));
    EXPECT_EQ(image->depth, 24);
    EXPECT_EQ(image->stride, 12u);
    ASSERT_EQ(image->pixels.size(), 24u);
    for (Colour c : allPixels(*image)) {
        EXPECT_EQ(c, makeColour(10, 20, 30));
    }
    // Row padding stays zero.
    for (int y = 0; y < 2; ++y) {
        for (size_t i = 9; i < 12; ++i) {
            EXPECT_EQ(image->row(y)[i], 0) << y << "," << i;
        }
    }
}

// The raster layer runs without a platform in most of these tests; with one installed, a new
// image's pixel buffer is offered for large pages, whole.
TEST_F(ImageTable, NewImagesAskTheInstalledPlatformForLargePages) {
    ASSERT_NE(newImage(1, 5, 3, 24, makeColour(1, 2, 3)), nullptr);
    test::FakePlatform fake;
    platform::setCurrent(&fake);
    const ImageHandle image = newImage(2, 1366, 7, 24, makeColour(1, 2, 3));
    platform::setCurrent(nullptr);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(fake.advisedBytes, 4100u * 7u);
    EXPECT_EQ(allPixels(*image).front(), makeColour(1, 2, 3));
}

TEST_F(ImageTable, DepthsBelow24Become24) {
    for (int depth : {0, 1, 8, 16, 23}) {
        const ImageHandle image = newImage(2, 5, 1, depth, 0);
        ASSERT_NE(image, nullptr) << depth;
        EXPECT_EQ(image->depth, 24);
        EXPECT_EQ(image->stride, 16u);
    }
}

TEST_F(ImageTable, NewImageFills32BitOpaqueExceptForAllOnes) {
    const ImageHandle opaque = newImage(1, 2, 2, 32, makeColourAlpha(1, 2, 3, 7));
    ASSERT_NE(opaque, nullptr);
    EXPECT_EQ(opaque->stride, 8u);
    for (Colour c : allPixels(*opaque)) {
        EXPECT_EQ(c, makeColourAlpha(1, 2, 3, 255));
    }
    const ImageHandle clear = newImage(2, 2, 2, 32, 0xFFFFFFFFu);
    ASSERT_NE(clear, nullptr);
    for (Colour c : allPixels(*clear)) {
        EXPECT_EQ(c, 0u);
    }
    // Only all ones means transparent: white with alpha 254 is opaque white.
    const ImageHandle white = newImage(3, 1, 1, 32, 0xFEFFFFFFu);
    ASSERT_NE(white, nullptr);
    EXPECT_EQ(rawPixel(*white, 0, 0), 0xFFFFFFFFu);
}

TEST_F(ImageTable, SizesOutsideOneTo32767AreRefused) {
    EXPECT_NE(newImage(1, kMaxImageSide, 1, 24, 0), nullptr);
    EXPECT_NE(newImage(1, 1, kMaxImageSide, 24, 0), nullptr);
    EXPECT_EQ(newImage(1, kMaxImageSide + 1, 1, 24, 0), nullptr);
    EXPECT_EQ(newImage(1, 1, kMaxImageSide + 1, 24, 0), nullptr);
    EXPECT_EQ(newImage(1, 0, 5, 24, 0), nullptr);
    EXPECT_EQ(newImage(1, 5, 0, 24, 0), nullptr);
    EXPECT_EQ(newImage(1, -4, 5, 24, 0), nullptr);
    EXPECT_EQ(newImage(1, 5, INT32_MIN, 32, 0), nullptr);
    EXPECT_EQ(widthOf(1), 0);
}

TEST_F(ImageTable, AbsentNumbersReadZero) {
    EXPECT_EQ(imageHandle(7), nullptr);
    EXPECT_EQ(widthOf(7), 0);
    EXPECT_EQ(heightOf(7), 0);
    EXPECT_EQ(widthOf(-1), 0);
    EXPECT_EQ(newImage(-3, 2, 2, 24, 0), nullptr);
    EXPECT_EQ(duplicateImage(7, 8), 0);
    EXPECT_EQ(cropImage(7, 8, 0, 0, 2, 2), 0);
    EXPECT_EQ(imageHandle(8), nullptr);
    releaseImage(7);  // releasing nothing is harmless
}

TEST_F(ImageTable, ReplacingANumberReleasesTheOldImage) {
    ASSERT_NE(newImage(1, 4, 3, 24, 0), nullptr);
    const ImageHandle second = newImage(1, 6, 5, 24, makeColour(9, 9, 9));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(imageHandle(1), second);
    EXPECT_EQ(widthOf(1), 6);
    EXPECT_EQ(heightOf(1), 5);
    // A make that fails still empties the number.
    EXPECT_EQ(newImage(1, 0, 5, 24, 0), nullptr);
    EXPECT_EQ(imageHandle(1), nullptr);
}

TEST_F(ImageTable, ReleaseOneOrAll) {
    newImage(1, 2, 2, 24, 0);
    newImage(2, 3, 3, 24, 0);
    newImage(13, 4, 4, 24, 0);
    releaseImage(2);
    EXPECT_EQ(widthOf(1), 2);
    EXPECT_EQ(widthOf(2), 0);
    EXPECT_EQ(widthOf(13), 4);
    releaseImage(-1);
    EXPECT_EQ(widthOf(1), 0);
    EXPECT_EQ(widthOf(13), 0);
}

TEST_F(ImageTable, DuplicateCopiesSizeDepthPixelsAndFormat) {
    RasterImage* source = newImage(1, 3, 2, 32, makeColour(5, 6, 7));
    ASSERT_NE(source, nullptr);
    source->format = ImageFormat::Png;
    setRawPixel(*source, 2, 1, makeColourAlpha(200, 100, 50, 25));
    ASSERT_NE(duplicateImage(1, 2), 0);
    const RasterImage* copy = imageHandle(2);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, source);
    EXPECT_EQ(copy->depth, 32);
    EXPECT_EQ(copy->format, ImageFormat::Png);
    EXPECT_EQ(allPixels(*copy), allPixels(*source));
    // The copy is independent of the source.
    setRawPixel(*source, 0, 0, 0);
    EXPECT_EQ(rawPixel(*copy, 0, 0), makeColourAlpha(5, 6, 7, 255));
}

TEST_F(ImageTable, CropKeepsBlackWhereTheRectangleLeavesTheSource) {
    RasterImage* source = newImage(1, 4, 4, 24, 0);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            setRawPixel(*source, x, y, makeColour(10 * x + 1, 10 * y + 1, 7));
        }
    }
    ASSERT_NE(cropImage(1, 3, 2, -1, 4, 3), 0);
    const RasterImage* crop = imageHandle(3);
    ASSERT_NE(crop, nullptr);
    EXPECT_EQ(crop->width, 4);
    EXPECT_EQ(crop->height, 3);
    EXPECT_EQ(crop->depth, 24);
    const Colour k = 0;
    const std::vector<Colour> expected = {
        k,
        k,
        k,
        k,  // row y = -1 lies above the source
        makeColour(21, 1, 7),
        makeColour(31, 1, 7),
        k,
        k,
        makeColour(21, 11, 7),
        makeColour(31, 11, 7),
        k,
        k,
    };
    EXPECT_EQ(allPixels(*crop), expected);
}

TEST_F(ImageTable, CropEntirelyOutsideIsBlackAndCropIntoItsOwnNumberWorks) {
    newImage(1, 4, 4, 32, makeColour(50, 60, 70));
    ASSERT_NE(cropImage(1, 2, 100, 100, 2, 2), 0);
    for (Colour c : allPixels(*imageHandle(2))) {
        EXPECT_EQ(c, 0u);  // transparent black at 32 bits
    }
    ASSERT_NE(cropImage(1, 1, 3, 3, 2, 1), 0);
    EXPECT_EQ(allPixels(*imageHandle(1)),
              (std::vector<Colour>{makeColourAlpha(50, 60, 70, 255), 0}));
    EXPECT_EQ(cropImage(1, 2, 0, 0, 0, 1), 0);
    EXPECT_EQ(imageHandle(2), nullptr);
}

TEST_F(ImageTable, StoreImageTakesADecodedImage) {
    RasterImage decoded;
    decoded.width = 2;
    decoded.height = 1;
    decoded.depth = 24;
    decoded.stride = strideFor(2, 24);
    decoded.format = ImageFormat::Jpeg;
    decoded.pixels = {1, 2, 3, 4, 5, 6, 0, 0};
    const ImageHandle stored = storeImage(4, std::move(decoded));
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(imageHandle(4), stored);
    EXPECT_EQ(widthOf(4), 2);
    EXPECT_EQ(rawPixel(*stored, 1, 0), makeColour(6, 5, 4));
}

TEST_F(ImageTable, StoreImageRefusesImagesWhoseRowsDoNotFit) {
    auto decoded = [](int width, int height, int depth, size_t stride, size_t bytes) {
        RasterImage image;
        image.width = width;
        image.height = height;
        image.depth = depth;
        image.stride = stride;
        image.pixels.assign(bytes, 0);
        return image;
    };
    EXPECT_NE(storeImage(4, decoded(3, 2, 24, 12, 24)), nullptr);
    EXPECT_NE(storeImage(4, decoded(3, 2, 24, 16, 32)), nullptr);  // wider rows are fine
    EXPECT_EQ(storeImage(4, decoded(3, 2, 24, 9, 24)), nullptr);   // rows unpadded
    EXPECT_EQ(imageHandle(4), nullptr);
    EXPECT_EQ(storeImage(4, decoded(3, 2, 24, 12, 23)), nullptr);  // pixels cut short
    EXPECT_EQ(storeImage(4, decoded(3, 2, 16, 8, 16)), nullptr);
    EXPECT_EQ(storeImage(4, decoded(0, 2, 24, 4, 8)), nullptr);
    EXPECT_EQ(storeImage(4, decoded(kMaxImageSide + 1, 1, 24, strideFor(kMaxImageSide + 1, 24),
                                    strideFor(kMaxImageSide + 1, 24))),
              nullptr);
    EXPECT_EQ(storeImage(-2, decoded(1, 1, 24, 4, 4)), nullptr);
}

TEST_F(ImageTable, ReleasingTheTargetEndsTheDrawingContext) {
    newImage(1, 4, 4, 24, 0);
    ASSERT_NE(openContext(1), 0);
    releaseImage(1);
    // Nothing left to draw on: these must neither crash nor touch the new image below.
    newImage(1, 4, 4, 24, 0);
    fillRect(0, 0, 4, 4, makeColour(255, 255, 255));
    putPixel(1, 1, makeColour(255, 255, 255));
    drawLine(0, 0, 3, 2, makeColour(255, 255, 255));
    EXPECT_EQ(pixelAt(1, 1), 0u);
    for (Colour c : allPixels(*imageHandle(1))) {
        EXPECT_EQ(c, 0u);
    }
}

TEST_F(ImageTable, OpenContextNeedsADrawableImage) {
    EXPECT_EQ(openContext(5), 0);
    RasterImage icon;
    icon.width = icon.height = 1;
    icon.depth = 32;
    icon.stride = 4;
    icon.format = ImageFormat::Icon;
    icon.pixels.assign(4, 0);
    storeImage(5, std::move(icon));
    EXPECT_EQ(openContext(5), 0);
    // A failed open leaves no context from before.
    newImage(1, 2, 2, 24, 0);
    ASSERT_NE(openContext(1), 0);
    EXPECT_EQ(openContext(5), 0);
    fillRect(0, 0, 2, 2, makeColour(1, 1, 1));
    EXPECT_EQ(rawPixel(*imageHandle(1), 0, 0), 0u);
}

}  // namespace
}  // namespace drape::raster::testing
