// The one interface between Drape and the operating system.
//
// Everything above src/platform talks to the OS only through `Platform`. Each backend
// (posix now, win32 later) implements its concerns and assembles them into a `Platform`; tests
// drive whole runs through an in-memory fake. No OS type appears here: paths and texts are UTF-8
// `std::string`, registry data is the raw byte form that Windows stores (strings as UTF-16LE),
// ticks are 32-bit milliseconds.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/controls.h"

namespace drape::platform {

// One display as the OS reports it, in desktop coordinates (primary at (0, 0)).
struct Monitor {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t depth = 0;
    bool operator==(const Monitor&) const = default;
};

// Broken-down local time, to the second.
struct LocalTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 0;  // 0 = Sunday
};

// Registry roots and value types carry their Windows numbers so that stored values and
// status codes mean the same on every backend.
inline constexpr uint32_t kHkeyCurrentUser = 0x80000001u;

enum class RegType : uint32_t {
    None = 0,
    Sz = 1,
    ExpandSz = 2,
    Binary = 3,
    Dword = 4,
    DwordBigEndian = 5,
    Link = 6,
    MultiSz = 7,
    Qword = 11,
};

struct RegValue {
    RegType type = RegType::None;
    std::vector<uint8_t> data;  // exactly as Windows stores it
};

// Status codes of the raw registry calls, Windows numbering.
inline constexpr int kRegSuccess = 0;
inline constexpr int kRegFileNotFound = 2;
inline constexpr int kRegAccessDenied = 5;
inline constexpr int kRegInvalidData = 13;
inline constexpr int kRegMoreData = 234;

// Flags of the wallpaper set call (SystemParametersInfo).
inline constexpr uint32_t kSpifUpdateIniFile = 1;
inline constexpr uint32_t kSpifSendWinIniChange = 2;

// Message box flags.
inline constexpr uint32_t kMbOk = 0;
inline constexpr uint32_t kMbIconError = 0x10;

// What the event wait of the program window delivered.
enum class EventKind {
    None,       // the time-out ran out
    Terminate,  // one delivery of the inter-instance terminate broadcast
    Control,    // a control acted (see `controlId`)
    Close,      // a window is asked to close (see `window`; 0 the program window)
    Key,        // a key of a window that reports keys (see `key`)
    Other,      // anything else the window saw (painting, mouse movement)
};

struct Event {
    EventKind kind = EventKind::None;
    int controlId = 0;
    WindowId window = 0;
    Key key = Key::Return;
};

// A wait that ends only with an event.
inline constexpr uint32_t kWaitForever = 0xFFFFFFFFu;

// 24-bit pixels handed across the interface: rows top first, bytes blue, green, red.
struct PixelView {
    int width = 0;
    int height = 0;
    size_t stride = 0;
    const uint8_t* pixels = nullptr;
};
struct MutablePixelView {
    int width = 0;
    int height = 0;
    size_t stride = 0;
    uint8_t* pixels = nullptr;
};

// What a font is made from. The height is the character (em) height in pixels.
struct FontRequest {
    std::string face;
    int pixelHeight = 0;
    int weight = 400;  // 700 for bold
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool highQuality = false;  // anti-aliased coverage
};

using FontId = uint32_t;  // 0 = no font

struct TextExtent {
    int width = 0;   // advance width of the whole string (plus any italic overhang)
    int height = 0;  // cell height: ascent + descent
};

// A desktop shortcut that starts a program with arguments.
struct ShortcutLink {
    std::string target;    // the program
    std::string linkPath;  // where the link goes, without the platform's extension
    std::string arguments;
    std::string description;
    std::string workingFolder;
    std::string iconFile;
    int iconIndex = 0;
};

// What the user asked of the page viewer.
enum class ViewerInput { Close, NextPage, PreviousPage };

// A file being written. The file appears under its name only when `close` succeeds; a file
// that fails or is dropped without closing leaves whatever was there before untouched.
class OutputFile {
  public:
    virtual ~OutputFile() = default;
    // False on a short write; later writes then fail too.
    virtual bool write(const void* data, size_t size) = 0;
    // Flushes, closes and puts the file in place; false when anything failed on the way.
    virtual bool close() = 0;
};

// The operating system's services come in five concerns, each a small interface that a backend
// implements on its own, so that a new backend can start from the Unavailable* parts
// (platform/unavailable.h) and fill in one concern at a time.

// Facts about the machine, folders, files, the clock, plain output and memory advice.
class System {
  public:
    virtual ~System() = default;

    virtual std::string hostName() = 0;
    // IPv4 addresses of the host in enumeration order, loopback left out, each in network
    // byte order as it lies in memory (first octet in the lowest byte).
    virtual std::vector<uint32_t> ipv4Addresses() = 0;
    virtual std::string userName() = 0;
    virtual LocalTime localTime() = 0;
    virtual int osVersionCode() = 0;

    // The program file's full path; empty when unknown.
    virtual std::string programPath() = 0;
    // Folders, each a full path ending in the platform's separator; empty when unknown.
    virtual std::string programFolder() = 0;
    virtual std::string currentFolder() = 0;
    virtual std::string tempFolder() = 0;

    // Size in bytes; negative for a missing file or a folder.
    virtual int64_t fileSize(const std::string& path) = 0;
    // Reads a whole regular file; nullopt when it cannot be opened or read in one piece, or is
    // larger than `maxBytes`.
    virtual std::optional<std::string> readFile(const std::string& path, size_t maxBytes) = 0;
    // Starts writing a new file that replaces `path`; nullptr when it cannot be created.
    virtual std::unique_ptr<OutputFile> createFile(const std::string& path) = 0;
    virtual bool copyFile(const std::string& from, const std::string& to) = 0;
    virtual bool deleteFile(const std::string& path) = 0;
    // Names (not paths) of the regular files directly inside `folder`, in the OS's order.
    virtual std::vector<std::string> listFiles(const std::string& folder) = 0;

    virtual uint32_t tickCount() = 0;
    virtual void sleepMs(uint32_t ms) = 0;
    // Tick of the user's last keyboard or mouse input.
    virtual uint32_t lastInputTick() = 0;

    // Writes text where the user reads the program's output (standard output on posix).
    virtual void printText(const std::string& text) = 0;
    // One line about a problem that no message box reports (standard error on posix).
    virtual void reportError(const std::string& line) = 0;

    // Asks the OS to back a large, freshly reserved buffer with large pages where it can:
    // faulting in a photograph's tens of megabytes 4 KiB at a time costs as much as decoding a
    // third of it. Only advice: the buffer's contents never change, and an OS without such
    // advice does nothing.
    virtual void adviseLargePages(void* data, size_t bytes) = 0;

    // Character that separates folders in paths built by the program.
    virtual char pathSeparator() const = 0;
};

// The registry (HKEY_CURRENT_USER only on posix). Each call opens and closes the key itself.
// Results are Windows status codes.
class Registry {
  public:
    virtual ~Registry() = default;

    virtual int regOpenKey(uint32_t root, const std::string& keyPath) = 0;
    // `maxBytes` is the caller's buffer: a larger value fails with kRegMoreData.
    virtual int regQueryValue(uint32_t root, const std::string& keyPath, const std::string& name,
                              size_t maxBytes, RegValue& out) = 0;
    virtual int regCreateKey(uint32_t root, const std::string& keyPath) = 0;
    virtual int regSetValue(uint32_t root, const std::string& keyPath, const std::string& name,
                            const RegValue& value) = 0;
    virtual int regDeleteValue(uint32_t root, const std::string& keyPath,
                               const std::string& name) = 0;
};

// The monitors, the wallpaper and the user's desktop folder with its shortcuts.
class Desktop {
  public:
    virtual ~Desktop() = default;

    // Attached monitors, primary first. May be empty when no display can be enumerated.
    virtual std::vector<Monitor> enumerateMonitors() = 0;

    // SPI_SETDESKWALLPAPER with the given flags; true when the OS accepted it.
    virtual bool setWallpaper(const std::string& path, uint32_t flags) = 0;
    // SPI_GETDESKWALLPAPER: the path the desktop shows, empty when none.
    virtual std::string wallpaper() = 0;

    // The user's desktop folder, ending in the separator; empty when there is none.
    virtual std::string desktopFolder() = 0;
    // Writes the shortcut (adding the platform's extension to its path); false on failure.
    virtual bool createShortcut(const ShortcutLink& shortcut) = 0;
};

// Drawing services: the desktop's stretch, the display's resolution and text in system fonts.
class Drawing {
  public:
    virtual ~Drawing() = default;

    // Resamples a 24-bit image to the target's size the way the desktop's halftone stretch
    // does: averaging when shrinking, smooth when enlarging, a plain copy at the same size.
    virtual void stretchHalftone(const PixelView& source, const MutablePixelView& target) = 0;
    // Whether `stretchHalftone` gives exactly the bytes of `areaResample`, which can then be fed
    // a row at a time instead (a system stretch needs the whole source).
    virtual bool halftoneIsAreaResample() = 0;
    // Vertical dots per inch of the display (96 without one).
    virtual int displayDpiY() = 0;
    // A font for the request; a face the system lacks gives its substitute. 0 on failure.
    virtual FontId createFont(const FontRequest& request) = 0;
    virtual void destroyFont(FontId font) = 0;
    virtual TextExtent measureText(FontId font, const std::string& text) = 0;
    // Draws `text` white on black into `coverage` with the cell's top-left at (x, 0), clipped
    // to the buffer; each channel is that channel's coverage 0..255.
    virtual void renderText(FontId font, const std::string& text, int x,
                            const MutablePixelView& coverage) = 0;
};

// Windows and events: message boxes, the program window with the instances' broadcast, the
// page viewer.
class Windowing {
  public:
    virtual ~Windowing() = default;

    // Modal box with one OK button; returns when it is dismissed.
    virtual void messageBox(const std::string& caption, const std::string& text,
                            uint32_t flags) = 0;
    // Opens the program's invisible window, through which the instance receives the
    // terminate broadcast and window events; false when it cannot be opened.
    virtual bool openProgramWindow(const std::string& title) = 0;
    virtual void closeProgramWindow() = 0;
    // Posts the terminate message to every instance's windows, this one's included.
    virtual void broadcastTerminate() = 0;
    // How many Terminate events each broadcast gives this instance while its program window is
    // open: 2 as drape's two top-level windows hear it (the default), 1 for drape98, which
    // owns one window.
    virtual void setBroadcastDeliveries(int deliveries) = 0;
    // Waits for the next window event, at most `timeoutMs`.
    virtual Event waitEvent(uint32_t timeoutMs) = 0;

    // Opens the modal page viewer; false when no interactive display can show one.
    virtual bool openViewer(const std::string& title, int linesPerPage) = 0;
    // Shows page `number` of `count`; "previous" is off on the first page, "next" on the last.
    virtual void showViewerPage(const std::string& page, int number, int count) = 0;
    virtual ViewerInput waitViewerInput() = 0;
    virtual void closeViewer() = 0;
    // True when the settings window can be shown (a graphical display is reachable).
    virtual bool hasGraphicalDisplay() = 0;
};

// What the program talks to: one backend's five concerns under one name. The concerns belong
// to whoever assembles the platform and must outlive it.
class Platform {
  public:
    Platform(System& system, Registry& registry, Desktop& desktop, Drawing& drawing,
             Windowing& windowing, Controls& controls)
        : system_(system),
          registry_(registry),
          desktop_(desktop),
          drawing_(drawing),
          windowing_(windowing),
          controls_(controls) {}
    virtual ~Platform() = default;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    System& system() const { return system_; }
    Registry& registry() const { return registry_; }
    Desktop& desktop() const { return desktop_; }
    Drawing& drawing() const { return drawing_; }
    Windowing& windowing() const { return windowing_; }
    // Windows with controls (controls.h), which share `waitEvent` with the program window.
    Controls& controls() const { return controls_; }

    // The calls of each concern under the platform's name, as the program makes them.
    std::vector<Monitor> enumerateMonitors() { return desktop_.enumerateMonitors(); }

    std::string hostName() { return system_.hostName(); }
    std::vector<uint32_t> ipv4Addresses() { return system_.ipv4Addresses(); }
    std::string userName() { return system_.userName(); }
    LocalTime localTime() { return system_.localTime(); }
    int osVersionCode() { return system_.osVersionCode(); }
    std::string programPath() { return system_.programPath(); }
    std::string programFolder() { return system_.programFolder(); }
    std::string currentFolder() { return system_.currentFolder(); }
    std::string tempFolder() { return system_.tempFolder(); }

    int64_t fileSize(const std::string& path) { return system_.fileSize(path); }
    std::optional<std::string> readFile(const std::string& path, size_t maxBytes) {
        return system_.readFile(path, maxBytes);
    }
    std::unique_ptr<OutputFile> createFile(const std::string& path) {
        return system_.createFile(path);
    }
    bool copyFile(const std::string& from, const std::string& to) {
        return system_.copyFile(from, to);
    }
    bool deleteFile(const std::string& path) { return system_.deleteFile(path); }
    std::vector<std::string> listFiles(const std::string& folder) {
        return system_.listFiles(folder);
    }

    int regOpenKey(uint32_t root, const std::string& keyPath) {
        return registry_.regOpenKey(root, keyPath);
    }
    int regQueryValue(uint32_t root, const std::string& keyPath, const std::string& name,
                      size_t maxBytes, RegValue& out) {
        return registry_.regQueryValue(root, keyPath, name, maxBytes, out);
    }
    int regCreateKey(uint32_t root, const std::string& keyPath) {
        return registry_.regCreateKey(root, keyPath);
    }
    int regSetValue(uint32_t root, const std::string& keyPath, const std::string& name,
                    const RegValue& value) {
        return registry_.regSetValue(root, keyPath, name, value);
    }
    int regDeleteValue(uint32_t root, const std::string& keyPath, const std::string& name) {
        return registry_.regDeleteValue(root, keyPath, name);
    }

    bool setWallpaper(const std::string& path, uint32_t flags) {
        return desktop_.setWallpaper(path, flags);
    }
    std::string wallpaper() { return desktop_.wallpaper(); }

    uint32_t tickCount() { return system_.tickCount(); }
    void sleepMs(uint32_t ms) { system_.sleepMs(ms); }
    uint32_t lastInputTick() { return system_.lastInputTick(); }

    void messageBox(const std::string& caption, const std::string& text, uint32_t flags) {
        windowing_.messageBox(caption, text, flags);
    }
    bool openProgramWindow(const std::string& title) { return windowing_.openProgramWindow(title); }
    void closeProgramWindow() { windowing_.closeProgramWindow(); }
    void broadcastTerminate() { windowing_.broadcastTerminate(); }
    void setBroadcastDeliveries(int deliveries) { windowing_.setBroadcastDeliveries(deliveries); }
    Event waitEvent(uint32_t timeoutMs) { return windowing_.waitEvent(timeoutMs); }

    void stretchHalftone(const PixelView& source, const MutablePixelView& target) {
        drawing_.stretchHalftone(source, target);
    }
    bool halftoneIsAreaResample() { return drawing_.halftoneIsAreaResample(); }
    int displayDpiY() { return drawing_.displayDpiY(); }
    FontId createFont(const FontRequest& request) { return drawing_.createFont(request); }
    void destroyFont(FontId font) { drawing_.destroyFont(font); }
    TextExtent measureText(FontId font, const std::string& text) {
        return drawing_.measureText(font, text);
    }
    void renderText(FontId font, const std::string& text, int x, const MutablePixelView& coverage) {
        drawing_.renderText(font, text, x, coverage);
    }

    std::string desktopFolder() { return desktop_.desktopFolder(); }
    bool createShortcut(const ShortcutLink& shortcut) { return desktop_.createShortcut(shortcut); }

    bool openViewer(const std::string& title, int linesPerPage) {
        return windowing_.openViewer(title, linesPerPage);
    }
    void showViewerPage(const std::string& page, int number, int count) {
        windowing_.showViewerPage(page, number, count);
    }
    ViewerInput waitViewerInput() { return windowing_.waitViewerInput(); }
    void closeViewer() { windowing_.closeViewer(); }
    void printText(const std::string& text) { system_.printText(text); }
    void reportError(const std::string& line) { system_.reportError(line); }
    bool hasGraphicalDisplay() { return windowing_.hasGraphicalDisplay(); }

    void adviseLargePages(void* data, size_t bytes) { system_.adviseLargePages(data, bytes); }
    char pathSeparator() const { return system_.pathSeparator(); }

  private:
    System& system_;
    Registry& registry_;
    Desktop& desktop_;
    Drawing& drawing_;
    Windowing& windowing_;
    Controls& controls_;
};

// The platform the program runs on. Set once by main (or by a test) before anything else.
Platform& current();
// The installed platform, or nullptr before one is installed (code that tests run without a
// platform, such as the raster layer's, checks here before asking for advice).
Platform* currentOrNull();
void setCurrent(Platform* platform);

// Creates the backend for the OS this binary was built for.
std::unique_ptr<Platform> createNative();

// The program's arguments after its own name, as UTF-8, the way the OS this binary was built
// for hands them over. Needs no platform installed.
std::vector<std::string> programArguments(int argc, char** argv);

}  // namespace drape::platform
