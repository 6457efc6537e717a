// The table of monitors (index 0 the primary) and the box that encloses the whole desktop.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/platform.h"

namespace drape {

inline constexpr int kMaxMonitors = 11;

// A monitor as the table keeps it: what the platform reports, in desktop coordinates.
using MonitorRecord = platform::Monitor;

// The smallest rectangle holding every monitor and the desktop origin, so left and top are
// never above 0.
struct DesktopRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

struct MonitorTable {
    std::array<MonitorRecord, kMaxMonitors> records{};
    int32_t count = 0;
    DesktopRect bounds;
};

// Re-reads the displays; true when the count or any record changed since the last call.
bool CheckScreens();
// The same with the displays as `enumerate` reports them, primary first.
bool CheckScreens(const std::function<std::vector<MonitorRecord>()>& enumerate);

}  // namespace drape
