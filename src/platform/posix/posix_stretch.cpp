// [X] stretchHalftone: area averaging in portable C++ (no system stretch on posix desktops)
// [X] halftoneIsAreaResample: always, so photographs are fitted a row at a time
#include "platform/area_resample.h"
#include "platform/posix/posix_platform.h"

namespace drape::platform::posix {

void PosixDrawing::stretchHalftone(const PixelView& source, const MutablePixelView& target) {
    areaResample(source, target);
}

}  // namespace drape::platform::posix
