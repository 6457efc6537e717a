#include <gtest/gtest.h>

#include <filesystem>

#include "images/image_sources.h"
#include "raster/raster.h"
#include "support/run_fixture.h"

namespace drape::test {
namespace {

class PhotoTest : public RunTest {
  protected:
    std::string folder;

    void SetUp() override {
        RunTest::SetUp();
        folder = os.root + "photos/";
        std::filesystem::create_directories(folder);
        useMonitors({{0, 0, 64, 36, 24}, {64, 0, 64, 36, 24}});
    }

    // A plain-coloured photo of 64 x 36 (the monitor's shape), written as a BMP.
    void photo(const std::string& name, Rgb colour, int width = 64, int height = 36) {
        raster::newImage(
            9, width, height, 24,
            raster::makeColour(static_cast<uint32_t>(colour.r), static_cast<uint32_t>(colour.g),
                               static_cast<uint32_t>(colour.b)));
        ASSERT_NE(raster::writeBmpFile(9, folder + name), 0);
        raster::releaseImage(9);
    }

    void text(const std::string& name, const std::string& content) {
        auto file = os.createFile(folder + name);
        file->write(content.data(), content.size());
        file->close();
    }

    Rgb monitorColour(int monitor) { return installed()->at(monitor * 64 + 32, 18); }
};

constexpr Rgb kRed{200, 0, 0};
constexpr Rgb kGreen{0, 200, 0};
constexpr Rgb kBlue{0, 0, 200};

TEST_F(PhotoTest, LoadFitsAPhotoToEverySelectedMonitor) {
    photo("a.bmp", kRed);
    run("load " + folder + "a.bmp");
    EXPECT_EQ(monitorColour(0), kRed);
    EXPECT_EQ(monitorColour(1), kRed);
    run("monitor 1 load " + folder + "a.bmp");
    EXPECT_EQ(monitorColour(0), kStart);
    EXPECT_EQ(monitorColour(1), kRed);
}

TEST_F(PhotoTest, WholeDesktopPictureCoversBothMonitorsWhateverTheSelection) {
    photo("wide.bmp", kBlue, 128, 36);
    run("monitor 1 load " + folder + "wide.bmp");
    EXPECT_EQ(monitorColour(0), kBlue);
    EXPECT_EQ(monitorColour(1), kBlue);
}

TEST_F(PhotoTest, MissingFileIsReportedWithThePathAsGivenUnlessSilent) {
    run("load nowhere/x.jpg red");
    ASSERT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_EQ(os.messageBoxes[0].text, "Missing image file\r\n\r\nnowhere/x.jpg");
    EXPECT_EQ(os.messageBoxes[0].flags, 0x10u);
    // The run goes on and the wallpaper is still written.
    EXPECT_EQ(monitorColour(0), (Rgb{127, 0, 0}));
    run("silent load nowhere/x.jpg");
    EXPECT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_FALSE(settings().errorFlag);
}

TEST_F(PhotoTest, FolderModeTakesPicturesByExtensionWhateverTheCase) {
    photo("A.BMP", kRed);
    photo("b.Bmp", kGreen);
    text("c.jpeg", "not taken");
    text("d.gif", "not taken");
    text(".bmp", "too short");
    std::vector<std::pair<int32_t, int32_t>> draws;
    int32_t next = 0;
    SetUniformSource([&](int32_t lo, int32_t hi) {
        draws.emplace_back(lo, hi);
        return lo == 64 ? 64 : next++ % (hi + 1);
    });
    run("random " + folder);
    // Three for the start colour, then one per monitor among the two pictures.
    ASSERT_EQ(draws.size(), 5u);
    EXPECT_EQ(draws[3], std::make_pair(0, 1));
    EXPECT_EQ(draws[4], std::make_pair(0, 1));
    const Rgb first = monitorColour(0);
    const Rgb second = monitorColour(1);
    EXPECT_NE(first, second);
    EXPECT_TRUE(first == kRed || first == kGreen);
    EXPECT_TRUE(second == kRed || second == kGreen);
    EXPECT_TRUE(os.messageBoxes.empty());
}

TEST_F(PhotoTest, EmptyOrMissingFolderDrawsNothingAndSaysNothing) {
    run("random " + os.root + "nothing-here");
    run("random " + folder);
    EXPECT_EQ(monitorColour(0), kStart);
    EXPECT_TRUE(os.messageBoxes.empty());
}

TEST_F(PhotoTest, PairsFilePutsEachFieldOnItsMonitor) {
    photo("left.bmp", kRed);
    photo("right.bmp", kGreen);
    text("drape.lst", "; day and night\r\n\r\nno comma here\r\n left.bmp , right.bmp \r\n");
    run("pairs 100 random " + folder);
    EXPECT_EQ(monitorColour(0), kRed);
    EXPECT_EQ(monitorColour(1), kGreen);
}

TEST_F(PhotoTest, PairsDrawIsMadeOnlyWhenTheFileIsThere) {
    photo("a.bmp", kRed);
    std::vector<std::pair<int32_t, int32_t>> draws;
    SetUniformSource([&](int32_t lo, int32_t hi) {
        draws.emplace_back(lo, hi);
        return lo;
    });
    run("pairs 100 random " + folder);
    EXPECT_EQ(draws.size(), 5u);  // start colour and one per monitor: no pairs draw
    text("drape.lst", "a.bmp,a.bmp\n");
    draws.clear();
    run("pairs 100 random " + folder);
    // The chance draw 0..100, then the line draw.
    ASSERT_EQ(draws.size(), 5u);
    EXPECT_EQ(draws[3], std::make_pair(0, 100));
    EXPECT_EQ(draws[4], std::make_pair(0, 0));
}

TEST_F(PhotoTest, PairsZeroNeverReadsTheFileAndAbove100AlwaysDoes) {
    photo("a.bmp", kRed);
    photo("b.bmp", kGreen);
    text("drape.lst", "a.bmp,a.bmp\n");
    // Every draw gives its highest value: folder mode takes the last picture, b.bmp, while the
    // pairs file names a.bmp; a chance draw of 100 is below only a pairs value above 100.
    int chanceDraws = 0;
    SetUniformSource([&](int32_t lo, int32_t hi) {
        chanceDraws += hi == 100 ? 1 : 0;
        return lo == 64 ? lo : hi;
    });
    run("pairs 0 random " + folder);
    EXPECT_EQ(chanceDraws, 1);  // drawn, and lost
    EXPECT_EQ(monitorColour(0), kGreen);
    run("pairs 100 random " + folder);
    EXPECT_EQ(monitorColour(0), kGreen);
    run("pairs 101 random " + folder);
    EXPECT_EQ(monitorColour(0), kRed);
    EXPECT_EQ(monitorColour(1), kRed);
}

TEST_F(PhotoTest, ShortPairLineLeavesAMonitorToTheMissingFileMessage) {
    useMonitors({{0, 0, 64, 36, 24}, {64, 0, 64, 36, 24}, {128, 0, 64, 36, 24}});
    photo("left.bmp", kRed);
    photo("right.bmp", kGreen);
    text("drape.lst", "left.bmp,right.bmp\n");
    run("pairs 101 random " + folder);
    EXPECT_EQ(monitorColour(0), kRed);
    EXPECT_EQ(monitorColour(1), kGreen);
    EXPECT_EQ(monitorColour(2), kStart);
    ASSERT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_EQ(os.messageBoxes[0].text, "Missing image file\r\n\r\n" + folder);
}

TEST_F(PhotoTest, PairsFileCountsFromThreeBytes) {
    photo("a", kRed);
    photo("b", kGreen);
    photo("c.bmp", kBlue);
    text("drape.lst", "a,b");
    run("pairs 101 random " + folder);
    EXPECT_EQ(monitorColour(0), kRed);
    EXPECT_EQ(monitorColour(1), kGreen);
    // Two bytes are too few: the folder's one picture goes on both monitors.
    text("drape.lst", "a,");
    run("pairs 101 random " + folder);
    EXPECT_EQ(monitorColour(0), kBlue);
    EXPECT_EQ(monitorColour(1), kBlue);
    EXPECT_TRUE(os.messageBoxes.empty());
}

TEST_F(PhotoTest, PairsFileWithoutPairLinesDrawsNothing) {
    photo("a.bmp", kRed);
    text("drape.lst", "; only comments\nand lines without commas\n");
    run("pairs 101 random " + folder);
    EXPECT_EQ(monitorColour(0), kStart);
    EXPECT_TRUE(os.messageBoxes.empty());
}

TEST_F(PhotoTest, FolderWordsResolve) {
    raster::newImage(9, 64, 36, 24, raster::makeColour(0, 0, 200));
    ASSERT_NE(raster::writeBmpFile(9, os.programDir + "p.bmp"), 0);
    run("random programfolder");
    EXPECT_EQ(monitorColour(1), kBlue);
    ASSERT_NE(raster::writeBmpFile(9, os.tempDir + "t.bmp"), 0);
    run("random tempfolder");
    EXPECT_EQ(monitorColour(0), kBlue);
}

}  // namespace
}  // namespace drape::test
