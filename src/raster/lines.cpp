// Lines. Horizontal and vertical lines are one-pixel boxes; all others are walked with
// Bresenham's algorithm from the first end point to the second along the major axis.
//
// A line may reach far outside the target (coordinates anywhere in int). Instead of walking
// the invisible part, the walk starts at the first step whose pixel is inside and stops after
// the last one; the minor-axis position and the error term at that step come from the closed
// form of the algorithm's decision, so the pixels drawn are exactly those that a walk over the
// whole line would draw inside the target.
#include <algorithm>
#include <cstdlib>

#include "raster/raster_state.h"

namespace drape::raster {

namespace {

// Bresenham's state after `i` steps along the major axis, for a line of `major` steps along
// its major axis and `minor` along the other (0 < minor <= major < 2^32, 0 <= i <= major).
// The classic walk keeps e = 2*minor*i + major - 2*major*k in (0, 2*major], where k is the
// number of minor steps taken; k and e follow from minor*i = q*major + r without overflow.
struct WalkState {
    uint64_t minorSteps;  // k
    uint64_t error;       // e
};

WalkState walkStateAt(uint64_t i, uint64_t major, uint64_t minor) {
    const uint64_t product = minor * i;  // < 2^64 since both factors are < 2^32
    const uint64_t q = product / major;
    const uint64_t r = product % major;
    if (2 * r <= major) {
        return {q, 2 * r + major};
    }
    return {q + 1, 2 * r - major};
}

// The steps i in [first, last] (first <= last) where the minor-axis step count k(i) lies in
// [kLow, kHigh]. k is non-decreasing in i, so both ends are found by bisection. Returns false
// when there is none.
bool visibleSteps(uint64_t& first, uint64_t& last, uint64_t kLow, uint64_t kHigh, uint64_t major,
                  uint64_t minor) {
    // Smallest i in [first, last] with k(i) >= kLow.
    uint64_t lo = first;
    uint64_t hi = last + 1;
    while (lo < hi) {
        const uint64_t mid = lo + (hi - lo) / 2;
        if (walkStateAt(mid, major, minor).minorSteps >= kLow) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    if (lo > last || walkStateAt(lo, major, minor).minorSteps > kHigh) {
        return false;
    }
    const uint64_t start = lo;
    // Largest i in [start, last] with k(i) <= kHigh.
    lo = start;
    hi = last;
    while (lo < hi) {
        const uint64_t mid = lo + (hi - lo + 1) / 2;
        if (walkStateAt(mid, major, minor).minorSteps <= kHigh) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    first = start;
    last = lo;
    return true;
}

// The range of step counts s in [0, steps] for which start + sign * s lies in [0, size - 1].
bool stepsInside(int64_t start, int sign, int64_t size, uint64_t steps, uint64_t& low,
                 uint64_t& high) {
    int64_t from = sign > 0 ? -start : start - (size - 1);
    int64_t to = sign > 0 ? size - 1 - start : start;
    from = std::max<int64_t>(from, 0);
    to = std::min<int64_t>(to, static_cast<int64_t>(steps));
    if (from > to) {
        return false;
    }
    low = static_cast<uint64_t>(from);
    high = static_cast<uint64_t>(to);
    return true;
}

void drawSlopedLine(RasterImage& target, int64_t x1, int64_t y1, int64_t x2, int64_t y2,
                    const detail::PixelWrite& w) {
    const uint64_t dx = static_cast<uint64_t>(std::llabs(x2 - x1));
    const uint64_t dy = static_cast<uint64_t>(std::llabs(y2 - y1));
    const int sx = x2 > x1 ? 1 : -1;
    const int sy = y2 > y1 ? 1 : -1;
    const bool xMajor = dx >= dy;
    const uint64_t major = xMajor ? dx : dy;
    const uint64_t minor = xMajor ? dy : dx;

    // Steps whose major-axis coordinate is inside, then those whose minor one is too.
    uint64_t first = 0;
    uint64_t last = 0;
    uint64_t kLow = 0;
    uint64_t kHigh = 0;
    const bool inside = xMajor ? stepsInside(x1, sx, target.width, major, first, last) &&
                                     stepsInside(y1, sy, target.height, minor, kLow, kHigh)
                               : stepsInside(y1, sy, target.height, major, first, last) &&
                                     stepsInside(x1, sx, target.width, minor, kLow, kHigh);
    if (!inside || !visibleSteps(first, last, kLow, kHigh, major, minor)) {
        return;
    }

    const WalkState state = walkStateAt(first, major, minor);
    const int64_t x = x1 + sx * static_cast<int64_t>(xMajor ? first : state.minorSteps);
    const int64_t y = y1 + sy * static_cast<int64_t>(xMajor ? state.minorSteps : first);
    const ptrdiff_t bpp = detail::bytesPerPixel(target);
    const ptrdiff_t stepX = sx * bpp;
    const ptrdiff_t stepY = sy * static_cast<ptrdiff_t>(target.stride);
    const ptrdiff_t majorStep = xMajor ? stepX : stepY;
    const ptrdiff_t minorStep = xMajor ? stepY : stepX;

    uint8_t* p = target.row(static_cast<int>(y)) + static_cast<ptrdiff_t>(x) * bpp;
    uint64_t error = state.error;
    for (uint64_t i = first;; ++i) {
        detail::writePixel(p, w);
        if (i == last) {
            break;
        }
        p += majorStep;
        error += 2 * minor;
        if (error > 2 * major) {
            error -= 2 * major;
            p += minorStep;
        }
    }
}

}  // namespace

void drawLine(int x1, int y1, int x2, int y2, Colour colour) {
    const detail::DrawContext& context = detail::rasterState().context;
    if (context.target == nullptr) {
        return;
    }
    const detail::PixelWrite w = detail::pixelWriteFor(context.mode, colour);
    if (x1 == x2 || y1 == y2) {
        detail::fillBox(*context.target, std::min(x1, x2), std::min(y1, y2),
                        int64_t{std::max(x1, x2)} + 1, int64_t{std::max(y1, y2)} + 1, w);
        return;
    }
    drawSlopedLine(*context.target, x1, y1, x2, y2, w);
}

}  // namespace drape::raster
