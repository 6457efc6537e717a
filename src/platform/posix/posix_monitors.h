// The monitor list that the DRAPE_MONITORS variable gives, for machines without a display
// (servers, tests) or to try layouts that the machine does not have.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace drape::platform::posix {

// Reads entries "WxH@X,Y[:DEPTH]" separated by ';' or line breaks, blanks around an entry
// and empty entries ignored. The first entry is the primary monitor; DEPTH defaults to 24.
// W and H are 1..32767, X and Y -1000000..1000000, DEPTH 1..64. On the first bad entry
// returns nullopt and an `error` naming it.
std::optional<std::vector<Monitor>> parseMonitorList(std::string_view text, std::string& error);

// The monitors of a DRAPE_MONITORS value: the list itself, or with a leading '@' the list in
// the file named by the rest, read at each call so that a test or a user can change the layout
// while the program runs. nullopt with a one-line `error` when the list or the file is bad.
std::optional<std::vector<Monitor>> monitorsFromSetting(std::string_view value, std::string& error);

}  // namespace drape::platform::posix
