// The drawing context: its target, mode and colour, single pixels and region capture.
#include "raster/raster_state.h"

namespace drape::raster {

using detail::rasterState;

namespace {

// The target's pixel at (x, y), or nullptr when there is no target or the point is outside.
uint8_t* targetPixel(int x, int y) {
    RasterImage* target = rasterState().context.target;
    if (target == nullptr || x < 0 || y < 0 || x >= target->width || y >= target->height) {
        return nullptr;
    }
    return target->row(y) +
           static_cast<size_t>(x) * static_cast<size_t>(detail::bytesPerPixel(*target));
}

}  // namespace

int openContext(int number) {
    detail::DrawContext& context = rasterState().context;
    context = detail::DrawContext{};
    RasterImage* image = imageHandle(number);
    // Icons are pictures for buttons, not bitmaps one can draw on.
    if (image == nullptr || image->format == ImageFormat::Icon) {
        return 0;
    }
    context.target = image;
    return 1;
}

void closeContext() {
    rasterState().context = detail::DrawContext{};
}

void setMode(DrawMode mode) {
    rasterState().context.mode = mode;
}

void setCurrentColour(Colour colour) {
    rasterState().context.currentColour = colour;
}

void putPixel(int x, int y, Colour colour) {
    uint8_t* p = targetPixel(x, y);
    if (p != nullptr) {
        detail::writePixel(p, detail::pixelWriteFor(rasterState().context.mode, colour));
    }
}

Colour pixelAt(int x, int y) {
    const uint8_t* p = targetPixel(x, y);
    return p == nullptr ? 0 : makeColour(p[2], p[1], p[0]);
}

int captureRegion(int number, int x, int y, int width, int height) {
    const RasterImage* target = rasterState().context.target;
    std::unique_ptr<RasterImage> capture;
    if (target != nullptr) {
        capture = detail::copyRegion(*target, x, y, width, height);
    }
    return detail::putImage(number, std::move(capture)) != nullptr ? 1 : 0;
}

}  // namespace drape::raster
