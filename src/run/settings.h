// The process-wide settings record and the other run state that every subsystem shares.
//
// The program is one thread with one run at a time, so its state is global; it all lives in
// `ProcessState`, and `ResetProcessState` gives tests a fresh start.
#pragma once

#include <cstdint>
#include <string>

#include "interp/monitor_selection.h"
#include "run/monitor_table.h"
#include "run/system_facts.h"

namespace drape {

inline constexpr const char* kProductTitle = "Drape v1.81";
inline constexpr const char* kOutputFileName = "drape.bmp";

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

struct ProcessState {
    Settings settings;
    MonitorTable monitors;
    AddressList addresses;
    MonitorState monitor;
};

ProcessState& state();
inline Settings& settings() {
    return state().settings;
}

// Clears all run state (settings zeroed, tables empty, images released).
void ResetProcessState();
// Gives every field of `Settings` its start-up default.
void ApplyDefaults();

}  // namespace drape
