// Whole drape98 runs on the fake platform and its 8-bit services.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "drape98/run98.h"
#include "drape98/settings98.h"
#include "platform/narrow.h"
#include "raster/raster.h"
#include "state/settings.h"
#include "support/bmp_image.h"
#include "support/fake_narrow.h"
#include "support/fake_platform.h"

namespace drape::test {

class Drape98Test : public ::testing::Test {
  protected:
    FakePlatform os;
    FakeNarrow narrow{os};

    void SetUp() override {
        platform::setCurrent(&os);
        platform::setCurrentNarrow(&narrow);
        os.monitors = {{0, 0, 640, 480, 24}};
        // The start colour of every canvas is (64, 64, 64) unless a test says otherwise.
        SetUniformSource([](int32_t lo, int32_t) { return lo; });
    }

    void TearDown() override {
        ResetProcessState();
        SetUniformSource(nullptr);
        platform::setCurrentNarrow(nullptr);
        platform::setCurrent(nullptr);
    }

    void run(const std::vector<std::string>& words) { Main98(words); }

    // The picture handed to the desktop by the last wallpaper call, if any.
    std::optional<BmpImage> installed() const {
        if (os.wallpaperCalls.empty()) {
            return std::nullopt;
        }
        return parseBmp24(os.wallpaperCalls.back().contents);
    }

    // A bitmap file of one colour, written through the raster layer.
    void writePicture(const std::string& path, int width, int height, raster::Colour colour) {
        ASSERT_NE(raster::newImage(9, width, height, 24, colour), nullptr);
        ASSERT_NE(raster::writeBmpFile(9, path), 0);
        raster::releaseImage(9);
    }

    static constexpr Rgb kStart{64, 64, 64};
    static constexpr Rgb kRed{127, 0, 0};
    static constexpr Rgb kBlue{0, 0, 127};
};

}  // namespace drape::test
