// The product's name and the file names that every part of the program agrees on.
#pragma once

namespace drape {

inline constexpr const char* kProductTitle = "Drape v1.81";
inline constexpr const char* kOutputFileName = "drape.bmp";
inline constexpr const char* kCommandFileName = "drape.cmd";
inline constexpr const char* kPairsFileName = "drape.lst";

}  // namespace drape
