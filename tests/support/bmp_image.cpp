#include "support/bmp_image.h"

#include <ostream>

namespace drape::test {

namespace {
uint32_t le32(const std::string& b, size_t at) {
    return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 |
           static_cast<uint8_t>(b[at + 2]) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}
uint16_t le16(const std::string& b, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1])
                                                                   << 8);
}
}  // namespace

std::optional<BmpImage> parseBmp24(const std::string& bytes) {
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M' || le16(bytes, 28) != 24 ||
        le32(bytes, 30) != 0) {
        return std::nullopt;
    }
    BmpImage image;
    image.width = static_cast<int>(le32(bytes, 18));
    image.height = static_cast<int>(le32(bytes, 22));
    if (image.width <= 0 || image.height <= 0) {
        return std::nullopt;
    }
    const size_t offset = le32(bytes, 10);
    const size_t stride = (static_cast<size_t>(image.width) * 3 + 3) / 4 * 4;
    if (bytes.size() < offset + stride * image.height) {
        return std::nullopt;
    }
    image.pixels.resize(static_cast<size_t>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) {
        const size_t row = offset + stride * static_cast<size_t>(image.height - 1 - y);
        for (int x = 0; x < image.width; ++x) {
            const size_t p = row + static_cast<size_t>(x) * 3;
            image.pixels[static_cast<size_t>(y) * image.width + x] = {
                static_cast<uint8_t>(bytes[p + 2]), static_cast<uint8_t>(bytes[p + 1]),
                static_cast<uint8_t>(bytes[p])};
        }
    }
    return image;
}

}  // namespace drape::test
