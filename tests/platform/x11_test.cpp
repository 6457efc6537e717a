// The posix backend on a private Xvfb: the wallpaper on the root window, the wallpaper query,
// the idle time and the monitors, and the built program in resident mode.
// gtest and the platform's header first: Xlib's macros (None, Bool) would break them.
#include "posix_test_env.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/posix/x11_trap.h"
#include "support/drape_process.h"
#include "x11_test_support.h"

namespace drape::platform::posix::testing {
namespace {

using namespace std::chrono_literals;

constexpr int kWidth = 320;
constexpr int kHeight = 200;

unsigned long pixelOf(Colour c) {
    return static_cast<unsigned long>(c.r) << 16 | static_cast<unsigned long>(c.g) << 8 |
           static_cast<unsigned long>(c.b);
}

// A fixture with its own 320x200x24 Xvfb that DISPLAY names, and a connection of the test's own
// that reads the root window as any other client would.
class X11Test : public PosixTest {
  protected:
    void SetUp() override {
        PosixTest::SetUp();
        DRAPE_REQUIRE_INSTALLED(XvfbServer::installed(), "Xvfb");
        env_.unset("XDG_CURRENT_DESKTOP");
        ASSERT_TRUE(server_.start("320x200x24"));
        env_.set("DISPLAY", server_.name());
        observer_ = XOpenDisplay(server_.name().c_str());
        ASSERT_NE(observer_, nullptr);
    }
    void TearDown() override {
        if (observer_ != nullptr) {
            XCloseDisplay(observer_);
        }
        server_.stop();
        PosixTest::TearDown();
    }

    std::string writeBitmap(const std::string& name, const std::string& bytes) {
        const std::string path = root_ + "tmp/" + name;
        writeText(path, bytes);
        return path;
    }

    Window rootWindow() const { return DefaultRootWindow(observer_); }

    unsigned long rootProperty(const char* name) {
        const Atom property = XInternAtom(observer_, name, False);
        Atom type = None;
        int format = 0;
        unsigned long items = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        unsigned long id = 0;
        if (XGetWindowProperty(observer_, rootWindow(), property, 0, 1, False, XA_PIXMAP, &type,
                               &format, &items, &remaining, &data) == Success &&
            items == 1) {
            id = *reinterpret_cast<unsigned long*>(data);
        }
        if (data != nullptr) {
            XFree(data);
        }
        return id;
    }

    bool pixmapExists(unsigned long id) {
        XErrorTrap trap;
        Window root = 0;
        int x = 0;
        int y = 0;
        unsigned int w = 0;
        unsigned int h = 0;
        unsigned int border = 0;
        unsigned int depth = 0;
        return XGetGeometry(observer_, id, &root, &x, &y, &w, &h, &border, &depth) != 0 &&
               !trap.failed(observer_);
    }

    // "" when every pixel of the root window has the colour that `expected` gives.
    std::string rootMismatch(const std::function<Colour(int, int)>& expected) {
        const WindowPixels pixels(observer_, kWidth, kHeight);
        return pixels.valid() ? pixels.firstMismatch(expected) : "cannot read the root window";
    }
    std::string rootMismatch(Colour colour) {
        return rootMismatch([colour](int, int) { return colour; });
    }

    // What `xsetroot -solid` does: a plain background, announced nowhere.
    void paintRootSolid(Colour colour) {
        XSetWindowBackground(observer_, rootWindow(), pixelOf(colour));
        XClearWindow(observer_, rootWindow());
        XSync(observer_, False);
    }

    // What another well-behaved setter leaves: its own retained pixmap published in both
    // properties, the background itself unchanged.
    unsigned long publishOtherPixmap() {
        Display* setter = XOpenDisplay(server_.name().c_str());
        const Pixmap other = XCreatePixmap(setter, DefaultRootWindow(setter), 1, 1, 24);
        for (const char* name : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"}) {
            XChangeProperty(setter, DefaultRootWindow(setter), XInternAtom(setter, name, False),
                            XA_PIXMAP, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&other), 1);
        }
        XSetCloseDownMode(setter, RetainPermanent);
        XCloseDisplay(setter);
        return other;
    }

    Window mapWindow(int x, int y, int width, int height, Colour colour) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.background_pixel = pixelOf(colour);
        const Window window =
            XCreateWindow(observer_, rootWindow(), x, y, static_cast<unsigned>(width),
                          static_cast<unsigned>(height), 0, CopyFromParent, InputOutput,
                          CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
        XMapWindow(observer_, window);
        XSync(observer_, False);
        return window;
    }

    XvfbServer server_;
    Display* observer_ = nullptr;
};

TEST_F(X11Test, WallpaperPaintsTheRootAndStaysAfterItsFileAndItsSetterAreGone) {
    const std::string path = writeBitmap("drape.bmp", solidBmp(kWidth, kHeight, kRed));
    {
        PosixPlatform setter;
        setter.setReporter([this](const std::string& line) { reports_.push_back(line); });
        ASSERT_TRUE(setter.setWallpaper(path, 0));
        EXPECT_EQ(rootMismatch(kRed), "");
        EXPECT_EQ(setter.wallpaper(), path);
    }
    ASSERT_TRUE(std::filesystem::remove(path));

    const unsigned long published = rootProperty("_XROOTPMAP_ID");
    EXPECT_NE(published, 0u);
    EXPECT_EQ(rootProperty("ESETROOT_PMAP_ID"), published);
    EXPECT_TRUE(pixmapExists(published));
    // Exposing the root repaints it from the retained pixmap, not from anything Drape holds.
    XClearWindow(observer_, rootWindow());
    XSync(observer_, False);
    EXPECT_EQ(rootMismatch(kRed), "");
    EXPECT_EQ(platform_.wallpaper(), path);
    EXPECT_TRUE(reports_.empty());
}

TEST_F(X11Test, EachWallpaperFreesThePixmapOfTheOneBefore) {
    const std::string red = writeBitmap("red.bmp", solidBmp(kWidth, kHeight, kRed));
    const std::string blue = writeBitmap("blue.bmp", solidBmp(kWidth, kHeight, kBlue));
    ASSERT_TRUE(platform_.setWallpaper(red, 0));
    const unsigned long first = rootProperty("_XROOTPMAP_ID");
    ASSERT_TRUE(platform_.setWallpaper(blue, 0));
    const unsigned long second = rootProperty("_XROOTPMAP_ID");

    EXPECT_NE(second, first);
    EXPECT_FALSE(pixmapExists(first));
    EXPECT_TRUE(pixmapExists(second));
    EXPECT_EQ(rootProperty("ESETROOT_PMAP_ID"), second);
    EXPECT_EQ(rootMismatch(kBlue), "");
    EXPECT_EQ(platform_.wallpaper(), blue);

    // A setter that published only _XROOTPMAP_ID did not hand its pixmap over: left alone.
    const Pixmap foreign = XCreatePixmap(observer_, rootWindow(), 1, 1, 24);
    XChangeProperty(observer_, rootWindow(), XInternAtom(observer_, "_XROOTPMAP_ID", False),
                    XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&foreign), 1);
    XSync(observer_, False);
    ASSERT_TRUE(platform_.setWallpaper(red, 0));
    EXPECT_TRUE(pixmapExists(foreign));
    EXPECT_EQ(rootMismatch(kRed), "");
}

TEST_F(X11Test, APublishedPixmapThatIsGoneDoesNotStopTheNextWallpaper) {
    // A setter that published its pixmap in both properties but did not keep it: the ids
    // outlive the pixmap, which went with the setter's connection.
    Display* setter = XOpenDisplay(server_.name().c_str());
    ASSERT_NE(setter, nullptr);
    const Pixmap gone = XCreatePixmap(setter, DefaultRootWindow(setter), 1, 1, 24);
    for (const char* name : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"}) {
        XChangeProperty(setter, DefaultRootWindow(setter), XInternAtom(setter, name, False),
                        XA_PIXMAP, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&gone), 1);
    }
    XCloseDisplay(setter);
    ASSERT_EQ(rootProperty("_XROOTPMAP_ID"), gone);
    ASSERT_FALSE(pixmapExists(gone));

    const std::string path = writeBitmap("drape.bmp", solidBmp(kWidth, kHeight, kRed));
    EXPECT_TRUE(platform_.setWallpaper(path, 0));
    EXPECT_EQ(rootMismatch(kRed), "");
    EXPECT_NE(rootProperty("_XROOTPMAP_ID"), gone);
    EXPECT_TRUE(reports_.empty()) << reports_.front();
}

TEST_F(X11Test, TheKeptPairOfCallsPaintsOnceAndANewPictureAgain) {
    const std::string path = writeBitmap("drape.bmp", solidBmp(kWidth, kHeight, kRed));
    ASSERT_TRUE(platform_.setWallpaper(path, kSpifUpdateIniFile));
    const unsigned long first = rootProperty("_XROOTPMAP_ID");
    ASSERT_TRUE(platform_.setWallpaper(path, kSpifSendWinIniChange));
    EXPECT_EQ(rootProperty("_XROOTPMAP_ID"), first);

    // The same path with new pixels, as each renewal of a resident instance writes it.
    writeText(path, solidBmp(kWidth, kHeight, kGreen));
    ASSERT_TRUE(platform_.setWallpaper(path, 0));
    EXPECT_NE(rootProperty("_XROOTPMAP_ID"), first);
    EXPECT_EQ(rootMismatch(kGreen), "");
}

TEST_F(X11Test, TheTileStartsAtThePrimaryMonitor) {
    // The primary monitor at (0, 0) and a second one above and left of it: the bitmap holds the
    // primary's picture top-left and the second's bottom-right. On the root, the second monitor
    // is the top-left quarter.
    env_.set("DRAPE_MONITORS", "160x100@0,0;160x100@-160,-100");
    const auto quarter = [](int x, int y, Colour tl, Colour tr, Colour bl, Colour br) {
        if (y < 100) {
            return x < 160 ? tl : tr;
        }
        return x < 160 ? bl : br;
    };
    const std::string path = writeBitmap("drape.bmp", bmp24(kWidth, kHeight, [&](int x, int y) {
                                             return quarter(x, y, kRed, kGreen, kWhite, kBlue);
                                         }));
    ASSERT_TRUE(platform_.setWallpaper(path, 0));
    EXPECT_EQ(
        rootMismatch([&](int x, int y) { return quarter(x, y, kBlue, kWhite, kGreen, kRed); }), "");
}

TEST_F(X11Test, TheQueryTellsWhenAnotherProgramReplacedTheBackground) {
    const std::string path = writeBitmap("drape.bmp", solidBmp(kWidth, kHeight, kRed));
    ASSERT_TRUE(platform_.setWallpaper(path, 0));
    ASSERT_EQ(platform_.wallpaper(), path);

    // A setter that announces its pixmap; putting ours back frees that one.
    const unsigned long other = publishOtherPixmap();
    EXPECT_EQ(platform_.wallpaper(), "");
    ASSERT_TRUE(platform_.setWallpaper(path, 0));
    EXPECT_EQ(platform_.wallpaper(), path);
    EXPECT_EQ(rootMismatch(kRed), "");
    EXPECT_FALSE(pixmapExists(other));

    // A setter that announces nothing: the pixels give it away. Putting the same file back
    // really repaints.
    paintRootSolid(kBlue);
    EXPECT_EQ(platform_.wallpaper(), "");
    ASSERT_TRUE(platform_.setWallpaper(path, 0));
    EXPECT_EQ(rootMismatch(kRed), "");
    EXPECT_EQ(platform_.wallpaper(), path);

    // The same through the real tool, when it is installed.
    const std::string xsetroot = programOnPath("xsetroot");
    if (!xsetroot.empty()) {
        ASSERT_EQ(std::system(("'" + xsetroot + "' -solid blue").c_str()), 0);
        EXPECT_EQ(platform_.wallpaper(), "");
    }
}

TEST_F(X11Test, WindowsOverTheRootAreNotMistakenForAnotherBackground) {
    const std::string path = writeBitmap("drape.bmp", solidBmp(kWidth, kHeight, kRed));
    ASSERT_TRUE(platform_.setWallpaper(path, 0));

    // A small window over the middle of the screen, then one over all of it (a desktop of
    // icons): nothing says the background changed.
    const Window small = mapWindow(150, 90, 20, 20, kGreen);
    EXPECT_EQ(platform_.wallpaper(), path);
    const Window desktop = mapWindow(0, 0, kWidth, kHeight, kBlue);
    EXPECT_EQ(platform_.wallpaper(), path);
    // Under a covering window only the published pixmap can tell.
    publishOtherPixmap();
    EXPECT_EQ(platform_.wallpaper(), "");
    XDestroyWindow(observer_, desktop);
    XDestroyWindow(observer_, small);
    XSync(observer_, False);

    // Some points with other pixels (a clock drawn on the root) do not make a new background.
    ASSERT_TRUE(platform_.setWallpaper(path, 0));
    GC gc = XCreateGC(observer_, rootWindow(), 0, nullptr);
    XSetForeground(observer_, gc, pixelOf(kWhite));
    XFillRectangle(observer_, rootWindow(), gc, 0, 0, kWidth, 70);  // the top third
    XFreeGC(observer_, gc);
    XSync(observer_, False);
    EXPECT_EQ(platform_.wallpaper(), path);
}

TEST_F(X11Test, RecordsOfOtherDisplaysOrWithoutAPixmapAreReadAsBefore) {
    std::filesystem::create_directories(root_ + "run/drape");
    const std::string record = root_ + "run/drape/wallpaper";
    // An older record holds only the path: nothing to compare, the path stands.
    writeText(record, "/old/drape.bmp");
    EXPECT_EQ(platform_.wallpaper(), "/old/drape.bmp");
    // A picture on another display is not what this display shows.
    writeText(record,
              std::string("/other/drape.bmp") + '\0' + ":4711" + '\0' + "400001" + '\0' + "1");
    EXPECT_EQ(platform_.wallpaper(), "");
    // Without a display the session's path stands, as before.
    env_.unset("DISPLAY");
    EXPECT_EQ(platform_.wallpaper(), "/other/drape.bmp");
}

TEST_F(X11Test, PicturesThatCannotBeShownAreReportedOnceAndNotRetriedForever) {
    const std::string photo = writeBitmap("photo.jpg", "\xFF\xD8\xFF\xE0 not a bitmap");
    EXPECT_FALSE(platform_.setWallpaper(photo, 0));
    EXPECT_FALSE(platform_.setWallpaper(photo, 0));
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0], "cannot show " + photo + " on the desktop: not a BMP file");
    EXPECT_EQ(rootProperty("_XROOTPMAP_ID"), 0u);
    // Recorded all the same: a resident instance must not renew at every check.
    EXPECT_EQ(platform_.wallpaper(), photo);

    EXPECT_FALSE(platform_.setWallpaper(root_ + "tmp/missing.bmp", 0));
    ASSERT_EQ(reports_.size(), 2u);
    EXPECT_EQ(reports_[1],
              "cannot show " + root_ + "tmp/missing.bmp on the desktop: " + std::strerror(ENOENT));
}

TEST_F(X11Test, VisualsOtherThanTrueColourOf24Or32BitsAreSkipped) {
    XvfbServer shallow;
    ASSERT_TRUE(shallow.start("320x200x16"));
    env_.set("DISPLAY", shallow.name());
    const std::string path = writeBitmap("drape.bmp", solidBmp(kWidth, kHeight, kRed));
    EXPECT_FALSE(platform_.setWallpaper(path, 0));
    EXPECT_FALSE(platform_.setWallpaper(path, 0));
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_NE(reports_[0].find("on the X display " + shallow.name()), std::string::npos)
        << reports_[0];
    EXPECT_NE(reports_[0].find("depth 16"), std::string::npos) << reports_[0];
    EXPECT_EQ(platform_.wallpaper(), path);
}

TEST_F(X11Test, IdleTimeComesFromTheScreenSaverExtension) {
    // Nobody has touched the fresh server.
    std::this_thread::sleep_for(1200ms);
    uint32_t now = platform_.tickCount();
    int32_t idle = static_cast<int32_t>(now - platform_.lastInputTick());
    EXPECT_GE(idle, 1000);
    EXPECT_LT(idle, 60000);

    // Resetting the screen saver counts as activity.
    XResetScreenSaver(observer_);
    XSync(observer_, False);
    now = platform_.tickCount();
    idle = static_cast<int32_t>(now - platform_.lastInputTick());
    EXPECT_LT(std::abs(idle), 500);
}

TEST_F(X11Test, TheDisplaysDotsPerInchSizeTheTextAndAreReadOnce) {
    env_.unset("DRAPE_DPI");
    EXPECT_TRUE(platform_.hasGraphicalDisplay());

    XvfbServer fine;
    ASSERT_TRUE(fine.start("640x1080x24", {"-dpi", "192"}));
    env_.set("DISPLAY", fine.name());
    PosixPlatform sharp;
    // The physical height is kept in whole millimetres, so the figure read back is near.
    EXPECT_NEAR(sharp.displayDpiY(), 192, 2);
    const int first = sharp.displayDpiY();
    fine.stop();
    EXPECT_EQ(sharp.displayDpiY(), first);

    env_.unset("DISPLAY");
    PosixPlatform headless;
    EXPECT_EQ(headless.displayDpiY(), 96);
    EXPECT_FALSE(headless.hasGraphicalDisplay());
}

TEST_F(X11Test, MonitorsComeFromRandRPrimaryFirstElseFromTheScreen) {
    EXPECT_EQ(platform_.enumerateMonitors(), (std::vector<Monitor>{{0, 0, 320, 200, 24}}));

    // Two monitors added beside the server's own, the primary on the right.
    XRRMonitorInfo* added = XRRAllocateMonitor(observer_, 0);
    *added = {};
    added->name = XInternAtom(observer_, "LEFT", False);
    added->width = 160;
    added->height = 200;
    XRRSetMonitor(observer_, rootWindow(), added);
    added->name = XInternAtom(observer_, "RIGHT", False);
    added->x = 160;
    added->primary = True;
    XRRSetMonitor(observer_, rootWindow(), added);
    XFree(added);
    XSync(observer_, False);
    const std::vector<Monitor> monitors = platform_.enumerateMonitors();
    ASSERT_EQ(monitors.size(), 3u);
    EXPECT_EQ(monitors[0], (Monitor{0, 0, 160, 200, 24}));
    EXPECT_NE(std::find(monitors.begin(), monitors.end(), Monitor{-160, 0, 160, 200, 24}),
              monitors.end());

    // A server without RandR: the screen is the one monitor.
    XvfbServer plain;
    ASSERT_TRUE(plain.start("640x480x24", {"-extension", "RANDR"}));
    env_.set("DISPLAY", plain.name());
    EXPECT_EQ(platform_.enumerateMonitors(), (std::vector<Monitor>{{0, 0, 640, 480, 24}}));
}

TEST_F(X11Test, AServerThatGoesAwayDoesNotEndTheProgram) {
    const std::string path = writeBitmap("drape.bmp", solidBmp(kWidth, kHeight, kRed));
    ASSERT_TRUE(platform_.setWallpaper(path, 0));
    ASSERT_EQ(platform_.wallpaper(), path);
    const std::string gone = server_.name();
    XCloseDisplay(observer_);
    observer_ = nullptr;
    server_.stop();

    // DISPLAY still names the dead server: everything reads as without a display.
    EXPECT_EQ(platform_.wallpaper(), path);
    EXPECT_GT(static_cast<int32_t>(platform_.tickCount() - platform_.lastInputTick()), 0x7FFF0000);
    EXPECT_EQ(platform_.enumerateMonitors(), (std::vector<Monitor>{{0, 0, 1920, 1080, 24}}));

    // Another server: the picture recorded for the old one is not on it.
    ASSERT_TRUE(server_.start("320x200x24"));
    env_.set("DISPLAY", server_.name());
    // (The new server may even have the old one's number.)
    EXPECT_EQ(platform_.wallpaper(), "") << gone << " then " << server_.name();
    ASSERT_TRUE(platform_.setWallpaper(path, 0));
    EXPECT_EQ(platform_.wallpaper(), path);
}

// The built program with DISPLAY pointing at the private server.
class DrapeOnX11Test : public X11Test {
  protected:
    void SetUp() override {
        X11Test::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        program_ = drape::test::builtDrape();
        if (program_.empty()) {
            GTEST_SKIP() << "DRAPE_BIN_DIR does not hold the built program";
        }
    }
    void TearDown() override {
        for (const pid_t pid : running_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        X11Test::TearDown();
    }

    // Starts drape with `words`, in the fixture's folders, on the private server.
    pid_t start(const std::vector<std::string>& words) {
        std::vector<std::string> environment = {
            "HOME=" + root_ + "home",
            "TMPDIR=" + root_ + "tmp",
            "XDG_CONFIG_HOME=" + root_ + "config",
            "XDG_RUNTIME_DIR=" + root_ + "run",
            "XDG_CACHE_HOME=" + root_ + "cache",
            "DISPLAY=" + server_.name(),
        };
        const pid_t pid =
            drape::test::spawnDrape(program_, words, std::move(environment), root_ + "drape.log");
        if (pid < 0) {
            return -1;
        }
        running_.push_back(pid);
        return pid;
    }

    // The exit status of `pid` once it ended within `limit`; nullopt when it is still running.
    std::optional<int> waitFor(pid_t pid, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > end) {
                return std::nullopt;
            }
            std::this_thread::sleep_for(20ms);
        }
        running_.erase(std::remove(running_.begin(), running_.end(), pid), running_.end());
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    // Polls the root window until it is all `colour`, at most `limit`.
    bool rootBecomes(Colour colour, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!rootMismatch(colour).empty()) {
            if (std::chrono::steady_clock::now() > end) {
                return false;
            }
            std::this_thread::sleep_for(50ms);
        }
        return true;
    }

    std::string output() { return readText(root_ + "drape.log"); }

    std::string program_;
    std::vector<pid_t> running_;
};

TEST_F(DrapeOnX11Test, AResidentInstancePutsItsWallpaperBackAfterAnotherProgramReplacedIt) {
    const pid_t once = start({"red", "keep"});
    ASSERT_EQ(waitFor(once, 30s), 0) << output();
    EXPECT_EQ(rootMismatch(kRed), "") << output();

    const pid_t resident = start({"blue", "background"});
    ASSERT_TRUE(rootBecomes(kBlue, 30s)) << rootMismatch(kBlue) << "\n" << output();

    // Another program sets a plain background; the next check, about a second later, sees it.
    const std::string xsetroot = programOnPath("xsetroot");
    if (!xsetroot.empty()) {
        ASSERT_EQ(std::system(("'" + xsetroot + "' -solid green").c_str()), 0);
    } else {
        paintRootSolid(kGreen);
    }
    EXPECT_TRUE(rootBecomes(kBlue, 2s)) << rootMismatch(kBlue) << "\n" << output();

    const pid_t killer = start({"kill"});
    EXPECT_EQ(waitFor(killer, 30s), 0) << output();
    EXPECT_EQ(waitFor(resident, 5s), 0) << output();
}

TEST_F(PosixTest, WithoutADisplayTheUserCountsAsIdleForAsLongAsTheCoreCanTell) {
    for (const char* display : {"", ":65000"}) {
        env_.set("DISPLAY", display);
        const uint32_t now = platform_.tickCount();
        const auto idle = static_cast<int32_t>(now - platform_.lastInputTick());
        EXPECT_GT(idle, 0x7FFF0000) << "DISPLAY=" << display;
    }
}

}  // namespace
}  // namespace drape::platform::posix::testing
