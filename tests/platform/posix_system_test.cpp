#include <algorithm>
#include <numeric>

#include "posix_test_env.h"

namespace drape::platform::posix::testing {
namespace {

TEST(PosixProgramArguments, AreArgvAfterTheProgramsNameByteForByte) {
    char name[] = "/usr/bin/drape";
    char plain[] = "*";
    char blank[] = "two words";
    char empty[] = "";
    char latin1[] = "caf\xE9";  // not UTF-8: handed on as it came
    char* argv[] = {name, plain, blank, empty, latin1, nullptr};
    EXPECT_EQ(programArguments(5, argv),
              (std::vector<std::string>{"*", "two words", "", "caf\xE9"}));
    EXPECT_TRUE(programArguments(1, argv).empty());
    EXPECT_TRUE(programArguments(0, argv).empty());
    EXPECT_TRUE(programArguments(0, nullptr).empty());
}

TEST_F(PosixTest, LargePageAdviceNeverChangesTheBuffer) {
    // Buffers smaller than a page, unaligned, and spanning several pages.
    std::vector<uint8_t> buffer(5 * 4096 + 123);
    std::iota(buffer.begin(), buffer.end(), uint8_t{0});
    const std::vector<uint8_t> before = buffer;
    for (const size_t offset : {size_t{0}, size_t{1}, size_t{4095}}) {
        for (const size_t bytes : {size_t{0}, size_t{1}, size_t{4096}, buffer.size() - offset}) {
            platform_.adviseLargePages(buffer.data() + offset, bytes);
        }
    }
    platform_.adviseLargePages(nullptr, 0);
    EXPECT_EQ(buffer, before);
    EXPECT_TRUE(reports_.empty());
}

TEST_F(PosixTest, ProblemsOfEveryConcernTakeTheOneReporter) {
    platform_.reportError("from the core");
    // The registry's problem with an unreadable hive, told once.
    std::filesystem::create_directories(hivePath());
    RegValue value;
    platform_.regQueryValue(kHkeyCurrentUser, "Software", "x", 16, value);
    platform_.regQueryValue(kHkeyCurrentUser, "Software", "x", 16, value);
    ASSERT_EQ(reports_.size(), 2u);
    EXPECT_EQ(reports_[0], "from the core");
    EXPECT_NE(reports_[1].find("registry hive"), std::string::npos) << reports_[1];
}

}  // namespace
}  // namespace drape::platform::posix::testing
