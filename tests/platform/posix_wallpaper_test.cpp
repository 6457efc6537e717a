// The GNOME side of setting a wallpaper, with a stand-in gsettings on PATH that logs its
// arguments, so that no test touches the real desktop's settings.
#include <sys/stat.h>

#include <chrono>

#include "posix_test_env.h"
#include "x11_test_support.h"

namespace drape::platform::posix::testing {
namespace {

constexpr const char* kSchema = "org.gnome.desktop.background";

class GnomeTest : public PosixTest {
  protected:
    void SetUp() override {
        PosixTest::SetUp();
        std::filesystem::create_directory(root_ + "bin");
        writeText(root_ + "bin/gsettings",
                  "#!/bin/sh\n"
                  "printf '%s\\n' \"$*\" >> '" +
                      log() +
                      "'\n"
                      "[ \"$3\" = \"$FAKE_FAILING_KEY\" ] && exit 1\n"
                      "[ -n \"$FAKE_SLEEP\" ] && exec sleep \"$FAKE_SLEEP\"\n"
                      "exit 0\n");
        chmod((root_ + "bin/gsettings").c_str(), 0700);
        const char* path = std::getenv("PATH");
        env_.set("PATH", root_ + "bin:" + (path != nullptr ? path : "/usr/bin:/bin"));
        env_.set("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
        env_.set("XDG_CACHE_HOME", root_ + "cache dir");
        env_.unset("FAKE_FAILING_KEY");
        env_.unset("FAKE_SLEEP");
    }

    std::string log() const { return root_ + "gsettings.log"; }
    std::string copy() const { return root_ + "cache dir/drape/wallpaper.bmp"; }

    std::string writeBitmap(Colour colour) {
        const std::string path = root_ + "tmp/drape.bmp";
        writeText(path, solidBmp(4, 2, colour));
        return path;
    }
};

TEST_F(GnomeTest, ACopyOfTheBitmapBecomesGnomesTiledPicture) {
    const std::string path = writeBitmap(kRed);
    ASSERT_TRUE(platform_.setWallpaper(path, 0));
    ASSERT_TRUE(std::filesystem::remove(path));

    EXPECT_EQ(readText(copy()), solidBmp(4, 2, kRed));
    struct stat info {};
    ASSERT_EQ(stat(copy().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    const std::string uri = "'file://" + root_ + "cache%20dir/drape/wallpaper.bmp'";
    EXPECT_EQ(readText(log()), std::string("set ") + kSchema + " picture-uri " + uri + "\n" +
                                   "set " + kSchema + " picture-uri-dark " + uri + "\n" + "set " +
                                   kSchema + " picture-options 'wallpaper'\n");
    // Without an X display the query answers from the session record, as before.
    EXPECT_EQ(platform_.wallpaper(), path);
    EXPECT_TRUE(reports_.empty());
}

TEST_F(GnomeTest, TheKeptPairSetsGnomeOnceAndANewPictureAgain) {
    const std::string path = writeBitmap(kRed);
    ASSERT_TRUE(platform_.setWallpaper(path, kSpifUpdateIniFile));
    ASSERT_TRUE(platform_.setWallpaper(path, kSpifSendWinIniChange));
    const std::string once = readText(log());
    EXPECT_EQ(std::count(once.begin(), once.end(), '\n'), 3);

    writeBitmap(kBlue);
    ASSERT_TRUE(platform_.setWallpaper(path, 0));
    const std::string twice = readText(log());
    EXPECT_EQ(std::count(twice.begin(), twice.end(), '\n'), 6);
    EXPECT_EQ(readText(copy()), solidBmp(4, 2, kBlue));
}

TEST_F(GnomeTest, OnlyGnomeSessionsWithGsettingsAreTouched) {
    const std::string path = writeBitmap(kRed);
    for (const char* desktop : {"KDE", "NOTGNOME:XFCE", "", "GNOMEish"}) {
        env_.set("XDG_CURRENT_DESKTOP", desktop);
        EXPECT_TRUE(platform_.setWallpaper(path, 0)) << desktop;
    }
    env_.unset("XDG_CURRENT_DESKTOP");
    EXPECT_TRUE(platform_.setWallpaper(path, 0));
    EXPECT_FALSE(std::filesystem::exists(log()));
    EXPECT_FALSE(std::filesystem::exists(root_ + "cache dir"));

    // GNOME without gsettings: nothing to call, quietly.
    env_.set("XDG_CURRENT_DESKTOP", "GNOME");
    env_.set("PATH", root_ + "tmp");
    EXPECT_TRUE(platform_.setWallpaper(path, 0));
    EXPECT_FALSE(std::filesystem::exists(log()));
    EXPECT_TRUE(reports_.empty());

    // Names in the list are compared without regard to case.
    env_.set("PATH", root_ + "bin");
    env_.set("XDG_CURRENT_DESKTOP", "Budgie:gnome");
    EXPECT_TRUE(platform_.setWallpaper(path, 0));
    EXPECT_TRUE(std::filesystem::exists(copy()));
}

TEST_F(GnomeTest, TheCacheFolderFollowsTheXdgRules) {
    // A relative XDG_CACHE_HOME is ignored, as the base directory rules say.
    env_.set("XDG_CACHE_HOME", "relative/cache");
    ASSERT_TRUE(platform_.setWallpaper(writeBitmap(kGreen), 0));
    EXPECT_EQ(readText(root_ + "home/.cache/drape/wallpaper.bmp"), solidBmp(4, 2, kGreen));
    EXPECT_NE(readText(log()).find("'file://" + root_ + "home/.cache/drape/wallpaper.bmp'"),
              std::string::npos);
}

TEST_F(GnomeTest, ProblemsAreReportedOnceAndOnlyTheDarkPictureMayBeMissing) {
    const std::string path = writeBitmap(kRed);
    // GNOME before 42 has no picture for the dark style.
    env_.set("FAKE_FAILING_KEY", "picture-uri-dark");
    EXPECT_TRUE(platform_.setWallpaper(path, 0));
    EXPECT_TRUE(reports_.empty());

    writeBitmap(kBlue);
    env_.set("FAKE_FAILING_KEY", "picture-uri");
    EXPECT_FALSE(platform_.setWallpaper(path, 0));
    EXPECT_FALSE(platform_.setWallpaper(path, 0));
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0], std::string("cannot set the GNOME background: gsettings did not set ") +
                               kSchema + " picture-uri");
    // Recorded all the same, so a resident instance does not renew at every check.
    EXPECT_EQ(platform_.wallpaper(), path);

    // A file GNOME would not get from Drape is not handed on.
    const std::string photo = root_ + "tmp/photo.png";
    writeText(photo, "\x89PNG\r\n\x1a\n");
    const size_t calls = readText(log()).size();
    EXPECT_FALSE(platform_.setWallpaper(photo, 0));
    EXPECT_EQ(readText(log()).size(), calls);
    ASSERT_EQ(reports_.size(), 2u);
    EXPECT_EQ(reports_[1], "cannot show " + photo + " on the desktop: not a BMP file");
}

TEST_F(GnomeTest, AGsettingsThatHangsIsStoppedAfterAFewSeconds) {
    env_.set("FAKE_SLEEP", "60");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(platform_.setWallpaper(writeBitmap(kRed), 0));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::seconds(4));
    EXPECT_LT(waited, std::chrono::seconds(15));
    ASSERT_EQ(reports_.size(), 1u);
}

}  // namespace
}  // namespace drape::platform::posix::testing
