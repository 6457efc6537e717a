// Runs the built program as a user would, on the real posix backend, with its folders and
// monitor layout pointed at a private directory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "support/bmp_image.h"

namespace drape::test {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

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
    std::string drape(const std::string& arguments, const std::string& monitors) {
        const fs::path err = dir / "stderr.txt";
        const std::string command =
            "env -u DISPLAY -u WAYLAND_DISPLAY HOME='" + dir.string() + "' TMPDIR='" +
            dir.string() + "' XDG_CONFIG_HOME='" + (dir / "config").string() +
            "' XDG_RUNTIME_DIR='" + (dir / "runtime").string() + "' DRAPE_MONITORS='" + monitors +
            "' '" + program_ + "' " + arguments + " 2>'" + err.string() + "'";
        exitCode_ = std::system(command.c_str());
        return slurp(err);
    }

    std::string hive() { return slurp(dir / "config" / "drape" / "registry.reg"); }

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

}  // namespace
}  // namespace drape::test
