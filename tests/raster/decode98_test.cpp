// drape98's image reading: the platform's bitmap loader decides about bitmaps where there is
// one; icons and JPEG come after it, and PNG is never read.
#include <gtest/gtest.h>

#include <string>

#include "decode_test_support.h"
#include "platform/narrow.h"
#include "raster/raster.h"
#include "raster_test_support.h"
#include "support/fake_narrow.h"
#include "support/fake_platform.h"

namespace drape::raster::testing {
namespace {

class Decode98 : public RasterTest {
  protected:
    void SetUp() override {
        RasterTest::SetUp();
        platform::setCurrent(&fake_);
        platform::setCurrentNarrow(&narrow_);
    }
    void TearDown() override {
        platform::setCurrentNarrow(nullptr);
        platform::setCurrent(nullptr);
        RasterTest::TearDown();
    }
    // The sample's bytes as a file of the fake platform's folder.
    std::string placed(const std::string& file, const Bytes& bytes) const {
        const std::string path = fake_.root + "/" + file;
        writeBytes(path, bytes);
        return path;
    }
    test::FakePlatform fake_;
    test::FakeNarrow narrow_{fake_};
};

TEST_F(Decode98, ALoadedBitmapIsCopiedRowByRow) {
    narrow_.bitmapLoader = [](const std::string&, platform::LoadedBitmap& out) {
        out.width = 2;
        out.height = 2;
        out.stride = 8;
        out.pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
        return platform::BitmapLoad::Loaded;
    };
    const RasterImage* image = readImageFile98(2, "any.bmp");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->depth, 24);
    EXPECT_EQ(image->format, ImageFormat::Bmp);
    EXPECT_EQ(rawPixel(*image, 1, 0), makeColour(6, 5, 4));
    EXPECT_EQ(rawPixel(*image, 0, 1), makeColour(9, 8, 7));
    EXPECT_EQ(narrow_.bitmapLoads, std::vector<std::string>{"any.bmp"});

    // A loader that claims more than it hands over gives nothing.
    narrow_.bitmapLoader = [](const std::string&, platform::LoadedBitmap& out) {
        out.width = 4;
        out.height = 4;
        out.stride = 12;
        out.pixels.assign(40, 0);
        return platform::BitmapLoad::Loaded;
    };
    EXPECT_EQ(readImageFile98(2, "any.bmp"), nullptr);
    EXPECT_EQ(imageHandle(2), nullptr);
}

TEST_F(Decode98, WithoutALoaderOurDecoderReadsBitmapsInTwentyFourBits) {
    DRAPE_LOAD_SAMPLE(bitmap, "bmp_32.bmp");
    const RasterImage* image = readImageFile98(2, placed("bmp_32.bmp", bitmap));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->depth, 24);
    const RasterImage* wide = readImageFile(3, placed("bmp_32.bmp", bitmap));
    ASSERT_NE(wide, nullptr);
    ASSERT_EQ(wide->width, image->width);
    for (int x = 0; x < image->width; ++x) {
        EXPECT_EQ(rawPixel(*image, x, 3), rawPixel(*wide, x, 3) & 0xFFFFFFu) << x;
    }
}

TEST_F(Decode98, ABitmapTheLoaderRefusesIsNotReadAnotherWay) {
    DRAPE_LOAD_SAMPLE(bitmap, "bmp_24.bmp");
    narrow_.bitmapLoader = [](const std::string&, platform::LoadedBitmap&) {
        return platform::BitmapLoad::Failed;
    };
    EXPECT_EQ(readImageFile98(2, placed("bmp_24.bmp", bitmap)), nullptr);
    // Icons and JPEG files still come through after the loader has refused them.
    DRAPE_LOAD_SAMPLE(icon, "ico_1bit.ico");
    const RasterImage* fromIcon = readImageFile98(2, placed("ico_1bit.ico", icon));
    ASSERT_NE(fromIcon, nullptr);
    EXPECT_EQ(fromIcon->format, ImageFormat::Icon);
    DRAPE_LOAD_SAMPLE(jpeg, "jpeg_420.jpg");
    const RasterImage* fromJpeg = readImageFile98(2, placed("jpeg_420.jpg", jpeg));
    ASSERT_NE(fromJpeg, nullptr);
    EXPECT_EQ(fromJpeg->format, ImageFormat::Jpeg);
}

TEST_F(Decode98, PngAndMissingFilesGiveNothingAndEmptyTheNumber) {
    DRAPE_LOAD_SAMPLE(png, "png_t2_d8.png");
    ASSERT_NE(readImageFile(2, placed("png_t2_d8.png", png)), nullptr);
    EXPECT_EQ(readImageFile98(2, placed("png_t2_d8.png", png)), nullptr);
    EXPECT_EQ(imageHandle(2), nullptr);
    // Nor through an icon whose best entry is a PNG.
    DRAPE_LOAD_SAMPLE(pngIcon, "ico_png_entry.ico");
    ASSERT_NE(readImageFile(2, placed("ico_png_entry.ico", pngIcon)), nullptr);
    EXPECT_EQ(readImageFile98(2, placed("ico_png_entry.ico", pngIcon)), nullptr);
    ASSERT_NE(newImage(2, 4, 4, 24, 0), nullptr);
    EXPECT_EQ(readImageFile98(2, fake_.root + "/none.jpg"), nullptr);
    EXPECT_EQ(imageHandle(2), nullptr);
}

}  // namespace
}  // namespace drape::raster::testing
