#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "raster/pixel_ops.h"
#include "raster/raster.h"
#include "raster_test_support.h"

namespace drape::raster::testing {
namespace {

using DrawModes = RasterTest;

constexpr Colour kWhite = makeColour(255, 255, 255);

TEST(Div255, MatchesIntegerDivisionOverTheWholeRange) {
    for (uint32_t x = 0; x <= 65534; ++x) {
        ASSERT_EQ(detail::div255(static_cast<uint16_t>(x)), x / 255) << x;
    }
}

// A 4x4 24-bit image whose pixels all differ, opened for drawing.
RasterImage& patterned4x4() {
    RasterImage& image = *newImage(1, 4, 4, 24, 0);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            setRawPixel(image, x, y, makeColour(16 * x + 3, 16 * y + 5, 60 + x + 4 * y));
        }
    }
    EXPECT_NE(openContext(1), 0);
    return image;
}

// Which pixels of `image` differ from `before`, as "x,y" strings.
std::vector<std::string> changedPixels(const RasterImage& image,
                                       const std::vector<Colour>& before) {
    std::vector<std::string> changed;
    const std::vector<Colour> now = allPixels(image);
    for (size_t i = 0; i < now.size(); ++i) {
        if (now[i] != before[i]) {
            changed.push_back(std::to_string(i % 4) + "," + std::to_string(i / 4));
        }
    }
    return changed;
}

// Every operation that writes single pixels, each writing only pixel (1, 1).
struct PixelOperation {
    const char* name;
    std::function<void(Colour)> draw;
};

const std::vector<PixelOperation>& writersOfPixel11() {
    static const std::vector<PixelOperation> operations = {
        {"putPixel", [](Colour c) { putPixel(1, 1, c); }},
        {"fillRect", [](Colour c) { fillRect(1, 1, 1, 1, c); }},
        {"fillRectFlipped", [](Colour c) { fillRect(2, 2, -1, -1, c); }},
        {"fillRectCurrent",
         [](Colour c) {
             setCurrentColour(c);
             fillRectCurrent(1, 1, 1, 1);
         }},
        {"point line", [](Colour c) { drawLine(1, 1, 1, 1, c); }},
    };
    return operations;
}

struct ModeCase {
    DrawMode mode;
    Colour old;
    Colour colour;
    Colour expected;
};

TEST_F(DrawModes, EveryPixelWriterAppliesTheModeArithmetic) {
    const std::vector<ModeCase> cases = {
        // Opaque and TransparentBackground write the colour and ignore its alpha.
        {DrawMode::Opaque, makeColour(1, 2, 3), makeColourAlpha(10, 20, 30, 40),
         makeColour(10, 20, 30)},
        {DrawMode::TransparentBackground, makeColour(1, 2, 3), makeColourAlpha(10, 20, 30, 0),
         makeColour(10, 20, 30)},
        // Xor flips the bits of each byte.
        {DrawMode::Xor, makeColour(10, 200, 255), kWhite, makeColour(245, 55, 0)},
        {DrawMode::Xor, makeColour(0x0F, 0xF0, 0x55), makeColourAlpha(0xFF, 0x0F, 0xAA, 9),
         makeColour(0xF0, 0xFF, 0xFF)},
        // Blend: (old * (255 - a) + new * a) / 255, truncating.
        {DrawMode::Blend, kWhite, makeColourAlpha(0, 0, 0, 64), makeColour(191, 191, 191)},
        {DrawMode::Blend, makeColour(200, 0, 255), makeColourAlpha(100, 255, 0, 128),
         makeColour(149, 128, 127)},
        {DrawMode::Blend, makeColour(7, 8, 9), makeColour(200, 200, 200), makeColour(7, 8, 9)},
        {DrawMode::Blend, makeColour(7, 8, 9), makeColourAlpha(200, 201, 202, 255),
         makeColour(200, 201, 202)},
        {DrawMode::Blend, makeColour(0, 255, 1), makeColourAlpha(255, 0, 254, 1),
         makeColour(1, 254, 1)},
    };
    for (const PixelOperation& operation : writersOfPixel11()) {
        for (const ModeCase& c : cases) {
            SCOPED_TRACE(std::string(operation.name) + " mode " +
                         std::to_string(static_cast<int>(c.mode)) + " colour " +
                         std::to_string(c.colour));
            RasterImage& image = patterned4x4();
            setRawPixel(image, 1, 1, c.old);
            const std::vector<Colour> before = allPixels(image);
            setMode(c.mode);
            operation.draw(c.colour);
            EXPECT_EQ(rawPixel(image, 1, 1), c.expected);
            const std::vector<std::string> expectedChange =
                c.expected == c.old ? std::vector<std::string>{} : std::vector<std::string>{"1,1"};
            EXPECT_EQ(changedPixels(image, before), expectedChange);
        }
    }
}

TEST_F(DrawModes, FillRectWithNegativeWidthFillsLeftOfX) {
    RasterImage& image = *newImage(1, 30, 2, 24, 0);
    ASSERT_NE(openContext(1), 0);
    fillRect(20, 0, -10, 1, kWhite);
    for (int x = 0; x < 30; ++x) {
        EXPECT_EQ(rawPixel(image, x, 0), x >= 10 && x <= 19 ? kWhite : 0u) << x;
        EXPECT_EQ(rawPixel(image, x, 1), 0u) << x;
    }
}

// Runs fillRect on a black 4x4 image and returns the covered pixels as "x,y".
std::vector<std::string> filled4x4(int x, int y, int width, int height) {
    resetRaster();
    RasterImage& image = *newImage(1, 4, 4, 24, 0);
    EXPECT_NE(openContext(1), 0);
    fillRect(x, y, width, height, kWhite);
    std::vector<std::string> covered;
    for (int py = 0; py < 4; ++py) {
        for (int px = 0; px < 4; ++px) {
            if (rawPixel(image, px, py) == kWhite) {
                covered.push_back(std::to_string(px) + "," + std::to_string(py));
            } else {
                EXPECT_EQ(rawPixel(image, px, py), 0u);
            }
        }
    }
    return covered;
}

TEST_F(DrawModes, FillRectFlipsAndClips) {
    using V = std::vector<std::string>;
    EXPECT_EQ(filled4x4(1, 1, 2, 2), (V{"1,1", "2,1", "1,2", "2,2"}));
    EXPECT_EQ(filled4x4(3, 3, -2, -2), (V{"1,1", "2,1", "1,2", "2,2"}));
    EXPECT_EQ(filled4x4(-2, -1, 4, 3), (V{"0,0", "1,0", "0,1", "1,1"}));
    EXPECT_EQ(filled4x4(3, 2, 100, 100), (V{"3,2", "3,3"}));
    EXPECT_EQ(filled4x4(0, 5, 4, -2), (V{"0,3", "1,3", "2,3", "3,3"}));
    EXPECT_EQ(filled4x4(-1, -1, 6, 6).size(), 16u);
    // Empty and fully outside rectangles draw nothing.
    EXPECT_EQ(filled4x4(1, 1, 0, 3), V{});
    EXPECT_EQ(filled4x4(1, 1, 3, 0), V{});
    EXPECT_EQ(filled4x4(4, 0, 3, 3), V{});
    EXPECT_EQ(filled4x4(-3, 0, 3, 3), V{});
    EXPECT_EQ(filled4x4(0, -3, 3, 3), V{});
    // Extreme values neither overflow nor wrap around.
    EXPECT_EQ(filled4x4(INT_MIN, INT_MIN, INT_MAX, INT_MAX), V{});
    EXPECT_EQ(filled4x4(INT_MAX, INT_MAX, INT_MAX, INT_MAX), V{});
    EXPECT_EQ(filled4x4(INT_MAX, INT_MAX, INT_MIN, INT_MIN).size(), 16u);
    EXPECT_EQ(filled4x4(2, 3, INT_MIN, 1), (V{"0,3", "1,3"}));
}

// Spans are processed in blocks with a colour pattern; compare whole fills against the same
// pixels written one by one, for every mode, both depths, widths around the block size and
// images with padding.
TEST_F(DrawModes, FillsMatchPixelByPixelWrites) {
    std::mt19937 random(1234);
    const DrawMode modes[] = {DrawMode::Opaque, DrawMode::TransparentBackground, DrawMode::Xor,
                              DrawMode::Blend};
    for (int depth : {24, 32}) {
        for (int round = 0; round < 300; ++round) {
            const int width = 1 + static_cast<int>(random() % 70);
            const int height = 1 + static_cast<int>(random() % 4);
            RasterImage& filled = *newImage(1, width, height, depth, 0);
            scramble(filled, random);
            ASSERT_NE(duplicateImage(1, 2), 0);
            RasterImage& reference = *imageHandle(2);

            const int x = static_cast<int>(random() % 90) - 10;
            const int y = static_cast<int>(random() % 8) - 2;
            const int w = static_cast<int>(random() % 100) - 20;
            const int h = static_cast<int>(random() % 8) - 2;
            const DrawMode mode = modes[random() % 4];
            Colour colour = static_cast<Colour>(random());
            if (round % 5 == 0) {
                colour &= 0x00FFFFFFu;  // alpha 0
            } else if (round % 5 == 1) {
                colour |= 0xFF000000u;  // alpha 255
            }
            SCOPED_TRACE("depth " + std::to_string(depth) + " round " + std::to_string(round));

            ASSERT_NE(openContext(1), 0);
            setMode(mode);
            fillRect(x, y, w, h, colour);

            ASSERT_NE(openContext(2), 0);
            setMode(mode);
            const int left = w < 0 ? x + w : x;
            const int top = h < 0 ? y + h : y;
            for (int py = top; py < top + std::abs(h); ++py) {
                for (int px = left; px < left + std::abs(w); ++px) {
                    putPixel(px, py, colour);
                }
            }
            closeContext();
            ASSERT_EQ(filled.pixels, reference.pixels);
        }
    }
}

TEST_F(DrawModes, DrawingOn32BitImagesKeepsTheirAlpha) {
    RasterImage& image = *newImage(1, 3, 1, 32, makeColourAlpha(100, 100, 100, 0));
    setRawPixel(image, 1, 0, makeColourAlpha(100, 100, 100, 77));
    ASSERT_NE(openContext(1), 0);
    fillRect(0, 0, 3, 1, makeColourAlpha(1, 2, 3, 4));
    EXPECT_EQ(allPixels(image),
              (std::vector<Colour>{makeColourAlpha(1, 2, 3, 255), makeColourAlpha(1, 2, 3, 77),
                                   makeColourAlpha(1, 2, 3, 255)}));
    setMode(DrawMode::Xor);
    drawLine(0, 0, 2, 0, kWhite);
    EXPECT_EQ(rawPixel(image, 2, 0), makeColourAlpha(254, 253, 252, 255));
    // Read back, a pixel has alpha 0.
    EXPECT_EQ(pixelAt(1, 0), makeColour(254, 253, 252));
}

TEST_F(DrawModes, PixelsOutsideTheTargetAreIgnored) {
    RasterImage& image = patterned4x4();
    const std::vector<Colour> before = allPixels(image);
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {4, 0}, {0, 4}, {INT_MIN, INT_MAX}}) {
        putPixel(x, y, kWhite);
        EXPECT_EQ(pixelAt(x, y), 0u);
    }
    EXPECT_EQ(allPixels(image), before);
    EXPECT_EQ(pixelAt(3, 2), makeColour(51, 37, 71));
}

TEST_F(DrawModes, ANewContextStartsOpaqueWithWhite) {
    RasterImage& image = *newImage(1, 2, 1, 24, makeColour(10, 200, 255));
    ASSERT_NE(openContext(1), 0);
    setMode(DrawMode::Xor);
    setCurrentColour(makeColour(1, 1, 1));
    closeContext();
    fillRect(0, 0, 2, 1, 0);  // no context: nothing happens
    EXPECT_EQ(rawPixel(image, 0, 0), makeColour(10, 200, 255));
    ASSERT_NE(openContext(1), 0);
    fillRectCurrent(0, 0, 1, 1);
    EXPECT_EQ(rawPixel(image, 0, 0), kWhite);
    EXPECT_EQ(rawPixel(image, 1, 0), makeColour(10, 200, 255));
}

}  // namespace
}  // namespace drape::raster::testing
