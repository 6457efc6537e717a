#include "state/autorun.h"

#include "platform/platform.h"
#include "platform/unicode.h"
#include "state/registry.h"
#include "state/settings.h"
#include "state/system_facts.h"
#include "state/tokens.h"

namespace drape {

namespace {

constexpr size_t kMaxTextCharacters = 29;
constexpr size_t kTextCut = 27;
constexpr size_t kMaxNameCharacters = 70;
constexpr size_t kNameCut = 67;

// The first `count` characters of UTF-8 text.
std::string firstCharacters(const std::string& text, size_t count) {
    size_t bytes = 0;
    for (size_t seen = 0; bytes < text.size() && seen < count; ++seen) {
        ++bytes;
        while (bytes < text.size() && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80) {
            ++bytes;
        }
    }
    return text.substr(0, bytes);
}

// What follows the last folder separator of a path, whichever the platform writes.
std::string filePart(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string replaceAll(std::string text, std::string_view from, std::string_view to) {
    std::string out;
    size_t start = 0;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, start)) {
        out.append(text, start, at - start);
        out += to;
        start = at + from.size();
    }
    out.append(text, start, std::string::npos);
    return out;
}

bool isNamedWord(const std::string& word) {
    static constexpr std::string_view kWords[] = {
        "red",  "blue",    "green", "pink",  "cyan",  "lime", "orange",   "black",     "white",
        "grey", "traffic", "base",  "frame", "renew", "keep", "resident", "background"};
    for (std::string_view named : kWords) {
        if (named == word) {
            return true;
        }
    }
    return false;
}

}  // namespace

void CreateAutorunEntry() {
    const std::string& command = settings().commandString;
    if (command.empty()) {
        return;
    }
    const std::string data = "\"" + platform::current().programPath() + "\" " + command;
    RegistryWrite(kHkeyCurrentUser, kRunKey, kAutorunValue, data, true);
}

void RemoveAutorunEntry() {
    RegistryDelete(kHkeyCurrentUser, kRunKey, kAutorunValue);
}

bool AutorunEntryExists() {
    return RegistryRead(kHkeyCurrentUser, kRunKey, kAutorunValue) == kRegistryOk;
}

std::optional<std::string> ReadAutorunEntry() {
    if (!AutorunEntryExists()) {
        return std::nullopt;
    }
    const std::string data = RegistryResult();
    const std::string program = GetToken(data, 1, false);
    const size_t at = data.find(program);
    return TrimBlanks(at == std::string::npos ? data : data.substr(at + program.size()));
}

std::string MakeShortcutName(const std::string& commandString) {
    std::string name;
    const std::vector<std::string_view> tokens = SplitTokens(commandString);
    const auto count = static_cast<int32_t>(tokens.size());
    for (int32_t j = 1; j <= count; ++j) {
        const std::string word = platform::toLower(TokenAt(tokens, j, true));
        std::string parameter = platform::toLower(TokenAt(tokens, j + 1, true));
        if (word == "text") {
            name += platform::countCharacters(parameter) <= kMaxTextCharacters
                        ? " " + parameter
                        : " " + firstCharacters(parameter, kTextCut) + "...";
            ++j;
        } else if (word == "load") {
            name += " " + filePart(parameter);
            ++j;
        } else if (word == "random") {
            if (!parameter.empty() && (parameter.back() == '\\' || parameter.back() == '/')) {
                parameter.pop_back();
            }
            name += " random " + filePart(parameter);
            ++j;
        } else if (isNamedWord(word)) {
            name += " " + word;
        } else if (word == "distort" || word == "expand") {
            ++j;
        }
    }
    if (name.empty()) {
        name = commandString;
    }
    if (platform::countCharacters(name) > kMaxNameCharacters) {
        name = firstCharacters(name, kNameCut) + "...";
    }
    name = "Drape" + name;
    for (const auto& [from, to] : {std::pair<std::string_view, std::string_view>{"~", ""},
                                   {":", ""},
                                   {"\\", "_"},
                                   {"/", "_"},
                                   {"|", " "},
                                   {"<", "_"},
                                   {">", "_"},
                                   {"*", "_"},
                                   {"?", "_"},
                                   {"\"", ""},
                                   {"   ", " "},
                                   {"  ", " "}}) {
        name = replaceAll(std::move(name), from, to);
    }
    return name;
}

void CreateDesktopShortcut() {
    const std::string& command = settings().commandString;
    if (command.empty()) {
        return;
    }
    platform::Platform& os = platform::current();
    const std::string program = os.programPath();
    platform::ShortcutLink shortcut;
    shortcut.target = program;
    shortcut.linkPath = os.desktopFolder() + TrimBlanks(MakeShortcutName(command));
    shortcut.arguments = command;
    shortcut.workingFolder = ProgramFolder();
    shortcut.iconFile = program;
    shortcut.iconIndex = 0;
    os.createShortcut(shortcut);
}

}  // namespace drape
