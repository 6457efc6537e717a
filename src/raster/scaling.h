// Scaled copies of images: the halftone stretch of the platform for 24-bit images and a
// separable Mitchell-Netravali resample for 32-bit ones.
#pragma once

#include <memory>

#include "raster/raster.h"

namespace drape::raster::detail {

// The Mitchell-Netravali cubic with B = C = 1/3; 0 from |x| = 2 on.
double mitchellFilter(double x);

// Sets every pixel of a row of 32-bit pixels whose alpha is 0 to transparent white.
void whitenRow(uint8_t* row, size_t pixels);
// Sets every pixel of a 32-bit image whose alpha is 0 to transparent white (255, 255, 255, 0).
void whitenTransparent(RasterImage& image);

// A width x height 32-bit copy of a 32-bit source, resampled over all four bytes in two
// passes through a byte image of the smaller of width x source height and source width x
// height. nullptr when the size is not that of an image or memory runs out.
std::unique_ptr<RasterImage> resampleMitchell(const RasterImage& source, int width, int height);

// The same resample fed one source row at a time, top first: only the rows that target rows
// still to come read are kept, and the bytes are those of `resampleMitchell`.
class MitchellResampler {
  public:
    MitchellResampler();
    ~MitchellResampler();
    MitchellResampler(const MitchellResampler&) = delete;
    MitchellResampler& operator=(const MitchellResampler&) = delete;

    // Starts a resample of a sourceWidth x sourceHeight image into `target` (32 bits, its size
    // the result's), which must outlive the pushes. False for other depths, empty sizes or
    // when the weights find no memory.
    bool start(int sourceWidth, int sourceHeight, RasterImage& target);
    // The next source row of 4-byte pixels; rows past the last are ignored.
    void push(const uint8_t* row);

  private:
    struct Plan;
    std::unique_ptr<Plan> plan_;
    RasterImage* target_ = nullptr;
    int sourceWidth_ = 0;
    int sourceHeight_ = 0;
    int32_t received_ = 0;
};

// The copy that a scaled paste draws: a 24-bit source through the platform's halftone
// stretch; a 32-bit source is whitened where transparent, in place, and then resampled.
std::unique_ptr<RasterImage> scaledCopy(RasterImage& source, int width, int height);

}  // namespace drape::raster::detail
