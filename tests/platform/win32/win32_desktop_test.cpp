// The win32 Desktop concern against the real OS: the monitor table of the test screen
// (1920 x 1080 under Wine), wallpaper installation with the registry values Windows keeps
// beside it, the desktop folder, and shell links read back through the shell.
#include <windows.h>
// After windows.h, which they need.
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <thread>

#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system.h"
#include "win32_scratch.h"

namespace drape::platform {

inline void PrintTo(const Monitor& m, std::ostream* os) {
    *os << "(" << m.x << ", " << m.y << ") " << m.width << "x" << m.height << "x" << m.depth;
}

}  // namespace drape::platform

namespace drape::platform::win32::testing {
namespace {

constexpr const char* kDesktopKey = "Control Panel\\Desktop";

int screenDepth() {
    const HDC screen = GetDC(nullptr);
    const int depth = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return depth;
}

TEST(Win32Monitors, TheTestScreenIsOnePrimaryMonitor) {
    Win32Desktop desktop;
    const std::vector<Monitor> monitors = desktop.enumerateMonitors();
    ASSERT_EQ(monitors.size(), 1u);
    EXPECT_EQ(monitors[0], (Monitor{0, 0, 1920, 1080, screenDepth()}));
    // The fallback describes the same screen.
    EXPECT_EQ(screenMonitor(), monitors);
    // The assembled platform asks this concern.
    EXPECT_EQ(createNative()->enumerateMonitors(), monitors);
}

TEST(Win32Monitors, AttachedDevicesOnlyWithThePrimaryFirst) {
    constexpr uint32_t kAttached = DISPLAY_DEVICE_ATTACHED_TO_DESKTOP;
    constexpr uint32_t kPrimary = DISPLAY_DEVICE_PRIMARY_DEVICE;
    const Monitor left{-1280, 0, 1280, 1024, 32};
    const Monitor primary{0, 0, 1920, 1080, 32};
    const Monitor above{0, -768, 1024, 768, 16};
    const Monitor off{4000, 0, 800, 600, 32};
    const std::vector<DisplayDevice> devices = {
        {kAttached, true, left},
        {0, true, off},  // known to the system, not on the desktop
        {kAttached | kPrimary, true, primary},
        {kAttached, false, off},  // no current mode to read
        {kAttached, true, above},
    };
    EXPECT_EQ(attachedMonitors(devices), (std::vector<Monitor>{primary, left, above}));
    // Without a primary flag the device order stands; without attached devices, nothing.
    EXPECT_EQ(attachedMonitors({{kAttached, true, above}, {kAttached, true, left}}),
              (std::vector<Monitor>{above, left}));
    EXPECT_TRUE(attachedMonitors({{kPrimary, true, primary}}).empty());
    EXPECT_TRUE(attachedMonitors({}).empty());
}

// Keeps the user's desktop values and the wallpaper as they were before the test.
class Win32WallpaperTest : public ::testing::Test {
  protected:
    Win32WallpaperTest() : before_(desktop_.wallpaper()) {
        for (const char* name : kValues) {
            saved_.emplace_back();
            saved_.back().status = registry_.regQueryValue(kHkeyCurrentUser, kDesktopKey, name,
                                                           4096, saved_.back().value);
        }
    }
    ~Win32WallpaperTest() override {
        for (size_t i = 0; i < std::size(kValues); ++i) {
            if (saved_[i].status == kRegSuccess) {
                registry_.regSetValue(kHkeyCurrentUser, kDesktopKey, kValues[i], saved_[i].value);
            } else {
                registry_.regDeleteValue(kHkeyCurrentUser, kDesktopKey, kValues[i]);
            }
        }
        std::wstring path = wide(before_);
        SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, path.data(), 0);
    }

    void setDesktopString(const char* name, const std::string& text) {
        ASSERT_EQ(registry_.regCreateKey(kHkeyCurrentUser, kDesktopKey), kRegSuccess);
        ASSERT_EQ(
            registry_.regSetValue(kHkeyCurrentUser, kDesktopKey, name, {RegType::Sz, regSz(text)}),
            kRegSuccess);
    }
    // A 2 x 1 bitmap.
    std::string writeBitmap(const std::string& path) {
        static const uint8_t bmp[62] = {'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  40,
                                        0,   0,   0,  2, 0, 0, 0, 1, 0, 0, 0,  1, 0, 24, 0};
        std::unique_ptr<OutputFile> out = system_.createFile(path);
        EXPECT_TRUE(out != nullptr && out->write(bmp, sizeof bmp) && out->close()) << path;
        return path;
    }

    static constexpr const char* kValues[] = {"Wallpaper", "TileWallPaper", "WallpaperStyle"};
    struct Saved {
        int status = kRegFileNotFound;
        RegValue value;
    };
    Win32System system_;
    Win32Registry registry_;
    Win32Desktop desktop_;
    std::string before_;
    std::vector<Saved> saved_;
};

TEST_F(Win32WallpaperTest, KeptWallpaperIsStoredWithTilingStyle) {
    const ScratchFolder scratch(system_.tempFolder());
    const std::string kept = writeBitmap(scratch / "Drape \xC3\xBC.bmp");
    // As the program installs: tiling on first, then a Fill style left over from the user.
    setDesktopString("TileWallPaper", "1");
    setDesktopString("WallpaperStyle", "10");
    EXPECT_TRUE(desktop_.setWallpaper(kept, kSpifUpdateIniFile));
    EXPECT_TRUE(desktop_.setWallpaper(kept, kSpifSendWinIniChange));
    EXPECT_EQ(desktop_.wallpaper(), kept);
    EXPECT_EQ(rawString(kDesktopKey, "WallpaperStyle"), "0");
    EXPECT_EQ(rawString(kDesktopKey, "TileWallPaper"), "1");
    EXPECT_EQ(rawString(kDesktopKey, "Wallpaper"), kept);

    // Set for the session only: shown, but the stored setting stays with the kept one.
    const std::string session = writeBitmap(scratch / "session.bmp");
    EXPECT_TRUE(desktop_.setWallpaper(session, 0));
    EXPECT_EQ(desktop_.wallpaper(), session);
    EXPECT_EQ(rawString(kDesktopKey, "Wallpaper"), kept);
}

TEST_F(Win32WallpaperTest, UntiledWallpaperKeepsTheUsersStyle) {
    const ScratchFolder scratch(system_.tempFolder());
    const std::string photo = writeBitmap(scratch / "photo.bmp");
    setDesktopString("TileWallPaper", "0");
    setDesktopString("WallpaperStyle", "10");
    EXPECT_TRUE(desktop_.setWallpaper(photo, kSpifUpdateIniFile));
    EXPECT_EQ(desktop_.wallpaper(), photo);
    EXPECT_EQ(rawString(kDesktopKey, "WallpaperStyle"), "10");
    EXPECT_EQ(rawString(kDesktopKey, "Wallpaper"), photo);

    // An empty path takes the picture away, and none reads back empty.
    EXPECT_TRUE(desktop_.setWallpaper("", 0));
    EXPECT_EQ(desktop_.wallpaper(), "");
}

TEST(Win32DesktopFolder, IsTheShellsDesktopEndingInABackslash) {
    Win32Desktop desktop;
    const std::string folder = desktop.desktopFolder();
    ASSERT_TRUE(folder.size() > 3 && folder.ends_with("\\")) << folder;
    EXPECT_FALSE(folder.ends_with("\\\\"));
    const DWORD attributes = GetFileAttributesW(widePath(folder).c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    wchar_t shell[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, shell), S_OK);
    EXPECT_EQ(folder, narrow(shell) + "\\");
}

// What the shell reads back from a link file.
struct LinkContents {
    bool loaded = false;
    std::string target;
    std::string arguments;
    std::string description;
    std::string workingFolder;
    std::string iconFile;
    int iconIndex = -1;
};

LinkContents readLink(const std::string& path) {
    LinkContents contents;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link)))) {
        return contents;
    }
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(wide(path).c_str(), STGM_READ))) {
            contents.loaded = true;
            wchar_t text[INFOTIPSIZE] = {};
            link->GetPath(text, INFOTIPSIZE, nullptr, SLGP_RAWPATH);
            contents.target = narrow(text);
            text[0] = 0;
            link->GetArguments(text, INFOTIPSIZE);
            contents.arguments = narrow(text);
            text[0] = 0;
            link->GetDescription(text, INFOTIPSIZE);
            contents.description = narrow(text);
            text[0] = 0;
            link->GetWorkingDirectory(text, INFOTIPSIZE);
            contents.workingFolder = narrow(text);
            text[0] = 0;
            link->GetIconLocation(text, INFOTIPSIZE, &contents.iconIndex);
            contents.iconFile = narrow(text);
        }
        file->Release();
    }
    link->Release();
    return contents;
}

class Win32ShortcutTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    }
    void TearDown() override { CoUninitialize(); }

    Win32System system_;
    Win32Desktop desktop_;
};

TEST_F(Win32ShortcutTest, LinkOnTheDesktopStartsTheProgramWithItsCommands) {
    const ScratchFolder scratch(desktop_.desktopFolder());
    ShortcutLink shortcut;
    shortcut.target = system_.programPath();
    shortcut.linkPath = scratch /
                        "Drape random bilder gr\xC3\xBC\xC3\x9F"
                        "e";
    shortcut.arguments =
        "random \"C:\\Bilder\\Gr\xC3\xBC\xC3\x9F"
        "e\\\" text \"\xC3\x9C"
        "ber \xE2\x82\xAC 5\" fade";
    shortcut.description = "Drape \xE6\x97\xA5\xE6\x9C\xAC";
    shortcut.workingFolder = system_.programFolder();
    shortcut.iconFile = system_.programPath();
    shortcut.iconIndex = 2;
    ASSERT_TRUE(desktop_.createShortcut(shortcut));

    const LinkContents link = readLink(shortcut.linkPath + ".lnk");
    ASSERT_TRUE(link.loaded);
    EXPECT_EQ(lowerAscii(link.target), lowerAscii(shortcut.target));
    EXPECT_EQ(link.arguments, shortcut.arguments);
    EXPECT_EQ(link.description, shortcut.description);
    EXPECT_EQ(link.workingFolder, shortcut.workingFolder);
    EXPECT_EQ(lowerAscii(link.iconFile), lowerAscii(shortcut.iconFile));
    EXPECT_EQ(link.iconIndex, 2);
    // The link file alone, under the name given and the shell's extension.
    EXPECT_EQ(system_.listFiles(scratch.path()),
              std::vector<std::string>{"Drape random bilder gr\xC3\xBC\xC3\x9F"
                                       "e.lnk"});

    // The same name again replaces the link.
    shortcut.arguments = "red dots";
    shortcut.description.clear();
    ASSERT_TRUE(desktop_.createShortcut(shortcut));
    const LinkContents replaced = readLink(shortcut.linkPath + ".lnk");
    EXPECT_EQ(replaced.arguments, "red dots");
    EXPECT_EQ(replaced.description, "");
    EXPECT_EQ(system_.listFiles(scratch.path()).size(), 1u);
}

TEST_F(Win32ShortcutTest, LinkIntoAMissingFolderFails) {
    const ScratchFolder scratch(system_.tempFolder());
    ShortcutLink shortcut;
    shortcut.target = system_.programPath();
    shortcut.linkPath = scratch / "missing\\Drape";
    shortcut.arguments = "red";
    EXPECT_FALSE(desktop_.createShortcut(shortcut));
    EXPECT_LT(system_.fileSize(shortcut.linkPath + ".lnk"), 0);
    EXPECT_TRUE(system_.listFiles(scratch.path()).empty());
}

// What a shortcut written on a thread of its own did: whether it was written and how the
// thread's COM stood afterwards (the result of starting it once more in the same model).
struct ThreadedShortcut {
    bool written = false;
    HRESULT restart = E_FAIL;
};

ThreadedShortcut shortcutOnThread(const ShortcutLink& shortcut, bool comBefore) {
    ThreadedShortcut result;
    std::thread([&] {
        if (comBefore && FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
            return;
        }
        Win32Desktop desktop;
        result.written = desktop.createShortcut(shortcut);
        result.restart = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(result.restart)) {
            CoUninitialize();
        }
        if (comBefore) {
            CoUninitialize();
        }
    }).join();
    return result;
}

TEST_F(Win32ShortcutTest, AnyThreadCanWriteALinkAndKeepsItsComAsItWas) {
    const ScratchFolder scratch(system_.tempFolder());
    ShortcutLink shortcut;
    shortcut.target = system_.programPath();
    shortcut.arguments = "blue dots";
    shortcut.workingFolder = system_.programFolder();

    // A thread without COM gets it for the call only: starting it afterwards is a first start
    // again, in the other model too.
    shortcut.linkPath = scratch / "fresh";
    const ThreadedShortcut fresh = shortcutOnThread(shortcut, false);
    EXPECT_TRUE(fresh.written);
    EXPECT_EQ(fresh.restart, S_OK);
    EXPECT_EQ(readLink(shortcut.linkPath + ".lnk").arguments, "blue dots");

    // A thread already in the multithreaded model still writes and keeps its COM.
    shortcut.linkPath = scratch / "multithreaded";
    shortcut.arguments = "green";
    const ThreadedShortcut multithreaded = shortcutOnThread(shortcut, true);
    EXPECT_TRUE(multithreaded.written);
    EXPECT_EQ(multithreaded.restart, S_FALSE);
    EXPECT_EQ(readLink(shortcut.linkPath + ".lnk").arguments, "green");
}

}  // namespace
}  // namespace drape::platform::win32::testing
