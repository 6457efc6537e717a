// Shared pieces of the raster tests: a fixture that starts from empty tables, and direct
// access to pixel memory so that checks do not depend on the operations under test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "raster/raster.h"

namespace drape::raster::testing {

class RasterTest : public ::testing::Test {
  protected:
    void SetUp() override { resetRaster(); }
    void TearDown() override { resetRaster(); }
};

// The colour bytes of a pixel as a Colour (alpha 0 for 24 bits, the alpha byte for 32).
inline Colour rawPixel(const RasterImage& image, int x, int y) {
    const uint8_t* p = image.row(y) + static_cast<size_t>(x) * static_cast<size_t>(image.depth / 8);
    return image.depth == 32 ? makeColourAlpha(p[2], p[1], p[0], p[3])
                             : makeColour(p[2], p[1], p[0]);
}

inline void setRawPixel(RasterImage& image, int x, int y, Colour c) {
    uint8_t* p = image.row(y) + static_cast<size_t>(x) * static_cast<size_t>(image.depth / 8);
    p[0] = static_cast<uint8_t>(blueOf(c));
    p[1] = static_cast<uint8_t>(greenOf(c));
    p[2] = static_cast<uint8_t>(redOf(c));
    if (image.depth == 32) {
        p[3] = static_cast<uint8_t>(alphaOf(c));
    }
}

// Every pixel of an image, row by row.
inline std::vector<Colour> allPixels(const RasterImage& image) {
    std::vector<Colour> out;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            out.push_back(rawPixel(image, x, y));
        }
    }
    return out;
}

// Fills every byte of the pixel rows (padding too) with random values.
inline void scramble(RasterImage& image, std::mt19937& random) {
    for (uint8_t& b : image.pixels) {
        b = static_cast<uint8_t>(random());
    }
}

}  // namespace drape::raster::testing
