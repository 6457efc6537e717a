// The process-wide settings record and the other run state that every subsystem shares.
//
// The program is one thread with one run at a time, so its state is global; it all lives in
// `ProcessState` (and, below this layer, in the raster layer's image and font tables), and
// `ResetProcessState` gives tests a fresh start of both.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "state/monitor_selection.h"
#include "state/monitor_table.h"
#include "state/product.h"
#include "state/system_facts.h"

namespace drape {

class SettingsWindow;  // the settings window's interface, defined by the window itself

struct Settings {
    std::string commandString;
    int32_t tokenCount = 0;
    std::string outputPath;
    std::string fontName;
    int32_t fontSize = 0;
    uint32_t textColour = 0;  // 24-bit, red in the low byte
    bool transparent = false;
    bool silent = false;
    bool errorFlag = false;
    int32_t monitorSelection = 0;  // -1 means all monitors
    bool keep = false;
    bool background = false;
    int32_t pairs = 0;
    int32_t distort = 0;
    int32_t expand = 0;
    int32_t renew = 0;   // seconds; 0 = no timed renewal
    int32_t nouser = 0;  // seconds of idleness a timed renewal waits for; 0 = none
    bool guiMode = false;
    int32_t presetSource = 0;  // 0 command line or drape.cmd, 1 built-in default, 2 autorun
    uint32_t renewStart = 0;
    uint32_t lastCheckTick = 0;
};

// Uniform integer in lo..hi inclusive; tests replace it to make runs repeatable.
using UniformSource = std::function<int32_t(int32_t lo, int32_t hi)>;

struct ProcessState {
    Settings settings;
    MonitorTable monitors;
    AddressList addresses;
    MonitorState monitor;
    UniformSource uniform;                     // empty: the process's own random engine
    SettingsWindow* settingsWindow = nullptr;  // the open settings window, if any
};

ProcessState& state();
inline Settings& settings() {
    return state().settings;
}

// Clears all run state (settings zeroed, tables empty, images and fonts released, the random
// source back to the process's own, no settings window).
void ResetProcessState();
// Gives every field of `Settings` its start-up default.
void ApplyDefaults();

void SetUniformSource(UniformSource source);
int32_t UniformInRange(int32_t lo, int32_t hi);

}  // namespace drape
