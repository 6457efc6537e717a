// An area-averaging resample of 24-bit images: each target pixel is the average of the source
// area it covers, so shrinking does not alias and enlarging blends neighbouring pixels. It is
// what backends without a halftone stretch of their own use.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/platform.h"

namespace drape::platform {

void areaResample(const PixelView& source, const MutablePixelView& target);

// The same resample fed one source row at a time, top first, as a decoder gives them: it
// keeps only the rows that target rows still to come read, and writes each target row as soon
// as its last source row has arrived. The bytes are those of `areaResample`.
class AreaResampler {
  public:
    AreaResampler();
    ~AreaResampler();
    AreaResampler(const AreaResampler&) = delete;
    AreaResampler& operator=(const AreaResampler&) = delete;

    // Starts a resample of a sourceWidth x sourceHeight image into `target`, which must outlive
    // the pushes. False for empty sizes or when the tables find no memory.
    bool start(int sourceWidth, int sourceHeight, const MutablePixelView& target);
    // The next source row, sourceWidth pixels of blue, green, red; rows past the last are
    // ignored.
    void push(const uint8_t* row);

  private:
    struct Plan;
    std::unique_ptr<Plan> plan_;  // none at the same size: rows are copied
    int sourceWidth_ = 0;
    int sourceHeight_ = 0;
    int32_t received_ = 0;
    MutablePixelView target_;
};

}  // namespace drape::platform
