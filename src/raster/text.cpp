// Text on the drawing context: the platform rasterises the string white on black into the
// context's coverage buffer, and the coverage of the text cell is composited onto the target
// by the formula of the context's mode.
//
// Modes, per channel c with coverage m (0..255) and truncating divisions:
//   Opaque                 (back * (255 - m) + front * m) / 255: text on a box of the back colour
//   TransparentBackground  (front * m + old * (255 - m)) / 255; the front alpha is ignored
//   Blend                  k = alpha * (mR + mG + mB) / 765, then (front * k + old * (255 - k)) /
//   255;
//                          the back colour plays no part
//   Xor                    old XOR (front * m / 255): a fully covered pixel is XORed with the
//                          colour as every other Xor drawing does, an uncovered one is left
//                          alone, and painting the same text twice restores the picture
// With grey coverage (drape98), Opaque and TransparentBackground take m = (mR + mG + mB) / 3 for
// every channel.
#include <algorithm>
#include <limits>
#include <new>

#include "platform/platform.h"
#include "raster/raster_state.h"

namespace drape::raster {

using detail::rasterState;

namespace {

// The colours of one paintText call in pixel byte order (blue, green, red).
struct TextColours {
    uint16_t front[3];
    uint16_t back[3];
    uint32_t alpha;
};

TextColours textColours(Colour front, Colour back) {
    return {{static_cast<uint16_t>(blueOf(front)), static_cast<uint16_t>(greenOf(front)),
             static_cast<uint16_t>(redOf(front))},
            {static_cast<uint16_t>(blueOf(back)), static_cast<uint16_t>(greenOf(back)),
             static_cast<uint16_t>(redOf(back))},
            alphaOf(front)};
}

uint8_t weighted(uint16_t a, uint16_t wa, uint16_t b, uint16_t wb) {
    return static_cast<uint8_t>(detail::div255(static_cast<uint16_t>(a * wa + b * wb)));
}

// One pixel of each mode: `p` the target's bytes, `m` the coverage's, both blue, green, red.
void opaqueText(uint8_t* p, const uint8_t* m, const TextColours& c) {
    for (int ch = 0; ch < 3; ++ch) {
        p[ch] = weighted(c.back[ch], static_cast<uint16_t>(255 - m[ch]), c.front[ch], m[ch]);
    }
}

void transparentBackgroundText(uint8_t* p, const uint8_t* m, const TextColours& c) {
    for (int ch = 0; ch < 3; ++ch) {
        p[ch] = weighted(c.front[ch], m[ch], p[ch], static_cast<uint16_t>(255 - m[ch]));
    }
}

void blendText(uint8_t* p, const uint8_t* m, const TextColours& c) {
    const auto k = static_cast<uint16_t>(c.alpha * (uint32_t{m[0]} + m[1] + m[2]) / 765);
    if (k == 0) {
        return;
    }
    for (int ch = 0; ch < 3; ++ch) {
        p[ch] = weighted(c.front[ch], k, p[ch], static_cast<uint16_t>(255 - k));
    }
}

void xorText(uint8_t* p, const uint8_t* m, const TextColours& c) {
    for (int ch = 0; ch < 3; ++ch) {
        p[ch] ^= static_cast<uint8_t>(detail::div255(static_cast<uint16_t>(c.front[ch] * m[ch])));
    }
}

// The part of the text cell that lands on the target, and where its coverage lies in the
// buffer.
struct TextArea {
    int targetX = 0;
    int targetY = 0;
    int bufferX = 0;
    int bufferY = 0;
    int width = 0;
    int height = 0;
};

template <typename PixelOp>
void composite(RasterImage& target, const uint8_t* coverage, size_t coverageStride,
               const TextArea& area, const TextColours& colours, PixelOp pixel) {
    const size_t bpp = static_cast<size_t>(detail::bytesPerPixel(target));
    for (int row = 0; row < area.height; ++row) {
        uint8_t* p = target.row(area.targetY + row) + static_cast<size_t>(area.targetX) * bpp;
        const uint8_t* m = coverage + static_cast<size_t>(area.bufferY + row) * coverageStride +
                           static_cast<size_t>(area.bufferX) * 3;
        for (int i = 0; i < area.width; ++i, p += bpp, m += 3) {
            pixel(p, m, colours);
        }
    }
}

// One grey coverage for all three channels: 255 (mR + mG + mB) / 765, which is their mean.
void greyCoverage(uint8_t* coverage, size_t coverageStride, const TextArea& area) {
    for (int row = 0; row < area.height; ++row) {
        uint8_t* m = coverage + static_cast<size_t>(area.bufferY + row) * coverageStride +
                     static_cast<size_t>(area.bufferX) * 3;
        for (int i = 0; i < area.width; ++i, m += 3) {
            const auto grey = static_cast<uint8_t>((uint32_t{m[0]} + m[1] + m[2]) / 3);
            m[0] = m[1] = m[2] = grey;
        }
    }
}

int clampToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

platform::TextExtent measure(const std::string& text) {
    const FontHandle font = rasterState().context.font;
    if (text.empty() || font == 0) {
        return {};
    }
    return platform::current().measureText(font, text);
}

}  // namespace

void setTextCoverage(TextCoverage coverage) {
    rasterState().textCoverage = coverage;
}

int measureTextWidth(const std::string& text) {
    return measure(text).width;
}

int measureTextHeight(const std::string& text) {
    return measure(text).height;
}

int paintText(int x, int y, const std::string& text, Colour front, Colour back) {
    detail::DrawContext& context = rasterState().context;
    const platform::TextExtent extent = measure(text);
    const int end = clampToInt(int64_t{x} + extent.width);
    RasterImage* target = context.target;
    if (target == nullptr || extent.width <= 0 || extent.height <= 0) {
        return end;
    }
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t{x} + extent.width, target->width);
    const int64_t bottom = std::min<int64_t>(int64_t{y} + extent.height, target->height);
    if (left >= right || top >= bottom) {
        return end;
    }

    // Text that starts left of the target is rendered shifted left by as much, so that its
    // visible part begins at the buffer's column 0 like the target's; otherwise the cell
    // starts at column 0. The cell's top is row 0, and the buffer reaches down to the last
    // row that lands on the target.
    const int renderX = x < 0 ? x : 0;
    TextArea area;
    area.targetX = static_cast<int>(left);
    area.targetY = static_cast<int>(top);
    area.bufferX = static_cast<int>(left - (x - renderX));
    area.bufferY = static_cast<int>(top - y);
    area.width = static_cast<int>(right - left);
    area.height = static_cast<int>(bottom - top);
    const int rows = static_cast<int>(bottom - y);
    const size_t stride = strideFor(target->width, 24);
    const size_t bytes = stride * static_cast<size_t>(rows);
    std::vector<uint8_t>& coverage = context.textCoverage;
    if (coverage.size() < bytes) {
        try {
            coverage.resize(bytes);
        } catch (const std::bad_alloc&) {
            return end;
        }
    }
    // Only the part that is composited must start black; the rest is never read.
    for (int row = area.bufferY; row < rows; ++row) {
        std::fill_n(coverage.data() + static_cast<size_t>(row) * stride +
                        static_cast<size_t>(area.bufferX) * 3,
                    static_cast<size_t>(area.width) * 3, uint8_t{0});
    }
    platform::current().renderText(context.font, text, renderX,
                                   {target->width, rows, stride, coverage.data()});

    const TextColours colours = textColours(front, back);
    if (rasterState().textCoverage == TextCoverage::Grey &&
        (context.mode == DrawMode::Opaque || context.mode == DrawMode::TransparentBackground)) {
        greyCoverage(coverage.data(), stride, area);
    }
    switch (context.mode) {
        case DrawMode::Opaque:
            composite(*target, coverage.data(), stride, area, colours, opaqueText);
            break;
        case DrawMode::TransparentBackground:
            composite(*target, coverage.data(), stride, area, colours, transparentBackgroundText);
            break;
        case DrawMode::Blend:
            composite(*target, coverage.data(), stride, area, colours, blendText);
            break;
        case DrawMode::Xor:
            composite(*target, coverage.data(), stride, area, colours, xorText);
            break;
    }
    return end;
}

}  // namespace drape::raster
