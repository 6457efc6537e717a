#include "state/settings.h"

#include <random>

#include "raster/raster.h"

namespace drape {

namespace {
ProcessState gState;
}

ProcessState& state() {
    return gState;
}

void ResetProcessState() {
    gState = ProcessState{};
    raster::resetRaster();
}

void ApplyDefaults() {
    Settings& s = settings();
    s = Settings{};
    // Without a temporary folder the bitmap goes to the current folder under its bare name.
    s.outputPath = TempFolder() + kOutputFileName;
    s.fontName = "Arial";
    s.fontSize = 64;
    s.textColour = 0xFFFFFF;
    s.monitorSelection = -1;
    s.pairs = 20;
    s.distort = 15;
    s.expand = 53;
    s.renew = 0;
    s.nouser = 120;
}

void SetUniformSource(UniformSource source) {
    gState.uniform = std::move(source);
}

int32_t UniformInRange(int32_t lo, int32_t hi) {
    if (gState.uniform) {
        return gState.uniform(lo, hi);
    }
    static std::mt19937 engine{std::random_device{}()};
    return std::uniform_int_distribution<int32_t>(lo, hi)(engine);
}

}  // namespace drape
