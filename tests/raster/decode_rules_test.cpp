// Tiny bitmaps and icons put together byte by byte, for the rules no tool can show: what the
// number holds after a read, the opaque 32-bit rule, what RLE leaves unset, how narrow bit
// fields widen, which icon entry wins, and which headers are refused.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "decode_test_support.h"
#include "platform/platform.h"
#include "raster/raster.h"
#include "raster_test_support.h"
#include "support/fake_platform.h"

namespace drape::raster::testing {
namespace {

Bytes le32Bytes(uint32_t v) {
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

void append(Bytes& to, const Bytes& more) {
    to.insert(to.end(), more.begin(), more.end());
}

// A 40-byte info header; `extra` (masks, colour table) follows it.
Bytes infoHeader(int32_t width, int32_t height, uint16_t bitCount, uint32_t compression,
                 uint32_t coloursUsed = 0) {
    Bytes h(40, 0);
    putLe32(h, 0, 40);
    putLe32(h, 4, static_cast<uint32_t>(width));
    putLe32(h, 8, static_cast<uint32_t>(height));
    putLe16(h, 12, 1);
    putLe16(h, 14, bitCount);
    putLe32(h, 16, compression);
    putLe32(h, 32, coloursUsed);
    return h;
}

// A BMP file: file header, info header, `extra`, pixels.
Bytes bmpFile(const Bytes& info, const Bytes& extra, const Bytes& pixels) {
    Bytes file = {'B', 'M'};
    const uint32_t offset = 14 + static_cast<uint32_t>(info.size() + extra.size());
    append(file, le32Bytes(offset + static_cast<uint32_t>(pixels.size())));
    append(file, le32Bytes(0));
    append(file, le32Bytes(offset));
    append(file, info);
    append(file, extra);
    append(file, pixels);
    return file;
}

// A 2x2 24-bit bitmap, rows bottom-up, each padded to 8 bytes.
Bytes twoByTwo24(int32_t width = 2, int32_t height = 2) {
    const Bytes pixels = {10, 20, 30, 40, 50, 60, 0, 0, 70, 80, 90, 100, 110, 120, 0, 0};
    return bmpFile(infoHeader(width, height, 24, 0), {}, pixels);
}

class DecodeRules : public RasterTest {
  protected:
    void SetUp() override {
        RasterTest::SetUp();
        platform::setCurrent(&fake_);
    }
    void TearDown() override {
        platform::setCurrent(nullptr);
        RasterTest::TearDown();
    }

    const RasterImage* decode(const Bytes& data) {
        return decodeImage(2, data.data(), data.size());
    }

    std::string file(const std::string& name, const Bytes& contents) {
        const std::string path = fake_.root + name;
        writeBytes(path, contents);
        return path;
    }

    test::FakePlatform fake_;
};

// --- What the number holds ------------------------------------------------------------------

TEST_F(DecodeRules, AFileThatCannotBeReadLeavesTheNumberAsItWas) {
    const RasterImage* old = newImage(2, 5, 5, 24, makeColour(1, 2, 3));
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(readImageFile(2, fake_.root + "missing.bmp"), nullptr);
    EXPECT_EQ(imageHandle(2), old);
    EXPECT_EQ(readImageFile(2, fake_.root), nullptr);  // a folder
    EXPECT_EQ(imageHandle(2), old);
    EXPECT_EQ(widthOf(2), 5);
}

TEST_F(DecodeRules, AFileReadButNotDecodedEmptiesTheNumber) {
    const Bytes notAnImage = {'h', 'e', 'l', 'l', 'o'};
    const Bytes brokenBitmap = {'B', 'M', 0, 0};  // a bitmap signature decides alone
    for (const Bytes& contents : {notAnImage, brokenBitmap, Bytes{}}) {
        ASSERT_NE(newImage(2, 5, 5, 24, 0), nullptr);
        EXPECT_EQ(readImageFile(2, file("bad.bin", contents)), nullptr);
        EXPECT_EQ(imageHandle(2), nullptr);
        EXPECT_EQ(widthOf(2), 0);
    }
}

TEST_F(DecodeRules, AFileDecodedReplacesTheNumbersImage) {
    ASSERT_NE(newImage(2, 5, 5, 24, 0), nullptr);
    const RasterImage* image = readImageFile(2, file("ok.bmp", twoByTwo24()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(imageHandle(2), image);
    EXPECT_EQ(image->format, ImageFormat::Bmp);
    EXPECT_EQ(image->depth, 24);
    // Bottom-up rows: the first stored row is the picture's last.
    EXPECT_EQ(allPixels(*image),
              (std::vector<Colour>{makeColour(90, 80, 70), makeColour(120, 110, 100),
                                   makeColour(30, 20, 10), makeColour(60, 50, 40)}));
}

TEST_F(DecodeRules, DecodingFromMemoryFollowsTheSameRules) {
    ASSERT_NE(newImage(3, 5, 5, 24, 0), nullptr);
    EXPECT_EQ(decodeImage(3, nullptr, 0), nullptr);
    EXPECT_EQ(imageHandle(3), nullptr);
    const Bytes ok = twoByTwo24();
    const RasterImage* image = decodeImage(3, ok.data(), ok.size());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(imageHandle(3), image);
    EXPECT_EQ(widthOf(3), 2);
}

// --- Bitmap headers -------------------------------------------------------------------------

TEST_F(DecodeRules, BitmapSizesOutsideTheLimitsAreRefused) {
    const int32_t sizes[][2] = {{40000, 2},  {2, 40000},    {32768, 1},     {0, 2},
                                {2, 0},      {-3, 2},       {INT32_MAX, 2}, {2, INT32_MIN},
                                {2, -40000}, {INT32_MIN, 2}};
    for (const auto& size : sizes) {
        EXPECT_EQ(decode(twoByTwo24(size[0], size[1])), nullptr) << size[0] << "x" << size[1];
    }
    const RasterImage* topDown = decode(twoByTwo24(2, -2));
    ASSERT_NE(topDown, nullptr);
    EXPECT_EQ(rawPixel(*topDown, 0, 0), makeColour(30, 20, 10));
}

TEST_F(DecodeRules, TheLargestSideIsAccepted) {
    Bytes row(static_cast<size_t>(kMaxImageSide) * 3 + 3, 7);
    const RasterImage* image = decode(bmpFile(infoHeader(kMaxImageSide, 1, 24, 0), {}, row));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, kMaxImageSide);
    EXPECT_EQ(rawPixel(*image, kMaxImageSide - 1, 0), makeColour(7, 7, 7));
}

TEST_F(DecodeRules, OffsetsThatLieAreRefused) {
    for (uint32_t offset : {20u, 53u, 70u, 0xFFFFFFFFu}) {
        Bytes file = twoByTwo24();
        putLe32(file, 10, offset);
        EXPECT_EQ(decode(file), nullptr) << offset;
    }
    Bytes shortPixels = twoByTwo24();
    shortPixels.resize(shortPixels.size() - 9);  // the last row loses more than its padding
    EXPECT_EQ(decode(shortPixels), nullptr);
    Bytes noPadding = twoByTwo24();
    noPadding.resize(noPadding.size() - 2);  // only the last row's padding is missing
    EXPECT_NE(decode(noPadding), nullptr);
}

TEST_F(DecodeRules, VariantsWindowsDoesNotShowAreRefused) {
    const Bytes pixels(64, 0);
    EXPECT_EQ(decode(bmpFile(infoHeader(2, 2, 2, 0), Bytes(16, 0), pixels)), nullptr);
    EXPECT_EQ(decode(bmpFile(infoHeader(2, 2, 24, 4), {}, pixels)), nullptr);  // JPEG inside
    EXPECT_EQ(decode(bmpFile(infoHeader(2, 2, 4, 1), Bytes(64, 0), pixels)), nullptr);
    EXPECT_EQ(decode(bmpFile(infoHeader(2, -2, 8, 1), Bytes(1024, 0), pixels)), nullptr);
    EXPECT_EQ(decode(bmpFile(infoHeader(2, 2, 24, 3), Bytes(12, 0xFF), pixels)), nullptr);
    Bytes os2v2 = infoHeader(2, 2, 24, 0);
    putLe32(os2v2, 0, 64);
    os2v2.resize(64, 0);
    EXPECT_EQ(decode(bmpFile(os2v2, {}, pixels)), nullptr);
}

// --- Pixel rules ----------------------------------------------------------------------------

TEST_F(DecodeRules, ThirtyTwoBitBitmapWithoutAnyAlphaIsOpaque) {
    const Bytes noAlpha = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0};
    const RasterImage* image = decode(bmpFile(infoHeader(2, 2, 32, 0), {}, noAlpha));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->depth, 32);
    EXPECT_EQ(allPixels(*image),
              (std::vector<Colour>{makeColourAlpha(9, 8, 7, 255), makeColourAlpha(12, 11, 10, 255),
                                   makeColourAlpha(3, 2, 1, 255), makeColourAlpha(6, 5, 4, 255)}));

    Bytes oneAlpha = noAlpha;
    oneAlpha[3] = 1;  // a single alpha byte keeps them all as stored
    image = decode(bmpFile(infoHeader(2, 2, 32, 0), {}, oneAlpha));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(allPixels(*image),
              (std::vector<Colour>{makeColourAlpha(9, 8, 7, 0), makeColourAlpha(12, 11, 10, 0),
                                   makeColourAlpha(3, 2, 1, 1), makeColourAlpha(6, 5, 4, 0)}));
}

TEST_F(DecodeRules, RlePixelsLeftUnsetAreBlackWhateverTheTableSays) {
    // Entry 0 is red, entry 1 green. Bottom row: a run of 2 green, then a delta of one pixel
    // right and one row up; the top row: a run of 5 that the 4-pixel row clips, end of bitmap.
    Bytes table = {0, 0, 255, 0, 0, 255, 0, 0};
    const Bytes stream = {2, 1, 0, 2, 1, 1, 5, 1, 0, 1};
    const RasterImage* image = decode(bmpFile(infoHeader(4, 2, 8, 1, 2), table, stream));
    ASSERT_NE(image, nullptr);
    const Colour black = makeColour(0, 0, 0);
    const Colour green = makeColour(0, 255, 0);
    EXPECT_EQ(allPixels(*image),
              (std::vector<Colour>{black, black, black, green, green, green, black, black}));
}

TEST_F(DecodeRules, RleStreamThatStopsBeforeThePictureEndsIsRefused) {
    const Bytes table = {0, 0, 255, 0, 0, 255, 0, 0};
    EXPECT_EQ(decode(bmpFile(infoHeader(4, 2, 8, 1, 2), table, {4, 1, 0, 0, 4})), nullptr);
    // An end of line after the last row ends the picture as well as an end of bitmap does.
    EXPECT_NE(decode(bmpFile(infoHeader(4, 2, 8, 1, 2), table, {4, 1, 0, 0, 4, 1, 0, 0})), nullptr);
}

TEST_F(DecodeRules, IndexesBeyondTheColourTableAreBlack) {
    const Bytes table = {50, 60, 70, 0};  // one entry
    const Bytes pixels = {0, 1, 200, 0};
    const RasterImage* image = decode(bmpFile(infoHeader(3, 1, 8, 0, 1), table, pixels));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(allPixels(*image), (std::vector<Colour>{makeColour(70, 60, 50), makeColour(0, 0, 0),
                                                      makeColour(0, 0, 0)}));
}

TEST_F(DecodeRules, NarrowBitFieldsRepeatTheirBitsUpToEightBits) {
    // 4-4-4 masks after the info header; pixels 0x0F81 and 0x0000.
    Bytes masks = le32Bytes(0x0F00);
    append(masks, le32Bytes(0x00F0));
    append(masks, le32Bytes(0x000F));
    const RasterImage* image =
        decode(bmpFile(infoHeader(2, 1, 16, 3), masks, {0x81, 0x0F, 0x00, 0x00}));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(allPixels(*image),
              (std::vector<Colour>{makeColour(255, 0x88, 0x11), makeColour(0, 0, 0)}));
}

TEST_F(DecodeRules, BitFieldsThatAreNotOneRunOrTooWideAreRefused) {
    for (uint32_t red : {0x0F0Fu, 0x1F0000u}) {
        Bytes masks = le32Bytes(red);
        append(masks, le32Bytes(0x00F0));
        append(masks, le32Bytes(0x000F));
        EXPECT_EQ(decode(bmpFile(infoHeader(2, 1, 16, 3), masks, Bytes(4, 0))), nullptr) << red;
    }
}

// --- Icons ----------------------------------------------------------------------------------

// An icon entry as a bitmap: 2x2 of the given depth, colour rows then mask rows, bottom-up.
Bytes iconBitmap(uint16_t bitCount, const Bytes& table, const Bytes& colourRows,
                 const Bytes& maskRows) {
    Bytes entry = infoHeader(2, 4, bitCount, 0);
    append(entry, table);
    append(entry, colourRows);
    append(entry, maskRows);
    return entry;
}

Bytes icoFile(const std::vector<Bytes>& entries, uint16_t type = 1) {
    Bytes file = {0, 0, static_cast<uint8_t>(type), 0, static_cast<uint8_t>(entries.size()), 0};
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(entries.size());
    for (const Bytes& entry : entries) {
        Bytes directory = {2, 2, 0, 0, 1, 0, 0, 0};
        append(directory, le32Bytes(static_cast<uint32_t>(entry.size())));
        append(directory, le32Bytes(offset));
        append(file, directory);
        offset += static_cast<uint32_t>(entry.size());
    }
    for (const Bytes& entry : entries) {
        append(file, entry);
    }
    return file;
}

// Mask rows (4 bytes each, bottom-up): bottom-left and top-right pixels transparent.
const Bytes kMask = {0x80, 0, 0, 0, 0x40, 0, 0, 0};

TEST_F(DecodeRules, IconAlphaComesFromTheMaskWhenAThirtyTwoBitEntryHasNone) {
    const Bytes colours = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0};
    const RasterImage* image = decode(icoFile({iconBitmap(32, {}, colours, kMask)}));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->format, ImageFormat::Icon);
    EXPECT_EQ(image->depth, 32);
    EXPECT_EQ(allPixels(*image),
              (std::vector<Colour>{makeColourAlpha(9, 8, 7, 255), makeColourAlpha(12, 11, 10, 0),
                                   makeColourAlpha(3, 2, 1, 0), makeColourAlpha(6, 5, 4, 255)}));
}

TEST_F(DecodeRules, OfIconEntriesOfOneSizeTheDeepestWins) {
    const Bytes mono =
        iconBitmap(1, {0, 0, 0, 0, 255, 255, 255, 0}, {0x40, 0, 0, 0, 0x80, 0, 0, 0}, Bytes(8, 0));
    const Bytes colours = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    const Bytes deep = iconBitmap(24, {}, colours, Bytes(8, 0));
    for (const auto& order : {std::vector<Bytes>{mono, deep}, std::vector<Bytes>{deep, mono}}) {
        const RasterImage* image = decode(icoFile(order));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(rawPixel(*image, 0, 0), makeColourAlpha(9, 8, 7, 255));
    }
}

TEST_F(DecodeRules, IconsWithBadDirectoriesOrEntriesAreRefused) {
    const Bytes colours = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    const Bytes good = icoFile({iconBitmap(24, {}, colours, kMask)});
    ASSERT_NE(decode(good), nullptr);

    Bytes cursor = good;
    cursor[2] = 2;
    Bytes moreEntriesThanBytes = good;
    moreEntriesThanBytes[4] = 200;
    Bytes offsetBeyondTheEnd = good;
    putLe32(offsetBeyondTheEnd, 18, static_cast<uint32_t>(good.size()));
    Bytes hugeEntry = good;
    putLe32(hugeEntry, 22 + 4, 40000);  // the entry's own width
    Bytes noMask = good;
    noMask.resize(noMask.size() - 4);
    for (const Bytes& bad : {cursor, moreEntriesThanBytes, offsetBeyondTheEnd, hugeEntry, noMask}) {
        EXPECT_EQ(decode(bad), nullptr);
    }
}

}  // namespace
}  // namespace drape::raster::testing
