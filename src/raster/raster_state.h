// The process-wide state of the raster layer and the helpers its files share.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "raster/pixel_ops.h"
#include "raster/raster.h"

namespace drape::raster::detail {

inline constexpr Colour kWhite = makeColour(255, 255, 255);

// The one drawing context. The program paints from one thread, so there is one for the
// process; a target that is released or replaced ends it.
struct DrawContext {
    RasterImage* target = nullptr;
    DrawMode mode = DrawMode::Opaque;
    Colour currentColour = kWhite;
    FontHandle font = 0;  // the selected font; 0 draws and measures nothing
    // Text coverage, 24 bits, as wide as the target; kept for the context's life so that
    // painting many lines does not allocate for each.
    std::vector<uint8_t> textCoverage;
};

struct RasterState {
    std::mutex tableLock;  // guards `images`
    std::map<int, std::unique_ptr<RasterImage>> images;
    DrawContext context;
    TextCoverage textCoverage = TextCoverage::PerChannel;
    // Set when a decode refuses an image too large to hold whole; the file fit clears it.
    bool overBudget = false;
    std::mutex fontLock;  // guards `fonts`
    // Every open font by handle, with its number (0 for a font made without one).
    std::map<FontHandle, int> fonts;
};

RasterState& rasterState();

// A zeroed image, or nullptr when the size is outside 1..kMaxImageSide, the depth is not 24
// or 32, or no memory can be had.
std::unique_ptr<RasterImage> makeImage(int width, int height, int depth);

// Puts `image` into `number`, releasing what it held; an empty `image` just empties it.
// Returns the stored image.
RasterImage* putImage(int number, std::unique_ptr<RasterImage> image);

// A new image of `source`'s depth holding its pixels from (x, y); black where the rectangle
// leaves the source. nullptr as `makeImage`.
std::unique_ptr<RasterImage> copyRegion(const RasterImage& source, int x, int y, int width,
                                        int height);

// Writes every pixel of the half-open box [left, right) x [top, bottom), clipped to the target.
void fillBox(RasterImage& target, int64_t left, int64_t top, int64_t right, int64_t bottom,
             const PixelWrite& w);

// Fills every pixel of a fresh image with the same bytes (3 or 4, by the image's depth).
void fillWholeImage(RasterImage& image, const uint8_t* pixel);

inline int bytesPerPixel(const RasterImage& image) {
    return image.depth / 8;
}

}  // namespace drape::raster::detail
