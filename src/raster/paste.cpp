// Pasting an image at its own size onto the target, plainly or with a constant alpha, clipped
// to the target.
#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

#include "raster/raster_state.h"

namespace drape::raster {

namespace {

// The part of the source that lands inside the target.
struct PasteArea {
    int sourceX = 0;
    int sourceY = 0;
    int targetX = 0;
    int targetY = 0;
    int width = 0;
    int height = 0;
};

std::optional<PasteArea> clipPaste(const RasterImage& source, const RasterImage& target, int x,
                                   int y) {
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t{x} + source.width, target.width);
    const int64_t bottom = std::min<int64_t>(int64_t{y} + source.height, target.height);
    if (left >= right || top >= bottom) {
        return std::nullopt;
    }
    PasteArea area;
    area.sourceX = static_cast<int>(left - x);
    area.sourceY = static_cast<int>(top - y);
    area.targetX = static_cast<int>(left);
    area.targetY = static_cast<int>(top);
    area.width = static_cast<int>(right - left);
    area.height = static_cast<int>(bottom - top);
    return area;
}

// Calls `pixel(target, source)` for every pixel of the area, row by row.
template <typename PixelOp>
void forEachPixel(RasterImage& target, const RasterImage& source, const PasteArea& area,
                  PixelOp pixel) {
    const size_t targetBpp = static_cast<size_t>(detail::bytesPerPixel(target));
    const size_t sourceBpp = static_cast<size_t>(detail::bytesPerPixel(source));
    for (int row = 0; row < area.height; ++row) {
        uint8_t* d = target.row(area.targetY + row) + static_cast<size_t>(area.targetX) * targetBpp;
        const uint8_t* s =
            source.row(area.sourceY + row) + static_cast<size_t>(area.sourceX) * sourceBpp;
        for (int i = 0; i < area.width; ++i, d += targetBpp, s += sourceBpp) {
            pixel(d, s);
        }
    }
}

// Calls `span(target, source, bytes)` for every row of the area; both images have one depth.
template <typename SpanOp>
void forEachRow(RasterImage& target, const RasterImage& source, const PasteArea& area,
                SpanOp span) {
    const size_t bpp = static_cast<size_t>(detail::bytesPerPixel(target));
    const size_t bytes = static_cast<size_t>(area.width) * bpp;
    for (int row = 0; row < area.height; ++row) {
        span(target.row(area.targetY + row) + static_cast<size_t>(area.targetX) * bpp,
             source.row(area.sourceY + row) + static_cast<size_t>(area.sourceX) * bpp, bytes);
    }
}

// Mixes a run of bytes in with a constant alpha: (src * a + old * (255 - a)) / 255 per byte.
// The divide of mixByte is written out, because a call would not be inlined into the vector
// clones and the loop would stay scalar.
DRAPE_VECTOR_CLONES void mixSpan(uint8_t* d, const uint8_t* s, size_t n, uint16_t alpha) {
    const auto keep = static_cast<uint16_t>(255 - alpha);
    for (size_t i = 0; i < n; ++i) {
        const auto incremented = static_cast<uint16_t>(d[i] * keep + s[i] * alpha + 1);
        d[i] = static_cast<uint8_t>((uint32_t{incremented} * 257u) >> 16);
    }
}

// Mixes the source in with a constant alpha 1..255.
void pasteWithAlpha(RasterImage& target, const RasterImage& source, const PasteArea& area,
                    int alpha) {
    const auto a = static_cast<uint16_t>(alpha);
    if (source.depth == 32) {
        // The source's own alpha scales the constant one per pixel.
        forEachPixel(target, source, area, [a](uint8_t* d, const uint8_t* s) {
            const auto pixelAlpha = static_cast<uint16_t>(s[3] * a / 255);
            const auto keep = static_cast<uint16_t>(255 - pixelAlpha);
            d[0] = detail::mixByte(d[0], keep, static_cast<uint16_t>(s[0] * pixelAlpha));
            d[1] = detail::mixByte(d[1], keep, static_cast<uint16_t>(s[1] * pixelAlpha));
            d[2] = detail::mixByte(d[2], keep, static_cast<uint16_t>(s[2] * pixelAlpha));
        });
        return;
    }
    if (target.depth == 24) {
        forEachRow(target, source, area,
                   [a](uint8_t* d, const uint8_t* s, size_t n) { mixSpan(d, s, n, a); });
        return;
    }
    const auto keep = static_cast<uint16_t>(255 - a);
    forEachPixel(target, source, area, [a, keep](uint8_t* d, const uint8_t* s) {
        d[0] = detail::mixByte(d[0], keep, static_cast<uint16_t>(s[0] * a));
        d[1] = detail::mixByte(d[1], keep, static_cast<uint16_t>(s[1] * a));
        d[2] = detail::mixByte(d[2], keep, static_cast<uint16_t>(s[2] * a));
    });
}

void paste(RasterImage& target, const RasterImage& source, const PasteArea& area, DrawMode mode) {
    const bool sameLayout = source.depth == 24 && target.depth == 24;
    if (mode == DrawMode::Xor) {
        if (sameLayout) {
            forEachRow(target, source, area, [](uint8_t* d, const uint8_t* s, size_t n) {
                for (size_t i = 0; i < n; ++i) {
                    d[i] ^= s[i];
                }
            });
        } else {
            forEachPixel(target, source, area, [](uint8_t* d, const uint8_t* s) {
                d[0] ^= s[0];
                d[1] ^= s[1];
                d[2] ^= s[2];
            });
        }
        return;
    }
    if (mode == DrawMode::Blend && source.depth == 32) {
        // The source's own alpha weighs each pixel.
        forEachPixel(target, source, area, [](uint8_t* d, const uint8_t* s) {
            const uint16_t keep = static_cast<uint16_t>(255 - s[3]);
            d[0] = detail::mixByte(d[0], keep, static_cast<uint16_t>(s[0] * s[3]));
            d[1] = detail::mixByte(d[1], keep, static_cast<uint16_t>(s[1] * s[3]));
            d[2] = detail::mixByte(d[2], keep, static_cast<uint16_t>(s[2] * s[3]));
        });
        return;
    }
    // Every other case copies the colour bytes; a source alpha is ignored and a 32-bit
    // target keeps its own.
    if (sameLayout) {
        forEachRow(target, source, area,
                   [](uint8_t* d, const uint8_t* s, size_t n) { std::memcpy(d, s, n); });
    } else {
        forEachPixel(target, source, area, [](uint8_t* d, const uint8_t* s) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        });
    }
}

}  // namespace

namespace {

// Pastes `image` at (x, y) with constant alpha 0..255 onto the context's target. `blend` says
// the caller asked for a mix, which makes a 32-bit source's own alpha count in every mode.
void pasteAt(ImageHandle image, int x, int y, int alpha, bool blend) {
    const detail::DrawContext& context = detail::rasterState().context;
    if (context.target == nullptr || image == nullptr || alpha <= 0) {
        return;
    }
    const std::optional<PasteArea> area = clipPaste(*image, *context.target, x, y);
    if (!area) {
        return;
    }
    const auto draw = [&](const RasterImage& source) {
        const bool mix =
            source.depth == 32 ? blend || context.mode == DrawMode::Blend : alpha < 255;
        if (context.mode == DrawMode::Xor || !mix) {
            paste(*context.target, source, *area, context.mode);
        } else {
            pasteWithAlpha(*context.target, source, *area, std::min(alpha, 255));
        }
    };
    if (image != context.target) {
        draw(*image);
        return;
    }
    // Pasting the target onto itself reads pixels that the same paste overwrites; work from
    // a copy.
    try {
        const RasterImage copy = *image;
        draw(copy);
    } catch (const std::bad_alloc&) {
        // No memory for the copy: the paste draws nothing, like a failed drawing context.
    }
}

}  // namespace

void pasteImage(ImageHandle image, int x, int y) {
    pasteAt(image, x, y, 255, false);
}

void blendImage(ImageHandle image, int x, int y, int alpha) {
    pasteAt(image, x, y, alpha, true);
}

}  // namespace drape::raster
