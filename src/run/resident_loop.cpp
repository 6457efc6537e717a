#include "run/resident_loop.h"

#include "gui/settings_window.h"
#include "interp/interpreter.h"
#include "platform/platform.h"
#include "state/monitor_table.h"
#include "state/settings.h"
#include "state/system_facts.h"
#include "state/tokens.h"

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
    std::string lastCommand;

    for (;;) {
        platform::Event event = os.waitEvent(s.guiMode ? kWaitWithWindowMs : kWaitResidentMs);
        if (event.kind == platform::EventKind::Terminate) {
            ++termCount;
            event.kind = platform::EventKind::None;
        }
        if (event.kind == platform::EventKind::None) {
            ResidentCheck(renewDue);
        }
        SettingsWindow* window = OpenSettingsWindowInstance();
        if (event.kind == platform::EventKind::Control && window != nullptr) {
            if (window->DispatchControlEvent(event.controlId)) {
                renewDue = false;
            }
            if (s.guiMode) {
                s.commandString = window->BuildCommandString();
                s.tokenCount = CountTokens(s.commandString);
                // Changes are applied at the next check, once the window has been idle.
                if (s.commandString != lastCommand && window->autoApplyTicked()) {
                    renewDue = true;
                    lastCommand = s.commandString;
                }
                window->UpdateAutorunIndicator();
            }
        }
        if (event.kind == platform::EventKind::Close && s.guiMode && window != nullptr &&
            window->backgroundTicked()) {
            // Closing with Background ticked turns the instance into a resident one.
            window->Close();
            SetSettingsWindowInstance(nullptr);
            os.openProgramWindow(kProductTitle);
            event.kind = platform::EventKind::None;
            termCount = 0;
            s.guiMode = false;
        }
        if (event.kind == platform::EventKind::Close) {
            break;
        }
        if (!s.guiMode && (termCount > 2 || s.errorFlag)) {
            break;
        }
    }
}

}  // namespace drape
