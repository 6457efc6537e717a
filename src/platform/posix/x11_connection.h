// Connections to the X server for the backend's desktop work: the root window's background,
// the user's idle time and the monitors. Xlib ends the process when a connection breaks (the
// server exits or restarts); these connections are only marked lost, so a server that goes
// away never takes Drape with it, and the next use opens a new connection.
//
// No Xlib header here: its macros (None, Bool, Status, ...) would leak into every file that
// includes the platform's header.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct _XDisplay;  // Xlib's Display

namespace drape::platform::posix {

using XDisplay = _XDisplay;

// Opens the display that DISPLAY names; nullptr when DISPLAY is unset or empty (Xlib would
// then guess a display and may wait on it) or when the server cannot be reached. Pair with
// closeDisplay.
XDisplay* openDisplay();
void closeDisplay(XDisplay* display);

// True once the connection is unusable: Xlib met an I/O error on it, or the server has hung up
// (seen on the socket before Xlib would stumble over it).
bool displayLost(XDisplay* display);

// The one connection a backend instance keeps for the queries that the resident loop makes
// every second (idle time, the root background, the monitors), so that a check does not
// open and close a connection each time.
class XConnection {
  public:
    XConnection() = default;
    ~XConnection();
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    // A working connection to the display DISPLAY names now: opened at the first use, and
    // again after the connection was lost or DISPLAY changed. nullptr without a display.
    XDisplay* get();
    // DISPLAY as it was when the connection returned by `get` was opened.
    const std::string& name() const { return name_; }

  private:
    XDisplay* display_ = nullptr;
    std::string name_;
};

}  // namespace drape::platform::posix
