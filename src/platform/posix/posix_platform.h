// The posix (Linux) backend of `Platform`. The members are implemented one concern per file:
// posix_monitors.cpp, posix_facts.cpp, posix_files.cpp, posix_registry.cpp,
// posix_wallpaper.cpp, posix_time.cpp and posix_instances.cpp.
#pragma once

#include <termios.h>

#include <functional>
#include <optional>
#include <set>
#include <string>

#include "platform/platform.h"
#include "platform/posix/posix_x11.h"
#include "platform/posix/posix_x11_root.h"

namespace drape::platform::posix {

struct Hive;

// Receives each problem the backend notices, as one line without "drape: " and newline.
using Reporter = std::function<void(const std::string& line)>;

class PosixPlatform final : public Platform {
  public:
    PosixPlatform();
    ~PosixPlatform() override;
    PosixPlatform(const PosixPlatform&) = delete;
    PosixPlatform& operator=(const PosixPlatform&) = delete;

    // Problems go to stderr as "drape: <line>" unless a test routes them elsewhere.
    void setReporter(Reporter reporter);

    std::vector<Monitor> enumerateMonitors() override;

    std::string hostName() override;
    std::vector<uint32_t> ipv4Addresses() override;
    std::string userName() override;
    LocalTime localTime() override;
    int osVersionCode() override;
    std::string programPath() override;
    std::string programFolder() override;
    std::string currentFolder() override;
    std::string tempFolder() override;

    int64_t fileSize(const std::string& path) override;
    std::optional<std::string> readFile(const std::string& path, size_t maxBytes) override;
    std::unique_ptr<OutputFile> createFile(const std::string& path) override;
    bool copyFile(const std::string& from, const std::string& to) override;
    bool deleteFile(const std::string& path) override;
    std::vector<std::string> listFiles(const std::string& folder) override;

    int regOpenKey(uint32_t root, const std::string& keyPath) override;
    int regQueryValue(uint32_t root, const std::string& keyPath, const std::string& name,
                      size_t maxBytes, RegValue& out) override;
    int regCreateKey(uint32_t root, const std::string& keyPath) override;
    int regSetValue(uint32_t root, const std::string& keyPath, const std::string& name,
                    const RegValue& value) override;
    int regDeleteValue(uint32_t root, const std::string& keyPath, const std::string& name) override;

    bool setWallpaper(const std::string& path, uint32_t flags) override;
    std::string wallpaper() override;

    uint32_t tickCount() override;
    void sleepMs(uint32_t ms) override;
    uint32_t lastInputTick() override;

    void messageBox(const std::string& caption, const std::string& text, uint32_t flags) override;
    bool openProgramWindow(const std::string& title) override;
    void closeProgramWindow() override;
    void broadcastTerminate() override;
    Event waitEvent(uint32_t timeoutMs) override;

    void stretchHalftone(const PixelView& source, const MutablePixelView& target) override;
    int displayDpiY() override;
    FontId createFont(const FontRequest& request) override;
    void destroyFont(FontId font) override;
    TextExtent measureText(FontId font, const std::string& text) override;
    void renderText(FontId font, const std::string& text, int x,
                    const MutablePixelView& coverage) override;

    std::string desktopFolder() override;
    bool createShortcut(const ShortcutLink& shortcut) override;
    bool openViewer(const std::string& title, int linesPerPage) override;
    void showViewerPage(const std::string& page, int number, int count) override;
    ViewerInput waitViewerInput() override;
    void closeViewer() override;
    void printText(const std::string& text) override;
    void reportError(const std::string& line) override;
    bool hasGraphicalDisplay() override;

    char pathSeparator() const override { return '/'; }

  private:
    void report(const std::string& line);

    // Registry: the hive as it is on disk (empty when missing or unreadable as a hive), and
    // the locked read-modify-write through which every change goes.
    enum class HiveRead { Ok, Corrupt, Failed };
    HiveRead loadHive(Hive& hive);
    int changeHive(const std::function<int(Hive&, bool& changed)>& change);
    std::string runtimeFolderOrReport();

    // Puts the picture of a wallpaper being set on the desktop: the X root window when a display
    // is reachable, GNOME's background setting in a GNOME session. `ok` is false when one of
    // them could not take it; `root` is what went onto the root window.
    struct DesktopShow {
        RootBackground root;
        bool ok = true;
    };
    DesktopShow showOnDesktop(const std::string& path);
    // Each distinct problem with showing wallpapers is told once, not at every renewal.
    void reportDesktopProblem(const std::string& line);

    Reporter reporter_;
    std::string lastMonitorProblem_;  // told once, not at every enumeration
    bool hiveProblemReported_ = false;
    bool runtimeProblemReported_ = false;

    bool viewerOpen_ = false;
    std::string viewerTitle_;
    termios savedTerminal_{};
    bool displayChecked_ = false;
    bool graphicalDisplay_ = false;
    std::optional<int> displayDpi_;  // the display's vertical dots per inch, once read

    int windowSocket_ = -1;
    std::string windowSocketPath_;
    int pendingTerminates_ = 0;

    // The X connection for the checks the resident loop makes every second.
    XConnection x11_;
    std::set<std::string> desktopProblemsTold_;
    // The picture this instance showed last; `keep` sets the same file twice in a row.
    size_t shownHash_ = 0;
    std::string shownPath_;
    RootBackground shownRoot_;
};

}  // namespace drape::platform::posix
