// A Platform assembled from parts: the unavailable concerns fail the way the interface
// documents, a backend that has filled in one concern gets its calls there, and memory advice
// is harmless without a platform.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/memory.h"
#include "platform/platform.h"
#include "platform/unavailable.h"
#include "support/fake_platform.h"

namespace drape::platform {
namespace {

struct UnavailableParts {
    UnavailableSystem system;
    UnavailableRegistry registry;
    UnavailableDesktop desktop;
    UnavailableDrawing drawing;
    UnavailableWindowing windowing;
    UnavailableControls controls;
};

class UnavailablePlatform : public ::testing::Test {
  protected:
    UnavailableParts parts_;
    Platform os_{parts_.system,  parts_.registry,  parts_.desktop,
                 parts_.drawing, parts_.windowing, parts_.controls};
};

TEST_F(UnavailablePlatform, SystemKnowsNothingAndTouchesNoFile) {
    EXPECT_EQ(os_.hostName(), "");
    EXPECT_TRUE(os_.ipv4Addresses().empty());
    EXPECT_EQ(os_.programPath(), "");
    EXPECT_EQ(os_.tempFolder(), "");
    EXPECT_LT(os_.fileSize("/"), 0);
    EXPECT_EQ(os_.readFile("/etc/hostname", 1 << 20), std::nullopt);
    EXPECT_EQ(os_.createFile("unavailable-test-file"), nullptr);
    EXPECT_FALSE(os_.copyFile("/etc/hostname", "unavailable-test-file"));
    EXPECT_FALSE(os_.deleteFile("unavailable-test-file"));
    EXPECT_TRUE(os_.listFiles("/").empty());
    EXPECT_EQ(os_.pathSeparator(), '/');
}

TEST_F(UnavailablePlatform, RegistryFindsNothingAndRefusesChanges) {
    RegValue value{RegType::Dword, {1, 0, 0, 0}};
    EXPECT_EQ(os_.regOpenKey(kHkeyCurrentUser, "Software"), kRegFileNotFound);
    EXPECT_EQ(os_.regQueryValue(kHkeyCurrentUser, "Software", "x", 4, value), kRegFileNotFound);
    EXPECT_EQ(os_.regCreateKey(kHkeyCurrentUser, "Software\\Drape"), kRegAccessDenied);
    EXPECT_EQ(os_.regSetValue(kHkeyCurrentUser, "Software\\Drape", "x", value), kRegAccessDenied);
    EXPECT_EQ(os_.regDeleteValue(kHkeyCurrentUser, "Software\\Drape", "x"), kRegAccessDenied);
    // A failed query leaves the caller's value alone.
    EXPECT_EQ(value.type, RegType::Dword);
    EXPECT_EQ(value.data.size(), 4u);
}

TEST_F(UnavailablePlatform, DesktopHasNoMonitorWallpaperOrFolder) {
    EXPECT_TRUE(os_.enumerateMonitors().empty());
    EXPECT_FALSE(os_.setWallpaper("/tmp/x.bmp", kSpifUpdateIniFile | kSpifSendWinIniChange));
    EXPECT_EQ(os_.wallpaper(), "");
    EXPECT_EQ(os_.desktopFolder(), "");
    ShortcutLink link;
    link.target = "/bin/true";
    link.linkPath = "/tmp/unavailable-test-link";
    EXPECT_FALSE(os_.createShortcut(link));
}

TEST_F(UnavailablePlatform, DrawingLeavesPixelsAloneAndHasNoFonts) {
    const std::vector<uint8_t> source(2 * 2 * 3, 200);
    std::vector<uint8_t> target(4 * 4 * 3, 7);
    os_.stretchHalftone({2, 2, 6, source.data()}, {4, 4, 12, target.data()});
    EXPECT_EQ(target, std::vector<uint8_t>(4 * 4 * 3, 7));

    EXPECT_EQ(os_.displayDpiY(), 96);
    const FontId font = os_.createFont({"Arial", 12});
    EXPECT_EQ(font, 0u);
    const TextExtent extent = os_.measureText(font, "text");
    EXPECT_EQ(extent.width, 0);
    EXPECT_EQ(extent.height, 0);
    os_.renderText(font, "text", 0, {4, 4, 12, target.data()});
    EXPECT_EQ(target, std::vector<uint8_t>(4 * 4 * 3, 7));
}

TEST_F(UnavailablePlatform, WindowingOpensNothingAndWaitsForNothing) {
    EXPECT_FALSE(os_.openProgramWindow("Drape"));
    os_.broadcastTerminate();
    // No broadcast arrives, and a wait never blocks: there is nothing it could wait for.
    EXPECT_EQ(os_.waitEvent(60000).kind, EventKind::None);
    EXPECT_FALSE(os_.openViewer("Help", 20));
    EXPECT_EQ(os_.waitViewerInput(), ViewerInput::Close);
    EXPECT_FALSE(os_.hasGraphicalDisplay());
}

TEST_F(UnavailablePlatform, ControlsOpenNoWindowAndEveryChooserIsCancelled) {
    EXPECT_EQ(os_.controls().openWindow({"Drape", 510, 408, false}, {}), 0u);
    EXPECT_EQ(os_.controls().chooseFile("Select image", "All (*.*)|*.*"), "");
    EXPECT_EQ(os_.controls().chooseFolder("Select folder"), "");
    EXPECT_EQ(os_.controls().listIndex(100), -1);
    EXPECT_FALSE(os_.controls().ticked(100));
}

// A backend that has its desktop and nothing else yet.
class DesktopOnly final : public UnavailableDesktop {
  public:
    std::vector<Monitor> enumerateMonitors() override { return {{0, 0, 800, 600, 24}}; }
    bool setWallpaper(const std::string& path, uint32_t flags) override {
        set.push_back(path + "/" + std::to_string(flags));
        return true;
    }
    std::vector<std::string> set;
};

TEST(PlatformAssembly, CallsReachTheConcernTheBackendFilledIn) {
    UnavailableParts parts;
    DesktopOnly desktop;
    Platform os(parts.system, parts.registry, desktop, parts.drawing, parts.windowing,
                parts.controls);
    EXPECT_EQ(&os.desktop(), &desktop);
    EXPECT_EQ(os.enumerateMonitors(), (std::vector<Monitor>{{0, 0, 800, 600, 24}}));
    EXPECT_TRUE(os.setWallpaper("a.bmp", kSpifUpdateIniFile));
    EXPECT_EQ(desktop.set, std::vector<std::string>{"a.bmp/1"});
    // The rest still fail as the unavailable parts do.
    EXPECT_LT(os.fileSize("a.bmp"), 0);
    EXPECT_EQ(os.regOpenKey(kHkeyCurrentUser, "Control Panel\\Desktop"), kRegFileNotFound);
}

TEST(LargePageAdvice, IsHarmlessWithoutAPlatformAndReachesTheInstalledOne) {
    ASSERT_EQ(currentOrNull(), nullptr);
    std::vector<uint8_t> buffer(3 * 4096 + 17, 0x5A);
    adviseLargePages(buffer.data() + 1, buffer.size() - 1);
    adviseLargePages(nullptr, 0);
    EXPECT_EQ(buffer, std::vector<uint8_t>(3 * 4096 + 17, 0x5A));

    test::FakePlatform fake;
    setCurrent(&fake);
    EXPECT_EQ(currentOrNull(), &fake);
    adviseLargePages(buffer.data(), buffer.size());
    adviseLargePages(buffer.data(), 0);
    setCurrent(nullptr);
    EXPECT_EQ(fake.advisedBytes, buffer.size());
    EXPECT_EQ(currentOrNull(), nullptr);
}

}  // namespace
}  // namespace drape::platform
