// The font table: sizes in points, flags, numbers, replacing and closing.
#include <climits>

#include "raster/fonts.h"
#include "raster_test_support.h"
#include "support/fake_platform.h"

namespace drape::raster::testing {
namespace {

class FontTableTest : public RasterTest {
  protected:
    test::FakePlatform os;

    void SetUp() override {
        platform::setCurrent(&os);
        RasterTest::SetUp();
    }
    void TearDown() override {
        RasterTest::TearDown();
        platform::setCurrent(nullptr);
    }

    int pixelHeightFor(int points, int dpi) {
        os.dpiY = dpi;
        os.fontRequests.clear();
        const FontHandle font = openFont(1, "Arial", points, 0);
        EXPECT_NE(font, 0u) << points << " pt at " << dpi;
        return os.fontRequests.empty() ? -1 : os.fontRequests.back().pixelHeight;
    }
};

TEST(MulDiv, RoundsToNearestWithHalvesAwayFromZero) {
    EXPECT_EQ(detail::mulDiv(64, 96, 72), 85);    // 85.33
    EXPECT_EQ(detail::mulDiv(64, 120, 72), 107);  // 106.67
    EXPECT_EQ(detail::mulDiv(9, 100, 72), 13);    // 12.5
    EXPECT_EQ(detail::mulDiv(-9, 100, 72), -13);
    EXPECT_EQ(detail::mulDiv(9, -100, 72), -13);
    EXPECT_EQ(detail::mulDiv(-9, -100, 72), 13);
    EXPECT_EQ(detail::mulDiv(9, 100, -72), -13);
    EXPECT_EQ(detail::mulDiv(7, 100, 72), 10);  // 9.72
    EXPECT_EQ(detail::mulDiv(0, 96, 72), 0);
}

TEST(MulDiv, FailsWithMinusOneOnZeroDivisorOrOverflow) {
    EXPECT_EQ(detail::mulDiv(5, 5, 0), -1);
    EXPECT_EQ(detail::mulDiv(INT_MAX, 96, 72), -1);
    EXPECT_EQ(detail::mulDiv(INT_MIN, 96, 72), -1);
    // The product may exceed 32 bits as long as the quotient fits.
    EXPECT_EQ(detail::mulDiv(INT_MAX, 72, 72), INT_MAX);
    EXPECT_EQ(detail::mulDiv(INT_MIN, 72, 72), INT_MIN);
}

TEST_F(FontTableTest, PointsBecomePixelsAtTheDisplayResolution) {
    EXPECT_EQ(pixelHeightFor(64, 96), 85);
    EXPECT_EQ(pixelHeightFor(64, 120), 107);
    EXPECT_EQ(pixelHeightFor(32, 96), 43);
    EXPECT_EQ(pixelHeightFor(9, 100), 13);
    EXPECT_EQ(pixelHeightFor(1, 96), 1);
    EXPECT_EQ(pixelHeightFor(720, 96), 960);
    // A platform without a resolution counts as the standard 96.
    EXPECT_EQ(pixelHeightFor(64, 0), 85);
}

TEST_F(FontTableTest, SizesOfNoPixelsFailWithoutAskingThePlatform) {
    EXPECT_EQ(openFont(1, "Arial", 0, kFontBold), 0u);
    EXPECT_EQ(openFont(1, "Arial", -12, kFontBold), 0u);
    EXPECT_EQ(openFont(1, "Arial", INT_MAX, 0), 0u);  // too many pixels to count
    os.dpiY = 24;
    EXPECT_EQ(openFont(1, "Arial", 1, 0), 0u);  // 0.33 px rounds to 0
    EXPECT_TRUE(os.fontRequests.empty());
    EXPECT_EQ(fontHandle(1), 0u);
}

TEST_F(FontTableTest, FlagsBecomeWeightStyleAndQuality) {
    ASSERT_NE(openFont(1,
                       "Fa\xC3\xA7"
                       "ade",
                       12, kFontBold | kFontHighQuality),
              0u);
    ASSERT_NE(openFont(2, "Mono", 12, kFontItalic | kFontUnderline | kFontStrikeOut), 0u);
    ASSERT_EQ(os.fontRequests.size(), 2u);
    const platform::FontRequest& bold = os.fontRequests[0];
    EXPECT_EQ(bold.face,
              "Fa\xC3\xA7"
              "ade");
    EXPECT_EQ(bold.weight, 700);
    EXPECT_TRUE(bold.highQuality);
    EXPECT_FALSE(bold.italic || bold.underline || bold.strikeOut);
    const platform::FontRequest& plain = os.fontRequests[1];
    EXPECT_EQ(plain.weight, 400);
    EXPECT_FALSE(plain.highQuality);
    EXPECT_TRUE(plain.italic && plain.underline && plain.strikeOut);
}

TEST_F(FontTableTest, LoadingIntoAUsedNumberReplacesTheFont) {
    const FontHandle first = openFont(2, "A", 10, 0);
    const FontHandle second = openFont(2, "B", 10, 0);
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    EXPECT_NE(first, second);
    EXPECT_EQ(fontHandle(2), second);
    EXPECT_EQ(os.fonts.count(first), 0u);
    EXPECT_EQ(os.fonts.size(), 1u);
    // A replacement that cannot be made still releases the old font.
    EXPECT_EQ(openFont(2, "C", 0, 0), 0u);
    EXPECT_EQ(fontHandle(2), 0u);
    EXPECT_TRUE(os.fonts.empty());
}

TEST_F(FontTableTest, NumbersAreIndependentAndClosedOneByOne) {
    const FontHandle one = openFont(1, "A", 10, 0);
    const FontHandle three = openFont(3, "A", 10, 0);
    EXPECT_EQ(fontHandle(1), one);
    EXPECT_EQ(fontHandle(3), three);
    EXPECT_EQ(fontHandle(2), 0u);
    closeFont(1);
    EXPECT_EQ(fontHandle(1), 0u);
    EXPECT_EQ(fontHandle(3), three);
    EXPECT_EQ(os.fonts.count(one), 0u);
    closeFont(1);  // closing an empty number does nothing
    closeFont(7);
    EXPECT_EQ(os.fonts.size(), 1u);
    EXPECT_EQ(openFont(-2, "A", 10, 0), 0u);
}

TEST_F(FontTableTest, AFontWithoutANumberIsReachedOnlyByItsHandle) {
    const FontHandle loose = openFont(0, "Doc", 10, 0);
    ASSERT_NE(loose, 0u);
    EXPECT_EQ(fontHandle(0), 0u);
    closeFont(0);
    EXPECT_EQ(os.fonts.count(loose), 1u);
    closeFontHandle(loose);
    EXPECT_EQ(os.fonts.count(loose), 0u);
    closeFontHandle(loose);  // twice is harmless
    closeFontHandle(0);
}

TEST_F(FontTableTest, CloseAllAndResetReleaseNumberedAndLooseFonts) {
    openFont(1, "A", 10, 0);
    openFont(0, "A", 10, 0);
    closeFont(-1);
    EXPECT_TRUE(os.fonts.empty());
    openFont(2, "A", 10, 0);
    openFont(0, "A", 10, 0);
    resetRaster();
    EXPECT_TRUE(os.fonts.empty());
    EXPECT_EQ(fontHandle(2), 0u);
}

TEST_F(FontTableTest, MeasuringUsesTheSelectedFontAndCountsCharacters) {
    os.dpiY = 72;  // points are pixels
    const FontHandle regular = openFont(1, "A", 10, 0);
    const FontHandle bold = openFont(2, "A", 10, kFontBold);
    selectFont(regular);
    EXPECT_EQ(measureTextWidth("abc"), 15);
    EXPECT_EQ(measureTextHeight("abc"), 10);
    EXPECT_EQ(measureTextWidth("\xC3\xA9\xE2\x82\xAC"), 10);  // two characters, five bytes
    EXPECT_EQ(measureTextWidth(""), 0);
    EXPECT_EQ(measureTextHeight(""), 0);
    selectFont(bold);
    EXPECT_EQ(measureTextWidth("abc"), 18);
}

TEST_F(FontTableTest, ClosingTheSelectedFontOrTheContextDeselectsIt) {
    os.dpiY = 72;
    newImage(1, 4, 4, 24, 0);
    ASSERT_EQ(openContext(1), 1);
    selectFont(openFont(1, "A", 10, 0));
    ASSERT_EQ(measureTextWidth("a"), 5);
    closeFont(1);
    EXPECT_EQ(measureTextWidth("a"), 0);
    EXPECT_EQ(paintText(3, 0, "a", 0xFFFFFF, 0), 3);

    selectFont(openFont(1, "A", 10, 0));
    closeContext();
    ASSERT_EQ(openContext(1), 1);
    EXPECT_EQ(measureTextWidth("a"), 0);
}

}  // namespace
}  // namespace drape::raster::testing
