#include "interp/text_layer.h"

#include <gtest/gtest.h>

#include "support/run_fixture.h"

namespace drape::test {
namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};

// The fake's coverage of a glyph box, red, green, blue.
constexpr int kCoverage[3] = {255, 128, 64};

// Solid text over `old`: each channel mixed by its own coverage.
Rgb solid(Rgb front, Rgb old) {
    const auto mix = [](int f, int o, int m) { return (f * m + o * (255 - m)) / 255; };
    return {mix(front.r, old.r, kCoverage[0]), mix(front.g, old.g, kCoverage[1]),
            mix(front.b, old.b, kCoverage[2])};
}

// Transparent text over `old`: one weight from the mean coverage and the alpha.
Rgb blended(Rgb front, int alpha, Rgb old) {
    const int k = alpha * (kCoverage[0] + kCoverage[1] + kCoverage[2]) / 765;
    const auto mix = [k](int f, int o) { return (f * k + o * (255 - k)) / 255; };
    return {mix(front.r, old.r), mix(front.g, old.g), mix(front.b, old.b)};
}

struct Box {
    int left = 0;
    int top = 0;
    int right = -1;  // inclusive; -1 when nothing changed
    int bottom = -1;
    bool operator==(const Box&) const = default;
};

void PrintTo(const Box& b, std::ostream* os) {
    *os << "[" << b.left << ".." << b.right << "] x [" << b.top << ".." << b.bottom << "]";
}

class TextLayerTest : public RunTest {
  protected:
    BmpImage paint(const std::string& command) {
        run(command);
        auto image = installed();
        EXPECT_TRUE(image) << command;
        return image.value_or(BmpImage{});
    }

    // The smallest box holding every pixel that differs from the start colour, within the
    // rows from `top` to `bottom` inclusive.
    static Box changed(const BmpImage& image, int top = 0, int bottom = 1 << 20) {
        Box box{image.width, image.height, -1, -1};
        for (int y = std::max(top, 0); y <= std::min(bottom, image.height - 1); ++y) {
            for (int x = 0; x < image.width; ++x) {
                if (!(image.at(x, y) == kStart)) {
                    box.left = std::min(box.left, x);
                    box.top = std::min(box.top, y);
                    box.right = std::max(box.right, x);
                    box.bottom = std::max(box.bottom, y);
                }
            }
        }
        return box.right < 0 ? Box{} : box;
    }

    std::vector<std::string> rendered() const {
        std::vector<std::string> texts;
        for (const auto& call : os.textRenders) {
            texts.push_back(call.text);
        }
        return texts;
    }

    void threeMonitors() {
        useMonitors({{0, 0, 200, 120, 24}, {200, 0, 200, 120, 24}, {400, 0, 200, 120, 24}});
    }
};

// --- Placeholders -----------------------------------------------------------------------

TEST_F(TextLayerTest, PlaceholdersShowTheLiveFacts) {
    os.user = "ann";
    os.host = "web-01";
    os.addresses = {FakePlatform::address(192, 168, 1, 23), FakePlatform::address(10, 0, 0, 5)};
    CheckAddresses();
    CheckAddresses();
    state().monitor.currentMonitor = 4;
    EXPECT_EQ(ExpandPlaceholders("~user~@~host~ ~ip~ #~monitor~/~desktop~"),
              "ann@web-01 192.168.1.23 #5/5");
    EXPECT_EQ(ExpandPlaceholders("~ip~~ip~ ~user ~"), "192.168.1.23192.168.1.23 ~user ~");
    EXPECT_EQ(ExpandPlaceholders("~IP~ ~Host~"), "~IP~ ~Host~");  // exact case only
}

TEST_F(TextLayerTest, MissingFactsGiveEmptyOrZeroReplacements) {
    os.user.clear();
    os.host.clear();
    CheckAddresses();
    EXPECT_EQ(ExpandPlaceholders("[~user~|~host~|~ip~|~ipall~|~USER~]"), "[||0.0.0.0||]");
}

TEST_F(TextLayerTest, TimestampIsDayMonthYearAndTimeWithLeadingZeros) {
    os.time = {2026, 12, 8, 9, 5, 7, 2};
    EXPECT_EQ(ExpandPlaceholders("~timestamp~"), "08/12/26 09:05:07");
    os.time = {2000, 1, 31, 23, 59, 0, 1};
    EXPECT_EQ(ExpandPlaceholders("at ~timestamp~."), "at 31/01/00 23:59:00.");
    os.time = {1999, 10, 1, 0, 0, 9, 5};
    EXPECT_EQ(ExpandPlaceholders("~timestamp~"), "01/10/99 00:00:09");
}

TEST_F(TextLayerTest, IpAllJoinsTheWholeListWithSingleBlanks) {
    os.addresses = {FakePlatform::address(10, 0, 0, 5), FakePlatform::address(192, 168, 1, 2),
                    FakePlatform::address(172, 16, 0, 1)};
    CheckAddresses();
    EXPECT_EQ(ExpandPlaceholders("<~ipall~>"), "<10.0.0.5 192.168.1.2 172.16.0.1>");
    os.addresses.pop_back();
    CheckAddresses();
    EXPECT_EQ(ExpandPlaceholders("~ipall~"), "10.0.0.5 192.168.1.2");
}

TEST_F(TextLayerTest, UpperCasePlaceholdersFollowTheDesktopsCaseRules) {
    os.user = "j\xC3\xB6rg \xC5\x82\xC3\xB3\x64\xC5\xBA stra\xC3\x9F\x65";  // jörg łódź straße
    os.host = "\xCF\x83\xCE\xBF\xCF\x86\xCE\xB9\xCE\xB1-\xD0\xBF\xD1\x91\xD1\x82\xD1\x80";
    EXPECT_EQ(ExpandPlaceholders("~USER~"),
              "J\xC3\x96RG \xC5\x81\xC3\x93\x44\xC5\xB9 STRA\xC3\x9F\x45");  // ß has no capital
    EXPECT_EQ(ExpandPlaceholders("~HOST~"),
              "\xCE\xA3\xCE\x9F\xCE\xA6\xCE\x99\xCE\x91-\xD0\x9F\xD0\x81\xD0\xA2\xD0\xA0");
    EXPECT_EQ(ExpandPlaceholders("~user~"), os.user);
}

TEST_F(TextLayerTest, EachStepSeesWhatTheEarlierOnesPutIn) {
    // ~host~ comes after ~user~, so a user name holding it is expanded too ...
    os.user = "~host~";
    os.host = "box";
    EXPECT_EQ(ExpandPlaceholders("~user~"), "box");
    // ... while ~user~ inside the host name comes too late to be replaced.
    os.user = "ann";
    os.host = "~user~";
    EXPECT_EQ(ExpandPlaceholders("~host~"), "~user~");
    // An upper-cased name becomes "~IP~", which is no placeholder.
    os.user = "~ip~";
    EXPECT_EQ(ExpandPlaceholders("~USER~"), "~IP~");
    // A replacement holding its own placeholder is not expanded again.
    os.user = "~user~~user~";
    EXPECT_EQ(ExpandPlaceholders("~user~"), "~user~~user~");
}

// --- "big" --------------------------------------------------------------------------------

TEST_F(TextLayerTest, BigIpDrawsTheLastNumberCentredOnEachMonitor) {
    // 180 * 6 / 9 = 120 pt = 160 px at 96 dpi; bold fake glyphs are 81 px wide.
    useMonitors({{0, 0, 300, 180, 24}, {300, 0, 300, 180, 24}});
    os.addresses = {FakePlatform::address(192, 168, 1, 23)};
    const BmpImage image = paint("big ~ip~");
    EXPECT_EQ(rendered(), (std::vector<std::string>{"23", "23"}));
    ASSERT_EQ(os.fontRequests.size(), 2u);
    EXPECT_EQ(os.fontRequests[0].pixelHeight, 160);
    EXPECT_EQ(os.fontRequests[0].face, "Arial");
    EXPECT_EQ(os.fontRequests[0].weight, 700);
    EXPECT_TRUE(os.fontRequests[0].highQuality);
    EXPECT_TRUE(os.fonts.empty());
    // Cell 162 x 160 at (150 - 81, 90 - 80); the glyph boxes lie one pixel inside it.
    EXPECT_EQ(changed(image), (Box{70, 11, 300 + 229, 168}));
    EXPECT_EQ(image.at(70, 11), solid(kWhite, kStart));
    EXPECT_EQ(image.at(69, 11), kStart);
    EXPECT_EQ(image.at(149, 100), kStart);  // between the two glyph boxes
    EXPECT_EQ(image.at(300 + 70, 11), solid(kWhite, kStart));
    EXPECT_EQ(image.at(300 + 229, 168), solid(kWhite, kStart));
}

TEST_F(TextLayerTest, BigShowsThePartAfterTheThirdOfExactlyThreeDots) {
    useMonitors({{0, 0, 90, 90, 24}});
    run("big 1.2.3. big 1.2.3.456 big a.b.c.d.e big x.y big \"\"");
    EXPECT_EQ(rendered(), (std::vector<std::string>{"1.2.3.", "456", "a.b.c.d.e", "x.y"}));
    EXPECT_EQ(os.fontRequests.size(), 5u);  // the empty text still gets its font
    EXPECT_TRUE(os.fonts.empty());
}

TEST_F(TextLayerTest, BigFontFollowsEachMonitorsHeight) {
    useMonitors({{0, 0, 120, 90, 24}, {120, 0, 60, 45, 24}});
    run("big X");
    ASSERT_EQ(os.fontRequests.size(), 2u);
    EXPECT_EQ(os.fontRequests[0].pixelHeight, 80);  // 60 pt
    EXPECT_EQ(os.fontRequests[1].pixelHeight, 40);  // 30 pt
}

TEST_F(TextLayerTest, TransparentBigBlendsAtAlpha64) {
    useMonitors({{0, 0, 90, 90, 24}});
    // 60 pt = 80 px; one glyph 41 wide at (45 - 20, 45 - 40).
    const BmpImage image = paint("transparent big X");
    EXPECT_EQ(changed(image), (Box{26, 6, 64, 83}));
    EXPECT_EQ(image.at(40, 40), blended(kWhite, 64, kStart));
    EXPECT_EQ(image.at(40, 40), (Rgb{91, 91, 91}));
}

// --- "text" -------------------------------------------------------------------------------

TEST_F(TextLayerTest, HeadingTopIsHalfTheSizeAboveTheMiddleAndLineTwoIsAtRoundedOffset) {
    os.glyphInset = 0;  // the glyph box is the whole cell
    useMonitors({{0, 0, 400, 300, 24}});
    const BmpImage image = paint("text X|Y");
    const int base = 150;
    // Heading: 64 pt = 85 px, 43 wide; shadow 2 px right and down.
    EXPECT_EQ(changed(image, 0, 219), (Box{179, base - 32, 179 + 43 + 1, base - 32 + 85 + 1}));
    // Line 2: 32 pt = 43 px, 22 wide, top at round(150 - 25.6 + 102.4) = 227.
    EXPECT_EQ(changed(image, 220), (Box{189, base + 77, 189 + 22 + 1, base + 77 + 43 + 1}));
    // Black shadow first, white text over it.
    const Rgb shadow = solid(kBlack, kStart);
    EXPECT_EQ(image.at(179, base - 32), solid(kWhite, kStart));
    EXPECT_EQ(image.at(179 + 43 + 1, base - 32 + 85 + 1), shadow);
    EXPECT_EQ(image.at(200, base), solid(kWhite, shadow));
    EXPECT_EQ(image.at(189 + 22 + 1, base + 77 + 43 + 1), shadow);
    EXPECT_EQ(rendered(), (std::vector<std::string>{"X", "X", "Y", "Y"}));
}

TEST_F(TextLayerTest, EmptyLinesKeepTheirNumberAndLeaveAGap) {
    os.glyphInset = 0;
    useMonitors({{0, 0, 400, 400, 24}});
    const BmpImage image = paint("text \" A | |  B \"");
    EXPECT_EQ(rendered(), (std::vector<std::string>{"A", "A", "B", "B"}));
    // Line 3 at round(200 - 25.6 + 153.6) = 328; nothing where line 2 would be.
    const int headingBottom = 200 - 32 + 85 + 1;
    EXPECT_EQ(changed(image, headingBottom + 1, 327), Box{});
    EXPECT_EQ(changed(image, headingBottom + 1).top, 328);
}

TEST_F(TextLayerTest, ReverseDrawsBlackTextWithAWhiteShadow) {
    useMonitors({{0, 0, 200, 200, 24}});
    const BmpImage image = paint("reverse text X");
    // Heading cell at (100 - 21, 100 - 32), shadow at +2, +2; boxes inset by 1.
    const Rgb shadow = solid(kWhite, kStart);
    EXPECT_EQ(image.at(79 + 43 - 1 + 2 - 1, 68 + 85 - 1 + 2 - 1), shadow);
    EXPECT_EQ(image.at(100, 100), solid(kBlack, shadow));
    EXPECT_EQ(image.at(80, 69), solid(kBlack, kStart));
}

TEST_F(TextLayerTest, TransparentTextBlendsShadowAt16AndLineAt96) {
    useMonitors({{0, 0, 200, 200, 24}});
    const BmpImage image = paint("transparent text X");
    EXPECT_EQ(image.at(80, 69), blended(kWhite, 96, kStart));
    EXPECT_EQ(image.at(100, 100), blended(kWhite, 96, blended(kBlack, 16, kStart)));
    EXPECT_EQ(image.at(79 + 43 + 2 - 2, 68 + 85 + 2 - 2), blended(kBlack, 16, kStart));
}

TEST_F(TextLayerTest, FullCoverageShowsEachTransparentAlphaUnrounded) {
    // With every channel fully covered the blend weight is the alpha itself, and white on
    // black comes out as exactly that alpha (the default coverage's mean rounds it away).
    os.glyphCoverage[0] = os.glyphCoverage[1] = os.glyphCoverage[2] = 255;
    useMonitors({{0, 0, 200, 200, 24}});
    const BmpImage onBlack = paint("black transparent text X");
    EXPECT_EQ(onBlack.at(80, 69), (Rgb{96, 96, 96}));
    EXPECT_EQ(onBlack.at(100, 100), (Rgb{96, 96, 96}));  // over its black shadow
    EXPECT_EQ(onBlack.at(122, 153), kBlack);             // the shadow alone
    // The black shadow on white: 255 * (255 - 16) / 255.
    const BmpImage onWhite = paint("white transparent text X");
    EXPECT_EQ(onWhite.at(122, 153), (Rgb{239, 239, 239}));
    EXPECT_EQ(onWhite.at(80, 69), kWhite);
    useMonitors({{0, 0, 90, 90, 24}});
    EXPECT_EQ(paint("black transparent big X").at(40, 40), (Rgb{64, 64, 64}));
    // Reversed, black at 64 on white: 255 * (255 - 64) / 255.
    EXPECT_EQ(paint("white transparent reverse big X").at(40, 40), (Rgb{191, 191, 191}));
}

TEST_F(TextLayerTest, MonitorPlaceholderNumbersEachMonitorFromOne) {
    threeMonitors();
    run("text ~monitor~ big ~desktop~");
    EXPECT_EQ(rendered(), (std::vector<std::string>{"1", "1", "2", "2", "3", "3", "1", "2", "3"}));
    os.textRenders.clear();
    run("monitor 1 text ~monitor~");
    EXPECT_EQ(rendered(), (std::vector<std::string>{"2", "2"}));
}

TEST_F(TextLayerTest, TextMakesItsTwoFontsOnceForAllMonitors) {
    useMonitors({{0, 0, 200, 300, 24}, {200, 0, 200, 300, 24}, {400, 0, 200, 300, 24}});
    run("text A|B");
    ASSERT_EQ(os.fontRequests.size(), 2u);
    EXPECT_EQ(os.fontRequests[0].pixelHeight, 85);
    EXPECT_EQ(os.fontRequests[1].pixelHeight, 43);
    for (const auto& request : os.fontRequests) {
        EXPECT_EQ(request.face, "Arial");
        EXPECT_EQ(request.weight, 700);
        EXPECT_TRUE(request.highQuality);
    }
    EXPECT_EQ(os.textRenders.size(), 12u);
    EXPECT_TRUE(os.fonts.empty());
}

TEST_F(TextLayerTest, TextIpAllDrawsEveryAddress) {
    useMonitors({{0, 0, 100, 100, 24}});
    os.addresses = {FakePlatform::address(10, 0, 0, 5), FakePlatform::address(192, 168, 1, 2)};
    run("text ~ipall~");
    EXPECT_EQ(rendered(),
              (std::vector<std::string>{"10.0.0.5 192.168.1.2", "10.0.0.5 192.168.1.2"}));
}

TEST_F(TextLayerTest, FontSizesOfNoPixelsDrawNothingForThatElement) {
    useMonitors({{0, 0, 100, 100, 24}});
    const BmpImage none = paint("font Verdana 0 text X|Y");
    EXPECT_TRUE(os.fontRequests.empty());
    EXPECT_EQ(changed(none), Box{});
    // 1 pt makes a heading of 1 px, but the line font of 0 pt cannot be made.
    run("font Verdana 1 text X|Y");
    EXPECT_EQ(rendered(), (std::vector<std::string>{"X", "X"}));
    ASSERT_EQ(os.fontRequests.size(), 1u);
    EXPECT_EQ(os.fontRequests[0].face, "Verdana");
}

TEST_F(TextLayerTest, EmptyTextArgumentsDrawNothing) {
    useMonitors({{0, 0, 100, 100, 24}});
    const BmpImage image = paint("text \" | \" text \"\" big \"\" text");
    EXPECT_TRUE(os.textRenders.empty());
    EXPECT_EQ(changed(image), Box{});
    EXPECT_TRUE(os.fonts.empty());
}

}  // namespace
}  // namespace drape::test
