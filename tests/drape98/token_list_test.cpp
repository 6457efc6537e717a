#include <gtest/gtest.h>

#include "drape98/settings98.h"

namespace drape {
namespace {

TEST(TokenList, WalksFromBeforeTheFirstWordAndStaysOnTheLastAtTheEnd) {
    TokenList list;
    EXPECT_FALSE(list.next());
    EXPECT_EQ(list.current(), "");
    list.append("red");
    list.append("end");
    list.goToStart();
    EXPECT_EQ(list.current(), "");
    ASSERT_TRUE(list.next());
    EXPECT_EQ(list.current(), "red");
    ASSERT_TRUE(list.next());
    EXPECT_EQ(list.current(), "end");
    EXPECT_FALSE(list.next());
    EXPECT_EQ(list.current(), "end");
    list.goToStart();
    ASSERT_TRUE(list.next());
    EXPECT_EQ(list.current(), "red");
}

}  // namespace
}  // namespace drape
