// One run over the command string: canvas, keywords in order, then the wallpaper output.
#pragma once

namespace drape {

inline constexpr const char* kUnrecognizedMessage = "Unrecognized command or missing parameter";

// Reads `commandString`, paints the canvas (image 1) and, unless a keyword was rejected,
// writes and installs the wallpaper.
void Interpret();

}  // namespace drape
