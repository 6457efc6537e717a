// Concerns that a backend does not have (yet): every call fails the way its interface
// documents for an OS that cannot do it, so a new backend starts from these, replaces one
// concern at a time, and links from the first day.
#pragma once

#include "platform/platform.h"

namespace drape::platform {

// No facts (empty strings, no addresses, time and version 0), no files (size -1, nothing read,
// nothing created, copied, deleted or listed), a clock that stands at 0 and does not sleep,
// output that goes nowhere, no memory advice, and '/' between folders.
class UnavailableSystem : public System {
  public:
    std::string hostName() override { return {}; }
    std::vector<uint32_t> ipv4Addresses() override { return {}; }
    std::string userName() override { return {}; }
    LocalTime localTime() override { return {}; }
    int osVersionCode() override { return 0; }
    std::string programPath() override { return {}; }
    std::string programFolder() override { return {}; }
    std::string currentFolder() override { return {}; }
    std::string tempFolder() override { return {}; }

    int64_t fileSize(const std::string&) override { return -1; }
    std::optional<std::string> readFile(const std::string&, size_t) override {
        return std::nullopt;
    }
    std::unique_ptr<OutputFile> createFile(const std::string&) override { return nullptr; }
    bool copyFile(const std::string&, const std::string&) override { return false; }
    bool deleteFile(const std::string&) override { return false; }
    std::vector<std::string> listFiles(const std::string&) override { return {}; }

    uint32_t tickCount() override { return 0; }
    void sleepMs(uint32_t) override {}
    uint32_t lastInputTick() override { return 0; }

    void printText(const std::string&) override {}
    void reportError(const std::string&) override {}
    void adviseLargePages(void*, size_t) override {}
    char pathSeparator() const override { return '/'; }
};

// A registry without keys that refuses changes: reads give kRegFileNotFound, writes
// kRegAccessDenied.
class UnavailableRegistry : public Registry {
  public:
    int regOpenKey(uint32_t, const std::string&) override { return kRegFileNotFound; }
    int regQueryValue(uint32_t, const std::string&, const std::string&, size_t,
                      RegValue&) override {
        return kRegFileNotFound;
    }
    int regCreateKey(uint32_t, const std::string&) override { return kRegAccessDenied; }
    int regSetValue(uint32_t, const std::string&, const std::string&, const RegValue&) override {
        return kRegAccessDenied;
    }
    int regDeleteValue(uint32_t, const std::string&, const std::string&) override {
        return kRegAccessDenied;
    }
};

// No monitors, a wallpaper that cannot be set and reads as none, no desktop folder, no
// shortcuts.
class UnavailableDesktop : public Desktop {
  public:
    std::vector<Monitor> enumerateMonitors() override { return {}; }
    bool setWallpaper(const std::string&, uint32_t) override { return false; }
    std::string wallpaper() override { return {}; }
    std::string desktopFolder() override { return {}; }
    bool createShortcut(const ShortcutLink&) override { return false; }
};

// No stretch (the target keeps its pixels), 96 dots per inch, no fonts (0), so nothing to
// measure or draw.
class UnavailableDrawing : public Drawing {
  public:
    void stretchHalftone(const PixelView&, const MutablePixelView&) override {}
    bool halftoneIsAreaResample() override { return false; }
    int displayDpiY() override { return 96; }
    FontId createFont(const FontRequest&) override { return 0; }
    void destroyFont(FontId) override {}
    TextExtent measureText(FontId, const std::string&) override { return {}; }
    void renderText(FontId, const std::string&, int, const MutablePixelView&) override {}
};

// No windows: message boxes are dropped, the program window and the page viewer do not open,
// broadcasts reach no one, a wait ends at once with no event (EventKind::None), and there is
// no graphical display.
class UnavailableWindowing : public Windowing {
  public:
    void messageBox(const std::string&, const std::string&, uint32_t) override {}
    bool openProgramWindow(const std::string&) override { return false; }
    void closeProgramWindow() override {}
    void broadcastTerminate() override {}
    void setBroadcastDeliveries(int) override {}
    Event waitEvent(uint32_t) override { return {}; }
    bool openViewer(const std::string&, int) override { return false; }
    void showViewerPage(const std::string&, int, int) override {}
    ViewerInput waitViewerInput() override { return ViewerInput::Close; }
    void closeViewer() override {}
    bool hasGraphicalDisplay() override { return false; }
};

// No controls: windows do not open, choosers are cancelled and the clipboard keeps nothing.
class UnavailableControls : public Controls {
  public:
    WindowId openWindow(const WindowSpec&, const std::vector<ControlSpec>&) override { return 0; }
    void closeWindow(WindowId) override {}
    void showWindow(WindowId, bool) override {}
    void requestClose(WindowId) override {}
    std::string controlText(int) override { return {}; }
    void setControlText(int, const std::string&) override {}
    bool ticked(int) override { return false; }
    void setTicked(int, bool) override {}
    int listIndex(int) override { return -1; }
    void setListIndex(int, int) override {}
    void setEnabled(int, bool) override {}
    void setVisible(int, bool) override {}
    std::string chooseFile(const std::string&, const std::string&) override { return {}; }
    std::string chooseFolder(const std::string&) override { return {}; }
    void setClipboardText(const std::string&) override {}
};

}  // namespace drape::platform
