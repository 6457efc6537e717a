#include "drape98/interpreter98.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "drape98/images98.h"
#include "drape98/product98.h"
#include "drape98/settings98.h"
#include "interp/backgrounds.h"
#include "interp/text_layer.h"
#include "interp/wallpaper_output.h"
#include "platform/narrow.h"
#include "platform/platform.h"
#include "raster/raster.h"
#include "state/monitor_selection.h"
#include "state/product.h"
#include "state/registry.h"
#include "state/settings.h"
#include "state/system_facts.h"
#include "state/tokens.h"

namespace drape {

namespace {

// Setting keywords and whole-canvas painting run once; per-monitor painting runs once for
// every selected monitor, with that monitor selected.
enum class Reach { Once, PerMonitor };

struct KeywordRow98 {
    std::string_view keyword;
    int arguments;  // words taken after the keyword
    Reach reach;
    void (*run)(const std::string& keyword, const std::vector<std::string>& arguments);
};

using Arguments = std::vector<std::string>;

void selectMonitors(const std::string&, const Arguments& a) {
    Settings98& s = settings98();
    s.monitorSelection = a[0] == "all" ? -1 : ParseInteger(a[0]);
    SelectMonitor(s.monitorSelection);
}

void namedFill(const std::string& keyword, const Arguments&) {
    FillMonitor(*NamedColour(keyword));
}

void colourFill(const std::string&, const Arguments& a) {
    if (const auto colour = ParseColourArgument(a[0])) {
        FillMonitor(*colour);
    }
}

TextStyle style98() {
    const Settings98& s = settings98();
    // Font names are in the code page; the font services take UTF-8.
    return {platform::currentNarrow().toUtf8(s.fontName), s.fontSize, s.textColour, s.transparent};
}

// The text the raster layer draws: the code page's bytes as UTF-8.
std::string drawable(const std::string& text) {
    return platform::currentNarrow().toUtf8(text);
}

void bigText(const std::string&, const Arguments& a) {
    DrawCentredBigText(drawable(BigTextPart98(ExpandPlaceholders98(a[0]))), style98());
}

void textLines(const std::string&, const Arguments& a) {
    DrawTextLines(a[0], style98(),
                  [](const std::string& text) { return drawable(ExpandPlaceholders98(text)); });
}

void saveTarget(const std::string&, const Arguments& a) {
    // "nearby" takes the folder with its separator and adds another one: the separator doubles.
    settings98().outputPath = a[0] == "nearby" ? ProgramFolder98() + "\\" + kOutputFileName : a[0];
}

void none(const std::string&, const Arguments&) {}

// clang-format off
constexpr std::array kKeywords98{
    KeywordRow98{"silent",      0, Reach::Once,       [](const std::string&, const Arguments&) { settings98().silent = true; }},
    KeywordRow98{"distort",     1, Reach::Once,       [](const std::string&, const Arguments& a) { settings98().distort = ParseInteger(a[0]); }},
    KeywordRow98{"expand",      1, Reach::Once,       [](const std::string&, const Arguments& a) { settings98().expand = ParseInteger(a[0]); }},
    KeywordRow98{"transparent", 0, Reach::Once,       [](const std::string&, const Arguments&) { settings98().transparent = true; }},
    KeywordRow98{"desktop",     1, Reach::Once,       selectMonitors},
    KeywordRow98{"monitor",     1, Reach::Once,       selectMonitors},
    KeywordRow98{"frame",       0, Reach::Once,       [](const std::string&, const Arguments&) { DrawFrame(); }},
    KeywordRow98{"red",         0, Reach::PerMonitor, namedFill},
    KeywordRow98{"green",       0, Reach::PerMonitor, namedFill},
    KeywordRow98{"blue",        0, Reach::PerMonitor, namedFill},
    KeywordRow98{"pink",        0, Reach::PerMonitor, namedFill},
    KeywordRow98{"lime",        0, Reach::PerMonitor, namedFill},
    KeywordRow98{"black",       0, Reach::PerMonitor, namedFill},
    KeywordRow98{"white",       0, Reach::PerMonitor, namedFill},
    KeywordRow98{"grey",        0, Reach::PerMonitor, namedFill},
    KeywordRow98{"brown",       0, Reach::PerMonitor, namedFill},
    KeywordRow98{"cyan",        0, Reach::PerMonitor, namedFill},
    KeywordRow98{"color",       1, Reach::PerMonitor, colourFill},
    KeywordRow98{"base",        0, Reach::Once,       [](const std::string&, const Arguments&) { DrawStripes(raster::makeColour(0, 0, 0), raster::makeColour(255, 255, 0), 6, 13); }},
    KeywordRow98{"traffic",     0, Reach::Once,       [](const std::string&, const Arguments&) { DrawStripes(raster::makeColour(255, 255, 255), raster::makeColour(255, 0, 0), 10, 20); }},
    KeywordRow98{"drain",       0, Reach::Once,       [](const std::string&, const Arguments&) { Drain(); }},
    KeywordRow98{"dots",        0, Reach::PerMonitor, [](const std::string&, const Arguments&) { DrawDots(); }},
    KeywordRow98{"fade",        0, Reach::PerMonitor, [](const std::string&, const Arguments&) { DrawFade(); }},
    // Subtracted, not flipped: white becomes black, and a second "reverse" does not give white.
    KeywordRow98{"reverse",     0, Reach::Once,       [](const std::string&, const Arguments&) { settings98().textColour -= 0xFFFFFFu; }},
    KeywordRow98{"font",        2, Reach::Once,       [](const std::string&, const Arguments& a) { settings98().fontName = a[0]; settings98().fontSize = ParseInteger(a[1]); }},
    KeywordRow98{"big",         1, Reach::PerMonitor, bigText},
    // "text" visits the selected monitors itself, to make its fonts once for all of them.
    KeywordRow98{"text",        1, Reach::Once,       textLines},
    KeywordRow98{"load",        1, Reach::Once,       [](const std::string&, const Arguments& a) { FitImageFile98(a[0]); }},
    KeywordRow98{"random",      1, Reach::Once,       [](const std::string&, const Arguments& a) { LoadRandomImages98(a[0]); }},
    KeywordRow98{"save",        1, Reach::Once,       saveTarget},
    KeywordRow98{"end",         0, Reach::Once,       none},
    KeywordRow98{"resident",    0, Reach::Once,       [](const std::string&, const Arguments&) { settings98().resident = true; }},
    KeywordRow98{"kill",        0, Reach::Once,       [](const std::string&, const Arguments&) { platform::currentNarrow().broadcastTerminate(); }},
    KeywordRow98{"renew",       1, Reach::Once,       [](const std::string&, const Arguments& a) { settings98().renew = ParseInteger(a[0]); }},
    KeywordRow98{"nouser",      1, Reach::Once,       [](const std::string&, const Arguments& a) { settings98().nouser = ParseInteger(a[0]); }},
};
// clang-format on

const KeywordRow98* findKeyword98(std::string_view keyword) {
    for (const KeywordRow98& row : kKeywords98) {
        if (row.keyword == keyword) {
            return &row;
        }
    }
    return nullptr;
}

void reject98(const std::string& word) {
    if (!settings98().silent) {
        // A word of megabytes is shown by its start, counted in characters.
        platform::Narrow& narrow = platform::currentNarrow();
        const std::string shown = narrow.fromUtf8(MessageExcerpt(narrow.toUtf8(word)));
        narrow.messageBox(kProductTitle98, std::string(kUnrecognizedMessage98) + "\r\n\r\n" + shown,
                          platform::kMbOk);
    }
}

void deriveMonitorRange98() {
    MonitorState& m = state().monitor;
    const int32_t selection = settings98().monitorSelection;
    m.firstMonitor = selection == -1 ? 0 : selection;
    m.lastMonitor = selection == -1 ? state().monitors.count - 1 : selection;
}

std::string addressText(uint32_t address) {
    return std::to_string(address & 0xFF) + "." + std::to_string((address >> 8) & 0xFF) + "." +
           std::to_string((address >> 16) & 0xFF) + "." + std::to_string(address >> 24);
}

// Composes the wallpaper, writes it and installs it with the one call drape98 makes.
void writeAndInstall98() {
    const Settings98& s = settings98();
    platform::Narrow& narrow = platform::currentNarrow();
    const std::string problem = WriteWallpaperBitmap(narrow.toUtf8(s.outputPath));
    WriteTileValue98();
    // A bitmap that could not be written is not installed: the desktop would lose its
    // picture to a missing or partial file.
    if (!problem.empty()) {
        platform::current().reportError("could not write the wallpaper bitmap \"" +
                                        narrow.toUtf8(s.outputPath) + "\": " + problem);
        return;
    }
    narrow.setWallpaper(s.outputPath, platform::kSpifSendWinIniChange);
    if (s.outputPath == narrow.tempFolder() + kOutputFileName) {
        platform::current().deleteFile(narrow.toUtf8(s.outputPath));
    }
}

}  // namespace

uint32_t FirstAddress98() {
    const std::vector<uint32_t> addresses = platform::current().ipv4Addresses();
    for (const uint32_t address : addresses) {
        if (address != 0x0100007Fu) {
            return address;
        }
    }
    return 0;
}

std::string ExpandPlaceholders98(const std::string& text) {
    std::string out = text;
    platform::Platform& os = platform::current();
    platform::Narrow& narrow = platform::currentNarrow();
    ReplaceAll(out, "~ip~", addressText(FirstAddress98()));
    ReplaceAll(out, "~host~", narrow.fromUtf8(os.hostName()));
    ReplaceAll(out, "~timestamp~", FormatTimestamp());
    const std::string monitorNumber = std::to_string(int64_t{state().monitor.currentMonitor} + 1);
    ReplaceAll(out, "~desktop~", monitorNumber);
    ReplaceAll(out, "~monitor~", monitorNumber);
    return out;
}

std::string BigTextPart98(const std::string& text) {
    size_t start = 0;
    for (int dot = 0; dot < 3; ++dot) {
        const size_t at = text.find('.', start);
        if (at == std::string::npos) {
            return text;
        }
        start = at + 1;
    }
    const std::string field = text.substr(start, text.find('.', start) - start);
    return field.empty() ? text : field;
}

void WriteTileValue98() {
    platform::currentNarrow().regSetString(platform::kHkeyCurrentUser, kDesktopKey, "TileWallPaper",
                                           "1", 1);
}

void Interpret98() {
    Settings98& s = settings98();
    TokenList& tokens = state98().tokens;
    if (!NewMutedCanvas()) {
        return;
    }
    s.monitorSelection = -1;
    state().monitor.firstMonitor = 0;
    state().monitor.lastMonitor = state().monitors.count - 1;
    SelectMonitor(-1);

    tokens.goToStart();
    bool stoppedAtHelp = false;
    for (;;) {
        deriveMonitorRange98();
        if (!tokens.next()) {
            break;  // the list always ends in "end"; this only guards against one that does not
        }
        const std::string keyword = tokens.current();
        if (keyword == "help") {
            stoppedAtHelp = true;
            break;
        }
        const KeywordRow98* row = findKeyword98(keyword);
        if (row == nullptr) {
            reject98(keyword);
            continue;
        }
        Arguments arguments;
        bool atEnd = false;
        for (int i = 0; i < row->arguments; ++i) {
            // A missing argument is the closing "end" itself, which then ends the walk.
            if (!atEnd) {
                atEnd = !tokens.next();
            }
            arguments.push_back(tokens.current());
        }
        if (row->reach == Reach::Once) {
            row->run(keyword, arguments);
        } else {
            ForEachSelectedMonitor([&](int32_t index) {
                state().monitor.currentMonitor = index;
                row->run(keyword, arguments);
            });
        }
        if (tokens.current() == "end" || tokens.current() == "help") {
            stoppedAtHelp = tokens.current() == "help";
            break;
        }
    }

    if (!stoppedAtHelp) {
        writeAndInstall98();
    }
    raster::releaseImage(raster::kCanvasImage);
    raster::releaseImage(raster::kSecondImage);
    raster::releaseImage(raster::kCropImage);
}

}  // namespace drape
