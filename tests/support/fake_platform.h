// An in-memory platform for tests: scripted monitors, addresses, clock, registry and events,
// real files in a private temporary folder, and a record of every call a test may assert on.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/fake_controls.h"

namespace drape::test {

// One object plays every concern and hands itself to its `Platform` for each; the concern
// bases come first, so they exist before the `Platform` part refers to them.
class FakePlatform : public platform::System,
                     public platform::Registry,
                     public platform::Desktop,
                     public platform::Drawing,
                     public platform::Windowing,
                     public platform::Platform {
  public:
    struct WallpaperCall {
        std::string path;
        uint32_t flags = 0;
        std::string contents;  // the file as it was when the call was made
    };
    struct MessageBoxCall {
        std::string caption;
        std::string text;
        uint32_t flags = 0;
    };

    FakePlatform();
    ~FakePlatform() override;
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    // Scripted facts; tests change them between calls.
    std::vector<platform::Monitor> monitors{{0, 0, 1920, 1080, 24}};
    std::string host = "testhost";
    std::vector<uint32_t> addresses;
    std::string user = "tester";
    platform::LocalTime time{2026, 12, 8, 9, 5, 7, 2};
    int osVersion = 100;
    std::string programDir;  // each a folder inside `root`, ending in '/'
    std::string currentDir;
    std::string tempDir;
    std::string root;  // private folder removed with the fake

    // The clock: sleeping advances it, and so does a wait that times out.
    uint32_t tick = 1000;
    uint32_t lastInput = 0;

    // Registry: key paths and value names compare case-insensitively, as on Windows.
    std::map<std::string, std::map<std::string, platform::RegValue>> registry;
    int registryFailure = 0;  // when not 0, every write fails with this status

    // Wallpaper state and the record of set calls.
    std::string shownWallpaper;
    std::vector<WallpaperCall> wallpaperCalls;
    uint32_t wallpaperSetMs = 0;  // how far each set call advances the clock
    // How the system spells the installed path when asked, e.g. in other letter case.
    std::function<std::string(const std::string&)> reportWallpaperAs;

    std::vector<MessageBoxCall> messageBoxes;
    int broadcasts = 0;
    int broadcastDeliveries = 2;  // Terminate events per broadcast while the window is open
    bool windowOpen = false;
    // Every open ("open " + title) and close of the program window, in order.
    std::vector<std::string> programWindowCalls;
    std::deque<platform::Event> events;  // delivered before time-outs
    FakeControls ui;                     // windows with controls
    // What a user does in the windows: each change of the controls is made as its event is
    // delivered, before the scripted `events`.
    struct UserAction {
        std::function<void(FakeControls&)> change;
        platform::Event event;
    };
    std::deque<UserAction> userActions;
    int foreverWaitsRunDry = 0;  // waits without time-out that found no event
    // When the queue is empty: after this many time-outs a close request comes (-1: never).
    int timeoutsBeforeClose = -1;
    bool closeDelivered = false;

    // Fonts: a rasteriser whose coverage tests control. Every character is a cell
    // `glyphAdvance(font)` wide and the font's pixel height high (a bold font one pixel wider);
    // inside it, the box `glyphInset` pixels in from each side has coverage `glyphCoverage`
    // (red, green, blue), the rest 0.
    struct FakeFont {
        platform::FontRequest request;
    };
    std::map<platform::FontId, FakeFont> fonts;
    platform::FontId nextFont = 1;
    int dpiY = 96;
    // Whether the stretch is the row-fed area resample (a system stretch needs whole images).
    bool halftoneByArea = true;
    int glyphInset = 1;
    uint8_t glyphCoverage[3] = {255, 128, 64};
    std::vector<platform::FontRequest> fontRequests;  // every createFont, in order
    struct TextRender {
        platform::FontId font = 0;
        std::string text;
        int x = 0;
    };
    std::vector<TextRender> textRenders;  // every renderText, in order
    int glyphAdvance(platform::FontId font) const;

    // Shell: shortcuts are recorded, the desktop is a folder inside `root`.
    std::string desktopDir;
    std::vector<platform::ShortcutLink> shortcuts;

    // Page viewer: inputs are scripted; what was shown is recorded.
    bool viewerAvailable = true;
    std::deque<platform::ViewerInput> viewerInputs;  // Close when it runs dry
    struct ViewerPage {
        std::string text;
        int number = 0;
        int count = 0;
    };
    std::vector<ViewerPage> viewerPages;
    std::string viewerTitle;
    int viewerLinesPerPage = 0;
    bool viewerOpen = false;
    std::string printed;              // everything printText wrote
    std::vector<std::string> errors;  // every reportError line
    bool graphicalDisplay = false;
    size_t advisedBytes = 0;  // the sizes of every adviseLargePages, added up

    // Helpers for tests.
    static uint32_t address(int a, int b, int c, int d);
    void setString(const std::string& key, const std::string& name, const std::string& text);
    std::string stringValue(const std::string& key, const std::string& name) const;
    bool hasValue(const std::string& key, const std::string& name) const;

    // The concerns
    std::vector<platform::Monitor> enumerateMonitors() override { return monitors; }
    std::string hostName() override { return host; }
    std::vector<uint32_t> ipv4Addresses() override { return addresses; }
    std::string userName() override { return user; }
    platform::LocalTime localTime() override { return time; }
    int osVersionCode() override { return osVersion; }
    std::string programPath() override { return programDir + "drape"; }
    std::string programFolder() override { return programDir; }
    std::string currentFolder() override { return currentDir; }
    std::string tempFolder() override { return tempDir; }
    int64_t fileSize(const std::string& path) override;
    std::optional<std::string> readFile(const std::string& path, size_t maxBytes) override;
    std::unique_ptr<platform::OutputFile> createFile(const std::string& path) override;
    bool copyFile(const std::string& from, const std::string& to) override;
    bool deleteFile(const std::string& path) override;
    std::vector<std::string> listFiles(const std::string& folder) override;
    int regOpenKey(uint32_t root, const std::string& keyPath) override;
    int regQueryValue(uint32_t root, const std::string& keyPath, const std::string& name,
                      size_t maxBytes, platform::RegValue& out) override;
    int regCreateKey(uint32_t root, const std::string& keyPath) override;
    int regSetValue(uint32_t root, const std::string& keyPath, const std::string& name,
                    const platform::RegValue& value) override;
    int regDeleteValue(uint32_t root, const std::string& keyPath, const std::string& name) override;
    bool setWallpaper(const std::string& path, uint32_t flags) override;
    std::string wallpaper() override {
        return reportWallpaperAs ? reportWallpaperAs(shownWallpaper) : shownWallpaper;
    }
    uint32_t tickCount() override { return tick; }
    void sleepMs(uint32_t ms) override { tick += ms; }
    uint32_t lastInputTick() override { return lastInput; }
    void messageBox(const std::string& caption, const std::string& text, uint32_t flags) override;
    bool openProgramWindow(const std::string& title) override;
    void closeProgramWindow() override;
    void broadcastTerminate() override;
    void setBroadcastDeliveries(int deliveries) override { broadcastDeliveries = deliveries; }
    platform::Event waitEvent(uint32_t timeoutMs) override;
    void stretchHalftone(const platform::PixelView& source,
                         const platform::MutablePixelView& target) override;
    bool halftoneIsAreaResample() override { return halftoneByArea; }
    int displayDpiY() override { return dpiY; }
    platform::FontId createFont(const platform::FontRequest& request) override;
    void destroyFont(platform::FontId font) override { fonts.erase(font); }
    platform::TextExtent measureText(platform::FontId font, const std::string& text) override;
    void renderText(platform::FontId font, const std::string& text, int x,
                    const platform::MutablePixelView& coverage) override;
    std::string desktopFolder() override { return desktopDir; }
    bool createShortcut(const platform::ShortcutLink& shortcut) override;
    bool openViewer(const std::string& title, int linesPerPage) override;
    void showViewerPage(const std::string& page, int number, int count) override {
        viewerPages.push_back({page, number, count});
    }
    platform::ViewerInput waitViewerInput() override;
    void closeViewer() override { viewerOpen = false; }
    void printText(const std::string& text) override { printed += text; }
    void reportError(const std::string& line) override { errors.push_back(line); }
    bool hasGraphicalDisplay() override { return graphicalDisplay; }
    void adviseLargePages(void*, size_t bytes) override { advisedBytes += bytes; }
    char pathSeparator() const override { return '/'; }
};

// UTF-16LE bytes with a terminating zero, as Windows stores a REG_SZ value.
std::vector<uint8_t> utf16Bytes(const std::string& ascii);

}  // namespace drape::test
