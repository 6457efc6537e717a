// Large centred text ("big"), centred lines of text ("text") and the placeholders both expand.
#pragma once

#include <string>

namespace drape {

// Replaces ~user~, ~ip~, ~host~, ~timestamp~, ~desktop~, ~monitor~, ~USER~, ~HOST~ and
// ~ipall~, in that order, by the live facts; reads the current monitor at the time of the call.
std::string ExpandPlaceholders(const std::string& text);

// "big": one large text on the current monitor, in a font of 6/9 of its height in points.
void DrawBigText(const std::string& text);
// "text": a heading and smaller lines below it, on every selected monitor. Runs its own
// monitor loop so that its two fonts are made once for all monitors.
void DrawTextLines(const std::string& text);

}  // namespace drape
