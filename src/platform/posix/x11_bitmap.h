// Drape's wallpaper bitmap on its way to an X pixmap: reading the 24-bit bottom-up BMP the
// program writes, and laying its pixels out in the server's pixel format. The core's decoders
// live above the platform layer, so the backend reads its one format itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace drape::platform::posix {

// The pixels of a BMP file, still inside the file's bytes (which must outlive it).
struct Bmp24 {
    int width = 0;
    int height = 0;
    size_t stride = 0;                   // bytes per stored row, a multiple of 4
    const uint8_t* bottomRow = nullptr;  // the first stored row: the bottom of the picture

    // Blue, green and red of pixel (x, y), y counted from the top.
    const uint8_t* at(int x, int y) const {
        return bottomRow + static_cast<size_t>(height - 1 - y) * stride +
               static_cast<size_t>(x) * 3;
    }
};

// The largest side an X pixmap can have (the protocol's sizes are 16-bit, signed in places).
inline constexpr int kMaxPixmapSide = 32767;

// Reads an uncompressed 24-bit BMP with a 40-byte header and rows stored bottom-up, at most
// kMaxPixmapSide a side. Anything else, or a file too short for its pixels, gives nullopt and
// a short `problem` ("not a 24-bit BMP", ...).
std::optional<Bmp24> readBmp24(std::string_view file, std::string& problem);

// How the server stores a pixel of a TrueColor visual in an image.
struct PixelFormat {
    int bitsPerPixel = 32;  // 24 or 32 are supported
    bool msbFirst = false;  // byte order of the image
    uint32_t redMask = 0;   // the visual's masks: contiguous runs of bits
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
};

// True when `format` can be produced: 24 or 32 bits per pixel and masks that are non-empty,
// contiguous, disjoint and fit in the pixel.
bool isPackable(const PixelFormat& format);

// The pixel value of a colour: each 8-bit channel scaled to its mask's width.
uint32_t pixelValue(uint8_t red, uint8_t green, uint8_t blue, const PixelFormat& format);

// Writes the bitmap into `out` (height rows of `bytesPerLine` bytes) as the tile of a window
// background whose origin lies at (originX, originY) of the bitmap's own tiling: out pixel (x, y)
// is bitmap pixel ((x - originX) mod width, (y - originY) mod height). `format` must be packable.
void packTile(const Bmp24& bitmap, int64_t originX, int64_t originY, const PixelFormat& format,
              size_t bytesPerLine, uint8_t* out);

}  // namespace drape::platform::posix
