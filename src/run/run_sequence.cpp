#include "run/run_sequence.h"

#include <memory>

#include "gui/icons.h"
#include "gui/settings_window.h"
#include "interp/interpreter.h"
#include "platform/platform.h"
#include "run/command_sources.h"
#include "run/resident_loop.h"
#include "state/settings.h"

namespace drape {

int RunProgram(const std::vector<std::string>& arguments) {
    ResetProcessState();
    ApplyDefaults();
    LoadIcons();

    ChooseCommandSource(arguments);
    PrepareCommands();

    platform::Platform& os = platform::current();
    std::unique_ptr<SettingsWindowModel> window;
    if (settings().guiMode) {
        window = std::make_unique<SettingsWindowModel>(os.controls());
        if (window->OpenSettingsWindow(settings().commandString, settings().presetSource)) {
            SetSettingsWindowInstance(window.get());
        } else {
            // Without a display the commands still run once, so that a plain start on a
            // machine without one still paints the default wallpaper.
            window.reset();
            os.reportError("no display for the settings window; running the commands once");
            settings().guiMode = false;
        }
    }
    // The window is never shown; it is how the instance hears the terminate broadcast, with
    // the settings window open as well, and it stays when that window turns the instance
    // resident.
    os.openProgramWindow(kProductTitle);

    // Facts before painting; the second address check makes ~ip~ the first address.
    CheckAddresses();
    CheckAddresses();
    CheckScreens();

    if (!settings().guiMode) {
        Interpret();
    }
    if (settings().background || settings().guiMode) {
        ResidentLoop();
    }
    if (OpenSettingsWindowInstance() != nullptr) {
        OpenSettingsWindowInstance()->Close();
        SetSettingsWindowInstance(nullptr);
    }
    os.closeProgramWindow();
    return 0;
}

}  // namespace drape
