// Start-ups that open the settings window, driven to their end on the fake platform.
#include <gtest/gtest.h>

#include "gui/settings_window.h"
#include "run/run_sequence.h"
#include "state/autorun.h"
#include "state/registry.h"
#include "support/run_fixture.h"

namespace drape::test {
namespace {

using platform::EventKind;

class SettingsStartTest : public RunTest {
  protected:
    void SetUp() override {
        RunTest::SetUp();
        os.graphicalDisplay = true;
        // A safety net: a loop that fails to end is closed after a while instead of hanging.
        os.timeoutsBeforeClose = 50;
    }
    platform::WindowId settingsWindow() const { return os.ui.windowTitled(kProductTitle); }
    void control(int id) { os.events.push_back({EventKind::Control, id}); }
    void closeBox() { os.events.push_back({EventKind::Close, 0, 1}); }
};

TEST_F(SettingsStartTest, PlainStartOpensTheDefaultPresetAndTheFirstCheckPaintsIt) {
    os.timeoutsBeforeClose = 1;
    RunProgram({});
    ASSERT_EQ(os.ui.windows.size(), 1u);
    const FakeControls::Window& window = os.ui.windows.begin()->second;
    EXPECT_EQ(window.spec.title, "Drape v1.81");
    EXPECT_FALSE(window.open);
    // Nothing is painted before the loop's first check; that check finds another wallpaper
    // on the desktop and puts the window's on it.
    ASSERT_EQ(os.wallpaperCalls.size(), 1u);
    EXPECT_EQ(settings().commandString,
              "distort 10 expand 100 random programfolder fade renew 600 nouser 120");
    EXPECT_TRUE(os.errors.empty());
    EXPECT_TRUE(os.closeDelivered);
    EXPECT_EQ(OpenSettingsWindowInstance(), nullptr);
    EXPECT_FALSE(os.windowOpen);
}

TEST_F(SettingsStartTest, TheWindowShowsWhereTheCommandCameFrom) {
    closeBox();
    RunProgram({"gui", "red"});
    // Closed at once: the controls are gone, but the opening set the list from the source.
    EXPECT_EQ(os.wallpaperCalls.size(), 0u);
    EXPECT_EQ(settings().commandString, "red");

    ResetProcessState();
    RegistryWrite(kHkeyCurrentUser, kRunKey, kAutorunValue, "\"" + os.programDir + "drape\" blue",
                  true);
    os.ui = FakeControls{};
    os.ui.display = &os.graphicalDisplay;
    os.ui.onCloseRequest = [this](platform::WindowId w) {
        os.events.push_back({EventKind::Close, 0, w});
    };
    control(kExitButton);
    RunProgram({});
    EXPECT_EQ(settings().presetSource, 2);
    EXPECT_EQ(settings().commandString, "blue");
    EXPECT_EQ(os.ui.closeRequests.size(), 1u);
}

TEST_F(SettingsStartTest, EveryActionRebuildsTheCommandAndApplyPaintsIt) {
    os.monitors = {{0, 0, 40, 30, 24}};
    os.userActions = {
        {[](FakeControls& ui) { ui.setListIndex(kBackgroundList, 3); },
         {EventKind::Control, kBackgroundList}},
        {nullptr, {EventKind::Control, kApplyButton}},
        {[](FakeControls& ui) { ui.setTicked(kBackgroundEffects, true); },
         {EventKind::Control, kBackgroundEffects}},
        {nullptr, {EventKind::Close, 0, 1}},
    };
    RunProgram({"gui", "red"});
    // Only Apply painted: the loop never timed out for a check.
    ASSERT_EQ(os.wallpaperCalls.size(), 1u);
    EXPECT_EQ(parseBmp24(os.wallpaperCalls[0].contents)->at(3, 3), (Rgb{0, 0, 127}));
    EXPECT_EQ(settings().commandString, "blue dots");
}

TEST_F(SettingsStartTest, AutoApplyPaintsAChangeAtTheNextCheck) {
    os.monitors = {{0, 0, 40, 30, 24}};
    os.userActions = {
        {[](FakeControls& ui) { ui.setTicked(kAutoApplyBox, true); },
         {EventKind::Control, kAutoApplyBox}},
        {[](FakeControls& ui) { ui.setListIndex(kBackgroundList, 2); },
         {EventKind::Control, kBackgroundList}},
    };
    // The first wait after the actions times out: the check paints; then the window closes.
    os.timeoutsBeforeClose = 1;
    RunProgram({"gui", "red"});
    ASSERT_FALSE(os.wallpaperCalls.empty());
    EXPECT_EQ(parseBmp24(os.wallpaperCalls.back().contents)->at(3, 3), (Rgb{0, 127, 0}));
    EXPECT_EQ(settings().commandString, "green");
}

TEST_F(SettingsStartTest, ClosingWithBackgroundTickedLeavesAResidentThatANewerOneEnds) {
    os.monitors = {{0, 0, 40, 30, 24}};
    // "background" in the command ticks the box; the close box then turns the instance
    // resident, and a newer instance's announcement (heard twice) ends it.
    closeBox();
    os.events.push_back({EventKind::Terminate});
    os.events.push_back({EventKind::Terminate});
    RunProgram({"gui", "red", "background"});
    EXPECT_FALSE(os.closeDelivered);
    EXPECT_FALSE(settings().guiMode);
    EXPECT_EQ(OpenSettingsWindowInstance(), nullptr);
    EXPECT_FALSE(os.ui.windows.begin()->second.open);
    const std::string open = std::string("open ") + kProductTitle;
    EXPECT_EQ(os.programWindowCalls, (std::vector<std::string>{open, open, "close"}));
    // Our own announcement is still queued: the newer one's two deliveries and the first of
    // ours made more than two.
    EXPECT_EQ(os.events.size(), 1u);
}

TEST_F(SettingsStartTest, ClosingWithoutBackgroundEndsAtOnceWhateverArrivesAfter) {
    closeBox();
    RunProgram({"gui", "red"});
    EXPECT_FALSE(os.closeDelivered);
    EXPECT_TRUE(os.wallpaperCalls.empty());
    EXPECT_EQ(os.broadcasts, 1);
}

TEST_F(SettingsStartTest, WithoutADisplayTheCommandsRunOnceAndSaySo) {
    os.graphicalDisplay = false;
    RunProgram({"gui", "red"});
    EXPECT_TRUE(os.ui.windows.empty());
    ASSERT_EQ(os.errors.size(), 1u);
    EXPECT_EQ(os.errors[0], "no display for the settings window; running the commands once");
    EXPECT_EQ(os.wallpaperCalls.size(), 1u);
    EXPECT_FALSE(settings().guiMode);
}

}  // namespace
}  // namespace drape::test
