#include <gtest/gtest.h>

#include <vector>

#include "raster/raster.h"
#include "raster_test_support.h"

namespace drape::raster::testing {
namespace {

using Paste = RasterTest;

constexpr Colour kWhite = makeColour(255, 255, 255);
constexpr Colour kGrey = makeColour(100, 100, 100);

// A 3x3 source in number 5 whose pixels all differ: (10x + 1, 10y + 1, 200).
RasterImage& source3x3(int depth) {
    RasterImage& source = *newImage(5, 3, 3, depth, 0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            setRawPixel(source, x, y, makeColourAlpha(10 * x + 1, 10 * y + 1, 200, 255));
        }
    }
    return source;
}

Colour s(int x, int y) {
    return makeColour(10 * x + 1, 10 * y + 1, 200);
}

// A grey 4x4 target in number 1, opened for drawing.
RasterImage& greyTarget() {
    RasterImage& target = *newImage(1, 4, 4, 24, kGrey);
    EXPECT_NE(openContext(1), 0);
    return target;
}

TEST_F(Paste, PastesAtNegativeCoordinatesClipped) {
    RasterImage& source = source3x3(24);
    RasterImage& target = greyTarget();
    pasteImage(&source, -1, -2);
    const Colour g = kGrey;
    EXPECT_EQ(allPixels(target), (std::vector<Colour>{s(1, 2), s(2, 2), g, g,  //
                                                      g, g, g, g,              //
                                                      g, g, g, g,              //
                                                      g, g, g, g}));
}

TEST_F(Paste, PastesAcrossTheRightAndBottomEdges) {
    RasterImage& source = source3x3(24);
    RasterImage& target = greyTarget();
    pasteImage(&source, 2, 1);
    const Colour g = kGrey;
    EXPECT_EQ(allPixels(target), (std::vector<Colour>{g, g, g, g,              //
                                                      g, g, s(0, 0), s(1, 0),  //
                                                      g, g, s(0, 1), s(1, 1),  //
                                                      g, g, s(0, 2), s(1, 2)}));
}

TEST_F(Paste, PastesOutsideTheTargetDrawNothing) {
    RasterImage& source = source3x3(24);
    RasterImage& target = greyTarget();
    for (auto [x, y] : {std::pair{-3, 0},
                        {4, 0},
                        {0, -3},
                        {0, 4},
                        {INT32_MIN, INT32_MIN},
                        {INT32_MAX, INT32_MAX}}) {
        pasteImage(&source, x, y);
    }
    pasteImage(nullptr, 0, 0);
    for (Colour c : allPixels(target)) {
        EXPECT_EQ(c, kGrey);
    }
}

TEST_F(Paste, Source24BitCopiesInEveryModeButXor) {
    for (DrawMode mode : {DrawMode::Opaque, DrawMode::TransparentBackground, DrawMode::Blend}) {
        RasterImage& source = source3x3(24);
        RasterImage& target = greyTarget();
        setMode(mode);
        pasteImage(&source, 1, 1);
        EXPECT_EQ(rawPixel(target, 1, 1), s(0, 0));
        EXPECT_EQ(rawPixel(target, 3, 3), s(2, 2));
        EXPECT_EQ(rawPixel(target, 0, 1), kGrey);
    }
    RasterImage& source = source3x3(24);
    RasterImage& target = greyTarget();
    setMode(DrawMode::Xor);
    pasteImage(&source, 1, 1);
    EXPECT_EQ(rawPixel(target, 1, 1), makeColour(1 ^ 100, 1 ^ 100, 200 ^ 100));
    EXPECT_EQ(rawPixel(target, 3, 2), makeColour(21 ^ 100, 11 ^ 100, 200 ^ 100));
    EXPECT_EQ(rawPixel(target, 0, 0), kGrey);
}

TEST_F(Paste, Source32BitCopiesColourOrBlendsByItsAlpha) {
    RasterImage& source = *newImage(5, 3, 1, 32, 0);
    setRawPixel(source, 0, 0, makeColourAlpha(200, 100, 0, 64));
    setRawPixel(source, 1, 0, makeColourAlpha(200, 100, 0, 0));
    setRawPixel(source, 2, 0, makeColourAlpha(200, 100, 0, 255));
    const Colour under = makeColour(0, 0, 255);

    for (DrawMode mode : {DrawMode::Opaque, DrawMode::TransparentBackground}) {
        RasterImage& target = *newImage(1, 3, 1, 24, under);
        ASSERT_NE(openContext(1), 0);
        setMode(mode);
        pasteImage(&source, 0, 0);
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(rawPixel(target, x, 0), makeColour(200, 100, 0)) << x;
        }
    }

    RasterImage& target = *newImage(1, 3, 1, 24, under);
    ASSERT_NE(openContext(1), 0);
    setMode(DrawMode::Blend);
    pasteImage(&source, 0, 0);
    // (src * a + old * (255 - a)) / 255 per channel.
    EXPECT_EQ(rawPixel(target, 0, 0), makeColour(50, 25, 191));
    EXPECT_EQ(rawPixel(target, 1, 0), under);
    EXPECT_EQ(rawPixel(target, 2, 0), makeColour(200, 100, 0));

    setMode(DrawMode::Xor);
    pasteImage(&source, 1, 0);
    EXPECT_EQ(rawPixel(target, 2, 0), makeColour(200 ^ 200, 100 ^ 100, 0));
}

TEST_F(Paste, PastingTheTargetOntoItselfReadsTheOriginal) {
    RasterImage& image = *newImage(1, 4, 4, 24, 0);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            setRawPixel(image, x, y, makeColour(x, y, 9));
        }
    }
    ASSERT_NE(duplicateImage(1, 2), 0);
    const std::vector<Colour> original = allPixels(image);
    ASSERT_NE(openContext(1), 0);
    pasteImage(&image, 1, 1);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            const Colour expected =
                x >= 1 && y >= 1 ? makeColour(x - 1, y - 1, 9) : makeColour(x, y, 9);
            EXPECT_EQ(rawPixel(image, x, y), expected) << x << "," << y;
        }
    }
}

TEST_F(Paste, CaptureRegionCopiesTheTargetWithBlackOutside) {
    RasterImage& target = greyTarget();
    setRawPixel(target, 3, 3, kWhite);
    ASSERT_NE(captureRegion(3, 2, 2, 3, 2), 0);
    const RasterImage& capture = *imageHandle(3);
    EXPECT_EQ(capture.depth, 24);
    EXPECT_EQ(allPixels(capture), (std::vector<Colour>{kGrey, kGrey, 0, kGrey, kWhite, 0}));
    // The context is still open on the target.
    fillRect(0, 0, 1, 1, kWhite);
    EXPECT_EQ(rawPixel(target, 0, 0), kWhite);
}

TEST_F(Paste, CaptureRegionKeepsThe32BitDepthOfItsTarget) {
    RasterImage& photo = *newImage(2, 2, 2, 32, makeColour(1, 2, 3));
    setRawPixel(photo, 1, 1, makeColourAlpha(4, 5, 6, 7));
    ASSERT_NE(openContext(2), 0);
    ASSERT_NE(captureRegion(3, 1, 1, 2, 1), 0);
    const RasterImage& capture = *imageHandle(3);
    EXPECT_EQ(capture.depth, 32);
    EXPECT_EQ(capture.stride, 8u);
    EXPECT_EQ(allPixels(capture), (std::vector<Colour>{makeColourAlpha(4, 5, 6, 7), 0}));
}

TEST_F(Paste, CaptureRegionFailsWithoutAContextOrASize) {
    EXPECT_EQ(captureRegion(3, 0, 0, 2, 2), 0);
    greyTarget();
    EXPECT_EQ(captureRegion(3, 0, 0, 0, 2), 0);
    EXPECT_EQ(captureRegion(3, 0, 0, 2, kMaxImageSide + 1), 0);
    EXPECT_EQ(imageHandle(3), nullptr);
    // Capturing into the target's own number replaces the target and ends the context.
    ASSERT_NE(captureRegion(1, 0, 0, 2, 2), 0);
    EXPECT_EQ(widthOf(1), 2);
    fillRect(0, 0, 2, 2, kWhite);
    EXPECT_EQ(rawPixel(*imageHandle(1), 0, 0), kGrey);
}

}  // namespace
}  // namespace drape::raster::testing
