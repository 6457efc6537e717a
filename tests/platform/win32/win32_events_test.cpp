// The backend's event queue: order, emptiness, and the message filter's say over dispatching.
#include <gtest/gtest.h>

#include "platform/win32/win32_events.h"

namespace drape::platform::win32 {
namespace {

TEST(Win32EventQueue, EventsComeOutInTheOrderTheyWentInAndThenNone) {
    Event out;
    ASSERT_FALSE(takeEvent(out));
    queueEvent({EventKind::Control, 7, 0});
    queueEvent({EventKind::Close, 0, 3});
    queueEvent({EventKind::Terminate, 0, 0});
    ASSERT_TRUE(takeEvent(out));
    EXPECT_EQ(out.kind, EventKind::Control);
    EXPECT_EQ(out.controlId, 7);
    ASSERT_TRUE(takeEvent(out));
    EXPECT_EQ(out.kind, EventKind::Close);
    EXPECT_EQ(out.window, 3u);
    ASSERT_TRUE(takeEvent(out));
    EXPECT_EQ(out.kind, EventKind::Terminate);
    EXPECT_FALSE(takeEvent(out));
}

TEST(Win32EventQueue, OnlyAnInstalledFilterClaimsMessages) {
    MSG message{};
    message.message = WM_KEYDOWN;
    EXPECT_FALSE(filterMessage(message));
    setMessageFilter([](MSG& seen) { return seen.message == WM_KEYDOWN; });
    EXPECT_TRUE(filterMessage(message));
    message.message = WM_PAINT;
    EXPECT_FALSE(filterMessage(message));
    setMessageFilter(nullptr);
    message.message = WM_KEYDOWN;
    EXPECT_FALSE(filterMessage(message));
}

}  // namespace
}  // namespace drape::platform::win32
