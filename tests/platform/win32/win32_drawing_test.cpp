// GDI fonts, text and the halftone stretch of the win32 backend, on the fonts Wine finds on the
// Linux side (fonts-liberation stands in for Arial).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/font_test_support.h"
#include "platform/win32/win32_drawing.h"

namespace drape::platform::win32 {
namespace {

using fonttest::Canvas;
using fonttest::Ink;
using fonttest::inkOf;
using fonttest::meanColumn;

class Win32FontsTest : public fonttest::FontsFixture {
  protected:
    Drawing& drawing() override { return drawing_; }

    Win32Drawing drawing_;
};

TEST_F(Win32FontsTest, MeasureGrowsWithTheTextAndBoldIsWiderAndHeavier) {
    const FontId regular = font("Arial", 40, false);
    const FontId bold = font("Arial", 40, true);
    EXPECT_LT(width(regular, "iii"), width(regular, "WWW"));
    EXPECT_LT(width(regular, "WW"), width(regular, "WWW"));
    EXPECT_EQ(width(regular, "ab") + width(regular, "cd"), width(regular, "abcd"));  // no kerning
    EXPECT_LT(width(regular, "Hello"), width(bold, "Hello"));
    const TextExtent cell = drawing_.measureText(regular, "x");
    // The cell holds the em and the face's room above and below it.
    EXPECT_GE(cell.height, 40);
    EXPECT_LE(cell.height, 60);
    EXPECT_EQ(drawing_.measureText(regular, "").width, 0);
    EXPECT_EQ(drawing_.measureText(regular, "").height, 0);

    const int64_t thin = render(regular, "Hello", 0, 120, cell.height).totalCoverage();
    const int64_t heavy = render(bold, "Hello", 0, 120, cell.height).totalCoverage();
    EXPECT_GT(heavy, thin + thin / 5);
}

TEST_F(Win32FontsTest, InkStaysInsideTheMeasuredCellAndReachesItsEnd) {
    const FontId upright = font("Arial", 60);
    const TextExtent cell = drawing_.measureText(upright, "Hello");
    const Ink ink = inkOf(render(upright, "Hello", 20, cell.width + 60, cell.height));
    ASSERT_FALSE(ink.empty());
    EXPECT_GE(ink.left, 20);
    EXPECT_LE(ink.left, 20 + 8);
    EXPECT_LT(ink.right, 20 + cell.width);
    EXPECT_GE(ink.right, 20 + cell.width - 8);
    EXPECT_LT(ink.bottom, cell.height);

    // An italic's last stroke leans past its advance; the measure takes it in.
    const FontId italic = font("Arial", 80, false, true);
    for (const char* text : {"f", "Elf", "l"}) {
        const int w = width(italic, text);
        const Ink slanted = inkOf(render(italic, text, 30, w + 80, 100));
        ASSERT_FALSE(slanted.empty()) << text;
        EXPECT_LT(slanted.right, 30 + w) << text;
        EXPECT_GE(slanted.right, 30 + w - 3) << text;
    }
}

TEST_F(Win32FontsTest, NonAsciiTextMeasuresByCharacters) {
    const FontId id = font("Arial", 40, false);
    // Accented letters share the advance of their base letters in this face, so the UTF-8
    // bytes read as ANSI characters ("Ã©") would measure differently.
    EXPECT_EQ(width(id, "\xC3\xA9t\xC3\xA9"), width(id, "ete"));
    EXPECT_EQ(width(id, "\xC3\xA9\xC3\xA9\xC3\xA9"), 3 * width(id, "\xC3\xA9"));
    EXPECT_GT(width(id, "\xE2\x82\xAC"), 0);  // the euro sign
    const std::string odd[] = {
        "\xF0\x9F\x98\x80 emoji", "\xFF\xFE\xC3 broken UTF-8",    "tab\tand\nnewline",
        std::string(5000, 'W'),   std::string("nul\0inside", 10),
    };
    for (const std::string& text : odd) {
        const TextExtent extent = drawing_.measureText(id, text);
        EXPECT_GT(extent.width, 0);
        EXPECT_FALSE(inkOf(render(id, text, 0, 300, extent.height)).empty());
    }
}

TEST_F(Win32FontsTest, ArialDrawsInItsMetricTwinAndAnUnknownFaceStillDraws) {
    const FontId arial = font("Arial", 2048, false);
    const FontId liberation = font("Liberation Sans", 2048, false);
    for (const char* text : {"0123456789", "Wide margins", "iiiii"}) {
        EXPECT_EQ(width(arial, text), width(liberation, text)) << text;
    }
    // Arial's digits are 1139 units of a 2048-unit em wide; at an em of 2048 px, 1139 px.
    EXPECT_NEAR(width(arial, "0000000000"), 11390, 10);
    EXPECT_EQ(drawing_.faceOf(arial), "Liberation Sans");
    EXPECT_EQ(drawing_.faceOf(font("Arial", 20, true, true)), "Liberation Sans");
    EXPECT_EQ(drawing_.faceOf(0), "");

    for (const std::string& face :
         {std::string("Qwertyuiop Sans Nonexistent"), std::string(40, 'Q'), std::string()}) {
        const FontId unknown = font(face, 40);
        ASSERT_NE(unknown, 0u) << face;
        EXPECT_GT(width(unknown, "Fallback"), 40) << face;
        EXPECT_FALSE(inkOf(render(unknown, "Hi", 0, 100, 60)).empty()) << face;
    }
}

TEST_F(Win32FontsTest, ItalicLeansToTheRight) {
    const FontId upright = font("Arial", 80, false, false);
    const FontId italic = font("Arial", 80, false, true);
    const Canvas straight = render(upright, "l", 10, 80, 100);
    const Canvas slanted = render(italic, "l", 10, 80, 100);
    const Ink ink = inkOf(straight);
    const int third = (ink.bottom - ink.top) / 3;
    EXPECT_NEAR(meanColumn(straight, ink.top, ink.top + third),
                meanColumn(straight, ink.bottom - third, ink.bottom), 1.0);
    EXPECT_GT(meanColumn(slanted, ink.top, ink.top + third),
              meanColumn(slanted, ink.bottom - third, ink.bottom) + 5);
}

TEST_F(Win32FontsTest, UnderlineLiesBelowTheBaselineAndStrikeOutThroughTheLowerCase) {
    FontRequest request;
    request.face = "Arial";
    request.pixelHeight = 40;
    request.highQuality = true;
    const FontId plainFont = make(request);
    request.underline = true;
    const FontId underlined = make(request);
    request.underline = false;
    request.strikeOut = true;
    const FontId struck = make(request);
    const TextExtent cell = drawing_.measureText(plainFont, "a a");
    const int baseline = inkOf(render(plainFont, "H", 0, 60, cell.height)).bottom + 1;

    // Rows fully covered across the text, blank just left and right of it.
    const auto barRows = [&](FontId id) {
        const Canvas canvas = render(id, "a a", 5, cell.width + 10, cell.height);
        std::vector<int> rows;
        for (int y = 0; y < canvas.height; ++y) {
            bool full = true;
            for (int x = 5; x < 5 + cell.width; ++x) {
                full = full && canvas.value(x, y) == 255;
            }
            if (full && canvas.value(3, y) == 0 && canvas.value(6 + cell.width, y) == 0) {
                rows.push_back(y);
            }
        }
        return rows;
    };
    EXPECT_TRUE(barRows(plainFont).empty());
    const std::vector<int> under = barRows(underlined);
    ASSERT_FALSE(under.empty());
    EXPECT_GE(under.front(), baseline);
    EXPECT_LT(under.back(), cell.height);
    const std::vector<int> strike = barRows(struck);
    ASSERT_FALSE(strike.empty());
    EXPECT_LT(strike.back(), baseline);
    EXPECT_GT(strike.front(), baseline / 2);
}

// Intermediate grey levels in the coverage, every pixel's channels checked to agree.
int greyLevels(const Canvas& canvas) {
    std::vector<bool> seen(256);
    for (int y = 0; y < canvas.height; ++y) {
        for (int x = 0; x < canvas.width; ++x) {
            const uint8_t* p = canvas.at(x, y);
            EXPECT_EQ(p[0], p[1]) << x << "," << y;
            EXPECT_EQ(p[0], p[2]) << x << "," << y;
            seen[p[0]] = true;
        }
    }
    return static_cast<int>(std::count(seen.begin() + 1, seen.end() - 1, true));
}

// Either quality gives the user's font smoothing; a fresh prefix smooths in grey (the system
// reads the setting once a process, so other settings cannot be tried here).
TEST_F(Win32FontsTest, CoverageIsTheUsersGreySmoothingAtEitherQuality) {
    BOOL smoothing = FALSE;
    UINT type = 0;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETFONTSMOOTHING, 0, &smoothing, 0));
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETFONTSMOOTHINGTYPE, 0, &type, 0));
    ASSERT_TRUE(smoothing);
    ASSERT_EQ(type, static_cast<UINT>(FE_FONTSMOOTHINGSTANDARD));

    FontRequest request;
    request.face = "Arial";
    request.pixelHeight = 30;
    request.highQuality = true;
    const Canvas proof = render(make(request), "Rounded", 0, 200, 40);
    request.highQuality = false;
    const Canvas plain = render(make(request), "Rounded", 0, 200, 40);
    EXPECT_GT(greyLevels(proof), 8);
    EXPECT_GT(greyLevels(plain), 8);
    EXPECT_EQ(proof.pixels, plain.pixels);
}

TEST_F(Win32FontsTest, RenderingIsClippedToTheBufferWhereverTheTextStarts) {
    const FontId id = font("Arial", 40);
    const int w = width(id, "Clipped text");
    // Starting left of the buffer: the part from column 0 on is the text's tail.
    const Canvas whole = render(id, "Clipped text", 0, w, 50);
    const Canvas shifted = render(id, "Clipped text", -30, w - 30, 50);
    for (int y = 0; y < 50; ++y) {
        for (int x = 0; x < w - 30; ++x) {
            ASSERT_EQ(shifted.value(x, y), whole.value(x + 30, y)) << x << "," << y;
        }
    }
    // Running over the right edge and the bottom: what fits is drawn, nothing beyond.
    const Canvas cut = render(id, "Clipped text", 10, w / 2, 20);
    EXPECT_FALSE(inkOf(cut).empty());
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x + 10 < w / 2; ++x) {
            ASSERT_EQ(cut.value(x + 10, y), whole.value(x, y)) << x << "," << y;
        }
    }
    // Far away on either side, nothing is drawn and nothing breaks.
    for (const int x : {-100000000, -w - 20, w + 20, 100000000}) {
        EXPECT_TRUE(inkOf(render(id, "Clipped text", x, w, 50)).empty()) << x;
    }
}

// The text bitmap is kept between calls while it is small and given back when it is large;
// either way a later call draws exactly what a fresh backend draws.
TEST_F(Win32FontsTest, EarlierTextLeavesNoTraceInLaterText) {
    const FontId small = font("Arial", 30);
    const FontId huge = font("Arial", 1500);
    Win32Drawing fresh;
    FontRequest request;
    request.face = "Arial";
    request.pixelHeight = 30;
    request.weight = 700;
    request.highQuality = true;
    const FontId reference = fresh.createFont(request);
    ASSERT_NE(reference, 0u);
    Canvas expected(60, 40);
    fresh.renderText(reference, "il", 3, expected.view());
    fresh.destroyFont(reference);
    ASSERT_FALSE(inkOf(expected).empty());

    render(small, "WWWWWWWW", 0, 400, 40);  // kept: wider and as high as what follows
    EXPECT_EQ(render(small, "il", 3, 60, 40).pixels, expected.pixels);
    const Canvas big = render(huge, "WWWW", -200, 5000, 1800);  // too large to keep
    EXPECT_GT(inkOf(big).bottom, 1000);
    EXPECT_EQ(render(small, "il", 3, 60, 40).pixels, expected.pixels);
}

TEST_F(Win32FontsTest, DestroyedAndUnmadeFontsDrawNothing) {
    FontRequest request;
    request.face = "Arial";
    request.pixelHeight = 0;
    EXPECT_EQ(drawing_.createFont(request), 0u);
    request.pixelHeight = 40000;
    EXPECT_EQ(drawing_.createFont(request), 0u);
    request.pixelHeight = 20;
    const FontId id = drawing_.createFont(request);
    ASSERT_NE(id, 0u);
    EXPECT_GT(width(id, "alive"), 0);
    drawing_.destroyFont(id);
    drawing_.destroyFont(id);
    EXPECT_EQ(width(id, "gone"), 0);
    EXPECT_TRUE(inkOf(render(id, "gone", 0, 50, 30)).empty());
    // A font made after another was destroyed gets an id of its own.
    const FontId next = font("Arial", 20);
    EXPECT_NE(next, id);
    drawing_.renderText(next, "x", 0, {0, 0, 0, nullptr});
    drawing_.renderText(next, "x", 0, {10, 10, 5, nullptr});
}

TEST(Win32Display, ResolutionIsTheStandardOneOfAFreshPrefix) {
    Win32Drawing drawing;
    EXPECT_EQ(drawing.displayDpiY(), 96);
}

// 24-bit pixels with a stride of the test's choosing and guard bytes in the padding.
struct Image {
    int width;
    int height;
    size_t stride;
    std::vector<uint8_t> pixels;

    Image(int w, int h, size_t padding)
        : width(w),
          height(h),
          stride(static_cast<size_t>(w) * 3 + padding),
          pixels(stride * static_cast<size_t>(h), fonttest::kCoverageGuard) {}
    uint8_t* at(int x, int y) {
        return pixels.data() + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3;
    }
    void fill(uint8_t blue, uint8_t green, uint8_t red) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                at(x, y)[0] = blue;
                at(x, y)[1] = green;
                at(x, y)[2] = red;
            }
        }
    }
    PixelView view() const { return {width, height, stride, pixels.data()}; }
    MutablePixelView target() { return {width, height, stride, pixels.data()}; }
    bool paddingIntact() const {
        for (size_t i = 0; i < pixels.size(); ++i) {
            if (i % stride >= static_cast<size_t>(width) * 3 &&
                pixels[i] != fonttest::kCoverageGuard) {
                return false;
            }
        }
        return true;
    }
};

TEST(Win32Halftone, SameSizeIsAnExactCopyBetweenAnyStrides) {
    Image source(7, 5, 1);
    uint8_t next = 1;
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) {
            for (int c = 0; c < 3; ++c) {
                source.at(x, y)[c] = next;
                next = static_cast<uint8_t>(next * 7 + 3);
            }
        }
    }
    Image target(7, 5, 6);
    Win32Drawing drawing;
    drawing.stretchHalftone(source.view(), target.target());
    for (int y = 0; y < 5; ++y) {
        EXPECT_TRUE(std::equal(source.at(0, y), source.at(0, y) + 21, target.at(0, y))) << y;
    }
    EXPECT_TRUE(target.paddingIntact());
}

TEST(Win32Halftone, ShrinkingAveragesAndEnlargingAConstantStaysConstant) {
    Win32Drawing drawing;
    Image checker(4, 4, 3);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            std::fill_n(checker.at(x, y), 3, (x + y) % 2 == 0 ? uint8_t{0} : uint8_t{255});
        }
    }
    Image half(2, 2, 2);
    drawing.stretchHalftone(checker.view(), half.target());
    Image one(1, 1, 1);
    drawing.stretchHalftone(checker.view(), one.target());
    for (Image* shrunk : {&half, &one}) {
        for (int y = 0; y < shrunk->height; ++y) {
            for (int x = 0; x < shrunk->width; ++x) {
                for (int c = 0; c < 3; ++c) {
                    EXPECT_NEAR(shrunk->at(x, y)[c], 127.5, 8) << x << "," << y;
                }
            }
        }
        EXPECT_TRUE(shrunk->paddingIntact());
    }

    Image constant(3, 2, 1);
    constant.fill(10, 100, 200);
    Image large(17, 9, 3);
    drawing.stretchHalftone(constant.view(), large.target());
    Image system(17, 9, 2);
    ASSERT_TRUE(drawing.systemHalftone(constant.view(), system.target()));
    for (Image* enlarged : {&large, &system}) {
        for (int y = 0; y < 9; ++y) {
            for (int x = 0; x < 17; ++x) {
                const uint8_t* p = enlarged->at(x, y);
                ASSERT_EQ(p[0], 10) << x << "," << y;
                ASSERT_EQ(p[1], 100) << x << "," << y;
                ASSERT_EQ(p[2], 200) << x << "," << y;
            }
        }
        EXPECT_TRUE(enlarged->paddingIntact());
    }
}

TEST(Win32Halftone, APhotographShrinksToAScreenSmoothly) {
    // A 6000 x 4000 photograph fitted to a 3840 x 2160 screen, as a ramp from black at the left
    // to white at the right in every channel.
    Image photo(6000, 4000, 0);
    for (int y = 0; y < photo.height; ++y) {
        for (int x = 0; x < photo.width; ++x) {
            std::fill_n(photo.at(x, y), 3, static_cast<uint8_t>(x * 255 / (photo.width - 1)));
        }
    }
    Win32Drawing drawing;
    Image screen(3840, 2160, 0);
    Image system(3840, 2160, 0);
    drawing.stretchHalftone(photo.view(), screen.target());
    ASSERT_TRUE(drawing.systemHalftone(photo.view(), system.target()));
    for (Image* result : {&screen, &system}) {
        for (const int y : {0, 1079, 2159}) {
            EXPECT_LE(result->at(0, y)[0], 2);
            EXPECT_GE(result->at(3839, y)[0], 253);
            for (int x = 1; x < 3840; ++x) {
                ASSERT_GE(result->at(x, y)[0] + 1, result->at(x - 1, y)[0]) << x << "," << y;
                ASSERT_EQ(result->at(x, y)[0], result->at(x, y)[2]) << x << "," << y;
            }
            EXPECT_TRUE(
                std::equal(result->at(0, y), result->at(0, y) + 3840 * 3, result->at(0, 0)));
        }
    }
}

// The probe's verdict against a measurement of its own: one-pixel stripes shrunk by a factor
// that is not a whole number come out an even grey only from a stretch that averages. The
// resample that stands in for a stretch that does not must give that grey whichever path runs.
TEST(Win32Halftone, TheProbeTellsAnAveragingStretchFromOneThatIsNot) {
    Image stripes(30, 30, 2);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 30; ++x) {
            std::fill_n(stripes.at(x, y), 3, x % 2 == 0 ? uint8_t{0} : uint8_t{255});
        }
    }
    Win32Drawing drawing;
    Image system(7, 7, 1);
    ASSERT_TRUE(drawing.systemHalftone(stripes.view(), system.target()));
    Image ours(7, 7, 1);
    drawing.stretchHalftone(stripes.view(), ours.target());
    int worst = 0;
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 7; ++x) {
            worst = std::max(worst, std::abs(system.at(x, y)[1] - 128));
            EXPECT_NEAR(ours.at(x, y)[1], 128, 24) << x << "," << y;
        }
    }
    const bool averages = worst <= 40;
    EXPECT_EQ(drawing.systemHalftoneAverages(), averages) << "farthest from grey: " << worst;
    RecordProperty("system_halftone_averages", averages ? "yes" : "no");
    RecordProperty("system_halftone_farthest_from_grey", worst);
    EXPECT_TRUE(system.paddingIntact());
    EXPECT_TRUE(ours.paddingIntact());
}

TEST(Win32Halftone, EmptyOrMissingPixelsAreLeftAlone) {
    Win32Drawing drawing;
    Image target(2, 2, 2);
    target.fill(1, 2, 3);
    const Image before = target;
    drawing.stretchHalftone({0, 0, 0, nullptr}, target.target());
    drawing.stretchHalftone({4, 4, 12, nullptr}, target.target());
    drawing.stretchHalftone({4, 4, 5, target.pixels.data()}, target.target());  // stride too short
    EXPECT_EQ(target.pixels, before.pixels);
    EXPECT_FALSE(drawing.systemHalftone({0, 0, 0, nullptr}, target.target()));
    Image source(3, 3, 0);
    drawing.stretchHalftone(source.view(), {0, 0, 0, nullptr});
}

}  // namespace
}  // namespace drape::platform::win32
