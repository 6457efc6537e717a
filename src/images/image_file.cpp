// "load": one photograph file fitted onto the canvas. Apart from the fitting itself, so that a
// program that reads its photographs otherwise does not link this one's decoders.
#include <string>

#include "images/image_sources.h"
#include "platform/platform.h"
#include "raster/raster.h"
#include "state/settings.h"

namespace drape {

void FitImageFile(const std::string& path) {
    const Settings& s = settings();
    // The photograph is decoded straight into its scaled parts; what the second image held is
    // of no use to the fit and goes first.
    raster::releaseImage(raster::kSecondImage);
    const bool open = raster::openContext(raster::kCanvasImage) != 0;
    const raster::FileFit fit = raster::pasteImageFileParts(
        path, [&](int w, int h) { return PlanFit(w, h, s.distort, s.expand); });
    if (open) {
        raster::closeContext();
    }
    if (fit == raster::FileFit::TooLarge) {
        platform::current().reportError(
            "\"" + path + "\": too large to decode whole (interlaced or progressive)");
    }
    if (fit != raster::FileFit::Drawn && !s.silent) {
        platform::current().messageBox(kProductTitle,
                                       std::string(kMissingImageMessage) + "\r\n\r\n" + path,
                                       platform::kMbIconError);
    }
}

}  // namespace drape
