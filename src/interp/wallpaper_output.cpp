#include "interp/wallpaper_output.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "raster/raster.h"
#include "state/monitor_selection.h"
#include "state/registry.h"
#include "state/settings.h"

namespace drape {

namespace {

// Where one monitor's part of the canvas lands in the bitmap.
struct Placement {
    int32_t x = 0;  // in the bitmap
    int32_t y = 0;
    int32_t sourceX = 0;  // on the canvas
    int32_t sourceY = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Each monitor's part goes where a wallpaper tiled from the primary monitor's corner shows it:
// monitors left of or above the primary wrap to the far side. Later placements cover earlier
// ones, in monitor order.
std::vector<Placement> placements() {
    const DesktopRect& bounds = state().monitors.bounds;
    std::vector<Placement> out;
    for (int32_t i = 0; i < state().monitors.count; ++i) {
        SelectMonitor(i);
        const MonitorState& m = state().monitor;
        const int32_t dx = m.monitorX + bounds.left;
        const int32_t dy = m.monitorY + bounds.top;
        const auto at = [&](int32_t x, int32_t y) {
            out.push_back({x, y, m.monitorX, m.monitorY, m.monitorWidth, m.monitorHeight});
        };
        at(dx, dy);
        if (dx < 0) {
            at(dx + bounds.width, dy);
        }
        if (dy < 0) {
            at(dx, dy + bounds.height);
        }
        if (dx < 0 && dy < 0) {
            at(dx + bounds.width, dy + bounds.height);
        }
    }
    return out;
}

}  // namespace

std::string WriteWallpaperBitmap(const std::string& path) {
    const DesktopRect& bounds = state().monitors.bounds;
    const raster::RasterImage* canvas = raster::imageHandle(raster::kCanvasImage);
    if (canvas == nullptr || canvas->width != bounds.width || canvas->height != bounds.height) {
        return CanvasProblem(bounds.width, bounds.height);
    }
    const std::vector<Placement> parts = placements();
    // Composed row by row straight from the canvas: no second desktop-sized image and no copy
    // of a monitor's part is ever held.
    const int written =
        raster::writeBmpRows(path, bounds.width, bounds.height, [&](int y, uint8_t* row) {
            std::memset(row, 0, static_cast<size_t>(bounds.width) * 3);
            for (const Placement& part : parts) {
                if (y < part.y || y >= int64_t{part.y} + part.height) {
                    continue;
                }
                const int64_t left = std::max<int64_t>(part.x, 0);
                const int64_t right = std::min<int64_t>(int64_t{part.x} + part.width, bounds.width);
                if (left >= right) {
                    continue;
                }
                const uint8_t* from = canvas->row(part.sourceY + (y - part.y)) +
                                      static_cast<size_t>(part.sourceX + (left - part.x)) * 3;
                std::memcpy(row + static_cast<size_t>(left) * 3, from,
                            static_cast<size_t>(right - left) * 3);
            }
        });
    return written != 0 ? std::string() : "the file could not be written";
}

bool NewMutedCanvas() {
    const DesktopRect& bounds = state().monitors.bounds;
    const auto channel = [] { return static_cast<uint32_t>(UniformInRange(64, 128)); };
    const uint32_t red = channel();
    const uint32_t green = channel();
    const uint32_t blue = channel();
    if (raster::newImage(raster::kCanvasImage, bounds.width, bounds.height, 24,
                         raster::makeColour(red, green, blue)) == nullptr) {
        // Nothing painted is nothing to install: the desktop keeps the picture it has.
        platform::current().reportError(CanvasProblem(bounds.width, bounds.height) +
                                        "; the wallpaper stays as it is");
        return false;
    }
    return true;
}

std::string CanvasProblem(int32_t width, int32_t height) {
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (width < 1 || height < 1) {
        return "there is no monitor to paint (a " + size + " desktop)";
    }
    if (width > raster::kMaxImageSide || height > raster::kMaxImageSide) {
        return "a " + size + " desktop is larger than the 32767 x 32767 pixels a bitmap holds";
    }
    return "not enough memory for a " + size + " desktop";
}

void WriteAndInstallWallpaper() {
    Settings& s = settings();
    platform::Platform& os = platform::current();

    const std::string problem = WriteWallpaperBitmap(s.outputPath);

    RegistryWrite(kHkeyCurrentUser, kDesktopKey, "TileWallPaper", "1", true);

    // A bitmap that could not be written is not installed: the desktop would lose its
    // picture to a missing or partial file.
    if (!problem.empty()) {
        os.reportError("could not write the wallpaper bitmap \"" + s.outputPath + "\": " + problem);
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
