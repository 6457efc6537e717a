// Icon files (.ico): a directory of pictures of one icon at several sizes and depths.
//
//   [X] Entries as bitmaps: 1, 4, 8, 16, 24 or 32 bits, the colour bitmap of doubled height
//       followed by the 1-bit transparency mask
//   [X] Entries as PNG files (the usual form of 256x256 pictures)
//   [X] The best entry: the largest picture, then the deepest
//   [ ] Cursors (type 2), compressed bitmaps inside icons: rejected
//
// The result is always 32 bits. Alpha comes from the mask (set bit: transparent), or from the
// alpha bytes of a 32-bit entry when any of them is not 0: older 32-bit icons leave those
// bytes empty and rely on the mask alone.
#include <algorithm>
#include <cstring>

#include "raster/decode_internal.h"

namespace drape::raster::detail {

namespace {

constexpr size_t kHeaderSize = 6;
constexpr size_t kEntrySize = 16;

struct Candidate {
    const uint8_t* data = nullptr;  // the entry's bytes, clipped to the file
    size_t length = 0;
    bool png = false;
    int64_t area = 0;
    int depth = 0;
};

// The size and depth an entry's own header declares; false when it has none we can read.
bool describeEntry(Candidate& entry) {
    if (isPng(entry.data, entry.length)) {
        // Signature, then the IHDR chunk: length, type, width, height, bit depth, colour type.
        if (entry.length < 26) {
            return false;
        }
        const uint32_t width = be32(entry.data + 16);
        const uint32_t height = be32(entry.data + 20);
        const int bitDepth = entry.data[24];
        const int colourType = entry.data[25];
        const int channels = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
        // The PNG decoder refuses these sizes; an entry it cannot give is no candidate, as a
        // bitmap entry of such a size is not (and their product would overflow the area).
        if (width < 1 || width > kMaxImageSide || height < 1 || height > kMaxImageSide) {
            return false;
        }
        entry.png = true;
        entry.area = int64_t{width} * height;
        entry.depth = bitDepth * channels;
        return true;
    }
    Dib dib;
    if (!readDib(entry.data, entry.length, 0, dib)) {
        return false;
    }
    entry.area = int64_t{dib.width} * (dib.height / 2);
    entry.depth = dib.bitCount;
    return true;
}

std::unique_ptr<RasterImage> decodeBitmapEntry(const uint8_t* data, size_t length) {
    Dib dib;
    if (!readDib(data, length, 0, dib) || dib.topDown ||
        (dib.compression != kBiRgb && dib.compression != kBiBitfields &&
         dib.compression != kBiAlphaBitfields)) {
        return nullptr;
    }
    // The stored height covers the colour bitmap and the mask below it.
    dib.height /= 2;
    auto image = makeImage(dib.width, dib.height, 32);
    if (image == nullptr || !decodeDibPixels(dib, data, length, dib.tableEnd, *image)) {
        return nullptr;
    }
    if (dib.bitCount == 32 && hasAnyAlpha(*image)) {
        return image;
    }
    const uint64_t maskAt = dib.tableEnd + dibStride(dib.width, dib.bitCount) * dib.height;
    const uint64_t maskStride = dibStride(dib.width, 1);
    if (maskAt > length || maskStride * dib.height > length - maskAt) {
        return nullptr;
    }
    for (int y = 0; y < dib.height; ++y) {
        const uint8_t* mask =
            data + maskAt + static_cast<uint64_t>(dib.height - 1 - y) * maskStride;
        uint8_t* row = image->row(y);
        for (int x = 0; x < dib.width; ++x) {
            const bool transparent = ((mask[x / 8] >> (7 - x % 8)) & 1) != 0;
            row[4 * x + 3] = transparent ? 0 : 255;
        }
    }
    return image;
}

std::unique_ptr<RasterImage> decodePngEntry(const uint8_t* data, size_t length,
                                            DecodeFunction png) {
    auto image = png != nullptr ? png(data, length) : nullptr;
    if (image == nullptr || image->depth == 32) {
        return image;
    }
    auto withAlpha = makeImage(image->width, image->height, 32);
    if (withAlpha == nullptr) {
        return nullptr;
    }
    for (int y = 0; y < image->height; ++y) {
        const uint8_t* from = image->row(y);
        uint8_t* to = withAlpha->row(y);
        for (int x = 0; x < image->width; ++x) {
            std::memcpy(to + 4 * x, from + 3 * x, 3);
            to[4 * x + 3] = 255;
        }
    }
    return withAlpha;
}

}  // namespace

// Here rather than beside the PNG decoder: icons carry PNG entries, and telling one apart must
// not bring in libpng for a program that reads no PNG.
bool isPng(const uint8_t* data, size_t length) {
    static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return length >= sizeof kSignature && std::memcmp(data, kSignature, sizeof kSignature) == 0;
}

bool isIco(const uint8_t* data, size_t length) {
    return length >= kHeaderSize && le16(data) == 0 && le16(data + 2) == 1 && le16(data + 4) >= 1;
}

std::unique_ptr<RasterImage> decodeIcoWith(const uint8_t* data, size_t length, DecodeFunction png) {
    if (!isIco(data, length)) {
        return nullptr;
    }
    const size_t count = le16(data + 4);
    if (count * kEntrySize > length - kHeaderSize) {
        return nullptr;
    }
    Candidate best;
    bool found = false;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = data + kHeaderSize + i * kEntrySize;
        const uint32_t size = le32(entry + 8);
        const uint32_t offset = le32(entry + 12);
        if (offset >= length || size == 0) {
            continue;
        }
        // A size reaching past the end is cut to the file; the decoder then finds it short.
        Candidate candidate;
        candidate.data = data + offset;
        candidate.length = std::min<size_t>(size, length - offset);
        if (!describeEntry(candidate)) {
            continue;
        }
        if (!found || candidate.area > best.area ||
            (candidate.area == best.area && candidate.depth > best.depth)) {
            best = candidate;
            found = true;
        }
    }
    if (!found) {
        return nullptr;
    }
    auto image = best.png ? decodePngEntry(best.data, best.length, png)
                          : decodeBitmapEntry(best.data, best.length);
    if (image != nullptr) {
        image->format = ImageFormat::Icon;
    }
    return image;
}

}  // namespace drape::raster::detail
