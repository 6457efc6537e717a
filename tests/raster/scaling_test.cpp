#include "raster/scaling.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "platform/platform.h"
#include "raster/raster.h"
#include "raster_test_support.h"
#include "support/fake_platform.h"

namespace drape::raster::testing {
namespace {

// --- A plain reference resampler, written from the description of the filter -------------

// Four bytes per pixel, rows packed without padding.
struct Plane {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bytes;

    uint8_t at(int64_t x, int64_t y, int c) const {
        return bytes[(static_cast<size_t>(y) * static_cast<size_t>(width) +
                      static_cast<size_t>(x)) *
                         4 +
                     static_cast<size_t>(c)];
    }
    uint8_t& at(int64_t x, int64_t y, int c) {
        return bytes[(static_cast<size_t>(y) * static_cast<size_t>(width) +
                      static_cast<size_t>(x)) *
                         4 +
                     static_cast<size_t>(c)];
    }
};

Plane blankPlane(int width, int height) {
    return {width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
}

// Mitchell and Netravali's piecewise cubic with B = C = 1/3.
double cubic(double t) {
    const double b = 1.0 / 3.0;
    const double c = 1.0 / 3.0;
    t = t < 0 ? -t : t;
    if (t < 1) {
        return ((12 - 9 * b - 6 * c) * t * t * t + (-18 + 12 * b + 6 * c) * t * t + (6 - 2 * b)) /
               6;
    }
    if (t < 2) {
        return ((-b - 6 * c) * t * t * t + (6 * b + 30 * c) * t * t + (-12 * b - 48 * c) * t +
                (8 * b + 24 * c)) /
               6;
    }
    return 0;
}

// Target sample i of m made from the n samples that `sample(j)` reads.
template <typename Sample>
uint8_t referenceSample(int64_t n, int64_t m, int64_t i, Sample sample) {
    const double scale = static_cast<double>(m) / static_cast<double>(n);
    const double radius = scale < 1 ? 2 / scale : 2;
    const double factor = scale < 1 ? scale : 1;
    const int64_t taps = 2 * static_cast<int64_t>(std::ceil(radius)) + 1;
    const double centre = (static_cast<double>(i) + 0.5) / scale - 0.5;
    int64_t left = static_cast<int64_t>(std::floor(centre - radius));
    int64_t right = static_cast<int64_t>(std::ceil(centre + radius));
    if (left < 0) {
        left = 0;
    }
    if (right > n - 1) {
        right = n - 1;
    }
    if (right - left + 1 > taps) {
        if (left >= n) {
            --right;
        } else {
            ++left;
        }
    }
    std::vector<double> weight;
    double total = 0;
    for (int64_t j = left; j <= right; ++j) {
        weight.push_back(factor * cubic((centre - static_cast<double>(j)) * factor));
        total += weight.back();
    }
    if (total > 0 && total != 1) {
        for (double& w : weight) {
            w /= total;
        }
    }
    double sum = 0;
    for (int64_t j = left; j <= right; ++j) {
        sum += weight[static_cast<size_t>(j - left)] * sample(j);
    }
    const int64_t truncated = static_cast<int64_t>(sum + 0.5);
    return static_cast<uint8_t>(std::clamp<int64_t>(truncated, 0, 255));
}

Plane alongRows(const Plane& in, int width) {
    Plane out = blankPlane(width, in.height);
    for (int64_t y = 0; y < in.height; ++y) {
        for (int64_t x = 0; x < width; ++x) {
            for (int c = 0; c < 4; ++c) {
                out.at(x, y, c) =
                    referenceSample(in.width, width, x, [&](int64_t j) { return in.at(j, y, c); });
            }
        }
    }
    return out;
}

Plane alongColumns(const Plane& in, int height) {
    Plane out = blankPlane(in.width, height);
    for (int64_t y = 0; y < height; ++y) {
        for (int64_t x = 0; x < in.width; ++x) {
            for (int c = 0; c < 4; ++c) {
                out.at(x, y, c) = referenceSample(in.height, height, y,
                                                  [&](int64_t j) { return in.at(x, j, c); });
            }
        }
    }
    return out;
}

Plane referenceResize(const Plane& in, int width, int height) {
    const int64_t rowsFirst = static_cast<int64_t>(width) * in.height;
    const int64_t columnsFirst = static_cast<int64_t>(in.width) * height;
    if (rowsFirst <= columnsFirst) {
        return alongColumns(alongRows(in, width), height);
    }
    return alongRows(alongColumns(in, height), width);
}

Plane planeOf(const RasterImage& image) {
    Plane plane = blankPlane(image.width, image.height);
    for (int y = 0; y < image.height; ++y) {
        std::copy_n(image.row(y), static_cast<size_t>(image.width) * 4,
                    plane.bytes.begin() + static_cast<std::ptrdiff_t>(y) * image.width * 4);
    }
    return plane;
}

// Random bytes, with runs of 0 and 255 so that the filter's overshoot gets clamped.
void fillRandom(RasterImage& image, std::mt19937& random) {
    for (int y = 0; y < image.height; ++y) {
        uint8_t* p = image.row(y);
        for (size_t i = 0; i < static_cast<size_t>(image.width) * 4; ++i) {
            const uint32_t kind = random() % 4;
            p[i] = kind == 0 ? 0 : kind == 1 ? 255 : static_cast<uint8_t>(random());
        }
    }
}

struct Resize {
    int fromWidth, fromHeight, toWidth, toHeight;
};

using Mitchell = RasterTest;

TEST_F(Mitchell, MatchesAPlainDoublePrecisionResampleByteForByte) {
    const Resize cases[] = {
        {1, 1, 3, 2},      {2, 2, 1, 1},       {2, 1, 5, 3},      {1, 2, 2, 1},
        {2, 2, 2, 1},      {5, 7, 2, 3},       {7, 5, 13, 11},    {16, 9, 7, 17},
        {9, 16, 17, 7},    {33, 20, 33, 7},    {20, 33, 7, 33},   {4, 6, 2, 3},
        {10, 5, 4, 2},     {1000, 2, 999, 2},  {999, 2, 1000, 2}, {2, 1000, 2, 999},
        {2, 999, 2, 1000}, {150, 100, 96, 54}, {40, 30, 97, 61},  {300, 2, 1, 1},
        {3, 200, 1, 7},
    };
    std::mt19937 random(20240611);
    for (const Resize& r : cases) {
        SCOPED_TRACE(::testing::Message() << r.fromWidth << "x" << r.fromHeight << " -> "
                                          << r.toWidth << "x" << r.toHeight);
        RasterImage& source = *newImage(2, r.fromWidth, r.fromHeight, 32, 0);
        fillRandom(source, random);
        const auto scaled = detail::resampleMitchell(source, r.toWidth, r.toHeight);
        ASSERT_NE(scaled, nullptr);
        ASSERT_EQ(scaled->depth, 32);
        const Plane expected = referenceResize(planeOf(source), r.toWidth, r.toHeight);
        const Plane actual = planeOf(*scaled);
        ASSERT_EQ(actual.width, r.toWidth);
        ASSERT_EQ(actual.height, r.toHeight);
        const auto mismatch =
            std::mismatch(actual.bytes.begin(), actual.bytes.end(), expected.bytes.begin());
        ASSERT_TRUE(mismatch.first == actual.bytes.end())
            << "first difference at byte " << (mismatch.first - actual.bytes.begin()) << ": "
            << int{*mismatch.first} << " instead of " << int{*mismatch.second};
    }
}

TEST_F(Mitchell, FilterIsTheBAndCOneThirdCubic) {
    constexpr double kUlps = 1e-14;
    EXPECT_NEAR(detail::mitchellFilter(0), 8.0 / 9.0, kUlps);
    EXPECT_NEAR(detail::mitchellFilter(0.5), 7.0 / 48.0 - 0.5 + 8.0 / 9.0, kUlps);
    EXPECT_NEAR(detail::mitchellFilter(1), 1.0 / 18.0, kUlps);
    EXPECT_NEAR(detail::mitchellFilter(-1), 1.0 / 18.0, kUlps);
    EXPECT_NEAR(detail::mitchellFilter(1.5), -5.0 / 144.0, kUlps);  // the negative lobe
    EXPECT_EQ(detail::mitchellFilter(2), 0.0);
    EXPECT_EQ(detail::mitchellFilter(-7.5), 0.0);
}

TEST_F(Mitchell, UniformImageStaysUniformAndOpaque) {
    RasterImage& source = *newImage(2, 37, 23, 32, makeColour(10, 200, 77));
    for (auto [w, h] : {std::pair{5, 3}, {80, 61}, {1, 1}, {37, 24}}) {
        const auto scaled = detail::resampleMitchell(source, w, h);
        ASSERT_NE(scaled, nullptr);
        for (Colour c : allPixels(*scaled)) {
            ASSERT_EQ(c, makeColourAlpha(10, 200, 77, 255)) << w << "x" << h;
        }
    }
}

TEST_F(Mitchell, RefusesSizesNoImageCanHave) {
    const RasterImage& source = *newImage(2, 4, 4, 32, 0);
    EXPECT_EQ(detail::resampleMitchell(source, 0, 4), nullptr);
    EXPECT_EQ(detail::resampleMitchell(source, 4, kMaxImageSide + 1), nullptr);
}

// --- Scaled pasting -------------------------------------------------------------------------

class PasteScaled : public RasterTest {
  protected:
    void SetUp() override {
        RasterTest::SetUp();
        platform::setCurrent(&fake);
    }
    void TearDown() override {
        platform::setCurrent(nullptr);
        RasterTest::TearDown();
    }

    // A 4x4 canvas in number 1 filled with `fill`, opened for drawing in `mode`.
    RasterImage& canvas(DrawMode mode, Colour fill = makeColour(0, 90, 0)) {
        RasterImage& target = *newImage(1, 4, 4, 24, fill);
        EXPECT_NE(openContext(1), 0);
        setMode(mode);
        return target;
    }

    // A picture like a PNG with alpha: the left half opaque red, the right half fully
    // transparent with blue stored under the transparency.
    RasterImage& halfTransparent(int width, int height) {
        RasterImage& image = *newImage(2, width, height, 32, 0);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                setRawPixel(image, x, y,
                            x < width / 2 ? makeColourAlpha(255, 0, 0, 255)
                                          : makeColourAlpha(0, 0, 255, 0));
            }
        }
        return image;
    }

    test::FakePlatform fake;
};

TEST_F(PasteScaled, TransparentAreasShowTheirColourAtOwnSizeAndWhiteWhenScaled) {
    RasterImage& picture = halfTransparent(8, 4);
    setRawPixel(picture, 4, 0, makeColourAlpha(0, 0, 255, 1));  // nearly, not fully transparent
    RasterImage& target = *newImage(1, 16, 8, 24, 0);
    ASSERT_NE(openContext(1), 0);

    pasteImageScaled(&picture, 0, 0, 8, 4);
    EXPECT_EQ(rawPixel(target, 1, 1), makeColour(255, 0, 0));
    EXPECT_EQ(rawPixel(target, 6, 1), makeColour(0, 0, 255));
    // A paste at its own size leaves the picture as it is.
    EXPECT_EQ(rawPixel(picture, 6, 1), makeColourAlpha(0, 0, 255, 0));

    pasteImageScaled(&picture, 0, 0, 16, 8);
    EXPECT_EQ(rawPixel(target, 1, 1), makeColour(255, 0, 0));
    EXPECT_EQ(rawPixel(target, 14, 5), makeColour(255, 255, 255));
    // Whitened in the picture itself with the alpha kept; every other pixel untouched.
    EXPECT_EQ(rawPixel(picture, 6, 1), makeColourAlpha(255, 255, 255, 0));
    EXPECT_EQ(rawPixel(picture, 1, 1), makeColourAlpha(255, 0, 0, 255));
    EXPECT_EQ(rawPixel(picture, 4, 0), makeColourAlpha(0, 0, 255, 1));
}

TEST_F(PasteScaled, ThirtyTwoBitSourceFollowsThePasteRulesOfEachMode) {
    RasterImage& picture = halfTransparent(8, 8);
    const auto scaled = [&] {
        RasterImage whitened = picture;
        detail::whitenTransparent(whitened);
        return detail::resampleMitchell(whitened, 4, 4);
    }();
    ASSERT_NE(scaled, nullptr);

    for (DrawMode mode : {DrawMode::Opaque, DrawMode::TransparentBackground}) {
        RasterImage& target = canvas(mode);
        pasteImageScaled(&picture, 0, 0, 4, 4);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x) {
                EXPECT_EQ(rawPixel(target, x, y), rawPixel(*scaled, x, y) & 0xFFFFFFu);
            }
        }
    }

    // Blend mixes each pixel by its own alpha: the transparent side leaves the canvas alone.
    RasterImage& target = canvas(DrawMode::Blend);
    pasteImageScaled(&picture, 0, 0, 4, 4);
    EXPECT_EQ(rawPixel(target, 0, 2), makeColour(255, 0, 0));
    EXPECT_EQ(rawPixel(target, 3, 2), makeColour(0, 90, 0));
    const Colour edge = rawPixel(*scaled, 2, 2);
    const uint32_t a = alphaOf(edge);
    ASSERT_GT(a, 0u);
    ASSERT_LT(a, 255u);
    EXPECT_EQ(rawPixel(target, 2, 2),
              makeColour(redOf(edge) * a / 255, (90 * (255 - a) + greenOf(edge) * a) / 255,
                         blueOf(edge) * a / 255));
}

TEST_F(PasteScaled, TwentyFourBitSourceGoesThroughTheHalftoneStretch) {
    // 2x2 blocks of one colour each: halving gives the blocks' colours.
    RasterImage& picture = *newImage(2, 4, 4, 24, 0);
    const Colour block[4] = {makeColour(10, 20, 30), makeColour(200, 0, 9), makeColour(1, 2, 3),
                             makeColour(99, 98, 97)};
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            setRawPixel(picture, x, y, block[(y / 2) * 2 + x / 2]);
        }
    }
    RasterImage& target = canvas(DrawMode::Opaque);
    pasteImageScaled(&picture, 1, 1, 2, 2);
    const Colour g = makeColour(0, 90, 0);
    EXPECT_EQ(allPixels(target), (std::vector<Colour>{g, g, g, g,                //
                                                      g, block[0], block[1], g,  //
                                                      g, block[2], block[3], g,  //
                                                      g, g, g, g}));

    // Xor mode XORs the scaled copy.
    setMode(DrawMode::Xor);
    pasteImageScaled(&picture, 1, 1, 2, 2);
    EXPECT_EQ(rawPixel(target, 1, 1), makeColour(0, 0, 0));
    EXPECT_EQ(rawPixel(target, 0, 0), g);
}

TEST_F(PasteScaled, NegativeCoordinatesClipTheScaledCopy) {
    RasterImage& picture = *newImage(2, 2, 2, 24, 0);
    setRawPixel(picture, 0, 0, makeColour(255, 0, 0));
    setRawPixel(picture, 1, 0, makeColour(0, 255, 0));
    setRawPixel(picture, 0, 1, makeColour(0, 0, 255));
    setRawPixel(picture, 1, 1, makeColour(255, 255, 255));
    RasterImage& target = canvas(DrawMode::Opaque, 0);
    // Doubled, the outermost rows and columns of the copy repeat the edge pixels exactly.
    pasteImageScaled(&picture, -3, 0, 4, 4);
    pasteImageScaled(&picture, 3, -3, 4, 4);
    EXPECT_EQ(rawPixel(target, 0, 0), makeColour(0, 255, 0));
    EXPECT_EQ(rawPixel(target, 0, 3), makeColour(255, 255, 255));
    EXPECT_EQ(rawPixel(target, 3, 0), makeColour(0, 0, 255));
    EXPECT_EQ(rawPixel(target, 1, 0), makeColour(0, 0, 0));
    EXPECT_EQ(rawPixel(target, 2, 0), makeColour(0, 0, 0));
    EXPECT_EQ(rawPixel(target, 3, 1), makeColour(0, 0, 0));
}

TEST_F(PasteScaled, EmptySizesDrawAndChangeNothing) {
    RasterImage& picture = halfTransparent(4, 4);
    RasterImage& target = canvas(DrawMode::Opaque);
    for (auto [w, h] : {std::pair{0, 4}, {4, 0}, {-3, 4}, {4, -1}, {0, 0}}) {
        pasteImageScaled(&picture, 0, 0, w, h);
    }
    pasteImageScaled(nullptr, 0, 0, 2, 2);
    for (Colour c : allPixels(target)) {
        EXPECT_EQ(c, makeColour(0, 90, 0));
    }
    EXPECT_EQ(rawPixel(picture, 3, 3), makeColourAlpha(0, 0, 255, 0));
}

}  // namespace
}  // namespace drape::raster::testing
