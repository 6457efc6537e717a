#include "platform/posix/x11_bitmap.h"

#include <gtest/gtest.h>

#include <vector>

#include "x11_test_support.h"

namespace drape::platform::posix::testing {
namespace {

// Six distinct colours on a 3 x 2 bitmap: a row of 9 bytes is padded to 12.
Colour sample(int x, int y) {
    return {10 * x + 1, 20 * y + 2, 30 + x + y};
}

constexpr PixelFormat kXrgb{32, false, 0xFF0000, 0xFF00, 0xFF};

void put32(std::string& file, size_t at, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) {
        file[at + i] = static_cast<char>(value >> (8 * i));
    }
}

TEST(Bmp24Reading, ReadsEveryPixelOfDrapesBitmap) {
    const std::string file = bmp24(3, 2, sample);
    std::string problem;
    const std::optional<Bmp24> bitmap = readBmp24(file, problem);
    ASSERT_TRUE(bitmap) << problem;
    EXPECT_EQ(bitmap->width, 3);
    EXPECT_EQ(bitmap->height, 2);
    EXPECT_EQ(bitmap->stride, 12u);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            const uint8_t* bgr = bitmap->at(x, y);
            EXPECT_EQ((Colour{bgr[2], bgr[1], bgr[0]}), sample(x, y)) << x << "," << y;
        }
    }
}

TEST(Bmp24Reading, RefusesEverythingElse) {
    const std::string good = bmp24(3, 2, sample);
    struct Case {
        const char* what;
        std::function<void(std::string&)> spoil;
        const char* problem;
    };
    const std::vector<Case> cases = {
        {"other signature", [](std::string& f) { f[1] = 'A'; }, "not a BMP file"},
        {"header cut short", [](std::string& f) { f.resize(53); }, "not a BMP file"},
        {"V5 header", [](std::string& f) { put32(f, 14, 124); }, "not an uncompressed 24-bit BMP"},
        {"32 bits", [](std::string& f) { f[28] = 32; }, "not an uncompressed 24-bit BMP"},
        {"two planes", [](std::string& f) { f[26] = 2; }, "not an uncompressed 24-bit BMP"},
        {"RLE", [](std::string& f) { put32(f, 30, 1); }, "not an uncompressed 24-bit BMP"},
        {"rows top-down", [](std::string& f) { put32(f, 22, static_cast<uint32_t>(-2)); }, nullptr},
        {"no columns", [](std::string& f) { put32(f, 18, 0); }, nullptr},
        {"wider than a pixmap", [](std::string& f) { put32(f, 18, 32768); }, nullptr},
        {"pixels cut short", [](std::string& f) { f.pop_back(); },
         "the BMP file is shorter than its pixels"},
        {"pixels past the end", [](std::string& f) { put32(f, 10, 60); },
         "the BMP file is shorter than its pixels"},
        {"offset inside the header", [](std::string& f) { put32(f, 10, 40); },
         "the BMP file is shorter than its pixels"},
    };
    for (const Case& c : cases) {
        std::string file = good;
        c.spoil(file);
        std::string problem;
        EXPECT_FALSE(readBmp24(file, problem)) << c.what;
        if (c.problem != nullptr) {
            EXPECT_EQ(problem, c.problem) << c.what;
        } else {
            EXPECT_NE(problem.find("is not shown"), std::string::npos) << c.what << ": " << problem;
        }
    }
}

TEST(Bmp24Reading, TakesTheLargestSideAPixmapHas) {
    const std::string file = solidBmp(32767, 1, kRed);
    std::string problem;
    const std::optional<Bmp24> bitmap = readBmp24(file, problem);
    ASSERT_TRUE(bitmap) << problem;
    EXPECT_EQ(bitmap->stride, 98304u);  // 98301 rounded up to a multiple of 4
    EXPECT_EQ(bitmap->at(32766, 0)[2], 127);
}

TEST(PixelFormats, PackableAreTrueColourLayoutsOf24And32Bits) {
    EXPECT_TRUE(isPackable(kXrgb));
    EXPECT_TRUE(isPackable({24, true, 0xFF0000, 0xFF00, 0xFF}));
    EXPECT_TRUE(isPackable({32, false, 0xFF, 0xFF00, 0xFF0000}));
    EXPECT_TRUE(isPackable({32, false, 0x3FF00000, 0xFFC00, 0x3FF}));  // depth 30

    EXPECT_FALSE(isPackable({16, false, 0xF800, 0x7E0, 0x1F}));
    EXPECT_FALSE(isPackable({8, false, 0xE0, 0x1C, 0x3}));
    EXPECT_FALSE(isPackable({24, false, 0xFF000000, 0xFF00, 0xFF}));  // beyond 24 bits
    EXPECT_FALSE(isPackable({32, false, 0xFF0000, 0xFFFF00, 0xFF}));  // overlapping
    EXPECT_FALSE(isPackable({32, false, 0xF0F000, 0xFF00, 0xFF}));    // not contiguous
    EXPECT_FALSE(isPackable({32, false, 0, 0xFF00, 0xFF}));
}

TEST(PixelFormats, ChannelsScaleToTheirMasks) {
    EXPECT_EQ(pixelValue(127, 0, 0, kXrgb), 0x7F0000u);
    EXPECT_EQ(pixelValue(1, 2, 3, kXrgb), 0x010203u);
    EXPECT_EQ(pixelValue(1, 2, 3, {32, false, 0xFF, 0xFF00, 0xFF0000}), 0x030201u);
    const PixelFormat tenBits{32, false, 0x3FF00000, 0xFFC00, 0x3FF};
    EXPECT_EQ(pixelValue(255, 255, 255, tenBits), 0x3FFFFFFFu);
    EXPECT_EQ(pixelValue(0, 0, 0, tenBits), 0u);
    EXPECT_EQ(pixelValue(0, 0, 127, tenBits), 509u);  // 127 / 255 * 1023 = 509.5, rounded
    EXPECT_EQ(pixelValue(0, 0, 128, tenBits), 514u);
}

// Unpacks one pixel of a packed 32- or 24-bit row buffer.
uint32_t packedAt(const std::vector<uint8_t>& out, size_t bytesPerLine, int bytesPerPixel,
                  bool msbFirst, int x, int y) {
    uint32_t pixel = 0;
    for (int i = 0; i < bytesPerPixel; ++i) {
        const uint8_t byte =
            out[static_cast<size_t>(y) * bytesPerLine + static_cast<size_t>(x * bytesPerPixel + i)];
        const int shift = 8 * (msbFirst ? bytesPerPixel - 1 - i : i);
        pixel |= static_cast<uint32_t>(byte) << shift;
    }
    return pixel;
}

TEST(PackTile, WritesEveryPixelInTheServersByteOrder) {
    const std::string file = bmp24(3, 2, sample);
    std::string problem;
    const Bmp24 bitmap = *readBmp24(file, problem);
    for (const bool msbFirst : {false, true}) {
        for (const int bits : {32, 24}) {
            const PixelFormat format{bits, msbFirst, 0xFF0000, 0xFF00, 0xFF};
            // 3 pixels of 4 bytes, or of 3 bytes padded to the 32-bit scanline unit.
            const size_t bytesPerLine = 12;
            std::vector<uint8_t> out(bytesPerLine * 2, 0xAA);
            packTile(bitmap, 0, 0, format, bytesPerLine, out.data());
            for (int y = 0; y < 2; ++y) {
                for (int x = 0; x < 3; ++x) {
                    const Colour c = sample(x, y);
                    EXPECT_EQ(packedAt(out, bytesPerLine, bits / 8, msbFirst, x, y),
                              static_cast<uint32_t>(c.r << 16 | c.g << 8 | c.b))
                        << bits << " bits, msb " << msbFirst << " at " << x << "," << y;
                }
                if (bits == 24) {
                    for (size_t pad = 9; pad < 12; ++pad) {
                        EXPECT_EQ(out[static_cast<size_t>(y) * bytesPerLine + pad], 0) << pad;
                    }
                }
            }
        }
    }
}

TEST(PackTile, TurnsTheTileSoThatTheOriginLandsWhereAsked) {
    const std::string file = bmp24(3, 2, sample);
    std::string problem;
    const Bmp24 bitmap = *readBmp24(file, problem);
    // With the origin at (1, 1) the bitmap's first pixel lands at (1, 1); what lies left of and
    // above it is the bitmap's last column and row.
    std::vector<uint8_t> turned(12 * 2);
    packTile(bitmap, 1, 1, kXrgb, 12, turned.data());
    const int expectedColumns[3] = {2, 0, 1};
    for (int x = 0; x < 3; ++x) {
        const Colour top = sample(expectedColumns[x], 1);
        const Colour bottom = sample(expectedColumns[x], 0);
        EXPECT_EQ(packedAt(turned, 12, 4, false, x, 0),
                  static_cast<uint32_t>(top.r << 16 | top.g << 8 | top.b));
        EXPECT_EQ(packedAt(turned, 12, 4, false, x, 1),
                  static_cast<uint32_t>(bottom.r << 16 | bottom.g << 8 | bottom.b));
    }

    struct Case {
        int64_t originX;
        int64_t originY;
    };
    // Out pixel (x, y) shows bitmap pixel ((x - originX) mod 3, (y - originY) mod 2).
    for (const Case c :
         {Case{0, 0}, Case{1, 0}, Case{2, 1}, Case{-1, 0}, Case{7, -5}, Case{3000000001, 1}}) {
        std::vector<uint8_t> out(12 * 2);
        packTile(bitmap, c.originX, c.originY, kXrgb, 12, out.data());
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 3; ++x) {
                const int sx = static_cast<int>(((x - c.originX) % 3 + 3) % 3);
                const int sy = static_cast<int>(((y - c.originY) % 2 + 2) % 2);
                const Colour s = sample(sx, sy);
                EXPECT_EQ(packedAt(out, 12, 4, false, x, y),
                          static_cast<uint32_t>(s.r << 16 | s.g << 8 | s.b))
                    << "origin " << c.originX << "," << c.originY << " at " << x << "," << y;
            }
        }
    }
}

}  // namespace
}  // namespace drape::platform::posix::testing
