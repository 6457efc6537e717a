// Turns the finished canvas into the desktop wallpaper.
#pragma once

namespace drape {

// Lays the monitors' pictures out the way a tiled wallpaper repeats from the primary monitor,
// writes the bitmap to `outputPath`, switches tiling on and installs it.
void WriteAndInstallWallpaper();

}  // namespace drape
