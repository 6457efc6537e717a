// Speed of the whole-canvas raster operations against the memory and file bandwidth of the
// machine: each fill should stay within 2x of a memcpy of the canvas, and BMP writing within
// 1.5x of a plain write(2) of the same number of bytes to the same folder.
//
// Run with e.g. --benchmark_min_time=0.2; the canvases are 1920x1080, 3840x2160 and
// 11520x2160 (three 4K monitors side by side).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "raster/raster.h"

namespace {

namespace raster = drape::raster;

constexpr int kCanvas = 1;

std::string scratchPath(const char* name) {
    const char* folder = std::getenv("TMPDIR");
    std::string path = folder != nullptr && *folder != '\0' ? folder : "/tmp";
    if (path.back() != '/') {
        path += '/';
    }
    return path + name;
}

size_t canvasBytes(const benchmark::State& state) {
    return raster::strideFor(static_cast<int>(state.range(0)), 24) *
           static_cast<size_t>(state.range(1));
}

// The canvas, opened for drawing, for the length of one benchmark.
class Canvas {
  public:
    explicit Canvas(const benchmark::State& state) {
        raster::resetRaster();
        raster::newImage(kCanvas, static_cast<int>(state.range(0)),
                         static_cast<int>(state.range(1)), 24, raster::makeColour(40, 90, 160));
        raster::openContext(kCanvas);
    }
    ~Canvas() { raster::resetRaster(); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
};

void BM_Memcpy(benchmark::State& state) {
    const size_t bytes = canvasBytes(state);
    std::vector<uint8_t> from(bytes, 0x5a);
    std::vector<uint8_t> to(bytes, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void BM_OpaqueFill(benchmark::State& state) {
    Canvas canvas(state);
    raster::setMode(raster::DrawMode::Opaque);
    int flip = 0;
    for (auto _ : state) {
        raster::fillRect(0, 0, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                         raster::makeColour(127, static_cast<uint32_t>(flip ^= 1), 0));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * canvasBytes(state)));
}

void BM_BlendFill(benchmark::State& state) {
    Canvas canvas(state);
    raster::setMode(raster::DrawMode::Blend);
    for (auto _ : state) {
        raster::fillRect(0, 0, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                         raster::makeColourAlpha(250, 250, 250, 64));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * canvasBytes(state)));
}

void BM_BmpWrite(benchmark::State& state) {
    auto native = drape::platform::createNative();
    drape::platform::setCurrent(native.get());
    Canvas canvas(state);
    raster::closeContext();
    const std::string path = scratchPath("drape_bench.bmp");
    for (auto _ : state) {
        if (raster::writeBmpFile(kCanvas, path) == 0) {
            state.SkipWithError("writeBmpFile failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * (54 + canvasBytes(state))));
    ::unlink(path.c_str());
    drape::platform::setCurrent(nullptr);
}

// The reference for BM_BmpWrite: the same bytes written with one write(2) loop.
void BM_PlainWrite(benchmark::State& state) {
    const size_t bytes = 54 + canvasBytes(state);
    std::vector<uint8_t> data(bytes, 0x5a);
    const std::string path = scratchPath("drape_bench_plain.bin");
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) {
            state.SkipWithError("open failed");
            break;
        }
        size_t done = 0;
        while (done < bytes) {
            const ssize_t n = ::write(fd, data.data() + done, bytes - done);
            if (n <= 0) {
                break;
            }
            done += static_cast<size_t>(n);
        }
        ::close(fd);
        if (done != bytes) {
            state.SkipWithError("short write");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    ::unlink(path.c_str());
}

void canvasSizes(benchmark::internal::Benchmark* b) {
    // Wall time: the file writes spend much of theirs in the kernel.
    b->Args({1920, 1080})
        ->Args({3840, 2160})
        ->Args({11520, 2160})
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

BENCHMARK(BM_Memcpy)->Apply(canvasSizes);
BENCHMARK(BM_OpaqueFill)->Apply(canvasSizes);
BENCHMARK(BM_BlendFill)->Apply(canvasSizes);
BENCHMARK(BM_PlainWrite)->Apply(canvasSizes);
BENCHMARK(BM_BmpWrite)->Apply(canvasSizes);

}  // namespace
