// The arithmetic of the drawing modes. Every operation that changes pixels (fills, lines,
// single pixels, pasting, the white backdrop of 32-bit BMP output) takes its byte formulas
// from here, so a mode means the same thing wherever it is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "raster/raster.h"

// Hot span loops are compiled for several instruction sets where the toolchain can pick one at
// load time: wider vectors take the blend from twice a memcpy's time (SSE2) down to about one.
#if defined(DRAPE_TARGET_CLONES)
#define DRAPE_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define DRAPE_VECTOR_CLONES
#endif

namespace drape::raster::detail {

// x / 255 truncated, without a division, as ((x + 1) * 257) >> 16; exact for 0 <= x <= 65534,
// which covers every old * (255 - a) + new * a. Span loops add the 1 into their per-channel
// constant ahead of time and use the second half alone. Written on 16-bit values so that the
// loops vectorise to one multiply-high per eight bytes.
constexpr uint16_t div255OfIncremented(uint16_t incremented) {
    return static_cast<uint16_t>((uint32_t{incremented} * 257u) >> 16);
}
constexpr uint16_t div255(uint16_t x) {
    return div255OfIncremented(static_cast<uint16_t>(x + 1u));
}

// The blend of one byte: (old * keep + add) / 255, with keep = 255 - a and add = new * a.
constexpr uint8_t mixByte(uint8_t old, uint16_t keep, uint16_t add) {
    return static_cast<uint8_t>(div255(static_cast<uint16_t>(old * keep + add)));
}

// One colour prepared for a mode: the bytes of a pixel in memory order and, for Blend, the
// two factors of each channel.
struct PixelWrite {
    DrawMode mode = DrawMode::Opaque;
    uint8_t bytes[3] = {0, 0, 0};  // blue, green, red
    uint16_t keep = 255;           // 255 - alpha
    uint16_t add[3] = {0, 0, 0};   // channel * alpha
};

constexpr PixelWrite pixelWriteFor(DrawMode mode, Colour colour) {
    PixelWrite w;
    w.mode = mode;
    w.bytes[0] = static_cast<uint8_t>(blueOf(colour));
    w.bytes[1] = static_cast<uint8_t>(greenOf(colour));
    w.bytes[2] = static_cast<uint8_t>(redOf(colour));
    const uint32_t alpha = alphaOf(colour);
    w.keep = static_cast<uint16_t>(255 - alpha);
    for (int c = 0; c < 3; ++c) {
        w.add[c] = static_cast<uint16_t>(w.bytes[c] * alpha);
    }
    return w;
}

// Writes the colour bytes of one pixel; a 32-bit pixel keeps its alpha byte.
inline void writePixel(uint8_t* p, const PixelWrite& w) {
    switch (w.mode) {
        case DrawMode::Opaque:
        case DrawMode::TransparentBackground:
            p[0] = w.bytes[0];
            p[1] = w.bytes[1];
            p[2] = w.bytes[2];
            break;
        case DrawMode::Xor:
            p[0] ^= w.bytes[0];
            p[1] ^= w.bytes[1];
            p[2] ^= w.bytes[2];
            break;
        case DrawMode::Blend:
            p[0] = mixByte(p[0], w.keep, w.add[0]);
            p[1] = mixByte(p[1], w.keep, w.add[1]);
            p[2] = mixByte(p[2], w.keep, w.add[2]);
            break;
    }
}

// A colour unrolled over a run of 24-bit pixels for the span loops. 192 bytes hold whole
// pixels and whole 16-, 32- and 64-byte vectors, so a loop over 192-byte blocks sees the same
// pattern in every block.
inline constexpr size_t kPatternBytes = 192;

struct SpanPattern {
    uint8_t bytes[kPatternBytes];      // copied (Opaque) or XORed (Xor)
    uint16_t keep;                     // Blend: 255 - alpha for every byte
    uint16_t addBytes[kPatternBytes];  // Blend: each byte's channel * alpha + 1
};

inline SpanPattern spanPatternFor(const PixelWrite& w) {
    SpanPattern s{};
    s.keep = w.keep;
    for (size_t j = 0; j < kPatternBytes; ++j) {
        s.bytes[j] = w.bytes[j % 3];
        s.addBytes[j] = static_cast<uint16_t>(w.add[j % 3] + 1u);
    }
    return s;
}

}  // namespace drape::raster::detail
