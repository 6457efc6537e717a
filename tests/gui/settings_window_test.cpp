#include "gui/settings_window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "state/autorun.h"
#include "state/registry.h"
#include "support/fake_controls.h"
#include "support/run_fixture.h"

namespace drape::test {
namespace {

class SettingsWindowTest : public RunTest {
  protected:
    FakeControls& ui = os.ui;
    SettingsWindowModel window{ui};

    void open(const std::string& command, int presetSource = 0) {
        os.graphicalDisplay = true;
        ApplyDefaults();
        settings().commandString = command;
        ASSERT_TRUE(window.OpenSettingsWindow(command, presetSource));
    }
    // One user action as the resident loop passes it on: dispatch, then rebuild.
    std::string act(int control) {
        window.DispatchControlEvent(control);
        return window.BuildCommandString();
    }
    std::string choosePreset(int index) {
        ui.setListIndex(kPresetList, index);
        return act(kPresetList);
    }
    bool box(int row, Effect effect) { return ui.ticked(row + static_cast<int>(effect)); }
    void touch(const std::string& path) { std::ofstream(path) << "x"; }
};

TEST_F(SettingsWindowTest, TheWindowAndEveryControlAsTheTableGivesThem) {
    open("");
    const FakeControls::Window& w = ui.windows.begin()->second;
    EXPECT_EQ(w.spec.title, "Drape v1.81");
    EXPECT_EQ(w.spec.clientWidth, 510);
    EXPECT_EQ(w.spec.clientHeight, 408);
    std::set<int> ids;
    for (const platform::ControlSpec& c : w.controls) {
        EXPECT_TRUE(ids.insert(c.id).second) << c.id;
        EXPECT_GE(c.rect.x, 0);
        EXPECT_LE(c.rect.x + c.rect.width, 510) << c.id;
        EXPECT_LE(c.rect.y + c.rect.height, 408) << c.id;
    }
    // 42 labels, lists, fields, boxes, buttons and the frame, and three rows of six boxes.
    EXPECT_EQ(w.controls.size(), 42u + 18u);
    const auto& preset = ui.at(kPresetList).spec;
    EXPECT_EQ(preset.kind, platform::ControlKind::DropDownList);
    ASSERT_EQ(preset.items.size(), 16u);
    EXPECT_EQ(preset.items[15], "Unwise (all on, very slow)");
    ASSERT_EQ(ui.at(kBackgroundList).spec.items.size(), 17u);
    EXPECT_EQ(ui.at(kBackgroundList).spec.items[16], "From program folder");
    // The fifth box of every row is Blur, at x 370.
    for (int row : {kBackgroundEffects, kBigEffects, kTextEffects}) {
        const auto& blur = ui.at(row + static_cast<int>(Effect::Blur)).spec;
        EXPECT_EQ(blur.text, "Blur");
        EXPECT_EQ(blur.rect.x, 370);
        EXPECT_EQ(blur.rect.width, 60);
    }
    EXPECT_EQ(ui.at(kTextEffects).spec.rect.y, 211);
    EXPECT_EQ(ui.at(kNormalTextField).spec.tooltip,
              "Normal text (multiple lines | special codes ~host~ ~ip~ ~monitor~)");
    EXPECT_EQ(ui.at(kCommandLine).spec.kind, platform::ControlKind::WrappingLabel);
    const auto& exit = ui.at(kExitButton).spec;
    EXPECT_EQ(exit.kind, platform::ControlKind::IconButton);
    EXPECT_EQ(exit.rect.x, 465);
    EXPECT_EQ(exit.rect.y, 363);
}

TEST_F(SettingsWindowTest, OpeningShowsThePresetSourceAndTheCommandWithoutInterpreting) {
    open("red dots text \"A B\" keep", 2);
    EXPECT_EQ(ui.listIndex(kPresetList), 2);
    EXPECT_EQ(ui.controlText(kCommandLine), "red dots text \"A B\" keep");
    EXPECT_EQ(ui.listIndex(kBackgroundList), 1);
    EXPECT_TRUE(box(kBackgroundEffects, Effect::Dots));
    EXPECT_EQ(ui.controlText(kNormalTextField), "A B");
    EXPECT_TRUE(ui.ticked(kKeepBox));
    EXPECT_FALSE(ui.ticked(kBackgroundBox));
    EXPECT_TRUE(os.wallpaperCalls.empty());
}

TEST_F(SettingsWindowTest, DefaultPresetShowsItsChoicesAndRebuildsToItself) {
    open("");
    EXPECT_EQ(choosePreset(1),
              "distort 10 expand 100 random programfolder fade renew 600 nouser 120");
    EXPECT_EQ(ui.controlText(kDistortField), "10");
    EXPECT_EQ(ui.controlText(kExpandField), "100");
    EXPECT_EQ(ui.listIndex(kBackgroundList), 15);
    EXPECT_EQ(ui.controlText(kFileField), "programfolder");
    EXPECT_TRUE(box(kBackgroundEffects, Effect::Fade));
    EXPECT_EQ(ui.controlText(kRenewField), "600");
    EXPECT_EQ(ui.controlText(kNouserField), "120");
    EXPECT_EQ(settings().tokenCount, 11);
    EXPECT_EQ(ui.controlText(kCommandLine), settings().commandString);
}

TEST_F(SettingsWindowTest, PresetsRebuildWithTheirSwitchesKept) {
    open("");
    EXPECT_EQ(choosePreset(8),
              "red transparent reverse big \"BIG\" invert solid text \"Double Invert\"");
    EXPECT_EQ(choosePreset(5), "traffic darken big \"~ip~\" fade text \"ADMIN | ~host~ ~ip~\"");
    EXPECT_EQ(choosePreset(0), "");
    // Drained Base: the transparency holds for both texts, so both get the word.
    EXPECT_EQ(choosePreset(7),
              "base drain transparent big \"~ip~\" transparent text \"Drained Base\" darken");
}

TEST_F(SettingsWindowTest, UnwiseTicksEveryEffectOfAllRowsAndKeepsOneBase) {
    open("");
    const std::string rebuilt = choosePreset(15);
    for (int row : {kBackgroundEffects, kBigEffects, kTextEffects}) {
        for (int e = 0; e < kEffectCount; ++e) {
            EXPECT_TRUE(ui.ticked(row + e)) << row << " " << e;
        }
    }
    EXPECT_EQ(rebuilt,
              "base dots fade darken drain invert blur transparent reverse big \"*\" dots fade "
              "darken drain invert blur transparent text \"|ALL ON aka UNWISE aka VERY SLOW\" "
              "dots fade darken drain invert blur");
    EXPECT_EQ(rebuilt.find("base", 1), std::string::npos);
}

TEST_F(SettingsWindowTest, WordsTheControlsCannotHoldAreLostAtTheFirstRebuild) {
    open("monitor 1 brown font Arial 20 silent frompanel pairs 3 orange save x.bmp");
    EXPECT_EQ(ui.listIndex(kBackgroundList), 6);
    EXPECT_EQ(window.BuildCommandString(), "orange");
    // The last colour or pattern word wins: "green frame" is the Frame entry.
    window.ShowCommandInControls("red green frame");
    EXPECT_EQ(ui.listIndex(kBackgroundList), 13);
    EXPECT_EQ(window.BuildCommandString(), "green frame");
}

TEST_F(SettingsWindowTest, ReverseTogglesAndTheTextsSwitchesFollowFromTheBigOnes) {
    open("reverse big A reverse text B");
    EXPECT_TRUE(ui.ticked(kBigReverseBox));
    EXPECT_FALSE(ui.ticked(kTextReverseBox));
    // The text's reverse differs from the big text's: a second "reverse" undoes the first.
    EXPECT_EQ(window.BuildCommandString(), "reverse big \"A\" reverse text \"B\"");
    window.ShowCommandInControls("reverse reverse big A text B");
    EXPECT_FALSE(ui.ticked(kBigReverseBox));
    EXPECT_EQ(window.BuildCommandString(), "big \"A\" text \"B\"");
    // Without a big text the comparison still looks at its box.
    window.ShowCommandInControls("transparent reverse text B");
    ui.setTicked(kBigReverseBox, true);
    ui.setTicked(kBigTransparentBox, true);
    ui.setTicked(kTextTransparentBox, false);
    EXPECT_EQ(window.BuildCommandString(), "solid text \"B\"");
}

TEST_F(SettingsWindowTest, NumberFieldsGoThroughTheNumberRule) {
    open("");
    ui.setControlText(kDistortField, "abc");
    ui.setControlText(kExpandField, "15%");
    ui.setControlText(kRenewField, "$10");
    ui.setControlText(kNouserField, " -3");
    EXPECT_EQ(window.BuildCommandString(), "distort 0 expand 15 renew 16 nouser -3");
}

TEST_F(SettingsWindowTest, RandomFromPathTurnsTheFileFieldIntoAFolder) {
    open("");
    ui.setListIndex(kBackgroundList, 15);
    const std::string pics = os.root + "Pics";
    std::filesystem::create_directories(pics);
    touch(pics + "/a.jpg");
    const auto argumentFor = [&](const std::string& file) {
        ui.setControlText(kFileField, file);
        return window.BuildCommandString();
    };
    EXPECT_EQ(argumentFor(pics), "random \"" + pics + "/\"");
    EXPECT_EQ(argumentFor(pics + "/a.jpg"), "random \"" + pics + "/\"");
    EXPECT_EQ(argumentFor(pics + "/"), "random \"" + pics + "/\"");
    // A missing file is taken for a folder of that name.
    EXPECT_EQ(argumentFor(pics + "/b.jpg"), "random \"" + pics + "/b.jpg/\"");
    // Only "programfolder" stays a keyword; "currentfolder" becomes a folder of that name.
    EXPECT_EQ(argumentFor("programfolder"), "random programfolder");
    EXPECT_EQ(argumentFor("currentfolder"), "random \"currentfolder/\"");
    EXPECT_EQ(argumentFor(""), "random \"/\"");
}

TEST_F(SettingsWindowTest, LoadFileWithAnEmptyFieldReportsAMissingImageOnApply) {
    open("");
    ui.setListIndex(kBackgroundList, 14);
    EXPECT_EQ(window.BuildCommandString(), "load \"\"");
    CheckScreens();
    EXPECT_TRUE(window.DispatchControlEvent(kApplyButton));
    ASSERT_EQ(os.messageBoxes.size(), 1u);
    EXPECT_EQ(os.messageBoxes[0].caption, "Drape v1.81");
    EXPECT_NE(os.messageBoxes[0].text.find("Missing image file"), std::string::npos);
}

TEST_F(SettingsWindowTest, ApplyPaintsTheCurrentCommand) {
    open("");
    ui.setListIndex(kBackgroundList, 1);
    window.BuildCommandString();
    CheckScreens();
    EXPECT_TRUE(window.DispatchControlEvent(kApplyButton));
    const auto picture = installed();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->at(5, 5), (Rgb{127, 0, 0}));
    // The other controls interpret nothing.
    EXPECT_FALSE(window.DispatchControlEvent(kBigTextField));
    EXPECT_EQ(os.wallpaperCalls.size(), 1u);
}

TEST_F(SettingsWindowTest, AChosenPresetGainsKeepAndBackgroundFromTheTickedBoxes) {
    open("");
    ui.setTicked(kKeepBox, true);
    ui.setTicked(kBackgroundBox, true);
    EXPECT_EQ(choosePreset(11), "distort 10 expand 100 random programfolder keep background");
    EXPECT_TRUE(ui.ticked(kKeepBox));
    EXPECT_TRUE(ui.ticked(kBackgroundBox));
    // A preset that has the word (anywhere, even inside text) gets no second one.
    RegistryWrite(kHkeyCurrentUser, kRunKey, kAutorunValue,
                  "\"" + os.programDir + "drape\" red text \"keeper\" resident", true);
    EXPECT_EQ(choosePreset(2), "red text \"keeper\" background");
    ui.setTicked(kKeepBox, false);
    ui.setTicked(kBackgroundBox, false);
    EXPECT_EQ(choosePreset(13), "distort 10 expand 100 random programfolder fade renew 2 nouser 2");
}

TEST_F(SettingsWindowTest, PhotoPresetsNameTheProgramFolder) {
    open("");
    EXPECT_EQ(PresetCommand(9), "distort 10 expand 100 load \"" + os.programDir + "walnut1.jpg\"");
    EXPECT_EQ(PresetCommand(10), "distort 10 expand 100 random \"" + os.programDir + "\"");
    EXPECT_EQ(PresetCommand(6),
              "base fade text \" BASE IMAGE |  | NOT FOR REGULAR USE | ~host~ ~ip~\"");
    EXPECT_EQ(PresetCommand(2), "");
    EXPECT_EQ(PresetCommand(16), "");
}

TEST_F(SettingsWindowTest, AutorunButtonsWriteAndRemoveTheEntryAndTheIndicatorFollows) {
    open("");
    EXPECT_FALSE(ui.at(kAutorunIndicator).visible);
    // Nothing to write for an empty command.
    act(kCreateAutorunButton);
    window.UpdateAutorunIndicator();
    EXPECT_FALSE(os.hasValue(kRunKey, "Drape"));
    choosePreset(1);
    act(kCreateAutorunButton);
    window.UpdateAutorunIndicator();
    EXPECT_EQ(os.stringValue(kRunKey, "Drape"),
              "\"" + os.programDir +
                  "drape\" distort 10 expand 100 random programfolder fade renew 600 nouser 120");
    EXPECT_TRUE(ui.at(kAutorunIndicator).visible);
    act(kRemoveAutorunButton);
    window.UpdateAutorunIndicator();
    EXPECT_FALSE(os.hasValue(kRunKey, "Drape"));
    EXPECT_FALSE(ui.at(kAutorunIndicator).visible);
}

TEST_F(SettingsWindowTest, ShortcutAndClipboardUseTheCurrentCommand) {
    open("");
    act(kShortcutButton);
    EXPECT_TRUE(os.shortcuts.empty());
    act(kClipboardButton);
    EXPECT_EQ(ui.clipboard, "drape ");
    choosePreset(1);
    act(kShortcutButton);
    ASSERT_EQ(os.shortcuts.size(), 1u);
    EXPECT_EQ(os.shortcuts[0].linkPath, os.desktopDir + "Drape random programfolder renew");
    EXPECT_EQ(os.shortcuts[0].arguments,
              "distort 10 expand 100 random programfolder fade renew 600 nouser 120");
    act(kClipboardButton);
    EXPECT_EQ(ui.clipboard,
              "drape distort 10 expand 100 random programfolder fade renew 600 nouser 120");
    choosePreset(5);
    act(kShortcutButton);
    ASSERT_EQ(os.shortcuts.size(), 2u);
    EXPECT_EQ(os.shortcuts[1].linkPath, os.desktopDir + "Drape traffic admin host ip");
}

TEST_F(SettingsWindowTest, BrowseAsksForAFolderOrAnImageAndACancelKeepsTheField) {
    open("load old.jpg");
    ui.chooserAnswers = {"/photos/new.jpg"};
    act(kBrowseButton);
    ASSERT_EQ(ui.choosers.size(), 1u);
    EXPECT_EQ(ui.choosers[0].kind, "file");
    EXPECT_EQ(ui.choosers[0].title, "Select image");
    EXPECT_EQ(ui.choosers[0].filter, "Image (*.JPG *.PNG *.BMP)|*.jpg;*.png;*.bmp|All (*.*)|*.*");
    EXPECT_EQ(ui.controlText(kFileField), "/photos/new.jpg");
    EXPECT_EQ(ui.listIndex(kBackgroundList), 14);
    ui.setListIndex(kBackgroundList, 15);
    // The cancelled chooser left the name, which names no file here: it is taken for a folder.
    EXPECT_EQ(act(kBrowseButton), "random \"/photos/new.jpg/\"");
    EXPECT_EQ(ui.choosers[1].kind, "folder");
    EXPECT_EQ(ui.choosers[1].title, "Select folder");
    EXPECT_EQ(ui.controlText(kFileField), "/photos/new.jpg");
}

TEST_F(SettingsWindowTest, ExitAsksForTheCloseTheCloseBoxWouldAsk) {
    open("");
    act(kExitButton);
    ASSERT_EQ(ui.closeRequests.size(), 1u);
    EXPECT_EQ(ui.closeRequests[0], ui.windowTitled("Drape v1.81"));
    window.Close();
    EXPECT_EQ(ui.windowTitled("Drape v1.81"), 0u);
    EXPECT_TRUE(ui.controls.empty());
}

TEST_F(SettingsWindowTest, DocumentationHidesTheWindowWhileItShows) {
    open("");
    os.events.push_back({platform::EventKind::Key, 0, 0, platform::Key::Escape});
    act(kDocumentationButton);
    const platform::WindowId id = ui.windowTitled("Drape v1.81");
    ASSERT_EQ(ui.shows.size(), 2u);
    EXPECT_EQ(ui.shows[0], std::make_pair(id, false));
    EXPECT_EQ(ui.shows[1], std::make_pair(id, true));
    ASSERT_EQ(ui.windows.size(), 2u);
    const FakeControls::Window& viewer = std::prev(ui.windows.end())->second;
    EXPECT_EQ(viewer.spec.title, " Drape v1.81 - 02.04.2016 build 209 save 4605");
    EXPECT_FALSE(viewer.open);
    EXPECT_TRUE(os.events.empty());
    // The settings window's controls are still there to be read.
    EXPECT_EQ(ui.listIndex(kPresetList), 0);
}

TEST_F(SettingsWindowTest, NoWindowWithoutADisplay) {
    EXPECT_FALSE(window.OpenSettingsWindow("red", 0));
    os.graphicalDisplay = true;
    ui.available = false;
    EXPECT_FALSE(window.OpenSettingsWindow("red", 0));
}

}  // namespace
}  // namespace drape::test
