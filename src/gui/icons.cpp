#include "gui/icons.h"

#include "gui/settings_window.h"
#include "raster/raster.h"

namespace drape {

bool LoadIcons() {
    bool all = true;
    for (size_t i = 0; i < kEmbeddedIconCount; ++i) {
        const int slot = kApplyIcon + static_cast<int>(i);
        const EmbeddedFile& icon = kEmbeddedIcons[i];
        all = raster::decodeImage(slot, icon.data, icon.size) != nullptr && all;
    }
    return all;
}

}  // namespace drape
