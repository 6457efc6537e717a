#include "platform/unicode.h"

#include <gtest/gtest.h>

namespace drape::platform {
namespace {

TEST(Utf, RoundTripsAndReplacesBrokenInput) {
    const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    EXPECT_EQ(utf16ToUtf8(utf8ToUtf16(text)), text);
    EXPECT_EQ(utf8ToUtf16(text).size(), 5u);  // the emoji is a surrogate pair
    EXPECT_EQ(utf8ToUtf16("\xFF"), std::u16string(1, u'\uFFFD'));
    EXPECT_EQ(utf8ToUtf16("\xC3"), std::u16string(1, u'\uFFFD'));
    EXPECT_EQ(utf8ToUtf16("\xC0\xAF"), std::u16string(2, u'\uFFFD'));  // overlong
    EXPECT_EQ(utf16ToUtf8(std::u16string(1, static_cast<char16_t>(0xD800))), "\xEF\xBF\xBD");
}

TEST(Utf, CountsCharactersNotBytes) {
    EXPECT_EQ(countCharacters(""), 0u);
    EXPECT_EQ(countCharacters("abc"), 3u);
    EXPECT_EQ(countCharacters("\xC3\xA4\xC3\xB6"), 2u);
    EXPECT_EQ(countCharacters("\xF0\x9F\x98\x80!"), 2u);
    EXPECT_EQ(countCharacters("\xFF\xFE"), 2u);
}

TEST(Case, LatinGreekAndCyrillic) {
    EXPECT_EQ(toUpper("abc xyz 09"), "ABC XYZ 09");
    EXPECT_EQ(toUpper("\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F"), "\xC3\x84\xC3\x96\xC3\x9C\xC3\x9F");
    EXPECT_EQ(toUpper("\xC3\xBF"), "\xC5\xB8");                                  // ÿ → Ÿ
    EXPECT_EQ(toUpper("\xC5\x82\xC4\x8D"), "\xC5\x81\xC4\x8C");                  // ł č → Ł Č
    EXPECT_EQ(toUpper("\xCE\xB1\xCF\x82\xCE\xAC"), "\xCE\x91\xCE\xA3\xCE\x86");  // α ς ά
    EXPECT_EQ(toUpper("\xD0\xB6\xD1\x91"), "\xD0\x96\xD0\x81");                  // ж ё
    EXPECT_EQ(toUpper("\xC2\xB5\xC4\xB1\xC5\xBF"), "\xCE\x9CIS");                // µ ı ſ
    EXPECT_EQ(toLower("ABC \xC3\x84 \xC5\x81 \xCE\x91\xCE\x86 \xD0\x96\xD0\x81"),
              "abc \xC3\xA4 \xC5\x82 \xCE\xB1\xCE\xAC \xD0\xB6\xD1\x91");
    EXPECT_EQ(toLower("\xCE\x9C"), "\xCE\xBC");                    // Μ → μ, not the micro sign
    EXPECT_EQ(toUpper("\xC3\xB7 \xC3\x97"), "\xC3\xB7 \xC3\x97");  // ÷ × have no case
    // Bytes that are not UTF-8 pass through untouched.
    EXPECT_EQ(toUpper("a\xFF"
                      "b"),
              "A\xFF"
              "B");
}

}  // namespace
}  // namespace drape::platform
