// Photographs drawn scaled as they are decoded: each part that the fitting picks for the
// image's size gets its own resampler, rows outside every part are dropped as they arrive, and
// the scaled parts are pasted only once the whole file has decoded, so that a file cut short
// leaves the target as it was.
#include <cstring>
#include <memory>
#include <vector>

#include "platform/area_resample.h"
#include "platform/platform.h"
#include "raster/decode_internal.h"
#include "raster/raster_state.h"
#include "raster/scaling.h"

namespace drape::raster {

namespace detail {

namespace {

// One part on its way: its scaled pixels and what makes them.
struct PartInProgress {
    ScaledPart part;
    std::unique_ptr<RasterImage> scaled;  // the part's target size
    enum class Way { Copy, Area, Mitchell, Whole } way = Way::Copy;
    platform::AreaResampler area;
    MitchellResampler mitchell;
    std::unique_ptr<RasterImage> whole;  // the part itself, for a system stretch
};

class FitSink final : public RowSink {
  public:
    explicit FitSink(const PartPlan& plan) : plan_(plan) {}

    bool begin(int width, int height, int depth) override {
        depth_ = depth;
        try {
            for (const ScaledPart& part : plan_(width, height)) {
                if (part.width <= 0 || part.height <= 0 || part.sourceWidth <= 0 ||
                    part.sourceHeight <= 0 || part.sourceX < 0 || part.sourceY < 0 ||
                    part.sourceWidth > width - part.sourceX ||
                    part.sourceHeight > height - part.sourceY) {
                    continue;
                }
                parts_.push_back(std::make_unique<PartInProgress>());
                if (!startPart(*parts_.back(), part)) {
                    return false;
                }
            }
            whitened_.resize(static_cast<size_t>(width) * 4);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }

    void row(int y, const uint8_t* pixels) override {
        const int bytes = depth_ / 8;
        for (const auto& p : parts_) {
            const ScaledPart& part = p->part;
            const int inside = y - part.sourceY;
            if (inside < 0 || inside >= part.sourceHeight) {
                continue;
            }
            const uint8_t* from = pixels + static_cast<size_t>(part.sourceX) * bytes;
            const size_t rowBytes = static_cast<size_t>(part.sourceWidth) * bytes;
            switch (p->way) {
                case PartInProgress::Way::Copy:
                    std::memcpy(p->scaled->row(inside), from, rowBytes);
                    break;
                case PartInProgress::Way::Area:
                    p->area.push(from);
                    break;
                case PartInProgress::Way::Mitchell:
                    // Fully transparent pixels are resampled as transparent white, as a whole
                    // 32-bit image is before a scaled paste.
                    std::memcpy(whitened_.data(), from, rowBytes);
                    whitenRow(whitened_.data(), static_cast<size_t>(part.sourceWidth));
                    p->mitchell.push(whitened_.data());
                    break;
                case PartInProgress::Way::Whole:
                    std::memcpy(p->whole->row(inside), from, rowBytes);
                    break;
            }
        }
    }

    // Pastes every part onto the context's target.
    void paste() {
        for (const auto& p : parts_) {
            if (p->way == PartInProgress::Way::Whole) {
                p->scaled = scaledCopy(*p->whole, p->part.width, p->part.height);
                p->whole.reset();
            }
            if (p->scaled != nullptr) {
                pasteImage(p->scaled.get(), p->part.x, p->part.y);
            }
        }
    }

  private:
    bool startPart(PartInProgress& p, const ScaledPart& part) {
        using Way = PartInProgress::Way;
        p.part = part;
        const bool sameSize = part.width == part.sourceWidth && part.height == part.sourceHeight;
        const uint64_t partBytes =
            uint64_t(part.sourceWidth) * uint64_t(part.sourceHeight) * uint64_t(depth_ / 8);
        if (!sameSize && depth_ == 24 && !platform::current().halftoneIsAreaResample() &&
            partBytes <= kMaxWholeImageBytes) {
            // The system's stretch takes whole images: the part is collected first. A part too
            // large to hold goes through the area resample a row at a time instead.
            p.way = Way::Whole;
            p.whole = makeImage(part.sourceWidth, part.sourceHeight, depth_);
            return p.whole != nullptr;
        }
        p.scaled = makeImage(part.width, part.height, depth_);
        if (p.scaled == nullptr) {
            return false;
        }
        if (sameSize) {
            p.way = Way::Copy;
            return true;
        }
        if (depth_ == 32) {
            p.way = Way::Mitchell;
            return p.mitchell.start(part.sourceWidth, part.sourceHeight, *p.scaled);
        }
        p.way = Way::Area;
        const platform::MutablePixelView to{p.scaled->width, p.scaled->height, p.scaled->stride,
                                            p.scaled->pixels.data()};
        return p.area.start(part.sourceWidth, part.sourceHeight, to);
    }

    const PartPlan& plan_;
    int depth_ = 24;
    std::vector<std::unique_ptr<PartInProgress>> parts_;
    std::vector<uint8_t> whitened_;
};

}  // namespace

}  // namespace detail

FileFit pasteImageFileParts(const std::string& path, const PartPlan& plan) {
    detail::RasterState& state = detail::rasterState();
    state.overBudget = false;
    detail::FitSink sink(plan);
    if (!detail::streamImageFile(path, sink)) {
        return state.overBudget ? FileFit::TooLarge : FileFit::NotDecoded;
    }
    if (state.context.target != nullptr) {
        sink.paste();
    }
    return FileFit::Drawn;
}

}  // namespace drape::raster
