#include "gui/settings_window.h"

#include <array>
#include <string_view>

#include "gui/documentation.h"
#include "interp/interpreter.h"
#include "platform/platform.h"
#include "raster/raster.h"
#include "state/autorun.h"
#include "state/product.h"
#include "state/settings.h"
#include "state/system_facts.h"
#include "state/tokens.h"

namespace drape {

namespace {

using platform::ControlKind;

constexpr const char* kImageFilter = "Image (*.JPG *.PNG *.BMP)|*.jpg;*.png;*.bmp|All (*.*)|*.*";
constexpr int kLoadFileEntry = 14;
constexpr int kRandomFromPathEntry = 15;

struct Row {
    int id;
    ControlKind kind;
    std::string_view text;
    int x, y, width, height;
    std::string_view tooltip;
    int icon;  // image slot, 0 for none
};

// clang-format off
constexpr std::array kRows{
    Row{0,                    ControlKind::Label,         "Load preset",        20,  22,  100, 16, "", 0},
    Row{kPresetList,          ControlKind::DropDownList,  "",                  120,  19,  272, 22, "", 0},
    Row{kAutoApplyBox,        ControlKind::CheckBox,      "Auto",              416,  23,   45, 16, "Immediately apply any changes", 0},
    Row{kApplyButton,         ControlKind::IconButton,    "",                  464,  12,   32, 32, "Apply settings", kApplyIcon},
    Row{0,                    ControlKind::GroupFrame,    "",                    7,  47,  497, 220, "", 0},
    Row{0,                    ControlKind::Label,         "1. Background",      20,  69,  100, 16, "", 0},
    Row{kBackgroundList,      ControlKind::DropDownList,  "",                  120,  65,  100, 22, "", 0},
    Row{0,                    ControlKind::Label,         "File",              240,  67,   60, 18, "", 0},
    Row{kFileField,           ControlKind::TextField,     "",                  280,  65,  188, 18, "Image file or path", 0},
    Row{kBrowseButton,        ControlKind::PushButton,    "...",               470,  65,   20, 18, "", 0},
    Row{0,                    ControlKind::Label,         "2. Effect",          20,  95,  100, 16, "", 0},
    Row{kBackgroundEffects,   ControlKind::CheckBox,      "",                  120,  95,   60, 16, "", 0},
    Row{0,                    ControlKind::Label,         "3. Big text",        20, 125,  100, 16, "", 0},
    Row{kBigTextField,        ControlKind::TextField,     "",                  120, 123,   65, 18, "Large background text (1 to 3 characters)", 0},
    Row{kBigReverseBox,       ControlKind::CheckBox,      "Reverse",           205, 125,   60, 16, "", 0},
    Row{kBigTransparentBox,   ControlKind::CheckBox,      "Transparent",       280, 125,   80, 16, "", 0},
    Row{0,                    ControlKind::Label,         "4. Effect",          20, 153,  100, 16, "", 0},
    Row{kBigEffects,          ControlKind::CheckBox,      "",                  120, 153,   60, 16, "", 0},
    Row{0,                    ControlKind::Label,         "5. Normal text",     20, 183,  100, 16, "", 0},
    Row{kNormalTextField,     ControlKind::TextField,     "",                  120, 181,  200, 18, "Normal text (multiple lines | special codes ~host~ ~ip~ ~monitor~)", 0},
    Row{kTextReverseBox,      ControlKind::CheckBox,      "Reverse",           340, 183,   60, 16, "", 0},
    Row{kTextTransparentBox,  ControlKind::CheckBox,      "Transparent",       415, 183,   80, 16, "", 0},
    Row{0,                    ControlKind::Label,         "6. Effect",          20, 211,  100, 16, "", 0},
    Row{kTextEffects,         ControlKind::CheckBox,      "",                  120, 211,   60, 16, "", 0},
    Row{0,                    ControlKind::Label,         "7. Distort & Renew", 20, 241,  100, 16, "", 0},
    Row{0,                    ControlKind::Label,         "Distort",           120, 241,   50, 16, "", 0},
    Row{kDistortField,        ControlKind::TextField,     "",                  160, 239,   28, 18, "Maximal aspect distortion in % (default 15%)", 0},
    Row{0,                    ControlKind::Label,         "Expand",            200, 241,   50, 16, "", 0},
    Row{kExpandField,         ControlKind::TextField,     "",                  240, 239,   28, 18, "Maximal image resize in % (default 53%)", 0},
    Row{0,                    ControlKind::Label,         "Renew",             280, 241,   50, 16, "", 0},
    Row{kRenewField,          ControlKind::TextField,     "",                  320, 239,   38, 18, "Renew background time in seconds", 0},
    Row{0,                    ControlKind::Label,         "Nouser",            370, 241,   50, 16, "", 0},
    Row{kNouserField,         ControlKind::TextField,     "",                  415, 239,   38, 18, "Only renew if user is away for n seconds (default 120)", 0},
    Row{0,                    ControlKind::Label,         "System",             20, 279,  100, 16, "", 0},
    Row{kKeepBox,             ControlKind::CheckBox,      "Keep",              120, 279,   60, 16, "Store wallpaper as local temp file and show upon reboot (may be required on some Windows platforms)", 0},
    Row{kBackgroundBox,       ControlKind::CheckBox,      "Background",        180, 279,   80, 16, "Keep Drape running in the background so it can refresh wallpapers and detect screen or IP changes)", 0},
    Row{0,                    ControlKind::Label,         "Commandline",        20, 305,  100, 16, "", 0},
    Row{kCommandLine,         ControlKind::WrappingLabel, "",                  120, 305,  374, 40, "", 0},
    Row{kAutorunIndicator,    ControlKind::Icon,          "",                  265, 372,   16, 16, "", kIndicatorIcon},
    Row{kCreateAutorunButton, ControlKind::IconButton,    "",                  290, 363,   32, 32, "Create autorun entry in the registry", kCreateAutorunIcon},
    Row{kRemoveAutorunButton, ControlKind::IconButton,    "",                  325, 363,   32, 32, "Remove autorun entry from the registry", kRemoveAutorunIcon},
    Row{kShortcutButton,      ControlKind::IconButton,    "",                  360, 363,   32, 32, "Create a shortcut on the desktop", kShortcutIcon},
    Row{kClipboardButton,     ControlKind::IconButton,    "",                  395, 363,   32, 32, "Copy commandline to clipboard", kClipboardIcon},
    Row{kDocumentationButton, ControlKind::IconButton,    "",                  430, 363,   32, 32, "Show documentation", kDocumentationIcon},
    Row{kExitButton,          ControlKind::IconButton,    "",                  465, 363,   32, 32, "Exit (or close window but keep running if 'background' is set)", kExitIcon},
};
// clang-format on

constexpr std::array<std::string_view, kEffectCount> kEffectNames{"Dots",  "Fade", "Darken",
                                                                  "Drain", "Blur", "Invert"};
constexpr std::array<int, kEffectCount> kEffectX{120, 180, 240, 310, 370, 430};
// The command words of a row are always written in this order, which is not the screen's.
constexpr std::array<Effect, kEffectCount> kEffectWordOrder{
    Effect::Dots, Effect::Fade, Effect::Darken, Effect::Drain, Effect::Invert, Effect::Blur};
constexpr std::array<std::string_view, kEffectCount> kEffectWords{"dots",  "fade", "darken",
                                                                  "drain", "blur", "invert"};

struct BackgroundEntry {
    std::string_view name;
    std::string_view words;
};

// clang-format off
constexpr std::array<BackgroundEntry, kBackgroundEntryCount> kBackgrounds{{
    {"Random colour", ""},
    {"Red", " red"},
    {"Green", " green"},
    {"Blue", " blue"},
    {"Cyan", " cyan"},
    {"Lime", " lime"},
    {"Orange", " orange"},
    {"Pink", " pink"},
    {"Black", " black"},
    {"Grey", " grey"},
    {"White", " white"},
    {"Traffic", " traffic"},
    {"Base", " base"},
    {"Frame", " green frame"},
    {"Load file", ""},
    {"Random from path", ""},
    {"From program folder", " random programfolder"},
}};
// clang-format on

// The words that choose a background entry when a command is shown; the last one wins.
constexpr std::array<std::pair<std::string_view, int>, 13> kBackgroundWords{{
    {"red", 1},
    {"green", 2},
    {"blue", 3},
    {"cyan", 4},
    {"lime", 5},
    {"orange", 6},
    {"pink", 7},
    {"black", 8},
    {"grey", 9},
    {"white", 10},
    {"traffic", 11},
    {"base", 12},
    {"frame", 13},
}};

struct PresetEntry {
    std::string_view name;
    // The command; "\x01" stands for the program's folder.
    std::string_view command;
};

// clang-format off
constexpr std::array<PresetEntry, kPresetCount> kPresets{{
    {"None", ""},
    {"Default", "distort 10 expand 100 random programfolder fade renew 600 nouser 120"},
    {"Autorun", ""},
    {"Poweruser", "distort 10 expand 100 random programfolder dots transparent big ~ip~ fade text \"POWERUSER|~host~ - ~ip~\" renew 600 nouser 120"},
    {"Pink Timestamp", "pink darken transparent big BIG text \"NORMAL|This background was generated by Drape on ~timestamp~|User ~user~ on ~host~ at ~ip~\" fade"},
    {"Adminmark (equivalent to the 'adminmark' command)", "traffic darken big ~ip~ fade text \"ADMIN | ~host~ ~ip~\""},
    {"Basemark (equivalent to the 'basemark' command)", "base fade text \" BASE IMAGE |  | NOT FOR REGULAR USE | ~host~ ~ip~\""},
    {"Drained Base", "base drain transparent big ~ip~ text \"Drained Base\" darken"},
    {"Double Invert", "red transparent reverse big BIG invert solid text \"Double Invert\""},
    {"Load image from file", "distort 10 expand 100 load \"\x01walnut1.jpg\""},
    {"Random image from path", "distort 10 expand 100 random \"\x01\""},
    {"Random image from program folder", "random programfolder distort 10 expand 100"},
    {"Director's cut (add 'background' and 'keep')", "distort 10 expand 100 random \"\x01\" transparent big ~ip~ text \"NAME|~host~ ~ip~\" fade darken renew 1800 nouser 300"},
    {"Random image every 2 seconds (add 'background')", "random programfolder fade distort 10 expand 100 renew 2 nouser 2"},
    {"Frame (check drape.bmp in the temp folder)", "green frame text \"Monitor ~monitor~|For (multimonitor) testing purposes.|Set 'keep' on, re-arrange your screens, then|check the file drape.bmp in your temp directory.\" fade blur"},
    {"Unwise (all on, very slow)", "base dots fade drain invert blur darken reverse transparent big * base dots fade drain invert blur darken text \"|ALL ON aka UNWISE aka VERY SLOW\" base dots fade drain invert blur darken"},
}};
// clang-format on

constexpr int kAutorunPreset = 2;

// The picture in an image slot as 32-bit pixels; 24-bit images are opaque.
platform::IconPixels iconFromSlot(int slot) {
    platform::IconPixels icon;
    const raster::RasterImage* image = raster::imageHandle(slot);
    if (image == nullptr) {
        return icon;
    }
    icon.width = image->width;
    icon.height = image->height;
    icon.pixels.reserve(static_cast<size_t>(image->width) * static_cast<size_t>(image->height) * 4);
    const int bytes = image->depth / 8;
    for (int y = 0; y < image->height; ++y) {
        const uint8_t* p = image->row(y);
        for (int x = 0; x < image->width; ++x, p += bytes) {
            icon.pixels.insert(icon.pixels.end(),
                               {p[0], p[1], p[2], bytes == 4 ? p[3] : uint8_t{255}});
        }
    }
    return icon;
}

platform::ControlSpec specOf(const Row& row, int id) {
    platform::ControlSpec spec;
    spec.id = id;
    spec.kind = row.kind;
    spec.rect = {row.x, row.y, row.width, row.height};
    spec.text = row.text;
    spec.tooltip = row.tooltip;
    if (row.icon != 0) {
        spec.icon = iconFromSlot(row.icon);
    }
    return spec;
}

bool isEffectRow(int id) {
    return id == kBackgroundEffects || id == kBigEffects || id == kTextEffects;
}

int effectBox(int row, Effect effect) {
    return row + static_cast<int>(effect);
}

std::string decimal(const std::string& field) {
    return std::to_string(ParseInteger(field));
}

}  // namespace

SettingsWindow* OpenSettingsWindowInstance() {
    return state().settingsWindow;
}
void SetSettingsWindowInstance(SettingsWindow* window) {
    state().settingsWindow = window;
}

std::vector<platform::ControlSpec> SettingsControlTable() {
    std::vector<platform::ControlSpec> table;
    int nextStatic = kFirstStaticControl;
    for (const Row& row : kRows) {
        if (isEffectRow(row.id)) {
            for (int i = 0; i < kEffectCount; ++i) {
                platform::ControlSpec box = specOf(row, row.id + i);
                box.rect.x = kEffectX[static_cast<size_t>(i)];
                box.text = kEffectNames[static_cast<size_t>(i)];
                table.push_back(std::move(box));
            }
            continue;
        }
        platform::ControlSpec spec = specOf(row, row.id != 0 ? row.id : nextStatic++);
        if (row.id == kPresetList) {
            for (int i = 0; i < kPresetCount; ++i) {
                spec.items.push_back(PresetName(i));
            }
        } else if (row.id == kBackgroundList) {
            for (int i = 0; i < kBackgroundEntryCount; ++i) {
                spec.items.push_back(BackgroundEntryName(i));
            }
        }
        table.push_back(std::move(spec));
    }
    return table;
}

std::string PresetName(int index) {
    if (index < 0 || index >= kPresetCount) {
        return {};
    }
    return std::string(kPresets[static_cast<size_t>(index)].name);
}

std::string PresetCommand(int index) {
    if (index < 0 || index >= kPresetCount) {
        return {};
    }
    if (index == kAutorunPreset) {
        return ReadAutorunEntry().value_or("");
    }
    std::string command;
    for (char c : kPresets[static_cast<size_t>(index)].command) {
        if (c == '\x01') {
            command += ProgramFolder();
        } else {
            command += c;
        }
    }
    return command;
}

std::string BackgroundEntryName(int index) {
    if (index < 0 || index >= kBackgroundEntryCount) {
        return {};
    }
    return std::string(kBackgrounds[static_cast<size_t>(index)].name);
}

SettingsWindowModel::~SettingsWindowModel() {
    Close();
}

bool SettingsWindowModel::OpenSettingsWindow(const std::string& commandString, int presetSource) {
    window_ =
        controls_.openWindow({kProductTitle, kSettingsClientWidth, kSettingsClientHeight, false},
                             SettingsControlTable());
    if (window_ == 0) {
        return false;
    }
    UpdateAutorunIndicator();
    controls_.setListIndex(kPresetList, presetSource);
    controls_.setControlText(kCommandLine, commandString);
    ShowCommandInControls(commandString);
    return true;
}

void SettingsWindowModel::Close() {
    if (window_ != 0) {
        controls_.closeWindow(window_);
        window_ = 0;
    }
}

bool SettingsWindowModel::autoApplyTicked() {
    return controls_.ticked(kAutoApplyBox);
}

bool SettingsWindowModel::backgroundTicked() {
    return controls_.ticked(kBackgroundBox);
}

void SettingsWindowModel::UpdateAutorunIndicator() {
    controls_.setVisible(kAutorunIndicator, AutorunEntryExists());
}

void SettingsWindowModel::ShowCommandInControls(const std::string& text) {
    platform::Controls& c = controls_;
    c.setListIndex(kBackgroundList, 0);
    for (int row : {kBackgroundEffects, kBigEffects, kTextEffects}) {
        for (int i = 0; i < kEffectCount; ++i) {
            c.setTicked(row + i, false);
        }
    }
    for (int box : {kBigReverseBox, kTextReverseBox, kBigTransparentBox, kTextTransparentBox,
                    kKeepBox, kBackgroundBox}) {
        c.setTicked(box, false);
    }
    for (int field : {kBigTextField, kNormalTextField, kDistortField, kExpandField, kRenewField,
                      kNouserField}) {
        c.setControlText(field, "");
    }

    bool transparent = false;
    bool reverse = false;
    int row = kBackgroundEffects;
    const std::vector<std::string_view> tokens = SplitTokens(text);
    const auto count = static_cast<int32_t>(tokens.size());
    for (int32_t i = 1; i <= count; ++i) {
        const std::string word = TokenAt(tokens, i, true);
        const std::string next = TokenAt(tokens, i + 1, true);
        const auto takeNext = [&](int field) {
            c.setControlText(field, next);
            ++i;
        };
        if (word == "load" || word == "random") {
            c.setListIndex(kBackgroundList, word == "load" ? kLoadFileEntry : kRandomFromPathEntry);
            takeNext(kFileField);
        } else if (word == "transparent") {
            transparent = true;
        } else if (word == "solid") {
            transparent = false;
        } else if (word == "reverse") {
            reverse = !reverse;
        } else if (word == "big" || word == "text") {
            const bool big = word == "big";
            c.setTicked(big ? kBigTransparentBox : kTextTransparentBox, transparent);
            c.setTicked(big ? kBigReverseBox : kTextReverseBox, reverse);
            takeNext(big ? kBigTextField : kNormalTextField);
            row = big ? kBigEffects : kTextEffects;
        } else if (word == "distort") {
            takeNext(kDistortField);
        } else if (word == "expand") {
            takeNext(kExpandField);
        } else if (word == "renew") {
            takeNext(kRenewField);
        } else if (word == "nouser") {
            takeNext(kNouserField);
        } else if (word == "keep") {
            c.setTicked(kKeepBox, true);
        } else if (word == "resident" || word == "background") {
            c.setTicked(kBackgroundBox, true);
        } else {
            for (const auto& [name, entry] : kBackgroundWords) {
                if (word == name) {
                    c.setListIndex(kBackgroundList, entry);
                }
            }
            for (int e = 0; e < kEffectCount; ++e) {
                if (word == kEffectWords[static_cast<size_t>(e)]) {
                    c.setTicked(row + e, true);
                }
            }
        }
    }
}

std::string SettingsWindowModel::randomArgument() {
    const std::string file = controls_.controlText(kFileField);
    const char separator = platform::current().pathSeparator();
    if (file == "programfolder") {
        return file;
    }
    if (!file.empty() && file.back() == separator) {
        return "\"" + file + "\"";
    }
    if (!file.empty() && platform::current().fileSize(file) >= 0) {
        const size_t cut = file.rfind(separator);
        return "\"" + (cut == std::string::npos ? std::string() : file.substr(0, cut + 1)) + "\"";
    }
    // Anything else is taken for a folder; an empty field names the root.
    return "\"" + file + separator + "\"";
}

std::string SettingsWindowModel::BuildCommandString() {
    platform::Controls& c = controls_;
    std::string command;
    const auto number = [&](int field, std::string_view word) {
        const std::string text = c.controlText(field);
        if (!text.empty()) {
            command += " " + std::string(word) + " " + decimal(text);
        }
    };
    const auto effects = [&](int row) {
        for (Effect effect : kEffectWordOrder) {
            if (c.ticked(effectBox(row, effect))) {
                command += " " + std::string(kEffectWords[static_cast<size_t>(effect)]);
            }
        }
    };

    number(kDistortField, "distort");
    number(kExpandField, "expand");
    const int entry = c.listIndex(kBackgroundList);
    if (entry == kLoadFileEntry) {
        command += " load \"" + c.controlText(kFileField) + "\"";
    } else if (entry == kRandomFromPathEntry) {
        command += " random " + randomArgument();
    } else if (entry >= 0 && entry < kBackgroundEntryCount) {
        command += kBackgrounds[static_cast<size_t>(entry)].words;
    }
    effects(kBackgroundEffects);

    const bool bigTransparent = c.ticked(kBigTransparentBox);
    const bool bigReverse = c.ticked(kBigReverseBox);
    const std::string big = c.controlText(kBigTextField);
    if (!big.empty()) {
        command += bigTransparent ? " transparent" : "";
        command += bigReverse ? " reverse" : "";
        command += " big \"" + big + "\"";
    }
    effects(kBigEffects);

    // The switches of the big text stay in force: "solid" ends its transparency and a second
    // "reverse" undoes its reversal.
    const std::string normal = c.controlText(kNormalTextField);
    if (!normal.empty()) {
        if (c.ticked(kTextTransparentBox)) {
            command += " transparent";
        } else if (bigTransparent) {
            command += " solid";
        }
        command += c.ticked(kTextReverseBox) != bigReverse ? " reverse" : "";
        command += " text \"" + normal + "\"";
    }
    effects(kTextEffects);

    number(kRenewField, "renew");
    number(kNouserField, "nouser");
    command += c.ticked(kKeepBox) ? " keep" : "";
    command += c.ticked(kBackgroundBox) ? " background" : "";

    Settings& s = settings();
    s.commandString = TrimBlanks(command);
    s.tokenCount = CountTokens(s.commandString);
    c.setControlText(kCommandLine, s.commandString);
    return s.commandString;
}

void SettingsWindowModel::choosePreset() {
    std::string command = PresetCommand(controls_.listIndex(kPresetList));
    if (controls_.ticked(kKeepBox) && command.find("keep") == std::string::npos) {
        command += " keep";
    }
    if (controls_.ticked(kBackgroundBox) && command.find("background") == std::string::npos &&
        command.find("resident") == std::string::npos) {
        command += " background";
    }
    settings().commandString = command;
    settings().tokenCount = CountTokens(command);
    ShowCommandInControls(command);
}

void SettingsWindowModel::browse() {
    const std::string chosen = controls_.listIndex(kBackgroundList) == kRandomFromPathEntry
                                   ? controls_.chooseFolder("Select folder")
                                   : controls_.chooseFile("Select image", kImageFilter);
    if (!chosen.empty()) {
        controls_.setControlText(kFileField, chosen);
    }
}

bool SettingsWindowModel::DispatchControlEvent(int controlId) {
    switch (controlId) {
        case kPresetList:
            choosePreset();
            return false;
        case kBrowseButton:
            browse();
            return false;
        case kApplyButton:
            Interpret();
            return true;
        case kDocumentationButton:
            controls_.showWindow(window_, false);
            ShowDocumentation(DocumentationTitle(), HelpText());
            controls_.showWindow(window_, true);
            return false;
        case kShortcutButton:
            CreateDesktopShortcut();
            return false;
        case kCreateAutorunButton:
            CreateAutorunEntry();
            return false;
        case kRemoveAutorunButton:
            RemoveAutorunEntry();
            return false;
        case kClipboardButton:
            controls_.setClipboardText("drape " + settings().commandString);
            return false;
        case kExitButton:
            controls_.requestClose(window_);
            return false;
        default:
            return false;
    }
}

}  // namespace drape
