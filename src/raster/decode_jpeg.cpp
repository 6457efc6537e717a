// JPEG files through libjpeg (libjpeg-turbo where available).
//
//   [X] Greyscale, YCbCr and RGB, baseline and progressive, any chroma subsampling
//   [X] CMYK and YCCK, plain or inverted as Adobe applications write it (Adobe marker)
//   [X] Errors of the library return here instead of ending the process
//   [ ] Data cut short: rejected, although libjpeg would pad it with grey
//
// Every result is a 24-bit image, given row by row as the library decodes it. libjpeg-turbo
// writes blue, green, red; other libjpeg builds give red, green, blue and each row's bytes are
// swapped before it goes out.
//
// Hostile files cannot make the library allocate without bound: the size is checked against
// kMaxImageSide and against what the data can hold before any pixel memory is taken, the
// library's own working memory is capped, and the number of progressive scans is limited.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <limits>
#include <new>
#include <utility>
#include <vector>

// After <cstdio>: jpeglib.h uses FILE and size_t without declaring them.
#include <jpeglib.h>
// The message codes, for telling warnings apart.
#include <jerror.h>

#include "raster/decode_internal.h"

namespace drape::raster::detail {

namespace {

// Progressive files keep every coefficient of the picture until the last scan; those buffers
// and the library's other allocations stay within the budget of what cannot stream (a 6000 x
// 4000 progressive photo needs about 150 MiB).
constexpr long kMaxLibraryMemory = static_cast<long>(kMaxWholeImageBytes);
// Real encoders write a dozen scans; thousands of empty ones would make each pass over the
// coefficients repeat without end.
constexpr int kMaxScans = 500;
// Rows handed to the library per call, so that its upsampler can fill several at once.
constexpr int kRowsPerRead = 16;

struct ErrorManager {
    jpeg_error_mgr library;
    std::jmp_buf jump;
};

// The decompressor and what a failed decode must release. Kept out of the frame that calls
// setjmp, so that the jump back skips no destructor.
struct JpegJob {
    jpeg_decompress_struct info{};
    ErrorManager error{};
    jpeg_progress_mgr progress{};
    bool created = false;
    RowSink* sink = nullptr;
    std::vector<JSAMPLE> rows;  // kRowsPerRead rows as the library writes them
    std::vector<uint8_t> bgrRow;

    JpegJob() = default;
    JpegJob(const JpegJob&) = delete;
    JpegJob& operator=(const JpegJob&) = delete;
    ~JpegJob() {
        if (created) {
            jpeg_destroy_decompress(&info);
        }
    }
};

[[noreturn]] void failJpeg(j_common_ptr info) {
    // The library's memory cap shows as one of these: a progressive file too large to hold.
    const int code = info->err->msg_code;
    if (code == JERR_NO_BACKING_STORE || code == JERR_OUT_OF_MEMORY) {
        noteOverBudget();
    }
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Warnings are silent, except that running out of data ends the decode: the library would
// otherwise invent the rest of the picture.
void onJpegMessage(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) {
        failJpeg(info);
    }
}

void onJpegProgress(j_common_ptr info) {
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) {
        failJpeg(info);
    }
}

// Every block of every component costs at least one bit of Huffman-coded data (its DC
// code), so data that cannot hold that many bits cannot be the picture it declares. This
// rejects tiny files that declare huge sizes before the image is allocated. Arithmetic
// coding has no such floor; its sizes are bounded by kMaxImageSide alone.
bool dataCanHoldBlocks(const jpeg_decompress_struct& info, size_t length) {
    if (info.arith_code) {
        return true;
    }
    uint64_t blocks = 0;
    for (int c = 0; c < info.num_components; ++c) {
        const jpeg_component_info& component = info.comp_info[c];
        blocks += uint64_t{component.width_in_blocks} * component.height_in_blocks;
    }
    return blocks / 8 <= length;
}

// Arithmetic-coded data may end at a marker, the decoder supplying zeros from there on, so a
// file of a few hundred bytes declaring 32767 x 32767 would be decoded in full from nothing. In
// a single scan the data is read as the rows are made: a marker other than a restart met while
// more than the last few rows of blocks remain means the data stops short of the picture.
bool arithmeticDataEndedEarly(jpeg_decompress_struct& info) {
    const int marker = info.unread_marker;
    if (!info.arith_code || marker == 0 || (marker >= JPEG_RST0 && marker <= JPEG_RST0 + 7) ||
        jpeg_has_multiple_scans(&info)) {
        return false;
    }
    const JDIMENSION blockRows = static_cast<JDIMENSION>(info.max_v_samp_factor) * DCTSIZE;
    return info.output_scanline + 3 * blockRows < info.output_height;
}

bool allocateRows(JpegJob& job, int width, bool cmyk) {
    try {
        job.rows.resize(static_cast<size_t>(width) * (cmyk ? 4 : 3) * kRowsPerRead);
        job.bgrRow.resize(static_cast<size_t>(width) * 3);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// Inverted (Adobe) samples hold 255 minus the ink; plain ones hold the ink.
void cmykToBgr(const JSAMPLE* from, uint8_t* to, int width, bool inverted) {
    for (int x = 0; x < width; ++x) {
        unsigned c = from[4 * x];
        unsigned m = from[4 * x + 1];
        unsigned y = from[4 * x + 2];
        unsigned k = from[4 * x + 3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        to[3 * x] = static_cast<uint8_t>((y * k + 127) / 255);
        to[3 * x + 1] = static_cast<uint8_t>((m * k + 127) / 255);
        to[3 * x + 2] = static_cast<uint8_t>((c * k + 127) / 255);
    }
}

// Runs the library over the data. No object with a destructor lives in this frame: an error
// jumps back to the setjmp below.
bool runJpeg(JpegJob& job, const uint8_t* data, size_t length) {
    jpeg_decompress_struct& info = job.info;
    info.err = jpeg_std_error(&job.error.library);
    job.error.library.error_exit = failJpeg;
    job.error.library.emit_message = onJpegMessage;
    if (setjmp(job.error.jump) != 0) {
        return false;
    }
    job.created = true;
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = kMaxLibraryMemory;
    job.progress.progress_monitor = onJpegProgress;
    info.progress = &job.progress;
    jpeg_mem_src(&info, data, static_cast<unsigned long>(length));
    jpeg_read_header(&info, TRUE);

    if (info.image_width < 1 || info.image_width > kMaxImageSide || info.image_height < 1 ||
        info.image_height > kMaxImageSide || !dataCanHoldBlocks(info, length)) {
        return false;
    }
    bool cmyk = false;
    switch (info.jpeg_color_space) {
        case JCS_GRAYSCALE:
        case JCS_YCbCr:
        case JCS_RGB:
#ifdef JCS_EXTENSIONS
            info.out_color_space = JCS_EXT_BGR;
#else
            info.out_color_space = JCS_RGB;
#endif
            break;
        case JCS_CMYK:
        case JCS_YCCK:
            info.out_color_space = JCS_CMYK;
            cmyk = true;
            break;
        default:
            return false;
    }
    jpeg_start_decompress(&info);
    const int width = static_cast<int>(info.output_width);
    const int height = static_cast<int>(info.output_height);
    const int components = cmyk ? 4 : 3;
    if (info.output_components != components || !job.sink->begin(width, height, 24) ||
        !allocateRows(job, width, cmyk)) {
        return false;
    }
    const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(components);
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        JSAMPROW rows[kRowsPerRead];
        const int wanted = std::min(kRowsPerRead, height - y);
        for (int i = 0; i < wanted; ++i) {
            rows[i] = job.rows.data() + static_cast<size_t>(i) * rowBytes;
        }
        const auto count =
            static_cast<int>(jpeg_read_scanlines(&info, rows, static_cast<JDIMENSION>(wanted)));
        if (count == 0 || arithmeticDataEndedEarly(info)) {
            return false;
        }
        for (int i = 0; i < count; ++i) {
            uint8_t* row = rows[i];
            if (cmyk) {
                cmykToBgr(row, job.bgrRow.data(), width, info.saw_Adobe_marker);
                row = job.bgrRow.data();
            } else {
#ifndef JCS_EXTENSIONS
                for (int x = 0; x < width; ++x) {
                    std::swap(row[3 * x], row[3 * x + 2]);
                }
#endif
            }
            job.sink->row(y + i, row);
        }
    }
    return true;
}

}  // namespace

bool isJpeg(const uint8_t* data, size_t length) {
    return length >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

bool streamJpeg(const uint8_t* data, size_t length, RowSink& sink) {
    if (!isJpeg(data, length) || length > std::numeric_limits<unsigned long>::max()) {
        return false;
    }
    JpegJob job;
    job.sink = &sink;
    return runJpeg(job, data, length);
}

std::unique_ptr<RasterImage> decodeJpeg(const uint8_t* data, size_t length) {
    ImageSink sink;
    if (!streamJpeg(data, length, sink)) {
        return nullptr;
    }
    return sink.take(ImageFormat::Jpeg);
}

}  // namespace drape::raster::detail
