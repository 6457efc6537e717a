// Separable Mitchell-Netravali resampling of 32-bit images.
//
// Each pass maps n source samples to m target samples with weights precomputed per target
// index in double precision, and rounds every sum back to a byte (sum + 0.5, truncated,
// clamped to 0..255): the intermediate image is a byte image. Sums run over the source indices
// in ascending order, and the file is compiled without floating-point contraction, so the
// result is the same on every machine and in every vector clone: a multiply-add fused into one
// rounding would move sums that lie within an ulp of a rounding edge to the other side.
//
// Both passes take the source row by row, as a decoder gives them. When the vertical pass runs
// first, each target row is mixed from its source rows into one intermediate row and resampled
// along it at once; when the horizontal pass runs first, source rows are resampled along the
// row once each into a ring that holds every row the target rows still to come read.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "platform/row_window.h"
#include "raster/raster_state.h"
#include "raster/scaling.h"

namespace drape::raster::detail {

double mitchellFilter(double x) {
    constexpr double B = 1.0 / 3.0;
    constexpr double C = 1.0 / 3.0;
    x = std::fabs(x);
    if (x < 1.0) {
        return ((12 - 9 * B - 6 * C) * x * x * x + (-18 + 12 * B + 6 * C) * x * x + (6 - 2 * B)) /
               6;
    }
    if (x < 2.0) {
        return ((-B - 6 * C) * x * x * x + (6 * B + 30 * C) * x * x + (-12 * B - 48 * C) * x +
                (8 * B + 24 * C)) /
               6;
    }
    return 0.0;
}

namespace {

// The weights of one pass. Target i reads `count[i]` source samples from `first[i]` on, with
// the weights in slots i * taps onwards.
struct PassWeights {
    size_t taps = 1;
    std::vector<int32_t> first;
    std::vector<int32_t> count;
    std::vector<double> weights;
};

PassWeights passWeights(int n, int m) {
    const double scale = static_cast<double>(m) / n;
    double radius = 2.0;
    double factor = 1.0;
    if (scale < 1.0) {
        // Shrinking widens the filter so that every source sample contributes.
        radius = 2.0 / scale;
        factor = scale;
    }
    PassWeights pass;
    pass.taps = 2 * static_cast<size_t>(std::ceil(radius)) + 1;
    pass.first.resize(static_cast<size_t>(m));
    pass.count.resize(static_cast<size_t>(m));
    pass.weights.assign(static_cast<size_t>(m) * pass.taps, 0.0);
    const auto taps = static_cast<int64_t>(pass.taps);
    for (int i = 0; i < m; ++i) {
        const double centre = (i + 0.5) / scale - 0.5;
        auto left = static_cast<int64_t>(std::floor(centre - radius));
        auto right = static_cast<int64_t>(std::ceil(centre + radius));
        left = std::max<int64_t>(left, 0);
        right = std::min<int64_t>(right, n - 1);
        if (right - left + 1 > taps) {
            if (left < n) {
                ++left;
            } else {
                --right;
            }
        }
        // Rounding in centre +- radius can leave one sample more than the taps hold. It lies
        // beyond the filter's support and would weigh 0, so dropping it changes nothing.
        right = std::min(right, left + taps - 1);
        double* w = &pass.weights[static_cast<size_t>(i) * pass.taps];
        double sum = 0.0;
        for (int64_t j = left; j <= right; ++j) {
            w[j - left] = factor * mitchellFilter((centre - static_cast<double>(j)) * factor);
            sum += w[j - left];
        }
        if (sum > 0.0 && sum != 1.0) {
            for (int64_t j = left; j <= right; ++j) {
                w[j - left] /= sum;
            }
        }
        pass.first[static_cast<size_t>(i)] = static_cast<int32_t>(left);
        pass.count[static_cast<size_t>(i)] = static_cast<int32_t>(right - left + 1);
    }
    return pass;
}

// Vertical mixing runs over blocks of this many bytes so that the sums stay in the
// first-level cache.
constexpr size_t kBlock = 512;

// out[x] = the byte of the sum over k of weights[k] * rows[k][x]. Taps are taken four at a
// time to spare loads and stores of the running sums, still added one after another in
// ascending order. The rounding is written out rather than called so that each vector clone
// keeps it in its loop.
DRAPE_VECTOR_CLONES void mixRows(const uint8_t* const* rows, const double* weights, int taps,
                                 size_t bytes, uint8_t* out) {
    double sum[kBlock];
    for (size_t start = 0; start < bytes; start += kBlock) {
        const size_t n = std::min(kBlock, bytes - start);
        for (size_t i = 0; i < n; ++i) {
            sum[i] = 0.0;
        }
        int k = 0;
        for (; k + 4 <= taps; k += 4) {
            const uint8_t* r0 = rows[k] + start;
            const uint8_t* r1 = rows[k + 1] + start;
            const uint8_t* r2 = rows[k + 2] + start;
            const uint8_t* r3 = rows[k + 3] + start;
            const double w0 = weights[k];
            const double w1 = weights[k + 1];
            const double w2 = weights[k + 2];
            const double w3 = weights[k + 3];
            for (size_t i = 0; i < n; ++i) {
                sum[i] = (((sum[i] + w0 * r0[i]) + w1 * r1[i]) + w2 * r2[i]) + w3 * r3[i];
            }
        }
        for (; k < taps; ++k) {
            const uint8_t* r = rows[k] + start;
            const double w = weights[k];
            for (size_t i = 0; i < n; ++i) {
                sum[i] += w * r[i];
            }
        }
        uint8_t* o = out + start;
        for (size_t i = 0; i < n; ++i) {
            const auto v = static_cast<int32_t>(sum[i] + 0.5);
            o[i] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
        }
    }
}

// Resamples one row of 4-byte pixels along the row. The four channel sums are independent, so
// the compiler keeps them in one vector.
DRAPE_VECTOR_CLONES void resampleRow(const uint8_t* in, const int32_t* first, const int32_t* count,
                                     const double* weights, size_t taps, size_t targets,
                                     uint8_t* out) {
    for (size_t x = 0; x < targets; ++x) {
        const uint8_t* p = in + static_cast<size_t>(first[x]) * 4;
        const double* w = weights + x * taps;
        const int32_t n = count[x];
        double s0 = 0.0;
        double s1 = 0.0;
        double s2 = 0.0;
        double s3 = 0.0;
        for (int32_t k = 0; k < n; ++k, p += 4) {
            s0 += w[k] * p[0];
            s1 += w[k] * p[1];
            s2 += w[k] * p[2];
            s3 += w[k] * p[3];
        }
        const auto v0 = static_cast<int32_t>(s0 + 0.5);
        const auto v1 = static_cast<int32_t>(s1 + 0.5);
        const auto v2 = static_cast<int32_t>(s2 + 0.5);
        const auto v3 = static_cast<int32_t>(s3 + 0.5);
        uint8_t* o = out + 4 * x;
        o[0] = static_cast<uint8_t>(v0 < 0 ? 0 : (v0 > 255 ? 255 : v0));
        o[1] = static_cast<uint8_t>(v1 < 0 ? 0 : (v1 > 255 ? 255 : v1));
        o[2] = static_cast<uint8_t>(v2 < 0 ? 0 : (v2 > 255 ? 255 : v2));
        o[3] = static_cast<uint8_t>(v3 < 0 ? 0 : (v3 > 255 ? 255 : v3));
    }
}

void resampleRow(const uint8_t* in, const PassWeights& pass, uint8_t* out) {
    resampleRow(in, pass.first.data(), pass.count.data(), pass.weights.data(), pass.taps,
                pass.first.size(), out);
}

}  // namespace

struct MitchellResampler::Plan {
    PassWeights across;
    PassWeights down;
    bool horizontalFirst = false;
    platform::RowWindow<uint8_t> rows;  // source rows, or source rows resampled along the row
    std::vector<uint8_t> intermediate;
};

MitchellResampler::MitchellResampler() = default;
MitchellResampler::~MitchellResampler() = default;

bool MitchellResampler::start(int sourceWidth, int sourceHeight, RasterImage& target) {
    plan_.reset();
    target_ = nullptr;
    received_ = 0;
    sourceWidth_ = sourceWidth;
    sourceHeight_ = sourceHeight;
    if (target.depth != 32 || sourceWidth < 1 || sourceHeight < 1) {
        return false;
    }
    try {
        auto plan = std::make_unique<Plan>();
        plan->across = passWeights(sourceWidth, target.width);
        plan->down = passWeights(sourceHeight, target.height);
        // The intermediate is the smaller of width x source height (horizontal pass first) and
        // source width x height; a tie runs the horizontal pass first.
        plan->horizontalFirst =
            int64_t{target.width} * sourceHeight <= int64_t{sourceWidth} * target.height;
        if (plan->horizontalFirst) {
            plan->rows.reset(plan->down.first, plan->down.count,
                             static_cast<size_t>(target.width) * 4);
        } else {
            plan->rows.reset(plan->down.first, plan->down.count,
                             static_cast<size_t>(sourceWidth) * 4);
            plan->intermediate.resize(static_cast<size_t>(sourceWidth) * 4);
        }
        plan_ = std::move(plan);
    } catch (const std::bad_alloc&) {
        return false;
    }
    target_ = &target;
    return true;
}

void MitchellResampler::push(const uint8_t* row) {
    if (plan_ == nullptr || received_ >= sourceHeight_) {
        return;
    }
    const int32_t y = received_++;
    Plan& plan = *plan_;
    if (!plan.rows.wanted(y)) {
        return;
    }
    RasterImage& target = *target_;
    const size_t taps = plan.down.taps;
    if (plan.horizontalFirst) {
        // Each source row resampled once into the ring; each target row mixed from the ring.
        resampleRow(row, plan.across, plan.rows.slot(y));
        const size_t bytes = static_cast<size_t>(target.width) * 4;
        plan.rows.complete(y, [&](size_t at, const uint8_t* const* rows, int32_t count) {
            mixRows(rows, &plan.down.weights[at * taps], count, bytes,
                    target.row(static_cast<int>(at)));
        });
        return;
    }
    // Each target row mixed into one intermediate row of the source's width, then resampled.
    const size_t bytes = static_cast<size_t>(sourceWidth_) * 4;
    std::memcpy(plan.rows.slot(y), row, bytes);
    plan.rows.complete(y, [&](size_t at, const uint8_t* const* rows, int32_t count) {
        mixRows(rows, &plan.down.weights[at * taps], count, bytes, plan.intermediate.data());
        resampleRow(plan.intermediate.data(), plan.across, target.row(static_cast<int>(at)));
    });
}

std::unique_ptr<RasterImage> resampleMitchell(const RasterImage& source, int width, int height) {
    if (source.depth != 32) {
        return nullptr;
    }
    auto target = makeImage(width, height, 32);
    if (target == nullptr) {
        return nullptr;
    }
    MitchellResampler resampler;
    if (!resampler.start(source.width, source.height, *target)) {
        return nullptr;
    }
    for (int y = 0; y < source.height; ++y) {
        resampler.push(source.row(y));
    }
    return target;
}

}  // namespace drape::raster::detail
