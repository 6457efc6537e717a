#include "gui/icons.h"

#include <gtest/gtest.h>

#include "gui/settings_window.h"
#include "raster/raster.h"
#include "support/run_fixture.h"

namespace drape::test {
namespace {

using IconsTest = RunTest;

TEST_F(IconsTest, TheTenIconsDecodeIntoTheirSlotsWithTransparentCorners) {
    ASSERT_EQ(kEmbeddedIconCount, 10u);
    ASSERT_TRUE(LoadIcons());
    for (int slot = kApplyIcon; slot <= kProgramIconLarge; ++slot) {
        const raster::RasterImage* icon = raster::imageHandle(slot);
        ASSERT_NE(icon, nullptr) << slot;
        const int side = slot == kProgramIconLarge || slot == kApplyIcon ? 32 : 16;
        EXPECT_EQ(icon->width, side) << slot;
        EXPECT_EQ(icon->height, side) << slot;
        ASSERT_EQ(icon->depth, 32) << slot;
        // The bottom-right corner is see-through on every icon.
        EXPECT_EQ(icon->row(side - 1)[static_cast<size_t>(side - 1) * 4 + 3], 0) << slot;
    }
    EXPECT_EQ(raster::imageHandle(raster::kLastIconImage + 1), nullptr);
}

TEST_F(IconsTest, ButtonsOfTheTableCarryTheirIcons) {
    ASSERT_TRUE(LoadIcons());
    for (const platform::ControlSpec& spec : SettingsControlTable()) {
        const bool pictured = spec.kind == platform::ControlKind::IconButton ||
                              spec.kind == platform::ControlKind::Icon;
        EXPECT_EQ(!spec.icon.pixels.empty(), pictured) << spec.id;
        if (pictured) {
            EXPECT_EQ(spec.icon.pixels.size(),
                      static_cast<size_t>(spec.icon.width) * spec.icon.height * 4);
        }
    }
}

}  // namespace
}  // namespace drape::test
