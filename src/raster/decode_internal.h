// The decoders behind `decodeImage`, one file per format, and the pieces they share.
//
// Every decoder takes the whole file in memory and gives its rows in order to a sink, or
// returns a new image made of them, or nullptr (false) for data
// it does not accept: a size outside 1..kMaxImageSide, an unsupported variant, truncated or
// inconsistent data, or no memory. None of them reads past `length`, aborts or prints.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "raster/raster.h"
#include "raster/raster_state.h"

namespace drape::raster::detail {

// Pixels that a format cannot give row by row (interlaced PNG, progressive JPEG's coefficients)
// and images decoded whole are held in memory at once; beyond this many bytes such a file is
// refused, so that a small file declaring a huge size cannot take gigabytes.
inline constexpr uint64_t kMaxWholeImageBytes = uint64_t{192} << 20;

// Takes a decoded image row by row, top row first.
class RowSink {
  public:
    virtual ~RowSink() = default;
    // The size the header gives and the depth of the rows to come (24 or 32), before any row;
    // false refuses the image and the decode stops.
    virtual bool begin(int width, int height, int depth) = 0;
    // Row y: width pixels of depth / 8 bytes, valid during the call.
    virtual void row(int y, const uint8_t* pixels) = 0;
};

// Collects the rows into an image: a new one of the size `begin` gives (refused above
// kMaxWholeImageBytes), or one the caller made of the decoded size and depth.
class ImageSink final : public RowSink {
  public:
    ImageSink() = default;
    explicit ImageSink(RasterImage& into) : image_(&into) {}
    bool begin(int width, int height, int depth) override;
    void row(int y, const uint8_t* pixels) override;
    // The new image, marked with its format; nullptr when none was made.
    std::unique_ptr<RasterImage> take(ImageFormat format);

  private:
    std::unique_ptr<RasterImage> owned_;
    RasterImage* image_ = nullptr;
};

// Whether width x height pixels of `depth` fit in kMaxWholeImageBytes; a refusal is noted, so
// that the file fit can say why the photograph is not shown.
bool fitsWholeImageBudget(int width, int height, int depth);
void noteOverBudget();

// Signatures, checked in the order the dispatcher asks.
bool isBmp(const uint8_t* data, size_t length);
bool isIco(const uint8_t* data, size_t length);
bool isJpeg(const uint8_t* data, size_t length);
bool isPng(const uint8_t* data, size_t length);

// The row-by-row decoders: false for what the whole-image decoders below refuse. Rows may
// already have gone to the sink when a later fault is found.
bool streamBmp(const uint8_t* data, size_t length, RowSink& sink);
bool streamJpeg(const uint8_t* data, size_t length, RowSink& sink);
bool streamPng(const uint8_t* data, size_t length, RowSink& sink);

// Reads a file and gives its rows to `sink` through the decoder its signature picks; false when
// the file cannot be read or decoded.
bool streamImageFile(const std::string& path, RowSink& sink);

std::unique_ptr<RasterImage> decodeBmp(const uint8_t* data, size_t length);
std::unique_ptr<RasterImage> decodeIco(const uint8_t* data, size_t length);
// The icon decoder with the decoder of its PNG entries passed in, so that a program without PNG
// links none: with `png` null an icon whose best entry is a PNG gives nothing.
using DecodeFunction = std::unique_ptr<RasterImage> (*)(const uint8_t* data, size_t length);
std::unique_ptr<RasterImage> decodeIcoWith(const uint8_t* data, size_t length, DecodeFunction png);
std::unique_ptr<RasterImage> decodeJpeg(const uint8_t* data, size_t length);
std::unique_ptr<RasterImage> decodePng(const uint8_t* data, size_t length);

// Little-endian fields; the caller has checked that the bytes are there.
inline uint16_t le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline uint32_t le32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline uint32_t be32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// --- Device-independent bitmaps, as BMP files and icons carry them -----------------------

inline constexpr uint32_t kBiRgb = 0;
inline constexpr uint32_t kBiRle8 = 1;
inline constexpr uint32_t kBiRle4 = 2;
inline constexpr uint32_t kBiBitfields = 3;
inline constexpr uint32_t kBiAlphaBitfields = 6;

// One colour channel of a 16- or 32-bit pixel: where its bits are and how many.
struct ChannelMask {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;  // 0: the channel is absent and reads 0
};

struct BgrColour {
    uint8_t b = 0;
    uint8_t g = 0;
    uint8_t r = 0;
};

// An info header with its masks and colour table, checked for sizes and supported variants.
struct Dib {
    int width = 0;
    int height = 0;  // rows stored, always positive
    bool topDown = false;
    int bitCount = 0;
    uint32_t compression = kBiRgb;
    ChannelMask red, green, blue, alpha;  // 16 and 32 bits
    BgrColour palette[256];               // entries the file lacks stay black
    uint64_t tableEnd = 0;                // offset just past header, masks and colour table
    uint64_t headerEnd = 0;               // offset just past header and masks
};

// Reads the info header at `at`. False for header sizes Windows does not know, sizes outside
// 1..kMaxImageSide, and bit count and compression pairs that it does not show.
bool readDib(const uint8_t* data, size_t length, size_t at, Dib& dib);

// Bytes of one stored row of `width` pixels at `bitCount`, padded to 4.
inline uint64_t dibStride(int width, int bitCount) {
    return (static_cast<uint64_t>(width) * static_cast<uint64_t>(bitCount) + 31) / 32 * 4;
}

// Converts the pixels stored at `pixelsAt` into `out` (the DIB's size, 24 or 32 bits). A
// 32-bit output gets alpha 255 from sources without alpha, the stored byte from plain 32-bit
// sources and the alpha mask's value (0 without one) from bit-field sources. False when the
// data is short, or for RLE data that stops before the picture ends.
bool decodeDibPixels(const Dib& dib, const uint8_t* data, size_t length, uint64_t pixelsAt,
                     RasterImage& out);
// The same pixels at `depth` given to `sink` row by row, top first (without calling `begin`).
bool streamDibPixels(const Dib& dib, const uint8_t* data, size_t length, uint64_t pixelsAt,
                     int depth, RowSink& sink);

// Whether any pixel of a 32-bit image has a nonzero alpha byte; and setting all of them.
bool hasAnyAlpha(const RasterImage& image);
void setAlpha(RasterImage& image, uint8_t alpha);

}  // namespace drape::raster::detail
