// drape98's run control: where the command words come from, its two presets and "delay",
// the one interpretation and the resident loop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace drape {

inline constexpr uint32_t kResidentWait98Ms = 1024;
inline constexpr uint32_t kDelayWait98Ms = 128;

// The whole program, from its arguments (split as the platform gives them) to its end.
void Main98(const std::vector<std::string>& arguments);

// The command words of "drape.cmd" in the program's folder: nothing for a missing file or one
// of 2 bytes or less.
std::vector<std::string> ReadCommandFile98();
// "mark", "basemark" and "delay", in one pass from the first word; words an expansion inserts
// are not looked at again. Performs the delays; false when a close request came during one.
bool ExpandPresets98();
// Re-reads the monitors through the 8-bit enumeration; true when the table changed.
bool CheckScreens98();
// Runs until a close request or a second terminate message: the first is the instance's own
// announcement.
void ResidentLoop98();
// One check of the resident loop: renews the wallpaper when the monitors, the address, the
// installed wallpaper or the renewal interval call for it.
void ResidentCheck98(uint32_t& lastAddress);

}  // namespace drape
