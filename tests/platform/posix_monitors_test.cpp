#include "platform/posix/posix_monitors.h"

#include "posix_test_env.h"

namespace drape::platform::posix::testing {
namespace {

std::vector<Monitor> parse(std::string_view text) {
    std::string error;
    const auto monitors = parseMonitorList(text, error);
    EXPECT_TRUE(monitors.has_value()) << error;
    return monitors.value_or(std::vector<Monitor>{});
}

TEST(MonitorList, ReadsEntriesWithNegativePositionsAndDepth) {
    EXPECT_EQ(parse("1920x1080@0,0;1280x1024@-1280,0"),
              (std::vector<Monitor>{{0, 0, 1920, 1080, 24}, {-1280, 0, 1280, 1024, 24}}));
    EXPECT_EQ(parse("800x600@+800,-600:16"), (std::vector<Monitor>{{800, -600, 800, 600, 16}}));
}

TEST(MonitorList, IgnoresBlanksEmptyEntriesAndLineEnds) {
    EXPECT_EQ(parse("  \r\n 640x480@0,0 \r\n\n\t;; 1x1@-1000000,1000000:1 ;\n"),
              (std::vector<Monitor>{{0, 0, 640, 480, 24}, {-1000000, 1000000, 1, 1, 1}}));
    EXPECT_EQ(parse("32767x32767@0,0:64"), (std::vector<Monitor>{{0, 0, 32767, 32767, 64}}));
    EXPECT_TRUE(parse(" ;\n ").empty());
}

TEST(MonitorList, BadEntryIsNamedWithTheReason) {
    const struct {
        const char* entry;
        const char* reason;
    } cases[] = {
        {"19x", "expected WxH@X,Y[:DEPTH]"},
        {"10x10@0", "expected WxH@X,Y[:DEPTH]"},
        {"10x10@a,0", "expected WxH@X,Y[:DEPTH]"},
        {"10x10@0,0:", "expected WxH@X,Y[:DEPTH]"},
        {"10x10@0,0:24:1", "expected WxH@X,Y[:DEPTH]"},
        {"10 x10@0,0", "expected WxH@X,Y[:DEPTH]"},
        {"0x10@0,0", "width and height must be 1 to 32767"},
        {"-5x10@0,0", "width and height must be 1 to 32767"},
        {"32768x10@0,0", "width and height must be 1 to 32767"},
        {"10x10@1000001,0", "X and Y must be -1000000 to 1000000"},
        {"10x10@0,-99999999999999999999", "X and Y must be -1000000 to 1000000"},
        {"10x10@0,0:0", "depth must be 1 to 64"},
        {"10x10@0,0:+24", "depth must be 1 to 64"},
    };
    for (const auto& c : cases) {
        std::string error;
        const std::string text = std::string("1920x1080@0,0; ") + c.entry + " ;640x480@0,0";
        EXPECT_FALSE(parseMonitorList(text, error).has_value()) << c.entry;
        EXPECT_EQ(error, std::string("bad monitor entry \"") + c.entry + "\": " + c.reason);
    }
}

TEST_F(PosixTest, MonitorSettingNamesItsSourceInErrors) {
    std::string error;
    EXPECT_FALSE(monitorsFromSetting("19x", error));
    EXPECT_EQ(error, "DRAPE_MONITORS: bad monitor entry \"19x\": expected WxH@X,Y[:DEPTH]");
    EXPECT_FALSE(monitorsFromSetting("@" + root_ + "missing", error));
    EXPECT_EQ(error, "DRAPE_MONITORS: cannot read " + root_ + "missing: No such file or directory");
    writeText(root_ + "list", "1x1@0,0\nbad\n");
    EXPECT_FALSE(monitorsFromSetting("@" + root_ + "list", error));
    EXPECT_EQ(error, "DRAPE_MONITORS file " + root_ +
                         "list: bad monitor entry \"bad\": expected WxH@X,Y[:DEPTH]");
}

TEST_F(PosixTest, MonitorsComeFromTheVariable) {
    env_.set("DRAPE_MONITORS", "1920x1080@0,0;1280x1024@-1280,0:32");
    EXPECT_EQ(platform_.enumerateMonitors(),
              (std::vector<Monitor>{{0, 0, 1920, 1080, 24}, {-1280, 0, 1280, 1024, 32}}));
    // The first entry is the primary monitor, which the layout puts at (0, 0).
    env_.set("DRAPE_MONITORS", "1280x1024@-1280,10;1920x1080@0,0");
    EXPECT_EQ(platform_.enumerateMonitors(),
              (std::vector<Monitor>{{0, 0, 1280, 1024, 24}, {1280, -10, 1920, 1080, 24}}));
    EXPECT_TRUE(reports_.empty());
}

TEST_F(PosixTest, MonitorFileIsReadAgainAtEveryCall) {
    const std::string list = root_ + "monitors.txt";
    env_.set("DRAPE_MONITORS", "@" + list);
    writeText(list, "1024x768@0,0\n");
    EXPECT_EQ(platform_.enumerateMonitors(), (std::vector<Monitor>{{0, 0, 1024, 768, 24}}));
    writeText(list, "  800x600@0,0:8  \n\n  640x480@800,0\n");
    EXPECT_EQ(platform_.enumerateMonitors(),
              (std::vector<Monitor>{{0, 0, 800, 600, 8}, {800, 0, 640, 480, 24}}));
}

TEST_F(PosixTest, BadOrEmptySourcesFallToTheDefaultMonitor) {
    const std::vector<Monitor> fallback{{0, 0, 1920, 1080, 24}};
    EXPECT_EQ(platform_.enumerateMonitors(), fallback);

    env_.set("DRAPE_MONITORS", "1920x1080@0,0;19x");
    EXPECT_EQ(platform_.enumerateMonitors(), fallback);
    EXPECT_EQ(platform_.enumerateMonitors(), fallback);
    // Told once, not at every enumeration of the resident loop.
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0],
              "DRAPE_MONITORS: bad monitor entry \"19x\": expected WxH@X,Y[:DEPTH]; using the "
              "next monitor source");

    env_.set("DRAPE_MONITORS", "@" + root_ + "absent");
    EXPECT_EQ(platform_.enumerateMonitors(), fallback);
    EXPECT_EQ(reports_.size(), 2u);

    writeText(root_ + "empty", "\n  \n");
    env_.set("DRAPE_MONITORS", "@" + root_ + "empty");
    EXPECT_EQ(platform_.enumerateMonitors(), fallback);
    EXPECT_EQ(reports_.size(), 2u);
}

}  // namespace
}  // namespace drape::platform::posix::testing
