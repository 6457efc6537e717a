// The win32 Registry concern against the real registry: the status codes the interface
// promises, data byte for byte as stored, and names outside ASCII.
#include "platform/win32/win32_registry.h"

#include "win32_scratch.h"

namespace drape::platform::win32::testing {
namespace {

class Win32RegistryTest : public ::testing::Test {
  protected:
    // Sets and reads back through the concern; the status of the read is checked by the caller.
    int roundTrip(const std::string& name, const RegValue& value, size_t maxBytes, RegValue& back) {
        EXPECT_EQ(registry_.regSetValue(kHkeyCurrentUser, key_.path(), name, value), kRegSuccess);
        return registry_.regQueryValue(kHkeyCurrentUser, key_.path(), name, maxBytes, back);
    }

    ScratchKey key_;
    Win32Registry registry_;
};

TEST_F(Win32RegistryTest, MissingKeysAndValuesGiveNotFoundAndTouchNothing) {
    const std::string missing = key_ / "Missing";
    const RegValue untouched{RegType::Dword, {1, 2, 3, 4}};
    RegValue out = untouched;
    EXPECT_EQ(registry_.regOpenKey(kHkeyCurrentUser, key_.path()), kRegFileNotFound);
    EXPECT_EQ(registry_.regQueryValue(kHkeyCurrentUser, missing, "x", 100, out), kRegFileNotFound);
    EXPECT_EQ(out, untouched);
    // Setting and deleting never create the key.
    EXPECT_EQ(registry_.regSetValue(kHkeyCurrentUser, missing, "x", untouched), kRegFileNotFound);
    EXPECT_EQ(registry_.regDeleteValue(kHkeyCurrentUser, missing, "x"), kRegFileNotFound);
    EXPECT_EQ(registry_.regOpenKey(kHkeyCurrentUser, missing), kRegFileNotFound);

    // Both levels at once; creating an existing key succeeds again.
    EXPECT_EQ(registry_.regCreateKey(kHkeyCurrentUser, key_ / "A\\B"), kRegSuccess);
    EXPECT_EQ(registry_.regCreateKey(kHkeyCurrentUser, key_ / "A\\B"), kRegSuccess);
    EXPECT_EQ(registry_.regOpenKey(kHkeyCurrentUser, key_ / "a\\b"), kRegSuccess);
    EXPECT_EQ(registry_.regQueryValue(kHkeyCurrentUser, key_ / "A\\B", "absent", 100, out),
              kRegFileNotFound);
    EXPECT_EQ(out, untouched);
    EXPECT_EQ(registry_.regDeleteValue(kHkeyCurrentUser, key_ / "A\\B", "absent"),
              kRegFileNotFound);
}

TEST_F(Win32RegistryTest, DataComesBackExactlyAsStored) {
    ASSERT_EQ(registry_.regCreateKey(kHkeyCurrentUser, key_.path()), kRegSuccess);
    RegValue back;
    // "Grün" with its terminator, read into a buffer of exactly its size.
    const RegValue text{RegType::Sz, regSz("Grün")};
    ASSERT_EQ(text.data.size(), 10u);
    EXPECT_EQ(roundTrip("Wert", text, 10, back), kRegSuccess);
    EXPECT_EQ(back, text);
    // One byte short: the type is told, no data.
    RegValue small{RegType::Binary, {9, 9}};
    EXPECT_EQ(registry_.regQueryValue(kHkeyCurrentUser, key_.path(), "Wert", 9, small),
              kRegMoreData);
    EXPECT_EQ(small.type, RegType::Sz);
    EXPECT_TRUE(small.data.empty());

    // Strings without their terminator, or of an odd length, are not repaired on the way.
    const RegValue unterminated{RegType::Sz, {'a', 0, 'b', 0}};
    EXPECT_EQ(roundTrip("unterminated", unterminated, 4, back), kRegSuccess);
    EXPECT_EQ(back, unterminated);
    const RegValue odd{RegType::ExpandSz, {'%', 0, 'X'}};
    EXPECT_EQ(roundTrip("odd", odd, 2048, back), kRegSuccess);
    EXPECT_EQ(back, odd);
    const RegValue multi{RegType::MultiSz, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}};
    EXPECT_EQ(roundTrip("multi", multi, 2048, back), kRegSuccess);
    EXPECT_EQ(back, multi);

    // Numbers keep their bytes, in the default value too.
    const RegValue number{RegType::Dword, {0x78, 0x56, 0x34, 0x12}};
    EXPECT_EQ(roundTrip("", number, 4, back), kRegSuccess);
    EXPECT_EQ(back, number);
    const RegValue wide64{RegType::Qword, {1, 2, 3, 4, 5, 6, 7, 0x80}};
    EXPECT_EQ(roundTrip("q", wide64, 8, back), kRegSuccess);
    EXPECT_EQ(back, wide64);
    // An empty value fits a buffer of no bytes.
    const RegValue empty{RegType::Binary, {}};
    EXPECT_EQ(roundTrip("empty", empty, 0, back), kRegSuccess);
    EXPECT_EQ(back, empty);

    // Replacing a value replaces its type as well.
    EXPECT_EQ(roundTrip("Wert", number, 2048, back), kRegSuccess);
    EXPECT_EQ(back, number);
}

TEST_F(Win32RegistryTest, LargeValuesFollowTheCallersBuffer) {
    ASSERT_EQ(registry_.regCreateKey(kHkeyCurrentUser, key_.path()), kRegSuccess);
    RegValue big{RegType::Binary, std::vector<uint8_t>(100000)};
    for (size_t i = 0; i < big.data.size(); ++i) {
        big.data[i] = static_cast<uint8_t>(i * 7);
    }
    RegValue back;
    EXPECT_EQ(roundTrip("big", big, 99999, back), kRegMoreData);
    EXPECT_EQ(back.type, RegType::Binary);
    EXPECT_TRUE(back.data.empty());
    // A buffer as large as memory costs only the value's size.
    EXPECT_EQ(registry_.regQueryValue(kHkeyCurrentUser, key_.path(), "big", SIZE_MAX, back),
              kRegSuccess);
    EXPECT_EQ(back, big);
}

TEST_F(Win32RegistryTest, NamesOutsideAsciiReachTheRegistryAsUtf16) {
    const std::string sub = key_ / "Ünïcode \xE6\x97\xA5\xE6\x9C\xAC";  // "日本"
    const std::string name = "Wert \xE2\x82\xAC \xF0\x9D\x84\x9E";      // "€", U+1D11E
    ASSERT_EQ(registry_.regCreateKey(kHkeyCurrentUser, sub), kRegSuccess);
    const RegValue text{RegType::Sz, regSz("Grüße")};
    EXPECT_EQ(registry_.regSetValue(kHkeyCurrentUser, sub, name, text), kRegSuccess);

    // The same key and value as a Windows program names them.
    const std::wstring wideKey = wide(key_.path()) + L"\\\u00DCn\u00EFcode \u65E5\u672C";
    wchar_t buffer[64] = {};
    DWORD size = sizeof buffer;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, wideKey.c_str(), L"Wert \u20AC \xD834\xDD1E",
                           RRF_RT_REG_SZ, nullptr, buffer, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(buffer, L"Gr\u00FC\u00DFe");

    RegValue back;
    EXPECT_EQ(registry_.regQueryValue(kHkeyCurrentUser, sub, name, 2048, back), kRegSuccess);
    EXPECT_EQ(back, text);
    EXPECT_EQ(registry_.regDeleteValue(kHkeyCurrentUser, sub, name), kRegSuccess);
    EXPECT_EQ(registry_.regDeleteValue(kHkeyCurrentUser, sub, name), kRegFileNotFound);
    EXPECT_EQ(registry_.regQueryValue(kHkeyCurrentUser, sub, name, 2048, back), kRegFileNotFound);
}

TEST_F(Win32RegistryTest, DeletingOneValueLeavesTheOthers) {
    ASSERT_EQ(registry_.regCreateKey(kHkeyCurrentUser, key_.path()), kRegSuccess);
    const RegValue one{RegType::Sz, regSz("1")};
    RegValue back;
    EXPECT_EQ(roundTrip("TileWallPaper", one, 2048, back), kRegSuccess);
    EXPECT_EQ(roundTrip("Wallpaper", one, 2048, back), kRegSuccess);
    // Value names are case-insensitive, as Windows has them.
    EXPECT_EQ(registry_.regDeleteValue(kHkeyCurrentUser, key_.path(), "TILEWALLPAPER"),
              kRegSuccess);
    EXPECT_EQ(registry_.regQueryValue(kHkeyCurrentUser, key_.path(), "TileWallPaper", 2048, back),
              kRegFileNotFound);
    EXPECT_EQ(registry_.regQueryValue(kHkeyCurrentUser, key_.path(), "Wallpaper", 2048, back),
              kRegSuccess);
    EXPECT_EQ(back, one);
}

TEST_F(Win32RegistryTest, RootsAreTheWindowsHandleNumbers) {
    // HKEY_LOCAL_MACHINE (0x80000002) is a different tree: the scratch key is not there.
    ASSERT_EQ(registry_.regCreateKey(kHkeyCurrentUser, key_.path()), kRegSuccess);
    EXPECT_EQ(registry_.regOpenKey(0x80000002u, "Software"), kRegSuccess);
    EXPECT_EQ(registry_.regOpenKey(0x80000002u, key_.path()), kRegFileNotFound);
    // A number that names no root is the OS's error, never a success.
    EXPECT_NE(registry_.regOpenKey(0x12345678u, "Software"), kRegSuccess);
}

}  // namespace
}  // namespace drape::platform::win32::testing
