#include "state/monitor_selection.h"

#include "state/settings.h"

namespace drape {

void SelectMonitor(int32_t index) {
    const MonitorTable& table = state().monitors;
    if (index < 0 || index >= table.count) {
        index = 0;
    }
    const MonitorRecord& record = table.records[static_cast<size_t>(index)];
    MonitorState& m = state().monitor;
    m.monitorX = record.x - table.bounds.left;
    m.monitorY = record.y - table.bounds.top;
    m.monitorWidth = record.width;
    m.monitorHeight = record.height;
    // An empty table leaves a zero record; its aspect stays 0 rather than NaN.
    m.monitorAspect = record.height != 0
                          ? static_cast<float>(record.width) / static_cast<float>(record.height)
                          : 0.0f;
}

void DeriveMonitorRange() {
    MonitorState& m = state().monitor;
    const int32_t selection = settings().monitorSelection;
    if (selection == -1) {
        m.firstMonitor = 0;
        m.lastMonitor = state().monitors.count - 1;
    } else {
        m.firstMonitor = selection;
        m.lastMonitor = selection;
    }
}

void ForEachSelectedMonitor(const std::function<void(int32_t)>& visit) {
    const MonitorState& m = state().monitor;
    for (int64_t i = m.firstMonitor; i <= m.lastMonitor; ++i) {
        const auto index = static_cast<int32_t>(i);
        SelectMonitor(index);
        visit(index);
    }
}

}  // namespace drape
