// drape98's image reading: the platform's bitmap loader, then icons, then JPEG. It lives apart
// from `readImageFile` so that drape98 links no PNG code.
#include <cstring>
#include <new>
#include <optional>
#include <string>

#include "platform/narrow.h"
#include "platform/platform.h"
#include "raster/decode_internal.h"
#include "raster/raster_state.h"

namespace drape::raster {

namespace {

// As `readImageFile`: far above any photograph, and it keeps odd files from reading gigabytes.
constexpr size_t kMaxFileBytes98 = size_t{512} << 20;

std::unique_ptr<RasterImage> fromLoadedBitmap(const platform::LoadedBitmap& bitmap) {
    if (bitmap.width < 1 || bitmap.height < 1 || bitmap.width > kMaxImageSide ||
        bitmap.height > kMaxImageSide || bitmap.stride < size_t(bitmap.width) * 3 ||
        bitmap.pixels.size() < bitmap.stride * size_t(bitmap.height)) {
        return nullptr;
    }
    std::unique_ptr<RasterImage> image = detail::makeImage(bitmap.width, bitmap.height, 24);
    if (image == nullptr) {
        return nullptr;
    }
    for (int y = 0; y < bitmap.height; ++y) {
        std::memcpy(image->row(y), bitmap.pixels.data() + size_t(y) * bitmap.stride,
                    size_t(bitmap.width) * 3);
    }
    image->format = ImageFormat::Bmp;
    return image;
}

// A BMP decoded by our own decoder, in the 24 bits the platform's loader would give.
std::unique_ptr<RasterImage> ownBitmap(const uint8_t* data, size_t length) {
    std::unique_ptr<RasterImage> image = detail::decodeBmp(data, length);
    if (image == nullptr || image->depth == 24) {
        return image;
    }
    std::unique_ptr<RasterImage> flat = detail::makeImage(image->width, image->height, 24);
    if (flat == nullptr) {
        return nullptr;
    }
    for (int y = 0; y < image->height; ++y) {
        const uint8_t* from = image->row(y);
        uint8_t* to = flat->row(y);
        for (int x = 0; x < image->width; ++x, from += 4, to += 3) {
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
        }
    }
    flat->format = ImageFormat::Bmp;
    return flat;
}

std::unique_ptr<RasterImage> read98(const std::string& path) {
    platform::LoadedBitmap bitmap;
    const platform::BitmapLoad load = platform::currentNarrow().loadBitmapFile(path, bitmap);
    if (load == platform::BitmapLoad::Loaded) {
        return fromLoadedBitmap(bitmap);
    }
    // The path is in the 8-bit code page; the file services take UTF-8.
    const std::optional<std::string> bytes =
        platform::current().readFile(platform::currentNarrow().toUtf8(path), kMaxFileBytes98);
    if (!bytes.has_value()) {
        return nullptr;
    }
    const auto* data = reinterpret_cast<const uint8_t*>(bytes->data());
    const size_t length = bytes->size();
    if (load == platform::BitmapLoad::NoLoader && detail::isBmp(data, length)) {
        return ownBitmap(data, length);
    }
    if (detail::isIco(data, length)) {
        return detail::decodeIcoWith(data, length, nullptr);
    }
    if (detail::isJpeg(data, length)) {
        return detail::decodeJpeg(data, length);
    }
    return nullptr;
}

}  // namespace

ImageHandle readImageFile98(int number, const std::string& path) {
    detail::putImage(number, nullptr);
    return detail::putImage(number, read98(path));
}

}  // namespace drape::raster
