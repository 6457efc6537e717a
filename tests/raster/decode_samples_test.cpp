// Every supported variant of every format, written by ImageMagick or Pillow (or put together
// byte by byte where they cannot write it), read through readImageFile and compared pixel by
// pixel with what the tool itself decodes from the same file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "decode_test_support.h"
#include "platform/platform.h"
#include "raster/raster.h"
#include "raster_test_support.h"
#include "support/fake_platform.h"

namespace drape::raster::testing {
namespace {

struct Sample {
    const char* file;
    ImageFormat format;
    int depth;
    int tolerance;  // per channel; lossless formats match exactly
};

std::ostream& operator<<(std::ostream& out, const Sample& sample) {
    return out << sample.file;
}

constexpr int kJpegTolerance = 2;

class DecodeSample : public RasterTest, public ::testing::WithParamInterface<Sample> {
  protected:
    void SetUp() override {
        RasterTest::SetUp();
        platform::setCurrent(&fake_);
    }
    void TearDown() override {
        platform::setCurrent(nullptr);
        RasterTest::TearDown();
    }
    test::FakePlatform fake_;
};

TEST_P(DecodeSample, MatchesTheToolsOwnDecode) {
    const Sample& sample = GetParam();
    const std::string file = sample.file;
    DRAPE_LOAD_SAMPLE(reference, file.substr(0, file.find('.')) + ".rgba");
    const std::string path = (SampleFolder::get().folder / file).string();

    const RasterImage* image = readImageFile(2, path);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(imageHandle(2), image);
    EXPECT_EQ(image->format, sample.format);
    EXPECT_EQ(image->depth, sample.depth);

    ASSERT_GE(reference.size(), 8u);
    const int width = static_cast<int>(reference[0] | reference[1] << 8);
    const int height = static_cast<int>(reference[4] | reference[5] << 8);
    ASSERT_EQ(image->width, width);
    ASSERT_EQ(image->height, height);
    ASSERT_EQ(reference.size(), 8 + static_cast<size_t>(width) * height * 4);

    int worst = 0;
    int mismatches = 0;
    std::string first;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* want = reference.data() + 8 + (static_cast<size_t>(y) * width + x) * 4;
            const Colour got = rawPixel(*image, x, y);
            // A 24-bit result stands for an opaque picture.
            const int gotAlpha = image->depth == 32 ? static_cast<int>(alphaOf(got)) : 255;
            const int diff = std::max({std::abs(static_cast<int>(redOf(got)) - want[0]),
                                       std::abs(static_cast<int>(greenOf(got)) - want[1]),
                                       std::abs(static_cast<int>(blueOf(got)) - want[2]),
                                       std::abs(gotAlpha - want[3])});
            worst = std::max(worst, diff);
            if (diff > sample.tolerance && mismatches++ == 0) {
                first = "(" + std::to_string(x) + ", " + std::to_string(y) + "): got " +
                        std::to_string(redOf(got)) + "," + std::to_string(greenOf(got)) + "," +
                        std::to_string(blueOf(got)) + "," + std::to_string(gotAlpha) + " want " +
                        std::to_string(want[0]) + "," + std::to_string(want[1]) + "," +
                        std::to_string(want[2]) + "," + std::to_string(want[3]);
            }
        }
    }
    EXPECT_EQ(mismatches, 0) << "largest difference " << worst << ", first at " << first;
}

std::string sampleName(const ::testing::TestParamInfo<Sample>& info) {
    std::string name = info.param.file;
    name = name.substr(0, name.find('.'));
    return name;
}

constexpr ImageFormat kPng = ImageFormat::Png;
constexpr ImageFormat kJpeg = ImageFormat::Jpeg;
constexpr ImageFormat kBmp = ImageFormat::Bmp;
constexpr ImageFormat kIcon = ImageFormat::Icon;

// Colour types 0 grey, 2 true colour, 3 palette, 4 grey + alpha, 6 true colour + alpha; dN
// is the bit depth. Alpha, from the type or from tRNS, gives 32-bit images.
INSTANTIATE_TEST_SUITE_P(
    Png, DecodeSample,
    ::testing::Values(
        Sample{"png_t0_d1.png", kPng, 24, 0}, Sample{"png_t0_d2.png", kPng, 24, 0},
        Sample{"png_t0_d4.png", kPng, 24, 0}, Sample{"png_t0_d8.png", kPng, 24, 0},
        Sample{"png_t0_d16.png", kPng, 24, 0}, Sample{"png_t2_d8.png", kPng, 24, 0},
        Sample{"png_t2_d16.png", kPng, 24, 0}, Sample{"png_t3_d1.png", kPng, 24, 0},
        Sample{"png_t3_d2.png", kPng, 24, 0}, Sample{"png_t3_d4.png", kPng, 24, 0},
        Sample{"png_t3_d8.png", kPng, 24, 0}, Sample{"png_t4_d8.png", kPng, 32, 0},
        Sample{"png_t4_d16.png", kPng, 32, 0}, Sample{"png_t6_d8.png", kPng, 32, 0},
        Sample{"png_t6_d16.png", kPng, 32, 0}, Sample{"png_t0_d1_interlaced.png", kPng, 24, 0},
        Sample{"png_t2_d8_interlaced.png", kPng, 24, 0},
        Sample{"png_t3_d2_interlaced.png", kPng, 24, 0},
        Sample{"png_t4_d8_interlaced.png", kPng, 32, 0},
        Sample{"png_t6_d16_interlaced.png", kPng, 32, 0}, Sample{"png_t3_d8_trns.png", kPng, 32, 0},
        Sample{"png_t3_d4_trns.png", kPng, 32, 0},
        Sample{"png_t3_d8_trns_interlaced.png", kPng, 32, 0},
        Sample{"png_t0_d2_trns.png", kPng, 32, 0}, Sample{"png_t0_d8_trns.png", kPng, 32, 0},
        Sample{"png_t0_d16_trns.png", kPng, 32, 0}, Sample{"png_t2_d8_trns.png", kPng, 32, 0},
        Sample{"png_t2_d16_trns.png", kPng, 32, 0}, Sample{"png_pillow_rgba.png", kPng, 32, 0}),
    sampleName);

INSTANTIATE_TEST_SUITE_P(
    Jpeg, DecodeSample,
    ::testing::Values(Sample{"jpeg_grey.jpg", kJpeg, 24, kJpegTolerance},
                      Sample{"jpeg_420.jpg", kJpeg, 24, kJpegTolerance},
                      Sample{"jpeg_422.jpg", kJpeg, 24, kJpegTolerance},
                      Sample{"jpeg_444.jpg", kJpeg, 24, kJpegTolerance},
                      Sample{"jpeg_progressive.jpg", kJpeg, 24, kJpegTolerance},
                      Sample{"jpeg_progressive_grey.jpg", kJpeg, 24, kJpegTolerance},
                      Sample{"jpeg_ycck_adobe.jpg", kJpeg, 24, kJpegTolerance},
                      Sample{"jpeg_cmyk_adobe.jpg", kJpeg, 24, kJpegTolerance},
                      Sample{"jpeg_cmyk_plain.jpg", kJpeg, 24, kJpegTolerance}),
    sampleName);

INSTANTIATE_TEST_SUITE_P(
    Bmp, DecodeSample,
    ::testing::Values(
        Sample{"bmp_1.bmp", kBmp, 24, 0}, Sample{"bmp_4.bmp", kBmp, 24, 0},
        Sample{"bmp_8.bmp", kBmp, 24, 0}, Sample{"bmp_8_short_table.bmp", kBmp, 24, 0},
        Sample{"bmp_4_topdown.bmp", kBmp, 24, 0}, Sample{"bmp_8_pillow.bmp", kBmp, 24, 0},
        Sample{"bmp_core_8.bmp", kBmp, 24, 0}, Sample{"bmp_core_24.bmp", kBmp, 24, 0},
        Sample{"bmp_rle8.bmp", kBmp, 24, 0}, Sample{"bmp_rle8_escapes.bmp", kBmp, 24, 0},
        Sample{"bmp_rle4.bmp", kBmp, 24, 0}, Sample{"bmp_rle4_escapes.bmp", kBmp, 24, 0},
        Sample{"bmp_rle8_magick.bmp", kBmp, 24, 0}, Sample{"bmp_16_555.bmp", kBmp, 24, 0},
        Sample{"bmp_16_565.bmp", kBmp, 24, 0}, Sample{"bmp_16_555_bitfields_v5.bmp", kBmp, 24, 0},
        Sample{"bmp_24.bmp", kBmp, 24, 0}, Sample{"bmp_24_topdown.bmp", kBmp, 24, 0},
        Sample{"bmp_24_v5_magick.bmp", kBmp, 24, 0}, Sample{"bmp_32.bmp", kBmp, 32, 0},
        Sample{"bmp_32_bitfields_alpha_v5.bmp", kBmp, 32, 0},
        Sample{"bmp_32_bitfields_topdown.bmp", kBmp, 32, 0}),
    sampleName);

INSTANTIATE_TEST_SUITE_P(Ico, DecodeSample,
                         ::testing::Values(Sample{"ico_best_of_bitmaps.ico", kIcon, 32, 0},
                                           Sample{"ico_1bit.ico", kIcon, 32, 0},
                                           Sample{"ico_32_alpha.ico", kIcon, 32, 0},
                                           Sample{"ico_png_entry.ico", kIcon, 32, 0},
                                           Sample{"ico_pillow_bitmaps.ico", kIcon, 32, 0}),
                         sampleName);

}  // namespace
}  // namespace drape::raster::testing
