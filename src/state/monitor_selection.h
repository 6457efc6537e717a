// The interpreter's working monitor: which monitors a keyword visits and the one it paints.
#pragma once

#include <cstdint>
#include <functional>

namespace drape {

struct MonitorState {
    int32_t firstMonitor = 0;
    int32_t lastMonitor = 0;
    int32_t currentMonitor = 0;
    int32_t monitorX = 0;  // position on the canvas
    int32_t monitorY = 0;
    int32_t monitorWidth = 0;
    int32_t monitorHeight = 0;
    float monitorAspect = 0;
};

// Makes monitor `index` current; an index outside the table selects monitor 0.
void SelectMonitor(int32_t index);
// Derives firstMonitor and lastMonitor from the settings' monitor selection.
void DeriveMonitorRange();
// Calls `visit(m)` for m = firstMonitor .. lastMonitor, each time with monitor m selected. The
// count runs in 64 bits, so that "monitor 2147483647" is one visit, not an endless loop.
void ForEachSelectedMonitor(const std::function<void(int32_t)>& visit);

}  // namespace drape
