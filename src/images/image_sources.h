// Photographs: fitting one file to the desktop or the selected monitors, and random picks.
#pragma once

#include <string>

namespace drape {

// Fits the image file onto monitors firstMonitor..lastMonitor of the current run.
void FitImageFile(const std::string& path);
// Loads one image for every monitor from a folder or a folder word.
void LoadRandomImages(const std::string& argument);

}  // namespace drape
