// The dispatcher that picks a decoder by the file's signature, as both programs load images.
#include "fuzz_support.h"

using namespace drape;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const raster::ImageHandle image = raster::decodeImage(raster::kSecondImage, data, size);
    if (image != nullptr) {
        DRAPE_FUZZ_CHECK(raster::imageHandle(raster::kSecondImage) == image);
        DRAPE_FUZZ_CHECK(raster::widthOf(raster::kSecondImage) == image->width);
    }
    raster::releaseImage(raster::kSecondImage);
    return 0;
}
