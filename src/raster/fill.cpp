// Filled rectangles, and the span loops that every run of same-coloured pixels goes through.
//
// Canvases are as wide as the whole desktop, so on 24-bit targets a span is handled against
// the colour unrolled over 96 bytes: the inner loops are fixed-length loops over bytes or
// 16-bit words that the compiler turns into vector code, with no per-pixel branch on the mode.
// 32-bit targets, which the program does not draw on, take the per-pixel path.
#include <algorithm>
#include <cstring>

#include "raster/raster_state.h"

namespace drape::raster {

namespace detail {
namespace {

void copySpan(uint8_t* d, size_t n, const uint8_t* pattern) {
    size_t i = 0;
    for (; i + kPatternBytes <= n; i += kPatternBytes) {
        std::memcpy(d + i, pattern, kPatternBytes);
    }
    std::memcpy(d + i, pattern, n - i);
}

DRAPE_VECTOR_CLONES void xorSpan(uint8_t* d, size_t n, const uint8_t* pattern) {
    size_t i = 0;
    for (; i + kPatternBytes <= n; i += kPatternBytes) {
        for (size_t j = 0; j < kPatternBytes; ++j) {
            d[i + j] ^= pattern[j];
        }
    }
    for (size_t j = 0; i + j < n; ++j) {
        d[i + j] ^= pattern[j];
    }
}

// Each byte widens to a 16-bit lane: old * keep + add + 1 fits, and the divide by 255 is a
// multiply-high. The arithmetic of div255OfIncremented is written out and no memcpy is used,
// because neither would be inlined into the AVX2 clone.
DRAPE_VECTOR_CLONES void blendSpan(uint8_t* d, size_t n, const SpanPattern& pattern,
                                   const PixelWrite& w) {
    const uint16_t keep = pattern.keep;
    uint16_t add[kPatternBytes];
    for (size_t j = 0; j < kPatternBytes; ++j) {
        add[j] = pattern.addBytes[j];
    }
    size_t i = 0;
    for (; i + kPatternBytes <= n; i += kPatternBytes) {
        uint8_t* block = d + i;
        for (size_t j = 0; j < kPatternBytes; ++j) {
            const auto sum = static_cast<uint16_t>(block[j] * keep + add[j]);
            block[j] = static_cast<uint8_t>((uint32_t{sum} * 257u) >> 16);
        }
    }
    for (size_t j = 0; i + j < n; ++j) {
        d[i + j] = mixByte(d[i + j], w.keep, w.add[j % 3]);
    }
}

// Writes the first row's span from the pattern and copies it to the rows below.
void copyRows(RasterImage& target, size_t offset, size_t bytes, int top, int bottom,
              const uint8_t* pattern) {
    uint8_t* first = target.row(top) + offset;
    copySpan(first, bytes, pattern);
    for (int y = top + 1; y < bottom; ++y) {
        std::memcpy(target.row(y) + offset, first, bytes);
    }
}

}  // namespace

void fillBox(RasterImage& target, int64_t left, int64_t top, int64_t right, int64_t bottom,
             const PixelWrite& w) {
    left = std::max<int64_t>(left, 0);
    top = std::max<int64_t>(top, 0);
    right = std::min<int64_t>(right, target.width);
    bottom = std::min<int64_t>(bottom, target.height);
    if (left >= right || top >= bottom) {
        return;
    }
    const int y0 = static_cast<int>(top);
    const int y1 = static_cast<int>(bottom);
    const size_t bpp = static_cast<size_t>(bytesPerPixel(target));
    const size_t offset = static_cast<size_t>(left) * bpp;
    const size_t bytes = static_cast<size_t>(right - left) * bpp;
    if (bpp != 3) {
        for (int y = y0; y < y1; ++y) {
            uint8_t* row = target.row(y);
            for (size_t i = offset; i < offset + bytes; i += bpp) {
                writePixel(row + i, w);
            }
        }
        return;
    }

    PixelWrite effective = w;
    if (w.mode == DrawMode::Blend) {
        if (w.keep == 255) {
            return;  // alpha 0 changes nothing
        }
        if (w.keep == 0) {
            effective.mode = DrawMode::Opaque;  // alpha 255 gives exactly the colour
        }
    }
    const SpanPattern pattern = spanPatternFor(effective);
    switch (effective.mode) {
        case DrawMode::Opaque:
        case DrawMode::TransparentBackground:
            copyRows(target, offset, bytes, y0, y1, pattern.bytes);
            return;
        case DrawMode::Xor:
            for (int y = y0; y < y1; ++y) {
                xorSpan(target.row(y) + offset, bytes, pattern.bytes);
            }
            return;
        case DrawMode::Blend:
            for (int y = y0; y < y1; ++y) {
                blendSpan(target.row(y) + offset, bytes, pattern, effective);
            }
            return;
    }
}

void fillWholeImage(RasterImage& image, const uint8_t* pixel) {
    const size_t bpp = static_cast<size_t>(bytesPerPixel(image));
    uint8_t pattern[kPatternBytes];
    for (size_t j = 0; j < kPatternBytes; ++j) {
        pattern[j] = pixel[j % bpp];
    }
    copyRows(image, 0, static_cast<size_t>(image.width) * bpp, 0, image.height, pattern);
}

}  // namespace detail

void fillRect(int x, int y, int width, int height, Colour colour) {
    const detail::DrawContext& context = detail::rasterState().context;
    if (context.target == nullptr) {
        return;
    }
    int64_t left = x;
    int64_t top = y;
    int64_t w = width;
    int64_t h = height;
    if (w < 0) {
        left += w;
        w = -w;
    }
    if (h < 0) {
        top += h;
        h = -h;
    }
    detail::fillBox(*context.target, left, top, left + w, top + h,
                    detail::pixelWriteFor(context.mode, colour));
}

void fillRectCurrent(int x, int y, int width, int height) {
    fillRect(x, y, width, height, detail::rasterState().context.currentColour);
}

namespace {

// The sum stays below 2^16, so the loop vectorises on 16-bit lanes with a multiply for the
// divide.
DRAPE_VECTOR_CLONES void greyRow(uint8_t* p, size_t pixels) {
    for (size_t x = 0; x < pixels; ++x) {
        const auto sum =
            static_cast<uint16_t>(2 * p[3 * x + 2] + 3 * p[3 * x + 1] + 2 * p[3 * x] + 5);
        const auto g = static_cast<uint8_t>(sum / 10);
        p[3 * x] = g;
        p[3 * x + 1] = g;
        p[3 * x + 2] = g;
    }
}

}  // namespace

void greyImage(ImageHandle image) {
    if (image == nullptr || image->depth != 24) {
        return;
    }
    for (int y = 0; y < image->height; ++y) {
        greyRow(image->row(y), static_cast<size_t>(image->width));
    }
}

}  // namespace drape::raster
