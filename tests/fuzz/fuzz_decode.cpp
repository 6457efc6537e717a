// One decoder, chosen at build time by DRAPE_FUZZ_DECODER: what it returns is a whole image of
// an allowed size, or nothing.
#include "fuzz_support.h"
#include "raster/decode_internal.h"

using namespace drape;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::unique_ptr<raster::RasterImage> image =
        raster::detail::DRAPE_FUZZ_DECODER(data, size);
    if (image != nullptr) {
        DRAPE_FUZZ_CHECK(image->width >= 1 && image->width <= raster::kMaxImageSide);
        DRAPE_FUZZ_CHECK(image->height >= 1 && image->height <= raster::kMaxImageSide);
        DRAPE_FUZZ_CHECK(image->depth == 24 || image->depth == 32);
        DRAPE_FUZZ_CHECK(image->stride == raster::strideFor(image->width, image->depth));
        DRAPE_FUZZ_CHECK(image->pixels.size() >=
                         image->stride * static_cast<size_t>(image->height));
    }
    return 0;
}
