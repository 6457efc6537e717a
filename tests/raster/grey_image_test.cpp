#include "raster_test_support.h"

namespace drape::raster::testing {
namespace {

using GreyImage = RasterTest;

// (2 R + 3 G + 2 B + 5) / 10, worked by hand for each pixel.
TEST_F(GreyImage, EveryPixelOnItsOwnAndThePaddingUntouched) {
    ASSERT_NE(newImage(1, 3, 2, 24, 0), nullptr);
    RasterImage& image = *imageHandle(1);
    const Colour in[6] = {makeColour(255, 0, 0),  makeColour(0, 255, 0), makeColour(0, 0, 255),
                          makeColour(10, 20, 33), makeColour(1, 31, 0),  makeColour(255, 255, 255)};
    const uint32_t grey[6] = {51, 77, 51, 15, 10, 179};
    for (int i = 0; i < 6; ++i) {
        setRawPixel(image, i % 3, i / 3, in[i]);
    }
    // The row of 9 bytes is padded to 12; the padding must stay as it is.
    image.row(0)[9] = 0xAB;
    greyImage(&image);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(rawPixel(image, i % 3, i / 3), makeColour(grey[i], grey[i], grey[i])) << i;
    }
    EXPECT_EQ(image.row(0)[9], 0xAB);
}

TEST_F(GreyImage, NoImageAndThirtyTwoBitImagesAreLeftAlone) {
    greyImage(nullptr);
    ASSERT_NE(newImage(2, 2, 1, 32, 0), nullptr);
    setRawPixel(*imageHandle(2), 1, 0, makeColourAlpha(255, 0, 0, 7));
    greyImage(imageHandle(2));
    EXPECT_EQ(rawPixel(*imageHandle(2), 1, 0), makeColourAlpha(255, 0, 0, 7));
}

}  // namespace
}  // namespace drape::raster::testing
