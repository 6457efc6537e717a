#include "run/resident_loop.h"

#include "interp/interpreter.h"
#include "platform/platform.h"
#include "run/monitor_table.h"
#include "run/settings.h"
#include "run/system_facts.h"

namespace drape {

void ResidentCheck(bool& renewDue) {
    Settings& s = settings();
    platform::Platform& os = platform::current();

    renewDue = CheckScreens() || renewDue;
    const uint32_t now = os.tickCount();
    if (s.lastCheckTick != 0 && TickDifference(now, s.lastCheckTick) > kSuspensionGapMs) {
        renewDue = true;
    }
    s.lastCheckTick = now;
    if (CheckAddresses()) {
        renewDue = true;
    }
    // Someone else replaced the wallpaper: put ours back.
    if (OsVersionCode() >= 60 && os.wallpaper() != s.outputPath) {
        renewDue = true;
    }
    if (s.renewStart == 0) {
        s.renewStart = now;
    }
    if (s.renew > 0) {
        const int32_t elapsed = TickDifference(now, s.renewStart);
        if (elapsed > int64_t{s.renew} * 1000 || elapsed < 0) {
            const int32_t idle = TickDifference(now, os.lastInputTick());
            if (idle > int64_t{s.nouser} * 1000 || idle < 0 || s.nouser == 0) {
                renewDue = true;
            }
        }
    }
    if (renewDue) {
        Interpret();
        renewDue = false;
        s.renewStart = os.tickCount();
    }
}

void ResidentLoop() {
    Settings& s = settings();
    platform::Platform& os = platform::current();

    os.broadcastTerminate();
    int32_t termCount = 0;
    bool renewDue = false;

    for (;;) {
        platform::Event event = os.waitEvent(s.guiMode ? kWaitWithWindowMs : kWaitResidentMs);
        if (event.kind == platform::EventKind::Terminate) {
            ++termCount;
            event.kind = platform::EventKind::None;
        }
        if (event.kind == platform::EventKind::None) {
            ResidentCheck(renewDue);
        }
        // Control events and closing into resident mode belong to the settings window.
        if (event.kind == platform::EventKind::Close) {
            break;
        }
        if (!s.guiMode && (termCount > 2 || s.errorFlag)) {
            break;
        }
    }
}

}  // namespace drape
