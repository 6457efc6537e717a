// The built drape98 as a user runs it on the posix backend: the bitmap and the hive it leaves,
// its notes without commands, and resident instances of both programs ending each other.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/bmp_image.h"
#include "support/drape_process.h"
#include "support/resident_processes.h"

namespace drape::test {
namespace {

using namespace std::chrono_literals;

class Drape98ProcessTest : public ResidentProcessTest {
  protected:
    void SetUp() override {
        ResidentProcessTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        drape98_ = builtDrape98();
        ASSERT_FALSE(drape98_.empty()) << "DRAPE_BIN_DIR holds drape but not drape98";
    }

    // Runs drape98 to its end; true when it exited cleanly in time.
    bool run98(const std::vector<std::string>& words, const std::string& monitors = "64x32@0,0") {
        const pid_t pid = start(words, user_, monitors, drape98_);
        const std::optional<int> status = endsWithin(pid, kStartLimit);
        last_ = pid;
        return status && exitedCleanly(*status);
    }

    std::string hive() const { return slurp(user_.home / "config" / "drape" / "registry.reg"); }

    std::string drape98_;
    pid_t last_ = -1;
};

TEST_F(Drape98ProcessTest, SaveKeepsAFullRedBitmapAndTheHiveHoldsAOneByteTileValue) {
    const fs::path saved = user_.home / "y.bmp";
    ASSERT_TRUE(run98({"red", "save", saved.string()}, "200x100@0,0")) << output(last_);
    const auto image = parseBmp24(slurp(saved));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 200);
    EXPECT_EQ(image->height, 100);
    for (const Rgb& pixel : image->pixels) {
        ASSERT_EQ(pixel, (Rgb{127, 0, 0}));
    }
    // "1" counted as one byte: stored without its terminating zero.
    EXPECT_NE(hive().find("\"TileWallPaper\"=hex(1):31,00\n"), std::string::npos) << hive();
}

TEST_F(Drape98ProcessTest, WithoutSaveNoBitmapIsLeftAndUnknownWordsDoNotStopIt) {
    ASSERT_TRUE(run98({"red", "xyz", "blue"}));
    EXPECT_FALSE(fs::exists(user_.home / "drape.bmp"));
    const std::string said = output(last_);
    EXPECT_NE(said.find("Unrecognized command: "), std::string::npos) << said;
    EXPECT_NE(said.find("xyz"), std::string::npos) << said;
    EXPECT_NE(hive().find("TileWallPaper"), std::string::npos);
}

TEST_F(Drape98ProcessTest, WithoutCommandsItPrintsItsNotesAndPaintsNothing) {
    ASSERT_TRUE(run98({}));
    const std::string said = output(last_);
    EXPECT_NE(said.find("Drape98 v1.34x - desktop wallpapers"), std::string::npos) << said;
    EXPECT_NE(said.find("THE PAIRS FILE"), std::string::npos);
    EXPECT_FALSE(fs::exists(user_.home / "config" / "drape" / "registry.reg"));
}

TEST_F(Drape98ProcessTest, ANewerResidentEndsTheOlderAndAKillOfEitherProgramEndsBoth) {
    const std::vector<std::string> resident = {"red", "resident"};
    const pid_t older = startResident(resident, user_, "64x32@0,0", drape98_);
    const pid_t newer = startResident(resident, user_, "64x32@0,0", drape98_);
    ASSERT_TRUE(endsWithin(older, 3s)) << "the older drape98 outlived the newer one's start";
    EXPECT_FALSE(endsWithin(newer, kSurvival)) << output(newer);

    // drape's "kill" ends a resident drape98 ...
    ASSERT_TRUE(runOnce({"kill"}, user_));
    ASSERT_TRUE(endsWithin(newer, 3s)) << output(newer);

    // ... and drape98's "kill" ends a resident drape.
    const pid_t wide = startResident({"red", "background"}, user_);
    ASSERT_TRUE(run98({"kill"}));
    const std::optional<int> status = endsWithin(wide, 3s);
    ASSERT_TRUE(status) << output(wide);
    EXPECT_TRUE(exitedCleanly(*status));
}

TEST_F(Drape98ProcessTest, KillAndResidentTogetherEndRightAfterEnteringTheLoop) {
    ASSERT_TRUE(run98({"red", "kill", "resident"})) << output(last_);
}

}  // namespace
}  // namespace drape::test
