// The interpreter's working monitor: which monitors a keyword visits and the one it paints.
#pragma once

#include <cstdint>

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

}  // namespace drape
