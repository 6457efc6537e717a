// The posix (Linux) backend: its six concerns and the `PosixPlatform` that assembles them.
// The concerns are implemented one subject per file, named by what the file talks to:
// posix_* plain POSIX and Linux, x11_* the X server, gnome_* GNOME's settings, fltk_* the
// windows with controls drawn by FLTK.
#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "platform/platform.h"
#include "platform/posix/fltk_controls.h"
#include "platform/posix/x11_connection.h"
#include "platform/posix/x11_root.h"
#include "platform/unavailable.h"

namespace drape::platform::posix {

class Hive;

// Receives each problem the backend notices, as one line without "drape: " and newline.
using Reporter = std::function<void(const std::string& line)>;

// What the concerns of one backend instance share: where problems go, the X connection for
// the checks that the resident loop makes every second, and the per-session runtime folder.
class Shared {
  public:
    // Problems go to stderr as "drape: <line>" unless a test routes them elsewhere.
    void setReporter(Reporter reporter);
    void report(const std::string& line) const;

    // The runtime folder of posix_userdirs.h; its problem is told once, "" when refused.
    std::string runtimeFolderOrReport();

    XConnection& x11() { return x11_; }

  private:
    Reporter reporter_;
    bool runtimeProblemReported_ = false;
    XConnection x11_;
};

// Facts, files, the clock and plain output.
class PosixSystem final : public System {
  public:
    explicit PosixSystem(Shared& shared) : shared_(shared) {}

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

    uint32_t tickCount() override;
    void sleepMs(uint32_t ms) override;
    uint32_t lastInputTick() override;

    void printText(const std::string& text) override;
    void reportError(const std::string& line) override;
    void adviseLargePages(void* data, size_t bytes) override;
    char pathSeparator() const override { return '/'; }

  private:
    Shared& shared_;
    bool tempProblemReported_ = false;
};

// The hive file that stands in for HKEY_CURRENT_USER.
class PosixRegistry final : public Registry {
  public:
    explicit PosixRegistry(Shared& shared) : shared_(shared) {}

    int regOpenKey(uint32_t root, const std::string& keyPath) override;
    int regQueryValue(uint32_t root, const std::string& keyPath, const std::string& name,
                      size_t maxBytes, RegValue& out) override;
    int regCreateKey(uint32_t root, const std::string& keyPath) override;
    int regSetValue(uint32_t root, const std::string& keyPath, const std::string& name,
                    const RegValue& value) override;
    int regDeleteValue(uint32_t root, const std::string& keyPath, const std::string& name) override;

    // The locked read-modify-write through which every change of the hive goes, the
    // desktop's stored wallpaper included. Returns a registry status code.
    int changeHive(const std::function<int(Hive&, bool& changed)>& change);

    // How long a change waits for another process's lock on the hive before it gives up.
    void setLockWaitMs(int ms) { lockWaitMs_ = ms; }

  private:
    // The hive as it is on disk (empty when missing or unreadable as a hive).
    enum class HiveRead { Ok, Corrupt, Failed };
    HiveRead loadHive(Hive& hive);

    // Tells once why the hive could not be saved; a resident instance would say it at every
    // renewal otherwise.
    void reportSaveProblem(const std::string& line);

    Shared& shared_;
    bool hiveProblemReported_ = false;
    bool saveProblemReported_ = false;
    int lockWaitMs_ = 10000;
};

// Monitors, the wallpaper on the X root window and GNOME's background, the desktop folder and
// its launchers.
class PosixDesktop final : public Desktop {
  public:
    PosixDesktop(Shared& shared, PosixRegistry& registry)
        : shared_(shared), x11_(shared.x11()), registry_(registry) {}

    std::vector<Monitor> enumerateMonitors() override;
    bool setWallpaper(const std::string& path, uint32_t flags) override;
    std::string wallpaper() override;
    std::string desktopFolder() override;
    bool createShortcut(const ShortcutLink& shortcut) override;

  private:
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

    Shared& shared_;
    XConnection& x11_;
    PosixRegistry& registry_;
    std::string lastMonitorProblem_;  // told once, not at every enumeration
    std::set<std::string> desktopProblemsTold_;
    // The picture this instance showed last; `keep` sets the same file twice in a row.
    size_t shownHash_ = 0;
    std::string shownPath_;
    RootBackground shownRoot_;
    // What this instance set last, which stands when the session's record cannot be read.
    std::optional<std::string> lastSetPath_;
};

// The portable stretch and text in fontconfig's faces drawn by FreeType.
class PosixDrawing final : public Drawing {
  public:
    explicit PosixDrawing(Shared& shared) : shared_(shared) {}

    void stretchHalftone(const PixelView& source, const MutablePixelView& target) override;
    bool halftoneIsAreaResample() override { return true; }
    int displayDpiY() override;
    FontId createFont(const FontRequest& request) override;
    void destroyFont(FontId font) override;
    TextExtent measureText(FontId font, const std::string& text) override;
    void renderText(FontId font, const std::string& text, int x,
                    const MutablePixelView& coverage) override;

  private:
    Shared& shared_;
    std::optional<int> displayDpi_;  // the display's vertical dots per inch, once read
};

// Instances talking over sockets, the terminal's page viewer, and whether X is there.
class PosixWindowing final : public Windowing {
  public:
    explicit PosixWindowing(Shared& shared) : shared_(shared) {}
    ~PosixWindowing() override;
    PosixWindowing(const PosixWindowing&) = delete;
    PosixWindowing& operator=(const PosixWindowing&) = delete;

    void messageBox(const std::string& caption, const std::string& text, uint32_t flags) override;
    bool openProgramWindow(const std::string& title) override;
    void closeProgramWindow() override;
    void broadcastTerminate() override;
    void setBroadcastDeliveries(int deliveries) override { deliveriesPerBroadcast_ = deliveries; }
    Event waitEvent(uint32_t timeoutMs) override;
    bool openViewer(const std::string& title, int linesPerPage) override;
    void showViewerPage(const std::string& page, int number, int count) override;
    ViewerInput waitViewerInput() override;
    void closeViewer() override;
    bool hasGraphicalDisplay() override;

    // The toolkit whose windows share the wait and which shows graphical message boxes.
    void setToolkit(WindowToolkit* toolkit) { toolkit_ = toolkit; }

  private:
    Shared& shared_;
    WindowToolkit* toolkit_ = nullptr;
    // Draws the part of the viewer's page from `viewerOffset_` that fits the terminal.
    void drawViewerScreen();

    bool viewerOpen_ = false;
    std::string viewerTitle_;
    int viewerRows_ = 0;                    // lines of page text the terminal holds, 0 unknown
    std::vector<std::string> viewerLines_;  // the page shown, by line
    size_t viewerOffset_ = 0;               // its first line on the screen
    int viewerNumber_ = 0;
    int viewerCount_ = 0;
    bool displayChecked_ = false;
    bool graphicalDisplay_ = false;

    // Binds the program window's socket; false when the folder or the socket refuses.
    bool bindWindowSocket();
    // Binds the socket of an open program window that has none, or whose file is gone.
    void bindWhenNeeded();
    void reportSocketProblem(const std::string& line);

    bool windowWanted_ = false;  // the program window is open; its socket may come later
    int windowSocket_ = -1;
    std::string windowSocketPath_;
    std::pair<uint64_t, uint64_t> windowSocketFile_{0, 0};  // device and inode when bound
    // Boot-clock nanoseconds since which this instance hears announcements: its own first
    // announcement, or when it bound its socket before making one.
    uint64_t listeningSince_ = 0;
    bool announced_ = false;
    bool socketProblemReported_ = false;
    int pendingTerminates_ = 0;
    int deliveriesPerBroadcast_ = 2;
};

// The concerns, built before the `Platform` that refers to them.
struct PosixConcerns {
    Shared shared;
    PosixSystem systemPart{shared};
    PosixRegistry registryPart{shared};
    PosixDesktop desktopPart{shared, registryPart};
    PosixDrawing drawingPart{shared};
    PosixWindowing windowingPart{shared};
    // FLTK's controls when the display answers, the unavailable ones otherwise.
    FltkControls controlsPart{windowingPart, drawingPart};
};

class PosixPlatform final : private PosixConcerns, public Platform {
  public:
    PosixPlatform();
    ~PosixPlatform() override = default;

    // Problems go to stderr as "drape: <line>" unless a test routes them elsewhere.
    void setReporter(Reporter reporter) { shared.setReporter(std::move(reporter)); }
    // For tests that hold the hive's lock: how long a change waits for it.
    void setHiveLockWaitMs(int ms) { registryPart.setLockWaitMs(ms); }
};

}  // namespace drape::platform::posix
