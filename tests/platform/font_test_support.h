// What the font tests of every backend share: a coverage buffer that shows writes outside its
// view, where the ink lies in it, and a fixture that makes fonts and renders them through a
// backend's Drawing concern and destroys them afterwards.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace drape::platform::fonttest {

inline constexpr uint8_t kCoverageGuard = 0xA5;

// Rendered coverage. Rows are padded with guard bytes and followed by guard rows, so that a
// write outside the view shows.
struct Canvas {
    int width = 0;
    int height = 0;
    size_t stride = 0;
    std::vector<uint8_t> pixels;

    Canvas(int w, int h) : width(w), height(h), stride(static_cast<size_t>(w) * 3 + 5) {
        pixels.assign(stride * static_cast<size_t>(h + 2), kCoverageGuard);
        for (int y = 0; y < h; ++y) {
            std::fill_n(pixels.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(y) * stride),
                        static_cast<size_t>(w) * 3, uint8_t{0});
        }
    }
    MutablePixelView view() { return {width, height, stride, pixels.data()}; }
    const uint8_t* at(int x, int y) const {
        return pixels.data() + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3;
    }
    uint8_t value(int x, int y) const { return at(x, y)[0]; }
    bool inked(int x, int y) const { return value(x, y) != 0; }
    bool guardsIntact() const {
        for (size_t i = 0; i < pixels.size(); ++i) {
            const size_t row = i / stride;
            const bool inside =
                row < static_cast<size_t>(height) && i % stride < static_cast<size_t>(width) * 3;
            if (!inside && pixels[i] != kCoverageGuard) {
                return false;
            }
        }
        return true;
    }
    int64_t totalCoverage() const {
        int64_t sum = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                sum += value(x, y);
            }
        }
        return sum;
    }
};

struct Ink {
    int left = 1 << 30;
    int top = 1 << 30;
    int right = -1;  // inclusive
    int bottom = -1;
    bool empty() const { return right < 0; }
};

// The box around the ink in rows [fromRow, toRow).
inline Ink inkOf(const Canvas& canvas, int fromRow = 0, int toRow = 1 << 30) {
    Ink ink;
    for (int y = fromRow; y < std::min(toRow, canvas.height); ++y) {
        for (int x = 0; x < canvas.width; ++x) {
            if (canvas.inked(x, y)) {
                ink.left = std::min(ink.left, x);
                ink.top = std::min(ink.top, y);
                ink.right = std::max(ink.right, x);
                ink.bottom = std::max(ink.bottom, y);
            }
        }
    }
    return ink;
}

// Mean column of the ink in rows [fromRow, toRow), weighted by coverage; -1 without ink.
inline double meanColumn(const Canvas& canvas, int fromRow, int toRow) {
    double sum = 0;
    double weight = 0;
    for (int y = fromRow; y < toRow; ++y) {
        for (int x = 0; x < canvas.width; ++x) {
            sum += x * static_cast<double>(canvas.value(x, y));
            weight += canvas.value(x, y);
        }
    }
    return weight > 0 ? sum / weight : -1;
}

// Makes fonts through `drawing()` and destroys every one at the end of the test.
class FontsFixture : public ::testing::Test {
  protected:
    virtual Drawing& drawing() = 0;

    void TearDown() override {
        for (const FontId font : made_) {
            drawing().destroyFont(font);
        }
    }

    FontId make(const FontRequest& request) {
        const FontId id = drawing().createFont(request);
        EXPECT_NE(id, 0u) << request.face;
        made_.push_back(id);
        return id;
    }
    FontId font(const std::string& face, int pixelHeight, bool bold = true, bool italic = false) {
        FontRequest request;
        request.face = face;
        request.pixelHeight = pixelHeight;
        request.weight = bold ? 700 : 400;
        request.italic = italic;
        request.highQuality = true;
        return make(request);
    }

    // Renders into a fresh canvas and checks that nothing was written outside it.
    Canvas render(FontId id, const std::string& text, int x, int width, int height) {
        Canvas canvas(width, height);
        drawing().renderText(id, text, x, canvas.view());
        EXPECT_TRUE(canvas.guardsIntact()) << text << " at " << x;
        return canvas;
    }
    int width(FontId id, const std::string& text) { return drawing().measureText(id, text).width; }

  private:
    std::vector<FontId> made_;
};

}  // namespace drape::platform::fonttest
