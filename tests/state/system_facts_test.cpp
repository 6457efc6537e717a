#include "state/system_facts.h"

#include <gtest/gtest.h>

#include "state/monitor_selection.h"
#include "state/monitor_table.h"
#include "support/run_fixture.h"

namespace drape::test {
namespace {

class FactsTest : public RunTest {
  protected:
    const AddressList& list() { return state().addresses; }
    const DesktopRect& bounds() { return state().monitors.bounds; }
};

const uint32_t kA = FakePlatform::address(10, 0, 0, 1);
const uint32_t kB = FakePlatform::address(192, 168, 1, 20);
const uint32_t kC = FakePlatform::address(172, 16, 5, 9);

TEST(FormatAddress, FirstByteFirst) {
    EXPECT_EQ(FormatAddress(FakePlatform::address(192, 168, 1, 20)), "192.168.1.20");
    EXPECT_EQ(FormatAddress(0), "0.0.0.0");
    EXPECT_EQ(FormatAddress(0xFFFFFFFFu), "255.255.255.255");
}

TEST_F(FactsTest, FolderWordsNameTheThreeFoldersAndNothingElse) {
    EXPECT_EQ(ResolveFolderWord("programfolder"), os.programDir);
    EXPECT_EQ(ResolveFolderWord("currentfolder"), os.currentDir);
    EXPECT_EQ(ResolveFolderWord("tempfolder"), os.tempDir);
    EXPECT_EQ(ResolveFolderWord("ProgramFolder"), std::nullopt);
    EXPECT_EQ(ResolveFolderWord("nearby"), std::nullopt);
    EXPECT_EQ(ResolveFolderWord(""), std::nullopt);
}

TEST_F(FactsTest, CurrentFolderGainsTheSeparatorTheOthersKeepTheirs) {
    os.currentDir = os.root + "here";
    EXPECT_EQ(CurrentFolder(), os.root + "here/");
    os.currentDir.clear();
    EXPECT_EQ(CurrentFolder(), "");
}

TEST_F(FactsTest, StartUpChecksLeaveTheFirstAddressCurrent) {
    os.addresses = {kA, kB};
    EXPECT_TRUE(CheckAddresses());
    EXPECT_EQ(list().currentAddress, kB);  // the last one that changed
    EXPECT_FALSE(CheckAddresses());
    EXPECT_EQ(list().currentAddress, kA);
    EXPECT_EQ(list().count, 2);
}

TEST_F(FactsTest, ChangedAddressIsShownOnceThenTheFirstAgain) {
    os.addresses = {kA, kB};
    CheckAddresses();
    CheckAddresses();
    os.addresses = {kA, kC};
    EXPECT_TRUE(CheckAddresses());
    EXPECT_EQ(list().currentAddress, kC);
    EXPECT_FALSE(CheckAddresses());
    EXPECT_EQ(list().currentAddress, kA);
}

TEST_F(FactsTest, LostAddressLowersTheCountAndCountsAsAChange) {
    os.addresses = {kA, kB};
    CheckAddresses();
    os.addresses = {kA};
    EXPECT_TRUE(CheckAddresses());
    EXPECT_EQ(list().count, 1);
    EXPECT_EQ(list().currentAddress, kA);
    // The slot above the count keeps what it held.
    EXPECT_EQ(list().slots[2], kB);
}

TEST_F(FactsTest, NoAddressesGiveZero) {
    EXPECT_FALSE(CheckAddresses());
    EXPECT_EQ(list().currentAddress, 0u);
    EXPECT_EQ(list().count, 0);
}

TEST_F(FactsTest, OnlyTwentyAddressesAreKeptAndAZeroEndsTheList) {
    for (int i = 1; i <= 25; ++i) {
        os.addresses.push_back(FakePlatform::address(10, 0, 0, i));
    }
    EXPECT_TRUE(CheckAddresses());
    EXPECT_EQ(list().count, 20);
    EXPECT_EQ(list().slots[20], FakePlatform::address(10, 0, 0, 20));
    os.addresses = {kA, 0, kB};
    CheckAddresses();
    EXPECT_EQ(list().count, 1);
}

TEST_F(FactsTest, OneMonitorAtTheOrigin) {
    EXPECT_TRUE(CheckScreens());
    EXPECT_EQ(bounds().left, 0);
    EXPECT_EQ(bounds().top, 0);
    EXPECT_EQ(bounds().width, 1920);
    EXPECT_EQ(bounds().height, 1080);
    EXPECT_FALSE(CheckScreens());
}

TEST_F(FactsTest, MonitorLeftOfThePrimaryMovesTheOrigin) {
    os.monitors = {{0, 0, 1920, 1080, 24}, {-1280, 0, 1280, 1024, 24}};
    CheckScreens();
    EXPECT_EQ(bounds().left, -1280);
    EXPECT_EQ(bounds().width, 3200);
    EXPECT_EQ(bounds().height, 1080);
    SelectMonitor(1);
    EXPECT_EQ(state().monitor.monitorX, 0);
    EXPECT_EQ(state().monitor.monitorY, 0);
    SelectMonitor(0);
    EXPECT_EQ(state().monitor.monitorX, 1280);
    EXPECT_FLOAT_EQ(state().monitor.monitorAspect, 1920.0f / 1080.0f);
}

TEST_F(FactsTest, DesktopBoxAlwaysHoldsTheOrigin) {
    os.monitors = {{100, 50, 800, 600, 24}};
    CheckScreens();
    EXPECT_EQ(bounds().left, 0);
    EXPECT_EQ(bounds().top, 0);
    EXPECT_EQ(bounds().width, 900);
    EXPECT_EQ(bounds().height, 650);
}

TEST_F(FactsTest, AnyFieldChangeOrSwapCountsAsAChange) {
    os.monitors = {{0, 0, 1920, 1080, 24}, {1920, 0, 1280, 1024, 24}};
    CheckScreens();
    os.monitors[1].depth = 16;
    EXPECT_TRUE(CheckScreens());
    EXPECT_FALSE(CheckScreens());
    std::swap(os.monitors[0], os.monitors[1]);
    EXPECT_TRUE(CheckScreens());
    os.monitors.pop_back();
    EXPECT_TRUE(CheckScreens());
    EXPECT_EQ(state().monitors.count, 1);
}

TEST_F(FactsTest, NoMonitorsGiveAnEmptyDesktopAndSelectionFallsBackSafely) {
    os.monitors.clear();
    EXPECT_FALSE(CheckScreens());
    EXPECT_EQ(bounds().width, 0);
    EXPECT_EQ(bounds().height, 0);
    SelectMonitor(-1);
    EXPECT_EQ(state().monitor.monitorAspect, 0.0f);
}

TEST_F(FactsTest, MoreThanElevenMonitorsKeepTheFirstEleven) {
    os.monitors.clear();
    for (int i = 0; i < 14; ++i) {
        os.monitors.push_back({i * 100, 0, 100, 100, 24});
    }
    CheckScreens();
    EXPECT_EQ(state().monitors.count, 11);
    EXPECT_EQ(bounds().width, 1100);
}

}  // namespace
}  // namespace drape::test
