// The font table: fonts by number (or without one), made and destroyed by the platform.
//
// A font is the platform's font id, used as the handle. Loading into a used number releases
// the old font even when the new one cannot be made, as putting an image into a used number
// does, so a number never keeps a font the caller meant to replace.
#include <cstdlib>
#include <limits>
#include <vector>

#include "platform/platform.h"
#include "raster/fonts.h"
#include "raster/raster_state.h"

namespace drape::raster {

using detail::rasterState;

namespace detail {

int mulDiv(int a, int b, int c) {
    if (c == 0) {
        return -1;
    }
    const int64_t product = int64_t{a} * b;
    const int64_t divisor = std::llabs(c);
    int64_t quotient = (std::llabs(product) + divisor / 2) / divisor;
    if ((product < 0) != (c < 0)) {
        quotient = -quotient;
    }
    if (quotient > std::numeric_limits<int>::max() || quotient < std::numeric_limits<int>::min()) {
        return -1;
    }
    return static_cast<int>(quotient);
}

}  // namespace detail

namespace {

// Takes the fonts that `matches` picks out of the table and destroys them, outside the lock.
template <typename Match>
void closeMatching(Match matches) {
    detail::RasterState& state = rasterState();
    std::vector<FontHandle> taken;
    {
        std::lock_guard<std::mutex> guard(state.fontLock);
        for (auto it = state.fonts.begin(); it != state.fonts.end();) {
            if (matches(it->first, it->second)) {
                taken.push_back(it->first);
                it = state.fonts.erase(it);
            } else {
                ++it;
            }
        }
    }
    detail::DrawContext& context = state.context;
    for (const FontHandle font : taken) {
        // A context must not go on drawing with a font that is gone.
        if (context.font == font) {
            context.font = 0;
        }
        platform::current().destroyFont(font);
    }
}

}  // namespace

FontHandle openFont(int number, const std::string& face, int points, uint32_t flags) {
    if (number < 0) {
        return 0;
    }
    if (number > 0) {
        closeFont(number);
    }
    platform::Platform& os = platform::current();
    int dpiY = os.displayDpiY();
    if (dpiY <= 0) {
        dpiY = 96;
    }
    platform::FontRequest request;
    request.face = face;
    request.pixelHeight = detail::mulDiv(points, dpiY, 72);
    request.weight = (flags & kFontBold) != 0 ? 700 : 400;
    request.italic = (flags & kFontItalic) != 0;
    request.underline = (flags & kFontUnderline) != 0;
    request.strikeOut = (flags & kFontStrikeOut) != 0;
    request.highQuality = (flags & kFontHighQuality) != 0;
    // A size of 0 or less has no glyphs to draw; the desktop would pick some default size,
    // but the program asks for such sizes only by mistake and then wants nothing drawn.
    if (request.pixelHeight <= 0) {
        return 0;
    }
    const platform::FontId font = os.createFont(request);
    if (font == 0) {
        return 0;
    }
    detail::RasterState& state = rasterState();
    std::lock_guard<std::mutex> guard(state.fontLock);
    state.fonts[font] = number;
    return font;
}

FontHandle fontHandle(int number) {
    if (number <= 0) {
        return 0;
    }
    detail::RasterState& state = rasterState();
    std::lock_guard<std::mutex> guard(state.fontLock);
    for (const auto& [handle, held] : state.fonts) {
        if (held == number) {
            return handle;
        }
    }
    return 0;
}

void closeFont(int number) {
    // Number 0 stands for "no number", not for the fonts made without one.
    if (number == -1) {
        closeMatching([](FontHandle, int) { return true; });
    } else if (number > 0) {
        closeMatching([number](FontHandle, int held) { return held == number; });
    }
}

void closeFontHandle(FontHandle font) {
    if (font != 0) {
        closeMatching([font](FontHandle handle, int) { return handle == font; });
    }
}

void selectFont(FontHandle font) {
    rasterState().context.font = font;
}

}  // namespace drape::raster
