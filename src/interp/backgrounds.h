// Painting that is neither text nor photographs: fills, stripes and effects.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "raster/raster.h"

namespace drape {

// Colour of a named fill keyword ("red" ... "orange"), or nothing for another word.
std::optional<raster::Colour> NamedColour(std::string_view keyword);
// The colour of a "color" argument: six hex digits, optionally after one leading character.
std::optional<raster::Colour> ParseColourArgument(std::string_view argument);

// Per-monitor operations paint the current monitor rectangle.
void FillMonitor(raster::Colour colour);
void DrawDots();
void DrawFade();

// Whole-canvas operations.
void DrawStripes(raster::Colour ground, raster::Colour stripe, int32_t period, int32_t width);
void Drain();
void Blur();
void Darken();
void Invert();

// Every monitor of the table, whatever the selection.
void DrawFrame();

}  // namespace drape
