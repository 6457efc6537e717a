// Speed of decoding a camera-sized JPEG (6000x4000, 4:2:0, quality 90) from memory into a
// numbered image, to be held within 1.2x of libjpeg-turbo's own djpeg on the same file
// (bench/compare_decode.sh runs both). The file is read once, outside the timing.
//
// The photograph lives in the shared benchmark data beside the repository
// (../shared/bench-data/photo-6000x4000.jpg); DRAPE_BENCH_DATA names another folder.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "raster/raster.h"

namespace {

namespace raster = drape::raster;

std::filesystem::path benchData() {
    if (const char* folder = std::getenv("DRAPE_BENCH_DATA"); folder != nullptr && *folder) {
        return folder;
    }
    return DRAPE_BENCH_DATA_DIR;
}

std::vector<uint8_t> readWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void BM_DecodeJpegPhoto(benchmark::State& state) {
    const std::filesystem::path path = benchData() / "photo-6000x4000.jpg";
    const std::vector<uint8_t> data = readWhole(path);
    if (data.empty()) {
        state.SkipWithError(("missing benchmark input " + path.string()).c_str());
        return;
    }
    raster::resetRaster();
    double pixels = 0;
    for (auto _ : state) {
        const raster::RasterImage* image = raster::decodeImage(2, data.data(), data.size());
        if (image == nullptr) {
            state.SkipWithError("the photograph did not decode");
            break;
        }
        benchmark::DoNotOptimize(image->pixels.data());
        pixels += static_cast<double>(image->width) * image->height;
        // Outside the decode, as a caller would release a photograph after fitting it.
        state.PauseTiming();
        raster::releaseImage(2);
        state.ResumeTiming();
    }
    state.counters["pixels/s"] = benchmark::Counter(pixels, benchmark::Counter::kIsRate);
    raster::resetRaster();
}
BENCHMARK(BM_DecodeJpegPhoto)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
