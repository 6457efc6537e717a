#include <gtest/gtest.h>

#include "gui/settings_window.h"
#include "raster/raster.h"
#include "state/settings.h"
#include "support/fake_platform.h"

namespace drape::test {
namespace {

// What a test leaves behind must not reach the next one: one reset clears all of it.
TEST(ProcessState, OneResetClearsEveryKindOfRunState) {
    FakePlatform os;
    platform::setCurrent(&os);
    ApplyDefaults();
    settings().commandString = "red";
    state().monitors.count = 3;
    state().addresses.count = 2;
    state().monitor.currentMonitor = 2;
    SetUniformSource([](int32_t, int32_t hi) { return hi; });
    class NoWindow : public SettingsWindow {
        bool DispatchControlEvent(int) override { return false; }
        std::string BuildCommandString() override { return {}; }
        void UpdateAutorunIndicator() override {}
        bool autoApplyTicked() override { return false; }
        bool backgroundTicked() override { return false; }
        void Close() override {}
    } window;
    SetSettingsWindowInstance(&window);
    raster::newImage(raster::kCanvasImage, 4, 4, 24, 0);

    ResetProcessState();

    EXPECT_EQ(settings().commandString, "");
    EXPECT_EQ(settings().monitorSelection, 0);
    EXPECT_EQ(state().monitors.count, 0);
    EXPECT_EQ(state().addresses.count, 0);
    EXPECT_EQ(state().monitor.currentMonitor, 0);
    EXPECT_EQ(OpenSettingsWindowInstance(), nullptr);
    EXPECT_EQ(raster::imageHandle(raster::kCanvasImage), nullptr);
    // The process's own random source again: across many draws, not always the top.
    bool belowTop = false;
    for (int i = 0; i < 64 && !belowTop; ++i) {
        belowTop = UniformInRange(0, 1000) < 1000;
    }
    EXPECT_TRUE(belowTop);
    platform::setCurrent(nullptr);
}

TEST(ProcessState, DefaultsAreTheStartUpValues) {
    FakePlatform os;
    platform::setCurrent(&os);
    ResetProcessState();
    ApplyDefaults();
    const Settings& s = settings();
    EXPECT_EQ(s.outputPath, os.tempDir + "drape.bmp");
    EXPECT_EQ(s.fontName, "Arial");
    EXPECT_EQ(s.fontSize, 64);
    EXPECT_EQ(s.textColour, 0xFFFFFFu);
    EXPECT_EQ(s.monitorSelection, -1);
    EXPECT_EQ(s.pairs, 20);
    EXPECT_EQ(s.distort, 15);
    EXPECT_EQ(s.expand, 53);
    EXPECT_EQ(s.renew, 0);
    EXPECT_EQ(s.nouser, 120);
    EXPECT_FALSE(s.keep || s.background || s.silent || s.guiMode);
    ResetProcessState();
    platform::setCurrent(nullptr);
}

}  // namespace
}  // namespace drape::test
