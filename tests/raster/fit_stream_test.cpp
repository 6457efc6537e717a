// Photographs fitted as they decode: the parts drawn from rows as they arrive are the pixels of
// decoding the whole file, cutting each part out and pasting it scaled; files cut short draw
// nothing; formats that come in passes are held whole only within the budget.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "decode_test_support.h"
#include "raster/raster.h"
#include "raster_test_support.h"
#include "support/fake_platform.h"

namespace drape::raster::testing {
namespace {

// A bottom-up BMP of random pixels: 24 bits, or 32 with alpha that is 0 in about a third of
// the pixels (so the transparent-white rule shows) and random elsewhere.
Bytes randomBmp(int width, int height, int depth, std::mt19937& random) {
    const size_t stride = (static_cast<size_t>(width) * (depth / 8) + 3) / 4 * 4;
    Bytes file(54 + stride * static_cast<size_t>(height), 0);
    file[0] = 'B';
    file[1] = 'M';
    putLe32(file, 2, static_cast<uint32_t>(file.size()));
    putLe32(file, 10, 54);
    putLe32(file, 14, 40);
    putLe32(file, 18, static_cast<uint32_t>(width));
    putLe32(file, 22, static_cast<uint32_t>(height));
    putLe16(file, 26, 1);
    putLe16(file, 28, static_cast<uint32_t>(depth));
    for (int y = 0; y < height; ++y) {
        uint8_t* row = file.data() + 54 + stride * static_cast<size_t>(y);
        for (int x = 0; x < width * (depth / 8); ++x) {
            row[x] = static_cast<uint8_t>(random());
            if (depth == 32 && x % 4 == 3 && random() % 3 == 0) {
                row[x] = 0;
            }
        }
    }
    return file;
}

// Appends a PNG chunk with its length and CRC.
void addChunk(Bytes& png, const char* kind, const Bytes& data) {
    const size_t at = png.size();
    png.resize(at + 12 + data.size());
    putBe32(png, at, static_cast<uint32_t>(data.size()));
    std::copy(kind, kind + 4, png.begin() + static_cast<ptrdiff_t>(at + 4));
    std::copy(data.begin(), data.end(), png.begin() + static_cast<ptrdiff_t>(at + 8));
    putBe32(png, at + 8 + data.size(), crc32Of(png.data() + at + 4, data.size() + 4));
}

// A PNG whose filtered rows `raw` are stored in deflate's uncompressed blocks, so that tests
// make valid files of any content without a compressor.
Bytes storedPng(int width, int height, int bitDepth, int colourType, bool interlaced,
                const Bytes& raw) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header(13, 0);
    putBe32(header, 0, static_cast<uint32_t>(width));
    putBe32(header, 4, static_cast<uint32_t>(height));
    header[8] = static_cast<uint8_t>(bitDepth);
    header[9] = static_cast<uint8_t>(colourType);
    header[12] = interlaced ? 1 : 0;
    addChunk(png, "IHDR", header);
    Bytes zlib = {0x78, 0x01};
    uint32_t a = 1;
    uint32_t b = 0;
    for (size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        zlib.push_back(at + n >= raw.size() ? 1 : 0);
        zlib.push_back(static_cast<uint8_t>(n));
        zlib.push_back(static_cast<uint8_t>(n >> 8));
        zlib.push_back(static_cast<uint8_t>(~n));
        zlib.push_back(static_cast<uint8_t>(~n >> 8));
        zlib.insert(zlib.end(), raw.begin() + static_cast<ptrdiff_t>(at),
                    raw.begin() + static_cast<ptrdiff_t>(at + n));
        if (n == 0) {
            break;
        }
    }
    for (const uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    const size_t end = zlib.size();
    zlib.resize(end + 4);
    putBe32(zlib, end, b << 16 | a);
    addChunk(png, "IDAT", zlib);
    addChunk(png, "IEND", {});
    return png;
}

// The bytes of Adam7's seven passes over a width x height picture, all 0: each row of a pass
// a filter byte and its packed pixels; passes without columns or rows have no bytes.
size_t adam7Bytes(int width, int height, int bitsPerPixel) {
    const int passX[] = {0, 4, 0, 2, 0, 1, 0};
    const int passY[] = {0, 0, 4, 0, 2, 0, 1};
    const int stepX[] = {8, 8, 4, 4, 2, 2, 1};
    const int stepY[] = {8, 8, 8, 4, 4, 2, 2};
    size_t bytes = 0;
    for (int p = 0; p < 7; ++p) {
        const int columns = width > passX[p] ? (width - passX[p] + stepX[p] - 1) / stepX[p] : 0;
        const int rows = height > passY[p] ? (height - passY[p] + stepY[p] - 1) / stepY[p] : 0;
        if (columns > 0 && rows > 0) {
            const size_t packed = (static_cast<size_t>(columns) * bitsPerPixel + 7) / 8;
            bytes += static_cast<size_t>(rows) * (1 + packed);
        }
    }
    return bytes;
}

// Random 8-bit rows of `channels` samples, each after a filter byte of 0.
Bytes randomRows(int width, int height, int channels, std::mt19937& random) {
    Bytes raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        for (int i = 0; i < width * channels; ++i) {
            raw.push_back(static_cast<uint8_t>(random()));
        }
    }
    return raw;
}

class FitStream : public RasterTest {
  protected:
    void SetUp() override {
        RasterTest::SetUp();
        platform::setCurrent(&fake_);
    }
    void TearDown() override {
        platform::setCurrent(nullptr);
        RasterTest::TearDown();
    }

    std::string file(const std::string& name, const Bytes& contents) {
        const std::string path = fake_.root + name;
        writeBytes(path, contents);
        return path;
    }

    // The canvas (number 1) after drawing `parts` of the file as it decodes.
    std::vector<Colour> streamed(const std::string& path, const std::vector<ScaledPart>& parts,
                                 FileFit* fit = nullptr) {
        newImage(1, 64, 48, 24, makeColour(10, 20, 30));
        openContext(1);
        const FileFit result = pasteImageFileParts(path, [&](int, int) { return parts; });
        closeContext();
        if (fit != nullptr) {
            *fit = result;
        }
        return allPixels(*imageHandle(1));
    }

    // The canvas after decoding the file whole and pasting each part cut out and scaled.
    std::vector<Colour> whole(const std::string& path, const std::vector<ScaledPart>& parts) {
        newImage(1, 64, 48, 24, makeColour(10, 20, 30));
        EXPECT_NE(readImageFile(2, path), nullptr);
        for (const ScaledPart& p : parts) {
            openContext(2);
            EXPECT_NE(captureRegion(3, p.sourceX, p.sourceY, p.sourceWidth, p.sourceHeight), 0);
            closeContext();
            openContext(1);
            pasteImageScaled(imageHandle(3), p.x, p.y, p.width, p.height);
            closeContext();
        }
        releaseImage(2);
        releaseImage(3);
        return allPixels(*imageHandle(1));
    }

    test::FakePlatform fake_;
    std::mt19937 random_{1234};
};

// Parts of a 37 x 23 photo: the whole of it at its size, cut at the sides, at the top and
// bottom, on all four sides, shrinking, enlarging and both at once, and two at a time as two
// monitors take them.
const std::vector<std::vector<ScaledPart>> kPlans = {
    {{0, 0, 37, 23, 3, 5, 37, 23}}, {{5, 0, 27, 23, 1, 2, 20, 15}},
    {{0, 4, 37, 15, 2, 1, 50, 31}}, {{3, 2, 30, 19, 40, 0, 13, 41}},
    {{0, 0, 37, 23, 0, 0, 64, 48}}, {{1, 1, 35, 21, 0, 0, 7, 3}, {4, 6, 9, 17, 30, 10, 33, 37}},
    {{36, 22, 1, 1, 10, 10, 5, 4}},
};

TEST_F(FitStream, BitmapPartsMatchTheWholeImagePathAtBothDepths) {
    for (const int depth : {24, 32}) {
        const std::string path = file("photo.bmp", randomBmp(37, 23, depth, random_));
        for (size_t i = 0; i < kPlans.size(); ++i) {
            EXPECT_EQ(streamed(path, kPlans[i]), whole(path, kPlans[i]))
                << depth << " bits, plan " << i;
        }
    }
}

TEST_F(FitStream, PngAndTopDownBitmapPartsMatchTheWholeImagePath) {
    // True colour, and true colour with alpha (the Mitchell resample).
    for (const int channels : {3, 4}) {
        const std::string path =
            file("photo.png", storedPng(37, 23, 8, channels == 4 ? 6 : 2, false,
                                        randomRows(37, 23, channels, random_)));
        for (size_t i = 0; i < kPlans.size(); ++i) {
            EXPECT_EQ(streamed(path, kPlans[i]), whole(path, kPlans[i]))
                << channels << " channels, plan " << i;
        }
    }
    Bytes topDown = randomBmp(37, 23, 24, random_);
    putLe32(topDown, 22, static_cast<uint32_t>(-23));
    const std::string path = file("top-down.bmp", topDown);
    EXPECT_EQ(streamed(path, kPlans[3]), whole(path, kPlans[3]));
}

TEST_F(FitStream, ASystemStretchGetsEachPartWhole) {
    // Where the desktop's own stretch is not the area resample, each part is collected and
    // handed over whole; the fake's stretch is still the area resample, so the pixels agree.
    fake_.halftoneByArea = false;
    const std::string path = file("photo.bmp", randomBmp(37, 23, 24, random_));
    for (size_t i = 0; i < kPlans.size(); ++i) {
        EXPECT_EQ(streamed(path, kPlans[i]), whole(path, kPlans[i])) << "plan " << i;
    }
}

TEST_F(FitStream, APartTooLargeForASystemStretchIsResampledByArea) {
    // 32767 x 2100 at 24 bits is over what may be held whole: rather than refuse it, the part
    // goes through the area resample row by row.
    fake_.halftoneByArea = false;
    constexpr int kWidth = 32767;
    constexpr int kHeight = 2100;
    const Bytes rows(static_cast<size_t>(kHeight) * static_cast<size_t>((kWidth + 7) / 8 + 1), 0);
    FileFit fit = FileFit::NotDecoded;
    const std::vector<Colour> canvas =
        streamed(file("wide.png", storedPng(kWidth, kHeight, 1, 0, false, rows)),
                 {{0, 0, kWidth, kHeight, 0, 0, 64, 48}}, &fit);
    EXPECT_EQ(fit, FileFit::Drawn);
    EXPECT_EQ(canvas, std::vector<Colour>(64 * 48, makeColour(0, 0, 0)));
}

TEST_F(FitStream, RleBitmapsMatchTheWholeImagePath) {
    // An 8-bit RLE stream with runs, a literal, a delta across two rows and an early end of
    // line, on a 6 x 5 picture; the rows the stream skips stay black.
    Bytes file54(54 + 16, 0);
    file54[0] = 'B';
    file54[1] = 'M';
    putLe32(file54, 10, 54 + 16);
    putLe32(file54, 14, 40);
    putLe32(file54, 18, 6);
    putLe32(file54, 22, 5);
    putLe16(file54, 26, 1);
    putLe16(file54, 28, 8);
    putLe32(file54, 30, 1);
    putLe32(file54, 46, 4);
    for (int i = 0; i < 4; ++i) {
        file54[54 + 4 * i] = static_cast<uint8_t>(60 * i);
        file54[54 + 4 * i + 1] = static_cast<uint8_t>(200 - 40 * i);
        file54[54 + 4 * i + 2] = static_cast<uint8_t>(30 + 50 * i);
    }
    // Bottom row: a run of 6. Next: a run of 3, then a delta of (1, 1) to column 4 of the
    // middle row, a run of 2. Next: a literal of 3 and an early end of line. Top: a run of 1
    // and the end of the bitmap.
    const Bytes stream = {6, 1, 0, 0, 3, 2, 0, 2, 1, 1, 2, 3, 0,
                          0, 0, 3, 1, 2, 3, 0, 0, 0, 1, 1, 0, 1};
    file54.insert(file54.end(), stream.begin(), stream.end());
    const std::string path = file("rle.bmp", file54);
    const std::vector<ScaledPart> plans[] = {
        {{0, 0, 6, 5, 0, 0, 6, 5}},
        {{1, 0, 4, 5, 0, 0, 17, 11}},
        {{0, 1, 6, 3, 3, 3, 2, 1}},
    };
    for (const auto& plan : plans) {
        EXPECT_EQ(streamed(path, plan), whole(path, plan));
    }
    // At its own size, top row first; what the stream skips is black.
    auto entry = [](int i) { return makeColour(30 + 50 * i, 200 - 40 * i, 60 * i); };
    const Colour k = makeColour(0, 0, 0);
    const std::vector<Colour> expected[] = {
        {entry(1), k, k, k, k, k},
        {entry(1), entry(2), entry(3), k, k, k},
        {k, k, k, k, entry(3), entry(3)},
        {entry(2), entry(2), entry(2), k, k, k},
        {entry(1), entry(1), entry(1), entry(1), entry(1), entry(1)},
    };
    const std::vector<Colour> canvas = streamed(path, plans[0]);
    for (int y = 0; y < 5; ++y) {
        const auto from = canvas.begin() + y * 64;
        EXPECT_EQ(std::vector<Colour>(from, from + 6), expected[y]) << "row " << y;
    }
}

TEST_F(FitStream, AFileCutShortDrawsNothing) {
    // Rows have already gone to the resamplers when the data runs out; the canvas must still
    // be left as it was, as when the file was decoded whole before anything was drawn.
    Bytes png = storedPng(37, 23, 8, 2, false, randomRows(37, 23, 3, random_));
    png.resize(png.size() * 2 / 3);
    FileFit fit = FileFit::Drawn;
    const std::string path = file("short.png", png);
    const std::vector<Colour> canvas = streamed(path, kPlans[4], &fit);
    EXPECT_EQ(fit, FileFit::NotDecoded);
    EXPECT_EQ(canvas, std::vector<Colour>(64 * 48, makeColour(10, 20, 30)));
    EXPECT_EQ(readImageFile(2, path), nullptr);
}

// A 16 x 16 black arithmetic-coded JPEG, as cjpeg -arithmetic writes it; its frame header
// starts at byte 158.
const Bytes kArithmeticJpeg = {
    0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00,
    0x01, 0x00, 0x01, 0x00, 0x00, 0xFF, 0xDB, 0x00, 0x43, 0x00, 0x08, 0x06, 0x06, 0x07, 0x06,
    0x05, 0x08, 0x07, 0x07, 0x07, 0x09, 0x09, 0x08, 0x0A, 0x0C, 0x14, 0x0D, 0x0C, 0x0B, 0x0B,
    0x0C, 0x19, 0x12, 0x13, 0x0F, 0x14, 0x1D, 0x1A, 0x1F, 0x1E, 0x1D, 0x1A, 0x1C, 0x1C, 0x20,
    0x24, 0x2E, 0x27, 0x20, 0x22, 0x2C, 0x23, 0x1C, 0x1C, 0x28, 0x37, 0x29, 0x2C, 0x30, 0x31,
    0x34, 0x34, 0x34, 0x1F, 0x27, 0x39, 0x3D, 0x38, 0x32, 0x3C, 0x2E, 0x33, 0x34, 0x32, 0xFF,
    0xDB, 0x00, 0x43, 0x01, 0x09, 0x09, 0x09, 0x0C, 0x0B, 0x0C, 0x18, 0x0D, 0x0D, 0x18, 0x32,
    0x21, 0x1C, 0x21, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32,
    0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32,
    0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32,
    0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0xFF, 0xC9, 0x00, 0x11, 0x08, 0x00, 0x10,
    0x00, 0x10, 0x03, 0x01, 0x22, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01, 0xFF, 0xCC, 0x00,
    0x0A, 0x00, 0x10, 0x10, 0x05, 0x01, 0x10, 0x11, 0x05, 0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01,
    0x00, 0x02, 0x11, 0x03, 0x11, 0x00, 0x3F, 0x00, 0xFF, 0x00, 0xBF, 0xF0, 0xFF, 0xD9};

TEST_F(FitStream, ArithmeticDataThatEndsLongBeforeThePictureIsRefused) {
    FileFit fit = FileFit::NotDecoded;
    const std::vector<ScaledPart> plan16 = {{0, 0, 16, 16, 0, 0, 64, 48}};
    const std::vector<Colour> black = std::vector<Colour>(64 * 48, makeColour(0, 0, 0));
    EXPECT_EQ(streamed(file("small.jpg", kArithmeticJpeg), plan16, &fit), black);
    EXPECT_EQ(fit, FileFit::Drawn);
    // The same 209 bytes declaring 32767 x 32767: the decoder would make a billion pixels of
    // zeros from the end marker on, for most of a minute.
    Bytes huge = kArithmeticJpeg;
    ASSERT_EQ(huge[158], 0xFF);
    ASSERT_EQ(huge[159], 0xC9);
    putBe16(huge, 163, 32767);
    putBe16(huge, 165, 32767);
    streamed(file("huge.jpg", huge), {{0, 0, 32767, 32767, 0, 0, 64, 48}}, &fit);
    EXPECT_EQ(fit, FileFit::NotDecoded);
}

TEST_F(FitStream, InterlacedImagesAreHeldWholeOnlyWithinTheBudget) {
    // 32767 x 2100 one-bit grey: 206 MB at 24 bits, over the 192 MiB that may be held whole.
    // Stored row by row it streams; interlaced it would have to be held, and is refused.
    constexpr int kWidth = 32767;
    constexpr int kHeight = 2100;
    const int rowBytes = (kWidth + 7) / 8;
    const Bytes plain(static_cast<size_t>(kHeight) * static_cast<size_t>(rowBytes + 1), 0);
    const std::vector<ScaledPart> plan = {{0, 0, kWidth, kHeight, 0, 0, 64, 48}};
    FileFit fit = FileFit::NotDecoded;
    const std::vector<Colour> canvas =
        streamed(file("plain.png", storedPng(kWidth, kHeight, 1, 0, false, plain)), plan, &fit);
    EXPECT_EQ(fit, FileFit::Drawn);
    EXPECT_EQ(canvas, std::vector<Colour>(64 * 48, makeColour(0, 0, 0)));

    const std::string interlaced =
        file("interlaced.png",
             storedPng(kWidth, kHeight, 1, 0, true, Bytes(adam7Bytes(kWidth, kHeight, 1), 0)));
    streamed(interlaced, plan, &fit);
    EXPECT_EQ(fit, FileFit::TooLarge);
    EXPECT_EQ(readImageFile(2, interlaced), nullptr);

    // The same picture small enough to hold is shown.
    const Bytes small = storedPng(5, 3, 8, 0, true, Bytes(adam7Bytes(5, 3, 8), 0));
    EXPECT_EQ(streamed(file("small.png", small), {{0, 0, 5, 3, 0, 0, 64, 48}}, &fit), canvas);
    EXPECT_EQ(fit, FileFit::Drawn);
}

}  // namespace
}  // namespace drape::raster::testing
