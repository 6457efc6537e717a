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
// Why a desktop of that size has no canvas: no monitor, larger than a bitmap can be, or no
// memory for it.
std::string CanvasProblem(int32_t width, int32_t height);

}  // namespace drape
