// paintText: the compositing of each mode, checked pixel by pixel against coverage the fake
// rasteriser makes, with the text cell at the edges of the target and beyond them.
#include <array>
#include <string>

#include "platform/unicode.h"
#include "raster/raster_state.h"
#include "raster_test_support.h"
#include "support/fake_platform.h"

namespace drape::raster::testing {
namespace {

using Coverage = std::array<int, 3>;  // red, green, blue

class PaintTextTest : public RasterTest {
  protected:
    static constexpr int kHeight = 8;  // pixels, with points = pixels at 72 dpi
    static constexpr int kAdvance = kHeight / 2;

    test::FakePlatform os;
    RasterImage* target = nullptr;
    std::vector<Colour> before;

    void SetUp() override {
        platform::setCurrent(&os);
        RasterTest::SetUp();
        os.dpiY = 72;
    }
    void TearDown() override {
        RasterTest::TearDown();
        platform::setCurrent(nullptr);
    }

    // A target whose every pixel differs from its neighbours, so a shifted cell shows.
    void makeTarget(int width, int height, DrawMode mode) {
        target = newImage(1, width, height, 24, 0);
        ASSERT_NE(target, nullptr);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                setRawPixel(*target, x, y,
                            makeColour((x * 37 + 11) % 256, (y * 53 + 7) % 256,
                                       (x * 13 + y * 29 + 101) % 256));
            }
        }
        before = allPixels(*target);
        ASSERT_EQ(openContext(1), 1);
        setMode(mode);
        selectFont(openFont(1, "Face", kHeight, 0));
    }

    Colour old(int x, int y) const {
        return before[static_cast<size_t>(y) * static_cast<size_t>(target->width) + x];
    }

    // The fake's coverage at a point of a cell of `characters` glyphs, cell-relative.
    Coverage coverageAt(int cx, int cy, int characters) const {
        const int inset = os.glyphInset;
        const int inGlyph = cx % kAdvance;
        const bool covered = cx >= 0 && cy >= 0 && cx < characters * kAdvance && cy < kHeight &&
                             inGlyph >= inset && inGlyph < kAdvance - inset && cy >= inset &&
                             cy < kHeight - inset;
        if (!covered) {
            return {0, 0, 0};
        }
        return {os.glyphCoverage[0], os.glyphCoverage[1], os.glyphCoverage[2]};
    }

    // Every pixel of the target: inside the cell at (x, y) as `expected` composes it from the
    // old pixel and the coverage, everywhere else unchanged.
    template <typename Compose>
    void expectCell(int x, int y, const std::string& text, Compose expected) {
        const int characters = static_cast<int>(platform::countCharacters(text));
        for (int ty = 0; ty < target->height; ++ty) {
            for (int tx = 0; tx < target->width; ++tx) {
                const int cx = tx - x;
                const int cy = ty - y;
                const bool inCell =
                    cx >= 0 && cy >= 0 && cx < characters * kAdvance && cy < kHeight;
                const Colour want =
                    inCell ? expected(old(tx, ty), coverageAt(cx, cy, characters)) : old(tx, ty);
                ASSERT_EQ(rawPixel(*target, tx, ty), want) << "at (" << tx << ", " << ty << ")";
            }
        }
    }

    static int channel(Colour c, int index) {
        return static_cast<int>(index == 0 ? redOf(c) : index == 1 ? greenOf(c) : blueOf(c));
    }
    template <typename PerChannel>
    static Colour perChannel(PerChannel f) {
        return makeColour(static_cast<uint32_t>(f(0)), static_cast<uint32_t>(f(1)),
                          static_cast<uint32_t>(f(2)));
    }
};

TEST_F(PaintTextTest, OpaqueStandsTheTextOnABoxOfTheBackColour) {
    makeTarget(16, 12, DrawMode::Opaque);
    const Colour front = makeColourAlpha(250, 100, 30, 7);
    const Colour back = makeColour(20, 220, 90);
    EXPECT_EQ(paintText(3, 2, "ab", front, back), 3 + 2 * kAdvance);
    expectCell(3, 2, "ab", [&](Colour, const Coverage& m) {
        return perChannel([&](int c) {
            return (channel(back, c) * (255 - m[c]) + channel(front, c) * m[c]) / 255;
        });
    });
}

TEST_F(PaintTextTest, TransparentBackgroundMixesEachChannelByItsOwnCoverage) {
    makeTarget(16, 12, DrawMode::TransparentBackground);
    const Colour front = makeColour(250, 100, 30);
    // The front alpha plays no part in this mode.
    paintText(5, 1, "xyz", front + (200u << 24), makeColour(1, 2, 3));
    expectCell(5, 1, "xyz", [&](Colour old, const Coverage& m) {
        return perChannel([&](int c) {
            return (channel(front, c) * m[c] + channel(old, c) * (255 - m[c])) / 255;
        });
    });
}

TEST_F(PaintTextTest, FullCoverageWritesTheColourInTransparentBackgroundMode) {
    os.glyphCoverage[0] = os.glyphCoverage[1] = os.glyphCoverage[2] = 255;
    os.glyphInset = 0;
    makeTarget(8, 8, DrawMode::TransparentBackground);
    paintText(0, 0, "ab", makeColour(9, 8, 7), 0);
    for (const Colour pixel : allPixels(*target)) {
        EXPECT_EQ(pixel, makeColour(9, 8, 7));
    }
}

TEST_F(PaintTextTest, BlendWeighsTheMeanCoverageByTheFrontAlpha) {
    makeTarget(16, 12, DrawMode::Blend);
    const Colour front = makeColourAlpha(255, 255, 255, 64);
    paintText(2, 3, "ab", front, 0);
    expectCell(2, 3, "ab", [&](Colour old, const Coverage& m) {
        const int k = 64 * (m[0] + m[1] + m[2]) / 765;
        return perChannel(
            [&](int c) { return (channel(front, c) * k + channel(old, c) * (255 - k)) / 255; });
    });
    // With these coverages k = 64 * 447 / 765 = 37.
    EXPECT_EQ(redOf(rawPixel(*target, 2 + 1, 3 + 1)), (255u * 37 + redOf(old(3, 4)) * 218) / 255);
}

// drape98 weighs the Opaque and TransparentBackground formulas by one grey coverage, the
// mean of the three channels, and keeps Blend as it is.
TEST_F(PaintTextTest, GreyCoverageMixesEveryChannelByTheMeanInTheSolidModes) {
    setTextCoverage(TextCoverage::Grey);
    const Colour front = makeColourAlpha(250, 100, 30, 64);
    const Colour back = makeColour(20, 220, 90);
    const auto grey = [](const Coverage& m) { return 255 * (m[0] + m[1] + m[2]) / 765; };
    makeTarget(16, 12, DrawMode::Opaque);
    paintText(3, 2, "ab", front, back);
    expectCell(3, 2, "ab", [&](Colour, const Coverage& m) {
        return perChannel([&](int c) {
            return (channel(back, c) * (255 - grey(m)) + channel(front, c) * grey(m)) / 255;
        });
    });
    closeContext();
    makeTarget(16, 12, DrawMode::TransparentBackground);
    paintText(1, 3, "a", front, 0);
    expectCell(1, 3, "a", [&](Colour old, const Coverage& m) {
        return perChannel([&](int c) {
            return (channel(front, c) * grey(m) + channel(old, c) * (255 - grey(m))) / 255;
        });
    });
    closeContext();
    makeTarget(16, 12, DrawMode::Blend);
    paintText(2, 3, "ab", front, 0);
    expectCell(2, 3, "ab", [&](Colour old, const Coverage& m) {
        const int k = 64 * (m[0] + m[1] + m[2]) / 765;
        return perChannel(
            [&](int c) { return (channel(front, c) * k + channel(old, c) * (255 - k)) / 255; });
    });
    // A reset goes back to each channel's own coverage.
    closeContext();
    resetRaster();
    makeTarget(16, 12, DrawMode::TransparentBackground);
    paintText(1, 3, "a", front, 0);
    expectCell(1, 3, "a", [&](Colour old, const Coverage& m) {
        return perChannel([&](int c) {
            return (channel(front, c) * m[c] + channel(old, c) * (255 - m[c])) / 255;
        });
    });
}

TEST_F(PaintTextTest, BlendLeavesPixelsWhoseWeightTruncatesToZero) {
    os.glyphCoverage[0] = 2;
    os.glyphCoverage[1] = 0;
    os.glyphCoverage[2] = 0;
    makeTarget(10, 10, DrawMode::Blend);
    paintText(0, 0, "ab", makeColourAlpha(255, 255, 255, 255), 0);  // k = 510 / 765 = 0
    paintText(1, 1, "ab", makeColour(255, 255, 255), 0);            // alpha 0
    EXPECT_EQ(allPixels(*target), before);
}

TEST_F(PaintTextTest, XorFlipsTheCoveredShareOfTheColourAndTwiceRestores) {
    makeTarget(16, 12, DrawMode::Xor);
    const Colour front = makeColour(255, 200, 17);
    paintText(4, 2, "ab", front, 0);
    expectCell(4, 2, "ab", [&](Colour old, const Coverage& m) {
        return perChannel(
            [&](int c) { return channel(old, c) ^ (channel(front, c) * m[c] / 255); });
    });
    paintText(4, 2, "ab", front, 0);
    EXPECT_EQ(allPixels(*target), before);
}

TEST_F(PaintTextTest, TextStartingLeftOfTheTargetShowsItsVisiblePartInPlace) {
    for (const int x : {-1, -5, -9, -11}) {
        SCOPED_TRACE(x);
        makeTarget(12, 10, DrawMode::TransparentBackground);
        const Colour front = makeColour(255, 255, 255);
        EXPECT_EQ(paintText(x, 1, "abc", front, 0), x + 3 * kAdvance);
        expectCell(x, 1, "abc", [&](Colour old, const Coverage& m) {
            return perChannel([&](int c) {
                return (channel(front, c) * m[c] + channel(old, c) * (255 - m[c])) / 255;
            });
        });
        closeContext();
    }
}

TEST_F(PaintTextTest, CellIsClippedAtEveryEdge) {
    const Colour front = makeColour(200, 60, 250);
    const Colour back = makeColour(0, 0, 0);
    const auto opaque = [&](Colour, const Coverage& m) {
        return perChannel([&](int c) {
            return (channel(back, c) * (255 - m[c]) + channel(front, c) * m[c]) / 255;
        });
    };
    struct Place {
        int x;
        int y;
    };
    // Right, bottom, both, top, top-left, and wider than the target on both sides.
    for (const Place p :
         {Place{9, 0}, Place{0, 6}, Place{10, 7}, Place{2, -3}, Place{-6, -5}, Place{-3, 2}}) {
        SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
        makeTarget(12, 10, DrawMode::Opaque);
        paintText(p.x, p.y, "abcd", front, back);
        expectCell(p.x, p.y, "abcd", opaque);
        closeContext();
    }
}

TEST_F(PaintTextTest, TextWhollyOutsideDrawsNothingButStillAdvances) {
    makeTarget(10, 10, DrawMode::Opaque);
    EXPECT_EQ(paintText(10, 0, "ab", 0xFFFFFF, 0), 10 + 2 * kAdvance);
    EXPECT_EQ(paintText(-8, 0, "ab", 0xFFFFFF, 0), 0);
    EXPECT_EQ(paintText(0, 10, "ab", 0xFFFFFF, 0), 2 * kAdvance);
    EXPECT_EQ(paintText(0, -8, "ab", 0xFFFFFF, 0), 2 * kAdvance);
    EXPECT_EQ(allPixels(*target), before);
    EXPECT_TRUE(os.textRenders.empty());
}

TEST_F(PaintTextTest, EmptyTextDrawsNothingAndReturnsX) {
    makeTarget(10, 10, DrawMode::Opaque);
    EXPECT_EQ(paintText(3, 4, "", 0xFFFFFF, 0), 3);
    EXPECT_EQ(allPixels(*target), before);
    EXPECT_TRUE(os.textRenders.empty());
}

TEST_F(PaintTextTest, WithoutAFontOrATargetNothingIsDrawn) {
    makeTarget(10, 10, DrawMode::Opaque);
    selectFont(0);
    EXPECT_EQ(paintText(3, 4, "ab", 0xFFFFFF, 0), 3);
    EXPECT_EQ(allPixels(*target), before);
    closeContext();
    // Outside a drawing context the width is still measured.
    selectFont(fontHandle(1));
    EXPECT_EQ(paintText(3, 4, "ab", 0xFFFFFF, 0), 3 + 2 * kAdvance);
    EXPECT_TRUE(os.textRenders.empty());
}

TEST_F(PaintTextTest, CoverageOfAnEarlierCallNeverShowsInALaterOne) {
    makeTarget(20, 10, DrawMode::Opaque);
    const Colour front = makeColour(255, 255, 255);
    const Colour back = makeColour(0, 0, 0);
    paintText(0, 0, "abcde", front, back);
    const uint8_t* buffer = detail::rasterState().context.textCoverage.data();
    ASSERT_NE(buffer, nullptr);

    // A smaller glyph box in the same place: the ring the first call covered must be clear.
    os.glyphInset = 2;
    before = allPixels(*target);
    paintText(1, 1, "ab", front, back);
    expectCell(1, 1, "ab", [&](Colour, const Coverage& m) {
        return perChannel([&](int c) { return (channel(front, c) * m[c]) / 255; });
    });
    // A call that fits the buffer made before does not make another.
    EXPECT_EQ(detail::rasterState().context.textCoverage.data(), buffer);
}

TEST_F(PaintTextTest, TheRasteriserGetsABufferAsWideAsTheTargetAndTheShiftedStart) {
    makeTarget(14, 9, DrawMode::Opaque);
    paintText(-5, 0, "abc", 0xFFFFFF, 0);
    paintText(6, 0, "abc", 0xFFFFFF, 0);
    ASSERT_EQ(os.textRenders.size(), 2u);
    EXPECT_EQ(os.textRenders[0].x, -5);
    EXPECT_EQ(os.textRenders[0].text, "abc");
    EXPECT_EQ(os.textRenders[1].x, 0);
}

TEST_F(PaintTextTest, ThirtyTwoBitTargetsKeepTheirAlpha) {
    RasterImage* image = newImage(1, 8, 8, 32, makeColour(10, 20, 30));
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(openContext(1), 1);
    setMode(DrawMode::TransparentBackground);
    os.glyphCoverage[0] = os.glyphCoverage[1] = os.glyphCoverage[2] = 255;
    selectFont(openFont(1, "Face", kHeight, 0));
    paintText(0, 0, "a", makeColour(200, 100, 50), 0);
    EXPECT_EQ(rawPixel(*image, 1, 1), makeColourAlpha(200, 100, 50, 255));
    EXPECT_EQ(rawPixel(*image, 0, 0), makeColourAlpha(10, 20, 30, 255));
}

}  // namespace
}  // namespace drape::raster::testing
