#include "state/tokens.h"

#include <gtest/gtest.h>

namespace drape {
namespace {

TEST(Tokens, OnlyTheBlankSeparatesAndRunsOfBlanksMakeNoEmptyTokens) {
    EXPECT_EQ(CountTokens(""), 0);
    EXPECT_EQ(CountTokens("    "), 0);
    EXPECT_EQ(CountTokens("  red   blue "), 2);
    EXPECT_EQ(CountTokens("red\tblue"), 1);
    EXPECT_EQ(GetToken("  red   blue ", 2, false), "blue");
    EXPECT_EQ(GetToken("red\tblue", 1, false), "red\tblue");
}

TEST(Tokens, MessageExcerptCutsAtWholeCharacters) {
    EXPECT_EQ(MessageExcerpt("", 3), "");
    EXPECT_EQ(MessageExcerpt("abc", 3), "abc");
    EXPECT_EQ(MessageExcerpt("abcd", 3), "abc\xE2\x80\xA6");
    // "é" and "€" are two and three bytes: the cut never splits one.
    EXPECT_EQ(MessageExcerpt("\xC3\xA9\xE2\x82\xAC\xC3\xA9x", 3),
              "\xC3\xA9\xE2\x82\xAC\xC3\xA9\xE2\x80\xA6");
    EXPECT_EQ(MessageExcerpt("\xC3\xA9\xE2\x82\xAC\xC3\xA9", 3), "\xC3\xA9\xE2\x82\xAC\xC3\xA9");
    EXPECT_EQ(MessageExcerpt(std::string(5000, 'w')).size(), 203u);
}

TEST(Tokens, NumbersOutsideTheStringGiveEmptyTokens) {
    EXPECT_EQ(GetToken("red blue", 0, true), "");
    EXPECT_EQ(GetToken("red blue", -1, true), "");
    EXPECT_EQ(GetToken("red blue", 3, true), "");
}

TEST(Tokens, QuotesGroupBlanksWhereverTheyStand) {
    EXPECT_EQ(CountTokens("text \"A B\" red"), 3);
    EXPECT_EQ(CountTokens("ab\"c d\"e f"), 2);
    EXPECT_EQ(GetToken("ab\"c d\"e f", 1, true), "ab\"c d\"e");
    EXPECT_EQ(GetToken("ab\"c d\"e f", 1, false), "ab\"c d\"e");
}

TEST(Tokens, UnquotingDropsFirstAndLastCharacterAndTrimsBlanks) {
    // A quote, two blanks, A, blank, B, blank, quote.
    EXPECT_EQ(GetToken("text \"  A B \"", 2, true), "A B");
    EXPECT_EQ(GetToken("text \"  A B \"", 2, false), "\"  A B \"");
    // Whatever the last character is, it goes.
    EXPECT_EQ(GetToken("\"abc\"x", 1, true), "abc\"");
    EXPECT_EQ(GetToken("\"\"", 1, true), "");
    EXPECT_EQ(GetToken("\"", 1, true), "");
}

TEST(Tokens, UnquotingRemovesAWholeMultiByteLastCharacter) {
    // The closing character is "é" (two bytes): the result must stay valid UTF-8.
    EXPECT_EQ(GetToken("\"caf\xC3\xA9", 1, true), "caf");
    EXPECT_EQ(GetToken("\"x \xE2\x82\xAC", 1, true), "x");
}

TEST(Tokens, UnbalancedQuoteRunsToTheEnd) {
    EXPECT_EQ(CountTokens("red \"a b c"), 2);
    EXPECT_EQ(GetToken("red \"a b c", 2, true), "a b");
}

TEST(ParseInteger, DecimalHexAndBinaryWithSignAndLeadingSpace) {
    EXPECT_EQ(ParseInteger("15"), 15);
    EXPECT_EQ(ParseInteger("15%"), 15);
    EXPECT_EQ(ParseInteger(" \t-42x"), -42);
    EXPECT_EQ(ParseInteger("+7"), 7);
    EXPECT_EQ(ParseInteger("$1F"), 31);
    EXPECT_EQ(ParseInteger("$1f"), 31);
    EXPECT_EQ(ParseInteger("-$10"), -16);
    EXPECT_EQ(ParseInteger("%1012"), 5);
}

TEST(ParseInteger, NoDigitsGiveZero) {
    EXPECT_EQ(ParseInteger(""), 0);
    EXPECT_EQ(ParseInteger("abc"), 0);
    EXPECT_EQ(ParseInteger("$"), 0);
    EXPECT_EQ(ParseInteger("$G1"), 0);
    EXPECT_EQ(ParseInteger("%2"), 0);
    EXPECT_EQ(ParseInteger("- 5"), 0);
    EXPECT_EQ(ParseInteger("\n5"), 0);
}

TEST(ParseInteger, WrapsToThirtyTwoBitsWithoutOverflowing) {
    EXPECT_EQ(ParseInteger("2147483647"), 2147483647);
    EXPECT_EQ(ParseInteger("2147483648"), -2147483647 - 1);
    EXPECT_EQ(ParseInteger("$FFFFFFFF"), -1);
    EXPECT_EQ(ParseInteger("4294967297"), 1);
    EXPECT_EQ(ParseInteger("99999999999999999999999"), -159383553);
}

TEST(TrimBlanks, TabsStay) {
    EXPECT_EQ(TrimBlanks("  a b  "), "a b");
    EXPECT_EQ(TrimBlanks("\ta\t"), "\ta\t");
    EXPECT_EQ(TrimBlanks("   "), "");
}

TEST(PictureFileName, LastFourCharactersInAnyCaseAfterAtLeastOneMore) {
    EXPECT_TRUE(IsPictureFileName("a.jpg"));
    EXPECT_TRUE(IsPictureFileName("Photo.PnG"));
    EXPECT_TRUE(IsPictureFileName("c:\\x\\y.BMP"));
    // Four characters are only the ending, however many bytes they take.
    EXPECT_FALSE(IsPictureFileName(".jpg"));
    EXPECT_TRUE(IsPictureFileName("\xC3\xA9.jpg"));
    EXPECT_FALSE(IsPictureFileName("\xC3\xA9jpg"));
    EXPECT_FALSE(IsPictureFileName("a.jpeg"));
    EXPECT_FALSE(IsPictureFileName("a.gif"));
    EXPECT_FALSE(IsPictureFileName("a.jpg "));
    EXPECT_FALSE(IsPictureFileName(""));
}

TEST(TextLines, CrLfAndLoneBreaksEndLinesAndZeroBytesVanish) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(SplitTextLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitTextLines("a\n\nb\n"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitTextLines(std::string("r\0e\0d", 5)), (Lines{"red"}));
    // A last line of zero bytes alone is no line.
    EXPECT_EQ(SplitTextLines(std::string("a\n\0", 3)), (Lines{"a"}));
    EXPECT_EQ(SplitTextLines(""), Lines{});
}

}  // namespace
}  // namespace drape

namespace drape {
namespace {

// The one-pass split that long command strings are walked with gives every token exactly as
// the scanning GetToken does, whatever the quotes and blanks.
TEST(SplitTokens, AgreesWithGetTokenOnOddStrings) {
    for (const std::string text :
         {"", " ", "red", "  red   blue  ", "text \"A | B\" fade", "\"unterminated quote here",
          "\"\" \" \" \"x\"", "a\"b c\"d e", "font \"Noto Sans\" 12",
          "load \"c:\\\\my pics\\\\a.jpg\"", "\"\xc3\xa9t\xc3\xa9\" big", "\t tab\tseparated ",
          "\"trailing\"  "}) {
        const std::vector<std::string_view> tokens = SplitTokens(text);
        ASSERT_EQ(static_cast<int32_t>(tokens.size()), CountTokens(text)) << text;
        for (int32_t n = -1; n <= CountTokens(text) + 2; ++n) {
            for (const bool unquote : {false, true}) {
                EXPECT_EQ(TokenAt(tokens, n, unquote), GetToken(text, n, unquote))
                    << text << " #" << n << (unquote ? " unquoted" : "");
            }
        }
    }
}

}  // namespace
}  // namespace drape
