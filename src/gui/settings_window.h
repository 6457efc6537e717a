// The settings window: a command string shown as choices, and choices turned back into a
// command string. The logic lives here, free of any toolkit; the window itself is drawn by the
// platform's controls.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "raster/raster.h"

namespace drape {

// What the resident loop asks of the settings window while it is open.
class SettingsWindow {
  public:
    virtual ~SettingsWindow() = default;
    // Handles one control event; true when it interpreted the command string (the apply
    // button), which settles any renewal that was due.
    virtual bool DispatchControlEvent(int controlId) = 0;
    // The command string the controls describe now.
    virtual std::string BuildCommandString() = 0;
    // Shows the autorun indicator exactly when the autorun entry exists.
    virtual void UpdateAutorunIndicator() = 0;
    virtual bool autoApplyTicked() = 0;
    virtual bool backgroundTicked() = 0;
    // Closes the window; the program's invisible window is opened by the caller.
    virtual void Close() = 0;
};

// The open settings window, or nullptr; kept in the process state, so a reset closes it.
SettingsWindow* OpenSettingsWindowInstance();
void SetSettingsWindowInstance(SettingsWindow* window);

// The ids of the settings window's controls.
enum SettingsControl : int {
    kPresetList = 100,
    kAutoApplyBox,
    kApplyButton,
    kBackgroundList,
    kFileField,
    kBrowseButton,
    kBigTextField,
    kBigReverseBox,
    kBigTransparentBox,
    kNormalTextField,
    kTextReverseBox,
    kTextTransparentBox,
    kDistortField,
    kExpandField,
    kRenewField,
    kNouserField,
    kKeepBox,
    kBackgroundBox,
    kCommandLine,
    kAutorunIndicator,
    kCreateAutorunButton,
    kRemoveAutorunButton,
    kShortcutButton,
    kClipboardButton,
    kDocumentationButton,
    kExitButton,
    // The three rows of six effect boxes, in their order on screen.
    kBackgroundEffects = 140,
    kBigEffects = 150,
    kTextEffects = 160,
    // Labels and the frame, which never act.
    kFirstStaticControl = 200,
};

// The boxes of an effect row, in their order on screen.
enum class Effect { Dots, Fade, Darken, Drain, Blur, Invert };
inline constexpr int kEffectCount = 6;

// The roles of the icons the program carries, by the image slot they are decoded into.
enum IconSlot : int {
    kApplyIcon = raster::kFirstIconImage,
    kIndicatorIcon,
    kCreateAutorunIcon,
    kRemoveAutorunIcon,
    kShortcutIcon,
    kClipboardIcon,
    kDocumentationIcon,
    kExitIcon,
    kProgramIcon,
    kProgramIconLarge,
};
static_assert(kProgramIconLarge == raster::kLastIconImage);

inline constexpr int kSettingsClientWidth = 510;
inline constexpr int kSettingsClientHeight = 408;
inline constexpr int kPresetCount = 16;
inline constexpr int kBackgroundEntryCount = 17;

// Every control of the window with its kind, text, place and tooltip; icons are taken from the
// image slots they were decoded into (an empty picture where a slot holds none).
std::vector<platform::ControlSpec> SettingsControlTable();
// The name a preset shows in the list, and the command choosing it gives (the autorun preset
// reads the autorun entry; the photo presets name the program's folder).
std::string PresetName(int index);
std::string PresetCommand(int index);
std::string BackgroundEntryName(int index);

// The settings window on the platform's controls.
class SettingsWindowModel final : public SettingsWindow {
  public:
    explicit SettingsWindowModel(platform::Controls& controls) : controls_(controls) {}
    ~SettingsWindowModel() override;
    SettingsWindowModel(const SettingsWindowModel&) = delete;
    SettingsWindowModel& operator=(const SettingsWindowModel&) = delete;

    // Creates and fills the window; interprets nothing. False when no window could be opened.
    bool OpenSettingsWindow(const std::string& commandString, int presetSource);
    // Sets the controls from a command string.
    void ShowCommandInControls(const std::string& text);

    bool DispatchControlEvent(int controlId) override;
    std::string BuildCommandString() override;
    void UpdateAutorunIndicator() override;
    bool autoApplyTicked() override;
    bool backgroundTicked() override;
    void Close() override;

  private:
    void choosePreset();
    void browse();
    std::string randomArgument();

    platform::Controls& controls_;
    platform::WindowId window_ = 0;
};

}  // namespace drape
