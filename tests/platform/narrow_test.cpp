// drape98's 8-bit services where they hold on every OS: the command line's split, and the
// pass-through of the bytes to a platform (here the fake that the drape98 suite drives runs
// with), where a registry string is stored as RegSetValueExA stores it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/narrow.h"
#include "support/fake_narrow.h"

namespace drape::platform {
namespace {

using Arguments = std::vector<std::string>;

TEST(SplitNarrowCommandLine, SkipsTheProgramNameQuotedOrUpToTheFirstBlank) {
    EXPECT_EQ(splitNarrowCommandLine("drape98.exe /a /b"), (Arguments{"/a", "/b"}));
    // The name's quotes hold its blanks; its own arguments start right after the quote.
    EXPECT_EQ(splitNarrowCommandLine("\"C:\\Program Files\\drape98.exe\" /a"), (Arguments{"/a"}));
    EXPECT_EQ(splitNarrowCommandLine("\"C:\\My Programs\\drape98.exe\"/a"), (Arguments{"/a"}));
    // A tab ends the name as a blank does; a quote inside it does not open anything.
    EXPECT_EQ(splitNarrowCommandLine("drape98\t/a"), (Arguments{"/a"}));
    EXPECT_EQ(splitNarrowCommandLine("dra\"pe 98\" x"), (Arguments{"98\"", "x"}));
    EXPECT_TRUE(splitNarrowCommandLine("drape98.exe").empty());
    EXPECT_TRUE(splitNarrowCommandLine("drape98.exe   \t ").empty());
    EXPECT_TRUE(splitNarrowCommandLine("").empty());
    // An unterminated name takes the whole line.
    EXPECT_TRUE(splitNarrowCommandLine("\"C:\\drape98.exe /a").empty());
}

TEST(SplitNarrowCommandLine, RunsOfBlanksAndTabsSeparateArguments) {
    EXPECT_EQ(splitNarrowCommandLine("p  a \t\t b\t c  "), (Arguments{"a", "b", "c"}));
    // No escapes: backslashes stay as they are, even before a quote.
    EXPECT_EQ(splitNarrowCommandLine("p C:\\dir\\ a\\\"b"), (Arguments{"C:\\dir\\", "a\\\"b"}));
}

TEST(SplitNarrowCommandLine, AQuoteAtTheStartRunsToTheNextQuoteAndBothAreDropped) {
    EXPECT_EQ(splitNarrowCommandLine("p \"C:\\My Pictures\\a b.jpg\" /t"),
              (Arguments{"C:\\My Pictures\\a b.jpg", "/t"}));
    // Blanks and tabs inside the quotes are kept, leading and trailing ones too.
    EXPECT_EQ(splitNarrowCommandLine("p \" \ta \""), (Arguments{" \ta "}));
    // Empty quotes are an empty argument, wherever they stand.
    EXPECT_EQ(splitNarrowCommandLine("p \"\" x \"\""), (Arguments{"", "x", ""}));
    // The closing quote ends the argument: what follows it starts the next one.
    EXPECT_EQ(splitNarrowCommandLine("p \"a b\"c"), (Arguments{"a b", "c"}));
    EXPECT_EQ(splitNarrowCommandLine("p \"a\"\"b\""), (Arguments{"a", "b"}));
    // A quote inside an argument is an ordinary character.
    EXPECT_EQ(splitNarrowCommandLine("p a\"b c\""), (Arguments{"a\"b", "c\""}));
}

TEST(SplitNarrowCommandLine, AnUnterminatedQuoteRunsToTheEndOfTheLine) {
    EXPECT_EQ(splitNarrowCommandLine("p /a \"C:\\x y  "), (Arguments{"/a", "C:\\x y  "}));
    EXPECT_EQ(splitNarrowCommandLine("p \""), (Arguments{""}));
}

TEST(SplitNarrowCommandLine, BytesOfTheCodePagePassUnchanged) {
    EXPECT_EQ(splitNarrowCommandLine("p caf\xE9 \"\xC4\xD6 \xDC\""),
              (Arguments{"caf\xE9", "\xC4\xD6 \xDC"}));
}

class FakeNarrowTest : public ::testing::Test {
  protected:
    void touch(const std::string& path) { std::ofstream(std::filesystem::path(path)) << "x"; }
    // The data of a string value as the fake's registry holds it.
    std::vector<uint8_t> stored(const std::string& name) {
        RegValue value;
        EXPECT_EQ(fake_.regQueryValue(kHkeyCurrentUser, kKey, name, 4096, value), kRegSuccess)
            << name;
        EXPECT_EQ(value.type, RegType::Sz) << name;
        return value.data;
    }
    static constexpr const char* kKey = "Software\\Drape98";

    test::FakePlatform fake_;
    test::FakeNarrow narrow_{fake_};
};

TEST_F(FakeNarrowTest, RegistryStringsStoreTheCountedBytesAsUtf16) {
    using Bytes = std::vector<uint8_t>;
    // The key is created on the way, in any letter case.
    ASSERT_EQ(narrow_.regSetString(kHkeyCurrentUser, "SOFTWARE\\drape98", "Tile", "1", 1),
              kRegSuccess);
    // A count without the terminator stores none; one with it stores a zero character.
    EXPECT_EQ(stored("Tile"), (Bytes{'1', 0}));
    ASSERT_EQ(narrow_.regSetString(kHkeyCurrentUser, kKey, "Tile", "1", 2), kRegSuccess);
    EXPECT_EQ(stored("Tile"), (Bytes{'1', 0, 0, 0}));
    // A count past the terminator reads no further than it.
    ASSERT_EQ(narrow_.regSetString(kHkeyCurrentUser, kKey, "Tile", "12", 100), kRegSuccess);
    EXPECT_EQ(stored("Tile"), (Bytes{'1', 0, '2', 0, 0, 0}));
    // A shorter count cuts the text; none stores an empty value.
    ASSERT_EQ(narrow_.regSetString(kHkeyCurrentUser, kKey, "Style", "2 3", 1), kRegSuccess);
    EXPECT_EQ(stored("Style"), (Bytes{'2', 0}));
    ASSERT_EQ(narrow_.regSetString(kHkeyCurrentUser, kKey, "Empty", "x", 0), kRegSuccess);
    EXPECT_EQ(stored("Empty"), Bytes{});
    // The code page is UTF-8: its two bytes of "ü" are one character; cut in half, the
    // byte that is left becomes U+FFFD.
    ASSERT_EQ(narrow_.regSetString(kHkeyCurrentUser, kKey, "Word", "\xC3\xBC", 2), kRegSuccess);
    EXPECT_EQ(stored("Word"), (Bytes{0xFC, 0}));
    ASSERT_EQ(narrow_.regSetString(kHkeyCurrentUser, kKey, "Word", "\xC3\xBC", 1), kRegSuccess);
    EXPECT_EQ(stored("Word"), (Bytes{0xFD, 0xFF}));
    // The wide program reads it back as any string.
    ASSERT_EQ(narrow_.regSetString(kHkeyCurrentUser, kKey, "Path", "C:\\a b.bmp", 11), kRegSuccess);
    EXPECT_EQ(fake_.stringValue(kKey, "path"), "C:\\a b.bmp");
}

TEST_F(FakeNarrowTest, ListingMatchesStarsAndQuestionMarksInAnyLetterCase) {
    const std::string folder = fake_.tempDir;
    for (const char* name :
         {"a.jpg", "B.JPG", "ab.jpeg", "photo.jpg.bmp", "x.bmp", "xy.bmp", ".jpg", "jpg"}) {
        touch(folder + name);
    }
    std::filesystem::create_directory(std::filesystem::path(folder + "dir.jpg"));
    using Names = std::vector<std::string>;
    // The fake lists in name order; folders are never files.
    EXPECT_EQ(narrow_.listFiles(folder, "*.jpg"), (Names{".jpg", "B.JPG", "a.jpg"}));
    EXPECT_EQ(narrow_.listFiles(folder, "?.bmp"), (Names{"x.bmp"}));
    EXPECT_EQ(narrow_.listFiles(folder, "*.*.*"), (Names{"photo.jpg.bmp"}));
    EXPECT_EQ(narrow_.listFiles(folder, "*jp*g"),
              (Names{".jpg", "B.JPG", "a.jpg", "ab.jpeg", "jpg"}));
    EXPECT_EQ(narrow_.listFiles(folder, "X*"), (Names{"x.bmp", "xy.bmp"}));
    EXPECT_EQ(narrow_.listFiles(folder, "jpg"), (Names{"jpg"}));
    EXPECT_EQ(narrow_.listFiles(folder, "*").size(), 8u);
    EXPECT_TRUE(narrow_.listFiles(folder, "?").empty());
    EXPECT_TRUE(narrow_.listFiles(folder, "*.png").empty());
    EXPECT_TRUE(narrow_.listFiles(folder, "").empty());
    EXPECT_TRUE(narrow_.listFiles(fake_.root + "missing/", "*").empty());
}

// What the drape98 suite asserts on lands where the wide program's calls land.
TEST_F(FakeNarrowTest, CallsReachTheFakesOwnRecord) {
    narrow_.tempFolderAs = "C:\\TEMP\\";
    EXPECT_EQ(narrow_.tempFolder(), "C:\\TEMP\\");
    EXPECT_EQ(narrow_.programPath(), fake_.programPath());

    // A broadcast counts as the wide program's does, and the open window hears it twice.
    ASSERT_TRUE(fake_.openProgramWindow("drape98"));
    narrow_.broadcastTerminate();
    EXPECT_EQ(fake_.broadcasts, 1);
    EXPECT_EQ(fake_.events.size(), 2u);

    EXPECT_TRUE(narrow_.setWallpaper(fake_.tempDir + "w.bmp", kSpifUpdateIniFile));
    ASSERT_EQ(fake_.wallpaperCalls.size(), 1u);
    EXPECT_EQ(fake_.wallpaperCalls[0].flags, kSpifUpdateIniFile);
    EXPECT_EQ(narrow_.wallpaper(), fake_.tempDir + "w.bmp");

    narrow_.messageBox("Drape98", "No picture", kMbIconError);
    ASSERT_EQ(fake_.messageBoxes.size(), 1u);
    EXPECT_EQ(fake_.messageBoxes[0].text, "No picture");
    EXPECT_EQ(fake_.messageBoxes[0].flags, kMbIconError);
}

}  // namespace
}  // namespace drape::platform
