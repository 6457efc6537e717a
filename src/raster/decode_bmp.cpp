// Windows bitmaps: the kinds of BMP file that Windows itself shows.
//
//   [X] Info headers: 12-byte core (OS/2 1.x), 40-byte info, 52/56-byte, V4 (108), V5 (124)
//   [X] 1, 4 and 8 bits with a colour table; RLE8 and RLE4 (bottom-up only, as Windows has it)
//   [X] 16 bits: 5-5-5 without masks, any contiguous masks with bit fields (5-6-5, 4-4-4 ...)
//   [X] 24 bits; 32 bits plain (B, G, R, A) and with bit fields including an alpha mask
//   [X] Bottom-up and top-down (negative height) rows
//   [ ] OS/2 2.x headers, 2-bit (Windows CE), embedded JPEG or PNG, CMYK: rejected
//
// The result has 32 bits for 32-bit bitmaps and 24 for all others. A 32-bit bitmap whose alpha
// bytes are all 0 was written by a program that never filled them, so it is made opaque.
// Pixels an RLE stream skips (delta, early end of line or of bitmap) stay black whatever colour
// the table's entry 0 holds: Windows leaves them untouched when it converts the bitmap into
// fresh, zeroed memory.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "raster/decode_internal.h"

namespace drape::raster::detail {

namespace {

constexpr size_t kFileHeaderSize = 14;

bool knownInfoHeaderSize(uint32_t size) {
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// False for masks whose bits are not one run or that reach beyond the pixel.
bool makeChannel(uint32_t mask, int bitCount, ChannelMask& channel) {
    channel = ChannelMask{};
    if (mask == 0) {
        return true;
    }
    if (bitCount < 32 && (mask >> bitCount) != 0) {
        return false;
    }
    const int shift = std::countr_zero(mask);
    const uint32_t bits = mask >> shift;
    if ((bits & (bits + 1)) != 0) {
        return false;
    }
    channel.mask = mask;
    channel.shift = shift;
    channel.bits = std::popcount(bits);
    return true;
}

// A channel's value widened or narrowed to 8 bits; narrower fields repeat their bits so that
// all ones gives 255.
uint8_t channelValue(const ChannelMask& channel, uint32_t pixel) {
    if (channel.bits == 0) {
        return 0;
    }
    const uint32_t value = (pixel & channel.mask) >> channel.shift;
    if (channel.bits >= 8) {
        return static_cast<uint8_t>(value >> (channel.bits - 8));
    }
    uint32_t widened = value << (8 - channel.bits);
    for (int filled = channel.bits; filled < 8; filled += channel.bits) {
        widened |= widened >> channel.bits;
    }
    return static_cast<uint8_t>(widened);
}

void readMasks(const uint8_t* at, bool withAlpha, uint32_t masks[4]) {
    masks[0] = le32(at);
    masks[1] = le32(at + 4);
    masks[2] = le32(at + 8);
    masks[3] = withAlpha ? le32(at + 12) : 0;
}

bool setMasks(Dib& dib, const uint32_t masks[4]) {
    return makeChannel(masks[0], dib.bitCount, dib.red) &&
           makeChannel(masks[1], dib.bitCount, dib.green) &&
           makeChannel(masks[2], dib.bitCount, dib.blue) &&
           makeChannel(masks[3], dib.bitCount, dib.alpha);
}

bool supportedFormat(const Dib& dib) {
    switch (dib.compression) {
        case kBiRgb:
            return dib.bitCount == 1 || dib.bitCount == 4 || dib.bitCount == 8 ||
                   dib.bitCount == 16 || dib.bitCount == 24 || dib.bitCount == 32;
        case kBiRle8:
            return dib.bitCount == 8 && !dib.topDown;
        case kBiRle4:
            return dib.bitCount == 4 && !dib.topDown;
        case kBiBitfields:
        case kBiAlphaBitfields:
            return dib.bitCount == 16 || dib.bitCount == 32;
        default:
            return false;
    }
}

// Writes one pixel of `out` from B, G, R (and A for 32-bit outputs).
inline void putBgr(uint8_t* to, int bytesPerPixel, BgrColour c, uint8_t a) {
    to[0] = c.b;
    to[1] = c.g;
    to[2] = c.r;
    if (bytesPerPixel == 4) {
        to[3] = a;
    }
}

void convertRow(const Dib& dib, const uint8_t* from, uint8_t* to, int bytesPerPixel) {
    const int width = dib.width;
    switch (dib.bitCount) {
        case 1:
        case 4:
        case 8: {
            const int perByte = 8 / dib.bitCount;
            const int topShift = 8 - dib.bitCount;
            const unsigned valueMask = (1u << dib.bitCount) - 1;
            for (int x = 0; x < width; ++x) {
                const int shift = topShift - (x % perByte) * dib.bitCount;
                const unsigned index = (from[x / perByte] >> shift) & valueMask;
                putBgr(to + x * bytesPerPixel, bytesPerPixel, dib.palette[index], 255);
            }
            return;
        }
        case 16:
            for (int x = 0; x < width; ++x) {
                const uint32_t pixel = le16(from + 2 * x);
                const BgrColour c{channelValue(dib.blue, pixel), channelValue(dib.green, pixel),
                                  channelValue(dib.red, pixel)};
                putBgr(to + x * bytesPerPixel, bytesPerPixel, c, 255);
            }
            return;
        case 24:
            if (bytesPerPixel == 3) {
                std::memcpy(to, from, static_cast<size_t>(width) * 3);
                return;
            }
            for (int x = 0; x < width; ++x) {
                const uint8_t* p = from + 3 * x;
                putBgr(to + 4 * x, 4, BgrColour{p[0], p[1], p[2]}, 255);
            }
            return;
        case 32:
            if (dib.compression == kBiRgb) {
                // The fourth byte is alpha; 24-bit outputs never come from 32-bit sources.
                std::memcpy(to, from, static_cast<size_t>(width) * 4);
                return;
            }
            for (int x = 0; x < width; ++x) {
                const uint32_t pixel = le32(from + 4 * x);
                const BgrColour c{channelValue(dib.blue, pixel), channelValue(dib.green, pixel),
                                  channelValue(dib.red, pixel)};
                putBgr(to + x * bytesPerPixel, bytesPerPixel, c, channelValue(dib.alpha, pixel));
            }
            return;
        default:
            return;
    }
}

bool streamUncompressed(const Dib& dib, const uint8_t* data, size_t length, uint64_t pixelsAt,
                        int depth, uint8_t* scratch, RowSink& sink) {
    const uint64_t stride = dibStride(dib.width, dib.bitCount);
    // The last row may lack its padding; some writers stop at the last pixel.
    const uint64_t lastRow = (static_cast<uint64_t>(dib.width) * dib.bitCount + 7) / 8;
    const uint64_t needed = stride * static_cast<uint64_t>(dib.height - 1) + lastRow;
    if (pixelsAt > length || needed > length - pixelsAt) {
        return false;
    }
    const uint8_t* pixels = data + pixelsAt;
    for (int y = 0; y < dib.height; ++y) {
        const int stored = dib.topDown ? y : dib.height - 1 - y;
        convertRow(dib, pixels + static_cast<uint64_t>(stored) * stride, scratch, depth / 8);
        sink.row(y, scratch);
    }
    return true;
}

// RLE8 and RLE4 streams: pairs (count, value) repeat a value; (0, n) escapes end a line (0),
// end the bitmap (1), move by (dx, dy) (2) or copy n literal values padded to 16 bits. Rows
// run bottom-up. A stream that runs out before its end-of-bitmap or last row is truncated.
struct RleState {
    size_t p = 0;  // offset in the stream
    int x = 0;
    int y = 0;  // counted from the bottom row
};

enum class RleStep { NextRow, End, Short };

// Runs the stream from `at` until it leaves row at.y, writing that row's pixels into `row`
// when there is one; without, it only follows the stream.
RleStep runRleRow(const Dib& dib, const uint8_t* s, size_t available, RleState& at, uint8_t* row,
                  int bytesPerPixel) {
    const bool four = dib.compression == kBiRle4;
    const int startRow = at.y;
    int x = at.x;
    size_t p = at.p;
    auto put = [&](unsigned index) {
        putBgr(row + x * bytesPerPixel, bytesPerPixel, dib.palette[index], 255);
        ++x;
    };
    RleStep step = RleStep::Short;
    while (true) {
        if (available - p < 2) {
            break;
        }
        const unsigned count = s[p];
        const unsigned value = s[p + 1];
        p += 2;
        if (count > 0) {
            if (row == nullptr) {
                x = std::min(dib.width, x + static_cast<int>(count));
                continue;
            }
            for (unsigned i = 0; i < count && x < dib.width; ++i) {
                put(four ? (i % 2 == 0 ? value >> 4 : value & 15u) : value);
            }
            continue;
        }
        if (value == 0) {
            x = 0;
            ++at.y;
            step = RleStep::NextRow;
            break;
        }
        if (value == 1) {
            step = RleStep::End;
            break;
        }
        if (value == 2) {
            if (available - p < 2) {
                break;
            }
            x = std::min(x + s[p], dib.width);
            at.y += s[p + 1];
            p += 2;
            if (at.y != startRow) {
                step = RleStep::NextRow;
                break;
            }
            continue;
        }
        const size_t bytes = four ? (value + 1) / 2 : value;
        const size_t padded = (bytes + 1) & ~size_t{1};
        if (available - p < padded) {
            break;
        }
        if (row == nullptr) {
            x = std::min(dib.width, x + static_cast<int>(value));
        } else {
            for (unsigned i = 0; i < value && x < dib.width; ++i) {
                const unsigned byte = s[p + (four ? i / 2 : i)];
                put(four ? (i % 2 == 0 ? byte >> 4 : byte & 15u) : byte);
            }
        }
        p += padded;
    }
    at.p = p;
    at.x = x;
    return step;
}

// The stream is stored bottom row first and rows are given top first, so a first run only
// follows the stream and notes where each row begins; a second draws the rows from there, each
// into one row of memory. A stream cut short is found by the first run, before any row goes out.
bool streamRle(const Dib& dib, const uint8_t* data, size_t length, uint64_t pixelsAt, int depth,
               uint8_t* scratch, RowSink& sink) {
    if (pixelsAt > length) {
        return false;
    }
    const uint8_t* s = data + pixelsAt;
    const size_t available = length - static_cast<size_t>(pixelsAt);
    constexpr size_t kUntouched = SIZE_MAX;  // a row that the stream never reaches stays black
    std::vector<RleState> starts;
    try {
        starts.assign(static_cast<size_t>(dib.height), RleState{kUntouched, 0, 0});
    } catch (const std::bad_alloc&) {
        return false;
    }
    RleState at;
    while (at.y < dib.height) {
        starts[static_cast<size_t>(at.y)] = at;
        const RleStep step = runRleRow(dib, s, available, at, nullptr, depth / 8);
        if (step == RleStep::Short) {
            return false;
        }
        if (step == RleStep::End) {
            break;
        }
    }
    const size_t rowBytes = static_cast<size_t>(dib.width) * static_cast<size_t>(depth / 8);
    for (int y = 0; y < dib.height; ++y) {
        std::memset(scratch, 0, rowBytes);
        RleState from = starts[static_cast<size_t>(dib.height - 1 - y)];
        if (from.p != kUntouched) {
            runRleRow(dib, s, available, from, scratch, depth / 8);
        }
        sink.row(y, scratch);
    }
    return true;
}

// Whether any pixel of a 32-bit row has a nonzero alpha byte.
bool rowHasAlpha(const uint8_t* row, int width) {
    for (int x = 0; x < width; ++x) {
        if (row[4 * x + 3] != 0) {
            return true;
        }
    }
    return false;
}

// Notes whether any row has alpha; draws nothing.
class AlphaProbe final : public RowSink {
  public:
    explicit AlphaProbe(int width) : width_(width) {}
    bool begin(int, int, int) override { return true; }
    void row(int, const uint8_t* pixels) override { any = any || rowHasAlpha(pixels, width_); }
    bool any = false;

  private:
    int width_;
};

// Passes rows on with every alpha byte set to 255.
class MakeOpaque final : public RowSink {
  public:
    MakeOpaque(RowSink& to, int width) : to_(to), row_(static_cast<size_t>(width) * 4) {}
    bool begin(int width, int height, int depth) override {
        return to_.begin(width, height, depth);
    }
    void row(int y, const uint8_t* pixels) override {
        std::memcpy(row_.data(), pixels, row_.size());
        for (size_t at = 3; at < row_.size(); at += 4) {
            row_[at] = 255;
        }
        to_.row(y, row_.data());
    }

  private:
    RowSink& to_;
    std::vector<uint8_t> row_;
};

}  // namespace

bool streamDibPixels(const Dib& dib, const uint8_t* data, size_t length, uint64_t pixelsAt,
                     int depth, RowSink& sink) {
    std::vector<uint8_t> scratch;
    try {
        scratch.resize(static_cast<size_t>(dib.width) * static_cast<size_t>(depth / 8));
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (dib.compression == kBiRle8 || dib.compression == kBiRle4) {
        return streamRle(dib, data, length, pixelsAt, depth, scratch.data(), sink);
    }
    return streamUncompressed(dib, data, length, pixelsAt, depth, scratch.data(), sink);
}

bool decodeDibPixels(const Dib& dib, const uint8_t* data, size_t length, uint64_t pixelsAt,
                     RasterImage& out) {
    ImageSink into(out);
    return streamDibPixels(dib, data, length, pixelsAt, out.depth, into);
}

bool hasAnyAlpha(const RasterImage& image) {
    for (int y = 0; y < image.height; ++y) {
        if (rowHasAlpha(image.row(y), image.width)) {
            return true;
        }
    }
    return false;
}

void setAlpha(RasterImage& image, uint8_t alpha) {
    for (int y = 0; y < image.height; ++y) {
        uint8_t* row = image.row(y);
        for (int x = 0; x < image.width; ++x) {
            row[4 * x + 3] = alpha;
        }
    }
}

bool readDib(const uint8_t* data, size_t length, size_t at, Dib& dib) {
    dib = Dib{};
    if (at > length || length - at < 4) {
        return false;
    }
    const uint8_t* h = data + at;
    const size_t available = length - at;
    const uint32_t size = le32(h);
    if (!knownInfoHeaderSize(size) || size > available) {
        return false;
    }
    int64_t width = 0;
    int64_t height = 0;
    uint32_t colours = 0;
    size_t entrySize = 4;
    if (size == 12) {
        width = le16(h + 4);
        height = le16(h + 6);
        dib.bitCount = le16(h + 10);
        entrySize = 3;
    } else {
        width = static_cast<int32_t>(le32(h + 4));
        height = static_cast<int32_t>(le32(h + 8));
        dib.bitCount = le16(h + 14);
        dib.compression = le32(h + 16);
        colours = le32(h + 32);
    }
    if (height < 0) {
        dib.topDown = true;
        height = -height;
    }
    if (width < 1 || width > kMaxImageSide || height < 1 || height > kMaxImageSide ||
        !supportedFormat(dib)) {
        return false;
    }
    dib.width = static_cast<int>(width);
    dib.height = static_cast<int>(height);

    uint64_t end = at + uint64_t{size};
    uint32_t masks[4] = {0, 0, 0, 0};
    if (dib.compression == kBiBitfields || dib.compression == kBiAlphaBitfields) {
        const bool withAlpha = dib.compression == kBiAlphaBitfields;
        if (size == 40) {
            // The masks follow a plain info header; later headers hold them.
            const uint64_t maskBytes = withAlpha ? 16 : 12;
            if (maskBytes > length - end) {
                return false;
            }
            readMasks(data + end, withAlpha, masks);
            end += maskBytes;
        } else {
            readMasks(h + 40, size >= 56, masks);
        }
    } else if (dib.bitCount == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    }
    if ((dib.bitCount == 16 || dib.bitCount == 32) && !setMasks(dib, masks)) {
        return false;
    }
    dib.headerEnd = end;

    // A table with more entries than the bit count can address still occupies its bytes.
    uint64_t entries = colours;
    if (dib.bitCount <= 8 && entries == 0) {
        entries = uint64_t{1} << dib.bitCount;
    }
    dib.tableEnd = end + entries * entrySize;
    const uint64_t usable =
        std::min<uint64_t>({dib.bitCount <= 8 ? entries : 0, 256, (length - end) / entrySize});
    for (uint64_t i = 0; i < usable; ++i) {
        const uint8_t* e = data + end + i * entrySize;
        dib.palette[i] = BgrColour{e[0], e[1], e[2]};
    }
    return true;
}

bool isBmp(const uint8_t* data, size_t length) {
    return length >= 2 && data[0] == 'B' && data[1] == 'M';
}

bool streamBmp(const uint8_t* data, size_t length, RowSink& sink) {
    if (!isBmp(data, length) || length < kFileHeaderSize) {
        return false;
    }
    Dib dib;
    if (!readDib(data, length, kFileHeaderSize, dib)) {
        return false;
    }
    // Pixels that start inside the headers, or past the end, mean the offset lies.
    const uint64_t pixelsAt = le32(data + 10);
    if (pixelsAt < dib.headerEnd || pixelsAt >= length) {
        return false;
    }
    const int depth = dib.bitCount == 32 ? 32 : 24;
    if (!sink.begin(dib.width, dib.height, depth)) {
        return false;
    }
    if (depth == 24) {
        return streamDibPixels(dib, data, length, pixelsAt, depth, sink);
    }
    // A bitmap whose alpha bytes are all 0 is opaque; the pixels are in memory, so a first run
    // looks at every alpha byte before any row goes out.
    AlphaProbe probe(dib.width);
    if (!streamDibPixels(dib, data, length, pixelsAt, depth, probe)) {
        return false;
    }
    if (probe.any) {
        return streamDibPixels(dib, data, length, pixelsAt, depth, sink);
    }
    try {
        MakeOpaque opaque(sink, dib.width);
        return streamDibPixels(dib, data, length, pixelsAt, depth, opaque);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

std::unique_ptr<RasterImage> decodeBmp(const uint8_t* data, size_t length) {
    ImageSink sink;
    if (!streamBmp(data, length, sink)) {
        return nullptr;
    }
    return sink.take(ImageFormat::Bmp);
}

}  // namespace drape::raster::detail
