#include "state/monitor_table.h"

#include <algorithm>
#include <vector>

#include "platform/platform.h"
#include "state/settings.h"

namespace drape {

namespace {

// Displays beyond the table's capacity are left out: the program paints at most 11.
std::vector<MonitorRecord> enumerateDisplays(
    const std::function<std::vector<MonitorRecord>()>& enumerate) {
    std::vector<MonitorRecord> displays = enumerate();
    if (displays.size() > static_cast<size_t>(kMaxMonitors)) {
        displays.resize(kMaxMonitors);
    }
    return displays;
}

}  // namespace

bool CheckScreens() {
    return CheckScreens([] { return platform::current().enumerateMonitors(); });
}

bool CheckScreens(const std::function<std::vector<MonitorRecord>()>& enumerate) {
    MonitorTable& table = state().monitors;
    bool changed = false;
    std::vector<MonitorRecord> displays = enumerateDisplays(enumerate);
    if (static_cast<int32_t>(displays.size()) != table.count) {
        changed = true;
        displays = enumerateDisplays(enumerate);
        table.count = static_cast<int32_t>(displays.size());
    }
    int64_t left = 0;
    int64_t top = 0;
    int64_t right = 0;
    int64_t bottom = 0;
    for (int32_t i = 0; i < table.count; ++i) {
        const MonitorRecord& now = displays[static_cast<size_t>(i)];
        MonitorRecord& record = table.records[static_cast<size_t>(i)];
        if (!(record == now)) {
            record = now;
            changed = true;
        }
        left = std::min<int64_t>(left, now.x);
        top = std::min<int64_t>(top, now.y);
        right = std::max<int64_t>(right, int64_t{now.x} + now.width);
        bottom = std::max<int64_t>(bottom, int64_t{now.y} + now.height);
    }
    table.bounds = {static_cast<int32_t>(left), static_cast<int32_t>(top),
                    static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top)};
    return changed;
}

}  // namespace drape
