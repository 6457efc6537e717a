// The table of monitors (index 0 the primary) and the box that encloses the whole desktop.
#pragma once

#include <array>
#include <cstdint>

namespace drape {

inline constexpr int kMaxMonitors = 11;

struct MonitorRecord {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t depth = 0;
    bool operator==(const MonitorRecord&) const = default;
};

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

}  // namespace drape
