#include "state/registry.h"

#include <gtest/gtest.h>

#include "support/run_fixture.h"

namespace drape::test {
namespace {

constexpr const char* kKey = "Software\\Drape Test";

class RegistryTest : public RunTest {
  protected:
    void put(const std::string& name, platform::RegType type, std::vector<uint8_t> data) {
        os.regCreateKey(platform::kHkeyCurrentUser, kKey);
        os.regSetValue(platform::kHkeyCurrentUser, kKey, name, {type, std::move(data)});
    }
};

TEST_F(RegistryTest, NumbersReadAsDecimalText) {
    put("five", platform::RegType::Dword, {5, 0, 0, 0});
    put("big", platform::RegType::Dword, {0xFF, 0xFF, 0xFF, 0xFF});
    put("huge", platform::RegType::Qword, {0, 0, 0, 0, 0, 0, 0, 0x80});
    ASSERT_EQ(RegistryRead(kHkeyCurrentUser, kKey, "five"), 0);
    EXPECT_EQ(RegistryResult(), "5");
    ASSERT_EQ(RegistryRead(kHkeyCurrentUser, kKey, "big"), 0);
    EXPECT_EQ(RegistryResult(), "4294967295");  // zero-extended, not negative
    ASSERT_EQ(RegistryRead(kHkeyCurrentUser, kKey, "huge"), 0);
    EXPECT_EQ(RegistryResult(), "9223372036854775808");
}

TEST_F(RegistryTest, StringsEndAtTheFirstZeroCharacterOrTheStoredLength) {
    put("s", platform::RegType::Sz, {'a', 0, 'b', 0, 0, 0, 'c', 0, 0, 0});
    put("unterminated", platform::RegType::ExpandSz, {'%', 0, 'X', 0, '%', 0});
    put("link", platform::RegType::Link, {'l', 0, 0xE9, 0, 0, 0});
    put("odd", platform::RegType::Sz, {'a', 0, 'b'});
    ASSERT_EQ(RegistryRead(kHkeyCurrentUser, kKey, "s"), 0);
    EXPECT_EQ(RegistryResult(), "ab");
    ASSERT_EQ(RegistryRead(kHkeyCurrentUser, kKey, "unterminated"), 0);
    EXPECT_EQ(RegistryResult(), "%X%");  // references are not expanded
    ASSERT_EQ(RegistryRead(kHkeyCurrentUser, kKey, "link"), 0);
    EXPECT_EQ(RegistryResult(), "l\xC3\xA9");
    ASSERT_EQ(RegistryRead(kHkeyCurrentUser, kKey, "odd"), 0);
    EXPECT_EQ(RegistryResult(), "a");
}

TEST_F(RegistryTest, OtherTypesAreNotTextAndLeaveTheResultAlone) {
    put("five", platform::RegType::Dword, {5, 0, 0, 0});
    put("blob", platform::RegType::Binary, {1, 2, 3});
    put("multi", platform::RegType::MultiSz, {'a', 0, 0, 0, 0, 0});
    ASSERT_EQ(RegistryRead(kHkeyCurrentUser, kKey, "five"), 0);
    EXPECT_EQ(RegistryRead(kHkeyCurrentUser, kKey, "blob"), -2);
    EXPECT_EQ(RegistryRead(kHkeyCurrentUser, kKey, "multi"), -2);
    EXPECT_EQ(RegistryResult(), "5");
}

TEST_F(RegistryTest, MissingKeysValuesAndOversizedValuesReadAsNotFound) {
    EXPECT_EQ(RegistryRead(kHkeyCurrentUser, "Software\\Nothing", "x"), -1);
    put("x", platform::RegType::Sz, utf16Bytes("x"));
    EXPECT_EQ(RegistryRead(kHkeyCurrentUser, kKey, "y"), -1);
    put("fits", platform::RegType::Sz, std::vector<uint8_t>(2048, 'a'));
    put("toolong", platform::RegType::Sz, std::vector<uint8_t>(2049, 'a'));
    EXPECT_EQ(RegistryRead(kHkeyCurrentUser, kKey, "fits"), 0);
    EXPECT_EQ(RegistryRead(kHkeyCurrentUser, kKey, "toolong"), -1);
}

TEST_F(RegistryTest, WriteWithoutCreateNeedsAnExistingValue) {
    EXPECT_NE(RegistryWrite(kHkeyCurrentUser, kKey, "v", "1", false), 0);
    EXPECT_FALSE(os.hasValue(kKey, "v"));
    os.regCreateKey(platform::kHkeyCurrentUser, kKey);
    EXPECT_EQ(RegistryWrite(kHkeyCurrentUser, kKey, "v", "1", false), platform::kRegFileNotFound);
    EXPECT_FALSE(os.hasValue(kKey, "v"));
    put("v", platform::RegType::Dword, {1, 0, 0, 0});
    EXPECT_EQ(RegistryWrite(kHkeyCurrentUser, kKey, "v", "0", false), 0);
    EXPECT_EQ(os.stringValue(kKey, "v"), "0");
}

TEST_F(RegistryTest, WriteWithCreateMakesKeyAndStoresUtf16WithTerminator) {
    ASSERT_EQ(RegistryWrite(kHkeyCurrentUser, kKey, "name", "\xC3\xA9t\xC3\xA9", true), 0);
    platform::RegValue value;
    ASSERT_EQ(os.regQueryValue(platform::kHkeyCurrentUser, kKey, "name", 100, value), 0);
    EXPECT_EQ(value.type, platform::RegType::Sz);
    EXPECT_EQ(value.data, (std::vector<uint8_t>{0xE9, 0, 't', 0, 0xE9, 0, 0, 0}));
    ASSERT_EQ(RegistryRead(kHkeyCurrentUser, kKey, "name"), 0);
    EXPECT_EQ(RegistryResult(), "\xC3\xA9t\xC3\xA9");
}

TEST_F(RegistryTest, PlatformFailuresComeBackAsTheirOwnCodes) {
    os.registryFailure = 5;
    EXPECT_EQ(RegistryWrite(kHkeyCurrentUser, kKey, "name", "x", true), 5);
}

TEST_F(RegistryTest, DeleteReportsMissingKeyAsNotFoundAndMissingValueAsPlatformStatus) {
    EXPECT_EQ(RegistryDelete(kHkeyCurrentUser, kKey, "v"), -1);
    put("v", platform::RegType::Sz, utf16Bytes("x"));
    EXPECT_EQ(RegistryDelete(kHkeyCurrentUser, kKey, "v"), 0);
    EXPECT_FALSE(os.hasValue(kKey, "v"));
    EXPECT_EQ(RegistryDelete(kHkeyCurrentUser, kKey, "v"), platform::kRegFileNotFound);
}

}  // namespace
}  // namespace drape::test
