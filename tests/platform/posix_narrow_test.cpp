// drape98's 8-bit services on posix: the bytes reach the posix platform's own services
// unchanged, a counted registry string keeps its count through the hive on disk, and listings
// match as a shell's glob does.
#include <unistd.h>

#include "platform/narrow.h"
#include "platform/posix/posix_text.h"
#include "posix_test_env.h"

namespace drape::platform::posix::testing {
namespace {

constexpr const char* kKey = "Software\\Drape98";

class PosixNarrowTest : public PosixTest {
  protected:
    void SetUp() override {
        PosixTest::SetUp();
        narrow_ = createNativeNarrow(platform_);
    }
    // The data of a string value as a platform reads it back from the hive.
    static std::vector<uint8_t> stored(Platform& platform, const std::string& name) {
        RegValue value;
        EXPECT_EQ(platform.regQueryValue(kHkeyCurrentUser, kKey, name, 4096, value), kRegSuccess);
        EXPECT_EQ(value.type, RegType::Sz);
        return value.data;
    }

    std::unique_ptr<Narrow> narrow_;
};

TEST_F(PosixNarrowTest, CountedStringsKeepTheirCountThroughTheHive) {
    using Bytes = std::vector<uint8_t>;
    ASSERT_EQ(narrow_->regSetString(kHkeyCurrentUser, kKey, "TileWallpaper", "1", 1), kRegSuccess);
    ASSERT_EQ(narrow_->regSetString(kHkeyCurrentUser, kKey, "WallpaperStyle", "0", 2), kRegSuccess);
    ASSERT_EQ(narrow_->regSetString(kHkeyCurrentUser, kKey, "Wallpaper", "/w/caf\xC3\xA9.bmp", 15),
              kRegSuccess);
    EXPECT_EQ(stored(platform_, "TileWallpaper"), (Bytes{'1', 0}));
    EXPECT_EQ(stored(platform_, "WallpaperStyle"), (Bytes{'0', 0, 0, 0}));
    // Another process reads the same bytes from the file: no terminator added or lost.
    PosixPlatform later;
    EXPECT_EQ(stored(later, "tilewallpaper"), (Bytes{'1', 0}));
    EXPECT_EQ(stored(later, "WallpaperStyle"), (Bytes{'0', 0, 0, 0}));
    EXPECT_EQ(stored(later, "Wallpaper"), regSzData("/w/caf\xC3\xA9.bmp"));
    EXPECT_TRUE(reports_.empty());
}

TEST_F(PosixNarrowTest, AnUnusableHiveFailsWithTheRegistrysStatus) {
    writeText(root_ + "file", "x");
    env_.set("XDG_CONFIG_HOME", root_ + "file");
    EXPECT_EQ(narrow_->regSetString(kHkeyCurrentUser, kKey, "TileWallpaper", "1", 1),
              kRegAccessDenied);
    // Only HKEY_CURRENT_USER stands in for the registry.
    env_.set("XDG_CONFIG_HOME", root_ + "config");
    EXPECT_NE(narrow_->regSetString(0x80000002u, kKey, "TileWallpaper", "1", 1), kRegSuccess);
    RegValue value;
    EXPECT_EQ(platform_.regQueryValue(kHkeyCurrentUser, kKey, "TileWallpaper", 4096, value),
              kRegFileNotFound);
}

TEST_F(PosixNarrowTest, ListingIsAShellGlobOverRegularFiles) {
    const std::string folder = root_ + "tmp/";
    for (const char* name : {"a.jpg", "B.JPG", "ab.jpg", ".hidden.jpg", "x.bmp", "jpg"}) {
        writeText(folder + name, "x");
    }
    std::filesystem::create_directory(folder + "dir.jpg");
    ASSERT_EQ(symlink("a.jpg", (folder + "link.jpg").c_str()), 0);
    ASSERT_EQ(symlink("missing", (folder + "broken.jpg").c_str()), 0);
    const auto sorted = [&](const std::string& in, const std::string& pattern) {
        std::vector<std::string> names = narrow_->listFiles(in, pattern);
        std::sort(names.begin(), names.end());
        return names;
    };
    using Names = std::vector<std::string>;
    // Letter case counts; hidden files, folders and broken links stay out; links to files are in.
    EXPECT_EQ(sorted(folder, "*.jpg"), (Names{"a.jpg", "ab.jpg", "link.jpg"}));
    EXPECT_EQ(sorted(folder, "*.JPG"), (Names{"B.JPG"}));
    EXPECT_EQ(sorted(folder, "?.jpg"), (Names{"a.jpg"}));
    EXPECT_EQ(sorted(folder, ".*"), (Names{".hidden.jpg"}));
    EXPECT_EQ(sorted(folder, "[aB]*.[jJ]*"), (Names{"B.JPG", "a.jpg", "ab.jpg"}));
    EXPECT_EQ(sorted(folder, "jpg"), (Names{"jpg"}));
    EXPECT_EQ(sorted(root_ + "tmp", "*.bmp"), (Names{"x.bmp"}));
    EXPECT_TRUE(sorted(folder, "*.png").empty());
    EXPECT_TRUE(sorted(root_ + "missing/", "*").empty());
}

TEST_F(PosixNarrowTest, BytesReachThePlatformUnchanged) {
    EXPECT_EQ(narrow_->tempFolder(), root_ + "tmp/");
    // Not UTF-8, and kept so.
    EXPECT_EQ(narrow_->toUtf8("caf\xE9"), "caf\xE9");
    EXPECT_EQ(narrow_->fromUtf8("caf\xC3\xA9"), "caf\xC3\xA9");

    const std::string picture = root_ + "tmp/caf\xE9.bmp";
    ASSERT_TRUE(narrow_->setWallpaper(picture, 0));
    EXPECT_EQ(narrow_->wallpaper(), picture);
    EXPECT_EQ(platform_.wallpaper(), picture);

    ::testing::internal::CaptureStderr();
    narrow_->messageBox("Drape98", "No picture\r\nfound", kMbIconError);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Drape98\nNo picture\nfound\n");

    EXPECT_TRUE(reports_.empty());
}

TEST_F(PosixNarrowTest, TheTerminateBroadcastIsTheWideProgramsOwn) {
    PosixPlatform wide;
    ASSERT_TRUE(platform_.openProgramWindow("drape98"));
    ASSERT_TRUE(wide.openProgramWindow("Drape"));
    wide.waitEvent(0);  // listening before the broadcast is made
    narrow_->broadcastTerminate();
    // Every open window hears it twice, as the wide program's broadcast.
    EXPECT_EQ(terminatesWaiting(platform_), 2);
    EXPECT_EQ(terminatesWaiting(wide), 2);
}

TEST(PosixNarrowArguments, AreArgvsBytesAfterTheProgramName) {
    std::string program = "drape98";
    std::string latin1 = "caf\xE9";
    std::string blanks = "a  b";
    std::string empty;
    std::string quoted = "\"q\"";
    char* argv[] = {program.data(), latin1.data(), blanks.data(),
                    empty.data(),   quoted.data(), nullptr};
    EXPECT_EQ(narrowArguments(5, argv), (std::vector<std::string>{"caf\xE9", "a  b", "", "\"q\""}));
    EXPECT_TRUE(narrowArguments(1, argv).empty());
    EXPECT_TRUE(narrowArguments(0, nullptr).empty());
}

}  // namespace
}  // namespace drape::platform::posix::testing
