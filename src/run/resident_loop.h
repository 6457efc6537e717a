// Staying resident: re-interpreting when screens, addresses or the wallpaper change, after a
// suspension and on a timer, until a newer instance or "kill" ends the instance.
#pragma once

#include <cstdint>

namespace drape {

inline constexpr uint32_t kWaitWithWindowMs = 128;
inline constexpr uint32_t kWaitResidentMs = 1024;
inline constexpr int32_t kSuspensionGapMs = 20000;

void ResidentLoop();

// One resident check; `renewDue` carries a pending renewal between passes.
void ResidentCheck(bool& renewDue);

// now − then on the 32-bit tick counter, read as signed.
constexpr int32_t TickDifference(uint32_t now, uint32_t then) {
    return static_cast<int32_t>(now - then);
}

}  // namespace drape
