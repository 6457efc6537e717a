// An area-averaging resample of 24-bit images: each target pixel is the average of the source
// area it covers, so shrinking does not alias and enlarging blends neighbouring pixels. It is
// what backends without a halftone stretch of their own use.
#pragma once

#include "platform/platform.h"

namespace drape::platform {

void areaResample(const PixelView& source, const MutablePixelView& target);

}  // namespace drape::platform
