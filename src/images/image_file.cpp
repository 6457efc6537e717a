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
    if (raster::readImageFile(raster::kSecondImage, path) == nullptr) {
        if (!s.silent) {
            platform::current().messageBox(kProductTitle,
                                           std::string(kMissingImageMessage) + "\r\n\r\n" + path,
                                           platform::kMbIconError);
        }
        return;
    }
    FitLoadedImage(s.distort, s.expand);
}

}  // namespace drape
