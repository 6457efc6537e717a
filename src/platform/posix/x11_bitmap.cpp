// [X] Reads Drape's own BMP (24 bits, 40-byte header, bottom-up, uncompressed); refuses others
// [X] Packs pixels for 24- and 32-bit TrueColor visuals after their masks, either byte order
// [X] Turns the tile so that the bitmap's origin lands where the primary monitor is
// [ ] 8- and 16-bit visuals and colour maps (PseudoColor, DirectColor): refused
#include "platform/posix/x11_bitmap.h"

#include <array>
#include <bit>
#include <cstring>

namespace drape::platform::posix {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;

uint32_t le32(std::string_view bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
    }
    return value;
}

uint16_t le16(std::string_view bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) |
                                 static_cast<uint8_t>(bytes[at + 1]) << 8);
}

bool isContiguous(uint32_t mask) {
    if (mask == 0) {
        return false;
    }
    const uint32_t run = mask >> std::countr_zero(mask);
    return (run & (run + 1)) == 0;
}

uint32_t scaleToMask(uint8_t channel, uint32_t mask) {
    const int shift = std::countr_zero(mask);
    const uint32_t top = mask >> shift;
    return ((static_cast<uint32_t>(channel) * top + 127) / 255) << shift;
}

}  // namespace

std::optional<Bmp24> readBmp24(std::string_view file, std::string& problem) {
    if (file.size() < kFileHeaderSize + kInfoHeaderSize || file[0] != 'B' || file[1] != 'M') {
        problem = "not a BMP file";
        return std::nullopt;
    }
    const uint32_t dataOffset = le32(file, 10);
    const uint32_t headerSize = le32(file, 14);
    const int32_t width = static_cast<int32_t>(le32(file, 18));
    const int32_t height = static_cast<int32_t>(le32(file, 22));
    if (headerSize != kInfoHeaderSize || le16(file, 26) != 1 || le16(file, 28) != 24 ||
        le32(file, 30) != 0) {
        problem = "not an uncompressed 24-bit BMP";
        return std::nullopt;
    }
    // A negative height stores rows top-down; Drape never writes that.
    if (width <= 0 || height <= 0 || width > kMaxPixmapSide || height > kMaxPixmapSide) {
        problem = "a BMP of " + std::to_string(width) + " x " + std::to_string(height) +
                  " pixels is not shown (1 to 32767 a side, rows stored bottom-up)";
        return std::nullopt;
    }
    Bmp24 bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    const size_t pixelBytes = bitmap.stride * static_cast<size_t>(height);
    if (dataOffset < kFileHeaderSize + kInfoHeaderSize || dataOffset > file.size() ||
        file.size() - dataOffset < pixelBytes) {
        problem = "the BMP file is shorter than its pixels";
        return std::nullopt;
    }
    bitmap.bottomRow = reinterpret_cast<const uint8_t*>(file.data()) + dataOffset;
    return bitmap;
}

bool isPackable(const PixelFormat& format) {
    if (format.bitsPerPixel != 24 && format.bitsPerPixel != 32) {
        return false;
    }
    const uint32_t fits =
        format.bitsPerPixel == 32 ? 0xFFFFFFFFu : (uint32_t{1} << format.bitsPerPixel) - 1;
    const uint32_t all = format.redMask | format.greenMask | format.blueMask;
    return isContiguous(format.redMask) && isContiguous(format.greenMask) &&
           isContiguous(format.blueMask) && (format.redMask & format.greenMask) == 0 &&
           (format.redMask & format.blueMask) == 0 && (format.greenMask & format.blueMask) == 0 &&
           (all & ~fits) == 0;
}

uint32_t pixelValue(uint8_t red, uint8_t green, uint8_t blue, const PixelFormat& format) {
    return scaleToMask(red, format.redMask) | scaleToMask(green, format.greenMask) |
           scaleToMask(blue, format.blueMask);
}

void packTile(const Bmp24& bitmap, int64_t originX, int64_t originY, const PixelFormat& format,
              size_t bytesPerLine, uint8_t* out) {
    const int64_t width = bitmap.width;
    const int64_t height = bitmap.height;
    // Where out column 0 and row 0 come from: (-origin) mod size, never negative.
    const int firstColumn = static_cast<int>(((-originX) % width + width) % width);
    const int firstRow = static_cast<int>(((-originY) % height + height) % height);
    const size_t bytesPerPixel = static_cast<size_t>(format.bitsPerPixel) / 8;
    // A desktop has millions of pixels and only 3 x 256 channel values.
    std::array<uint32_t, 256> red{};
    std::array<uint32_t, 256> green{};
    std::array<uint32_t, 256> blue{};
    for (uint32_t value = 0; value < 256; ++value) {
        red[value] = scaleToMask(static_cast<uint8_t>(value), format.redMask);
        green[value] = scaleToMask(static_cast<uint8_t>(value), format.greenMask);
        blue[value] = scaleToMask(static_cast<uint8_t>(value), format.blueMask);
    }

    for (int y = 0; y < bitmap.height; ++y) {
        const int sourceRow = (firstRow + y) % bitmap.height;
        uint8_t* target = out + static_cast<size_t>(y) * bytesPerLine;
        int sourceColumn = firstColumn;
        for (int x = 0; x < bitmap.width; ++x) {
            const uint8_t* bgr = bitmap.at(sourceColumn, sourceRow);
            const uint32_t pixel = red[bgr[2]] | green[bgr[1]] | blue[bgr[0]];
            for (size_t i = 0; i < bytesPerPixel; ++i) {
                const size_t shift = 8 * (format.msbFirst ? bytesPerPixel - 1 - i : i);
                target[i] = static_cast<uint8_t>(pixel >> shift);
            }
            target += bytesPerPixel;
            if (++sourceColumn == bitmap.width) {
                sourceColumn = 0;
            }
        }
        // Scanline padding: defined bytes, so nothing uninitialised goes to the server.
        std::memset(target, 0, bytesPerLine - static_cast<size_t>(bitmap.width) * bytesPerPixel);
    }
}

}  // namespace drape::platform::posix
