#include "platform/area_resample.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace drape::platform {
namespace {

// A 24-bit image with rows padded to a multiple of 4 bytes plus `extra`, padding marked.
struct Image {
    int width = 0;
    int height = 0;
    size_t stride = 0;
    std::vector<uint8_t> bytes;

    static constexpr uint8_t kPadding = 0xA5;

    Image(int w, int h, size_t extra = 0)
        : width(w),
          height(h),
          stride((static_cast<size_t>(w) * 3 + 3) / 4 * 4 + extra),
          bytes(stride * static_cast<size_t>(h), kPadding) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                set(x, y, 0, 0, 0);
            }
        }
    }
    uint8_t* at(int x, int y) { return bytes.data() + static_cast<size_t>(y) * stride + 3u * x; }
    const uint8_t* at(int x, int y) const {
        return bytes.data() + static_cast<size_t>(y) * stride + 3u * x;
    }
    void set(int x, int y, uint8_t b, uint8_t g, uint8_t r) {
        at(x, y)[0] = b;
        at(x, y)[1] = g;
        at(x, y)[2] = r;
    }
    PixelView view() const { return {width, height, stride, bytes.data()}; }
    MutablePixelView mutableView() { return {width, height, stride, bytes.data()}; }
};

Image resampled(const Image& source, int width, int height) {
    Image target(width, height);
    areaResample(source.view(), target.mutableView());
    return target;
}

Image randomImage(int width, int height, std::mt19937& random, size_t extra = 0) {
    Image image(width, height, extra);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.set(x, y, static_cast<uint8_t>(random()), static_cast<uint8_t>(random()),
                      static_cast<uint8_t>(random()));
        }
    }
    return image;
}

TEST(AreaResample, SameSizeCopiesPixelsAndLeavesPadding) {
    std::mt19937 random(7);
    const Image source = randomImage(5, 3, random, 8);
    Image target(5, 3, 4);
    areaResample(source.view(), target.mutableView());
    for (int y = 0; y < 3; ++y) {
        EXPECT_TRUE(std::equal(source.at(0, y), source.at(5, y), target.at(0, y))) << y;
        // 15 pixel bytes, then 1 + 4 bytes of padding.
        for (size_t i = 15; i < target.stride; ++i) {
            EXPECT_EQ(target.bytes[y * target.stride + i], Image::kPadding);
        }
    }
}

TEST(AreaResample, HalvingRoundsTheExactAverageOfEachBlock) {
    std::mt19937 random(11);
    const Image source = randomImage(8, 6, random);
    const Image target = resampled(source, 4, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            for (int c = 0; c < 3; ++c) {
                const int sum = source.at(2 * x, 2 * y)[c] + source.at(2 * x + 1, 2 * y)[c] +
                                source.at(2 * x, 2 * y + 1)[c] + source.at(2 * x + 1, 2 * y + 1)[c];
                ASSERT_EQ(target.at(x, y)[c], (sum + 2) / 4) << x << "," << y << "," << c;
            }
        }
    }
}

TEST(AreaResample, ShrinkingWeighsPartlyCoveredPixelsByTheirShare) {
    // Three pixels into two: each target covers one and a half source pixels.
    Image source(3, 1);
    source.set(1, 0, 255, 90, 0);
    const Image target = resampled(source, 2, 1);
    for (int x = 0; x < 2; ++x) {
        EXPECT_EQ(target.at(x, 0)[0], 85);  // 255 * 0.5 / 1.5
        EXPECT_EQ(target.at(x, 0)[1], 30);
        EXPECT_EQ(target.at(x, 0)[2], 0);
    }
}

TEST(AreaResample, EnlargingInterpolatesBetweenPixelCentres) {
    Image source(2, 2);
    source.set(1, 0, 200, 200, 200);
    source.set(1, 1, 200, 200, 200);
    const Image target = resampled(source, 4, 3);
    const uint8_t expected[4] = {0, 50, 150, 200};
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(target.at(x, y)[1], expected[x]) << x << "," << y;
        }
    }
}

TEST(AreaResample, UniformImageStaysUniformAtAnySize) {
    Image source(7, 5);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) {
            source.set(x, y, 0, 77, 255);
        }
    }
    for (auto [w, h] : {std::pair{1, 1},
                        {3, 2},
                        {6, 5},
                        {7, 4},
                        {7, 6},
                        {13, 11},
                        {50, 3},
                        {2, 40},
                        {100, 100}}) {
        const Image target = resampled(source, w, h);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const uint8_t* p = target.at(x, y);
                ASSERT_TRUE(p[0] == 0 && p[1] == 77 && p[2] == 255)
                    << w << "x" << h << " at " << x << "," << y;
            }
        }
    }
}

TEST(AreaResample, LargeImagesDoNotOverflowTheSums) {
    // A whole 32767-pixel row into one pixel, and one pixel out to a 32767-pixel row.
    Image wide(32767, 2);
    for (int x = 0; x < wide.width; ++x) {
        wide.set(x, 0, 255, 255, 255);
        wide.set(x, 1, 255, 255, 255);
    }
    const Image one = resampled(wide, 1, 1);
    EXPECT_EQ(one.at(0, 0)[0], 255);
    EXPECT_EQ(one.at(0, 0)[2], 255);
    const Image tall = resampled(one, 2, 32767);
    for (int y = 0; y < tall.height; y += 1023) {
        ASSERT_EQ(tall.at(1, y)[1], 255) << y;
    }
}

TEST(AreaResample, EnlargingAStepEdgeIsMonotone) {
    // Across the row (the vertical pass shrinks) and down the columns (it enlarges).
    Image across(4, 3);
    Image down(3, 4);
    for (int i = 2; i < 4; ++i) {
        for (int j = 0; j < 3; ++j) {
            across.set(i, j, 255, 255, 255);
            down.set(j, i, 255, 255, 255);
        }
    }
    const Image wide = resampled(across, 37, 2);
    const Image tall = resampled(down, 3, 37);
    EXPECT_EQ(wide.at(0, 0)[0], 0);
    EXPECT_EQ(wide.at(36, 1)[0], 255);
    EXPECT_EQ(tall.at(0, 0)[0], 0);
    EXPECT_EQ(tall.at(2, 36)[0], 255);
    bool smooth = false;
    for (int i = 1; i < 37; ++i) {
        ASSERT_LE(wide.at(i - 1, 0)[0], wide.at(i, 0)[0]) << i;
        ASSERT_LE(tall.at(1, i - 1)[0], tall.at(1, i)[0]) << i;
        smooth = smooth || (wide.at(i, 0)[0] > 0 && wide.at(i, 0)[0] < 255);
    }
    EXPECT_TRUE(smooth) << "the edge should blend, not jump";
}

TEST(AreaResample, EmptyViewsAreIgnored) {
    Image source(2, 2);
    Image target(2, 2);
    target.set(0, 0, 9, 9, 9);
    areaResample({0, 2, source.stride, source.bytes.data()}, target.mutableView());
    areaResample(source.view(), {2, 0, target.stride, target.bytes.data()});
    areaResample({2, 2, source.stride, nullptr}, target.mutableView());
    EXPECT_EQ(target.at(0, 0)[0], 9);
}

}  // namespace
}  // namespace drape::platform
