// The numbered images: making, storing, copying and releasing them.
//
// An operation that puts an image into a number releases what the number held even when it
// fails, so after a failed `newImage`, `duplicateImage`, `cropImage` or `captureRegion` the
// number is empty. That also frees the old canvas before a new one of the same size is
// allocated.
#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "platform/memory.h"
#include "raster/raster_state.h"

namespace drape::raster {

using detail::rasterState;

size_t strideFor(int width, int depth) {
    if (width <= 0 || depth <= 0) {
        return 0;
    }
    return (static_cast<size_t>(width) * static_cast<size_t>(depth) + 31) / 32 * 4;
}

namespace detail {

RasterState& rasterState() {
    static RasterState state;
    return state;
}

std::unique_ptr<RasterImage> makeImage(int width, int height, int depth) {
    if (width < 1 || width > kMaxImageSide || height < 1 || height > kMaxImageSide) {
        return nullptr;
    }
    if (depth != 24 && depth != 32) {
        return nullptr;
    }
    const size_t stride = strideFor(width, depth);
    if (static_cast<size_t>(height) > std::numeric_limits<size_t>::max() / stride) {
        return nullptr;
    }
    try {
        auto image = std::make_unique<RasterImage>();
        image->width = width;
        image->height = height;
        image->depth = depth;
        image->stride = stride;
        const size_t bytes = stride * static_cast<size_t>(height);
        // Reserving takes the memory without touching it, so the advice comes before the
        // zeroing faults the pages in.
        image->pixels.reserve(bytes);
        platform::adviseLargePages(image->pixels.data(), bytes);
        image->pixels.resize(bytes);
        return image;
    } catch (const std::bad_alloc&) {
        return nullptr;
    } catch (const std::length_error&) {
        return nullptr;
    }
}

RasterImage* putImage(int number, std::unique_ptr<RasterImage> image) {
    RasterState& state = rasterState();
    std::unique_ptr<RasterImage> old;
    RasterImage* stored = nullptr;
    {
        std::lock_guard<std::mutex> guard(state.tableLock);
        auto slot = state.images.find(number);
        if (slot != state.images.end()) {
            old = std::move(slot->second);
            state.images.erase(slot);
        }
        if (image != nullptr && number >= 0) {
            stored = image.get();
            state.images.emplace(number, std::move(image));
        }
    }
    if (old != nullptr && state.context.target == old.get()) {
        state.context = DrawContext{};
    }
    return stored;
}

std::unique_ptr<RasterImage> copyRegion(const RasterImage& source, int x, int y, int width,
                                        int height) {
    auto copy = makeImage(width, height, source.depth);
    if (copy == nullptr) {
        return nullptr;
    }
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t{x} + width, source.width);
    const int64_t bottom = std::min<int64_t>(int64_t{y} + height, source.height);
    if (left >= right || top >= bottom) {
        return copy;
    }
    const size_t bpp = static_cast<size_t>(bytesPerPixel(source));
    const size_t bytes = static_cast<size_t>(right - left) * bpp;
    for (int64_t row = top; row < bottom; ++row) {
        const uint8_t* from = source.row(static_cast<int>(row)) + static_cast<size_t>(left) * bpp;
        uint8_t* to = copy->row(static_cast<int>(row - y)) + static_cast<size_t>(left - x) * bpp;
        std::memcpy(to, from, bytes);
    }
    return copy;
}

}  // namespace detail

ImageHandle newImage(int number, int width, int height, int depth, Colour fill) {
    detail::putImage(number, nullptr);
    // Below 24 bits the program still wants true colour; anything above 24 carries alpha.
    const int bits = depth > 24 ? 32 : 24;
    auto image = detail::makeImage(width, height, bits);
    if (image == nullptr) {
        return nullptr;
    }
    if (bits == 24) {
        const uint8_t pixel[3] = {static_cast<uint8_t>(blueOf(fill)),
                                  static_cast<uint8_t>(greenOf(fill)),
                                  static_cast<uint8_t>(redOf(fill))};
        if (pixel[0] != 0 || pixel[1] != 0 || pixel[2] != 0) {
            detail::fillWholeImage(*image, pixel);
        }
    } else if (fill != 0xFFFFFFFFu) {
        // A fill of all ones asks for a transparent image, which the zeroed memory already is.
        const uint8_t pixel[4] = {static_cast<uint8_t>(blueOf(fill)),
                                  static_cast<uint8_t>(greenOf(fill)),
                                  static_cast<uint8_t>(redOf(fill)), 255};
        detail::fillWholeImage(*image, pixel);
    }
    return detail::putImage(number, std::move(image));
}

void releaseImage(int number) {
    if (number != -1) {
        detail::putImage(number, nullptr);
        return;
    }
    detail::RasterState& state = rasterState();
    std::map<int, std::unique_ptr<RasterImage>> all;
    {
        std::lock_guard<std::mutex> guard(state.tableLock);
        all.swap(state.images);
    }
    if (state.context.target != nullptr) {
        state.context = detail::DrawContext{};
    }
}

ImageHandle imageHandle(int number) {
    detail::RasterState& state = rasterState();
    std::lock_guard<std::mutex> guard(state.tableLock);
    auto slot = state.images.find(number);
    return slot == state.images.end() ? nullptr : slot->second.get();
}

int widthOf(int number) {
    const RasterImage* image = imageHandle(number);
    return image == nullptr ? 0 : image->width;
}

int heightOf(int number) {
    const RasterImage* image = imageHandle(number);
    return image == nullptr ? 0 : image->height;
}

int duplicateImage(int source, int target) {
    const RasterImage* from = imageHandle(source);
    std::unique_ptr<RasterImage> copy;
    if (from != nullptr) {
        try {
            copy = std::make_unique<RasterImage>(*from);
        } catch (const std::bad_alloc&) {
            copy = nullptr;
        }
    }
    return detail::putImage(target, std::move(copy)) != nullptr ? 1 : 0;
}

int cropImage(int source, int target, int x, int y, int width, int height) {
    const RasterImage* from = imageHandle(source);
    std::unique_ptr<RasterImage> crop;
    if (from != nullptr) {
        crop = detail::copyRegion(*from, x, y, width, height);
    }
    return detail::putImage(target, std::move(crop)) != nullptr ? 1 : 0;
}

ImageHandle storeImage(int number, RasterImage image) {
    // Every other operation trusts the size, depth and row layout of a stored image.
    const bool wellFormed =
        image.width >= 1 && image.width <= kMaxImageSide && image.height >= 1 &&
        image.height <= kMaxImageSide && (image.depth == 24 || image.depth == 32) &&
        image.stride >= strideFor(image.width, image.depth) && image.stride % 4 == 0 &&
        image.pixels.size() >= image.stride * static_cast<size_t>(image.height);
    if (!wellFormed) {
        return detail::putImage(number, nullptr);
    }
    try {
        return detail::putImage(number, std::make_unique<RasterImage>(std::move(image)));
    } catch (const std::bad_alloc&) {
        return detail::putImage(number, nullptr);
    }
}

void resetRaster() {
    releaseImage(-1);
    closeFont(-1);
    rasterState().context = detail::DrawContext{};
    rasterState().textCoverage = TextCoverage::PerChannel;
}

}  // namespace drape::raster
