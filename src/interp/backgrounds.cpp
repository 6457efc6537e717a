#include "interp/backgrounds.h"

#include <array>
#include <string>
#include <utility>

#include "raster/raster.h"
#include "state/monitor_selection.h"
#include "state/settings.h"
#include "state/tokens.h"

namespace drape {

namespace {

using raster::Colour;
using raster::makeColour;

const Colour kBlack = makeColour(0, 0, 0);
const Colour kWhite = makeColour(255, 255, 255);

// Opens the canvas for drawing in `mode` and closes it again when the scope ends.
class CanvasDrawing {
  public:
    explicit CanvasDrawing(raster::DrawMode mode)
        : open_(raster::openContext(raster::kCanvasImage) != 0) {
        if (open_) {
            raster::setMode(mode);
        }
    }
    ~CanvasDrawing() {
        if (open_) {
            raster::closeContext();
        }
    }
    CanvasDrawing(const CanvasDrawing&) = delete;
    CanvasDrawing& operator=(const CanvasDrawing&) = delete;
    explicit operator bool() const { return open_; }

  private:
    bool open_;
};

const MonitorState& monitor() {
    return state().monitor;
}

}  // namespace

std::optional<Colour> NamedColour(std::string_view keyword) {
    static constexpr std::array<std::pair<std::string_view, Colour>, 11> kNamed{{
        {"red", makeColour(127, 0, 0)},
        {"green", makeColour(0, 127, 0)},
        {"blue", makeColour(0, 0, 127)},
        {"pink", makeColour(224, 32, 96)},
        {"lime", makeColour(160, 240, 0)},
        {"black", makeColour(0, 0, 0)},
        {"white", makeColour(255, 255, 255)},
        {"grey", makeColour(63, 63, 63)},
        {"brown", makeColour(128, 64, 0)},
        {"cyan", makeColour(0, 255, 255)},
        {"orange", makeColour(255, 128, 0)},
    }};
    for (const auto& [name, colour] : kNamed) {
        if (name == keyword) {
            return colour;
        }
    }
    return std::nullopt;
}

std::optional<Colour> ParseColourArgument(std::string_view argument) {
    if (argument.size() == 7) {
        argument.remove_prefix(1);
    }
    if (argument.size() != 6) {
        return std::nullopt;
    }
    const auto channel = [&](size_t at) {
        return static_cast<uint32_t>(ParseInteger("$" + std::string(argument.substr(at, 2))));
    };
    return makeColour(channel(0), channel(2), channel(4));
}

void FillMonitor(Colour colour) {
    CanvasDrawing canvas(raster::DrawMode::Opaque);
    if (canvas) {
        const MonitorState& m = monitor();
        raster::fillRect(m.monitorX, m.monitorY, m.monitorWidth, m.monitorHeight, colour);
    }
}

void DrawDots() {
    CanvasDrawing canvas(raster::DrawMode::Opaque);
    if (!canvas) {
        return;
    }
    const MonitorState& m = monitor();
    for (int32_t x = 2; x < m.monitorWidth + 1; x += 4) {
        for (int32_t y = 2; y < m.monitorHeight - 1; y += 4) {
            raster::fillRect(m.monitorX + x, m.monitorY + y, 2, 2, kBlack);
        }
    }
}

void DrawFade() {
    CanvasDrawing canvas(raster::DrawMode::Blend);
    if (!canvas) {
        return;
    }
    const MonitorState& m = monitor();
    for (int32_t i = 0; i < m.monitorHeight; ++i) {
        const auto alpha = static_cast<uint32_t>(i * 255 / m.monitorHeight);
        raster::drawLine(m.monitorX, m.monitorY + i, m.monitorX + m.monitorWidth - 1,
                         m.monitorY + i, raster::makeColourAlpha(0, 0, 0, alpha));
    }
}

void DrawStripes(Colour ground, Colour stripe, int32_t period, int32_t width) {
    CanvasDrawing canvas(raster::DrawMode::Opaque);
    if (!canvas) {
        return;
    }
    const int32_t w = raster::widthOf(raster::kCanvasImage);
    const int32_t h = raster::heightOf(raster::kCanvasImage);
    raster::fillRect(0, 0, w, h, ground);
    // A canvas narrower than one period would never advance the stripe start.
    const int32_t step = w / period;
    if (step <= 0) {
        return;
    }
    int32_t v = -w;
    do {
        v += step;
        for (int32_t i = v; i <= v + w / width; ++i) {
            raster::drawLine(i, 0, i + w, w, stripe);
        }
    } while (v <= w);
}

void Drain() {
    // g = round(0.2 R + 0.3 G + 0.2 B): grey, and darker, since the weights add up to 0.7.
    raster::greyImage(raster::imageHandle(raster::kCanvasImage));
}

void Darken() {
    CanvasDrawing canvas(raster::DrawMode::Blend);
    if (canvas) {
        raster::fillRect(0, 0, raster::widthOf(raster::kCanvasImage),
                         raster::heightOf(raster::kCanvasImage),
                         raster::makeColourAlpha(0, 0, 0, 64));
    }
}

void Invert() {
    CanvasDrawing canvas(raster::DrawMode::Xor);
    if (canvas) {
        raster::fillRect(0, 0, raster::widthOf(raster::kCanvasImage),
                         raster::heightOf(raster::kCanvasImage),
                         raster::makeColourAlpha(255, 255, 255, 255));
    }
}

void DrawFrame() {
    const int32_t count = state().monitors.count;
    for (int32_t i = 0; i < count; ++i) {
        SelectMonitor(i);
        CanvasDrawing canvas(raster::DrawMode::Opaque);
        if (!canvas) {
            return;
        }
        const MonitorState& m = monitor();
        const int32_t right = m.monitorX + m.monitorWidth - 2;
        const int32_t bottom = m.monitorY + m.monitorHeight - 2;
        for (int32_t x = m.monitorX; x <= m.monitorX + m.monitorWidth - 4; x += 4) {
            raster::fillRect(x, m.monitorY, 2, 2, kWhite);
            raster::fillRect(x, bottom, 2, 2, kWhite);
            raster::fillRect(x + 2, m.monitorY, 2, 2, kBlack);
            raster::fillRect(x + 2, bottom, 2, 2, kBlack);
        }
        for (int32_t y = m.monitorY; y <= m.monitorY + m.monitorHeight - 4; y += 4) {
            raster::fillRect(m.monitorX, y, 2, 2, kWhite);
            raster::fillRect(right, y, 2, 2, kWhite);
            raster::fillRect(m.monitorX, y + 2, 2, 2, kBlack);
            raster::fillRect(right, y + 2, 2, 2, kBlack);
        }
    }
}

}  // namespace drape

namespace drape {

void Blur() {
    // Each pass mixes the unchanged copy onto what the passes before left.
    if (raster::duplicateImage(raster::kCanvasImage, raster::kSecondImage) == 0) {
        return;
    }
    CanvasDrawing canvas(raster::DrawMode::Opaque);
    if (!canvas) {
        return;
    }
    raster::ImageHandle copy = raster::imageHandle(raster::kSecondImage);
    raster::blendImage(copy, -1, 1, 32);
    raster::blendImage(copy, -2, -1, 64);
    raster::blendImage(copy, 2, 1, 64);
    raster::blendImage(copy, 1, -1, 32);
}

}  // namespace drape
