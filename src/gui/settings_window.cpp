#include "gui/settings_window.h"

#include "state/settings.h"

namespace drape {

SettingsWindow* OpenSettingsWindowInstance() {
    return state().settingsWindow;
}
void SetSettingsWindowInstance(SettingsWindow* window) {
    state().settingsWindow = window;
}

}  // namespace drape
