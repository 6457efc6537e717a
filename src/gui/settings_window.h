// What the resident loop asks of the settings window while it is open.
#pragma once

#include <string>

namespace drape {

class SettingsWindow {
  public:
    virtual ~SettingsWindow() = default;
    // Handles one control event; true when it interpreted the command string (the apply
    // button), which settles any renewal that was due.
    virtual bool DispatchControlEvent(int controlId) = 0;
    // The command string the controls describe now.
    virtual std::string BuildCommandString() = 0;
    // Shows the autorun indicator exactly when the autorun entry exists.
    virtual void UpdateAutorunIndicator() = 0;
    virtual bool autoApplyTicked() = 0;
    virtual bool backgroundTicked() = 0;
    // Closes the window; the program's invisible window is opened by the caller.
    virtual void Close() = 0;
};

// The open settings window, or nullptr; kept in the process state, so a reset closes it.
SettingsWindow* OpenSettingsWindowInstance();
void SetSettingsWindowInstance(SettingsWindow* window);

}  // namespace drape
