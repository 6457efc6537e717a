// Turns the finished canvas into the desktop wallpaper.
#pragma once

namespace drape {

// Lays the monitors' pictures out the way a tiled wallpaper repeats from the primary monitor,
// writes the bitmap to `outputPath`, switches tiling on and installs it.
void WriteAndInstallWallpaper();
// The first half of that: the second image made as large as the desktop, holding each
// monitor's part of the canvas where a tiled wallpaper shows it.
void ComposeWallpaperImage();

}  // namespace drape
