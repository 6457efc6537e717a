#include "run/resident_loop.h"

#include <gtest/gtest.h>

#include <cctype>

#include "gui/settings_window.h"
#include "run/run_sequence.h"
#include "support/run_fixture.h"

namespace drape::test {
namespace {

using platform::EventKind;

class ResidentTest : public RunTest {
  protected:
    void SetUp() override {
        RunTest::SetUp();
        os.windowOpen = true;
        // A safety net: a loop that fails to end is closed after a while instead of hanging.
        os.timeoutsBeforeClose = 50;
    }

    // Runs the start-up interpretation of `command`, then the loop for `passes` time-outs,
    // after which a close request ends it; returns the number of renewals.
    size_t runResident(const std::string& command, int passes) {
        run(command);
        const size_t before = os.wallpaperCalls.size();
        os.timeoutsBeforeClose = passes;
        ResidentLoop();
        return os.wallpaperCalls.size() - before;
    }
};

TEST(TickDifference, WrapsAndReadsSigned) {
    EXPECT_EQ(TickDifference(10, 5), 5);
    EXPECT_EQ(TickDifference(5, 10), -5);
    EXPECT_EQ(TickDifference(3, 0xFFFFFFFEu), 5);
    EXPECT_EQ(TickDifference(0x80000000u, 0), -2147483647 - 1);
}

TEST_F(ResidentTest, OwnAnnouncementDoesNotEndTheInstance) {
    runResident("red background", 3);
    EXPECT_EQ(os.broadcasts, 1);
    EXPECT_TRUE(os.closeDelivered);
}

TEST_F(ResidentTest, AnotherInstanceAnnouncingEndsTheInstance) {
    run("red background");
    // A newer instance's announcement, heard twice; queued while we were still painting.
    os.events.push_back({EventKind::Terminate, 0});
    os.events.push_back({EventKind::Terminate, 0});
    ResidentLoop();
    EXPECT_FALSE(os.closeDelivered);
}

TEST_F(ResidentTest, KillTogetherWithBackgroundEndsRightAfterEnteringTheLoop) {
    run("kill red background");
    EXPECT_EQ(os.events.size(), 2u);
    ResidentLoop();
    EXPECT_EQ(os.broadcasts, 2);
    // The third of the four deliveries ends it.
    EXPECT_EQ(os.events.size(), 1u);
    EXPECT_FALSE(os.closeDelivered);
    EXPECT_EQ(os.timeoutsBeforeClose, 50);  // not a single time-out was waited for
}

TEST_F(ResidentTest, ErrorDuringARenewalEndsTheLoop) {
    run("red background");
    settings().commandString = "red Nonsense";
    os.shownWallpaper = "elsewhere.bmp";  // forces a renewal at the first check
    ResidentLoop();
    EXPECT_TRUE(settings().errorFlag);
    EXPECT_FALSE(os.closeDelivered);
}

TEST_F(ResidentTest, NothingChangedMeansNoRenewal) {
    EXPECT_EQ(runResident("red background", 5), 0u);
}

TEST_F(ResidentTest, ScreenAddressAndWallpaperChangesRenewAtTheNextCheck) {
    run("red background");
    bool due = false;
    ResidentCheck(due);
    const size_t start = os.wallpaperCalls.size();
    os.monitors[0].depth = 16;
    ResidentCheck(due);
    EXPECT_EQ(os.wallpaperCalls.size(), start + 1);
    os.addresses = {FakePlatform::address(10, 1, 2, 3)};
    ResidentCheck(due);
    EXPECT_EQ(os.wallpaperCalls.size(), start + 2);
    os.shownWallpaper = "/somewhere/else.jpg";
    ResidentCheck(due);
    EXPECT_EQ(os.wallpaperCalls.size(), start + 3);
    ResidentCheck(due);
    EXPECT_EQ(os.wallpaperCalls.size(), start + 3);
}

TEST_F(ResidentTest, AWallpaperPathSpelledOtherwiseRenewsAtEveryCheck) {
    os.reportWallpaperAs = [](const std::string& path) {
        std::string upper = path;
        for (char& c : upper) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        return upper;
    };
    run("red background");
    bool due = false;
    const size_t start = os.wallpaperCalls.size();
    for (size_t check = 1; check <= 3; ++check) {
        ResidentCheck(due);
        EXPECT_EQ(os.wallpaperCalls.size(), start + check);
    }
}

TEST_F(ResidentTest, WallpaperCheckOnlyFromXpOn) {
    os.osVersion = 50;
    run("red background");
    bool due = false;
    ResidentCheck(due);
    const size_t start = os.wallpaperCalls.size();
    os.shownWallpaper = "/somewhere/else.jpg";
    ResidentCheck(due);
    EXPECT_EQ(os.wallpaperCalls.size(), start);
}

TEST_F(ResidentTest, GapOfMoreThanTwentySecondsRenews) {
    run("red background");
    bool due = false;
    ResidentCheck(due);
    const size_t start = os.wallpaperCalls.size();
    os.tick += 20000;
    ResidentCheck(due);
    EXPECT_EQ(os.wallpaperCalls.size(), start);
    os.tick += 20001;
    ResidentCheck(due);
    EXPECT_EQ(os.wallpaperCalls.size(), start + 1);
}

TEST_F(ResidentTest, TimedRenewalWaitsForTheIdleUser) {
    run("red renew 4 nouser 60 background");
    bool due = false;
    ResidentCheck(due);  // starts the interval
    const size_t start = os.wallpaperCalls.size();
    // The user keeps working: the interval passes but nothing renews.
    for (int i = 0; i < 10; ++i) {
        os.tick += 1024;
        os.lastInput = os.tick - 100;
        ResidentCheck(due);
    }
    EXPECT_EQ(os.wallpaperCalls.size(), start);
    // Sixty seconds after the last input the next check renews.
    const uint32_t lastInput = os.tick;
    os.lastInput = lastInput;
    while (os.tick - lastInput <= 60000) {
        os.tick += 1024;
        ResidentCheck(due);
        if (os.tick - lastInput <= 60000) {
            ASSERT_EQ(os.wallpaperCalls.size(), start);
        }
    }
    EXPECT_EQ(os.wallpaperCalls.size(), start + 1);
    // Still away: again 4 seconds after that renewal, not sooner.
    os.tick += 4000;
    ResidentCheck(due);
    EXPECT_EQ(os.wallpaperCalls.size(), start + 1);
    os.tick += 1;
    ResidentCheck(due);
    EXPECT_EQ(os.wallpaperCalls.size(), start + 2);
}

TEST_F(ResidentTest, NouserZeroRenewsOnTheTimerRegardlessOfTheUser) {
    run("red nouser 0 renew 10 background");
    bool due = false;
    ResidentCheck(due);
    const size_t start = os.wallpaperCalls.size();
    for (int i = 0; i < 30; ++i) {
        os.tick += 1000;
        os.lastInput = os.tick;
        ResidentCheck(due);
    }
    // Renewals at the first check after each 10 s: ticks 11 s and 22 s.
    EXPECT_EQ(os.wallpaperCalls.size(), start + 2);
}

TEST_F(ResidentTest, RenewZeroNeverRenewsOnTime) {
    run("red renew 0 nouser 0 background");
    bool due = false;
    ResidentCheck(due);
    const size_t start = os.wallpaperCalls.size();
    for (int i = 0; i < 100; ++i) {
        os.tick += 1000;
        ResidentCheck(due);
    }
    EXPECT_EQ(os.wallpaperCalls.size(), start);
}

TEST_F(ResidentTest, IdleTimeThatReadsNegativeCountsAsIdle) {
    run("red renew 1 nouser 60 background");
    bool due = false;
    ResidentCheck(due);
    const size_t start = os.wallpaperCalls.size();
    os.tick += 1500;
    os.lastInput = os.tick + 10;  // input "in the future": the difference is negative
    ResidentCheck(due);
    EXPECT_EQ(os.wallpaperCalls.size(), start + 1);
}

TEST_F(ResidentTest, RenewalIntervalStartsWhenThePaintingIsDone) {
    run("red renew 4 nouser 0 background");
    bool due = false;
    ResidentCheck(due);  // starts the interval
    const size_t start = os.wallpaperCalls.size();
    os.wallpaperSetMs = 3000;  // installing the picture takes three seconds
    os.tick += 4001;
    ResidentCheck(due);
    ASSERT_EQ(os.wallpaperCalls.size(), start + 1);
    // Over four seconds after the check that renewed, but only one after the renewal ended.
    os.tick += 1001;
    ResidentCheck(due);
    EXPECT_EQ(os.wallpaperCalls.size(), start + 1);
    os.tick += 3000;
    ResidentCheck(due);
    EXPECT_EQ(os.wallpaperCalls.size(), start + 2);
}

TEST_F(ResidentTest, ClockGoingBackPastTheIntervalStartRenews) {
    run("red renew 60 nouser 0 background");
    bool due = false;
    ResidentCheck(due);
    const size_t start = os.wallpaperCalls.size();
    os.tick -= 10;  // the elapsed time reads negative
    ResidentCheck(due);
    EXPECT_EQ(os.wallpaperCalls.size(), start + 1);
    os.tick += 1000;
    ResidentCheck(due);
    EXPECT_EQ(os.wallpaperCalls.size(), start + 1);
}

TEST_F(ResidentTest, RunProgramStaysResidentOnlyWithBackground) {
    os.windowOpen = false;
    RunProgram({"red"});
    EXPECT_EQ(os.broadcasts, 0);
    EXPECT_FALSE(os.windowOpen);
    EXPECT_EQ(os.wallpaperCalls.size(), 1u);
    // Another instance's announcement is queued before we enter: it is counted too.
    os.events.push_back({EventKind::Terminate, 0});
    os.events.push_back({EventKind::Terminate, 0});
    RunProgram({"red", "background"});
    EXPECT_EQ(os.broadcasts, 1);
    EXPECT_FALSE(os.closeDelivered);
    EXPECT_FALSE(os.windowOpen);
    // Each run opens the hidden program window before painting and closes it at the end.
    const std::string open = std::string("open ") + kProductTitle;
    EXPECT_EQ(os.programWindowCalls, (std::vector<std::string>{open, "close", open, "close"}));
}

TEST_F(ResidentTest, RunProgramJoinsArgumentsAndRequotesThoseWithBlanks) {
    RunProgram({"save", os.root + "my wall.bmp", "red"});
    // The pre-pass joins the words again with single blanks.
    EXPECT_EQ(settings().commandString, "save \"" + os.root + "my wall.bmp\" red");
    EXPECT_EQ(os.fileSize(os.root + "my wall.bmp"), 6220854);
}

// A settings window whose controls the test sets; it records what the loop asked of it.
class FakeWindow : public SettingsWindow {
  public:
    std::string command = "red";
    bool autoApply = false;
    bool background = false;
    bool applyInterprets = false;
    int dispatched = 0;
    int indicatorUpdates = 0;
    bool closed = false;
    // Where Close() is noted, so that a test sees it in order with the platform's calls.
    std::vector<std::string>* log = nullptr;

    bool DispatchControlEvent(int) override {
        ++dispatched;
        if (applyInterprets) {
            Interpret();
        }
        return applyInterprets;
    }
    std::string BuildCommandString() override { return command; }
    void UpdateAutorunIndicator() override { ++indicatorUpdates; }
    bool autoApplyTicked() override { return autoApply; }
    bool backgroundTicked() override { return background; }
    void Close() override {
        closed = true;
        if (log != nullptr) {
            log->emplace_back("settings window closed");
        }
    }
};

class SettingsWindowLoopTest : public ResidentTest {
  protected:
    FakeWindow window;

    void SetUp() override {
        ResidentTest::SetUp();
        SetSettingsWindowInstance(&window);
        settings().guiMode = true;
        settings().commandString = "red";
        // The desktop already shows our picture, so checks alone do not renew.
        os.shownWallpaper = settings().outputPath;
        CheckScreens();
        CheckAddresses();
    }
    void TearDown() override {
        SetSettingsWindowInstance(nullptr);
        ResidentTest::TearDown();
    }
    void control() { os.events.push_back({EventKind::Control, 7}); }
    void timeout() { os.events.push_back({EventKind::None, 0}); }
    // Runs the loop over the queued events; a close request comes once they are used up.
    void runQueued() {
        os.timeoutsBeforeClose = 0;
        ResidentLoop();
    }
    // The loop painted exactly once, with the window's command "blue".
    void expectOneBluePainting() {
        ASSERT_EQ(os.wallpaperCalls.size(), 1u);
        EXPECT_EQ(installed()->at(0, 0), (Rgb{0, 0, 127}));
        EXPECT_EQ(settings().commandString, "blue");
    }
};

TEST_F(SettingsWindowLoopTest, WaitsAreShortWhileTheWindowIsOpen) {
    os.timeoutsBeforeClose = 3;
    const uint32_t start = os.tick;
    ResidentLoop();
    EXPECT_EQ(os.tick - start, 3u * 128u);
    EXPECT_TRUE(os.closeDelivered);
}

TEST_F(SettingsWindowLoopTest, TerminateMessagesAreCountedButDoNotEndIt) {
    for (int i = 0; i < 6; ++i) {
        os.events.push_back({EventKind::Terminate, 0});
    }
    os.timeoutsBeforeClose = 2;
    ResidentLoop();
    EXPECT_TRUE(os.closeDelivered);
}

TEST_F(SettingsWindowLoopTest, AutoApplyRenewsAtTheNextCheckOnlyWhenTheCommandChanged) {
    window.autoApply = true;
    window.command = "blue";
    control();
    timeout();
    control();  // the same command again: no new renewal
    timeout();
    runQueued();
    expectOneBluePainting();
    EXPECT_EQ(window.dispatched, 2);
    EXPECT_EQ(window.indicatorUpdates, 2);
}

TEST_F(SettingsWindowLoopTest, AnotherWallpaperAtStartIsReplacedWithTheWindowsCommand) {
    // The window shows the command it was opened with; no button is pressed, but the first
    // idle moment's check sees a foreign wallpaper and paints what the window holds.
    os.shownWallpaper = "/elsewhere/holiday.jpg";
    settings().commandString = window.command = "blue";
    timeout();
    timeout();
    runQueued();
    expectOneBluePainting();
    EXPECT_EQ(window.dispatched, 0);
}

TEST_F(SettingsWindowLoopTest, WithoutAutoApplyChangesWaitForTheApplyButton) {
    window.command = "blue";
    control();
    timeout();
    runQueued();
    EXPECT_TRUE(os.wallpaperCalls.empty());
    window.applyInterprets = true;
    control();
    timeout();
    os.closeDelivered = false;
    runQueued();
    EXPECT_EQ(os.wallpaperCalls.size(), 1u);  // the apply itself; the check adds none
}

TEST_F(SettingsWindowLoopTest, ErrorsDoNotEndTheWindow) {
    window.command = "Nonsense";
    window.applyInterprets = true;
    control();  // builds the bad command string
    control();  // applies it
    os.timeoutsBeforeClose = 2;
    ResidentLoop();
    EXPECT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_TRUE(os.closeDelivered);
}

TEST_F(SettingsWindowLoopTest, ClosingWithoutBackgroundEndsEvenWhenBackgroundWasAsked) {
    settings().background = true;
    os.timeoutsBeforeClose = 1;
    ResidentLoop();
    EXPECT_TRUE(os.closeDelivered);
    EXPECT_FALSE(window.closed);
    EXPECT_TRUE(os.programWindowCalls.empty());
    EXPECT_TRUE(settings().guiMode);
}

TEST_F(SettingsWindowLoopTest, ClosingWithBackgroundTurnsResidentAndStartsCountingAfresh) {
    window.background = true;
    window.log = &os.programWindowCalls;
    // Our announcement (two deliveries) and another instance's (two more) while the window is
    // open: four counted, none ending it.
    os.events.push_back({EventKind::Terminate, 0});
    os.events.push_back({EventKind::Terminate, 0});
    os.events.push_back({EventKind::Close, 0});
    // After closing, a further announcement brings the fresh count only to 2; a kill ends it.
    os.events.push_back({EventKind::Terminate, 0});
    os.events.push_back({EventKind::Terminate, 0});
    timeout();
    os.events.push_back({EventKind::Terminate, 0});
    os.events.push_back({EventKind::Terminate, 0});
    ResidentLoop();
    EXPECT_TRUE(window.closed);
    EXPECT_FALSE(settings().guiMode);
    EXPECT_TRUE(os.windowOpen);
    // The program window is opened again once the settings window is gone, and the loop
    // leaves it open for the caller to close.
    EXPECT_EQ(
        os.programWindowCalls,
        (std::vector<std::string>{"settings window closed", std::string("open ") + kProductTitle}));
    // The third delivery after closing ended it; left over are the kill's last delivery and
    // the two of our own announcement, which the fake queues behind the scripted events.
    EXPECT_EQ(os.events.size(), 3u);
    EXPECT_EQ(OpenSettingsWindowInstance(), nullptr);
}

}  // namespace
}  // namespace drape::test
