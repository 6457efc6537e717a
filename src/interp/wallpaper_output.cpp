#include "interp/wallpaper_output.h"

#include "platform/platform.h"
#include "raster/raster.h"
#include "state/monitor_selection.h"
#include "state/registry.h"
#include "state/settings.h"

namespace drape {

namespace {

// The output image takes the second slot; each monitor's part of the canvas is cut into the crop.
constexpr int kOutput = raster::kSecondImage;
constexpr int kGrab = raster::kCropImage;

// Copies each monitor's part of the canvas to where a wallpaper tiled from the primary
// monitor's corner shows it: monitors left of or above the primary wrap to the far side.
void composeOutput() {
    const DesktopRect& bounds = state().monitors.bounds;
    const int32_t count = state().monitors.count;
    for (int32_t i = 0; i < count; ++i) {
        SelectMonitor(i);
        const MonitorState& m = state().monitor;
        if (raster::cropImage(raster::kCanvasImage, kGrab, m.monitorX, m.monitorY, m.monitorWidth,
                              m.monitorHeight) == 0) {
            continue;
        }
        const int32_t dx = m.monitorX + bounds.left;
        const int32_t dy = m.monitorY + bounds.top;
        if (raster::openContext(kOutput) == 0) {
            raster::releaseImage(kGrab);
            return;
        }
        raster::ImageHandle grab = raster::imageHandle(kGrab);
        raster::pasteImage(grab, dx, dy);
        if (dx < 0) {
            raster::pasteImage(grab, dx + bounds.width, dy);
        }
        if (dy < 0) {
            raster::pasteImage(grab, dx, dy + bounds.height);
        }
        if (dx < 0 && dy < 0) {
            raster::pasteImage(grab, dx + bounds.width, dy + bounds.height);
        }
        raster::closeContext();
        raster::releaseImage(kGrab);
    }
}

}  // namespace

void ComposeWallpaperImage() {
    const DesktopRect& bounds = state().monitors.bounds;
    raster::newImage(kOutput, bounds.width, bounds.height, 24, raster::makeColour(0, 0, 0));
    composeOutput();
}

void WriteAndInstallWallpaper() {
    Settings& s = settings();
    platform::Platform& os = platform::current();

    ComposeWallpaperImage();
    const bool written = raster::writeBmpFile(kOutput, s.outputPath) != 0;
    raster::releaseImage(kOutput);

    RegistryWrite(kHkeyCurrentUser, kDesktopKey, "TileWallPaper", "1", true);

    // A bitmap that could not be written is not installed: the desktop would lose its
    // picture to a missing or partial file.
    if (!written) {
        os.reportError("could not write the wallpaper bitmap \"" + s.outputPath + "\"");
        return;
    }
    if (s.keep) {
        os.setWallpaper(s.outputPath, platform::kSpifUpdateIniFile);
        os.setWallpaper(s.outputPath, platform::kSpifSendWinIniChange);
    } else {
        os.setWallpaper(s.outputPath, 0);
        if (s.outputPath == TempFolder() + kOutputFileName) {
            os.deleteFile(s.outputPath);
        }
    }
}

}  // namespace drape
