// Reading images from files and from memory: the choice of decoder and the rules for the
// number the image goes into.
#include <cstdint>
#include <limits>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/platform.h"
#include "raster/decode_internal.h"
#include "raster/raster_state.h"

namespace drape::raster {

namespace {

// Far above any photograph the program is given, and it keeps a directory of odd files from
// reading gigabytes before the decoders look at them.
constexpr size_t kMaxFileBytes = size_t{512} << 20;

// Icons are small and pick their best entry only once all are read: decoded whole, then given
// out row by row.
bool streamIco(const uint8_t* data, size_t length, detail::RowSink& sink) {
    const std::unique_ptr<RasterImage> image = detail::decodeIco(data, length);
    if (image == nullptr || !sink.begin(image->width, image->height, image->depth)) {
        return false;
    }
    for (int y = 0; y < image->height; ++y) {
        sink.row(y, image->row(y));
    }
    return true;
}

struct Decoder {
    bool (*recognises)(const uint8_t* data, size_t length);
    std::unique_ptr<RasterImage> (*decode)(const uint8_t* data, size_t length);
    bool (*stream)(const uint8_t* data, size_t length, detail::RowSink& sink);
};

// Asked in this order; the first whose signature matches decides alone.
constexpr Decoder kDecoders[] = {
    {detail::isBmp, detail::decodeBmp, detail::streamBmp},
    {detail::isIco, detail::decodeIco, streamIco},
    {detail::isJpeg, detail::decodeJpeg, detail::streamJpeg},
    {detail::isPng, detail::decodePng, detail::streamPng},
};

std::unique_ptr<RasterImage> decodeAny(const uint8_t* data, size_t length) {
    if (data == nullptr) {
        return nullptr;
    }
    for (const Decoder& decoder : kDecoders) {
        if (decoder.recognises(data, length)) {
            return decoder.decode(data, length);
        }
    }
    return nullptr;
}

}  // namespace

namespace detail {

std::unique_ptr<RasterImage> decodeIco(const uint8_t* data, size_t length) {
    return decodeIcoWith(data, length, decodePng);
}

bool streamImageFile(const std::string& path, RowSink& sink) {
    const std::optional<std::string> bytes = platform::current().readFile(path, kMaxFileBytes);
    if (!bytes.has_value()) {
        return false;
    }
    const auto* data = reinterpret_cast<const uint8_t*>(bytes->data());
    for (const Decoder& decoder : kDecoders) {
        if (decoder.recognises(data, bytes->size())) {
            return decoder.stream(data, bytes->size(), sink);
        }
    }
    return false;
}

}  // namespace detail

ImageHandle decodeImage(int number, const uint8_t* data, size_t length) {
    // What the number held goes first: a photograph replacing another of the same size then
    // does not need memory for both.
    detail::putImage(number, nullptr);
    return detail::putImage(number, decodeAny(data, length));
}

ImageHandle readImageFile(int number, const std::string& path) {
    // A file that cannot be read leaves the number as it was; one that was read is decoded,
    // and the number is empty when that fails.
    const std::optional<std::string> bytes = platform::current().readFile(path, kMaxFileBytes);
    if (!bytes.has_value()) {
        return nullptr;
    }
    return decodeImage(number, reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size());
}

}  // namespace drape::raster
