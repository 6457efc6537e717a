// Photographs: fitting one file to the desktop or the selected monitors, and random picks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "raster/raster.h"
#include "state/product.h"

namespace drape {

inline constexpr const char* kMissingImageMessage = "Missing image file";

// Fits the image file onto monitors firstMonitor..lastMonitor of the current run, or over the
// whole canvas when it is a picture made for the whole desktop.
void FitImageFile(const std::string& path);
// Fits the photograph in the second image onto the canvas as `FitImageFile` does, with the
// given limits in percent, then releases it.
void FitLoadedImage(int32_t distort, int32_t expand);
// The parts of a w x h photograph that fitting draws onto the canvas: the whole canvas for a
// picture of the whole desktop, else one for every selected monitor (which selects them in
// turn); none without a canvas.
std::vector<raster::ScaledPart> PlanFit(int32_t w, int32_t h, int32_t distort, int32_t expand);
// The entries of a pairs file: eight per line that holds a comma, in file order (missing
// fields empty, fields past the eighth dropped); blank lines and ";" comments give none.
inline constexpr int kFieldsPerPair = 8;
std::vector<std::string> ReadPairsFile(const std::string& bytes);
// Loads one image for every monitor from a folder or a folder word.
void LoadRandomImages(const std::string& argument);

// The crop of a w x h photo for a target of aspect `targetAspect` at tolerance `tolerance`
// percent; whole when the stretch test passes.
struct CropRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const CropRect&) const = default;
};
// True when a w x h photo is a picture for the whole W x H desktop: of about its shape and
// large enough.
bool IsWholeDesktopPicture(int32_t width, int32_t height, int32_t canvasWidth, int32_t canvasHeight,
                           int32_t distort, int32_t expand);
CropRect ChooseCrop(int32_t width, int32_t height, float targetAspect, double tolerance);

}  // namespace drape
