// The monitors that the X server reports.
#pragma once

#include <vector>

#include "platform/platform.h"
#include "platform/posix/x11_connection.h"

namespace drape::platform::posix {

// The RandR 1.5 monitors of the display's default screen, primary first, in root window
// coordinates; without them (an older server, or none reported) the whole screen as one
// monitor. Empty when the server fails the requests or the connection is lost.
std::vector<Monitor> monitorsFromX(XDisplay* display);

}  // namespace drape::platform::posix
