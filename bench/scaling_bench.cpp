// Speed of scaling a photograph to a 4K monitor: the Mitchell-Netravali resample of a 32-bit
// image and the area-averaging stretch of a 24-bit one, shrinking 6000x4000 (a 24-megapixel
// camera picture) and enlarging 1920x1080. bench/compare_scaling.sh runs these next to libvips,
// Pillow and ImageMagick doing the same resize.
//
// The pictures are made here (a smooth gradient under noise, alpha falling from 255 to 0 left
// to right): neither resampler branches on pixel values, so their speed does not depend on
// the content.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "platform/area_resample.h"
#include "raster/raster.h"
#include "raster/scaling.h"

namespace {

namespace raster = drape::raster;

std::unique_ptr<raster::RasterImage> photograph(int width, int height, int depth) {
    auto image = std::make_unique<raster::RasterImage>();
    image->width = width;
    image->height = height;
    image->depth = depth;
    image->stride = raster::strideFor(width, depth);
    image->pixels.resize(image->stride * static_cast<size_t>(height));
    std::mt19937 random(1);
    const int bpp = depth / 8;
    for (int y = 0; y < height; ++y) {
        uint8_t* p = image->row(y);
        for (int x = 0; x < width; ++x, p += bpp) {
            const auto noise = static_cast<int>(random() % 32);
            p[0] = static_cast<uint8_t>((x * 200 / width + noise) & 255);
            p[1] = static_cast<uint8_t>((y * 200 / height + noise) & 255);
            p[2] = static_cast<uint8_t>(((x + y) * 100 / (width + height) + noise) & 255);
            if (depth == 32) {
                p[3] = static_cast<uint8_t>(255 - x * 255 / (width - 1));
            }
        }
    }
    return image;
}

// Arguments: source width, source height, target width, target height.
void BM_ScaleMitchell(benchmark::State& state) {
    const auto source =
        photograph(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), 32);
    const auto width = static_cast<int>(state.range(2));
    const auto height = static_cast<int>(state.range(3));
    for (auto _ : state) {
        // What a scaled paste does before pasting: whiten the transparent pixels, resample.
        auto scaled = raster::detail::scaledCopy(*source, width, height);
        benchmark::DoNotOptimize(scaled.get());
    }
    state.SetItemsProcessed(state.iterations() * width * height);
}

void BM_ScaleHalftone(benchmark::State& state) {
    const auto source =
        photograph(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), 24);
    raster::RasterImage target;
    target.width = static_cast<int>(state.range(2));
    target.height = static_cast<int>(state.range(3));
    target.stride = raster::strideFor(target.width, 24);
    target.pixels.resize(target.stride * static_cast<size_t>(target.height));
    const drape::platform::PixelView from{source->width, source->height, source->stride,
                                          source->pixels.data()};
    const drape::platform::MutablePixelView to{target.width, target.height, target.stride,
                                               target.pixels.data()};
    for (auto _ : state) {
        drape::platform::areaResample(from, to);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * target.width * target.height);
}

void scalings(benchmark::internal::Benchmark* b) {
    b->Args({6000, 4000, 3840, 2160})
        ->Args({1920, 1080, 3840, 2160})
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

BENCHMARK(BM_ScaleMitchell)->Apply(scalings);
BENCHMARK(BM_ScaleHalftone)->Apply(scalings);

}  // namespace
