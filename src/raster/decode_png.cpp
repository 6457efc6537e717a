// PNG files through libpng.
//
//   [X] Every colour type and bit depth: grey, true colour, palette, grey and true colour with
//       alpha; 1 to 16 bits
//   [X] Transparency chunks (tRNS) of palette, grey and true-colour images, as alpha
//   [X] Interlaced (Adam7) images, decoded whole within the budget of what cannot stream
//   [ ] Gamma, colour profiles and text chunks: skipped, the pixels are taken as stored
//
// Images with an alpha channel or a tRNS chunk become 32-bit B, G, R, A images, all others
// 24-bit; rows go out one at a time as they are inflated. Palette and grey images are expanded to
// true colour; 16-bit samples are scaled to 8 bits with rounding.
//
// Hostile files cannot make the library allocate without bound: sizes above kMaxImageSide are
// refused by libpng itself, ancillary chunks are discarded before they are decompressed, and a
// declared size that the data could not hold even at deflate's best ratio is rejected before
// any pixel memory is taken.
#include <png.h>

#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "raster/decode_internal.h"

namespace drape::raster::detail {

namespace {

// Deflate turns at most 258 bytes into about two bits, so no stream inflates by more than
// 1032 to 1.
constexpr uint64_t kMaxInflateRatio = 1032;
constexpr png_alloc_size_t kMaxChunkBytes = 8u << 20;

struct PngSource {
    const uint8_t* data = nullptr;
    size_t length = 0;
    size_t at = 0;
};

// The library's structures and what a failed decode must release, kept out of the frame that
// calls setjmp so that the jump back skips no destructor.
struct PngJob {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngSource source;
    RowSink* sink = nullptr;
    std::unique_ptr<RasterImage> image;  // interlaced images only: the passes fill it whole
    std::vector<png_bytep> rows;
    std::vector<uint8_t> row;

    PngJob() = default;
    PngJob(const PngJob&) = delete;
    PngJob& operator=(const PngJob&) = delete;
    ~PngJob() { png_destroy_read_struct(&png, &info, nullptr); }
};

[[noreturn]] void failPng(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void ignorePngWarning(png_structp, png_const_charp) {}

void readPngBytes(png_structp png, png_bytep out, size_t count) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (count > source->length - source->at) {
        png_error(png, "data cut short");
    }
    std::memcpy(out, source->data + source->at, count);
    source->at += count;
}

// Interlaced images come in passes over the whole picture, so they are decoded whole, within
// the budget of what cannot stream; others go out a row at a time.
bool allocateRows(PngJob& job, int width, int height, int depth, bool interlaced) {
    try {
        if (!interlaced) {
            job.row.resize(static_cast<size_t>(width) * static_cast<size_t>(depth / 8));
            return true;
        }
        if (!fitsWholeImageBudget(width, height, depth)) {
            return false;
        }
        job.image = makeImage(width, height, depth);
        if (job.image == nullptr) {
            return false;
        }
        job.rows.resize(static_cast<size_t>(height));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int y = 0; y < height; ++y) {
        job.rows[static_cast<size_t>(y)] = job.image->row(y);
    }
    return true;
}

// Runs the library over the data. No object with a destructor lives in this frame: an error
// jumps back to the setjmp below.
bool runPng(PngJob& job) {
    png_structp png = job.png;
    png_infop info = job.info;
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_set_read_fn(png, &job.source, readPngBytes);
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    // Every ancillary chunk except tRNS is of no use here, and text and profile chunks are
    // compressed: skipping them skips their inflation too.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_read_info(png, info);

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
    if (width < 1 || width > kMaxImageSide || height < 1 || height > kMaxImageSide) {
        return false;
    }
    const uint64_t rawBytes =
        (uint64_t{width} * png_get_channels(png, info) * bitDepth + 7) / 8 * height;
    if (rawBytes / kMaxInflateRatio > job.source.length) {
        return false;
    }

    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png);
    }
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) {
        png_set_expand_gray_1_2_4_to_8(png);
    }
    if (png_get_valid(png, info, PNG_INFO_tRNS) != 0) {
        png_set_tRNS_to_alpha(png);
    }
    if (bitDepth == 16) {
#ifdef PNG_READ_SCALE_16_TO_8_SUPPORTED
        png_set_scale_16(png);
#else
        png_set_strip_16(png);
#endif
    }
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
    }
    png_set_bgr(png);
    const bool interlaced = png_set_interlace_handling(png) > 1;
    png_read_update_info(png, info);

    const int channels = png_get_channels(png, info);
    const int depth = channels == 4 ? 32 : 24;
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    if ((channels != 3 && channels != 4) || png_get_bit_depth(png, info) != 8 ||
        png_get_rowbytes(png, info) != size_t{width} * static_cast<size_t>(channels) ||
        !job.sink->begin(w, h, depth) || !allocateRows(job, w, h, depth, interlaced)) {
        return false;
    }
    if (interlaced) {
        png_read_image(png, job.rows.data());
        for (int y = 0; y < h; ++y) {
            job.sink->row(y, job.image->row(y));
        }
        return true;
    }
    for (int y = 0; y < h; ++y) {
        png_read_row(png, job.row.data(), nullptr);
        job.sink->row(y, job.row.data());
    }
    return true;
}

}  // namespace

bool streamPng(const uint8_t* data, size_t length, RowSink& sink) {
    if (!isPng(data, length)) {
        return false;
    }
    PngJob job;
    job.source = PngSource{data, length, 0};
    job.sink = &sink;
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, failPng, ignorePngWarning);
    if (job.png == nullptr) {
        return false;
    }
    job.info = png_create_info_struct(job.png);
    return job.info != nullptr && runPng(job);
}

std::unique_ptr<RasterImage> decodePng(const uint8_t* data, size_t length) {
    ImageSink sink;
    if (!streamPng(data, length, sink)) {
        return nullptr;
    }
    return sink.take(ImageFormat::Png);
}

}  // namespace drape::raster::detail
