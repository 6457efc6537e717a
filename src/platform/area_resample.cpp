// Area-averaging resample of 24-bit images in fixed point.
//
// Along each axis a table gives, for every target index, the run of source indices it draws
// from and their weights in units of 1/16384 that add up to exactly 16384, so a uniform image
// stays uniform at any size. Shrinking weighs each source pixel by the part of it that the
// target pixel covers; enlarging interpolates linearly between the two nearest pixel centres.
//
// The two passes take the source row by row, as a decoder gives them, and keep only the rows
// that target rows still to come read: when the height shrinks (the common case of a
// photograph fitted to a screen) each target row is mixed from its source rows first and
// resampled along the row second, otherwise source rows are resampled along the row once each,
// kept in a small ring, and mixed from there. The
// intermediate rows carry 7 bits below the byte, so a 2:1 shrink rounds the exact average of
// its four pixels.
#include "platform/area_resample.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/row_window.h"

// The row mixes are plain loops over bytes that the compiler vectorises; where the toolchain
// can choose at load time they are also built for AVX2 and AVX-512.
#if defined(DRAPE_TARGET_CLONES)
#define DRAPE_RESAMPLE_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define DRAPE_RESAMPLE_CLONES
#endif

namespace drape::platform {

namespace {

constexpr int kWeightBits = 14;
constexpr int32_t kWeightOne = 1 << kWeightBits;
constexpr int kFractionBits = 7;  // of the intermediate rows: 255 << 7 still fits 15 bits
constexpr int kToIntermediate = kWeightBits - kFractionBits;
constexpr int kToByte = kWeightBits + kFractionBits;

// Which source samples make each target sample along one axis.
struct AxisWeights {
    int maxTaps = 1;
    std::vector<int32_t> first;    // first source index of each target index
    std::vector<int32_t> count;    // number of source indices, at least 1
    std::vector<int16_t> weights;  // `maxTaps` slots per target index
};

// Weights when n source samples shrink to m < n: target i covers source [i n/m, (i+1) n/m).
// Measured in units of 1/m, source j covers [j m, (j+1) m). Each weight is the difference of
// rounded running coverages, so rounding errors do not pile up and the sum is exact.
void shrinkWeights(int64_t n, int64_t m, AxisWeights& axis) {
    axis.maxTaps = static_cast<int>((n + m - 1) / m) + 1;
    axis.weights.assign(static_cast<size_t>(m) * static_cast<size_t>(axis.maxTaps), 0);
    for (int64_t i = 0; i < m; ++i) {
        const int64_t start = i * n;
        const int64_t end = start + n;
        const int64_t first = start / m;
        const int64_t last = (end - 1) / m;
        int16_t* w = &axis.weights[static_cast<size_t>(i) * static_cast<size_t>(axis.maxTaps)];
        int64_t previous = 0;
        for (int64_t j = first; j <= last; ++j) {
            const int64_t covered = std::min((j + 1) * m, end) - start;
            const int64_t running = (covered * kWeightOne + n / 2) / n;
            w[j - first] = static_cast<int16_t>(running - previous);
            previous = running;
        }
        axis.first[static_cast<size_t>(i)] = static_cast<int32_t>(first);
        axis.count[static_cast<size_t>(i)] = static_cast<int32_t>(last - first + 1);
    }
}

// Weights when n source samples grow to m > n: target i's centre lies at source position
// ((2i + 1) n - m) / 2m, between the centres of two source samples; beyond the outer centres
// the edge sample is repeated.
void enlargeWeights(int64_t n, int64_t m, AxisWeights& axis) {
    axis.maxTaps = 2;
    axis.weights.assign(static_cast<size_t>(m) * 2, 0);
    const int64_t denominator = 2 * m;
    for (int64_t i = 0; i < m; ++i) {
        const int64_t numerator = (2 * i + 1) * n - m;
        int64_t first = 0;
        int64_t upper = 0;  // weight of the sample right of `first`
        if (numerator > 0) {
            first = numerator / denominator;
            upper = (numerator % denominator * kWeightOne + denominator / 2) / denominator;
        }
        if (first >= n - 1) {
            first = n - 1;
            upper = 0;
        }
        int16_t* w = &axis.weights[static_cast<size_t>(i) * 2];
        int32_t taps = 2;
        if (upper == 0) {
            taps = 1;
            w[0] = static_cast<int16_t>(kWeightOne);
        } else if (upper == kWeightOne) {
            taps = 1;
            first += 1;
            w[0] = static_cast<int16_t>(kWeightOne);
        } else {
            w[0] = static_cast<int16_t>(kWeightOne - upper);
            w[1] = static_cast<int16_t>(upper);
        }
        axis.first[static_cast<size_t>(i)] = static_cast<int32_t>(first);
        axis.count[static_cast<size_t>(i)] = taps;
    }
}

AxisWeights axisWeights(int n, int m) {
    AxisWeights axis;
    axis.first.resize(static_cast<size_t>(m));
    axis.count.resize(static_cast<size_t>(m));
    if (m < n) {
        shrinkWeights(n, m, axis);
    } else if (m > n) {
        enlargeWeights(n, m, axis);
    } else {
        axis.weights.assign(static_cast<size_t>(m), static_cast<int16_t>(kWeightOne));
        for (int i = 0; i < m; ++i) {
            axis.first[static_cast<size_t>(i)] = i;
            axis.count[static_cast<size_t>(i)] = 1;
        }
    }
    return axis;
}

// Mixing runs over blocks of this many bytes, so the 32-bit sums stay in the first-level cache.
constexpr size_t kBlock = 1024;

// intermediate[x] = sum of weights[k] * rows[k][x], with 7 bits below the byte.
DRAPE_RESAMPLE_CLONES void mixByteRows(const uint8_t* const* rows, const int16_t* weights, int taps,
                                       size_t bytes, uint16_t* out) {
    int32_t sum[kBlock];
    for (size_t start = 0; start < bytes; start += kBlock) {
        const size_t n = std::min(kBlock, bytes - start);
        const uint8_t* r = rows[0] + start;
        const int32_t w0 = weights[0];
        for (size_t i = 0; i < n; ++i) {
            sum[i] = w0 * r[i];
        }
        for (int k = 1; k < taps; ++k) {
            r = rows[k] + start;
            const int32_t w = weights[k];
            for (size_t i = 0; i < n; ++i) {
                sum[i] += w * r[i];
            }
        }
        uint16_t* o = out + start;
        for (size_t i = 0; i < n; ++i) {
            o[i] =
                static_cast<uint16_t>((sum[i] + (1 << (kToIntermediate - 1))) >> kToIntermediate);
        }
    }
}

// out[x] = sum of weights[k] * rows[k][x], rounded back to a byte.
DRAPE_RESAMPLE_CLONES void mixIntermediateRows(const uint16_t* const* rows, const int16_t* weights,
                                               int taps, size_t bytes, uint8_t* out) {
    int32_t sum[kBlock];
    for (size_t start = 0; start < bytes; start += kBlock) {
        const size_t n = std::min(kBlock, bytes - start);
        const uint16_t* r = rows[0] + start;
        const int32_t w0 = weights[0];
        for (size_t i = 0; i < n; ++i) {
            sum[i] = w0 * r[i];
        }
        for (int k = 1; k < taps; ++k) {
            r = rows[k] + start;
            const int32_t w = weights[k];
            for (size_t i = 0; i < n; ++i) {
                sum[i] += w * r[i];
            }
        }
        uint8_t* o = out + start;
        for (size_t i = 0; i < n; ++i) {
            o[i] = static_cast<uint8_t>((sum[i] + (1 << (kToByte - 1))) >> kToByte);
        }
    }
}

// Resamples one row of blue, green, red pixels along the row. All weights are non-negative
// and add up to one, so no sum exceeds the largest input and nothing needs clamping.
template <typename In, typename Out, int Shift>
void resampleRow(const In* in, const AxisWeights& axis, Out* out) {
    constexpr int32_t kHalf = 1 << (Shift - 1);
    const size_t targets = axis.first.size();
    const size_t stride = static_cast<size_t>(axis.maxTaps);
    for (size_t x = 0; x < targets; ++x) {
        const In* p = in + static_cast<size_t>(axis.first[x]) * 3;
        const int16_t* w = &axis.weights[x * stride];
        const int32_t taps = axis.count[x];
        int32_t b = kHalf;
        int32_t g = kHalf;
        int32_t r = kHalf;
        for (int32_t k = 0; k < taps; ++k, p += 3) {
            b += w[k] * p[0];
            g += w[k] * p[1];
            r += w[k] * p[2];
        }
        out[3 * x] = static_cast<Out>(b >> Shift);
        out[3 * x + 1] = static_cast<Out>(g >> Shift);
        out[3 * x + 2] = static_cast<Out>(r >> Shift);
    }
}

const uint8_t* sourceRow(const PixelView& source, int y) {
    return source.pixels + static_cast<size_t>(y) * source.stride;
}

uint8_t* targetRow(const MutablePixelView& target, int y) {
    return target.pixels + static_cast<size_t>(y) * target.stride;
}

}  // namespace

struct AreaResampler::Plan {
    AxisWeights across;
    AxisWeights down;
    bool mixFirst = false;  // the height shrinks (or stays): mix source rows, then resample
    RowWindow<uint8_t> sourceRows;
    RowWindow<uint16_t> resampledRows;
    std::vector<uint16_t> intermediate;
};

AreaResampler::AreaResampler() = default;
AreaResampler::~AreaResampler() = default;

bool AreaResampler::start(int sourceWidth, int sourceHeight, const MutablePixelView& target) {
    plan_.reset();
    received_ = 0;
    sourceWidth_ = sourceWidth;
    sourceHeight_ = sourceHeight;
    target_ = target;
    if (sourceWidth <= 0 || sourceHeight <= 0 || target.width <= 0 || target.height <= 0 ||
        target.pixels == nullptr) {
        return false;
    }
    if (sourceWidth == target.width && sourceHeight == target.height) {
        return true;
    }
    try {
        auto plan = std::make_unique<Plan>();
        plan->across = axisWeights(sourceWidth, target.width);
        plan->down = axisWeights(sourceHeight, target.height);
        plan->mixFirst = target.height <= sourceHeight;
        if (plan->mixFirst) {
            plan->sourceRows.reset(plan->down.first, plan->down.count,
                                   static_cast<size_t>(sourceWidth) * 3);
            plan->intermediate.resize(static_cast<size_t>(sourceWidth) * 3);
        } else {
            plan->resampledRows.reset(plan->down.first, plan->down.count,
                                      static_cast<size_t>(target.width) * 3);
        }
        plan_ = std::move(plan);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void AreaResampler::push(const uint8_t* row) {
    if (received_ >= sourceHeight_ || target_.pixels == nullptr) {
        return;
    }
    const int32_t y = received_++;
    if (plan_ == nullptr) {
        std::memcpy(targetRow(target_, y), row, static_cast<size_t>(sourceWidth_) * 3);
        return;
    }
    Plan& plan = *plan_;
    const size_t maxTaps = static_cast<size_t>(plan.down.maxTaps);
    if (plan.mixFirst) {
        // Each target row: its source rows mixed into one intermediate row, then resampled
        // along it.
        if (!plan.sourceRows.wanted(y)) {
            return;
        }
        const size_t bytes = static_cast<size_t>(sourceWidth_) * 3;
        std::memcpy(plan.sourceRows.slot(y), row, bytes);
        plan.sourceRows.complete(y, [&](size_t at, const uint8_t* const* rows, int32_t taps) {
            mixByteRows(rows, &plan.down.weights[at * maxTaps], taps, bytes,
                        plan.intermediate.data());
            resampleRow<uint16_t, uint8_t, kToByte>(plan.intermediate.data(), plan.across,
                                                    targetRow(target_, static_cast<int>(at)));
        });
        return;
    }
    // Each source row resampled along the row once; each target row mixed from those.
    if (!plan.resampledRows.wanted(y)) {
        return;
    }
    resampleRow<uint8_t, uint16_t, kToIntermediate>(row, plan.across, plan.resampledRows.slot(y));
    const size_t bytes = static_cast<size_t>(target_.width) * 3;
    plan.resampledRows.complete(y, [&](size_t at, const uint16_t* const* rows, int32_t taps) {
        mixIntermediateRows(rows, &plan.down.weights[at * maxTaps], taps, bytes,
                            targetRow(target_, static_cast<int>(at)));
    });
}

void areaResample(const PixelView& source, const MutablePixelView& target) {
    if (source.pixels == nullptr) {
        return;
    }
    AreaResampler resampler;
    if (!resampler.start(source.width, source.height, target)) {
        // Without memory for the tables the target keeps what it held, like a failed blit.
        return;
    }
    for (int y = 0; y < source.height; ++y) {
        resampler.push(sourceRow(source, y));
    }
}

}  // namespace drape::platform
