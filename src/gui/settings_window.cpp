#include "gui/settings_window.h"

namespace drape {

namespace {
SettingsWindow* gWindow = nullptr;
}

SettingsWindow* OpenSettingsWindowInstance() {
    return gWindow;
}
void SetSettingsWindowInstance(SettingsWindow* window) {
    gWindow = window;
}

}  // namespace drape
