#include "interp/wallpaper_output.h"

#include <gtest/gtest.h>

#include "support/run_fixture.h"

namespace drape::test {
namespace {

uint32_t le32(const std::string& b, size_t at) {
    return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 |
           static_cast<uint8_t>(b[at + 2]) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

class OutputTest : public RunTest {};

TEST_F(OutputTest, OneMonitorGivesTheCanvasAsA24BitBitmap) {
    run("red keep");
    ASSERT_EQ(os.wallpaperCalls.size(), 2u);
    const std::string& bytes = os.wallpaperCalls.back().contents;
    ASSERT_EQ(bytes.size(), 6220854u);
    EXPECT_EQ(le32(bytes, 2), 6220854u);
    EXPECT_EQ(le32(bytes, 10), 54u);
    EXPECT_EQ(le32(bytes, 18), 1920u);
    EXPECT_EQ(le32(bytes, 22), 1080u);
    EXPECT_EQ(le32(bytes, 34), 5760u * 1080u);
    const auto image = installed();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->at(0, 0), (Rgb{127, 0, 0}));
    EXPECT_EQ(image->at(1919, 1079), (Rgb{127, 0, 0}));
}

TEST_F(OutputTest, MonitorLeftOfThePrimaryWrapsToTheRight) {
    useMonitors({{0, 0, 1920, 1080, 24}, {-1280, 0, 1280, 1024, 24}});
    run("monitor 1 red");
    const auto image = installed();
    ASSERT_TRUE(image);
    ASSERT_EQ(image->width, 3200);
    ASSERT_EQ(image->height, 1080);
    EXPECT_EQ(image->at(0, 0), kStart);
    EXPECT_EQ(image->at(1919, 1079), kStart);
    EXPECT_EQ(image->at(1920, 0), (Rgb{127, 0, 0}));
    EXPECT_EQ(image->at(3199, 1023), (Rgb{127, 0, 0}));
    // Below the shorter monitor nothing is drawn.
    EXPECT_EQ(image->at(1920, 1024), (Rgb{0, 0, 0}));
    EXPECT_EQ(image->at(3199, 1079), (Rgb{0, 0, 0}));
}

TEST_F(OutputTest, MonitorAboveThePrimaryGoesToTheBottom) {
    useMonitors({{0, 0, 100, 50, 24}, {20, -30, 40, 30, 24}});
    run("monitor 1 red");
    const auto image = installed();
    ASSERT_TRUE(image);
    ASSERT_EQ(image->width, 100);
    ASSERT_EQ(image->height, 80);
    EXPECT_EQ(image->at(0, 0), kStart);
    EXPECT_EQ(image->at(99, 49), kStart);
    EXPECT_EQ(image->at(20, 50), (Rgb{127, 0, 0}));
    EXPECT_EQ(image->at(59, 79), (Rgb{127, 0, 0}));
    EXPECT_EQ(image->at(19, 50), (Rgb{0, 0, 0}));
    EXPECT_EQ(image->at(60, 79), (Rgb{0, 0, 0}));
}

TEST_F(OutputTest, MonitorAboveAndLeftWrapsBothWays) {
    useMonitors({{0, 0, 40, 30, 24}, {-20, -10, 20, 10, 24}});
    run("monitor 1 red");
    const auto image = installed();
    ASSERT_TRUE(image);
    ASSERT_EQ(image->width, 60);
    ASSERT_EQ(image->height, 40);
    // The monitor's picture lands at (40, 30) on the wrapped copy; the primary at the origin.
    EXPECT_EQ(image->at(40, 30), (Rgb{127, 0, 0}));
    EXPECT_EQ(image->at(59, 39), (Rgb{127, 0, 0}));
    EXPECT_EQ(image->at(0, 0), kStart);
    EXPECT_EQ(image->at(39, 29), kStart);
    EXPECT_EQ(image->at(40, 29), (Rgb{0, 0, 0}));
    EXPECT_EQ(image->at(39, 30), (Rgb{0, 0, 0}));
}

TEST_F(OutputTest, MonitorsOnePixelLeftOrAboveWrapToo) {
    // A 3 x 2 primary with a one-pixel column left of it, a row above it and the corner
    // pixel: the desktop is 4 x 3, and every strip wraps to the far side of the tile.
    useMonitors({{0, 0, 3, 2, 24}, {-1, 0, 1, 2, 24}, {0, -1, 3, 1, 24}, {-1, -1, 1, 1, 24}});
    run("red monitor 1 green monitor 2 blue monitor 3 white");
    const auto image = installed();
    ASSERT_TRUE(image);
    ASSERT_EQ(image->width, 4);
    ASSERT_EQ(image->height, 3);
    const Rgb r{127, 0, 0};
    const Rgb g{0, 127, 0};
    const Rgb b{0, 0, 127};
    const Rgb w{255, 255, 255};
    const std::vector<Rgb> expected{r, r, r, g,  //
                                    r, r, r, g,  //
                                    b, b, b, w};
    EXPECT_EQ(image->pixels, expected);
}

TEST_F(OutputTest, OddWidthsArePaddedToFourBytes) {
    useMonitors({{0, 0, 1366, 4, 24}});
    run("white keep");
    const std::string& bytes = os.wallpaperCalls.back().contents;
    ASSERT_EQ(bytes.size(), 54u + 4100u * 4u);
    EXPECT_EQ(le32(bytes, 34), 4100u * 4u);
    EXPECT_EQ(bytes[54 + 4098], 0);
    EXPECT_EQ(bytes[54 + 4099], 0);
}

TEST_F(OutputTest, DefaultPathWithoutKeepIsInstalledOnceThenDeleted) {
    run("red");
    ASSERT_EQ(os.wallpaperCalls.size(), 1u);
    EXPECT_EQ(os.wallpaperCalls[0].path, os.tempDir + "drape.bmp");
    EXPECT_EQ(os.wallpaperCalls[0].flags, 0u);
    EXPECT_EQ(os.wallpaperCalls[0].contents.size(), 6220854u);
    EXPECT_EQ(os.fileSize(os.tempDir + "drape.bmp"), -1);
    EXPECT_EQ(os.stringValue("Control Panel\\Desktop", "TileWallPaper"), "1");
    // Only the persistent call records the path in the registry.
    EXPECT_FALSE(os.hasValue("Control Panel\\Desktop", "Wallpaper"));
}

TEST_F(OutputTest, KeepInstallsPersistentlyInTwoCallsAndKeepsTheFile) {
    run("red keep");
    ASSERT_EQ(os.wallpaperCalls.size(), 2u);
    EXPECT_EQ(os.wallpaperCalls[0].flags, 1u);
    EXPECT_EQ(os.wallpaperCalls[1].flags, 2u);
    EXPECT_EQ(os.fileSize(os.tempDir + "drape.bmp"), 6220854);
    EXPECT_EQ(os.stringValue("Control Panel\\Desktop", "Wallpaper"), os.tempDir + "drape.bmp");
}

TEST_F(OutputTest, SavedPathIsNeverDeleted) {
    const std::string path = os.root + "walls.bmp";
    run("red save " + path);
    EXPECT_EQ(os.fileSize(path), 6220854);
    ASSERT_EQ(os.wallpaperCalls.size(), 2u);
    EXPECT_EQ(os.wallpaperCalls[0].path, path);
}

TEST_F(OutputTest, DeleteRuleComparesTheWholePathExactly) {
    // The temporary folder spelled differently is another path, so the file stays.
    const std::string other = os.tempDir + "./drape.bmp";
    settings().outputPath = other;
    run("red");
    EXPECT_EQ(os.wallpaperCalls.size(), 1u);
    EXPECT_EQ(os.fileSize(other), 6220854);
}

TEST_F(OutputTest, ExistingFileIsReplaced) {
    const std::string path = os.root + "old.bmp";
    {
        auto file = os.createFile(path);
        std::string junk(10 * 1000 * 1000, 'x');
        file->write(junk.data(), junk.size());
        file->close();
    }
    useMonitors({{0, 0, 2, 2, 24}});
    run("red save " + path);
    EXPECT_EQ(os.fileSize(path), 54 + 2 * 8);
}

TEST_F(OutputTest, UnwritablePathInstallsNothingButTheRunEnds) {
    run("red save " + os.root + "no/such/folder/x.bmp");
    EXPECT_TRUE(os.wallpaperCalls.empty());
    EXPECT_TRUE(os.messageBoxes.empty());
    EXPECT_EQ(os.stringValue("Control Panel\\Desktop", "TileWallPaper"), "1");
}

TEST_F(OutputTest, RefusedRegistryWriteDoesNotStopTheInstall) {
    os.registryFailure = 5;
    run("red");
    EXPECT_EQ(os.wallpaperCalls.size(), 1u);
    EXPECT_FALSE(os.hasValue("Control Panel\\Desktop", "TileWallPaper"));
}

}  // namespace
}  // namespace drape::test
