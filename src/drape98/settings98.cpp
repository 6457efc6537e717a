#include "drape98/settings98.h"

#include "platform/narrow.h"
#include "raster/raster.h"
#include "state/product.h"
#include "state/settings.h"

namespace drape {

State98& state98() {
    static State98 state;
    return state;
}

void ApplyDefaults98() {
    // The shared run state starts empty; the random source stays whatever was installed.
    state().monitors = {};
    state().monitor = {};
    raster::resetRaster();
    raster::setTextCoverage(raster::TextCoverage::Grey);
    State98& s = state98();
    s.tokens.clear();
    s.settings = Settings98{};
    Settings98& d = s.settings;
    d.textColour = 0xFFFFFF;
    d.fontName = "Arial";
    d.fontSize = 64;
    d.distort = 15;
    d.expand = 53;
    d.nouser = 120;
    d.outputPath = platform::currentNarrow().tempFolder() + kOutputFileName;
}

}  // namespace drape
