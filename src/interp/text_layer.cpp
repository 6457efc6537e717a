#include "interp/text_layer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>

#include "platform/platform.h"
#include "platform/unicode.h"
#include "raster/raster.h"
#include "state/monitor_selection.h"
#include "state/settings.h"
#include "state/system_facts.h"
#include "state/tokens.h"

namespace drape {

namespace {

constexpr int kBigFont = 1;
constexpr int kHeadingFont = 2;
constexpr int kLineFont = 3;
constexpr uint32_t kTextFontFlags = raster::kFontBold | raster::kFontHighQuality;
constexpr uint32_t kBigAlpha = 64;
constexpr uint32_t kLineAlpha = 96;
constexpr uint32_t kShadowAlpha = 16;
constexpr int kShadowOffset = 2;

std::string twoDigits(int value) {
    value = ((value % 100) + 100) % 100;
    return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

std::string allAddresses() {
    const AddressList& list = state().addresses;
    std::string out;
    for (int32_t i = 1; i <= std::min(list.count, kMaxAddresses); ++i) {
        if (!out.empty()) {
            out += ' ';
        }
        out += FormatAddress(list.slots[static_cast<size_t>(i)]);
    }
    return out;
}

// "big" shows only what follows the third of exactly three dots, so an address shows its
// last number; a text that ends in its third dot is shown whole.
std::string bigTextPart(const std::string& text) {
    if (std::count(text.begin(), text.end(), '.') != 3) {
        return text;
    }
    size_t at = 0;
    for (int dot = 0; dot < 3; ++dot) {
        at = text.find('.', at) + 1;
    }
    return at < text.size() ? text.substr(at) : text;
}

int clampToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

// The colour of text: the style's colour or its inverse, with the alpha byte added.
raster::Colour textColourWithAlpha(const TextStyle& style, uint32_t alpha, bool inverse) {
    const uint32_t colour = style.textColour & 0xFFFFFFu;
    return (inverse ? colour ^ 0xFFFFFFu : colour) + (alpha << 24);
}

// Starts drawing on the canvas in the style's text mode; false without a canvas.
bool openCanvasForText(const TextStyle& style) {
    if (raster::openContext(raster::kCanvasImage) == 0) {
        return false;
    }
    raster::setMode(style.transparent ? raster::DrawMode::Blend
                                      : raster::DrawMode::TransparentBackground);
    return true;
}

TextStyle styleOfSettings() {
    const Settings& s = settings();
    return {s.fontName, s.fontSize, s.textColour, s.transparent};
}

// The left edge that centres text `width` wide on the current monitor.
int64_t centredX(int width) {
    const MonitorState& m = state().monitor;
    return int64_t{m.monitorX} + m.monitorWidth / 2 - width / 2;
}

void drawLinesOnMonitor(const std::string& text, const TextStyle& style, raster::FontHandle heading,
                        raster::FontHandle line) {
    if (!openCanvasForText(style)) {
        return;
    }
    const MonitorState& m = state().monitor;
    const int32_t fontSize = style.fontSize;
    const int64_t base = int64_t{m.monitorY} + m.monitorHeight / 2;
    size_t start = 0;
    for (int k = 1; start <= text.size(); ++k) {
        const size_t bar = std::min(text.find('|', start), text.size());
        const std::string content = TrimBlanks(std::string_view(text).substr(start, bar - start));
        start = bar + 1;
        const raster::FontHandle font = k == 1 ? heading : line;
        // An empty line keeps its number, so it leaves a gap.
        if (content.empty() || font == 0) {
            continue;
        }
        raster::selectFont(font);
        const int x = clampToInt(centredX(raster::measureTextWidth(content)));
        // The offsets take the size in points as pixels, whatever the resolution.
        const int64_t y =
            k == 1 ? base - fontSize / 2
                   : std::llround(static_cast<double>(base) - 0.4 * fontSize + 0.8 * fontSize * k);
        raster::paintText(clampToInt(int64_t{x} + kShadowOffset), clampToInt(y + kShadowOffset),
                          content, textColourWithAlpha(style, kShadowAlpha, true), 0);
        raster::paintText(x, clampToInt(y), content, textColourWithAlpha(style, kLineAlpha, false),
                          0);
    }
    raster::closeContext();
}

}  // namespace

std::string ExpandPlaceholders(const std::string& text) {
    std::string out = text;
    ReplaceAll(out, "~user~", UserName());
    ReplaceAll(out, "~ip~", FormatAddress(state().addresses.currentAddress));
    ReplaceAll(out, "~host~", HostName());
    ReplaceAll(out, "~timestamp~", FormatTimestamp());
    const std::string monitorNumber = std::to_string(int64_t{state().monitor.currentMonitor} + 1);
    ReplaceAll(out, "~desktop~", monitorNumber);
    ReplaceAll(out, "~monitor~", monitorNumber);
    ReplaceAll(out, "~USER~", platform::toUpper(UserName()));
    ReplaceAll(out, "~HOST~", platform::toUpper(HostName()));
    if (out.find("~ipall~") != std::string::npos) {
        ReplaceAll(out, "~ipall~", allAddresses());
    }
    return out;
}

void ReplaceAll(std::string& text, const std::string& placeholder, const std::string& value) {
    if (placeholder.empty()) {
        return;
    }
    for (size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + value.size())) {
        text.replace(at, placeholder.size(), value);
    }
}

std::string FormatTimestamp() {
    const platform::LocalTime t = platform::current().localTime();
    return twoDigits(t.day) + "/" + twoDigits(t.month) + "/" + twoDigits(t.year) + " " +
           twoDigits(t.hour) + ":" + twoDigits(t.minute) + ":" + twoDigits(t.second);
}

void DrawBigText(const std::string& argument) {
    DrawCentredBigText(bigTextPart(ExpandPlaceholders(argument)), styleOfSettings());
}

void DrawCentredBigText(const std::string& text, const TextStyle& style) {
    const MonitorState& m = state().monitor;
    // The size follows the monitor's height, so every monitor gets a font of its own.
    const raster::FontHandle font =
        raster::openFont(kBigFont, style.fontName, m.monitorHeight * 6 / 9, kTextFontFlags);
    if (font == 0) {
        return;
    }
    if (openCanvasForText(style)) {
        raster::selectFont(font);
        const int width = raster::measureTextWidth(text);
        const int height = raster::measureTextHeight(text);
        const int64_t y = int64_t{m.monitorY} + m.monitorHeight / 2 - height / 2;
        raster::paintText(clampToInt(centredX(width)), clampToInt(y), text,
                          textColourWithAlpha(style, kBigAlpha, false), 0);
        raster::closeContext();
    }
    raster::closeFont(kBigFont);
}

void DrawTextLines(const std::string& argument) {
    DrawTextLines(argument, styleOfSettings(), ExpandPlaceholders);
}

void DrawTextLines(const std::string& argument, const TextStyle& style,
                   const TextExpander& expand) {
    const raster::FontHandle heading =
        raster::openFont(kHeadingFont, style.fontName, style.fontSize, kTextFontFlags);
    const raster::FontHandle line =
        raster::openFont(kLineFont, style.fontName, style.fontSize / 2, kTextFontFlags);
    ForEachSelectedMonitor([&](int32_t index) {
        state().monitor.currentMonitor = index;
        drawLinesOnMonitor(expand(argument), style, heading, line);
    });
    raster::closeFont(kHeadingFont);
    raster::closeFont(kLineFont);
}

}  // namespace drape
