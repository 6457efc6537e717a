// Turns the finished canvas into the desktop wallpaper.
#pragma once

#include <cstdint>
#include <string>

namespace drape {

// Lays the monitors' pictures out the way a tiled wallpaper repeats from the primary monitor,
// writes the bitmap to `outputPath`, switches tiling on and installs it.
void WriteAndInstallWallpaper();
// The first half of that: the bitmap at `path` holding each monitor's part of the canvas
// where a tiled wallpaper shows it. "" when it was written, else why not.
std::string WriteWallpaperBitmap(const std::string& path);
// Makes the canvas as large as the desktop, filled with a random muted colour (each channel
// 64..128); false, with one line saying why, when it cannot be made.
bool NewMutedCanvas();
// Why a desktop of that size has no canvas: no monitor, larger than a bitmap can be, or no
// memory for it.
std::string CanvasProblem(int32_t width, int32_t height);

}  // namespace drape
