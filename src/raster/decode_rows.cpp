// The sink that turns decoded rows into a whole image, and the budget for whole images.
#include <cstring>

#include "raster/decode_internal.h"

namespace drape::raster::detail {

void noteOverBudget() {
    rasterState().overBudget = true;
}

bool fitsWholeImageBudget(int width, int height, int depth) {
    if (width > 0 && height > 0 &&
        uint64_t(width) * uint64_t(height) * uint64_t(depth / 8) <= kMaxWholeImageBytes) {
        return true;
    }
    noteOverBudget();
    return false;
}

bool ImageSink::begin(int width, int height, int depth) {
    if (image_ != nullptr) {
        return image_->width == width && image_->height == height && image_->depth == depth;
    }
    if (!fitsWholeImageBudget(width, height, depth)) {
        return false;
    }
    owned_ = makeImage(width, height, depth);
    image_ = owned_.get();
    return image_ != nullptr;
}

void ImageSink::row(int y, const uint8_t* pixels) {
    if (image_ != nullptr && y >= 0 && y < image_->height) {
        std::memcpy(image_->row(y), pixels,
                    static_cast<size_t>(image_->width) * static_cast<size_t>(image_->depth / 8));
    }
}

std::unique_ptr<RasterImage> ImageSink::take(ImageFormat format) {
    if (owned_ != nullptr) {
        owned_->format = format;
    }
    image_ = nullptr;
    return std::move(owned_);
}

}  // namespace drape::raster::detail
