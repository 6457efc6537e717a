// The text formats the posix backend keeps on disk or reads from the environment, driven with
// random content: the registry hive, the Exec line of autostart entries and launchers, and the
// monitor list. What one writes must read back as it was, and text that a person or another
// program mangled must be refused or read, never crash.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/posix/posix_desktop_entry.h"
#include "platform/posix/posix_monitors.h"
#include "platform/posix/posix_registry_file.h"

namespace drape::platform::posix {
namespace {

// Pieces that stress quoting and escaping: the format's own delimiters, escapes, blanks,
// multi-byte UTF-8 of two, three and four bytes.
const std::vector<std::string> kPieces = {
    "a",
    "Z",
    "0",
    " ",
    "\t",
    "\"",
    "\\",
    "[",
    "]",
    "=",
    ";",
    "@",
    "%",
    "$",
    "`",
    "'",
    "hex:",
    "dword:",
    ",",
    ".",
    "~",
    "|",
    "#",
    "\xC3\xA9",
    "\xE2\x82\xAC",
    "\xF0\x9F\x98\x80",
    "*",
    "?",
    "/",
    "hex(2)",
    ":",
    "Wallpaper",
    "Run",
    "\x7F",
};

std::string randomText(std::mt19937& random, size_t maxPieces) {
    std::string text;
    const size_t count = std::uniform_int_distribution<size_t>(0, maxPieces)(random);
    for (size_t i = 0; i < count; ++i) {
        text += kPieces[std::uniform_int_distribution<size_t>(0, kPieces.size() - 1)(random)];
    }
    return text;
}

std::vector<uint8_t> randomBytes(std::mt19937& random, size_t maxSize) {
    std::vector<uint8_t> bytes(std::uniform_int_distribution<size_t>(0, maxSize)(random));
    for (uint8_t& byte : bytes) {
        byte = static_cast<uint8_t>(random());
    }
    return bytes;
}

// A string value as Windows stores it: UTF-16LE code units, then a terminating zero.
std::vector<uint8_t> utf16Data(std::mt19937& random) {
    std::vector<uint8_t> data;
    for (size_t i = std::uniform_int_distribution<size_t>(0, 12)(random); i > 0; --i) {
        const uint16_t unit = random() % 4 == 0 ? static_cast<uint16_t>(random())
                                                : static_cast<uint16_t>(0x20 + random() % 0x5F);
        data.push_back(static_cast<uint8_t>(unit & 0xFF));
        data.push_back(static_cast<uint8_t>(unit >> 8));
    }
    data.push_back(0);
    data.push_back(0);
    return data;
}

RegValue randomValue(std::mt19937& random) {
    static const RegType kTypes[] = {RegType::None,   RegType::Sz,      RegType::ExpandSz,
                                     RegType::Binary, RegType::Dword,   RegType::DwordBigEndian,
                                     RegType::Link,   RegType::MultiSz, RegType::Qword};
    RegValue value;
    value.type = kTypes[random() % std::size(kTypes)];
    switch (random() % 3) {
        case 0:
            value.data = utf16Data(random);
            break;
        case 1:
            value.data = randomBytes(random, 40);
            break;
        default:
            value.data = randomBytes(random, 8);
            break;
    }
    return value;
}

// A key path below one of the roots, its parts non-empty and free of line breaks.
std::string randomKeyPath(std::mt19937& random) {
    static const char* kRoots[] = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"};
    std::string path = kRoots[random() % 2];
    for (size_t depth = 1 + random() % 4; depth > 0; --depth) {
        std::string part = randomText(random, 5);
        // A key name holds anything but a backslash, which separates them.
        std::erase(part, '\\');
        path += "\\" + (part.empty() ? std::string("k") : part);
    }
    return path;
}

Hive randomHive(std::mt19937& random) {
    Hive hive;
    for (size_t keys = random() % 5; keys > 0; --keys) {
        HiveKey& key = hive.createKey(randomKeyPath(random));
        for (size_t values = random() % 5; values > 0; --values) {
            key.setValue(randomText(random, 6), randomValue(random));
        }
    }
    return hive;
}

// Every key and value of `expected` is in `actual` with the same bytes, and nothing more.
::testing::AssertionResult sameHive(const Hive& expected, const Hive& actual) {
    size_t valueCount = 0;
    for (const HiveKey& key : expected.keys()) {
        const HiveKey* found = actual.findKey(key.path);
        if (found == nullptr) {
            return ::testing::AssertionFailure() << "key [" << key.path << "] is missing";
        }
        for (const HiveValue& value : key.values()) {
            const HiveValue* read = found->findValue(value.name);
            if (read == nullptr) {
                return ::testing::AssertionFailure()
                       << "value \"" << value.name << "\" of [" << key.path << "] is missing";
            }
            if (read->value.type != value.value.type || read->value.data != value.value.data) {
                return ::testing::AssertionFailure() << "value \"" << value.name << "\" of ["
                                                     << key.path << "] reads back otherwise";
            }
        }
        valueCount += key.values().size();
    }
    size_t actualCount = 0;
    for (const HiveKey& key : actual.keys()) {
        actualCount += key.values().size();
    }
    if (actualCount != valueCount) {
        return ::testing::AssertionFailure()
               << actualCount << " values read back where " << valueCount << " were written";
    }
    return ::testing::AssertionSuccess();
}

TEST(StoredTextRandom, EveryHiveReadsBackAsItWasWritten) {
    std::mt19937 random(4605);
    for (int round = 0; round < 2000; ++round) {
        const Hive hive = randomHive(random);
        const std::string text = writeHive(hive);
        SCOPED_TRACE(text);
        HiveParseError error;
        const std::optional<Hive> read = parseHive(text, error);
        ASSERT_TRUE(read) << "line " << error.line << ": " << error.message;
        ASSERT_TRUE(sameHive(hive, *read));
    }
}

TEST(StoredTextRandom, AMangledHiveIsRefusedOrReadConsistently) {
    std::mt19937 random(209);
    size_t refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string text = writeHive(randomHive(random));
        // Flip, drop, duplicate or insert a few bytes, as an editor or a bad disk might.
        for (int edits = 1 + static_cast<int>(random() % 4); edits > 0 && !text.empty(); --edits) {
            const size_t at = random() % text.size();
            switch (random() % 4) {
                case 0:
                    text[at] = static_cast<char>(random());
                    break;
                case 1:
                    text.erase(at, 1 + random() % 8);
                    break;
                case 2:
                    text.insert(at, text.substr(at, 1 + random() % 8));
                    break;
                default:
                    text.insert(at, 1, "[]\"\\=:,\r\n\0"[random() % 10]);
                    break;
            }
        }
        SCOPED_TRACE(text);
        HiveParseError error;
        const std::optional<Hive> read = parseHive(text, error);
        if (!read) {
            ++refused;
            EXPECT_GE(error.line, 1);
            EXPECT_FALSE(error.message.empty());
            continue;
        }
        // What was read is stored and read again without loss.
        const std::optional<Hive> again = parseHive(writeHive(*read), error);
        ASSERT_TRUE(again) << "line " << error.line << ": " << error.message;
        ASSERT_TRUE(sameHive(*read, *again));
    }
    // Some edits must break the file, or the test never looked at refusals.
    EXPECT_GT(refused, 0u);
}

TEST(StoredTextRandom, ExecLinesSplitBackIntoTheirArguments) {
    std::mt19937 random(1810);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::string> arguments;
        std::string exec;
        for (size_t count = 1 + random() % 6; count > 0; --count) {
            arguments.push_back(randomText(random, 6));
            exec += (exec.empty() ? "" : " ") + quoteExecArgument(arguments.back());
        }
        SCOPED_TRACE(exec);
        // Stored in a desktop file, the line is string-escaped as well.
        const std::string stored = escapeDesktopString(exec);
        EXPECT_EQ(stored.find('\n'), std::string::npos);
        const std::optional<std::vector<std::string>> split =
            splitExec(unescapeDesktopString(stored));
        ASSERT_TRUE(split);
        EXPECT_EQ(*split, arguments);
    }
}

TEST(StoredTextRandom, MonitorListsAreReadOrRefusedWithAReason) {
    static const std::vector<std::string> kParts = {
        "1920",     "x",       "1080", "@",  "0",     ",",     "-1", ":",
        "24",       ";",       "\n",   " ",  "32767", "32768", "0",  "999999999999",
        "-1000001", "1000000", "65",   "x0", "\r",    "abc",   "+1"};
    std::mt19937 random(2016);
    size_t accepted = 0;
    for (int round = 0; round < 5000; ++round) {
        std::string text;
        for (size_t count = random() % 16; count > 0; --count) {
            text += kParts[random() % kParts.size()];
        }
        // Every other round starts from a valid entry, so that some lists get through.
        if (round % 2 == 0) {
            text = "64x32@0,0;" + text;
        }
        SCOPED_TRACE(text);
        std::string error;
        const std::optional<std::vector<Monitor>> monitors = parseMonitorList(text, error);
        if (!monitors) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        ++accepted;
        for (const Monitor& monitor : *monitors) {
            EXPECT_GE(monitor.width, 1);
            EXPECT_LE(monitor.width, 32767);
            EXPECT_GE(monitor.height, 1);
            EXPECT_LE(monitor.height, 32767);
            EXPECT_GE(monitor.x, -1000000);
            EXPECT_LE(monitor.x, 1000000);
            EXPECT_GE(monitor.y, -1000000);
            EXPECT_LE(monitor.y, 1000000);
            EXPECT_GE(monitor.depth, 1);
            EXPECT_LE(monitor.depth, 64);
        }
    }
    EXPECT_GT(accepted, 0u);
}

}  // namespace
}  // namespace drape::platform::posix
