// A fixture that runs interpretations on the fake platform, as the program does after start-up.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "interp/interpreter.h"
#include "state/settings.h"
#include "support/bmp_image.h"
#include "support/fake_platform.h"

namespace drape::test {

class RunTest : public ::testing::Test {
  protected:
    FakePlatform os;

    void SetUp() override {
        platform::setCurrent(&os);
        ResetProcessState();
        ApplyDefaults();
        // The start colour of every canvas is (64, 64, 64) unless a test says otherwise.
        SetUniformSource([](int32_t lo, int32_t) { return lo; });
    }

    void TearDown() override {
        ResetProcessState();
        SetUniformSource(nullptr);
        platform::setCurrent(nullptr);
    }

    void useMonitors(std::vector<platform::Monitor> monitors) { os.monitors = std::move(monitors); }

    // Facts first, then one interpretation of `command`.
    void run(const std::string& command) {
        settings().commandString = command;
        CheckAddresses();
        CheckAddresses();
        CheckScreens();
        Interpret();
    }

    // The picture handed to the desktop by the last wallpaper call, if any.
    std::optional<BmpImage> installed() const {
        if (os.wallpaperCalls.empty()) {
            return std::nullopt;
        }
        return parseBmp24(os.wallpaperCalls.back().contents);
    }

    static constexpr Rgb kStart{64, 64, 64};
};

}  // namespace drape::test
