// The 8-bit services of the older program, drape98.
//
// drape98 keeps its strings in the system's 8-bit code page and calls the "A" forms of the
// Windows functions, which differ from the wide ones in what they accept and return (a path of
// the code page, a registry string stored as its bytes say, the loader of bitmap files). Each
// backend implements this concern beside the others; on posix the bytes pass through unchanged.
// No OS type appears here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace drape::platform {

// What the platform's bitmap file loader made of a file.
enum class BitmapLoad {
    Loaded,    // `pixels` holds the picture
    Failed,    // the loader exists and did not accept the file
    NoLoader,  // the platform has no loader of its own: the caller decodes the file itself
};

// A loaded bitmap as 24-bit rows, top first, bytes blue, green, red; rows padded to 4 bytes.
struct LoadedBitmap {
    int width = 0;
    int height = 0;
    size_t stride = 0;
    std::vector<uint8_t> pixels;
};

class Narrow {
  public:
    virtual ~Narrow() = default;

    // GetModuleFileNameA: the program file's full path in the code page; empty when unknown.
    virtual std::string programPath() = 0;
    // GetTempPathA, in its long form (GetLongPathNameA) where the system has that function;
    // ends in the separator, empty when unknown.
    virtual std::string tempFolder() = 0;
    // The code page's text as UTF-8 (for the services that take UTF-8) and back. On posix
    // both are the identity.
    virtual std::string toUtf8(const std::string& text) = 0;
    virtual std::string fromUtf8(const std::string& text) = 0;

    // Attached monitors, primary first, through EnumDisplayDevicesA looked up at run time;
    // without it, or when it reports no attached device, one monitor of the screen's size.
    virtual std::vector<Monitor> enumerateMonitors() = 0;

    // RegisterWindowMessageA ("drape - terminate") posted with PostMessageA to every
    // top-level window: the same message the wide program sends and hears.
    virtual void broadcastTerminate() = 0;
    // SystemParametersInfoA (SPI_SETDESKWALLPAPER); true when the OS accepted it.
    virtual bool setWallpaper(const std::string& path, uint32_t flags) = 0;
    // SystemParametersInfoA (SPI_GETDESKWALLPAPER) into a buffer of 255 characters.
    virtual std::string wallpaper() = 0;

    // RegCreateKeyExA with full access, then RegSetValueExA of a REG_SZ value from the first
    // `dataBytes` bytes of `data` (so "1" with 1 byte stores no terminating zero), as Windows
    // stores such a value. Returns the Windows status code.
    virtual int regSetString(uint32_t root, const std::string& keyPath, const std::string& name,
                             const std::string& data, size_t dataBytes) = 0;

    // LoadImageA with LR_LOADFROMFILE and LR_CREATEDIBSECTION, the picture turned into 24 bits.
    virtual BitmapLoad loadBitmapFile(const std::string& path, LoadedBitmap& out) = 0;

    // MessageBoxA: a modal box with one OK button.
    virtual void messageBox(const std::string& caption, const std::string& text,
                            uint32_t flags) = 0;

    // FindFirstFileA / FindNextFileA on folder + pattern ("*.jpg"), matching as the system's
    // listing does it; names (not paths) of the entries that are files, in the system's order.
    virtual std::vector<std::string> listFiles(const std::string& folder,
                                               const std::string& pattern) = 0;
};

// The 8-bit services of the platform the program runs on. Set beside `setCurrent`.
Narrow& currentNarrow();
void setCurrentNarrow(Narrow* narrow);

// Creates the 8-bit concern of the OS this binary was built for; it uses `platform` for what
// the two programs do alike.
std::unique_ptr<Narrow> createNativeNarrow(Platform& platform);

// The arguments after the program's name, as drape98 takes them: on Windows the command line
// (GetCommandLineA) split at runs of blanks, an argument that starts with a double quote
// running to the next one with both quotes dropped; elsewhere argv's bytes as they are.
std::vector<std::string> narrowArguments(int argc, char** argv);

// The split of a whole command line that `narrowArguments` makes on Windows. The program's name
// comes first and is skipped: a quoted name runs to its closing quote, any other to the first
// blank. Blanks and tabs separate arguments; a quote counts only at the start of an argument,
// and a quote left open runs to the end of the line. No backslash escapes.
std::vector<std::string> splitNarrowCommandLine(std::string_view line);

// The bytes that RegSetValueExA reads for `dataBytes`: the first ones of `data`, whose
// terminating zero is the one byte that may be counted beyond its end.
std::string_view countedBytes(const std::string& data, size_t dataBytes);

// A Narrow for a platform whose code page is UTF-8, so that the bytes drape98 holds go to the
// platform's own services unchanged: the posix backend and the tests' fake. Strings stored in
// the registry become UTF-16LE as Windows turns code-page bytes into a REG_SZ value; there is
// no bitmap loader; a subclass says how a listing pattern matches a name.
class PassThroughNarrow : public Narrow {
  public:
    explicit PassThroughNarrow(Platform& platform) : platform_(platform) {}

    std::string programPath() override { return platform_.programPath(); }
    std::string tempFolder() override { return platform_.tempFolder(); }
    std::string toUtf8(const std::string& text) override { return text; }
    std::string fromUtf8(const std::string& text) override { return text; }
    std::vector<Monitor> enumerateMonitors() override { return platform_.enumerateMonitors(); }
    void broadcastTerminate() override { platform_.broadcastTerminate(); }
    bool setWallpaper(const std::string& path, uint32_t flags) override {
        return platform_.setWallpaper(path, flags);
    }
    std::string wallpaper() override { return platform_.wallpaper(); }
    int regSetString(uint32_t root, const std::string& keyPath, const std::string& name,
                     const std::string& data, size_t dataBytes) override;
    BitmapLoad loadBitmapFile(const std::string&, LoadedBitmap&) override {
        return BitmapLoad::NoLoader;
    }
    void messageBox(const std::string& caption, const std::string& text, uint32_t flags) override {
        platform_.messageBox(caption, text, flags);
    }
    // The platform's files in `folder` whose names `pattern` matches, in the platform's order.
    std::vector<std::string> listFiles(const std::string& folder,
                                       const std::string& pattern) override;

  protected:
    virtual bool matchesPattern(const std::string& name, const std::string& pattern) = 0;

  private:
    Platform& platform_;
};

}  // namespace drape::platform
