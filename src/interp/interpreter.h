// One run over the command string: canvas, keywords in order, then the wallpaper output.
#pragma once

#include <cstdint>
#include <functional>

namespace drape {

inline constexpr const char* kUnrecognizedMessage = "Unrecognized command or missing parameter";

// Reads `commandString`, paints the canvas (image 1) and, unless a keyword was rejected,
// writes and installs the wallpaper.
void Interpret();

// Uniform integer in lo..hi inclusive; tests replace it to make runs repeatable.
using UniformSource = std::function<int32_t(int32_t lo, int32_t hi)>;
void SetUniformSource(UniformSource source);
int32_t UniformInRange(int32_t lo, int32_t hi);

}  // namespace drape
