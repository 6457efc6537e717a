#include "fuzz_support.h"

#include <cstdlib>
#include <filesystem>

#include "raster/raster_state.h"
#include "state/tokens.h"

// Every image the program makes comes from makeImage, and the fuzz targets link it wrapped
// (-Wl,--wrap, see CMakeLists.txt): a picture of more than a million pixels fails as it does
// when memory runs out. Small files may rightly declare huge pictures (an RLE bitmap that is
// all one skip); allocating gigabytes for each would make the fuzzers crawl and then die of
// their memory limit, while what they look for is how the data is read.
std::unique_ptr<drape::raster::RasterImage> realMakeImage(int width, int height, int depth) __asm__(
    "__real__ZN5drape6raster6detail9makeImageEiii");
std::unique_ptr<drape::raster::RasterImage> boundedMakeImage(
    int width, int height, int depth) __asm__("__wrap__ZN5drape6raster6detail9makeImageEiii");
std::unique_ptr<drape::raster::RasterImage> boundedMakeImage(int width, int height, int depth) {
    constexpr int64_t kMaxFuzzPixels = int64_t{1} << 20;
    if (int64_t{width} * height > kMaxFuzzPixels) {
        return nullptr;
    }
    return realMakeImage(width, height, depth);
}

namespace drape::fuzz {

bool waitsLongerThan(std::string_view text, std::string_view word, int32_t limit) {
    const std::vector<std::string_view> tokens = SplitTokens(text);
    for (size_t i = 0; i + 1 < tokens.size(); ++i) {
        if (TokenText(tokens[i], true) == word &&
            std::abs(int64_t{ParseInteger(TokenText(tokens[i + 1], true))}) > limit) {
            return true;
        }
    }
    return false;
}

bool setCommandString(const std::string& command) {
    if (namesOutsidePaths(command) || waitsLongerThan(command, "delay", 60)) {
        return false;
    }
    settings().commandString = command;
    settings().tokenCount = CountTokens(command);
    return true;
}

void writeFile(test::FakePlatform& os, const std::string& path, std::string_view bytes) {
    const auto file = os.createFile(path);
    DRAPE_FUZZ_CHECK(file != nullptr && file->write(bytes.data(), bytes.size()) && file->close());
}

FakeRun::FakeRun(ByteReader& input) : previousFolder_(std::filesystem::current_path().string()) {
    std::filesystem::current_path(os.root);
    platform::setCurrent(&os);
    platform::setCurrentNarrow(&narrow);
    ResetProcessState();
    ApplyDefaults();
    os.monitors.clear();
    const uint32_t count = 1 + input.take() % 3;
    int32_t left = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const int32_t width = static_cast<int32_t>(1 + input.take() % 64);
        const int32_t height = static_cast<int32_t>(1 + input.take() % 48);
        const int32_t top = static_cast<int32_t>(input.take() % 16) - 8;
        os.monitors.push_back({left, top, width, height, 24});
        left += width;
    }
    os.addresses = {test::FakePlatform::address(192, 168, 1, static_cast<int>(input.take()))};
    // A resident run ends after a few renewal checks.
    os.timeoutsBeforeClose = 4;
    SetUniformSource([](int32_t lo, int32_t hi) { return lo + (hi - lo) / 2; });
}

FakeRun::~FakeRun() {
    ResetProcessState();
    SetUniformSource(nullptr);
    platform::setCurrentNarrow(nullptr);
    platform::setCurrent(nullptr);
    std::filesystem::current_path(previousFolder_);
}

}  // namespace drape::fuzz
