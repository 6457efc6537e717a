#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "raster/raster.h"
#include "raster_test_support.h"
#include "support/fake_platform.h"

namespace drape::raster::testing {
namespace {

class BmpWriter : public RasterTest {
  protected:
    void SetUp() override {
        RasterTest::SetUp();
        platform::setCurrent(&fake_);
    }
    void TearDown() override {
        platform::setCurrent(nullptr);
        RasterTest::TearDown();
    }

    std::string path(const std::string& name) const { return fake_.root + name; }

    static std::vector<uint8_t> readAll(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    static uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
        return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
    }

    test::FakePlatform fake_;
};

TEST_F(BmpWriter, ThreePixelWideImageHasExactHeaderAndPaddedRowsBottomUp) {
    RasterImage& image = *newImage(1, 3, 2, 24, 0);
    setRawPixel(image, 0, 0, makeColour(1, 2, 3));
    setRawPixel(image, 1, 0, makeColour(4, 5, 6));
    setRawPixel(image, 2, 0, makeColour(7, 8, 9));
    setRawPixel(image, 0, 1, makeColour(11, 12, 13));
    setRawPixel(image, 1, 1, makeColour(14, 15, 16));
    setRawPixel(image, 2, 1, makeColour(17, 18, 19));
    // Whatever lies in the padding in memory, the file gets zeros.
    image.row(0)[9] = image.row(1)[11] = 0xEE;

    const std::string file = path("small.bmp");
    ASSERT_NE(writeBmpFile(1, file), 0);
    const std::vector<uint8_t> expected = {
        'B', 'M', 78, 0,  0,  0,  // file size 54 + 12 * 2
        0,   0,   0,  0,          // reserved
        54,  0,   0,  0,          // pixel offset
        40,  0,   0,  0,          // info header size
        3,   0,   0,  0,          // width
        2,   0,   0,  0,          // height, bottom-up
        1,   0,                   // planes
        24,  0,                   // bits per pixel
        0,   0,   0,  0,          // no compression
        24,  0,   0,  0,          // pixel data size
        0,   0,   0,  0,  0,  0,  0,  0,  0,  0,  0,  0, 0, 0,
        0,   0,   13, 12, 11, 16, 15, 14, 19, 18, 17, 0, 0, 0,  // bottom row first, blue green red
        3,   2,   1,  6,  5,  4,  9,  8,  7,  0,  0,  0,
    };
    EXPECT_EQ(readAll(file), expected);
}

TEST_F(BmpWriter, LargeImagesSpanSeveralWriteBlocks) {
    std::mt19937 random(5);
    RasterImage& image = *newImage(1, 1001, 900, 24, 0);  // stride 3004: 2.7 MB of rows
    scramble(image, random);
    const std::string file = path("large.bmp");
    ASSERT_NE(writeBmpFile(1, file), 0);
    const std::vector<uint8_t> bytes = readAll(file);
    ASSERT_EQ(bytes.size(), 54u + 3004u * 900u);
    EXPECT_EQ(le32(bytes, 2), bytes.size());
    EXPECT_EQ(le32(bytes, 18), 1001u);
    EXPECT_EQ(le32(bytes, 22), 900u);
    EXPECT_EQ(le32(bytes, 34), 3004u * 900u);
    for (int y = 0; y < 900; ++y) {
        const uint8_t* fileRow = bytes.data() + 54 + static_cast<size_t>(899 - y) * 3004;
        ASSERT_TRUE(std::equal(fileRow, fileRow + 3003, image.row(y))) << y;
        ASSERT_EQ(fileRow[3003], 0) << y;
    }
}

TEST_F(BmpWriter, Image32BitIsLaidOntoWhite) {
    RasterImage& image = *newImage(1, 3, 1, 32, 0);
    setRawPixel(image, 0, 0, makeColourAlpha(200, 100, 0, 64));
    setRawPixel(image, 1, 0, makeColourAlpha(200, 100, 0, 0));
    setRawPixel(image, 2, 0, makeColourAlpha(200, 100, 0, 255));
    const std::string file = path("alpha.bmp");
    ASSERT_NE(writeBmpFile(1, file), 0);
    const std::vector<uint8_t> bytes = readAll(file);
    ASSERT_EQ(bytes.size(), 54u + 12u);
    EXPECT_EQ(le32(bytes, 2), 66u);
    EXPECT_EQ(bytes[28], 32);
    EXPECT_EQ(le32(bytes, 34), 12u);
    // c' = (a * (c - 255) + 65025) / 255, blue green red, then a zero byte.
    const std::vector<uint8_t> pixels(bytes.begin() + 54, bytes.end());
    EXPECT_EQ(pixels, (std::vector<uint8_t>{191, 216, 241, 0, 255, 255, 255, 0, 0, 100, 200, 0}));
}

TEST_F(BmpWriter, ReplacesAnExistingFile) {
    const std::string file = path("again.bmp");
    newImage(1, 40, 40, 24, makeColour(1, 2, 3));
    ASSERT_NE(writeBmpFile(1, file), 0);
    newImage(1, 1, 1, 24, makeColour(1, 2, 3));
    ASSERT_NE(writeBmpFile(1, file), 0);
    EXPECT_EQ(readAll(file).size(), 58u);
}

TEST_F(BmpWriter, FailuresReturnZero) {
    EXPECT_EQ(writeBmpFile(1, path("absent.bmp")), 0);
    EXPECT_TRUE(readAll(path("absent.bmp")).empty());
    newImage(1, 64, 64, 24, makeColour(1, 2, 3));
    EXPECT_EQ(writeBmpFile(1, path("no/such/folder/x.bmp")), 0);
    // A device that takes no bytes: every write is short.
    EXPECT_EQ(writeBmpFile(1, "/dev/full"), 0);
}

}  // namespace
}  // namespace drape::raster::testing
