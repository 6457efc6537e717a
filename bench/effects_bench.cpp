// Speed of the whole-canvas effects against a memcpy of the canvas (BM_Memcpy in
// raster_bench.cpp). Each effect should stay within 3x of a memcpy of the bytes it touches:
// "drain", "darken", "invert" and "fade" pass over the canvas once; "blur" copies the canvas
// once and blends the copy over it four times, five passes in all.
//
// Canvases: 3840x2160 (one 4K monitor) and 11520x2160 (three side by side).
#include <benchmark/benchmark.h>

#include "interp/backgrounds.h"
#include "raster/raster.h"
#include "state/settings.h"

namespace {

namespace raster = drape::raster;

constexpr int kCanvas = 1;

// A canvas covered by one monitor, for the length of one benchmark.
class Canvas {
  public:
    explicit Canvas(const benchmark::State& state)
        : width_(static_cast<int>(state.range(0))), height_(static_cast<int>(state.range(1))) {
        raster::resetRaster();
        raster::newImage(kCanvas, width_, height_, 24, raster::makeColour(40, 90, 160));
        drape::MonitorState& monitor = drape::state().monitor;
        monitor.monitorX = 0;
        monitor.monitorY = 0;
        monitor.monitorWidth = width_;
        monitor.monitorHeight = height_;
    }
    ~Canvas() { raster::resetRaster(); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Bytes of `passes` passes over the canvas, for the bytes-per-second figure.
    int64_t bytes(int passes) const {
        return passes * static_cast<int64_t>(raster::strideFor(width_, 24)) * height_;
    }

  private:
    int width_;
    int height_;
};

template <void (*Effect)(), int Passes>
void BM_Effect(benchmark::State& state) {
    Canvas canvas(state);
    for (auto _ : state) {
        Effect();
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * canvas.bytes(Passes));
    state.counters["passes"] = Passes;
}

void canvasSizes(benchmark::internal::Benchmark* b) {
    b->Args({3840, 2160})->Args({11520, 2160})->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK_TEMPLATE(BM_Effect, drape::Drain, 1)->Name("BM_EffectDrain")->Apply(canvasSizes);
BENCHMARK_TEMPLATE(BM_Effect, drape::Darken, 1)->Name("BM_EffectDarken")->Apply(canvasSizes);
BENCHMARK_TEMPLATE(BM_Effect, drape::Invert, 1)->Name("BM_EffectInvert")->Apply(canvasSizes);
BENCHMARK_TEMPLATE(BM_Effect, drape::DrawFade, 1)->Name("BM_EffectFade")->Apply(canvasSizes);
BENCHMARK_TEMPLATE(BM_Effect, drape::Blur, 5)->Name("BM_EffectBlur")->Apply(canvasSizes);

}  // namespace
