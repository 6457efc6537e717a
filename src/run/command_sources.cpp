#include "run/command_sources.h"

#include <array>
#include <string_view>

#include "gui/documentation.h"
#include "platform/platform.h"
#include "platform/unicode.h"
#include "state/autorun.h"
#include "state/registry.h"
#include "state/settings.h"
#include "state/system_facts.h"
#include "state/tokens.h"

namespace drape {

namespace {

// A file this small cannot hold a command worth running (it may be a lone line break).
constexpr int64_t kMinCommandFileBytes = 3;
constexpr size_t kMaxCommandFileBytes = size_t{16} << 20;
constexpr uint32_t kDelayStepMs = 128;

struct Preset {
    std::string_view word;
    bool consumes;
    std::string_view before;
    std::string_view after;
};

// clang-format off
constexpr std::array kPresets{
    Preset{"adminmark", false, "traffic darken big ~ip~ fade text \"ADMIN | ~host~ ~ip~\"", ""},
    Preset{"basemark",  true,  "base fade text \" BASE IMAGE | ", " | NOT FOR REGULAR USE | ~host~ ~ip~\""},
    Preset{"highmark",  true,  "big ~ip~ fade text \"", "| ~host~ ~ip~\""},
    Preset{"lowmark",   true,  "transparent big ~ip~ fade text \"", "| ~host~ ~ip~\""},
    Preset{"mark",      true,  "transparent big ~ip~ fade text \"", "| ~host~ ~ip~\""},
    Preset{"darkmark",  true,  "fade big ~ip~ darken text \"", "| ~host~ ~ip~\" darken darken"},
    Preset{"dotmark",   true,  "big ~ip~ dots text \"", "| ~host~ ~ip~ \" fade"},
    Preset{"ipallmark", true,  "big ~ip~ dots text \"", "| ~host~ ~ipall~ \" fade"},
};
// clang-format on

const Preset* findPreset(std::string_view word) {
    for (const Preset& preset : kPresets) {
        if (preset.word == word) {
            return &preset;
        }
    }
    return nullptr;
}

void showError(const std::string& text) {
    platform::current().messageBox(kProductTitle, text, platform::kMbIconError);
}

void delay(const std::string& parameter) {
    platform::Platform& os = platform::current();
    const int32_t seconds = ParseInteger(parameter);
    if (seconds <= 0) {
        return;
    }
    // Elapsed time is summed step by step, so a wait longer than the 49.7 days after which the
    // 32-bit tick counter wraps still ends.
    const int64_t wait = int64_t{seconds} * 1000;
    uint32_t last = os.tickCount();
    for (int64_t elapsed = 0; elapsed < wait;) {
        os.sleepMs(kDelayStepMs);
        const uint32_t now = os.tickCount();
        elapsed += now - last;
        last = now;
    }
}

void getWallpaper(const std::string& parameter) {
    platform::Platform& os = platform::current();
    const std::string path = os.wallpaper();
    if (parameter == "name") {
        os.messageBox(kProductTitle, "Current wallpaper is \r\n\r\n" + path, platform::kMbOk);
    } else if (!parameter.empty() && (path.empty() || !os.copyFile(path, parameter))) {
        showError("Could not copy \r\n\r\n" + path + "\r\n\r\nto\r\n\r\n" + parameter);
    }
}

void setWallpaper(const std::string& parameter) {
    platform::Platform& os = platform::current();
    if (parameter.empty() || os.fileSize(parameter) < 0) {
        showError("Could not find \r\n\r\n" + parameter);
        return;
    }
    // Tiling off, but only where the setting exists: a fresh profile is left alone.
    RegistryWrite(kHkeyCurrentUser, kDesktopKey, "TileWallPaper", "0", false);
    os.setWallpaper(parameter, platform::kSpifUpdateIniFile);
    os.setWallpaper(parameter, platform::kSpifSendWinIniChange);
}

}  // namespace

std::string JoinArguments(const std::vector<std::string>& arguments) {
    std::string joined;
    for (const std::string& argument : arguments) {
        if (argument.find(' ') != std::string::npos) {
            joined += " \"" + argument + "\" ";
        } else {
            joined += " " + argument;
        }
    }
    return TrimBlanks(joined);
}

std::string JoinCommandFileLines(const std::string& bytes) {
    std::string joined;
    for (const std::string& raw : SplitTextLines(bytes)) {
        const std::string line = TrimBlanks(raw);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (!joined.empty()) {
            joined += ' ';
        }
        joined += line;
    }
    return joined;
}

void ChooseCommandSource(const std::vector<std::string>& arguments) {
    Settings& s = settings();
    platform::Platform& os = platform::current();

    s.commandString = JoinArguments(arguments);
    s.tokenCount = CountTokens(s.commandString);
    s.presetSource = 0;
    if (s.tokenCount > 0) {
        return;
    }

    const std::string commandFile = ProgramFolder() + kCommandFileName;
    if (os.fileSize(commandFile) >= kMinCommandFileBytes) {
        if (const auto bytes = os.readFile(commandFile, kMaxCommandFileBytes)) {
            s.commandString = TrimBlanks(JoinCommandFileLines(*bytes));
            s.tokenCount = CountTokens(s.commandString);
        }
    }
    if (s.tokenCount > 0) {
        return;
    }

    s.presetSource = 2;
    if (const auto autorun = ReadAutorunEntry()) {
        s.commandString = *autorun + " gui";
        s.tokenCount = CountTokens(s.commandString);
        if (s.tokenCount > 0) {
            return;
        }
    }

    s.commandString = kDefaultCommand;
    s.tokenCount = CountTokens(s.commandString);
    s.presetSource = 1;
}

bool PresetConsumesParameter(const std::string& word) {
    const Preset* preset = findPreset(word);
    return preset != nullptr && preset->consumes;
}

std::string ExpandPreset(const std::string& word, const std::string& parameter) {
    const Preset* preset = findPreset(word);
    if (preset == nullptr) {
        return {};
    }
    std::string expansion(preset->before);
    if (preset->consumes) {
        expansion += parameter;
    }
    expansion += preset->after;
    return expansion;
}

void PrepareCommands() {
    Settings& s = settings();
    std::string rewritten;
    std::string previousWord;
    int32_t imageCount = 0;

    const std::string command = s.commandString;
    const std::vector<std::string_view> tokens = SplitTokens(command);
    const auto count = static_cast<int32_t>(tokens.size());
    for (int32_t i = 1; i <= count; ++i) {
        const std::string word = TokenAt(tokens, i, false);
        const std::string parameter = TokenAt(tokens, i + 1, true);
        if (word == "gui") {
            s.guiMode = true;
        } else if (word == "help") {
            ShowDocumentation(DocumentationTitle(), HelpText());
            rewritten.clear();
            s.commandString.clear();
            s.tokenCount = 0;
            break;
        } else if (findPreset(word) != nullptr) {
            rewritten += " " + ExpandPreset(word, parameter);
            if (PresetConsumesParameter(word)) {
                ++i;
            }
        } else if (word == "delay") {
            delay(parameter);
            ++i;
        } else if (word == "get") {
            getWallpaper(parameter);
            ++i;
        } else if (word == "set") {
            setWallpaper(parameter);
            ++i;
        } else if (previousWord != "save" && previousWord != "load" && IsPictureFileName(word)) {
            ++imageCount;
            if (imageCount >= 2) {
                rewritten += " monitor " + std::to_string(imageCount);
            }
            rewritten += " load \"" + word + "\" fade";
        } else {
            rewritten += " " + word;
            previousWord = word;
        }
    }
    s.commandString = TrimBlanks(rewritten);
    s.tokenCount = CountTokens(s.commandString);
}

}  // namespace drape
