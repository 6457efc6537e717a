// Damaged and hostile files: cut short anywhere, bits flipped at random, sizes beyond the
// limits, and small files that declare enormous pictures. Every decoder must give nothing or a
// well-formed image, without crashing, hanging or allocating for a picture the data cannot
// hold (run these under the asan preset to see leaks and stray reads).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>

#include "decode_test_support.h"
#include "raster/raster.h"
#include "raster_test_support.h"

#if defined(__unix__)
#include <sys/resource.h>
#endif

namespace drape::raster::testing {
namespace {

// The most memory the process has held so far; -1 where the platform does not say.
int64_t peakResidentBytes() {
#if defined(__unix__)
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return int64_t{usage.ru_maxrss} * 1024;
#else
    return -1;
#endif
}

// Decodes `bomb`, expecting nothing and no growth of the process's memory by anything like
// the picture it declares (the pixels of a fresh image are written, so they would count).
void expectRefusedWithoutAllocating(const Bytes& bomb, const std::string& what) {
    const int64_t before = peakResidentBytes();
    EXPECT_EQ(decodeImage(9, bomb.data(), bomb.size()), nullptr) << what;
    if (before >= 0) {
        EXPECT_LT(peakResidentBytes() - before, int64_t{256} << 20) << what;
    }
}

using DecodeHostile = RasterTest;

// One sample per decoding path: every PNG colour handling, both JPEG modes and CMYK, every
// BMP pixel layout and compression, both kinds of icon entry.
const char* const kSeeds[] = {
    "png_t3_d4_trns.png",
    "png_t6_d16_interlaced.png",
    "png_t0_d2_trns.png",
    "jpeg_420.jpg",
    "jpeg_progressive.jpg",
    "jpeg_ycck_adobe.jpg",
    "bmp_4.bmp",
    "bmp_rle8_escapes.bmp",
    "bmp_rle4.bmp",
    "bmp_16_565.bmp",
    "bmp_32_bitfields_alpha_v5.bmp",
    "bmp_core_8.bmp",
    "ico_best_of_bitmaps.ico",
    "ico_png_entry.ico",
};

TEST_F(DecodeHostile, EveryPrefixGivesNothingOrAWellFormedImage) {
    for (const char* file : kSeeds) {
        DRAPE_LOAD_SAMPLE(whole, file);
        ASSERT_NE(decodeImage(9, whole.data(), whole.size()), nullptr) << file;
        for (size_t length = 0; length < whole.size(); ++length) {
            expectNothingOrWellFormed(Bytes(whole.begin(), whole.begin() + length),
                                      std::string(file) + " cut to " + std::to_string(length));
        }
    }
}

// Data cut in the middle of the pixels is refused rather than shown half-filled.
TEST_F(DecodeHostile, DataCutInTheMiddleOfThePixelsIsRefused) {
    for (const char* file : {"png_t2_d8.png", "png_t6_d16_interlaced.png", "jpeg_444.jpg",
                             "jpeg_progressive.jpg", "bmp_24.bmp", "bmp_1.bmp", "bmp_rle8.bmp",
                             "bmp_rle4.bmp", "bmp_16_555.bmp", "ico_32_alpha.ico"}) {
        DRAPE_LOAD_SAMPLE(whole, file);
        const Bytes half(whole.begin(), whole.begin() + static_cast<long>(whole.size() * 3 / 4));
        EXPECT_EQ(decodeImage(9, half.data(), half.size()), nullptr) << file;
    }
}

TEST_F(DecodeHostile, RandomBitFlipsGiveNothingOrAWellFormedImage) {
    std::mt19937 random(20240607);
    for (const char* file : kSeeds) {
        DRAPE_LOAD_SAMPLE(whole, file);
        const bool png =
            std::string(file).ends_with(".png") || std::string(file) == "ico_png_entry.ico";
        for (int round = 0; round < 300; ++round) {
            Bytes damaged = whole;
            // Half the rounds aim at the headers, where sizes and offsets live.
            const size_t span =
                round % 2 == 0 ? std::min<size_t>(damaged.size(), 160) : damaged.size();
            const int flips = 1 + static_cast<int>(random() % 4);
            for (int i = 0; i < flips; ++i) {
                damaged[random() % span] ^= static_cast<uint8_t>(1u << (random() % 8));
            }
            // With fixed checksums the damage reaches libpng's parsing instead of its CRC
            // check.
            if (png && round % 3 != 0) {
                repairPngCrcs(damaged);
            }
            expectNothingOrWellFormed(damaged,
                                      std::string(file) + " round " + std::to_string(round));
        }
    }
}

TEST_F(DecodeHostile, PngSizesOutsideTheLimitsAreRefused) {
    DRAPE_LOAD_SAMPLE(whole, "png_t2_d8.png");
    // IHDR data starts at 16: width, then height.
    const uint32_t sizes[][2] = {{40000, 23},     {37, 40000}, {0, 23},
                                 {37, 0},         {32768, 1},  {0x7FFFFFFF, 0x7FFFFFFF},
                                 {0x80000000, 23}};
    for (const auto& size : sizes) {
        Bytes patched = whole;
        putBe32(patched, 16, size[0]);
        putBe32(patched, 20, size[1]);
        repairPngCrcs(patched);
        EXPECT_EQ(decodeImage(9, patched.data(), patched.size()), nullptr)
            << size[0] << "x" << size[1];
    }
}

// An icon whose largest entry claims a PNG size no decoder gives still shows its real entry: a
// 2 x 2 bitmap of opaque red beside a PNG header of an impossible size.
TEST_F(DecodeHostile, IconEntriesOfImpossiblePngSizesAreSkipped) {
    const uint32_t sizes[][2] = {{40000, 40000}, {0xFFFFFFFF, 0xFFFFFFFF}, {0, 5}, {32768, 1}};
    for (const auto& size : sizes) {
        Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
        png.resize(33);
        putBe32(png, 16, size[0]);
        putBe32(png, 20, size[1]);
        png[24] = 8;  // bit depth
        png[25] = 6;  // colour type: RGBA
        Bytes dib(40 + 16 + 8);
        putLe32(dib, 0, 40);
        putLe32(dib, 4, 2);
        putLe32(dib, 8, 4);  // the colour rows and the mask below them
        putLe16(dib, 12, 1);
        putLe16(dib, 14, 32);
        for (size_t at = 40; at < 56; at += 4) {
            putLe32(dib, at, 0xFFFF0000);  // B, G, R, A: opaque red
        }
        Bytes icon(6 + 2 * 16);
        putLe16(icon, 2, 1);
        putLe16(icon, 4, 2);
        const Bytes* entries[] = {&png, &dib};
        for (size_t i = 0; i < 2; ++i) {
            putLe32(icon, 6 + i * 16 + 8, static_cast<uint32_t>(entries[i]->size()));
            putLe32(icon, 6 + i * 16 + 12, static_cast<uint32_t>(icon.size()));
            icon.insert(icon.end(), entries[i]->begin(), entries[i]->end());
        }
        const ImageHandle image = decodeImage(9, icon.data(), icon.size());
        ASSERT_NE(image, nullptr) << size[0] << "x" << size[1];
        EXPECT_EQ(image->width, 2);
        EXPECT_EQ(image->height, 2);
        EXPECT_EQ(image->row(0)[2], 255);
        EXPECT_EQ(image->row(1)[3], 255);
    }
}

TEST_F(DecodeHostile, PngDeclaringAHugePictureOverTinyDataIsRefused) {
    // 30000 x 30000 true colour is 2.7 GB of pixels; 3 KB of deflate data cannot hold it.
    DRAPE_LOAD_SAMPLE(whole, "png_t2_d8.png");
    Bytes bomb = whole;
    putBe32(bomb, 16, 30000);
    putBe32(bomb, 20, 30000);
    repairPngCrcs(bomb);
    expectRefusedWithoutAllocating(bomb, "png 30000x30000");
}

// The frame header (SOF0 or SOF2) holds the height at +5 and the width at +7.
size_t jpegFrameHeader(const Bytes& jpeg) {
    for (size_t at = 2; at + 9 < jpeg.size(); ++at) {
        if (jpeg[at] == 0xFF && (jpeg[at + 1] == 0xC0 || jpeg[at + 1] == 0xC2)) {
            return at;
        }
    }
    return 0;
}

TEST_F(DecodeHostile, JpegSizesOutsideTheLimitsOrBeyondTheDataAreRefused) {
    for (const char* file : {"jpeg_420.jpg", "jpeg_progressive.jpg"}) {
        DRAPE_LOAD_SAMPLE(whole, file);
        const size_t frame = jpegFrameHeader(whole);
        ASSERT_NE(frame, 0u) << file;
        // 65500 is above kMaxImageSide; 0 has no picture at all.
        const uint32_t sizes[][2] = {{65500, 65500}, {65500, 45}, {61, 65500}, {0, 45}, {61, 0}};
        for (const auto& size : sizes) {
            Bytes patched = whole;
            putBe16(patched, frame + 7, size[0]);
            putBe16(patched, frame + 5, size[1]);
            EXPECT_EQ(decodeImage(9, patched.data(), patched.size()), nullptr)
                << file << " " << size[0] << "x" << size[1];
        }
    }
}

TEST_F(DecodeHostile, JpegDeclaringAHugePictureOverTinyDataIsRefused) {
    // Allowed by size, but every 8x8 block costs at least a bit: 3 KB cannot hold 16 million
    // blocks.
    for (const char* file : {"jpeg_420.jpg", "jpeg_progressive.jpg"}) {
        DRAPE_LOAD_SAMPLE(whole, file);
        Bytes bomb = whole;
        const size_t frame = jpegFrameHeader(bomb);
        ASSERT_NE(frame, 0u) << file;
        putBe16(bomb, frame + 5, 32767);
        putBe16(bomb, frame + 7, 32767);
        expectRefusedWithoutAllocating(bomb, file);
    }
}

TEST_F(DecodeHostile, JpegWithThousandsOfScansIsRefused) {
    // A progressive file whose last scan is repeated past the limit: every scan costs a pass
    // over the whole picture, so there must be an end.
    DRAPE_LOAD_SAMPLE(whole, "jpeg_progressive.jpg");
    size_t lastScan = 0;
    for (size_t at = 2; at + 1 < whole.size(); ++at) {
        if (whole[at] == 0xFF && whole[at + 1] == 0xDA) {
            lastScan = at;
        }
    }
    ASSERT_NE(lastScan, 0u);
    const Bytes scan(whole.begin() + static_cast<long>(lastScan), whole.end() - 2);
    auto repeated = [&](int times) {
        Bytes flood(whole.begin(), whole.end() - 2);
        for (int i = 0; i < times; ++i) {
            flood.insert(flood.end(), scan.begin(), scan.end());
        }
        flood.push_back(0xFF);
        flood.push_back(0xD9);
        return flood;
    };
    // A few extra scans are taken as they come; so the refusal below is the limit's doing.
    const Bytes few = repeated(20);
    EXPECT_NE(decodeImage(9, few.data(), few.size()), nullptr);
    const Bytes many = repeated(600);
    EXPECT_EQ(decodeImage(9, many.data(), many.size()), nullptr);
}

}  // namespace
}  // namespace drape::raster::testing
