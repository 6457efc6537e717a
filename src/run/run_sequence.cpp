#include "run/run_sequence.h"

#include "gui/icons.h"
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
    if (settings().guiMode) {
        // Without the settings window the commands still run once, so that a plain start on
        // a machine without a display still paints the default wallpaper.
        os.reportError("the settings window is not available here; running the commands once");
        settings().guiMode = false;
    }
    // The window is never shown; it is how the instance hears the terminate broadcast.
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
    os.closeProgramWindow();
    return 0;
}

}  // namespace drape
