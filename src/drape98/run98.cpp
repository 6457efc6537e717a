#include "drape98/run98.h"

#include <string>
#include <vector>

#include "drape98/documentation98.h"
#include "drape98/images98.h"
#include "drape98/interpreter98.h"
#include "drape98/product98.h"
#include "drape98/settings98.h"
#include "platform/narrow.h"
#include "platform/platform.h"
#include "state/monitor_table.h"
#include "state/product.h"
#include "state/settings.h"
#include "state/system_facts.h"
#include "state/tokens.h"

namespace drape {

namespace {

constexpr int64_t kMinCommandFileBytes98 = 3;
constexpr size_t kMaxCommandFileBytes98 = size_t{16} << 20;

// Waits n seconds from now by the tick counter, compared as a signed 32-bit difference, while
// the program window's events are handled. False when the window was asked to close meanwhile
// (the session ending): the program then ends instead of painting.
bool delay98(const std::string& argument) {
    platform::Platform& os = platform::current();
    const uint32_t until = os.tickCount() + static_cast<uint32_t>(ParseInteger(argument)) * 1000u;
    while (static_cast<int32_t>(os.tickCount() - until) < 0) {
        if (os.waitEvent(kDelayWait98Ms).kind == platform::EventKind::Close) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::vector<std::string> ReadCommandFile98() {
    platform::Platform& os = platform::current();
    const std::string path = platform::currentNarrow().toUtf8(ProgramFolder98() + kCommandFileName);
    if (os.fileSize(path) < kMinCommandFileBytes98) {
        return {};
    }
    const auto bytes = os.readFile(path, kMaxCommandFileBytes98);
    if (!bytes) {
        return {};
    }
    std::string joined;
    for (const std::string& raw : SplitTextLines(*bytes)) {
        const std::string line = TrimBlanks(raw);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        joined += ' ';
        joined += line;
    }
    std::vector<std::string> words;
    for (const std::string_view token : SplitTokens(joined)) {
        words.push_back(TokenText(token, true));
    }
    return words;
}

bool ExpandPresets98() {
    // Built anew in one pass, so that a long list of presets costs no more than its length.
    std::vector<std::string>& words = state98().tokens.words();
    std::vector<std::string> expanded;
    expanded.reserve(words.size());
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (i + 1 == words.size()) {
            expanded.push_back(word);  // a preset or "delay" as the last word stays as it is
            break;
        }
        const std::string& argument = words[i + 1];
        if (word == "mark") {
            for (std::string part :
                 {std::string("big"), std::string("~ip~"), std::string("dots"), std::string("text"),
                  argument + "| ~host~ ~ip~ ", std::string("fade")}) {
                expanded.push_back(std::move(part));
            }
            ++i;
        } else if (word == "basemark") {
            for (std::string part :
                 {std::string("base"), std::string("fade"), std::string("text"),
                  "BASE IMAGE | " + argument + " | NOT FOR REGULAR USE | ~host~ ~ip~"}) {
                expanded.push_back(std::move(part));
            }
            ++i;
        } else if (word == "delay") {
            // Only "delay" goes: its number stays for the interpreter to meet.
            if (!delay98(argument)) {
                return false;
            }
        } else {
            expanded.push_back(word);
        }
    }
    words = std::move(expanded);
    return true;
}

bool CheckScreens98() {
    return CheckScreens([] { return platform::currentNarrow().enumerateMonitors(); });
}

void ResidentCheck98(uint32_t& lastAddress) {
    Settings98& s = settings98();
    platform::Platform& os = platform::current();
    bool changed = CheckScreens98();
    const uint32_t address = FirstAddress98();
    if (address != lastAddress) {
        changed = true;
        lastAddress = address;
    }
    // Windows 98 does not tell the installed wallpaper reliably; from XP on, a different one
    // means someone replaced ours.
    if (OsVersionCode() >= 60 && platform::currentNarrow().wallpaper() != s.outputPath) {
        changed = true;
    }
    if (s.renew > 0) {
        const uint32_t now = os.tickCount();
        if (s.renewStart == 0) {
            s.renewStart = now;
        }
        const auto elapsed = static_cast<int32_t>(now - s.renewStart);
        if (elapsed > int64_t{s.renew} * 1000 || elapsed < 0) {
            s.renewStart = now;
            changed = true;
        }
    }
    if (changed) {
        Interpret98();
    }
}

void ResidentLoop98() {
    platform::Platform& os = platform::current();
    uint32_t lastAddress = FirstAddress98();
    platform::currentNarrow().broadcastTerminate();
    bool ownAnnouncementSeen = false;
    for (;;) {
        platform::Event event = os.waitEvent(kResidentWait98Ms);
        if (event.kind == platform::EventKind::Terminate && !ownAnnouncementSeen) {
            ownAnnouncementSeen = true;
            event.kind = platform::EventKind::None;
        }
        if (event.kind == platform::EventKind::None) {
            ResidentCheck98(lastAddress);
        }
        if (event.kind == platform::EventKind::Close ||
            event.kind == platform::EventKind::Terminate) {
            return;
        }
    }
}

void Main98(const std::vector<std::string>& arguments) {
    ApplyDefaults98();
    TokenList& tokens = state98().tokens;
    for (const std::string& argument : arguments) {
        tokens.append(argument);
    }
    if (tokens.empty()) {
        for (std::string& word : ReadCommandFile98()) {
            tokens.append(std::move(word));
        }
    }

    platform::Platform& os = platform::current();
    // drape98 owns one window, which hears each broadcast once.
    os.setBroadcastDeliveries(1);
    os.openProgramWindow(kProductTitle98);
    const std::vector<std::string>& words = tokens.words();
    if (words.empty() || (words.size() == 1 && (words[0] == "help" || words[0] == "/?"))) {
        ShowDocumentation98(DocumentationTitle98(), ReleaseNotes98(), 0);
        os.closeProgramWindow();
        return;
    }
    if (!ExpandPresets98()) {
        os.closeProgramWindow();
        return;
    }
    tokens.append("end");
    CheckScreens98();
    Interpret98();
    if (settings98().resident) {
        ResidentLoop98();
    }
    os.closeProgramWindow();
}

}  // namespace drape
