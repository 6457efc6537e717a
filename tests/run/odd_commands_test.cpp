// Command strings nobody would type on purpose: keywords in random order with arguments of
// every kind, numbers at and beyond the 32-bit limits, unbalanced quotes, stray tildes, control
// bytes and broken UTF-8. Whatever comes in, a run ends, and any picture it installs is a whole
// bitmap of the desktop's size. Under the sanitizer preset these runs also catch memory faults
// that no example-based test happens to reach.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "interp/interpreter.h"
#include "raster/raster.h"
#include "run/run_sequence.h"
#include "state/settings.h"
#include "support/run_fixture.h"

namespace drape::test {
namespace {

// Everything the command language and the start-up words know, except "delay", which would
// wait as long as a large number asks; it only comes with a small one below.
const std::vector<std::string> kKeywords = {
    "all",           "background", "base",          "big",     "black",       "blue",    "blur",
    "brown",         "color",      "currentfolder", "cyan",    "darken",      "desktop", "distort",
    "dots",          "drain",      "end",           "expand",  "fade",        "font",    "frame",
    "frompanel",     "green",      "grey",          "help",    "invert",      "keep",    "kill",
    "lime",          "load",       "monitor",       "nouser",  "orange",      "pairs",   "pink",
    "programfolder", "random",     "red",           "renew",   "resident",    "reverse", "silent",
    "solid",         "tempfolder", "text",          "traffic", "transparent", "white",   "mark",
    "save",          "get",        "set",           "gui",     "Red",         "TEXT",    "BiG",
};

const std::vector<std::string> kArguments = {
    "0",
    "1",
    "-1",
    "2",
    "7",
    "11",
    "12",
    "100",
    "255",
    "256",
    "65535",
    "32767",
    "32768",
    "2147483647",
    "2147483648",
    "-2147483648",
    "-2147483649",
    "99999999999999999999",
    "0x10",
    "1e3",
    "+5",
    " ",
    "FF8000",
    "#FF8000",
    "$00ff00",
    "FFF",
    "GGGGGG",
    "\"\"",
    "\"",
    "'",
    "\"unclosed",
    "\"A | B | C\"",
    "\"~ip~ ~host~ ~user~ ~date~ ~time~ ~ipall~\"",
    "~",
    "~~",
    "~ip",
    "~nonsense~",
    "|",
    "||||",
    "\"|\"",
    "\xC3\xA9t\xC3\xA9",
    "\xE2\x82\xAC",
    "\xF0\x9F\x98\x80",
    "\xC3",
    "\xFF\xFE",
    "\x01\x02",
    "\t",
    "a\rb\nc",
    "Arial",
    "\"Times New Roman\"",
    "nofile.jpg",
    "wide.bmp",
    "tall.bmp",
    "dot.bmp",
    ".",
    "\"no such folder\"",
    "..",
    "/",
};

constexpr size_t kRounds = 1500;

class OddCommandsTest : public RunTest {
  protected:
    void SetUp() override {
        RunTest::SetUp();
        // "save", "get" and "load" take any word as a path; relative ones land in the fake's
        // private folder, which goes with it, instead of wherever the suite was started.
        previousFolder_ = std::filesystem::current_path();
        std::filesystem::current_path(os.root);
        // Photos for "load" and "random" to fit with whatever distort, expand and monitor
        // numbers come along: a wide one, a tall one and a single pixel.
        photo("wide.bmp", 90, 20);
        photo("tall.bmp", 7, 61);
        photo("dot.bmp", 1, 1);
        // A pairs file as someone might leave it: comments, blanks, short and long lines,
        // names that are missing, quoted or not photos at all.
        std::ofstream("drape.lst", std::ios::binary)
            << "; pairs\r\nwide.bmp,tall.bmp\r\n\n , ,\nwide.bmp\n\"dot.bmp\",tall.bmp,wide.bmp\n"
            << "missing.bmp,dot.bmp\n"
            << std::string(3000, ',') << "\n"
            << "drape.lst,..,/\n\xC3\xA9.bmp,\xFF.jpg\n";
        // Small and odd: a primary, one beside it lower down, one above and to the left with
        // another depth. The desktop spans x -30..104 and y -20..36.
        useMonitors({{0, 0, 64, 36, 24}, {64, 4, 40, 30, 24}, {-30, -20, 30, 20, 16}});
        os.addresses = {FakePlatform::address(192, 168, 1, 20), FakePlatform::address(10, 0, 0, 1)};
        // A run that turns resident checks a few times and is then asked to close.
        os.timeoutsBeforeClose = 3;
    }

    std::vector<std::string> randomWords(std::mt19937& random) {
        std::uniform_int_distribution<size_t> length(0, 14);
        std::uniform_int_distribution<int> kind(0, 40);
        std::vector<std::string> words;
        for (size_t count = length(random); words.size() < count;) {
            const int k = kind(random);
            if (k < 20) {
                words.push_back(pick(kKeywords, random));
            } else if (k < 40) {
                words.push_back(pick(kArguments, random));
            } else {
                words.push_back("delay");
                words.push_back("1");
            }
        }
        return words;
    }

    static std::string join(const std::vector<std::string>& words) {
        std::string text;
        for (const std::string& word : words) {
            text += (text.empty() ? "" : " ") + word;
        }
        return text;
    }

    static const std::string& pick(const std::vector<std::string>& list, std::mt19937& random) {
        return list[std::uniform_int_distribution<size_t>(0, list.size() - 1)(random)];
    }

    // Every picture Drape paints and hands to the desktop is a whole 24-bit bitmap of the
    // desktop's size; "set" hands over a photo as it is.
    void expectWholePictures() {
        for (const FakePlatform::WallpaperCall& call : os.wallpaperCalls) {
            const std::optional<BmpImage> image = parseBmp24(call.contents);
            ASSERT_TRUE(image) << call.path << " is not a whole bitmap (" << call.contents.size()
                               << " bytes)";
            const auto photo = photos_.find(call.path.substr(call.path.find_last_of("/\\") + 1));
            if (photo != photos_.end() && image->width == photo->second.first &&
                image->height == photo->second.second) {
                continue;  // "set" with the photo, unless "save" made it the output file
            }
            EXPECT_EQ(image->width, 134) << call.path;
            EXPECT_EQ(image->height, 56) << call.path;
        }
    }

    void photo(const std::string& name, int width, int height) {
        photos_[name] = {width, height};
        raster::newImage(9, width, height, 24, raster::makeColour(200, 40, 10));
        ASSERT_NE(raster::writeBmpFile(9, name), 0);
        raster::releaseImage(9);
    }

    void TearDown() override {
        std::filesystem::current_path(previousFolder_);
        RunTest::TearDown();
    }

    void forget() {
        os.wallpaperCalls.clear();
        os.messageBoxes.clear();
        os.events.clear();
        os.closeDelivered = false;
    }

    std::filesystem::path previousFolder_;
    std::map<std::string, std::pair<int, int>> photos_;  // name: width, height
};

TEST_F(OddCommandsTest, RawCommandStringsEndAndInstallOnlyWholePictures) {
    std::mt19937 random(20261208);
    size_t painted = 0;
    for (size_t round = 0; round < kRounds; ++round) {
        // Half of them silent, so that unknown words are skipped and the rest still paints.
        // Every fifth draws its photos through the pairs file first.
        const std::string command = std::string(round % 2 == 0 ? "silent " : "") +
                                    (round % 5 == 0 ? "pairs 101 random . " : "") +
                                    join(randomWords(random));
        SCOPED_TRACE("command: " + command);
        ResetProcessState();
        ApplyDefaults();
        forget();
        run(command);
        painted += os.wallpaperCalls.size();
        expectWholePictures();
        if (HasFailure()) {
            return;
        }
    }
    // Most of the words must get as far as painting, or the test tries nothing.
    EXPECT_GT(painted, kRounds / 4);
}

TEST_F(OddCommandsTest, WholeRunsFromArgumentsEndAndInstallOnlyWholePictures) {
    std::mt19937 random(8122026);
    size_t painted = 0;
    for (size_t round = 0; round < kRounds; ++round) {
        std::vector<std::string> words = randomWords(random);
        if (round % 2 == 0) {
            words.insert(words.begin(), "silent");
        }
        SCOPED_TRACE("arguments: " + join(words));
        forget();
        os.timeoutsBeforeClose = 3;
        RunProgram(words);
        painted += os.wallpaperCalls.size();
        expectWholePictures();
        if (HasFailure()) {
            return;
        }
    }
    // Most of the words must get as far as painting, or the test tries nothing.
    EXPECT_GT(painted, kRounds / 4);
}

}  // namespace
}  // namespace drape::test
