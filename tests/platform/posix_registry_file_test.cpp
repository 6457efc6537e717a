#include "platform/posix/posix_registry_file.h"

#include <gtest/gtest.h>

#include "platform/posix/posix_text.h"

namespace drape::platform::posix {
namespace {

std::vector<uint8_t> bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (const int v : values) {
        out.push_back(static_cast<uint8_t>(v));
    }
    return out;
}

Hive parse(std::string_view text) {
    HiveParseError error;
    std::optional<Hive> hive = parseHive(text, error);
    EXPECT_TRUE(hive.has_value()) << "line " << error.line << ": " << error.message;
    return hive.value_or(Hive{});
}

HiveParseError parseFailure(std::string_view text) {
    HiveParseError error;
    EXPECT_FALSE(parseHive(text, error).has_value()) << text;
    return error;
}

const RegValue& valueOf(const Hive& hive, std::string_view key, std::string_view name) {
    static const RegValue missing;
    const HiveKey* k = hive.findKey(key);
    const HiveValue* v = k ? k->findValue(name) : nullptr;
    EXPECT_NE(v, nullptr) << key << " " << name;
    return v ? v->value : missing;
}

std::string utf16le(std::u16string_view text) {
    std::string out = "\xFF\xFE";
    for (const char16_t unit : text) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
    }
    return out;
}

constexpr const char* kDesktop = "HKEY_CURRENT_USER\\Control Panel\\Desktop";

TEST(RegistryFile, EveryValueTypeReadsBackByteForByte) {
    Hive hive;
    HiveKey& key = hive.createKey(kDesktop);
    std::vector<uint8_t> longBinary;
    for (int i = 0; i < 300; ++i) {
        longBinary.push_back(static_cast<uint8_t>(i * 7));
    }
    const std::vector<HiveValue> values = {
        {"Wallpaper", {RegType::Sz, regSzData("C:\\walls\\\"quoted\" \xC3\xA9\xF0\x9F\x98\x80")}},
        {"", {RegType::Sz, regSzData("default")}},
        {"Na\"me\\", {RegType::Dword, bytes({0x0a, 0, 0, 0})}},
        {"Path", {RegType::ExpandSz, regSzData("%SystemRoot%\\x")}},
        {"Multi", {RegType::MultiSz, bytes({'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0})}},
        {"Blob", {RegType::Binary, longBinary}},
        {"EmptyBlob", {RegType::Binary, {}}},
        {"Big", {RegType::Qword, bytes({1, 2, 3, 4, 5, 6, 7, 8})}},
        {"Link", {RegType::Link, regSzData("\\Registry\\Machine")}},
        {"Nothing", {RegType::None, bytes({0xff})}},
        {"Odd", {RegType(0x20000), bytes({9})}},
        {"ShortDword", {RegType::Dword, bytes({1, 2})}},
        // Strings a quoted form would not keep: no terminator, a line break, a lone surrogate.
        {"NoZero", {RegType::Sz, bytes({'a', 0})}},
        {"Lines", {RegType::Sz, regSzData("one\r\ntwo")}},
        {"Broken", {RegType::Sz, bytes({0x00, 0xD8, 0, 0})}},
    };
    for (const HiveValue& v : values) {
        key.setValue(v.name, v.value);
    }
    hive.createKey("HKEY_CURRENT_USER\\Software\\Drape");

    const std::string text = writeHive(hive);
    EXPECT_TRUE(
        text.starts_with("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\"
                         "Control Panel]\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"));
    EXPECT_NE(
        text.find("\n\"Wallpaper\"=\"C:\\\\walls\\\\\\\"quoted\\\" \xC3\xA9\xF0\x9F\x98\x80\"\n"),
        std::string::npos);
    EXPECT_NE(text.find("\n@=\"default\"\n"), std::string::npos);
    EXPECT_NE(text.find("\n\"Na\\\"me\\\\\"=dword:0000000a\n"), std::string::npos);
    EXPECT_NE(text.find("\n\"Big\"=hex(b):01,02,03,04,05,06,07,08\n"), std::string::npos);
    EXPECT_NE(text.find("\n\"Odd\"=hex(20000):09\n"), std::string::npos);
    EXPECT_NE(text.find("\n\"NoZero\"=hex(1):61,00\n"), std::string::npos);
    EXPECT_NE(text.find("\n\"EmptyBlob\"=hex:\n"), std::string::npos);
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
        start = end + 1;
    }

    const Hive back = parse(text);
    ASSERT_EQ(back.keys().size(), 4u);
    const HiveKey* desktop = back.findKey(kDesktop);
    ASSERT_NE(desktop, nullptr);
    ASSERT_EQ(desktop->values().size(), values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(desktop->values()[i].name, values[i].name);
        EXPECT_EQ(desktop->values()[i].value.type, values[i].value.type) << values[i].name;
        EXPECT_EQ(desktop->values()[i].value.data, values[i].value.data) << values[i].name;
    }
    EXPECT_EQ(writeHive(back), text);
}

TEST(RegistryFile, ReadsAWindowsExportInUtf16WithContinuedHexLines) {
    const std::u16string exported =
        u"Windows Registry Editor Version 5.00\r\n\r\n"
        u"; exported on another machine\r\n"
        u"[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
        u"\"Wallpaper\"=\"C:\\\\Users\\\\\u00e9t\u00e9\\\\pic.bmp\"\r\n"
        u"\"TileWallpaper\"=\"1\"\r\n"
        u"\"Pattern\"=hex(2):25,00,41,00,\\\r\n"
        u"  25,00,00,00\r\n"
        u"\"Mask\"=hex:01,\\\r\n"
        u"  02,\\\r\n"
        u"  03\r\n"
        u"\"After\"=dword:FFFFFFFF\r\n";
    const Hive hive = parse(utf16le(exported));
    EXPECT_EQ(regSzText(valueOf(hive, kDesktop, "Wallpaper").data),
              "C:\\Users\\\xC3\xA9t\xC3\xA9\\pic.bmp");
    EXPECT_EQ(valueOf(hive, kDesktop, "Pattern").type, RegType::ExpandSz);
    EXPECT_EQ(valueOf(hive, kDesktop, "Pattern").data, bytes({0x25, 0, 0x41, 0, 0x25, 0, 0, 0}));
    EXPECT_EQ(valueOf(hive, kDesktop, "Mask").data, bytes({1, 2, 3}));
    EXPECT_EQ(valueOf(hive, kDesktop, "After").data, bytes({0xff, 0xff, 0xff, 0xff}));

    // The same text as UTF-8 with a byte order mark reads alike.
    const Hive fromUtf8 = parse(
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n"
        "[HKEY_CURRENT_USER\\A]\n\"x\"=\"\xC3\xA9\"\n");
    EXPECT_EQ(valueOf(fromUtf8, "HKEY_CURRENT_USER\\A", "x").data, bytes({0xE9, 0, 0, 0}));
}

TEST(RegistryFile, KeysAndValueNamesIgnoreCase) {
    const Hive hive = parse(
        "Windows Registry Editor Version 5.00\n"
        "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"TileWallPaper\"=\"0\"\n"
        "[hkey_current_user\\CONTROL PANEL\\desktop]\n\"tilewallpaper\"=\"1\"\n"
        "[HKEY_CURRENT_USER\\\xC3\x89T\xC3\x89\\\xD0\x9A\xD0\x9B\xD0\xAE\xD0\xA7]\n");
    ASSERT_EQ(hive.keys().size(), 2u);
    EXPECT_EQ(hive.keys()[0].values().size(), 1u);
    EXPECT_EQ(
        regSzText(valueOf(hive, "HKEY_CURRENT_USER\\control panel\\DESKTOP", "TILEWALLPAPER").data),
        "1");
    EXPECT_NE(
        hive.findKey("HKEY_CURRENT_USER\\\xC3\xA9t\xC3\xA9\\\xD0\xBA\xD0\xBB\xD1\x8E\xD1\x87"),
        nullptr);
    EXPECT_TRUE(hive.hasKey("hkey_current_user\\control panel"));
    EXPECT_TRUE(hive.hasKey("HKEY_CURRENT_USER"));
    EXPECT_FALSE(hive.hasKey("HKEY_CURRENT_USER\\Control"));
    EXPECT_FALSE(hive.hasKey("HKEY_CURRENT_USER\\Control Panel\\Desktop\\Sub"));
}

TEST(RegistryFile, ReportsTheLineOfWhatItCannotRead) {
    const std::string header = "Windows Registry Editor Version 5.00\n\n";
    const struct {
        std::string text;
        int line;
    } cases[] = {
        {"REGEDIT4\n", 1},
        {"", 1},
        {"\n\nnot a hive\n", 3},
        {header + "\"x\"=\"1\"\n", 3},
        {header + "[HKEY_CURRENT_USER\\A]\n\"x\"=\"open\n", 4},
        {header + "[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\" tail\n", 4},
        {header + "[HKEY_CURRENT_USER\\A]\n\"x\"=dword:123456789\n", 4},
        {header + "[HKEY_CURRENT_USER\\A]\n\"x\"=hex:01,\\\n  02,\\\n  zz\n\"y\"=\"\"\n", 4},
        {header + "[HKEY_CURRENT_USER\\A]\n\"x\"=hex(q):01\n", 4},
        {header + "[HKEY_CURRENT_USER\\A]\n\"x\"=-\n", 4},
        {header + "[HKEY_CURRENT_USER\\A]\n\"x\"\n", 4},
        {header + "[-HKEY_CURRENT_USER\\A]\n", 3},
        {header + "[Software\\A]\n", 3},
        {header + "[HKEY_CURRENT_USER\\A\n", 3},
        {header + "[HKEY_CURRENT_USER\\A\\\\B]\n", 3},
        {"\xFF\xFE"
         "W",
         1},
    };
    for (const auto& c : cases) {
        const HiveParseError error = parseFailure(c.text);
        EXPECT_EQ(error.line, c.line) << c.text;
        EXPECT_FALSE(error.message.empty());
    }
}

TEST(RegistryFile, MalformedTextBecomesReplacementCharacters) {
    const Hive hive = parse(
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n"
        "\"x\"=\"\xFF\xC3\"\n");
    EXPECT_EQ(valueOf(hive, "HKEY_CURRENT_USER\\A", "x").data,
              bytes({0xFD, 0xFF, 0xFD, 0xFF, 0, 0}));
    EXPECT_EQ(regSzText(bytes({0x00, 0xDC, 'a', 0, 0, 0, 'b', 0})),
              "\xEF\xBF\xBD"
              "a");
    EXPECT_EQ(utf8ToUtf16("\xC0\x80\xED\xA0\x80"), std::u16string(5, u'\xFFFD'));
}

TEST(RegistryFile, IndexFollowsEveryChangeAndKeepsTheFileOrder) {
    Hive hive = parse(
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\B\\Deep]\n\"z\"=\"1\"\n"
        "[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n\"y\"=\"2\"\n\"w\"=\"3\"\n"
        "[hkey_current_user\\b\\deep]\n\"Z\"=\"4\"\n");
    // A repeated section merges into the first, whatever its letter case.
    ASSERT_EQ(hive.keys().size(), 2u);
    EXPECT_EQ(hive.keys()[0].path, "HKEY_CURRENT_USER\\B\\Deep");
    EXPECT_EQ(hive.keys()[0].values().size(), 1u);
    EXPECT_EQ(regSzText(valueOf(hive, "HKEY_CURRENT_USER\\B\\DEEP", "z").data), "4");
    // A key without a section of its own exists through the ones below it, and only those.
    EXPECT_TRUE(hive.hasKey("hkey_current_user\\b"));
    EXPECT_FALSE(hive.hasKey("HKEY_CURRENT_USER\\B\\De"));
    EXPECT_FALSE(hive.hasKey("HKEY_CURRENT_USER\\C"));

    HiveKey* a = hive.findKey("HKEY_CURRENT_USER\\a");
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->deleteValue("X"));
    EXPECT_FALSE(a->deleteValue("x"));
    // The values after the deleted one are still found, at their new places.
    EXPECT_EQ(regSzText(a->findValue("Y")->value.data), "2");
    EXPECT_EQ(regSzText(a->findValue("w")->value.data), "3");
    a->setValue("new", {RegType::Sz, regSzData("5")});
    a->setValue("Y", {RegType::Sz, regSzData("6")});
    ASSERT_EQ(a->values().size(), 3u);
    EXPECT_EQ(a->values()[0].name, "y");
    EXPECT_EQ(regSzText(a->values()[0].value.data), "6");
    EXPECT_EQ(a->values()[2].name, "new");

    // Creating a key adds its missing parents before it, in order, and nothing twice.
    hive.createKey("HKEY_CURRENT_USER\\C\\D\\E");
    hive.createKey("HKEY_CURRENT_USER\\c\\d");
    std::vector<std::string> paths;
    for (const HiveKey& key : hive.keys()) {
        paths.push_back(key.path);
    }
    EXPECT_EQ(paths, (std::vector<std::string>{"HKEY_CURRENT_USER\\B\\Deep", "HKEY_CURRENT_USER\\A",
                                               "HKEY_CURRENT_USER\\C", "HKEY_CURRENT_USER\\C\\D",
                                               "HKEY_CURRENT_USER\\C\\D\\E"}));
    EXPECT_EQ(writeHive(parse(writeHive(hive))), writeHive(hive));
}

}  // namespace
}  // namespace drape::platform::posix
