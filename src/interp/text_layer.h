// Large centred text ("big"), centred lines of text ("text") and the placeholders both expand.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace drape {

// What the text keywords draw with; each program fills it from its own settings record.
struct TextStyle {
    std::string fontName;
    int32_t fontSize = 0;      // points of the heading; the lines below take half
    uint32_t textColour = 0;   // red in the low byte; an alpha byte is ignored
    bool transparent = false;  // blended instead of solid text
};
// Turns a text argument into what is drawn on the current monitor (placeholders replaced).
using TextExpander = std::function<std::string(const std::string&)>;

// Replaces ~user~, ~ip~, ~host~, ~timestamp~, ~desktop~, ~monitor~, ~USER~, ~HOST~ and
// ~ipall~, in that order, by the live facts; reads the current monitor at the time of the call.
std::string ExpandPlaceholders(const std::string& text);

// "big": one large text on the current monitor, in a font of 6/9 of its height in points.
void DrawBigText(const std::string& text);
// "text": a heading and smaller lines below it, on every selected monitor. Runs its own
// monitor loop so that its two fonts are made once for all monitors.
void DrawTextLines(const std::string& text);

// The two drawings behind "big" and "text" for either program: `text` drawn as it is, centred
// on the current monitor; the lines of `argument` through `expand` on every selected monitor.
void DrawCentredBigText(const std::string& text, const TextStyle& style);
void DrawTextLines(const std::string& argument, const TextStyle& style, const TextExpander& expand);

// Every occurrence of `placeholder` replaced by `value`, never looking into what it put in.
void ReplaceAll(std::string& text, const std::string& placeholder, const std::string& value);
// The local time now as "dd/mm/yy hh:ii:ss".
std::string FormatTimestamp();

}  // namespace drape
