#include "interp/interpreter.h"

#include <array>
#include <string>
#include <string_view>

#include "images/image_sources.h"
#include "interp/backgrounds.h"
#include "interp/text_layer.h"
#include "interp/wallpaper_output.h"
#include "platform/platform.h"
#include "raster/raster.h"
#include "state/monitor_selection.h"
#include "state/registry.h"
#include "state/settings.h"
#include "state/tokens.h"

namespace drape {

namespace {

struct Call {
    const std::string& keyword;
    const std::string& argument;
    int32_t index;                                // of the keyword in the command string
    const std::vector<std::string_view>& tokens;  // of the command string
};

// Setting keywords and whole-canvas painting run once; per-monitor painting runs once for
// every monitor of the selection, with that monitor selected.
enum class Reach { Once, PerMonitor };

struct KeywordRow {
    std::string_view keyword;
    int32_t tokens;
    Reach reach;
    void (*run)(const Call& call);
};

void selectMonitors(const Call& call) {
    Settings& s = settings();
    s.monitorSelection = call.argument == "all" ? -1 : ParseInteger(call.argument);
    SelectMonitor(s.monitorSelection);
}

void namedFill(const Call& call) {
    FillMonitor(*NamedColour(call.keyword));
}

void colourFill(const Call& call) {
    if (const auto colour = ParseColourArgument(call.argument)) {
        FillMonitor(*colour);
    }
}

void setFont(const Call& call) {
    Settings& s = settings();
    s.fontName = call.argument;
    s.fontSize = ParseInteger(TokenAt(call.tokens, call.index + 2, true));
}

void fromPanel(const Call&) {
    if (RegistryRead(kHkeyCurrentUser, kDesktopKey, "Wallpaper") != kRegistryOk) {
        return;
    }
    const std::string path = RegistryResult();
    if (!path.empty() && platform::current().fileSize(path) > 0) {
        FitImageFile(path);
    }
}

void saveTarget(const Call& call) {
    Settings& s = settings();
    const auto folder = ResolveFolderWord(call.argument);
    s.outputPath = folder ? *folder + kOutputFileName : call.argument;
    s.keep = true;
}

void ignore(const Call&) {}

// clang-format off
constexpr std::array kKeywords{
    KeywordRow{"",            1, Reach::Once,       ignore},
    KeywordRow{"silent",      1, Reach::Once,       [](const Call&) { settings().silent = true; }},
    KeywordRow{"distort",     2, Reach::Once,       [](const Call& c) { settings().distort = ParseInteger(c.argument); }},
    KeywordRow{"expand",      2, Reach::Once,       [](const Call& c) { settings().expand = ParseInteger(c.argument); }},
    KeywordRow{"transparent", 1, Reach::Once,       [](const Call&) { settings().transparent = true; }},
    KeywordRow{"solid",       1, Reach::Once,       [](const Call&) { settings().transparent = false; }},
    KeywordRow{"monitor",     2, Reach::Once,       selectMonitors},
    KeywordRow{"desktop",     2, Reach::Once,       selectMonitors},
    KeywordRow{"frame",       1, Reach::Once,       [](const Call&) { DrawFrame(); }},
    KeywordRow{"red",         1, Reach::PerMonitor, namedFill},
    KeywordRow{"green",       1, Reach::PerMonitor, namedFill},
    KeywordRow{"blue",        1, Reach::PerMonitor, namedFill},
    KeywordRow{"pink",        1, Reach::PerMonitor, namedFill},
    KeywordRow{"lime",        1, Reach::PerMonitor, namedFill},
    KeywordRow{"black",       1, Reach::PerMonitor, namedFill},
    KeywordRow{"white",       1, Reach::PerMonitor, namedFill},
    KeywordRow{"grey",        1, Reach::PerMonitor, namedFill},
    KeywordRow{"brown",       1, Reach::PerMonitor, namedFill},
    KeywordRow{"cyan",        1, Reach::PerMonitor, namedFill},
    KeywordRow{"orange",      1, Reach::PerMonitor, namedFill},
    KeywordRow{"color",       2, Reach::PerMonitor, colourFill},
    KeywordRow{"base",        1, Reach::Once,       [](const Call&) { DrawStripes(raster::makeColour(0, 0, 0), raster::makeColour(255, 255, 0), 6, 13); }},
    KeywordRow{"traffic",     1, Reach::Once,       [](const Call&) { DrawStripes(raster::makeColour(255, 255, 255), raster::makeColour(255, 0, 0), 10, 20); }},
    KeywordRow{"drain",       1, Reach::Once,       [](const Call&) { Drain(); }},
    KeywordRow{"blur",        1, Reach::Once,       [](const Call&) { Blur(); }},
    KeywordRow{"dots",        1, Reach::PerMonitor, [](const Call&) { DrawDots(); }},
    KeywordRow{"fade",        1, Reach::PerMonitor, [](const Call&) { DrawFade(); }},
    KeywordRow{"darken",      1, Reach::Once,       [](const Call&) { Darken(); }},
    KeywordRow{"invert",      1, Reach::Once,       [](const Call&) { Invert(); }},
    KeywordRow{"reverse",     1, Reach::Once,       [](const Call&) { settings().textColour ^= 0xFFFFFFu; }},
    KeywordRow{"font",        3, Reach::Once,       setFont},
    KeywordRow{"big",         2, Reach::PerMonitor, [](const Call& c) { DrawBigText(c.argument); }},
    // "text" visits the selected monitors itself, to make its fonts once for all of them.
    KeywordRow{"text",        2, Reach::Once,       [](const Call& c) { DrawTextLines(c.argument); }},
    KeywordRow{"load",        2, Reach::Once,       [](const Call& c) { FitImageFile(c.argument); }},
    KeywordRow{"frompanel",   1, Reach::Once,       fromPanel},
    KeywordRow{"pairs",       2, Reach::Once,       [](const Call& c) { settings().pairs = ParseInteger(c.argument); }},
    KeywordRow{"keep",        1, Reach::Once,       [](const Call&) { settings().keep = true; }},
    KeywordRow{"random",      2, Reach::Once,       [](const Call& c) { LoadRandomImages(c.argument); }},
    KeywordRow{"save",        2, Reach::Once,       saveTarget},
    KeywordRow{"end",         1, Reach::Once,       ignore},
    KeywordRow{"resident",    1, Reach::Once,       [](const Call&) { settings().background = true; }},
    KeywordRow{"background",  1, Reach::Once,       [](const Call&) { settings().background = true; }},
    KeywordRow{"kill",        1, Reach::Once,       [](const Call&) { platform::current().broadcastTerminate(); }},
    KeywordRow{"renew",       2, Reach::Once,       [](const Call& c) { settings().renew = ParseInteger(c.argument); }},
    KeywordRow{"nouser",      2, Reach::Once,       [](const Call& c) { settings().nouser = ParseInteger(c.argument); }},
};
// clang-format on

const KeywordRow* findKeyword(std::string_view keyword) {
    for (const KeywordRow& row : kKeywords) {
        if (row.keyword == keyword) {
            return &row;
        }
    }
    return nullptr;
}

void reject(const std::string& token) {
    Settings& s = settings();
    if (s.silent) {
        return;
    }
    platform::current().messageBox(
        kProductTitle, std::string(kUnrecognizedMessage) + "\r\n\r\n" + MessageExcerpt(token),
        platform::kMbIconError);
    s.errorFlag = true;
}

void runRow(const KeywordRow& row, const Call& call) {
    if (row.reach == Reach::Once) {
        row.run(call);
        return;
    }
    ForEachSelectedMonitor([&](int32_t index) {
        state().monitor.currentMonitor = index;
        row.run(call);
    });
}

}  // namespace

void Interpret() {
    Settings& s = settings();
    s.silent = false;
    s.transparent = false;
    s.errorFlag = false;
    s.textColour = 0xFFFFFF;
    // Split once: a keyword may not rewrite the command string, and a long one would cost a
    // scan from its start for every token.
    const std::string command = s.commandString;
    const std::vector<std::string_view> tokens = SplitTokens(command);
    s.tokenCount = static_cast<int32_t>(tokens.size());
    if (s.tokenCount == 0) {
        return;
    }

    if (!NewMutedCanvas()) {
        return;
    }

    s.monitorSelection = -1;
    SelectMonitor(-1);

    int32_t index = 1;
    bool stop = false;
    do {
        DeriveMonitorRange();
        const std::string keyword = TokenAt(tokens, index, true);
        const std::string argument = TokenAt(tokens, index + 1, true);
        const KeywordRow* row = findKeyword(keyword);
        if (row == nullptr) {
            reject(keyword);
            ++index;
            // "help" belongs to the pre-pass; meeting it here ends the run in any case.
            stop = keyword == "help";
        } else {
            runRow(*row, {keyword, argument, index, tokens});
            index += row->tokens;
            stop = row->keyword == "end";
        }
    } while (index <= s.tokenCount && !stop && !s.errorFlag);

    if (!s.errorFlag) {
        WriteAndInstallWallpaper();
    }
    raster::releaseImage(raster::kCanvasImage);
    raster::releaseImage(raster::kSecondImage);
    raster::releaseImage(raster::kCropImage);
}

}  // namespace drape
