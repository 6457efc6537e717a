#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "raster/raster.h"
#include "raster_test_support.h"

namespace drape::raster::testing {
namespace {

using Lines = RasterTest;
using Point = std::pair<int64_t, int64_t>;

constexpr Colour kWhite = makeColour(255, 255, 255);

// Bresenham's walk over the whole line, pixel by pixel as the textbook writes it.
std::vector<Point> naiveLine(int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
    std::vector<Point> points;
    const int64_t dx = std::llabs(x2 - x1);
    const int64_t dy = std::llabs(y2 - y1);
    const int64_t sx = x2 >= x1 ? 1 : -1;
    const int64_t sy = y2 >= y1 ? 1 : -1;
    int64_t x = x1;
    int64_t y = y1;
    if (dx >= dy) {
        int64_t d = 2 * dy - dx;
        for (int64_t i = 0; i <= dx; ++i, x += sx) {
            points.emplace_back(x, y);
            if (d > 0) {
                y += sy;
                d -= 2 * dx;
            }
            d += 2 * dy;
        }
    } else {
        int64_t d = 2 * dx - dy;
        for (int64_t i = 0; i <= dy; ++i, y += sy) {
            points.emplace_back(x, y);
            if (d > 0) {
                x += sx;
                d -= 2 * dy;
            }
            d += 2 * dx;
        }
    }
    return points;
}

// The white pixels of a black image after drawing one white line on it.
std::set<Point> drawnOnBlack(int width, int height, int x1, int y1, int x2, int y2) {
    resetRaster();
    const RasterImage& image = *newImage(1, width, height, 24, 0);
    EXPECT_NE(openContext(1), 0);
    drawLine(x1, y1, x2, y2, kWhite);
    std::set<Point> drawn;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Colour c = rawPixel(image, x, y);
            if (c == kWhite) {
                drawn.emplace(x, y);
            } else {
                EXPECT_EQ(c, 0u) << x << "," << y;
            }
        }
    }
    return drawn;
}

TEST_F(Lines, SlopedLineOnASmallImage) {
    const std::set<Point> expected = {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}};
    EXPECT_EQ(drawnOnBlack(6, 4, 0, 0, 5, 2), expected);
    EXPECT_EQ(drawnOnBlack(6, 4, 5, 2, 0, 0), expected);
    // Steep: one pixel per row.
    EXPECT_EQ(drawnOnBlack(4, 6, 3, 0, 1, 5),
              (std::set<Point>{{3, 0}, {3, 1}, {2, 2}, {2, 3}, {1, 4}, {1, 5}}));
    EXPECT_EQ(drawnOnBlack(4, 4, 0, 3, 3, 0), (std::set<Point>{{0, 3}, {1, 2}, {2, 1}, {3, 0}}));
}

TEST_F(Lines, HorizontalAndVerticalLinesCoverBothEndsAndClip) {
    EXPECT_EQ(drawnOnBlack(4, 4, 3, 1, 1, 1), (std::set<Point>{{1, 1}, {2, 1}, {3, 1}}));
    EXPECT_EQ(drawnOnBlack(4, 4, 2, 0, 2, 2), (std::set<Point>{{2, 0}, {2, 1}, {2, 2}}));
    EXPECT_EQ(drawnOnBlack(4, 4, 10, 1, -10, 1), (std::set<Point>{{0, 1}, {1, 1}, {2, 1}, {3, 1}}));
    EXPECT_EQ(drawnOnBlack(4, 4, 2, 5, 2, -3), (std::set<Point>{{2, 0}, {2, 1}, {2, 2}, {2, 3}}));
    EXPECT_EQ(drawnOnBlack(4, 4, 2, 2, 2, 2), (std::set<Point>{{2, 2}}));
    EXPECT_EQ(drawnOnBlack(4, 4, -1, 0, -1, 3), std::set<Point>{});
    EXPECT_EQ(drawnOnBlack(4, 4, 0, 4, 3, 4), std::set<Point>{});
    EXPECT_EQ(drawnOnBlack(4, 4, INT_MIN, 3, INT_MAX, 3),
              (std::set<Point>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));
    EXPECT_EQ(drawnOnBlack(4, 4, 0, INT_MAX, 0, INT_MIN),
              (std::set<Point>{{0, 0}, {0, 1}, {0, 2}, {0, 3}}));
}

TEST_F(Lines, ExtremeCoordinatesDoNotOverflow) {
    // Rounding at the exact middle of a 2^32 - 1 long line puts x = 0 onward on row 1.
    EXPECT_EQ(drawnOnBlack(5, 3, INT_MIN, 0, INT_MAX, 1),
              (std::set<Point>{{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}}));
    EXPECT_EQ(drawnOnBlack(3, 5, 0, INT_MIN, 1, INT_MAX),
              (std::set<Point>{{1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}}));
    EXPECT_EQ(drawnOnBlack(5, 3, INT_MIN, INT_MIN, INT_MAX, INT_MAX),
              (std::set<Point>{{0, 0}, {1, 1}, {2, 2}}));
    // x + y = -1 along the whole line: it passes next to the image.
    EXPECT_EQ(drawnOnBlack(5, 3, INT_MAX, INT_MIN, INT_MIN, INT_MAX), std::set<Point>{});
    EXPECT_EQ(drawnOnBlack(5, 3, INT_MAX, INT_MAX, INT_MAX - 7, INT_MIN), std::set<Point>{});
}

// Draws lines with drawLine and with the naive walk plus putPixel, in Xor mode so that a
// pixel drawn twice would show, and compares the images.
void expectSameAsNaive(int width, int height, const std::vector<std::array<int, 4>>& lines) {
    std::mt19937 random(99);
    for (const auto& [x1, y1, x2, y2] : lines) {
        resetRaster();
        RasterImage& drawn = *newImage(1, width, height, 24, 0);
        scramble(drawn, random);
        ASSERT_NE(duplicateImage(1, 2), 0);
        const Colour colour = static_cast<Colour>(random()) | 0x00808080u;
        ASSERT_NE(openContext(1), 0);
        setMode(DrawMode::Xor);
        drawLine(x1, y1, x2, y2, colour);
        ASSERT_NE(openContext(2), 0);
        setMode(DrawMode::Xor);
        for (const auto& [x, y] : naiveLine(x1, y1, x2, y2)) {
            putPixel(static_cast<int>(x), static_cast<int>(y), colour);
        }
        closeContext();
        ASSERT_EQ(drawn.pixels, imageHandle(2)->pixels)
            << "line " << x1 << "," << y1 << " to " << x2 << "," << y2;
    }
}

int uniform(std::mt19937& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

TEST_F(Lines, ClippedLinesMatchTheWholeWalkNearTheImage) {
    std::mt19937 random(7);
    std::vector<std::array<int, 4>> lines;
    for (int i = 0; i < 3000; ++i) {
        lines.push_back({uniform(random, -30, 40), uniform(random, -30, 40),
                         uniform(random, -30, 40), uniform(random, -30, 40)});
    }
    expectSameAsNaive(13, 9, lines);
}

TEST_F(Lines, ClippedLinesMatchTheWholeWalkFromFarAway) {
    std::mt19937 random(8);
    std::vector<std::array<int, 4>> lines;
    for (int i = 0; i < 600; ++i) {
        // One end far out, the other near the image, so most lines cross it.
        lines.push_back({uniform(random, -4000, 4000), uniform(random, -4000, 4000),
                         uniform(random, -20, 30), uniform(random, -20, 30)});
        lines.push_back({uniform(random, -20, 30), uniform(random, -20, 30),
                         uniform(random, -4000, 4000), uniform(random, -4000, 4000)});
        lines.push_back({uniform(random, -4000, 4000), uniform(random, -4000, 4000),
                         uniform(random, -4000, 4000), uniform(random, -4000, 4000)});
    }
    expectSameAsNaive(13, 9, lines);
}

// Lines of nearly 2^32 pixels cannot be walked naively. A line of m * (p, q) steps has the
// pixels of the short line (p, q) repeated m times (Bresenham's decision depends only on the
// ratio), which gives the expected pixels at any distance from the start.
TEST_F(Lines, HugeLinesMatchTheirRepeatedShortLine) {
    constexpr int kSide = 23;
    std::mt19937 random(11);
    int linesDrawn = 0;
    for (int round = 0; round < 400; ++round) {
        const int64_t p = uniform(random, 2, 50);
        const int64_t q = uniform(random, 1, static_cast<int>(p) - 1);
        std::vector<int64_t> shortK(static_cast<size_t>(p));
        for (const auto& [x, y] : naiveLine(0, 0, p, q)) {
            if (x < p) {
                shortK[static_cast<size_t>(x)] = y;
            }
        }
        auto minorSteps = [&](int64_t i) {
            return (i / p) * q + shortK[static_cast<size_t>(i % p)];
        };

        const int64_t x1 = -(int64_t{1} << 31) + (int64_t{1} << 20) + uniform(random, 0, 1000);
        const int64_t m = ((int64_t{1} << 32) - (int64_t{1} << 21)) / p;
        const int64_t x2 = x1 + m * p;
        const int64_t y1 = kSide / 2 - minorSteps(kSide / 2 - x1) + uniform(random, -15, 15);
        const int64_t y2 = y1 + m * q;

        std::vector<Point> expected;
        for (int64_t x = 0; x < kSide; ++x) {
            const int64_t y = y1 + minorSteps(x - x1);
            if (y >= 0 && y < kSide) {
                expected.emplace_back(x, y);
            }
        }
        // Mirrors and the transpose give every direction and both major axes.
        const bool mirrorX = (round & 1) != 0;
        const bool mirrorY = (round & 2) != 0;
        const bool transpose = (round & 4) != 0;
        auto place = [&](int64_t x, int64_t y) {
            x = mirrorX ? kSide - 1 - x : x;
            y = mirrorY ? kSide - 1 - y : y;
            return transpose ? Point{y, x} : Point{x, y};
        };
        const Point a = place(x1, y1);
        const Point b = place(x2, y2);
        for (int64_t v : {a.first, a.second, b.first, b.second}) {
            ASSERT_GE(v, INT_MIN);
            ASSERT_LE(v, INT_MAX);
        }
        std::set<Point> expectedSet;
        for (const auto& [x, y] : expected) {
            expectedSet.insert(place(x, y));
        }
        EXPECT_EQ(drawnOnBlack(kSide, kSide, static_cast<int>(a.first), static_cast<int>(a.second),
                               static_cast<int>(b.first), static_cast<int>(b.second)),
                  expectedSet)
            << "p " << p << " q " << q << " round " << round;
        linesDrawn += expectedSet.empty() ? 0 : 1;
    }
    EXPECT_GT(linesDrawn, 200);
}

}  // namespace
}  // namespace drape::raster::testing
