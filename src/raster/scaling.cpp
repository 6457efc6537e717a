// Pasting an image scaled to a given size.
#include "raster/scaling.h"

#include <bit>

#include "platform/platform.h"
#include "raster/raster_state.h"

namespace drape::raster {

namespace detail {

namespace {

// A 32-bit pixel read as one little-endian word (alpha in the top byte); may_alias lets the
// pixel bytes be read this way.
typedef uint32_t __attribute__((may_alias)) PixelWord;
static_assert(std::endian::native == std::endian::little);

}  // namespace

// Branch-free, so that the loop vectorises: a zero alpha turns into a mask of the colour bits.
DRAPE_VECTOR_CLONES void whitenRow(uint8_t* row, size_t pixels) {
    PixelWord* p = reinterpret_cast<PixelWord*>(row);
    for (size_t i = 0; i < pixels; ++i) {
        p[i] |= p[i] < 0x01000000u ? 0x00FFFFFFu : 0u;
    }
}

void whitenTransparent(RasterImage& image) {
    if (image.depth != 32) {
        return;
    }
    for (int y = 0; y < image.height; ++y) {
        whitenRow(image.row(y), static_cast<size_t>(image.width));
    }
}

std::unique_ptr<RasterImage> scaledCopy(RasterImage& source, int width, int height) {
    if (source.depth == 32) {
        // Fully transparent pixels come out white, and blend white rather than the colour
        // stored under them into the edges of what is opaque.
        whitenTransparent(source);
        return resampleMitchell(source, width, height);
    }
    auto scaled = makeImage(width, height, 24);
    if (scaled == nullptr) {
        return nullptr;
    }
    const platform::PixelView from{source.width, source.height, source.stride,
                                   source.pixels.data()};
    const platform::MutablePixelView to{scaled->width, scaled->height, scaled->stride,
                                        scaled->pixels.data()};
    platform::current().stretchHalftone(from, to);
    return scaled;
}

}  // namespace detail

void pasteImageScaled(ImageHandle image, int x, int y, int width, int height) {
    if (image == nullptr || width <= 0 || height <= 0 ||
        detail::rasterState().context.target == nullptr) {
        return;
    }
    // Stored images are 24 or 32 bits deep, so only the size decides.
    if (width == image->width && height == image->height) {
        pasteImage(image, x, y);
        return;
    }
    const std::unique_ptr<RasterImage> scaled = detail::scaledCopy(*image, width, height);
    if (scaled != nullptr) {
        pasteImage(scaled.get(), x, y);
    }
}

}  // namespace drape::raster
