// drape98's 8-bit services against the real A functions (Windows or Wine): registry strings
// stored with the caller's count, bitmap files of every depth read back as 24-bit rows, folders
// in their long form, the code page's conversions, monitors and listings as the wide backend
// sees them, the shared terminate broadcast and a real MessageBoxA.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/narrow.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_narrow.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_windowing.h"
#include "win32_scratch.h"
#include "win32_window_probes.h"

namespace drape::platform::win32::testing {
namespace {

using Bytes = std::vector<uint8_t>;

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(widePath(path), std::ios::binary) << bytes;
}

// The test picture, 3 x 2 (so that rows need padding), top row first: colours that every depth
// below holds exactly, 5-bit channels included.
struct Rgb {
    uint8_t r, g, b;
};
constexpr Rgb kPicture[2][3] = {{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}},
                                {{255, 255, 255}, {0, 0, 0}, {255, 255, 0}}};

template <typename T>
void append(std::string& out, const T& value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// The picture as an uncompressed BMP file of `bitCount` bits: the 4- and 8-bit ones index a
// palette of its six colours, 16 bits are 5-5-5, 32 bits leave the fourth byte 0.
std::string pictureBmp(int bitCount) {
    std::string palette;
    std::string pixels;
    for (int y = 1; y >= 0; --y) {  // bottom row first, as BMP files store them
        std::string row;
        for (int x = 0; x < 3; ++x) {
            const Rgb& c = kPicture[y][x];
            const auto index = static_cast<char>(y * 3 + x);
            if (bitCount == 4 && x % 2 == 1) {
                row.back() = static_cast<char>(row.back() | index);
            } else if (bitCount <= 8) {
                row += bitCount == 4 ? static_cast<char>(index << 4) : index;
            } else if (bitCount == 16) {
                append(row, static_cast<uint16_t>((c.r >> 3) << 10 | (c.g >> 3) << 5 | c.b >> 3));
            } else {
                append(row, RGBQUAD{c.b, c.g, c.r, 0});
                row.resize(row.size() - (bitCount == 24 ? 1 : 0));
            }
        }
        row.resize((row.size() + 3) & ~size_t{3}, '\0');
        pixels += row;
    }
    for (const auto& row : kPicture) {
        for (const Rgb& c : row) {
            append(palette, RGBQUAD{c.b, c.g, c.r, 0});
        }
    }
    palette.resize(bitCount <= 8 ? palette.size() : 0);
    const auto bytes = static_cast<DWORD>(pixels.size());
    const auto colours = static_cast<DWORD>(palette.size() / 4);
    const auto offset = static_cast<DWORD>(14 + 40 + palette.size());
    const BITMAPFILEHEADER head{0x4D42, offset + bytes, 0, 0, offset};
    const auto depth = static_cast<WORD>(bitCount);
    const BITMAPINFOHEADER info{40, 3, 2, 1, depth, BI_RGB, bytes, 2835, 2835, colours, 0};
    std::string file;
    append(file, head);
    append(file, info);
    return file + palette + pixels;
}

class Win32NarrowTest : public ::testing::Test {
  protected:
    // The size that RegQueryValueExA or ...W tells for a value of the scratch key.
    DWORD querySize(const std::string& name, bool wideCall) {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key_.path().c_str(), 0, KEY_QUERY_VALUE, &key),
                  ERROR_SUCCESS);
        DWORD type = REG_NONE;
        DWORD size = 0;
        const LONG status =
            wideCall ? RegQueryValueExW(key, wide(name).c_str(), nullptr, &type, nullptr, &size)
                     : RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
        RegCloseKey(key);
        EXPECT_EQ(status, ERROR_SUCCESS) << name;
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << name;
        return size;
    }
    Bytes stored(const std::string& name) {
        RegValue value;
        EXPECT_EQ(registry_.regQueryValue(kHkeyCurrentUser, key_.path(), name, 4096, value),
                  kRegSuccess)
            << name;
        return value.data;
    }

    ScratchKey key_;
    Win32Registry registry_;
    Win32System system_;
    Win32Narrow narrow_;
};

TEST_F(Win32NarrowTest, RegistryStringsAreStoredWithTheCallersCount) {
    // The key does not exist yet: it is created on the way.
    ASSERT_EQ(narrow_.regSetString(kHkeyCurrentUser, key_.path(), "One", "1", 1), kRegSuccess);
    ASSERT_EQ(narrow_.regSetString(kHkeyCurrentUser, key_.path(), "Two", "1", 2), kRegSuccess);
    // One byte stores one character and no terminator, though a zero follows it in memory.
    EXPECT_EQ(stored("One"), (Bytes{'1', 0}));
    EXPECT_EQ(querySize("One", true), 2u);
    EXPECT_EQ(querySize("One", false), 1u);
    EXPECT_EQ(stored("Two"), (Bytes{'1', 0, 0, 0}));
    EXPECT_EQ(querySize("Two", true), 4u);
    EXPECT_EQ(querySize("Two", false), 2u);
    // A count past the terminator reads no further; none stores an empty value.
    ASSERT_EQ(narrow_.regSetString(kHkeyCurrentUser, key_.path(), "Long", "ab", 50), kRegSuccess);
    EXPECT_EQ(stored("Long"), regSz("ab"));
    ASSERT_EQ(narrow_.regSetString(kHkeyCurrentUser, key_.path(), "None", "ab", 0), kRegSuccess);
    EXPECT_TRUE(stored("None").empty());
    // The code page's bytes become their characters.
    const std::string word = narrow_.fromUtf8("caf\xC3\xA9");
    ASSERT_EQ(
        narrow_.regSetString(kHkeyCurrentUser, key_ / "Sub\\Deeper", "Word", word, word.size() + 1),
        kRegSuccess);
    EXPECT_EQ(rawString(key_ / "Sub\\Deeper", "Word"), "caf\xC3\xA9");
    // A root that is not a key fails with the system's status.
    EXPECT_NE(narrow_.regSetString(0x12345678u, key_.path(), "One", "1", 1), kRegSuccess);
}

TEST_F(Win32NarrowTest, BitmapFilesOfEveryDepthComeBackAs24BitRowsTopFirst) {
    const ScratchFolder scratch(system_.tempFolder());
    // (Files stored top row first are left out: Wine's LoadImageA loads them black.)
    for (const int bitCount : {4, 8, 16, 24, 32}) {
        SCOPED_TRACE(std::to_string(bitCount) + " bits");
        const std::string path = scratch / ("picture" + std::to_string(bitCount) + ".bmp");
        writeBytes(path, pictureBmp(bitCount));
        LoadedBitmap out;
        ASSERT_EQ(narrow_.loadBitmapFile(path, out), BitmapLoad::Loaded);
        ASSERT_EQ(out.width, 3);
        ASSERT_EQ(out.height, 2);
        ASSERT_EQ(out.stride, 12u);
        ASSERT_EQ(out.pixels.size(), 24u);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 3; ++x) {
                const uint8_t* p = &out.pixels[static_cast<size_t>(y) * out.stride + x * 3u];
                const Rgb& want = kPicture[y][x];
                EXPECT_EQ((std::vector<int>{p[2], p[1], p[0]}),
                          (std::vector<int>{want.r, want.g, want.b}))
                    << "pixel " << x << "," << y;
            }
        }
    }
}

TEST_F(Win32NarrowTest, FilesTheLoaderRefusesFailAndLeaveTheResultAlone) {
    const ScratchFolder scratch(system_.tempFolder());
    writeBytes(scratch / "text.bmp", "This is not a bitmap, only its name says so.");
    writeBytes(scratch / "header.bmp", pictureBmp(24).substr(0, 20));
    LoadedBitmap out;
    out.width = 9;
    EXPECT_EQ(narrow_.loadBitmapFile(scratch / "text.bmp", out), BitmapLoad::Failed);
    EXPECT_EQ(narrow_.loadBitmapFile(scratch / "header.bmp", out), BitmapLoad::Failed);
    EXPECT_EQ(narrow_.loadBitmapFile(scratch / "missing.bmp", out), BitmapLoad::Failed);
    EXPECT_EQ(narrow_.loadBitmapFile(scratch.path(), out), BitmapLoad::Failed);
    EXPECT_EQ(out.width, 9);
    EXPECT_TRUE(out.pixels.empty());
}

TEST_F(Win32NarrowTest, FoldersAndTheProgramInTheCodePage) {
    char module[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(nullptr, module, MAX_PATH), 0u);
    EXPECT_EQ(narrow_.programPath(), module);
    EXPECT_EQ(lowerAscii(narrow_.programPath()), lowerAscii(system_.programPath()));

    const std::string temp = narrow_.tempFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');
    EXPECT_EQ(lowerAscii(temp), lowerAscii(system_.tempFolder()));

    // A temporary folder named in its short form comes back long.
    const ScratchFolder scratch(temp);
    const std::string longFolder = scratch / "A Folder With A Long Name";
    ASSERT_TRUE(CreateDirectoryA(longFolder.c_str(), nullptr));
    char shortForm[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameA(longFolder.c_str(), shortForm, MAX_PATH), 0u);
    const char* savedTmp = std::getenv("TMP");
    const std::string saved = savedTmp != nullptr ? savedTmp : "";
    ASSERT_TRUE(SetEnvironmentVariableA("TMP", shortForm));
    const std::string fromShort = narrow_.tempFolder();
    SetEnvironmentVariableA("TMP", savedTmp != nullptr ? saved.c_str() : nullptr);
    EXPECT_EQ(lowerAscii(fromShort), lowerAscii(longFolder + "\\")) << "short form " << shortForm;
}

TEST_F(Win32NarrowTest, TextConvertsThroughTheCodePage) {
    EXPECT_EQ(narrow_.toUtf8(""), "");
    EXPECT_EQ(narrow_.fromUtf8(""), "");
    EXPECT_EQ(narrow_.toUtf8("C:\\a b.bmp"), "C:\\a b.bmp");
    // A code page character and back; embedded zeros are kept.
    const std::string cafe = "caf\xC3\xA9";
    EXPECT_EQ(narrow_.toUtf8(narrow_.fromUtf8(cafe)), cafe);
    EXPECT_EQ(narrow_.toUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    if (GetACP() == 1252) {
        EXPECT_EQ(narrow_.fromUtf8(cafe), "caf\xE9");
        EXPECT_EQ(narrow_.toUtf8("\x80"), "\xE2\x82\xAC");
        // What the code page lacks becomes its default character.
        EXPECT_EQ(narrow_.fromUtf8("\xE6\x97\xA5"), "?");
    }
}

TEST_F(Win32NarrowTest, MonitorsAreTheWideEnumerations) {
    const std::vector<Monitor> monitors = narrow_.enumerateMonitors();
    ASSERT_FALSE(monitors.empty());
    EXPECT_EQ(monitors, Win32Desktop().enumerateMonitors());
    EXPECT_EQ(monitors[0].x, 0);
    EXPECT_EQ(monitors[0].y, 0);
}

TEST_F(Win32NarrowTest, ListingMatchesThePatternAndKeepsOnlyFiles) {
    const ScratchFolder scratch(system_.tempFolder());
    for (const char* name : {"a.jpg", "B.JPG", "ab.jpeg", "x.bmp", "xy.bmp"}) {
        writeBytes(scratch / name, "x");
    }
    ASSERT_TRUE(CreateDirectoryA((scratch / "dir.jpg").c_str(), nullptr));
    const auto sorted = [&](const std::string& folder, const std::string& pattern) {
        std::vector<std::string> names = narrow_.listFiles(folder, pattern);
        std::sort(names.begin(), names.end());
        return names;
    };
    using Names = std::vector<std::string>;
    // The system matches without regard to letter case; folders are left out.
    EXPECT_EQ(sorted(scratch.path(), "*.jpg"), (Names{"B.JPG", "a.jpg"}));
    EXPECT_EQ(sorted(scratch.path() + "\\", "?.BMP"), (Names{"x.bmp"}));
    EXPECT_EQ(sorted(scratch.path(), "*"), (Names{"B.JPG", "a.jpg", "ab.jpeg", "x.bmp", "xy.bmp"}));
    EXPECT_EQ(sorted(scratch.path(), "xy.bmp"), (Names{"xy.bmp"}));
    EXPECT_TRUE(sorted(scratch.path(), "*.png").empty());
    EXPECT_TRUE(sorted(scratch / "missing", "*").empty());
}

TEST_F(Win32NarrowTest, TheBroadcastIsHeardByTheWideProgramsWindows) {
    Win32Windowing windowing;
    drain(windowing.layer(), 50);
    ASSERT_TRUE(windowing.openProgramWindow("Drape"));
    narrow_.broadcastTerminate();
    EXPECT_EQ(terminates(drain(windowing.layer())), 2u);
    windowing.closeProgramWindow();
}

TEST_F(Win32NarrowTest, WallpaperSetAndReadThroughTheCodePage) {
    const std::string before = narrow_.wallpaper();
    const ScratchFolder scratch(system_.tempFolder());
    const std::string path = scratch / "drape98.bmp";
    writeBytes(path, pictureBmp(24));
    EXPECT_TRUE(narrow_.setWallpaper(path, 0));
    EXPECT_EQ(lowerAscii(narrow_.wallpaper()), lowerAscii(path));
    EXPECT_EQ(lowerAscii(Win32Desktop().wallpaper()), lowerAscii(path));
    std::string restore = before;
    SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, restore.data(), 0);
}

TEST_F(Win32NarrowTest, MessageBoxShowsTheCodePagesText) {
    ASSERT_TRUE(interactiveDesktop());
    const std::string caption = narrow_.fromUtf8("Drape98 caf\xC3\xA9");
    const std::string text = narrow_.fromUtf8("No picture in\r\nC:\\caf\xC3\xA9");
    const SeenBox seen = readBoxWhileShown(
        narrow_.toUtf8(caption), [&] { narrow_.messageBox(caption, text, kMbIconError); });
    ASSERT_TRUE(seen.found) << "no box appeared";
    EXPECT_EQ(seen.buttons, std::vector<std::string>{"OK"});
    ASSERT_FALSE(seen.texts.empty());
    EXPECT_EQ(seen.texts[0], "No picture in\r\nC:\\caf\xC3\xA9");
    EXPECT_TRUE(seen.icon);
}

TEST(Win32NarrowArguments, AreTheCommandLineAfterTheProgramsName) {
    // The runtime's argv splits the same line by the fuller rules; without quotes or
    // backslashes in the arguments both agree.
    std::vector<std::string> expected;
    for (int i = 1; i < __argc; ++i) {
        expected.emplace_back(__argv[i]);
    }
    EXPECT_EQ(narrowArguments(0, nullptr), expected) << GetCommandLineA();
}

}  // namespace
}  // namespace drape::platform::win32::testing
