#include "interp/backgrounds.h"

#include <gtest/gtest.h>

#include <array>

#include "support/run_fixture.h"

namespace drape::test {
namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kYellow{255, 255, 0};

class EffectsTest : public RunTest {
  protected:
    BmpImage paint(const std::string& command) {
        run(command);
        auto image = installed();
        EXPECT_TRUE(image) << command;
        return image.value_or(BmpImage{});
    }
};

TEST(ColourArgument, LengthRules) {
    EXPECT_EQ(ParseColourArgument("FF8000"), raster::makeColour(255, 128, 0));
    EXPECT_EQ(ParseColourArgument("$FF8000"), raster::makeColour(255, 128, 0));
    EXPECT_EQ(ParseColourArgument("xff8000"), raster::makeColour(255, 128, 0));
    EXPECT_FALSE(ParseColourArgument("12345"));
    EXPECT_FALSE(ParseColourArgument("$$FF8000"));
    EXPECT_FALSE(ParseColourArgument(""));
}

TEST_F(EffectsTest, BaseStripesOnAFullHdMonitor) {
    const BmpImage image = paint("base");
    // The stripe starting at v = -1920 + 6 * 320 = 0 covers the corner.
    EXPECT_EQ(image.at(0, 0), kYellow);
    EXPECT_EQ(image.at(147, 0), kYellow);  // 148 lines wide: 0..147
    EXPECT_EQ(image.at(148, 0), kBlack);
    EXPECT_EQ(image.at(319, 0), kBlack);
    EXPECT_EQ(image.at(320, 0), kYellow);
    // Lines run down to the right at 45 degrees.
    EXPECT_EQ(image.at(500, 500), kYellow);
    EXPECT_EQ(image.at(648, 500), kBlack);
}

TEST_F(EffectsTest, StripesEndAtYEqualToTheCanvasWidth) {
    useMonitors({{0, 0, 20, 40, 24}});
    const BmpImage image = paint("traffic");
    // Below y = W everything keeps the white ground.
    for (int y = 21; y < 40; ++y) {
        for (int x = 0; x < 20; ++x) {
            ASSERT_EQ(image.at(x, y), kWhite) << x << "," << y;
        }
    }
    EXPECT_EQ(image.at(0, 0), (Rgb{255, 0, 0}));
}

TEST_F(EffectsTest, CanvasNarrowerThanOnePeriodGetsGroundOnly) {
    useMonitors({{0, 0, 5, 3, 24}});
    const BmpImage base = paint("base");
    for (const Rgb& pixel : base.pixels) {
        EXPECT_EQ(pixel, kBlack);
    }
    useMonitors({{0, 0, 9, 3, 24}});
    const BmpImage traffic = paint("traffic");
    for (const Rgb& pixel : traffic.pixels) {
        EXPECT_EQ(pixel, kWhite);
    }
}

TEST_F(EffectsTest, DrainWeightsChannelsAndRounds) {
    useMonitors({{0, 0, 4, 4, 24}});
    EXPECT_EQ(paint("color FF0000 drain").at(0, 0), (Rgb{51, 51, 51}));
    // 0.2 * 10 + 0.3 * 20 + 0.2 * 33 = 14.6
    EXPECT_EQ(paint("color 0A1421 drain").at(3, 3), (Rgb{15, 15, 15}));
    // 0.2 * 100 + 0.3 * 80 + 0.2 * 25 = 49
    EXPECT_EQ(paint("color 645019 drain").at(2, 1), (Rgb{49, 49, 49}));
    // 0.3 * 31 + 0.2 * 1 = 9.5 exactly: halves round up (in doubles the sum is just below 9.5).
    EXPECT_EQ(paint("color 001F01 drain").at(0, 0), (Rgb{10, 10, 10}));
}

TEST_F(EffectsTest, InvertTwiceRestoresAndOnceComplements) {
    useMonitors({{0, 0, 7, 3, 24}});
    EXPECT_EQ(paint("color 0AC8FF invert").at(6, 2), (Rgb{245, 55, 0}));
    EXPECT_EQ(paint("color 0AC8FF invert invert").at(6, 2), (Rgb{10, 200, 255}));
}

TEST_F(EffectsTest, DarkenBlendsBlackAtAlpha64) {
    useMonitors({{0, 0, 3, 3, 24}});
    EXPECT_EQ(paint("white darken").at(1, 1), (Rgb{191, 191, 191}));
    EXPECT_EQ(paint("red darken").at(1, 1), (Rgb{95, 0, 0}));
}

TEST_F(EffectsTest, FadeLeavesTheTopRowAndDarkensDownwards) {
    useMonitors({{0, 0, 4, 10, 24}});
    const BmpImage image = paint("white fade");
    EXPECT_EQ(image.at(0, 0), kWhite);
    // Row i blends black at alpha i * 255 / 10.
    for (int i = 0; i < 10; ++i) {
        const int a = i * 255 / 10;
        const int c = 255 * (255 - a) / 255;
        EXPECT_EQ(image.at(3, i), (Rgb{c, c, c})) << i;
    }
}

TEST_F(EffectsTest, FadeIsPerMonitor) {
    useMonitors({{0, 0, 4, 10, 24}, {4, 0, 4, 5, 24}});
    const BmpImage image = paint("white monitor 1 fade");
    EXPECT_EQ(image.at(0, 9), kWhite);
    EXPECT_EQ(image.at(4, 4), (Rgb{51, 51, 51}));  // 255 - 4*255/5 = 51
}

TEST_F(EffectsTest, FadeCoversEveryMonitorOfTheSelection) {
    // Each monitor fades over its own height: row 4 is 4 * 255 / 10 on the first, the
    // bottom row 4 * 255 / 5 on the second.
    useMonitors({{0, 0, 4, 10, 24}, {4, 0, 4, 5, 24}});
    const BmpImage image = paint("white fade");
    EXPECT_EQ(image.at(0, 4), (Rgb{153, 153, 153}));
    EXPECT_EQ(image.at(7, 4), (Rgb{51, 51, 51}));
    EXPECT_EQ(image.at(4, 0), kWhite);
}

TEST_F(EffectsTest, DotsMakeOnePixelInFourBlack) {
    useMonitors({{0, 0, 8, 8, 24}});
    const BmpImage image = paint("white dots");
    int black = 0;
    for (const Rgb& pixel : image.pixels) {
        black += pixel == kBlack ? 1 : 0;
    }
    EXPECT_EQ(black, 16);
    EXPECT_EQ(image.at(2, 2), kBlack);
    EXPECT_EQ(image.at(7, 7), kBlack);
    EXPECT_EQ(image.at(1, 1), kWhite);
    EXPECT_EQ(image.at(4, 4), kWhite);
}

TEST_F(EffectsTest, DotsStopOneRowShortOfTheBottom) {
    // Down, squares start while y < height - 1: a 7-high monitor gets one row of them.
    useMonitors({{0, 0, 8, 7, 24}});
    const BmpImage image = paint("white dots");
    EXPECT_EQ(image.at(2, 2), kBlack);
    EXPECT_EQ(image.at(2, 6), kWhite);
}

TEST_F(EffectsTest, DotsOn1366WideMonitorSpillOntoTheNeighbour) {
    useMonitors({{0, 0, 1366, 8, 24}, {1366, 0, 8, 8, 24}});
    const BmpImage image = paint("white monitor 0 dots");
    EXPECT_EQ(image.at(1362, 2), kBlack);
    EXPECT_EQ(image.at(1366, 2), kBlack);  // the last column lies on the next monitor
    EXPECT_EQ(image.at(1367, 2), kBlack);
    EXPECT_EQ(image.at(1370, 2), kWhite);
}

TEST_F(EffectsTest, FrameAlternatesWhiteAndBlackAroundEveryMonitor) {
    useMonitors({{0, 0, 16, 12, 24}, {16, 0, 8, 8, 24}});
    const BmpImage image = paint("red monitor 1 frame");
    EXPECT_EQ(image.at(0, 0), kWhite);
    EXPECT_EQ(image.at(1, 1), kWhite);
    EXPECT_EQ(image.at(2, 0), kBlack);
    EXPECT_EQ(image.at(4, 0), kWhite);
    EXPECT_EQ(image.at(12, 11), kWhite);
    EXPECT_EQ(image.at(0, 2), kBlack);
    EXPECT_EQ(image.at(15, 8), kWhite);
    EXPECT_EQ(image.at(5, 5), (Rgb{127, 0, 0}));
    // The second monitor is framed whatever the selection.
    EXPECT_EQ(image.at(16, 0), kWhite);
    EXPECT_EQ(image.at(23, 7), kBlack);
}

TEST_F(EffectsTest, FrameTopRightCornerBelongsToTheRightEdge) {
    useMonitors({{0, 0, 1920, 8, 24}});
    const BmpImage image = paint("red frame");
    EXPECT_EQ(image.at(1916, 0), kWhite);
    // The top edge's black square at 1918 is overpainted by the right edge's white one.
    EXPECT_EQ(image.at(1918, 0), kWhite);
    EXPECT_EQ(image.at(1914, 0), kBlack);
}

// --- blur ---------------------------------------------------------------------------------

// One channel of a 5 x 4 canvas, [y][x].
using Plane = std::array<std::array<int, 5>, 4>;

// Distinct, widely spread values so that a changed weight or offset shows in some pixel.
int blurInput(int x, int y, int channel) {
    return (x * 61 + y * 97 + channel * 43 + 11) % 256;
}

// Blur mixes the untouched original onto the canvas four times, each pass shifted by
// (dx, dy) with a constant alpha, truncating (canvas * (255 - a) + original * a) / 255;
// canvas pixels that the shifted original does not reach keep their value.
Plane blurReference(int channel) {
    Plane original{};
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            original[y][x] = blurInput(x, y, channel);
        }
    }
    Plane canvas = original;
    struct Pass {
        int dx, dy, alpha;
    };
    for (const Pass p : {Pass{-1, 1, 32}, Pass{-2, -1, 64}, Pass{2, 1, 64}, Pass{1, -1, 32}}) {
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 5; ++x) {
                const int sx = x - p.dx;
                const int sy = y - p.dy;
                if (sx >= 0 && sx < 5 && sy >= 0 && sy < 4) {
                    canvas[y][x] =
                        (canvas[y][x] * (255 - p.alpha) + original[sy][sx] * p.alpha) / 255;
                }
            }
        }
    }
    return canvas;
}

TEST_F(EffectsTest, BlurMixesFourShiftedCopiesPixelExactly) {
    raster::RasterImage* canvas = raster::newImage(1, 5, 4, 24, 0);
    ASSERT_NE(canvas, nullptr);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            for (int c = 0; c < 3; ++c) {
                canvas->row(y)[3 * x + c] = static_cast<uint8_t>(blurInput(x, y, c));
            }
        }
    }
    Blur();
    for (int c = 0; c < 3; ++c) {
        const Plane expected = blurReference(c);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 5; ++x) {
                EXPECT_EQ(canvas->row(y)[3 * x + c], expected[y][x])
                    << "x " << x << " y " << y << " channel " << c;
            }
        }
    }
    // By hand: only the (-2, -1) pass reaches the corner (0, 0), from (2, 1); in blue
    // (11 * 191 + 230 * 64) / 255 = 65.96.
    EXPECT_EQ(canvas->row(0)[0], 65);
}

TEST_F(EffectsTest, BlurOfAUniformCanvasChangesNothing) {
    useMonitors({{0, 0, 5, 4, 24}});
    const BmpImage image = paint("color 50A0F0 blur");
    for (const Rgb& pixel : image.pixels) {
        ASSERT_EQ(pixel, (Rgb{0x50, 0xA0, 0xF0}));
    }
}

}  // namespace
}  // namespace drape::test
