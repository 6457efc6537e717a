#include <algorithm>
#include <cmath>
#include <vector>

#include "images/image_sources.h"
#include "platform/platform.h"
#include "raster/raster.h"
#include "state/monitor_selection.h"
#include "state/settings.h"

namespace drape {

namespace {

// Nearest integer with halves going to the even one, as the FPU rounds by default.
int64_t nearestEven(double value) {
    return static_cast<int64_t>(std::nearbyint(value));
}

// The photo (or the part ChooseCrop keeps) scaled into the target rectangle.
raster::ScaledPart partFor(int32_t w, int32_t h, int32_t x, int32_t y, int32_t width,
                           int32_t height, float aspect, double tolerance) {
    const CropRect crop = ChooseCrop(w, h, aspect, tolerance);
    return {crop.x, crop.y, crop.width, crop.height, x, y, width, height};
}

// Draws one part of the photo in the second image as the streamed fit draws it.
void drawPart(const raster::ScaledPart& part) {
    const int32_t w = raster::widthOf(raster::kSecondImage);
    const int32_t h = raster::heightOf(raster::kSecondImage);
    raster::ImageHandle source = raster::imageHandle(raster::kSecondImage);
    const bool whole =
        part.sourceX == 0 && part.sourceY == 0 && part.sourceWidth == w && part.sourceHeight == h;
    if (!whole) {
        if (raster::openContext(raster::kSecondImage) == 0) {
            return;
        }
        const int captured = raster::captureRegion(raster::kCropImage, part.sourceX, part.sourceY,
                                                   part.sourceWidth, part.sourceHeight);
        raster::closeContext();
        if (captured == 0) {
            return;
        }
        source = raster::imageHandle(raster::kCropImage);
    }
    if (raster::openContext(raster::kCanvasImage) != 0) {
        raster::pasteImageScaled(source, part.x, part.y, part.width, part.height);
        raster::closeContext();
    }
    raster::releaseImage(raster::kCropImage);
}

}  // namespace

CropRect ChooseCrop(int32_t width, int32_t height, float targetAspect, double tolerance) {
    const double a = targetAspect;
    const double image = static_cast<float>(static_cast<float>(width) / static_cast<float>(height));
    if (image * (100.0 - tolerance) < a * 100.0 && image * 100.0 > a * (100.0 - tolerance)) {
        return {0, 0, width, height};
    }
    if (image < a) {
        const int64_t wanted = nearestEven(((width / a) * 100.0) / (100.0 - tolerance));
        const auto ch = static_cast<int32_t>(std::min<int64_t>(height, wanted));
        return {0, (height - ch) / 2, width, ch};
    }
    const int64_t wanted = nearestEven(((height * a) * 100.0) / (100.0 - tolerance));
    const auto cw = static_cast<int32_t>(std::min<int64_t>(width, wanted));
    return {(width - cw) / 2, 0, cw, height};
}

bool IsWholeDesktopPicture(int32_t width, int32_t height, int32_t canvasWidth, int32_t canvasHeight,
                           int32_t distort, int32_t expand) {
    const double desktopAspect =
        static_cast<float>(static_cast<float>(canvasWidth) / static_cast<float>(canvasHeight));
    const double imageAspect =
        static_cast<float>(static_cast<float>(width) / static_cast<float>(height));
    const double d = distort;
    // The size tests in 64 bits: large sizes with odd settings must not wrap.
    return imageAspect * (100.0 - d) < desktopAspect * 115.0 &&
           imageAspect * 115.0 > desktopAspect * (100.0 - d) &&
           int64_t{width} * 100 > int64_t{canvasWidth} * (100 - int64_t{expand}) &&
           int64_t{height} * 100 > int64_t{canvasHeight} * (100 - int64_t{expand});
}

std::vector<raster::ScaledPart> PlanFit(int32_t w, int32_t h, int32_t distort, int32_t expand) {
    const int32_t canvasWidth = raster::widthOf(raster::kCanvasImage);
    const int32_t canvasHeight = raster::heightOf(raster::kCanvasImage);
    std::vector<raster::ScaledPart> parts;
    if (w <= 0 || h <= 0 || canvasWidth <= 0 || canvasHeight <= 0) {
        return parts;
    }
    const float desktopAspect = static_cast<float>(canvasWidth) / static_cast<float>(canvasHeight);
    const double d = distort;
    if (IsWholeDesktopPicture(w, h, canvasWidth, canvasHeight, distort, expand)) {
        parts.push_back(partFor(w, h, 0, 0, canvasWidth, canvasHeight, desktopAspect, d));
        return parts;
    }
    const MonitorState& m = state().monitor;
    ForEachSelectedMonitor([&](int32_t) {
        parts.push_back(partFor(w, h, m.monitorX, m.monitorY, m.monitorWidth, m.monitorHeight,
                                m.monitorAspect, d / 2.0));
    });
    return parts;
}

void FitLoadedImage(int32_t distort, int32_t expand) {
    const std::vector<raster::ScaledPart> parts =
        PlanFit(raster::widthOf(raster::kSecondImage), raster::heightOf(raster::kSecondImage),
                distort, expand);
    for (const raster::ScaledPart& part : parts) {
        drawPart(part);
    }
    raster::releaseImage(raster::kSecondImage);
}

}  // namespace drape
