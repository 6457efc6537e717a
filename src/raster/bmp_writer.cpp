// Writing an image as an uncompressed Windows BMP: 54 bytes of headers, then the rows from
// the bottom up. A 32-bit image is written as 32 bits with its colours laid onto white, for
// viewers that ignore alpha.
//
// Rows are gathered into a block of at least 1 MiB and handed to the file in one write each:
// the wallpaper canvas is tens of megabytes, one write per row would cost a call per row, and a
// file writer with a buffer of up to 1 MiB passes blocks this large straight through instead
// of copying them once more.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/platform.h"
#include "raster/raster_state.h"

namespace drape::raster {

namespace {

constexpr size_t kHeaderBytes = 54;
constexpr size_t kBlockBytes = size_t{1} << 20;

void put16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void put32(uint8_t* at, uint32_t value) {
    put16(at, value);
    put16(at + 2, value >> 16);
}

// Sizes fit the 32-bit fields: the largest image, 32767 x 32767 at 32 bits, has 4294639556
// bytes of pixels.
void makeHeader(uint8_t* header, int width, int height, int depth, size_t dataSize) {
    std::memset(header, 0, kHeaderBytes);
    header[0] = 'B';
    header[1] = 'M';
    put32(header + 2, static_cast<uint32_t>(kHeaderBytes + dataSize));
    put32(header + 10, static_cast<uint32_t>(kHeaderBytes));
    put32(header + 14, 40);
    put32(header + 18, static_cast<uint32_t>(width));
    put32(header + 22, static_cast<uint32_t>(height));
    put16(header + 26, 1);
    put16(header + 28, static_cast<uint32_t>(depth));
    put32(header + 34, static_cast<uint32_t>(dataSize));
}

// One row in file form: 24-bit rows as they are, with padding zeroed whatever the image holds
// there; 32-bit pixels mixed onto white with their alpha, c' = (a * (c - 255) + 65025) / 255,
// and a zero fourth byte. A 24-bit row in memory is at least `fileStride` bytes long.
void fileRow(uint8_t* out, const uint8_t* in, int width, int depth, size_t fileStride) {
    if (depth == 24) {
        const size_t bytes = static_cast<size_t>(width) * 3;
        std::memcpy(out, in, fileStride);
        std::memset(out + bytes, 0, fileStride - bytes);
        return;
    }
    for (int x = 0; x < width; ++x, in += 4, out += 4) {
        const uint16_t alpha = in[3];
        const uint16_t keep = static_cast<uint16_t>(255 - alpha);
        out[0] = detail::mixByte(255, keep, static_cast<uint16_t>(in[0] * alpha));
        out[1] = detail::mixByte(255, keep, static_cast<uint16_t>(in[1] * alpha));
        out[2] = detail::mixByte(255, keep, static_cast<uint16_t>(in[2] * alpha));
        out[3] = 0;
    }
}

// Writes the headers, then the rows from the bottom up in blocks; `row(y, out)` puts row y in
// file form (fileStride bytes) at `out`.
int writeRows(const std::string& path, int width, int height, int depth,
              const std::function<void(int, uint8_t*)>& row) {
    if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide) {
        return 0;
    }
    const size_t fileStride = strideFor(width, depth);
    const size_t dataSize = fileStride * static_cast<size_t>(height);
    const int rowsPerBlock = static_cast<int>(
        std::min<size_t>((kBlockBytes + fileStride - 1) / fileStride, static_cast<size_t>(height)));

    std::unique_ptr<uint8_t[]> block;
    try {
        block.reset(new uint8_t[static_cast<size_t>(rowsPerBlock) * fileStride]);
    } catch (const std::bad_alloc&) {
        return 0;
    }

    std::unique_ptr<platform::OutputFile> file = platform::current().createFile(path);
    if (file == nullptr) {
        return 0;
    }
    uint8_t header[kHeaderBytes];
    makeHeader(header, width, height, depth, dataSize);
    bool ok = file->write(header, kHeaderBytes);

    int y = height - 1;
    while (ok && y >= 0) {
        const int rows = std::min(rowsPerBlock, y + 1);
        for (int i = 0; i < rows; ++i, --y) {
            row(y, block.get() + static_cast<size_t>(i) * fileStride);
        }
        ok = file->write(block.get(), static_cast<size_t>(rows) * fileStride);
    }
    const bool closed = file->close();
    return ok && closed ? 1 : 0;
}

}  // namespace

int writeBmpFile(int number, const std::string& path) {
    const RasterImage* image = imageHandle(number);
    if (image == nullptr) {
        return 0;
    }
    const int depth = image->depth == 32 ? 32 : 24;
    const size_t fileStride = strideFor(image->width, depth);
    return writeRows(path, image->width, image->height, depth, [&](int y, uint8_t* out) {
        fileRow(out, image->row(y), image->width, depth, fileStride);
    });
}

int writeBmpRows(const std::string& path, int width, int height,
                 const std::function<void(int y, uint8_t* row)>& makeRow) {
    const size_t bytes = static_cast<size_t>(std::max(width, 0)) * 3;
    const size_t fileStride = strideFor(width, 24);
    return writeRows(path, width, height, 24, [&](int y, uint8_t* out) {
        makeRow(y, out);
        std::memset(out + bytes, 0, fileStride - bytes);
    });
}

}  // namespace drape::raster
