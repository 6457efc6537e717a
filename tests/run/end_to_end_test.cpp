// Runs the built program as a user would, on the real posix backend, with its folders and
// monitor layout pointed at a private directory.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>

#include "support/bmp_image.h"
#include "support/drape_process.h"
#include "support/require_installed.h"

namespace drape::test {
namespace {

namespace fs = std::filesystem;

class EndToEndTest : public ::testing::Test {
  protected:
    fs::path dir;

    void SetUp() override {
        const char* bin = std::getenv("DRAPE_BIN_DIR");
        if (bin == nullptr || !fs::exists(fs::path(bin) / "drape")) {
            GTEST_SKIP() << "DRAPE_BIN_DIR does not hold the built program";
        }
        program_ = (fs::path(bin) / "drape").string();
        std::random_device seed;
        dir = fs::temp_directory_path() / ("drape-e2e-" + std::to_string(seed()));
        fs::create_directories(dir / "config");
        fs::create_directories(dir / "runtime");
        fs::permissions(dir / "runtime", fs::perms::owner_all);
    }

    void TearDown() override {
        if (!dir.empty()) {
            fs::remove_all(dir);
        }
    }

    // Runs drape with `arguments` (already shell-quoted); returns what it printed on stderr.
    std::string drape(const std::string& arguments, const std::string& monitors,
                      const std::string& before = "") {
        const fs::path err = dir / "stderr.txt";
        const std::string command =
            before + "env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_CURRENT_DESKTOP HOME='" +
            dir.string() + "' TMPDIR='" + dir.string() + "' XDG_CONFIG_HOME='" +
            (dir / "config").string() + "' XDG_RUNTIME_DIR='" + (dir / "runtime").string() +
            "' DRAPE_MONITORS='" + monitors + "' '" + program_ + "' " + arguments + " 2>'" +
            err.string() + "'";
        exitCode_ = std::system(command.c_str());
        return slurp(err);
    }

    std::string hive() { return slurp(dir / "config" / "drape" / "registry.reg"); }

    std::string program() const { return program_; }

    // A plain-coloured photo written by ImageMagick in the format its name gives.
    bool photo(const fs::path& path, const std::string& colour, const std::string& size) {
        const std::string command = "convert -size " + size + " xc:'" + colour + "' '" +
                                    path.string() + "' >/dev/null 2>&1";
        return std::system(command.c_str()) == 0 && fs::exists(path);
    }

    std::optional<BmpImage> kept() { return parseBmp24(slurp(dir / "drape.bmp")); }

    int exitCode_ = -1;

  private:
    std::string program_;
};

TEST_F(EndToEndTest, RedKeepLeavesAFullHdBitmapAndRecordsItInTheHive) {
    drape("red keep", "1920x1080@0,0");
    EXPECT_EQ(exitCode_, 0);
    const fs::path bmp = dir / "drape.bmp";
    ASSERT_TRUE(fs::exists(bmp));
    EXPECT_EQ(fs::file_size(bmp), 6220854u);
    const auto image = parseBmp24(slurp(bmp));
    ASSERT_TRUE(image);
    for (const Rgb& pixel : image->pixels) {
        ASSERT_EQ(pixel, (Rgb{127, 0, 0}));
    }
    const std::string registry = hive();
    EXPECT_NE(registry.find("\"TileWallPaper\"=\"1\""), std::string::npos) << registry;
    EXPECT_NE(registry.find("\"Wallpaper\"=\"" + bmp.string() + "\""), std::string::npos)
        << registry;
}

TEST_F(EndToEndTest, ACanvasBeyondTheMemoryLimitInstallsNothingAndSaysSo) {
    if (std::getenv("ASAN_OPTIONS") != nullptr) {
        GTEST_SKIP() << "a sanitizer build reserves more address space than the limit allows";
    }
    // 18 MB of canvas under a 24 MB address-space limit: no canvas, so no bitmap, no record.
    const std::string err = drape("red keep", "3000x2000@0,0", "ulimit -v 24000; ");
    EXPECT_NE(err.find("not enough memory for a 3000 x 2000 desktop"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(dir / "drape.bmp"));
    EXPECT_FALSE(fs::exists(dir / "config" / "drape" / "registry.reg"));
    // With room for the canvas alone the wallpaper is made: nothing else desktop-sized is held.
    drape("red keep", "3000x2000@0,0", "ulimit -v 60000; ");
    const auto image = kept();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->at(2999, 1999), (Rgb{127, 0, 0}));
}

TEST_F(EndToEndTest, WithoutKeepTheBitmapIsRemoved) {
    drape("red", "1920x1080@0,0");
    EXPECT_EQ(exitCode_, 0);
    EXPECT_FALSE(fs::exists(dir / "drape.bmp"));
    EXPECT_NE(hive().find("\"TileWallPaper\"=\"1\""), std::string::npos);
}

TEST_F(EndToEndTest, UnknownWordIsReportedAndNothingIsWritten) {
    const std::string err = drape("Red", "1920x1080@0,0");
    EXPECT_EQ(exitCode_, 0);
    EXPECT_NE(err.find("Unrecognized command or missing parameter"), std::string::npos) << err;
    EXPECT_NE(err.find("Red"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(dir / "drape.bmp"));
    EXPECT_FALSE(fs::exists(dir / "config" / "drape" / "registry.reg"));
}

TEST_F(EndToEndTest, SecondMonitorLeftOfThePrimaryWrapsToTheRight) {
    drape("monitor 1 red keep", "1920x1080@0,0;1280x1024@-1280,0");
    const auto image = parseBmp24(slurp(dir / "drape.bmp"));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->width, 3200);
    ASSERT_EQ(image->height, 1080);
    const Rgb primary = image->at(0, 0);
    EXPECT_GE(primary.r, 64);
    EXPECT_LE(primary.r, 128);
    for (int y = 0; y < 1080; ++y) {
        for (int x = 0; x < 3200; ++x) {
            const Rgb expected = x < 1920 ? primary : y < 1024 ? Rgb{127, 0, 0} : Rgb{0, 0, 0};
            ASSERT_EQ(image->at(x, y), expected) << x << "," << y;
        }
    }
}

TEST_F(EndToEndTest, MalformedMonitorListIsNamedAndTheNextSourceUsed) {
    const std::string err = drape("red keep", "1920x1080@0,0;banana");
    EXPECT_NE(err.find("banana"), std::string::npos) << err;
    // Without a display the fallback is one 1920x1080 monitor.
    EXPECT_EQ(fs::file_size(dir / "drape.bmp"), 6220854u);
}

TEST_F(EndToEndTest, ArgumentWithBlanksStaysOnePath) {
    drape("red save '" + (dir / "my walls.bmp").string() + "'", "64x32@0,0");
    EXPECT_EQ(fs::file_size(dir / "my walls.bmp"), 54u + 192u * 32u);
}

bool near(const Rgb& a, const Rgb& b) {
    return std::abs(a.r - b.r) <= 3 && std::abs(a.g - b.g) <= 3 && std::abs(a.b - b.b) <= 3;
}

constexpr const char* kTwoMonitors = "64x36@0,0;64x36@64,0";

TEST_F(EndToEndTest, RandomFillsBothMonitorsFromAFolderOfPhotos) {
    const fs::path photos = dir / "photos";
    fs::create_directories(photos);
    if (!photo(photos / "a.jpg", "#C80000", "64x36") ||
        !photo(photos / "b.png", "#C80000", "64x36") ||
        !photo(photos / "c.bmp", "#C80000", "64x36")) {
        DRAPE_TOOL_MISSING("ImageMagick is needed to make the photos");
    }
    drape("random '" + photos.string() + "' keep", kTwoMonitors);
    const auto image = kept();
    ASSERT_TRUE(image);
    EXPECT_TRUE(near(image->at(32, 18), {200, 0, 0}));
    EXPECT_TRUE(near(image->at(96, 18), {200, 0, 0}));
}

TEST_F(EndToEndTest, PairsFilePutsTheNamedPhotosOnMonitorsZeroAndOne) {
    const fs::path photos = dir / "photos";
    fs::create_directories(photos);
    if (!photo(photos / "Left.PNG", "#0000C8", "64x36") ||
        !photo(photos / "right.bmp", "#00C800", "64x36")) {
        DRAPE_TOOL_MISSING("ImageMagick is needed to make the photos");
    }
    std::ofstream(photos / "drape.lst") << "; left and right\nLeft.PNG , right.bmp\n";
    drape("pairs 101 random '" + photos.string() + "' keep", kTwoMonitors);
    const auto image = kept();
    ASSERT_TRUE(image);
    EXPECT_TRUE(near(image->at(32, 18), {0, 0, 200}));
    EXPECT_TRUE(near(image->at(96, 18), {0, 200, 0}));
}

TEST_F(EndToEndTest, DroppedFilesBecomeLoadCommands) {
    if (!photo(dir / "a.jpg", "#C80000", "64x36") || !photo(dir / "b.png", "#0000C8", "64x36")) {
        DRAPE_TOOL_MISSING("ImageMagick is needed to make the photos");
    }
    // The second file goes to monitor index 2, beyond two monitors, so the primary gets it.
    drape("'" + (dir / "a.jpg").string() + "' '" + (dir / "b.png").string() + "' keep",
          kTwoMonitors);
    const auto image = kept();
    ASSERT_TRUE(image);
    EXPECT_TRUE(near(image->at(32, 0), {0, 0, 200}));  // top rows: the fade has not begun
    EXPECT_TRUE(near(image->at(96, 0), {200, 0, 0}));
    EXPECT_LT(image->at(96, 35).r, 20);  // faded to near black at the bottom
}

TEST_F(EndToEndTest, CommandFileBesideTheProgramIsUsedWithoutArguments) {
    const fs::path bin = dir / "bin";
    fs::create_directories(bin);
    fs::copy_file(program(), bin / "drape");
    fs::permissions(bin / "drape", fs::perms::owner_all);
    std::ofstream(bin / "drape.cmd") << "; a test machine\r\ngreen\r\nkeep\r\n";
    const std::string command = "env -u DISPLAY -u XDG_CURRENT_DESKTOP HOME='" + dir.string() +
                                "' TMPDIR='" + dir.string() + "' XDG_CONFIG_HOME='" +
                                (dir / "config").string() + "' XDG_RUNTIME_DIR='" +
                                (dir / "runtime").string() + "' DRAPE_MONITORS=64x36@0,0 '" +
                                (bin / "drape").string() + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const auto image = kept();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->at(10, 10), (Rgb{0, 127, 0}));
}

TEST_F(EndToEndTest, MarkPresetDrawsItsExpansion) {
    drape("blue mark 'TEST PC' keep", "640x360@0,0");
    const std::string preset = slurp(dir / "drape.bmp");
    ASSERT_FALSE(preset.empty());
    drape("blue transparent big ~ip~ fade text '\"TEST PC| ~host~ ~ip~\"' keep", "640x360@0,0");
    EXPECT_EQ(slurp(dir / "drape.bmp"), preset);
    const auto image = parseBmp24(preset);
    ASSERT_TRUE(image);
    // Something was written over the blue in the middle, and the bottom is faded.
    bool text = false;
    for (int x = 0; x < 640; ++x) {
        text = text || image->at(x, 180).r > 40;
    }
    EXPECT_TRUE(text);
    EXPECT_LT(image->at(5, 359).b, 10);
}

}  // namespace
}  // namespace drape::test
